// Input: the host's events turned into the messages a person's actions
// produce (hit testing, cursors, mouse messages with implicit capture and
// double clicks, hover and leave tracking, keys, typed text, close requests,
// the desktop's quit), and keyboard focus, activation and mouse capture.
#include <algorithm>
#include <cstdlib>

#include "platform/wm_b/wm_state.h"

namespace platform::wm {

namespace {

HWND pointerWindow = nullptr;  // the window the pointer was last over
LRESULT pressHit = HTCLIENT;

bool Contains(const RECT& r, POINT p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

RECT WindowSurfaceRect(Window* w) {
    POINT o = SurfaceOrigin(w);
    return RECT{o.x, o.y, o.x + Width(w->rect), o.y + Height(w->rect)};
}

// The deepest visible, enabled window under `sp` (surface point), skipping
// windows that answer HTTRANSPARENT.
Window* Hit(Window* w, POINT sp, LPARAM screen, LRESULT* hit) {
    POINT co = ClientSurfaceOrigin(w);
    RECT c = ClientRectOf(w);
    if (Contains(RECT{co.x, co.y, co.x + c.right, co.y + c.bottom}, sp)) {
        std::vector<HWND> kids;
        for (Window* k : w->children)
            kids.push_back(k->handle);
        for (HWND kh : kids) {
            Window* k = Peek(kh);
            if (k == nullptr || !(k->style & WS_VISIBLE) || (k->style & WS_DISABLED)) continue;
            if (!Contains(WindowSurfaceRect(k), sp)) continue;
            if (Window* r = Hit(k, sp, screen, hit)) return r;
        }
    }
    const LRESULT h = Send(w, WM_NCHITTEST, 0, screen);
    if (h == HTTRANSPARENT) return nullptr;
    *hit = h;
    return w;
}

WPARAM MouseKeys() {
    WPARAM mk = 0;
    if (S().buttons & 1) mk |= MK_LBUTTON;
    if (S().buttons & 2) mk |= MK_RBUTTON;
    if (S().keys[VK_SHIFT]) mk |= MK_SHIFT;
    if (S().keys[VK_CONTROL]) mk |= MK_CONTROL;
    return mk;
}

LPARAM ClientPoint(Window* w, POINT screen) {
    POINT p = screen;
    ScreenToClient(w->handle, &p);
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(p.x)), static_cast<WORD>(static_cast<short>(p.y)));
}

LPARAM ScreenParam(POINT p) {
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(p.x)), static_cast<WORD>(static_cast<short>(p.y)));
}

Window* ModalOf(Window* top) {
    for (Window* t : S().topLevels)
        if (t->owner == top->handle && (t->style & WS_VISIBLE) && !(t->style & WS_DISABLED)) return t;
    return nullptr;
}

void LeaveTracking(HWND now) {
    if (S().trackWindow == nullptr || S().trackWindow == now) return;
    HWND t = S().trackWindow;
    const DWORD flags = S().trackFlags;
    S().trackWindow = nullptr;
    S().trackFlags = 0;
    S().hoverStart = 0;
    if ((flags & TME_LEAVE) && Peek(t)) Post(t, WM_MOUSELEAVE, 0, 0);
}

