// Text conversion, number texts, ReplaceAll and ShellOpen (see text.h).
#include "services/text.h"

#include <algorithm>
#include <charconv>
#include <locale>
#include <stdexcept>

#include "platform/winapi.h"

namespace TQUtility {
namespace {

// The user's locale as the environment names it; the "C" locale when that
// one is not installed.
std::locale UserLocale() {
    try {
        return std::locale("");
    } catch (const std::runtime_error&) {
        return std::locale::classic();
    }
}

// The one byte that stands for the locale's separator, or 0 for none.
char SeparatorByte(wchar_t sep) {
    const auto c = static_cast<std::uint32_t>(sep);
    if (c >= 0x01 && c <= 0xFF) return static_cast<char>(c);
    switch (c) {
        case 0x202F:  // narrow no-break space
        case 0x2009:  // thin space
        case 0x2007:  // figure space
            return static_cast<char>(0xA0);
        case 0x2019:  // right single quotation mark
        case 0x02BC:  // modifier letter apostrophe
            return '\'';
        default:
            return 0;
    }
}

}  // namespace

std::u16string ToWide(const std::string& text) {
    std::u16string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == 0) break;
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string ToNarrow(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t u : text)
        out.push_back(static_cast<char>(u & 0xFF));
    return out;
}

std::string Int64ToText(std::int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::u16string Int64ToWideText(std::int64_t value) {
    return ToWide(Int64ToText(value));
}

std::string IntToGroupedText(std::int32_t value) {
    const std::string digits = Int64ToText(value < 0 ? -static_cast<std::int64_t>(value) : value);
    const std::locale locale = UserLocale();
    const auto& punct = std::use_facet<std::numpunct<wchar_t>>(locale);
    const std::string grouping = punct.grouping();
    const char sep = SeparatorByte(punct.thousands_sep());

    // Group sizes from the last digit leftwards: each entry once, the last
    // one repeating; 0 or CHAR_MAX and above (negative as a signed char)
    // ends the grouping.
    std::string out;
    std::size_t remaining = digits.size();
    std::size_t groupIndex = 0;
    std::string reversed;
    while (remaining > 0) {
        int size = 0;
        if (sep != 0 && !grouping.empty()) {
            const int g = static_cast<signed char>(grouping[std::min(groupIndex, grouping.size() - 1)]);
            size = (g <= 0 || g >= 127) ? 0 : g;
        }
        if (size == 0 || static_cast<std::size_t>(size) >= remaining) {
            reversed.append(digits.rbegin() + static_cast<std::ptrdiff_t>(digits.size() - remaining),
                            digits.rend());
            break;
        }
        for (int i = 0; i < size; ++i)
            reversed.push_back(digits[--remaining]);
        reversed.push_back(sep);
        ++groupIndex;
    }
    if (value < 0) out.push_back('-');
    out.append(reversed.rbegin(), reversed.rend());
    return out;
}

std::string ReplaceAll(const std::string& text, const std::string& search, const std::string& replacement) {
    std::string result = text;
    if (search.empty()) return result;
    if (replacement.size() < search.size()) {
        // Searching again from the very beginning after each replacement
        // finds the same occurrence as searching from search.size() - 1
        // characters before the replaced spot: nothing earlier changed, and
        // no occurrence lay wholly before the one just replaced.
        std::size_t from = 0;
        for (std::size_t at; (at = result.find(search, from)) != std::string::npos;) {
            result.replace(at, search.size(), replacement);
            from = at >= search.size() - 1 ? at - (search.size() - 1) : 0;
        }
        return result;
    }
    std::size_t from = 0;
    for (std::size_t at; (at = result.find(search, from)) != std::string::npos;) {
        result.replace(at, search.size(), replacement);
        from = at + replacement.size();
    }
    return result;
}

bool ShellOpen(const std::string& target) {
    const std::u16string wide = ToWide(target);
    HINSTANCE result = ShellExecuteW(nullptr, u"open", wide.c_str(), nullptr, nullptr, SW_SHOW);
    return reinterpret_cast<std::intptr_t>(result) > 32;
}

}  // namespace TQUtility
