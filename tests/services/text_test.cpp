// Text conversion, number texts with the user's grouping, and ReplaceAll.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

#include "services/text.h"
#include "tests/registry/scratch.h"

namespace {

using namespace std::string_literals;
using TQUtility::Int64ToText;
using TQUtility::Int64ToWideText;
using TQUtility::IntToGroupedText;
using TQUtility::ReplaceAll;
using TQUtility::ToNarrow;
using TQUtility::ToWide;

// Bytes and units map one to one (ISO 8859-1), narrow input ending at its
// first zero byte, wide input taken whole with high bytes dropped.
TEST(Text, NarrowWideMapping) {
    EXPECT_EQ(ToWide(""), u"");
    EXPECT_EQ(ToWide("ab\0cd"s), u"ab");
    EXPECT_EQ(ToWide("ci\xF2"), u"ci\u00F2");
    EXPECT_EQ(ToWide("\x80\x9F\xFF"), u"\u0080\u009F\u00FF") << "no code page";
    EXPECT_EQ(ToNarrow(u"\u00F9"), "\xF9");
    EXPECT_EQ(ToNarrow(u"\u20AC"), "\xAC");
    EXPECT_EQ(ToNarrow(u"a\0b"s), "a\0b"s) << "zero units are kept";

    std::string every;
    for (int b = 1; b < 256; ++b)
        every.push_back(static_cast<char>(b));
    EXPECT_EQ(ToNarrow(ToWide(every)), every) << "a narrow text without zero bytes comes back byte for byte";
}

TEST(Text, PlainNumbers) {
    const struct {
        std::int64_t value;
        const char* text;
    } cases[] = {
        {0, "0"},
        {-7, "-7"},
        {42, "42"},
        {1234567, "1234567"},
        {INT64_MAX, "9223372036854775807"},
        {INT64_MIN, "-9223372036854775808"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Int64ToText(c.value), c.text);
        EXPECT_EQ(Int64ToWideText(c.value), ToWide(c.text));
    }
}

// Grouping and separator come from the locale the environment names at each
// call; a locale that is not installed behaves as "C". The separator is one
// byte: fr_FR's narrow no-break space becomes 0xA0.
TEST(Text, GroupedNumbersFollowTheUserLocale) {
    const struct {
        const char* locale;
        std::int32_t value;
        std::string text;
    } cases[] = {
        {"C", 1234567, "1234567"},
        {"C", -1234, "-1234"},
        {"it_IT.UTF-8", 999, "999"},
        {"it_IT.UTF-8", 1234567, "1.234.567"},
        {"it_IT.UTF-8", -1234, "-1.234"},
        {"it_IT.UTF-8", -123456, "-123.456"},
        {"it_IT.UTF-8", 0, "0"},
        {"it_IT.UTF-8", INT32_MIN, "-2.147.483.648"},
        {"en_US.UTF-8", 999, "999"},
        {"en_US.UTF-8", 1234567, "1,234,567"},
        {"de_DE.UTF-8", 1234567, "1.234.567"},
        {"fr_FR.UTF-8", 1234567,
         "1\xA0"
         "234\xA0"
         "567"},
        {"fr_FR.UTF-8", -1000,
         "-1\xA0"
         "000"},
        {"xx_NOWHERE.UTF-8", 1234567, "1234567"},
    };
    for (const auto& c : cases) {
        scratch::EnvOverride all("LC_ALL", c.locale);
        EXPECT_EQ(IntToGroupedText(c.value), c.text) << c.locale << " " << c.value;
    }
}

// The restart-from-the-beginning rule where the replacement is shorter; one
// pass where restarting would never end; an empty search changes nothing.
TEST(Text, ReplaceAll) {
    const struct {
        const char* text;
        const char* search;
        const char* replacement;
        const char* result;
    } cases[] = {
        {"http://www.example.com", "http://www.", "info@", "info@example.com"},
        {"example.com", "http://www.", "info@", "example.com"},
        {"xaabb", "ab", "b", "xbb"},
        {"aaaab", "ab", "b", "b"},
        {"abab", "ab", "", ""},
        {"aab", "ab", "bbaa", "abbaa"},
        {"aaa", "a", "aa", "aaaaaa"},
        {"abc", "b", "b", "abc"},
        {"abc", "", "x", "abc"},
        {"", "a", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReplaceAll(c.text, c.search, c.replacement), c.result)
            << c.text << " / " << c.search << " -> " << c.replacement;
}

}  // namespace