// One mouse action: `down` 1 for a press, -1 for a release, 0 for a move.
void RouteMouse(Window* top, int down, int button) {
    const POINT screen = S().pointerScreen;
    Window* target = Peek(S().capture);
    LRESULT hit = HTCLIENT;
    const bool captured = target != nullptr;
    if (target == nullptr && down != 1 && Peek(S().pressWindow) != nullptr) {
        target = Peek(S().pressWindow);
        hit = pressHit;
    }
    if (target == nullptr) {
        if (top == nullptr || !(top->style & WS_VISIBLE)) return;
        POINT sp{screen.x - top->rect.left, screen.y - top->rect.top};
        if (!Contains(RECT{0, 0, Width(top->rect), Height(top->rect)}, sp)) return;
        target = Hit(top, sp, ScreenParam(screen), &hit);
        if (target == nullptr) return;
    }
    HWND th = target->handle;
    if (!Enabled(target) && !captured) return;
    if (!captured && Peek(S().pressWindow) == nullptr) {
        const UINT mouseMsg = down == 0 ? WM_MOUSEMOVE
                                        : (button == 1 ? (down > 0 ? WM_LBUTTONDOWN : WM_LBUTTONUP)
                                                       : (down > 0 ? WM_RBUTTONDOWN : WM_RBUTTONUP));
        Send(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(th),
             MAKELPARAM(static_cast<WORD>(hit), mouseMsg));
        if (Peek(th) == nullptr) return;
    }
    if (down == 0) {
        LeaveTracking(th);
        if (S().trackWindow == th) S().hoverStart = H().NowMs();
    }
    pointerWindow = th;
    if (down == 1 && !captured) {
        S().pressWindow = th;
        pressHit = hit;
    }
    if (hit != HTCLIENT) {
        UINT m = down == 0 ? WM_NCMOUSEMOVE : (down > 0 ? WM_NCLBUTTONDOWN : WM_NCLBUTTONUP);
        if (button == 1 || down == 0) Post(th, m, static_cast<WPARAM>(hit), ScreenParam(screen));
        return;
    }
    UINT m = WM_MOUSEMOVE;
    if (down != 0) {
        const bool left = button == 1;
        const bool middle = button == 2;
        m = down > 0 ? (left     ? WM_LBUTTONDOWN
                        : middle ? WM_MBUTTONDOWN
                                 : WM_RBUTTONDOWN)
                     : (left     ? WM_LBUTTONUP
                        : middle ? WM_MBUTTONUP
                                 : WM_RBUTTONUP);
        if (down > 0 && !middle) {
            const std::uint64_t now = H().NowMs();
            const bool dbl = (target->cls->wc.style & CS_DBLCLKS) && S().lastClickWindow == th &&
                             S().lastClickButton == button && !S().lastWasDouble &&
                             now - S().lastClickTime <= 500 &&
                             std::abs(screen.x - S().lastClickPoint.x) <= 4 &&
                             std::abs(screen.y - S().lastClickPoint.y) <= 4;
            if (dbl) m = left ? WM_LBUTTONDBLCLK : WM_RBUTTONDBLCLK;
            S().lastWasDouble = dbl;
            S().lastClickWindow = th;
            S().lastClickButton = button;
            S().lastClickTime = now;
            S().lastClickPoint = screen;
        }
    }
    Post(th, m, MouseKeys(), ClientPoint(target, screen));
}

Window* KeyTarget() {
    Window* t = Peek(S().focus);
    if (t == nullptr) t = Peek(S().active);
    if (t == nullptr || !Enabled(t)) return nullptr;
    return t;
}

int ButtonBit(int button) {
    return button == 1 ? 1 : button == 3 ? 2 : 4;
}

}  // namespace

Window* TopOfHost(host::WindowId id) {
    if (id == 0) return nullptr;
    for (Window* t : S().topLevels)
        if (t->hostId == id) return t;
    return nullptr;
}

void CheckHover() {
    if (S().trackWindow == nullptr || !(S().trackFlags & TME_HOVER) || S().hoverStart == 0) return;
    if (H().NowMs() < S().hoverStart + S().hoverMs) return;
    Window* w = Peek(S().trackWindow);
    S().trackFlags &= ~TME_HOVER;
    S().hoverStart = 0;
    if (w != nullptr) Post(w->handle, WM_MOUSEHOVER, MouseKeys(), ClientPoint(w, S().pointerScreen));
}

void Activate(Window* top, WORD how) {
    if (S().active == top->handle) {
        H().Raise(top->hostId);
        return;
    }
    Window* old = Peek(S().active);
    S().active = top->handle;
    auto& list = S().topLevels;
    list.erase(std::remove(list.begin(), list.end(), top), list.end());
    list.insert(list.begin(), top);
    if (old != nullptr) Send(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(top->handle));
    if (Peek(top->handle) == nullptr) return;
    H().Raise(top->hostId);
    Send(top, WM_ACTIVATE, how, reinterpret_cast<LPARAM>(old ? old->handle : nullptr));
    Window* f = Peek(S().focus);
    if (f != nullptr && Peek(S().active) != nullptr && !IsDescendant(Peek(S().active), f)) {
        Root(f)->lastFocus = f->handle;
        S().focus = nullptr;
        Send(f, WM_KILLFOCUS, 0, 0);
    }
}

void Deactivate() {
    Window* old = Peek(S().active);
    if (old == nullptr) return;
    Window* f = Peek(S().focus);
    if (f != nullptr && IsDescendant(old, f)) {
        old->lastFocus = f->handle;
        S().focus = nullptr;
        Send(f, WM_KILLFOCUS, 0, 0);
    }
    S().active = nullptr;
    if (Peek(old->handle)) Send(old, WM_ACTIVATE, WA_INACTIVE, 0);
}

