// The vertical scroll bar of a WS_VSCROLL window: its range, page and
// position (SetScrollInfo/GetScrollInfo), its painting in the non-client area
// and the tracking of a press on it, which sends WM_VSCROLL to the window.
#include <algorithm>
#include <unordered_map>

#include "platform/controls/controls.h"
#include "platform/controls/draw_util.h"
#include "platform/wm/wm_internal.h"

namespace platform::controls {
namespace {

enum class Part { None, UpArrow, PageUp, Thumb, PageDown, DownArrow };

struct ScrollState {
    int min = 0;
    int max = 0;
    UINT page = 0;
    int pos = 0;
    int trackPos = 0;
    bool tracking = false;  // the thumb is being dragged: trackPos leads
    Part pressed = Part::None;
};

// A timer identifier far above any control or element identifier: the
// auto-repeat of a held arrow, taken out of the queue by the tracking loop.
constexpr UINT_PTR kRepeatTimer = 0x7EC05C01;
constexpr UINT kRepeatDelayMs = 400;
constexpr UINT kRepeatMs = 50;
constexpr int kMinThumb = 8;

std::unordered_map<HWND, ScrollState>& States() {
    static auto* states = new std::unordered_map<HWND, ScrollState>;
    return *states;
}

// The highest position a page still fits at.
int MaxPosition(const ScrollState& s) {
    const int pageSpan = s.page > 0 ? static_cast<int>(s.page) - 1 : 0;
    return std::max(s.min, s.max - pageSpan);
}

// The parts of a bar: two square arrow buttons at the ends, the track
// between them and the thumb on the track.
struct Geometry {
    RECT up{}, down{}, track{}, thumb{};
    bool hasThumb = false;
};

Geometry Measure(const ScrollState& s, const RECT& bar) {
    Geometry g;
    const int width = bar.right - bar.left;
    const int height = bar.bottom - bar.top;
    const int arrow = std::max(0, std::min(width, height / 2));
    g.up = {bar.left, bar.top, bar.right, bar.top + arrow};
    g.down = {bar.left, bar.bottom - arrow, bar.right, bar.bottom};
    g.track = {bar.left, g.up.bottom, bar.right, g.down.top};
    const long long span = static_cast<long long>(s.max) - s.min + 1;
    const int trackLength = g.track.bottom - g.track.top;
    if (span <= 0 || static_cast<long long>(s.page) >= span || s.max <= s.min || trackLength < kMinThumb)
        return g;
    const long long page = s.page > 0 ? s.page : 1;
    int thumbLength = static_cast<int>(trackLength * page / span);
    thumbLength = std::clamp(thumbLength, std::min(kMinThumb, trackLength), trackLength);
    const int maxPos = MaxPosition(s);
    const int shown = s.tracking ? s.trackPos : s.pos;
    const long long travel = trackLength - thumbLength;
    const int offset =
        maxPos > s.min ? static_cast<int>(travel * (static_cast<long long>(shown) - s.min) / (maxPos - s.min))
                       : 0;
    g.thumb = {bar.left, g.track.top + offset, bar.right, g.track.top + offset + thumbLength};
    g.hasThumb = true;
    return g;
}

Part HitPart(const Geometry& g, POINT p) {
    if (Contains(g.up, p)) return Part::UpArrow;
    if (Contains(g.down, p)) return Part::DownArrow;
    if (!g.hasThumb) return Part::None;
    if (Contains(g.thumb, p)) return Part::Thumb;
    if (Contains(g.track, p)) return p.y < g.thumb.top ? Part::PageUp : Part::PageDown;
    return Part::None;
}

// A filled triangle pointing up or down, centred in `r`.
void DrawArrowGlyph(HDC dc, const RECT& r, bool up, COLORREF color) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    const int half = std::max(1, std::min(w, h) / 4);
    const int cx = r.left + w / 2, cy = r.top + h / 2;
    HPEN pen = CreatePen(PS_SOLID, 1, color);
    HGDIOBJ old = SelectObject(dc, pen);
    for (int row = 0; row < half; ++row) {
        const int y = up ? cy - half / 2 + row : cy + half / 2 - row;
        MoveToEx(dc, cx - row, y, nullptr);
        LineTo(dc, cx + row + 1, y);
    }
    SelectObject(dc, old);
    DeleteObject(pen);
}

void DrawButton(HDC dc, const RECT& r, bool pressed) {
    if (r.right <= r.left || r.bottom <= r.top) return;
    FillSys(dc, r, COLOR_BTNFACE);
    if (pressed) {
        FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
    } else {
        DrawRaisedEdge(dc, r);
    }
}

void SendScroll(HWND hwnd, WORD code, int pos) {
    SendMessageW(hwnd, WM_VSCROLL, MAKEWPARAM(code, static_cast<WORD>(std::clamp(pos, 0, 0xFFFF))), 0);
}

ScrollState* StateOf(HWND hwnd) {
    auto it = States().find(hwnd);
    return it == States().end() ? nullptr : &it->second;
}

// Window coordinates of a client-area point of `hwnd`.
POINT ClientToWindow(HWND hwnd, POINT p) {
    RECT window{};
    GetWindowRect(hwnd, &window);
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    return {p.x + origin.x - window.left, p.y + origin.y - window.top};
}

}  // namespace

