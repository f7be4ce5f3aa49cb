// The text model of an "edit" control, free of windows and pixels: the text,
// the selection (anchor and caret), the length limit, editing operations with
// the control's rules (line breaks are "\r\n", single-line boxes take no line
// breaks, a surrogate pair or a "\r\n" is one step for the caret), and the
// division of the text into display lines, wrapped at word boundaries when
// asked. Character widths come from the caller, so the layout is testable
// without fonts.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace platform::controls {

class EditModel {
public:
    static constexpr std::size_t kDefaultLimit = 30000;

    struct Line {
        std::size_t start;  // first character
        std::size_t end;    // one past the last shown character (before "\r\n")
        std::size_t next;   // start of the following line
    };

    struct Change {
        bool changed = false;
        bool truncated = false;  // the limit cut what was inserted
    };

    explicit EditModel(bool multiline = false) : multiline_(multiline) {}

    const std::u16string& Text() const { return text_; }
    bool Multiline() const { return multiline_; }
    void SetMultiline(bool on) {
        multiline_ = on;
        layoutValid_ = false;
    }

    // Replaces the whole text (WM_SETTEXT): no limit, caret at the start.
    void SetText(std::u16string text);

    std::size_t Anchor() const { return anchor_; }
    std::size_t Caret() const { return caret_; }
    std::size_t SelStart() const { return anchor_ < caret_ ? anchor_ : caret_; }
    std::size_t SelEnd() const { return anchor_ < caret_ ? caret_ : anchor_; }
    bool HasSelection() const { return anchor_ != caret_; }
    std::u16string SelectedText() const { return text_.substr(SelStart(), SelEnd() - SelStart()); }

    // EM_SETSEL: start -1 removes the selection (caret kept at the current
    // selection start, as the system does); end -1 means the end of the text.
    // Positions are clamped and never split a "\r\n" or a surrogate pair.
    void SetSel(long long start, long long end);
    void SelectAll() { SetSel(0, -1); }
    // Moves the caret; `extend` keeps the anchor (Shift).
    void MoveCaretTo(std::size_t pos, bool extend);

    std::size_t Limit() const { return limit_; }
    void SetLimit(std::size_t limit) { limit_ = limit; }

    // The user's (or EM_REPLACESEL's) insertion over the selection. A
    // single-line box keeps only the first line of `s`; the limit cuts the
    // rest.
    Change ReplaceSelection(std::u16string s);
    Change Backspace();
    Change DeleteForward();

    // Caret steps that need no layout.
    std::size_t PrevPosition(std::size_t pos) const;
    std::size_t NextPosition(std::size_t pos) const;
    // The word (or run of blanks) around `pos`, for a double click.
    void WordAt(std::size_t pos, std::size_t* start, std::size_t* end) const;

    // --- Layout ---
    using WidthOf = std::function<int(char16_t)>;
    // Divides the text into lines. With `wrapWidth` > 0 (multi-line without
    // horizontal scrolling) long lines break after blanks at that width.
    void Layout(const WidthOf& width, int wrapWidth);
    bool LayoutValid() const { return layoutValid_; }
    void InvalidateLayout() { layoutValid_ = false; }
    const std::vector<Line>& Lines() const { return lines_; }
    // The line that shows `pos` (a position at a wrap belongs to the next line).
    std::size_t LineOf(std::size_t pos) const;

private:
    std::size_t Snap(std::size_t pos) const;  // off the middle of a pair
    void Erase(std::size_t from, std::size_t to);

    std::u16string text_;
    std::size_t anchor_ = 0;
    std::size_t caret_ = 0;
    std::size_t limit_ = kDefaultLimit;
    bool multiline_;
    std::vector<Line> lines_{{0, 0, 0}};
    bool layoutValid_ = false;
};

}  // namespace platform::controls
