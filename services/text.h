// Text services: the one mapping between narrow (8-bit) and wide (UTF-16)
// text that the whole system uses, the three ways numbers become text, a
// search-and-replace, and handing a web address or a mail link to the shell.
// All are stateless free functions.
#pragma once

#include <cstdint>
#include <string>

namespace TQUtility {

// Byte v becomes unit v (the ISO 8859-1 correspondence), up to the first zero
// byte; what follows a zero byte is dropped.
std::u16string ToWide(const std::string& text);

// Every unit of the whole text becomes its low 8 bits (zero units included).
std::string ToNarrow(const std::u16string& text);

// Plain decimal: an optional '-', digits, no grouping.
std::string Int64ToText(std::int64_t value);
std::u16string Int64ToWideText(std::int64_t value);

// Decimal with the thousands separator and digit grouping of the user's
// locale, read afresh at each call. The separator is one byte: a character
// up to U+00FF as it is, a space-like one as U+00A0, an apostrophe-like one
// as U+0027; any other gives no separator.
std::string IntToGroupedText(std::int32_t value);

// Replaces every occurrence of `search`. When the replacement is shorter
// than the search text, each search starts again from the beginning of the
// result, so text that a replacement produces takes part in later searches
// ("ab" by "b" in "xaabb" gives "xbb"). Otherwise, where restarting would
// never end, one left-to-right pass is made. An empty search text leaves the
// text unchanged.
std::string ReplaceAll(const std::string& text, const std::string& search, const std::string& replacement);

// Opens a web address or a mail link with the desktop's handler; true when
// the shell accepted the request.
bool ShellOpen(const std::string& target);

}  // namespace TQUtility
