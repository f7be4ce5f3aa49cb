# Turns the resource script into a C++ source whose static initializer
# registers every resource with the program module's table.
#   cmake -DSCRIPT=<kelvo.rc> -DOUTPUT=<file.cpp> -P embed.cmake
get_filename_component(base ${SCRIPT} DIRECTORY)
file(STRINGS ${SCRIPT} lines)
set(arrays "")
set(entries "")
set(count 0)
foreach(line IN LISTS lines)
  string(STRIP "${line}" line)
  if(line STREQUAL "" OR line MATCHES "^#")
    continue()
  endif()
  if(NOT line MATCHES "^([0-9]+)[ \t]+(ICON|BITMAP)[ \t]+([^ \t]+)$")
    message(FATAL_ERROR "${SCRIPT}: cannot read the line '${line}'")
  endif()
  set(id ${CMAKE_MATCH_1})
  set(type ${CMAKE_MATCH_2})
  set(file ${base}/${CMAKE_MATCH_3})
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "${SCRIPT}: resource ${id} names ${file}, which does not exist")
  endif()
  file(READ ${file} hex HEX)
  string(LENGTH "${hex}" hexLength)
  if(hexLength EQUAL 0)
    message(FATAL_ERROR "${SCRIPT}: resource ${id} (${file}) is empty")
  endif()
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  # Break the initializer into lines of 16 bytes.
  string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)"
         "\\1\n    " bytes "${bytes}")
  if(type STREQUAL "ICON")
    set(kind GroupIcon)
  else()
    set(kind Bitmap)
  endif()
  string(APPEND arrays "const unsigned char resource${id}[] = {\n    ${bytes}\n};\n")
  string(APPEND entries "    {platform::ResourceType::${kind}, ${id}, resource${id}, sizeof resource${id}},\n")
  math(EXPR count "${count} + 1")
endforeach()
if(count EQUAL 0)
  message(FATAL_ERROR "${SCRIPT}: no resources")
endif()
file(WRITE ${OUTPUT}.tmp
"// Generated from ${SCRIPT} by resources/embed.cmake; do not edit.
#include \"platform/resources.h\"

namespace {

${arrays}
const platform::ResourceEntry entries[] = {
${entries}};

// Registered before main runs, so the first LoadImageW finds them.
[[maybe_unused]] const bool registered = (platform::RegisterResources(entries, sizeof entries / sizeof entries[0]), true);

}  // namespace
")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