void PaintScrollBar(HWND hwnd, HDC dc, const RECT& bar) {
    if (bar.right <= bar.left || bar.bottom <= bar.top) return;
    ScrollState empty;
    const ScrollState* found = StateOf(hwnd);
    const ScrollState& s = found ? *found : empty;
    const Geometry g = Measure(s, bar);
    const bool active = g.hasThumb && IsWindowEnabled(hwnd);
    const COLORREF glyph = GetSysColor(active ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
    DrawButton(dc, g.up, s.pressed == Part::UpArrow);
    DrawArrowGlyph(dc, g.up, true, glyph);
    DrawButton(dc, g.down, s.pressed == Part::DownArrow);
    DrawArrowGlyph(dc, g.down, false, glyph);
    if (g.track.bottom > g.track.top) FillSys(dc, g.track, COLOR_SCROLLBAR);
    if (!active) return;
    // A held page area darkens between the thumb and the arrow.
    if (s.pressed == Part::PageUp) {
        RECT r{g.track.left, g.track.top, g.track.right, g.thumb.top};
        FillSys(dc, r, COLOR_3DDKSHADOW);
    } else if (s.pressed == Part::PageDown) {
        RECT r{g.track.left, g.thumb.bottom, g.track.right, g.track.bottom};
        FillSys(dc, r, COLOR_3DDKSHADOW);
    }
    DrawButton(dc, g.thumb, false);
}

void TrackScrollBar(HWND hwnd, POINT windowPoint) {
    ScrollState* s = StateOf(hwnd);
    if (!s || !IsWindowEnabled(hwnd)) return;
    const RECT bar = wm::VerticalScrollBarRect(hwnd);
    Geometry g = Measure(*s, bar);
    const Part part = HitPart(g, windowPoint);
    if (part == Part::None) return;
    const int grabOffset = windowPoint.y - g.thumb.top;
    POINT pointer = windowPoint;
    auto step = [&]() {
        // One step of a held arrow or page area; a page click stops once the
        // thumb has reached the pointer.
        ScrollState* st = StateOf(hwnd);
        if (!st) return;
        const Geometry now = Measure(*st, bar);
        const Part under = HitPart(now, pointer);
        if (under != part) return;
        const WORD code = part == Part::UpArrow     ? SB_LINEUP
                          : part == Part::DownArrow ? SB_LINEDOWN
                          : part == Part::PageUp    ? SB_PAGEUP
                                                    : SB_PAGEDOWN;
        SendScroll(hwnd, code, 0);
    };
    s->pressed = part;
    if (part == Part::Thumb) {
        s->tracking = true;
        s->trackPos = s->pos;
    }
    wm::RedrawNonClient(hwnd);
    SetCapture(hwnd);
    if (part != Part::Thumb) {
        step();
        SetTimer(hwnd, kRepeatTimer, kRepeatDelayMs, nullptr);
    }
    bool repeating = false;
    MSG msg{};
    while (IsWindow(hwnd) && GetCapture() == hwnd) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));  // the outer loop must see it too
            break;
        }
        if (msg.message == WM_TIMER && msg.hwnd == hwnd && msg.wParam == kRepeatTimer) {
            if (!repeating) {
                repeating = true;
                SetTimer(hwnd, kRepeatTimer, kRepeatMs, nullptr);
            }
            step();
            continue;
        }
        if (msg.hwnd == hwnd && (msg.message == WM_MOUSEMOVE || msg.message == WM_LBUTTONUP)) {
            pointer = ClientToWindow(hwnd, {GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)});
            ScrollState* st = StateOf(hwnd);
            if (st && part == Part::Thumb) {
                const Geometry now = Measure(*st, bar);
                const int travel = (now.track.bottom - now.track.top) - (now.thumb.bottom - now.thumb.top);
                const int maxPos = MaxPosition(*st);
                int target = st->min;
                if (travel > 0) {
                    const long long offset =
                        std::clamp<long long>(pointer.y - grabOffset - now.track.top, 0, travel);
                    target = st->min + static_cast<int>((offset * (maxPos - st->min) + travel / 2) / travel);
                }
                if (target != st->trackPos) {
                    st->trackPos = target;
                    wm::RedrawNonClient(hwnd);
                    SendScroll(hwnd, SB_THUMBTRACK, target);
                }
            }
            if (msg.message == WM_LBUTTONUP) break;
            continue;
        }
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) break;
        // Other input waits; timers and paints go on.
        if (msg.message >= WM_KEYDOWN && msg.message <= WM_SYSCHAR) continue;
        if (msg.message >= WM_MOUSEMOVE && msg.message <= WM_MOUSEWHEEL) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (IsWindow(hwnd)) {
        KillTimer(hwnd, kRepeatTimer);
        if (GetCapture() == hwnd) ReleaseCapture();
    }
    ScrollState* st = StateOf(hwnd);
    if (!st) return;
    st->pressed = Part::None;
    if (st->tracking)
        SendScroll(hwnd, SB_THUMBPOSITION, st->trackPos);  // the track position still reads back
    if (ScrollState* after = StateOf(hwnd)) after->tracking = false;
    SendScroll(hwnd, SB_ENDSCROLL, 0);
    if (IsWindow(hwnd)) wm::RedrawNonClient(hwnd);
}

