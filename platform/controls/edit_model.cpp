// The edit control's text model: editing rules and line layout.
#include "platform/controls/edit_model.h"

#include <algorithm>

namespace platform::controls {
namespace {

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}
bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}
bool IsBreak(char16_t c) {
    return c == u'\r' || c == u'\n';
}

}  // namespace

std::size_t EditModel::Snap(std::size_t pos) const {
    pos = std::min(pos, text_.size());
    if (pos > 0 && pos < text_.size()) {
        if (text_[pos - 1] == u'\r' && text_[pos] == u'\n') return pos - 1;
        if (IsHighSurrogate(text_[pos - 1]) && IsLowSurrogate(text_[pos])) return pos - 1;
    }
    return pos;
}

void EditModel::SetText(std::u16string text) {
    text_ = std::move(text);
    anchor_ = caret_ = 0;
    layoutValid_ = false;
}

void EditModel::SetSel(long long start, long long end) {
    const long long size = static_cast<long long>(text_.size());
    if (start < 0) {
        caret_ = anchor_ = SelStart();
        return;
    }
    if (end < 0 || end > size) end = size;
    start = std::min(start, size);
    anchor_ = Snap(static_cast<std::size_t>(start));
    caret_ = Snap(static_cast<std::size_t>(end));
}

void EditModel::MoveCaretTo(std::size_t pos, bool extend) {
    caret_ = Snap(pos);
    if (!extend) anchor_ = caret_;
}

std::size_t EditModel::PrevPosition(std::size_t pos) const {
    if (pos == 0) return 0;
    pos = std::min(pos, text_.size());
    if (pos >= 2 && text_[pos - 2] == u'\r' && text_[pos - 1] == u'\n') return pos - 2;
    if (pos >= 2 && IsHighSurrogate(text_[pos - 2]) && IsLowSurrogate(text_[pos - 1])) return pos - 2;
    return pos - 1;
}

std::size_t EditModel::NextPosition(std::size_t pos) const {
    if (pos >= text_.size()) return text_.size();
    if (pos + 1 < text_.size()) {
        if (text_[pos] == u'\r' && text_[pos + 1] == u'\n') return pos + 2;
        if (IsHighSurrogate(text_[pos]) && IsLowSurrogate(text_[pos + 1])) return pos + 2;
    }
    return pos + 1;
}

void EditModel::Erase(std::size_t from, std::size_t to) {
    text_.erase(from, to - from);
    anchor_ = caret_ = from;
    layoutValid_ = false;
}

EditModel::Change EditModel::ReplaceSelection(std::u16string s) {
    Change change;
    if (!multiline_) {
        const std::size_t cut = s.find_first_of(u"\r\n");
        if (cut != std::u16string::npos) s.resize(cut);
    } else {
        // Lone line feeds or carriage returns become the control's "\r\n".
        std::u16string normal;
        normal.reserve(s.size());
        for (std::size_t i = 0; i < s.size(); ++i) {
            if (s[i] == u'\r' || s[i] == u'\n') {
                if (s[i] == u'\r' && i + 1 < s.size() && s[i + 1] == u'\n') ++i;
                normal += u"\r\n";
            } else {
                normal.push_back(s[i]);
            }
        }
        s = std::move(normal);
    }
    const std::size_t start = SelStart(), end = SelEnd();
    const std::size_t kept = text_.size() - (end - start);
    const std::size_t room = limit_ > kept ? limit_ - kept : 0;
    if (s.size() > room) {
        s.resize(room);
        // Never leave half of a line break or of a surrogate pair.
        if (!s.empty() && (s.back() == u'\r' || IsHighSurrogate(s.back()))) s.pop_back();
        change.truncated = true;
    }
    if (s.empty() && start == end) return change;
    text_.replace(start, end - start, s);
    anchor_ = caret_ = start + s.size();
    layoutValid_ = false;
    change.changed = true;
    return change;
}

EditModel::Change EditModel::Backspace() {
    Change change;
    if (HasSelection()) {
        Erase(SelStart(), SelEnd());
        change.changed = true;
    } else if (caret_ > 0) {
        Erase(PrevPosition(caret_), caret_);
        change.changed = true;
    }
    return change;
}

EditModel::Change EditModel::DeleteForward() {
    Change change;
    if (HasSelection()) {
        Erase(SelStart(), SelEnd());
        change.changed = true;
    } else if (caret_ < text_.size()) {
        Erase(caret_, NextPosition(caret_));
        change.changed = true;
    }
    return change;
}

void EditModel::WordAt(std::size_t pos, std::size_t* start, std::size_t* end) const {
    pos = std::min(pos, text_.size());
    if (pos == text_.size() && pos > 0 && !IsBreak(text_[pos - 1])) --pos;
    if (pos >= text_.size() || IsBreak(text_[pos])) {
        *start = *end = Snap(pos);
        return;
    }
    auto sameKind = [&](char16_t c) { return !IsBreak(c) && IsBlank(c) == IsBlank(text_[pos]); };
    std::size_t a = pos, b = pos;
    while (a > 0 && sameKind(text_[a - 1]))
        --a;
    while (b < text_.size() && sameKind(text_[b]))
        ++b;
    *start = a;
    *end = b;
}

void EditModel::Layout(const WidthOf& width, int wrapWidth) {
    lines_.clear();
    const std::size_t n = text_.size();
    std::size_t start = 0;
    while (true) {
        // One paragraph: up to the next line break (or the end of the text).
        std::size_t brk = start;
        if (multiline_) {
            while (brk < n && !IsBreak(text_[brk]))
                ++brk;
        } else {
            brk = n;
        }
        std::size_t next = brk;
        if (brk < n)
            next = (text_[brk] == u'\r' && brk + 1 < n && text_[brk + 1] == u'\n') ? brk + 2 : brk + 1;
        if (wrapWidth > 0 && multiline_) {
            std::size_t lineStart = start;
            int x = 0;
            std::size_t lastBlankEnd = 0;  // position after the last blank run on this line
            for (std::size_t i = start; i < brk; ++i) {
                const int w = width(text_[i]);
                if (x + w > wrapWidth && i > lineStart && !IsBlank(text_[i])) {
                    const std::size_t cut = lastBlankEnd > lineStart ? lastBlankEnd : i;
                    lines_.push_back({lineStart, cut, cut});
                    lineStart = cut;
                    lastBlankEnd = 0;
                    x = 0;
                    for (std::size_t j = lineStart; j < i; ++j)
                        x += width(text_[j]);
                }
                x += w;
                if (IsBlank(text_[i])) lastBlankEnd = i + 1;
            }
            lines_.push_back({lineStart, brk, next});
        } else {
            lines_.push_back({start, brk, next});
        }
        if (brk >= n) break;
        start = next;
        if (start >= n) {
            lines_.push_back({n, n, n});  // the empty line after a final break
            break;
        }
    }
    layoutValid_ = true;
}

std::size_t EditModel::LineOf(std::size_t pos) const {
    // The last line whose start is at or before pos.
    auto it = std::upper_bound(lines_.begin(), lines_.end(), pos,
                               [](std::size_t p, const Line& line) { return p < line.start; });
    if (it == lines_.begin()) return 0;
    return static_cast<std::size_t>(it - lines_.begin()) - 1;
}

}  // namespace platform::controls