void ForgetWindow(Window* w) {
    HWND h = w->handle;
    if (S().focus == h) S().focus = nullptr;
    if (S().active == h) S().active = nullptr;
    if (S().capture == h) S().capture = nullptr;
    if (S().pressWindow == h) S().pressWindow = nullptr;
    if (S().trackWindow == h) {
        S().trackWindow = nullptr;
        S().trackFlags = 0;
    }
    if (S().lastClickWindow == h) S().lastClickWindow = nullptr;
    if (pointerWindow == h) pointerWindow = nullptr;
}

void ActivateNextAfter(Window* gone) {
    if (gone != nullptr && S().active == gone->handle) Deactivate();
    for (Window* t : S().topLevels) {
        if (t == gone || t->destroying || !(t->style & WS_VISIBLE) || (t->style & WS_DISABLED)) continue;
        Activate(t, WA_ACTIVE);
        return;
    }
}

void HandleHostEvent(const host::Event& e) {
    using T = host::Event::Type;
    Window* top = TopOfHost(e.window);
    switch (e.type) {
        case T::MouseMove:
        case T::MouseDown:
        case T::MouseUp: {
            if (top != nullptr) {
                S().pointerHost = e.window;
                S().pointerScreen = POINT{top->rect.left + e.x, top->rect.top + e.y};
            }
            int down = e.type == T::MouseDown ? 1 : e.type == T::MouseUp ? -1 : 0;
            if (down == 1) {
                S().altAlone = false;
                S().buttons |= ButtonBit(e.button);
                if (top != nullptr && Peek(S().capture) == nullptr && Peek(S().pressWindow) == nullptr) {
                    if (!Enabled(top)) {
                        if (Window* modal = ModalOf(top)) Activate(modal, WA_CLICKACTIVE);
                        return;
                    }
                    if (S().active != top->handle) Activate(top, WA_CLICKACTIVE);
                    if (TopOfHost(e.window) == nullptr) return;
                }
            }
            RouteMouse(TopOfHost(e.window), down, e.button);
            if (down == -1) {
                S().buttons &= ~ButtonBit(e.button);
                if (S().buttons == 0) S().pressWindow = nullptr;
            }
            return;
        }
        case T::MouseWheel: {
            Window* t = KeyTarget();
            if (t == nullptr) return;
            const WPARAM wp =
                MAKEWPARAM(static_cast<WORD>(MouseKeys()), static_cast<WORD>(e.wheel * WHEEL_DELTA));
            Post(t->handle, WM_MOUSEWHEEL, wp, ScreenParam(S().pointerScreen));
            return;
        }
        case T::PointerLeft:
            if (S().pressWindow == nullptr && S().capture == nullptr) {
                LeaveTracking(nullptr);
                pointerWindow = nullptr;
            }
            return;
        case T::KeyDown:
        case T::KeyUp: {
            const int vk = e.key & 0xFF;
            const bool down = e.type == T::KeyDown;
            const bool wasDown = S().keys[vk];
            S().keys[vk] = down;
            if (down) S().altAlone = vk == VK_MENU ? (!wasDown || S().altAlone) : false;
            Window* t = KeyTarget();
            if (t == nullptr || !Enabled(Root(t))) return;
            const bool sys = S().keys[VK_MENU] || vk == VK_MENU || vk == VK_F10;
            LPARAM lp = 1;
            if (S().keys[VK_MENU]) lp |= LPARAM(1) << 29;
            if (!down || wasDown) lp |= LPARAM(1) << 30;
            if (!down) lp |= static_cast<LPARAM>(0x80000000u);
            UINT m = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
            Post(t->handle, m, static_cast<WPARAM>(vk), lp);
            return;
        }
        case T::Text: {
            Window* t = KeyTarget();
            if (t == nullptr || !Enabled(Root(t))) return;
            for (char16_t c : e.text)
                Post(t->handle, WM_CHAR, c, 1);
            return;
        }
        case T::FocusGained:
            if (top == nullptr) return;
            if (!Enabled(top)) {
                if (Window* modal = ModalOf(top)) Activate(modal, WA_ACTIVE);
                return;
            }
            Activate(top, WA_ACTIVE);
            return;
        case T::FocusLost:
            if (top != nullptr && S().active == top->handle) Deactivate();
            return;
        case T::CloseRequested:
            if (top != nullptr && Enabled(top)) Post(top->handle, WM_SYSCOMMAND, SC_CLOSE, 0);
            return;
        case T::Moved:
            if (top != nullptr) {
                const int w = Width(top->rect), h = Height(top->rect);
                top->rect = RECT{e.x, e.y, e.x + w, e.y + h};
                Send(top, WM_MOVE, 0,
                     MAKELPARAM(static_cast<WORD>(e.x), static_cast<WORD>(e.y + Inset(top).top)));
            }
            return;
        case T::Exposed:
            if (top != nullptr) top->changed.assign(1, RECT{0, 0, top->surface->width, top->surface->height});
            return;
        case T::Quit: {
            std::vector<HWND> all;
            for (Window* t : S().topLevels)
                all.push_back(t->handle);
            for (HWND h : all)
                if (Peek(h)) DestroyWindow(h);
            return;
        }
        case T::None:
            return;
    }
}

}  // namespace platform::wm