void ForgetScrollBar(HWND hwnd) {
    States().erase(hwnd);
}

}  // namespace platform::controls

using platform::controls::ScrollState;

int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw) {
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (bar != SB_VERT || !info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    ScrollState& s = platform::controls::States()[hwnd];
    if (info->fMask & SIF_RANGE) {
        s.min = info->nMin;
        s.max = std::max(info->nMin, info->nMax);
    }
    if (info->fMask & SIF_PAGE) s.page = info->nPage;
    // The page never exceeds the range; the position stays where a page fits.
    const long long span = static_cast<long long>(s.max) - s.min + 1;
    if (static_cast<long long>(s.page) > span) s.page = static_cast<UINT>(span);
    if (info->fMask & SIF_POS) s.pos = info->nPos;
    s.pos = std::clamp(s.pos, s.min, platform::controls::MaxPosition(s));
    if (!s.tracking) s.trackPos = s.pos;
    if (redraw) platform::wm::RedrawNonClient(hwnd);
    return s.pos;
}

BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info) {
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (bar != SB_VERT || !info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto& states = platform::controls::States();
    auto it = states.find(hwnd);
    const ScrollState s = it == states.end() ? ScrollState{} : it->second;
    if (info->fMask & SIF_RANGE) {
        info->nMin = s.min;
        info->nMax = s.max;
    }
    if (info->fMask & SIF_PAGE) info->nPage = s.page;
    if (info->fMask & SIF_POS) info->nPos = s.pos;
    if (info->fMask & SIF_TRACKPOS) info->nTrackPos = s.tracking ? s.trackPos : s.pos;
    return TRUE;
}
