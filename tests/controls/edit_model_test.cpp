// The edit control's text model: insertion rules, the length limit, caret
// steps over line breaks and surrogate pairs, selection, words and layout.
#include <gtest/gtest.h>

#include "platform/controls/edit_model.h"

namespace {

using platform::controls::EditModel;

// Single-line boxes keep only the first line of what is inserted; multi-line
// boxes turn any line break into "\r\n".
TEST(EditModel, InsertionFollowsTheBoxKind) {
    struct Case {
        bool multiline;
        std::u16string inserted;
        std::u16string expected;
    };
    const Case cases[] = {
        {false, u"one\r\ntwo", u"one"},       {false, u"a\nb", u"a"},     {true, u"one\ntwo", u"one\r\ntwo"},
        {true, u"a\rb\r\nc", u"a\r\nb\r\nc"}, {true, u"plain", u"plain"},
    };
    for (const Case& c : cases) {
        EditModel m(c.multiline);
        EXPECT_TRUE(m.ReplaceSelection(c.inserted).changed);
        EXPECT_EQ(m.Text(), c.expected);
        EXPECT_EQ(m.Caret(), c.expected.size());
    }
}

// The limit cuts an insertion, reports it, and never leaves half a line
// break or half a surrogate pair; a full box takes nothing more.
TEST(EditModel, LimitCutsInsertions) {
    EditModel m(true);
    m.SetLimit(5);
    auto r = m.ReplaceSelection(u"abcdefg");
    EXPECT_TRUE(r.changed && r.truncated);
    EXPECT_EQ(m.Text(), u"abcde");
    r = m.ReplaceSelection(u"x");
    EXPECT_FALSE(r.changed);
    EXPECT_TRUE(r.truncated);

    EditModel breaks(true);
    breaks.SetLimit(4);
    breaks.ReplaceSelection(u"abc\r\nd");
    EXPECT_EQ(breaks.Text(), u"abc");

    EditModel pair(false);
    pair.SetLimit(2);
    pair.ReplaceSelection(u"a\U0001F600");
    EXPECT_EQ(pair.Text(), u"a");

    // Replacing a selection frees its room first.
    EditModel sel(false);
    sel.SetLimit(3);
    sel.ReplaceSelection(u"abc");
    sel.SetSel(0, 2);
    EXPECT_FALSE(sel.ReplaceSelection(u"XY").truncated);
    EXPECT_EQ(sel.Text(), u"XYc");
    EXPECT_EQ(EditModel().Limit(), 30000u);
}

// Backspace and Delete take a "\r\n" or a surrogate pair as one character,
// and a selection as a whole.
TEST(EditModel, DeletionSteps) {
    struct Case {
        std::u16string text;
        std::size_t caret;
        bool backspace;
        std::u16string expected;
    };
    const Case cases[] = {
        {u"ab\r\ncd", 4, true, u"abcd"},   {u"ab\r\ncd", 2, false, u"abcd"},
        {u"a\U0001F600b", 3, true, u"ab"}, {u"a\U0001F600b", 1, false, u"ab"},
        {u"abc", 0, true, u"abc"},         {u"abc", 3, false, u"abc"},
    };
    for (const Case& c : cases) {
        EditModel m(true);
        m.SetText(c.text);
        m.MoveCaretTo(c.caret, false);
        if (c.backspace) {
            m.Backspace();
        } else {
            m.DeleteForward();
        }
        EXPECT_EQ(m.Text(), c.expected);
    }
    EditModel m(false);
    m.SetText(u"hello world");
    m.SetSel(2, 8);
    m.Backspace();
    EXPECT_EQ(m.Text(), u"herld");
    EXPECT_EQ(m.Caret(), 2u);
}

// EM_SETSEL positions: clamped, -1 for the end, never inside a pair, and
// a negative start drops the selection.
TEST(EditModel, SetSelRules) {
    EditModel m(true);
    m.SetText(u"ab\r\ncd");
    struct Case {
        long long start, end;
        std::size_t selStart, selEnd;
    };
    const Case cases[] = {{0, -1, 0, 6}, {1, 100, 1, 6}, {3, 3, 2, 2}, {5, 1, 1, 5}, {50, 60, 6, 6}};
    for (const Case& c : cases) {
        m.SetSel(c.start, c.end);
        EXPECT_EQ(m.SelStart(), c.selStart) << c.start << "," << c.end;
        EXPECT_EQ(m.SelEnd(), c.selEnd) << c.start << "," << c.end;
    }
    m.SetSel(1, 5);
    m.SetSel(-1, 0);
    EXPECT_FALSE(m.HasSelection());
    EXPECT_EQ(m.Caret(), 1u);
}

// A double click selects the word under it, or the run of blanks.
TEST(EditModel, WordAt) {
    EditModel m(true);
    m.SetText(u"one  two\r\nthree");
    struct Case {
        std::size_t pos, start, end;
    };
    const Case cases[] = {{1, 0, 3}, {3, 3, 5}, {6, 5, 8}, {8, 8, 8}, {12, 10, 15}, {15, 10, 15}};
    for (const Case& c : cases) {
        std::size_t a = 99, b = 99;
        m.WordAt(c.pos, &a, &b);
        EXPECT_EQ(a, c.start) << c.pos;
        EXPECT_EQ(b, c.end) << c.pos;
    }
}

// Lines split at "\r\n"; with a wrap width long lines break after blanks (or
// inside a word longer than the width); a final break gives an empty line.
TEST(EditModel, Layout) {
    const auto unit = [](char16_t) { return 1; };
    struct Case {
        bool multiline;
        std::u16string text;
        int wrap;
        std::vector<std::pair<std::size_t, std::size_t>> lines;  // start, end
    };
    const Case cases[] = {
        {true, u"ab\r\ncd", 0, {{0, 2}, {4, 6}}},
        {true, u"ab\r\n", 0, {{0, 2}, {4, 4}}},
        {true, u"", 0, {{0, 0}}},
        {false, u"ab\r\ncd", 0, {{0, 6}}},
        {true, u"aa bb cc", 5, {{0, 6}, {6, 8}}},
        {true, u"abcdefgh", 3, {{0, 3}, {3, 6}, {6, 8}}},
        {true, u"aa bb\r\ncc", 4, {{0, 3}, {3, 5}, {7, 9}}},
    };
    for (const Case& c : cases) {
        EditModel m(c.multiline);
        m.SetText(c.text);
        m.Layout(unit, c.wrap);
        ASSERT_EQ(m.Lines().size(), c.lines.size()) << std::string(c.text.begin(), c.text.end());
        for (std::size_t i = 0; i < c.lines.size(); ++i) {
            EXPECT_EQ(m.Lines()[i].start, c.lines[i].first);
            EXPECT_EQ(m.Lines()[i].end, c.lines[i].second);
        }
    }
    EditModel m(true);
    m.SetText(u"ab\r\ncd\r\nef");
    m.Layout(unit, 0);
    EXPECT_EQ(m.LineOf(0), 0u);
    EXPECT_EQ(m.LineOf(2), 0u);
    EXPECT_EQ(m.LineOf(4), 1u);
    EXPECT_EQ(m.LineOf(10), 2u);
}

}  // namespace
