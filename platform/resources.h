// The program's embedded resources: the bitmaps and the icon group that the
// resource script numbers. The build turns the script into a table that
// registers itself at start; tests register fixture tables of their own.
// LoadImageW, LoadIconW and friends look resources up here.
#pragma once

#include <cstddef>

namespace platform {

enum class ResourceType : int {
    Bitmap = 2,     // a whole .bmp file
    GroupIcon = 14  // a whole .ico file
};

struct ResourceEntry {
    ResourceType type;
    int id;
    const unsigned char* data;
    std::size_t size;
};

// Adds entries to the program module's table; a later entry with the same
// type and id replaces an earlier one (test fixtures over the real artwork).
void RegisterResources(const ResourceEntry* entries, std::size_t count);

// The entry, or null.
const ResourceEntry* FindResourceEntry(ResourceType type, int id);

}  // namespace platform
