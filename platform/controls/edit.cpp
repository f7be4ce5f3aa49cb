// The system "edit" class over EditModel: single-line boxes that scroll
// horizontally to keep the caret in view, multi-line boxes with a vertical
// scroll bar, a blinking caret of our own, mouse and keyboard selection, the
// desktop clipboard, read-only mode, a password character and the length
// limit. Only the lines in view are measured for painting, so a long text
// stays quick to draw and to edit.
#include <algorithm>
#include <unordered_map>
#include <vector>

#include "platform/controls/controls_internal.h"
#include "platform/controls/draw_util.h"
#include "platform/controls/edit_model.h"
#include "platform/wm/wm_internal.h"

namespace platform::controls {
namespace {

// Far above any control or element identifier, so the caret's timer is never
// mistaken for a timer of the program that subclasses the box.
constexpr UINT_PTR kCaretTimer = 0x7EC0C0DE;
constexpr UINT kBlinkMs = 530;
constexpr DWORD kBlinkStopMs = 10000;
constexpr int kMargin = 2;
constexpr int kWheelLines = 3;

struct EditState {
    EditModel model{false};
    HFONT font = nullptr;
    // Character widths in the current font, filled as characters appear: a
    // flat table for the common range, a map for the rest.
    std::vector<int> narrowWidths = std::vector<int>(0x800, -1);
    std::unordered_map<char16_t, int> widths;
    int lineHeight = 0;
    int ascent = 0;
    int layoutWidth = -1;  // the wrap width the layout was made for
    int xOffset = 0;       // horizontal scroll (pixels)
    std::size_t firstLine = 0;
    bool caretOn = false;
    bool blinking = false;
    DWORD lastInput = 0;
    bool selecting = false;  // mouse press-drag in progress
    WCHAR password = 0;
    bool modified = false;
};

void ForgetWidths(EditState& s) {
    std::fill(s.narrowWidths.begin(), s.narrowWidths.end(), -1);
    s.widths.clear();
}

std::unordered_map<HWND, EditState>& States() {
    static auto* states = new std::unordered_map<HWND, EditState>;
    return *states;
}

DWORD Style(HWND hwnd) {
    return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
}
bool ReadOnly(HWND hwnd) {
    return (Style(hwnd) & ES_READONLY) != 0;
}
bool KeyDown(int vk) {
    return (GetKeyState(vk) & 0x8000) != 0;
}

RECT TextArea(HWND hwnd) {
    RECT rc{};
    GetClientRect(hwnd, &rc);
    return {rc.left + kMargin, rc.top + 1, std::max(rc.left + kMargin, rc.right - kMargin), rc.bottom};
}

// Measures with the box's font through a short-lived window DC.
class Measurer {
public:
    Measurer(HWND hwnd, EditState& s) : hwnd_(hwnd), s_(s) {}
    ~Measurer() {
        if (dc_) {
            SelectObject(dc_, oldFont_);
            ReleaseDC(hwnd_, dc_);
        }
    }
    int Width(char16_t c) {
        if (s_.password) c = s_.password;
        if (c < s_.narrowWidths.size() && s_.narrowWidths[c] >= 0) return s_.narrowWidths[c];
        if (c >= s_.narrowWidths.size()) {
            auto it = s_.widths.find(c);
            if (it != s_.widths.end()) return it->second;
        }
        int w = 0;
        if (c == u'\t') {
            w = Width(u' ') * 8;
        } else if (Dc()) {
            SIZE size{};
            GetTextExtentPoint32W(dc_, &c, 1, &size);
            w = size.cx;
        }
        if (c < s_.narrowWidths.size()) {
            s_.narrowWidths[c] = w;
        } else {
            s_.widths.emplace(c, w);
        }
        return w;
    }
    void Metrics() {
        if (s_.lineHeight > 0 || !Dc()) return;
        TEXTMETRICW tm{};
        GetTextMetricsW(dc_, &tm);
        s_.lineHeight = std::max<LONG>(1, tm.tmHeight + tm.tmExternalLeading);
        s_.ascent = tm.tmAscent;
    }

private:
    HDC Dc() {
        if (!dc_) {
            dc_ = GetDC(hwnd_);
            if (dc_) oldFont_ = SelectObject(dc_, s_.font ? s_.font : DefaultGuiFont());
        }
        return dc_;
    }
    HWND hwnd_;
    EditState& s_;
    HDC dc_ = nullptr;
    HGDIOBJ oldFont_ = nullptr;
};

int VisibleLines(HWND hwnd, const EditState& s) {
    const RECT area = TextArea(hwnd);
    return std::max(1, static_cast<int>((area.bottom - area.top) / std::max(1, s.lineHeight)));
}

void EnsureLayout(HWND hwnd, EditState& s, Measurer& m) {
    m.Metrics();
    const DWORD style = Style(hwnd);
    const RECT area = TextArea(hwnd);
    const bool wrap = (style & ES_MULTILINE) && !(style & ES_AUTOHSCROLL);
    const int wrapWidth = wrap ? std::max(1, static_cast<int>(area.right - area.left)) : 0;
    if (s.model.LayoutValid() && s.layoutWidth == wrapWidth) return;
    s.model.Layout([&m](char16_t c) { return m.Width(c); }, wrapWidth);
    s.layoutWidth = wrapWidth;
}

int XOf(EditState& s, Measurer& m, const EditModel::Line& line, std::size_t pos) {
    int x = 0;
    const std::u16string& t = s.model.Text();
    for (std::size_t i = line.start; i < pos && i < line.end; ++i)
        x += m.Width(t[i]);
    return x;
}

std::size_t PosAtX(EditState& s, Measurer& m, const EditModel::Line& line, int x) {
    const std::u16string& t = s.model.Text();
    int left = 0;
    for (std::size_t i = line.start; i < line.end; ++i) {
        const int w = m.Width(t[i]);
        if (x < left + w / 2) return i;
        left += w;
    }
    return line.end;
}

void UpdateScrollBar(HWND hwnd, EditState& s) {
    if (!(Style(hwnd) & WS_VSCROLL)) return;
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = static_cast<int>(s.model.Lines().size()) - 1;
    si.nPage = static_cast<UINT>(VisibleLines(hwnd, s));
    si.nPos = static_cast<int>(s.firstLine);
    SetScrollInfo(hwnd, SB_VERT, &si, TRUE);
}

void ClampFirstLine(HWND hwnd, EditState& s) {
    const std::size_t count = s.model.Lines().size();
    const std::size_t visible = static_cast<std::size_t>(VisibleLines(hwnd, s));
    const std::size_t maxFirst = count > visible ? count - visible : 0;
    s.firstLine = std::min(s.firstLine, maxFirst);
}

// Scrolls so that the caret is in view, then repaints and updates the bar.
void ScrollToCaret(HWND hwnd, EditState& s, Measurer& m) {
    EnsureLayout(hwnd, s, m);
    const auto& lines = s.model.Lines();
    const std::size_t line = s.model.LineOf(s.model.Caret());
    const std::size_t visible = static_cast<std::size_t>(VisibleLines(hwnd, s));
    if (Style(hwnd) & ES_MULTILINE) {
        if (line < s.firstLine) s.firstLine = line;
        if (line >= s.firstLine + visible) s.firstLine = line + 1 - visible;
    } else {
        s.firstLine = 0;
    }
    ClampFirstLine(hwnd, s);
    const RECT area = TextArea(hwnd);
    const int width = area.right - area.left;
    const int x = XOf(s, m, lines[line], s.model.Caret());
    if (x < s.xOffset) s.xOffset = std::max(0, x - width / 3);
    if (x > s.xOffset + width - 1) s.xOffset = x - width + 1 + width / 3;
    // No empty room on the right while text lies hidden on the left.
    const int lineWidth = XOf(s, m, lines[line], lines[line].end);
    if (s.xOffset > 0 && lineWidth - s.xOffset < width) s.xOffset = std::max(0, lineWidth - width + 1);
    UpdateScrollBar(hwnd, s);
    InvalidateRect(hwnd, nullptr, FALSE);
}

void KeepBlinking(HWND hwnd, EditState& s) {
    s.lastInput = GetTickCount();
    s.caretOn = true;
    if (GetFocus() == hwnd && !s.blinking) {
        s.blinking = SetTimer(hwnd, kCaretTimer, kBlinkMs, nullptr) != 0;
    }
}

void AfterUserChange(HWND hwnd, EditState& s, const EditModel::Change& change) {
    Measurer m(hwnd, s);
    ScrollToCaret(hwnd, s, m);
    if (change.changed) {
        s.modified = true;
        NotifyParent(hwnd, EN_CHANGE);
    }
    if (change.truncated) NotifyParent(hwnd, EN_MAXTEXT);
}

void Copy(EditState& s) {
    if (s.password || !s.model.HasSelection()) return;
    wm::SetClipboardText(s.model.SelectedText());
}

void Paste(HWND hwnd, EditState& s) {
    if (ReadOnly(hwnd)) return;
    const std::u16string clip = wm::ClipboardText();
    if (clip.empty()) return;
    AfterUserChange(hwnd, s, s.model.ReplaceSelection(clip));
}

void Cut(HWND hwnd, EditState& s) {
    if (ReadOnly(hwnd) || s.password || !s.model.HasSelection()) return;
    Copy(s);
    AfterUserChange(hwnd, s, s.model.ReplaceSelection(u""));
}

void ScrollLines(HWND hwnd, EditState& s, long long delta) {
    Measurer m(hwnd, s);
    EnsureLayout(hwnd, s, m);
    const long long first = static_cast<long long>(s.firstLine) + delta;
    s.firstLine = static_cast<std::size_t>(std::max(0LL, first));
    ClampFirstLine(hwnd, s);
    UpdateScrollBar(hwnd, s);
    InvalidateRect(hwnd, nullptr, FALSE);
}

std::size_t HitTest(HWND hwnd, EditState& s, Measurer& m, POINT p) {
    EnsureLayout(hwnd, s, m);
    const RECT area = TextArea(hwnd);
    const auto& lines = s.model.Lines();
    long long row = static_cast<long long>(s.firstLine);
    const int dy = p.y - area.top;
    row += dy >= 0 ? dy / std::max(1, s.lineHeight) : -1;
    row = std::clamp(row, 0LL, static_cast<long long>(lines.size()) - 1);
    return PosAtX(s, m, lines[static_cast<std::size_t>(row)], p.x - area.left + s.xOffset);
}

// Caret movement keys. True when the key was one of them.
bool MoveKey(HWND hwnd, EditState& s, WPARAM key) {
    const bool shift = KeyDown(VK_SHIFT), ctrl = KeyDown(VK_CONTROL);
    EditModel& model = s.model;
    Measurer m(hwnd, s);
    EnsureLayout(hwnd, s, m);
    const auto& lines = model.Lines();
    const std::size_t caret = model.Caret();
    const std::size_t line = model.LineOf(caret);
    std::size_t target = caret;
    switch (key) {
        case VK_LEFT:
            target = (!shift && model.HasSelection()) ? model.SelStart() : model.PrevPosition(caret);
            break;
        case VK_RIGHT:
            target = (!shift && model.HasSelection()) ? model.SelEnd() : model.NextPosition(caret);
            break;
        case VK_HOME:
            target = ctrl ? 0 : lines[line].start;
            break;
        case VK_END:
            target = ctrl ? model.Text().size() : lines[line].end;
            break;
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT: {
            if (!(Style(hwnd) & ES_MULTILINE)) {
                target =
                    (key == VK_UP || key == VK_PRIOR) ? model.PrevPosition(caret) : model.NextPosition(caret);
                break;
            }
            const long long step =
                (key == VK_UP || key == VK_DOWN) ? 1 : std::max(1, VisibleLines(hwnd, s) - 1);
            const long long dir = (key == VK_UP || key == VK_PRIOR) ? -1 : 1;
            const long long row = std::clamp(static_cast<long long>(line) + dir * step, 0LL,
                                             static_cast<long long>(lines.size()) - 1);
            target = PosAtX(s, m, lines[static_cast<std::size_t>(row)], XOf(s, m, lines[line], caret));
            break;
        }
        default:
            return false;
    }
    model.MoveCaretTo(target, shift);
    ScrollToCaret(hwnd, s, m);
    return true;
}

void OnKeyDown(HWND hwnd, EditState& s, WPARAM key) {
    KeepBlinking(hwnd, s);
    if (MoveKey(hwnd, s, key)) return;
    const bool ctrl = KeyDown(VK_CONTROL), shift = KeyDown(VK_SHIFT);
    switch (key) {
        case VK_DELETE:
            if (shift) {
                Cut(hwnd, s);
            } else if (!ReadOnly(hwnd)) {
                AfterUserChange(hwnd, s, s.model.DeleteForward());
            }
            break;
        case VK_INSERT:
            if (ctrl) Copy(s);
            if (shift) Paste(hwnd, s);
            break;
        case 'A':
            if (ctrl) {
                s.model.SelectAll();
                Measurer m(hwnd, s);
                ScrollToCaret(hwnd, s, m);
            }
            break;
        case 'C':
            if (ctrl) Copy(s);
            break;
        case 'X':
            if (ctrl) Cut(hwnd, s);
            break;
        case 'V':
            if (ctrl) Paste(hwnd, s);
            break;
        default:
            break;
    }
}

void OnChar(HWND hwnd, EditState& s, WPARAM ch) {
    KeepBlinking(hwnd, s);
    if (ReadOnly(hwnd)) return;
    if (ch == VK_BACK) {
        AfterUserChange(hwnd, s, s.model.Backspace());
        return;
    }
    if (ch == VK_RETURN || ch == u'\n') {
        if (Style(hwnd) & ES_MULTILINE) AfterUserChange(hwnd, s, s.model.ReplaceSelection(u"\r\n"));
        return;
    }
    // Tab and the control characters of Ctrl+letter shortcuts are not text.
    if (ch < 0x20 || ch == 0x7F || ch > 0xFFFF) return;
    AfterUserChange(hwnd, s, s.model.ReplaceSelection(std::u16string(1, static_cast<char16_t>(ch))));
}

void Paint(HWND hwnd, EditState& s) {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(hwnd, &ps);
    if (!dc) return;
    Measurer m(hwnd, s);
    EnsureLayout(hwnd, s, m);
    ClampFirstLine(hwnd, s);
    RECT rc{};
    GetClientRect(hwnd, &rc);
    HGDIOBJ oldFont = SelectObject(dc, s.font ? s.font : DefaultGuiFont());
    const bool enabled = IsWindowEnabled(hwnd) != FALSE;
    const bool staticLook = !enabled || ReadOnly(hwnd);
    SetBkColor(dc, GetSysColor(staticLook ? COLOR_BTNFACE : COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    HBRUSH brush = nullptr;
    if (HWND parent = GetParent(hwnd)) {
        brush = reinterpret_cast<HBRUSH>(
            SendMessageW(parent, staticLook ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT,
                         reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd)));
    }
    if (!brush) brush = GetSysColorBrush(staticLook ? COLOR_BTNFACE : COLOR_WINDOW);
    FillRect(dc, &rc, brush);
    const COLORREF textColor = GetTextColor(dc);
    const RECT area = TextArea(hwnd);
    const bool focused = GetFocus() == hwnd;
    const bool showSel = focused || (Style(hwnd) & ES_NOHIDESEL);
    const std::size_t selA = s.model.SelStart(), selB = s.model.SelEnd();
    const auto& lines = s.model.Lines();
    const std::u16string& text = s.model.Text();
    const int visible = VisibleLines(hwnd, s) + 1;  // a partly shown last line too
    SetBkMode(dc, TRANSPARENT);
    std::u16string run;
    std::vector<int> dx;
    for (int row = 0; row < visible; ++row) {
        const std::size_t index = s.firstLine + static_cast<std::size_t>(row);
        if (index >= lines.size()) break;
        const EditModel::Line& line = lines[index];
        const int y = area.top + row * s.lineHeight;
        // Skip the characters left of the view, then draw until the right edge.
        int x = area.left - s.xOffset;
        std::size_t i = line.start;
        while (i < line.end && x + m.Width(text[i]) < area.left)
            x += m.Width(text[i++]);
        const RECT clip{area.left, std::max<LONG>(y, area.top), area.right,
                        std::min<LONG>(y + s.lineHeight, rc.bottom)};
        while (i < line.end && x < area.right) {
            // One run of characters that are either all selected or all not.
            const bool selected = showSel && i >= selA && i < selB;
            const int runX = x;
            run.clear();
            dx.clear();
            while (i < line.end && x < area.right && (showSel && i >= selA && i < selB) == selected) {
                const int w = m.Width(text[i]);
                run.push_back(s.password ? s.password : (text[i] == u'\t' ? u' ' : text[i]));
                dx.push_back(w);
                x += w;
                ++i;
            }
            if (selected) {
                RECT box{std::max<LONG>(runX, area.left), clip.top, std::min<LONG>(x, area.right),
                         clip.bottom};
                FillSys(dc, box, COLOR_HIGHLIGHT);
                SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
            } else {
                SetTextColor(dc, textColor);
            }
            ExtTextOutW(dc, runX, y, ETO_CLIPPED, &clip, run.data(), static_cast<UINT>(run.size()),
                        dx.data());
        }
        // A selected line break shows as a small selected box.
        if (showSel && line.end < line.next && line.end >= selA && line.end < selB && x < area.right) {
            RECT box{std::max<LONG>(x, area.left), clip.top, std::min<LONG>(x + m.Width(u' '), area.right),
                     clip.bottom};
            FillSys(dc, box, COLOR_HIGHLIGHT);
        }
    }
    if (focused && s.caretOn) {
        const std::size_t line = s.model.LineOf(s.model.Caret());
        if (line >= s.firstLine && line < s.firstLine + static_cast<std::size_t>(visible)) {
            const int x = area.left - s.xOffset + XOf(s, m, lines[line], s.model.Caret());
            const int y = area.top + static_cast<int>(line - s.firstLine) * s.lineHeight;
            if (x >= rc.left && x < rc.right) {
                RECT caret{x, y, x + 1, std::min<LONG>(y + s.lineHeight, rc.bottom)};
                HBRUSH caretBrush = CreateSolidBrush(textColor);
                FillRect(dc, &caret, caretBrush);
                DeleteObject(caretBrush);
            }
        }
    }
    SelectObject(dc, oldFont);
    EndPaint(hwnd, &ps);
}

void OnVScroll(HWND hwnd, EditState& s, WORD code) {
    const long long page = std::max(1, VisibleLines(hwnd, s) - 1);
    switch (code) {
        case SB_LINEUP:
            ScrollLines(hwnd, s, -1);
            break;
        case SB_LINEDOWN:
            ScrollLines(hwnd, s, 1);
            break;
        case SB_PAGEUP:
            ScrollLines(hwnd, s, -page);
            break;
        case SB_PAGEDOWN:
            ScrollLines(hwnd, s, page);
            break;
        case SB_TOP:
            ScrollLines(hwnd, s, -static_cast<long long>(s.firstLine));
            break;
        case SB_BOTTOM:
            ScrollLines(hwnd, s, static_cast<long long>(s.model.Lines().size()));
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            SCROLLINFO si{};
            si.cbSize = sizeof(si);
            si.fMask = SIF_TRACKPOS;
            if (GetScrollInfo(hwnd, SB_VERT, &si)) {
                ScrollLines(hwnd, s,
                            static_cast<long long>(si.nTrackPos) - static_cast<long long>(s.firstLine));
            }
            break;
        }
        default:
            break;
    }
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCDESTROY) {
        KillTimer(hwnd, kCaretTimer);
        States().erase(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    auto found = States().find(hwnd);
    if (found == States().end()) {
        found = States().emplace(hwnd, EditState{}).first;
        found->second.model.SetMultiline((Style(hwnd) & ES_MULTILINE) != 0);
    }
    EditState& s = found->second;
    switch (msg) {
        case WM_NCCREATE:
        case WM_CREATE: {
            const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            if (msg == WM_NCCREATE || s.model.Text().empty()) {
                if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) s.model.SetText(cs->lpszName);
            }
            s.model.SetMultiline((static_cast<DWORD>(cs ? cs->style : 0) & ES_MULTILINE) != 0);
            if (msg == WM_CREATE) {
                Measurer m(hwnd, s);
                EnsureLayout(hwnd, s, m);
                UpdateScrollBar(hwnd, s);
            }
            break;  // the default stores the window text
        }
        case WM_GETDLGCODE: {
            LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
            if ((Style(hwnd) & (ES_MULTILINE | ES_WANTRETURN)) == (ES_MULTILINE | ES_WANTRETURN)) {
                code |= DLGC_WANTALLKEYS;
            }
            return code;
        }
        case WM_SETFONT:
            s.font = reinterpret_cast<HFONT>(wParam);
            ForgetWidths(s);
            s.lineHeight = 0;
            s.model.InvalidateLayout();
            {
                Measurer m(hwnd, s);
                EnsureLayout(hwnd, s, m);
                UpdateScrollBar(hwnd, s);
            }
            if (LOWORD(static_cast<std::uintptr_t>(lParam))) InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(s.font);
        case WM_SETTEXT: {
            const auto* text = reinterpret_cast<LPCWSTR>(lParam);
            s.model.SetText(text ? std::u16string(text) : std::u16string());
            s.firstLine = 0;
            s.xOffset = 0;
            s.modified = false;
            DefWindowProcW(hwnd, msg, wParam, lParam);
            Measurer m(hwnd, s);
            EnsureLayout(hwnd, s, m);
            UpdateScrollBar(hwnd, s);
            InvalidateRect(hwnd, nullptr, FALSE);
            return TRUE;
        }
        case WM_GETTEXT: {
            if (wParam == 0 || lParam == 0) return 0;
            auto* buffer = reinterpret_cast<WCHAR*>(lParam);
            const std::size_t n = std::min<std::size_t>(wParam - 1, s.model.Text().size());
            std::copy_n(s.model.Text().data(), n, buffer);
            buffer[n] = 0;
            return static_cast<LRESULT>(n);
        }
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(s.model.Text().size());
        case WM_SIZE:
        case WM_WINDOWPOSCHANGED: {
            Measurer m(hwnd, s);
            EnsureLayout(hwnd, s, m);
            ClampFirstLine(hwnd, s);
            UpdateScrollBar(hwnd, s);
            InvalidateRect(hwnd, nullptr, FALSE);
            break;
        }
        case WM_SETFOCUS:
            KeepBlinking(hwnd, s);
            InvalidateRect(hwnd, nullptr, FALSE);
            NotifyParent(hwnd, EN_SETFOCUS);
            return 0;
        case WM_KILLFOCUS:
            KillTimer(hwnd, kCaretTimer);
            s.blinking = false;
            s.caretOn = false;
            s.selecting = false;
            InvalidateRect(hwnd, nullptr, FALSE);
            NotifyParent(hwnd, EN_KILLFOCUS);
            return 0;
        case WM_ENABLE:
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case WM_TIMER:
            if (wParam != kCaretTimer) break;
            if (GetFocus() != hwnd || GetTickCount() - s.lastInput >= kBlinkStopMs) {
                // Idle long enough: leave the caret showing and stop waking up.
                KillTimer(hwnd, kCaretTimer);
                s.blinking = false;
                s.caretOn = GetFocus() == hwnd;
            } else {
                s.caretOn = !s.caretOn;
            }
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case WM_SETCURSOR:
            if (LOWORD(static_cast<std::uintptr_t>(lParam)) == HTCLIENT) {
                SetCursor(LoadCursorW(nullptr, IDC_IBEAM));
                return TRUE;
            }
            break;
        case WM_LBUTTONDOWN: {
            if (GetFocus() != hwnd) SetFocus(hwnd);
            KeepBlinking(hwnd, s);
            Measurer m(hwnd, s);
            const std::size_t pos = HitTest(hwnd, s, m, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            s.model.MoveCaretTo(pos, (wParam & MK_SHIFT) != 0);
            s.selecting = true;
            SetCapture(hwnd);
            ScrollToCaret(hwnd, s, m);
            return 0;
        }
        case WM_LBUTTONDBLCLK: {
            KeepBlinking(hwnd, s);
            Measurer m(hwnd, s);
            std::size_t a = 0, b = 0;
            s.model.WordAt(HitTest(hwnd, s, m, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}), &a, &b);
            s.model.SetSel(static_cast<long long>(a), static_cast<long long>(b));
            ScrollToCaret(hwnd, s, m);
            return 0;
        }
        case WM_MOUSEMOVE:
            if (s.selecting && GetCapture() == hwnd) {
                Measurer m(hwnd, s);
                const std::size_t pos = HitTest(hwnd, s, m, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
                if (pos != s.model.Caret()) {
                    s.model.MoveCaretTo(pos, true);
                    ScrollToCaret(hwnd, s, m);
                }
            }
            return 0;
        case WM_LBUTTONUP:
            if (s.selecting) {
                s.selecting = false;
                if (GetCapture() == hwnd) ReleaseCapture();
            }
            return 0;
        case WM_CAPTURECHANGED:
            s.selecting = false;
            return 0;
        case WM_MOUSEWHEEL: {
            const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
            if (notches != 0 && (Style(hwnd) & ES_MULTILINE)) ScrollLines(hwnd, s, -notches * kWheelLines);
            return 0;
        }
        case WM_VSCROLL:
            OnVScroll(hwnd, s, LOWORD(wParam));
            return 0;
        case WM_KEYDOWN:
            OnKeyDown(hwnd, s, wParam);
            return 0;
        case WM_CHAR:
            OnChar(hwnd, s, wParam);
            return 0;
        case WM_COPY:
            Copy(s);
            return 0;
        case WM_CUT:
            Cut(hwnd, s);
            return 0;
        case WM_PASTE:
            Paste(hwnd, s);
            return 0;
        case WM_CLEAR:
            if (!ReadOnly(hwnd)) AfterUserChange(hwnd, s, s.model.ReplaceSelection(u""));
            return 0;
        case EM_GETSEL: {
            const auto a = static_cast<DWORD>(s.model.SelStart()), b = static_cast<DWORD>(s.model.SelEnd());
            if (wParam) *reinterpret_cast<DWORD*>(wParam) = a;
            if (lParam) *reinterpret_cast<DWORD*>(lParam) = b;
            return MAKELPARAM(static_cast<WORD>(std::min<DWORD>(a, 0xFFFF)),
                              static_cast<WORD>(std::min<DWORD>(b, 0xFFFF)));
        }
        case EM_SETSEL: {
            s.model.SetSel(static_cast<long long>(static_cast<LPARAM>(wParam)),
                           static_cast<long long>(lParam));
            Measurer m(hwnd, s);
            ScrollToCaret(hwnd, s, m);
            return 0;
        }
        case EM_REPLACESEL: {
            const auto* text = reinterpret_cast<LPCWSTR>(lParam);
            AfterUserChange(hwnd, s,
                            s.model.ReplaceSelection(text ? std::u16string(text) : std::u16string()));
            return 0;
        }
        case EM_LIMITTEXT:
            // 0 lifts the limit to the largest the control allows.
            s.model.SetLimit(wParam == 0 ? 0x7FFFFFFE : static_cast<std::size_t>(wParam));
            return 0;
        case EM_GETLIMITTEXT:
            return static_cast<LRESULT>(s.model.Limit());
        case EM_SETREADONLY: {
            const DWORD style = Style(hwnd);
            SetWindowLongW(hwnd, GWL_STYLE,
                           static_cast<LONG_PTR>(wParam ? (style | ES_READONLY) : (style & ~ES_READONLY)));
            InvalidateRect(hwnd, nullptr, FALSE);
            return TRUE;
        }
        case EM_SETPASSWORDCHAR:
            s.password = static_cast<WCHAR>(wParam);
            ForgetWidths(s);
            s.model.InvalidateLayout();
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case EM_GETPASSWORDCHAR:
            return s.password;
        case EM_GETMODIFY:
            return s.modified ? TRUE : FALSE;
        case EM_SETMODIFY:
            s.modified = wParam != 0;
            return 0;
        case EM_GETLINECOUNT: {
            Measurer m(hwnd, s);
            EnsureLayout(hwnd, s, m);
            return static_cast<LRESULT>(s.model.Lines().size());
        }
        case EM_GETFIRSTVISIBLELINE:
            return static_cast<LRESULT>(s.firstLine);
        case EM_LINESCROLL:
            ScrollLines(hwnd, s, static_cast<long long>(lParam));
            return TRUE;
        case EM_SCROLL:
            OnVScroll(hwnd, s, LOWORD(wParam));
            return TRUE;
        case EM_SCROLLCARET: {
            Measurer m(hwnd, s);
            ScrollToCaret(hwnd, s, m);
            return TRUE;
        }
        case WM_ERASEBKGND:
            return 1;  // painting fills the whole client area
        case WM_PAINT:
            Paint(hwnd, s);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

void RegisterEditClass() {
    RegisterControlClass(u"edit", EditProc, CS_DBLCLKS, IDC_IBEAM);
}

}  // namespace platform::controls
