// Focus, activation and the foreground window, mouse capture, keyboard
// state, hover/leave tracking, the cursor, and the dialog manager's keyboard
// navigation (GetNextDlgTabItem, IsDialogMessageW).
#include <algorithm>

#include "platform/gdi/surface.h"
#include "platform/wm/wm_internal.h"
#include "platform/wm/wm_state.h"

namespace platform::wm {

void Activate(HWND top, WORD how, bool fromHost) {
    State& s = S();
    if (top == s.active) return;
    HWND old = s.active;
    if (Window* ow = Peek(old)) {
        if (s.focus && IsDescendant(old, s.focus)) ow->lastFocus = s.focus;
    }
    s.active = top;
    if (top) {
        auto& list = s.topLevels;
        list.erase(std::remove(list.begin(), list.end(), top), list.end());
        list.insert(list.begin(), top);
        if (!fromHost) H().Raise(Peek(top)->hostId);
    }
    if (Peek(old)) {
        if (s.focus && IsDescendant(old, s.focus)) {
            HWND f = s.focus;
            s.focus = nullptr;
            SendMessageW(f, WM_KILLFOCUS, 0, 0);
        }
        SendMessageW(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(top));
    }
    if (top && Peek(top) && s.active == top)
        SendMessageW(top, WM_ACTIVATE, how, reinterpret_cast<LPARAM>(Peek(old) ? old : nullptr));
}

void ActivateNextAfter(HWND gone) {
    State& s = S();
    HWND next = nullptr;
    Window* g = Peek(gone);
    HWND owner = g ? g->owner : nullptr;
    auto usable = [&](HWND h) {
        Window* w = Peek(h);
        return w && h != gone && !w->destroying && (w->style & WS_VISIBLE) && !(w->style & WS_DISABLED) &&
               !w->minimized;
    };
    if (owner && usable(owner)) next = owner;
    for (HWND t : s.topLevels)
        if (!next && usable(t)) next = t;
    if (s.active == gone) s.active = nullptr;
    Activate(next, WA_ACTIVE, false);
}

void OnWindowGone(HWND h) {
    State& s = S();
    if (s.focus == h) s.focus = nullptr;
    if (s.capture == h) s.capture = nullptr;
    if (s.implicitCapture == h) s.implicitCapture = nullptr;
    if (s.mouseWindow == h) s.mouseWindow = nullptr;
    if (s.trackWindow == h) s.trackWindow = nullptr;
    if (s.lastPressWindow == h) s.lastPressWindow = nullptr;
    if (s.active == h) s.active = nullptr;
    auto& q = s.queue;
    q.erase(std::remove_if(q.begin(), q.end(), [&](const MSG& m) { return m.hwnd == h; }), q.end());
}

namespace {

void CollectPreOrder(HWND h, std::vector<HWND>* out) {
    Window* w = Peek(h);
    if (!w) return;
    for (HWND c : w->children) {
        out->push_back(c);
        CollectPreOrder(c, out);
    }
}

bool TabStop(HWND h) {
    Window* w = Peek(h);
    return w && (w->style & WS_TABSTOP) && VisibleChain(w) && EnabledChain(w);
}

HWND DefaultButton(HWND dialog) {
    std::vector<HWND> all;
    CollectPreOrder(dialog, &all);
    for (HWND h : all)
        if (Peek(h) && (SendMessageW(h, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)) return h;
    return nullptr;
}

HWND ChildWithId(HWND dialog, int id) {
    std::vector<HWND> all;
    CollectPreOrder(dialog, &all);
    for (HWND h : all)
        if (Window* w = Peek(h); w && w->id == id) return h;
    return nullptr;
}

}  // namespace

}  // namespace platform::wm

using namespace platform;
using namespace platform::wm;

HWND SetFocus(HWND hwnd) {
    State& s = S();
    HWND old = Peek(s.focus) ? s.focus : nullptr;
    if (!hwnd) {
        s.focus = nullptr;
        if (old) SendMessageW(old, WM_KILLFOCUS, 0, 0);
        return old;
    }
    Window* w = Win(hwnd);
    if (!w || w->destroying) return nullptr;
    Window* top = Root(w);
    if (top->style & WS_DISABLED) return nullptr;
    if (s.active != top->self) {
        Activate(top->self, WA_ACTIVE, false);
        old = Peek(s.focus) ? s.focus : nullptr;
        if (!Peek(hwnd)) return old;
    }
    if (old == hwnd) return old;
    s.focus = hwnd;
    if (old) SendMessageW(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    if (Peek(hwnd) && s.focus == hwnd) SendMessageW(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    return old;
}

HWND GetFocus() {
    return Peek(S().focus) ? S().focus : nullptr;
}
HWND GetForegroundWindow() {
    return Peek(S().active) ? S().active : nullptr;
}
HWND GetActiveWindow() {
    return GetForegroundWindow();
}

BOOL SetForegroundWindow(HWND hwnd) {
    Window* w = Win(hwnd);
    if (!w) return FALSE;
    Activate(Root(w)->self, WA_ACTIVE, false);
    return TRUE;
}

HWND SetActiveWindow(HWND hwnd) {
    HWND old = GetActiveWindow();
    Window* w = Win(hwnd);
    if (!w) return nullptr;
    Activate(Root(w)->self, WA_ACTIVE, false);
    return old;
}

HWND SetCapture(HWND hwnd) {
    HWND old = Peek(S().capture) ? S().capture : nullptr;
    if (!Win(hwnd)) return nullptr;
    S().capture = hwnd;
    S().implicitCapture = nullptr;
    return old;
}

BOOL ReleaseCapture() {
    HWND old = S().capture;
    S().capture = nullptr;
    if (old && Peek(old)) SendMessageW(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND GetCapture() {
    return Peek(S().capture) ? S().capture : nullptr;
}

short GetKeyState(int virtualKey) {
    if (virtualKey < 0 || virtualKey > 255) return 0;
    return S().keys[virtualKey] ? static_cast<short>(0x8000) : 0;
}

BOOL TrackMouseEvent(TRACKMOUSEEVENT* request) {
    if (!request || request->cbSize < 16) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    State& s = S();
    if (request->dwFlags & TME_CANCEL) {
        if (s.trackWindow == request->hwndTrack) {
            if (request->dwFlags & TME_HOVER) s.trackHover = false;
            if (request->dwFlags & TME_LEAVE) s.trackLeave = false;
            if (!s.trackHover && !s.trackLeave) s.trackWindow = nullptr;
        }
        return TRUE;
    }
    if (!Win(request->hwndTrack)) return FALSE;
    if (s.mouseWindow != request->hwndTrack) {
        // The pointer is not over the window: it has already left.
        if (request->dwFlags & TME_LEAVE) PostMessageW(request->hwndTrack, WM_MOUSELEAVE, 0, 0);
        return TRUE;
    }
    if (s.trackWindow != request->hwndTrack) s.trackHover = s.trackLeave = false;
    s.trackWindow = request->hwndTrack;
    if (request->dwFlags & TME_HOVER) {
        s.trackHover = true;
        s.hoverTime = request->dwHoverTime == HOVER_DEFAULT ? 400 : request->dwHoverTime;
        s.hoverDue = H().NowMs() + s.hoverTime;
    }
    if (request->dwFlags & TME_LEAVE) s.trackLeave = true;
    return TRUE;
}

HCURSOR SetCursor(HCURSOR cursor) {
    HCURSOR old = S().cursor;
    S().cursor = cursor;
    return old;
}

HWND WindowFromPoint(POINT p) {
    for (HWND t : S().topLevels) {
        Window* w = Peek(t);
        if (!w || !(w->style & WS_VISIBLE) || !Contains(w->rect, p)) continue;
        HWND found = t;
        for (bool deeper = true; deeper;) {
            deeper = false;
            Window* fw = Peek(found);
            POINT co = ClientOriginScreen(fw);
            if (!Contains(RECT{co.x, co.y, co.x + ClientWidth(fw), co.y + ClientHeight(fw)}, p)) break;
            for (HWND c : fw->children) {
                Window* cw = Peek(c);
                if (!cw || !(cw->style & WS_VISIBLE)) continue;
                POINT o = WindowOriginScreen(cw);
                if (Contains(RECT{o.x, o.y, o.x + cw->Width(), o.y + cw->Height()}, p)) {
                    found = c;
                    deeper = true;
                    break;
                }
            }
        }
        return found;
    }
    return nullptr;
}

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
    if (!Win(dialog)) return nullptr;
    std::vector<HWND> all;
    CollectPreOrder(dialog, &all);
    if (all.empty()) return nullptr;
    const int n = static_cast<int>(all.size());
    int pos = -1;
    for (int i = 0; i < n; ++i)
        if (all[i] == control) pos = i;
    const int step = previous ? -1 : 1;
    int i = pos < 0 ? (previous ? n : -1) : pos;
    for (int k = 0; k < n; ++k) {
        i = ((i + step) % n + n) % n;
        if (TabStop(all[i])) return all[i];
    }
    return nullptr;
}

BOOL IsDialogMessageW(HWND dialog, MSG* msg) {
    if (!msg || !Peek(dialog) || !msg->hwnd || !IsDescendant(dialog, msg->hwnd)) return FALSE;
    if (msg->message == WM_KEYDOWN) {
        const int vk = static_cast<int>(msg->wParam);
        HWND focus = GetFocus();
        if (!focus || !IsDescendant(dialog, focus)) focus = msg->hwnd;
        const LRESULT code =
            SendMessageW(msg->hwnd, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg));
        if (!Peek(dialog)) return TRUE;
        const bool wantsAll = (code & DLGC_WANTALLKEYS) != 0;
        switch (vk) {
            case VK_TAB:
                if (code & (DLGC_WANTTAB | DLGC_WANTALLKEYS)) break;
                if (HWND next = GetNextDlgTabItem(dialog, focus, (GetKeyState(VK_SHIFT) & 0x8000) != 0)) {
                    SetFocus(next);
                    if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
                        SendMessageW(next, EM_SETSEL, 0, -1);
                }
                return TRUE;
            case VK_LEFT:
            case VK_UP:
            case VK_RIGHT:
            case VK_DOWN:
                if (code & (DLGC_WANTARROWS | DLGC_WANTALLKEYS)) break;
                if (HWND next = GetNextDlgTabItem(dialog, focus, vk == VK_LEFT || vk == VK_UP))
                    SetFocus(next);
                return TRUE;
            case VK_RETURN: {
                if (wantsAll) break;
                HWND button = nullptr;
                if (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) button = msg->hwnd;
                if (!button) button = DefaultButton(dialog);
                const WORD id = button ? static_cast<WORD>(GetDlgCtrlID(button)) : IDOK;
                SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                             reinterpret_cast<LPARAM>(button));
                return TRUE;
            }
            case VK_ESCAPE: {
                if (wantsAll) break;
                HWND cancel = ChildWithId(dialog, IDCANCEL);
                SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                             reinterpret_cast<LPARAM>(cancel));
                return TRUE;
            }
            default:
                break;
        }
    }
    TranslateMessage(msg);
    DispatchMessageW(msg);
    return TRUE;
}
