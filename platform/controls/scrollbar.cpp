// The vertical scroll bar of a WS_VSCROLL window: its range, page and
// position (SetScrollInfo/GetScrollInfo), its painting in the non-client area
// and the tracking of a press on it, which sends WM_VSCROLL to the window.
#include <algorithm>
#include <unordered_map>

#include "platform/controls/controls.h"
#include "platform/wm/wm_internal.h"

namespace platform::controls {
namespace {

struct ScrollState {
    int min = 0;
    int max = 0;
    UINT page = 0;
    int pos = 0;
    int trackPos = 0;
    bool tracking = false;
};

std::unordered_map<HWND, ScrollState>& States() {
    static auto* states = new std::unordered_map<HWND, ScrollState>;
    return *states;
}

// The highest position a page still fits at.
int MaxPosition(const ScrollState& s) {
    const int pageSpan = s.page > 0 ? static_cast<int>(s.page) - 1 : 0;
    return std::max(s.min, s.max - pageSpan);
}

}  // namespace

void PaintScrollBar(HWND, HDC, const RECT&) {}

void TrackScrollBar(HWND, POINT) {}

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
