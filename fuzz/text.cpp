// Fuzz target for the text services: one input is cut into pieces that drive
// every conversion, number text and ReplaceAll, and each result is checked
// against a property that must hold for any input, or against a plain
// reference that is too slow for the program but easy to trust.
#include <fuzzer/FuzzedDataProvider.h>
#include <locale.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/support.h"
#include "services/text.h"

namespace {

using fuzz::Check;
using TQUtility::Int64ToText;
using TQUtility::Int64ToWideText;
using TQUtility::IntToGroupedText;
using TQUtility::ReplaceAll;
using TQUtility::ToNarrow;
using TQUtility::ToWide;

// The locales the program meets, with the one separator byte each gives
// (0: none). A locale that is not installed behaves as "C".
struct Locale {
    const char* name;
    char separator;
    bool installed;
};
Locale locales[] = {
    {"C", 0, true},
    {"it_IT.UTF-8", '.', false},
    {"en_US.UTF-8", ',', false},
    {"de_DE.UTF-8", '.', false},
    {"fr_FR.UTF-8", static_cast<char>(0xA0), false},
    {"xx_NOWHERE.UTF-8", 0, false},
};

// |value| in decimal with `separator` between groups of three digits.
std::string Grouped(std::int32_t value, char separator) {
    std::string digits = Int64ToText(value < 0 ? -static_cast<std::int64_t>(value) : value);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (separator && i > 0 && (digits.size() - i) % 3 == 0) out.push_back(separator);
        out.push_back(digits[i]);
    }
    return value < 0 ? "-" + out : out;
}

// ReplaceAll the slow way: from the very beginning after every replacement
// when the replacement is shorter than the search text, one left-to-right
// pass over the original text otherwise.
std::string ReferenceReplaceAll(const std::string& text, const std::string& search,
                                const std::string& replacement) {
    if (search.empty()) return text;
    if (replacement.size() < search.size()) {
        std::string result = text;
        for (std::size_t at; (at = result.find(search)) != std::string::npos;)
            result.replace(at, search.size(), replacement);
        return result;
    }
    std::string result;
    for (std::size_t i = 0; i < text.size();) {
        if (text.compare(i, search.size(), search) == 0) {
            result += replacement;
            i += search.size();
        } else {
            result.push_back(text[i++]);
        }
    }
    return result;
}

// A piece of text; with `small` its bytes are folded onto 'a' and 'b', so
// that overlapping occurrences are common.
std::string Piece(FuzzedDataProvider& data, std::size_t maxLength, bool small) {
    std::string text = data.ConsumeRandomLengthString(maxLength);
    if (small)
        for (char& c : text)
            c = "ab"[static_cast<unsigned char>(c) % 2];
    return text;
}

void Conversions(FuzzedDataProvider& data) {
    const std::string narrow = data.ConsumeRandomLengthString(256);
    const std::u16string wide = ToWide(narrow);
    const std::size_t zero = narrow.find('\0');
    const std::string head = narrow.substr(0, zero);
    Check(wide.size() == head.size(), "ToWide stops exactly at the first zero byte");
    for (std::size_t i = 0; i < head.size(); ++i)
        Check(wide[i] == static_cast<unsigned char>(head[i]), "ToWide maps byte v to unit v");
    Check(ToNarrow(wide) == head, "ToNarrow(ToWide(s)) gives s up to its first zero byte");

    const std::u16string units = fuzz::Units(data.ConsumeRandomLengthString(512), false);
    const bool latin1 =
        std::all_of(units.begin(), units.end(), [](char16_t u) { return u != 0 && u <= 0xFF; });
    const std::string low = ToNarrow(units);
    Check(low.size() == units.size(), "ToNarrow keeps every unit, zeros included");
    for (std::size_t i = 0; i < units.size(); ++i)
        Check(static_cast<unsigned char>(low[i]) == (units[i] & 0xFF), "ToNarrow keeps the low 8 bits");
    if (latin1) Check(ToWide(low) == units, "ToWide(ToNarrow(w)) gives w when every unit is 1..0xFF");
}

void Numbers(FuzzedDataProvider& data) {
    const auto value = data.ConsumeIntegral<std::int64_t>();
    const std::string text = Int64ToText(value);
    std::int64_t back = 0;
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), back);
    Check(parsed.ec == std::errc() && parsed.ptr == text.data() + text.size() && back == value,
          "Int64ToText reads back as the same number");
    const std::size_t first = value < 0 ? 1 : 0;
    Check(text.find_first_not_of("0123456789", first) == std::string::npos, "Int64ToText: '-' and digits");
    Check(text.size() == first + 1 || text[first] != '0', "Int64ToText: no leading zero");
    Check(Int64ToWideText(value) == ToWide(text), "Int64ToWideText is the wide Int64ToText");

    const auto small = data.ConsumeIntegral<std::int32_t>();
    const Locale& locale = locales[data.ConsumeIntegralInRange<std::size_t>(0, std::size(locales) - 1)];
    setenv("LC_ALL", locale.name, 1);
    const std::string grouped = IntToGroupedText(small);
    Check(grouped == Grouped(small, locale.installed ? locale.separator : 0),
          "IntToGroupedText groups by three with the locale's separator");
}

void Replacing(FuzzedDataProvider& data) {
    const bool small = data.ConsumeBool();
    const std::string search = Piece(data, 8, small);
    const std::string replacement = Piece(data, 12, small);
    const std::string text = Piece(data, 400, small);
    const std::string result = ReplaceAll(text, search, replacement);
    Check(result == ReferenceReplaceAll(text, search, replacement), "ReplaceAll matches the reference");
    if (!search.empty() && replacement.size() < search.size())
        Check(result.find(search) == std::string::npos, "a shorter replacement leaves no occurrence");
    if (search.empty() || text.find(search) == std::string::npos)
        Check(result == text, "text without the search text comes back unchanged");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    for (Locale& locale : locales) {
        if (locale.installed) continue;
        if (locale_t l = newlocale(LC_ALL_MASK, locale.name, nullptr)) {
            locale.installed = true;
            freelocale(l);
        } else if (locale.separator) {
            std::fprintf(stderr, "fuzz_text: locale %s is not installed; it is checked as \"C\"\n",
                         locale.name);
        }
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    Conversions(data);
    Numbers(data);
    Replacing(data);
    return 0;
}