using namespace platform;
using namespace platform::wm;

HWND SetFocus(HWND hwnd) {
    HWND previous = S().focus;
    if (hwnd == nullptr) {
        if (Window* old = Peek(previous)) {
            S().focus = nullptr;
            Send(old, WM_KILLFOCUS, 0, 0);
        }
        return previous;
    }
    Window* w = FindWindow(hwnd);
    if (w == nullptr) return nullptr;
    Window* top = Root(w);
    if (S().active != top->handle) {
        top->lastFocus = hwnd;
        Activate(top, WA_ACTIVE);
        if (Peek(hwnd) == nullptr) return nullptr;
    }
    if (S().focus == hwnd) return previous;
    Window* old = Peek(S().focus);
    S().focus = hwnd;
    top->lastFocus = hwnd;
    if (old != nullptr) Send(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    if (Peek(hwnd) != nullptr && S().focus == hwnd)
        Send(w, WM_SETFOCUS, reinterpret_cast<WPARAM>(old ? old->handle : nullptr), 0);
    return previous;
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
    Window* w = FindWindow(hwnd);
    if (w == nullptr) return FALSE;
    Activate(Root(w), WA_ACTIVE);
    return TRUE;
}

HWND SetActiveWindow(HWND hwnd) {
    HWND previous = GetActiveWindow();
    Window* w = FindWindow(hwnd);
    if (w == nullptr) return nullptr;
    Activate(Root(w), WA_ACTIVE);
    return previous;
}

HWND SetCapture(HWND hwnd) {
    HWND previous = Peek(S().capture) ? S().capture : nullptr;
    Window* w = FindWindow(hwnd);
    if (w == nullptr) return nullptr;
    S().capture = hwnd;
    if (previous != nullptr && previous != hwnd)
        if (Window* p = Peek(previous)) Send(p, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
    return previous;
}

BOOL ReleaseCapture() {
    HWND previous = S().capture;
    S().capture = nullptr;
    if (Window* p = Peek(previous)) Send(p, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND GetCapture() {
    return Peek(S().capture) ? S().capture : nullptr;
}

short GetKeyState(int vk) {
    bool down = false;
    if (vk == VK_LBUTTON)
        down = (S().buttons & 1) != 0;
    else if (vk == VK_RBUTTON)
        down = (S().buttons & 2) != 0;
    else if (vk >= 0 && vk < 256)
        down = S().keys[vk];
    return down ? static_cast<short>(0x8000) : 0;
}

BOOL TrackMouseEvent(TRACKMOUSEEVENT* request) {
    if (request == nullptr || request->cbSize != sizeof(TRACKMOUSEEVENT)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (request->dwFlags & TME_CANCEL) {
        if (S().trackWindow == request->hwndTrack) {
            S().trackFlags &= ~(request->dwFlags & (TME_HOVER | TME_LEAVE));
            if (S().trackFlags == 0) S().trackWindow = nullptr;
        }
        return TRUE;
    }
    Window* w = FindWindow(request->hwndTrack);
    if (w == nullptr) return FALSE;
    if (S().trackWindow != request->hwndTrack) S().trackFlags = 0;
    S().trackWindow = request->hwndTrack;
    S().trackFlags |= request->dwFlags & (TME_HOVER | TME_LEAVE);
    if (request->dwFlags & TME_HOVER) {
        S().hoverMs =
            request->dwHoverTime == HOVER_DEFAULT || request->dwHoverTime == 0 ? 400 : request->dwHoverTime;
        S().hoverStart = H().NowMs();
    }
    if ((request->dwFlags & TME_LEAVE) && pointerWindow != request->hwndTrack) LeaveTracking(nullptr);
    return TRUE;
}

HWND WindowFromPoint(POINT p) {
    for (Window* t : S().topLevels) {
        if (!(t->style & WS_VISIBLE) || !Contains(t->rect, p)) continue;
        LRESULT hit = HTCLIENT;
        Window* w = Hit(t, POINT{p.x - t->rect.left, p.y - t->rect.top}, ScreenParam(p), &hit);
        return w ? w->handle : t->handle;
    }
    return nullptr;
}
