// Messages: sending (synchronous, re-entrant), posting, the message fetch that
// turns host input into window messages and produces WM_PAINT and WM_TIMER
// only when nothing else is queued, and sleeps on the host until the next
// input or the next due timer; TranslateMessage, DispatchMessageW, timers.
#include <algorithm>
#include <cstdlib>

#include "platform/gdi/surface.h"
#include "platform/wm/wm_internal.h"
#include "platform/wm/wm_state.h"

namespace platform::wm {

void PresentAll(HWND top);

namespace {

std::uint64_t Now() {
    return H().NowMs();
}

bool InRange(UINT m, UINT lo, UINT hi) {
    return (lo == 0 && hi == 0) || (m >= lo && m <= hi);
}

bool Matches(const MSG& m, HWND filter, UINT lo, UINT hi) {
    if (!InRange(m.message, lo, hi)) return false;
    return !filter || (m.hwnd && IsDescendant(filter, m.hwnd));
}

void Post(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    S().queue.push_back(MSG{h, msg, wp, lp, static_cast<DWORD>(Now()), S().pointer});
}

Timer* DueTimer(HWND filter, std::uint64_t now) {
    Timer* best = nullptr;
    for (void* h : S().timers) {
        Timer* t = static_cast<Timer*>(FindAnyObject(h));
        if (!t || t->due > now) continue;
        if (filter && !(t->hwnd && IsDescendant(filter, t->hwnd))) continue;
        if (!best || t->due < best->due) best = t;
    }
    return best;
}

// --- Mouse ----------------------------------------------------------------

// The window under `screen` inside `w`, or null when `w` answers
// HTTRANSPARENT (the search then goes on below it). `hit` receives the code.
HWND HitWindow(HWND h, POINT screen, LRESULT* hit) {
    Window* w = Peek(h);
    if (!w || !(w->style & WS_VISIBLE)) return nullptr;
    POINT co = ClientOriginScreen(w);
    RECT client{co.x, co.y, co.x + ClientWidth(w), co.y + ClientHeight(w)};
    if (Contains(client, screen)) {
        std::vector<HWND> kids = w->children;
        for (HWND k : kids) {
            Window* kw = Peek(k);
            if (!kw || !(kw->style & WS_VISIBLE)) continue;
            POINT o = WindowOriginScreen(kw);
            if (!Contains(RECT{o.x, o.y, o.x + kw->Width(), o.y + kw->Height()}, screen)) continue;
            if (kw->style & WS_DISABLED) {
                *hit = HTERROR;
                return k;
            }
            if (HWND found = HitWindow(k, screen, hit)) return found;
        }
    }
    LRESULT r = SendMessageW(h, WM_NCHITTEST, 0,
                             MAKELPARAM(static_cast<WORD>(screen.x), static_cast<WORD>(screen.y)));
    if (r == HTTRANSPARENT) return nullptr;
    *hit = r;
    return h;
}

HWND TopLevelAt(POINT screen) {
    for (HWND t : S().topLevels) {
        Window* w = Peek(t);
        if (!w || !(w->style & WS_VISIBLE)) continue;
        if (Contains(w->rect, screen)) return t;
    }
    return nullptr;
}

WPARAM MouseKeys() {
    WPARAM k = 0;
    if (S().keys[VK_LBUTTON]) k |= MK_LBUTTON;
    if (S().keys[VK_RBUTTON]) k |= MK_RBUTTON;
    if (S().keys[VK_SHIFT]) k |= MK_SHIFT;
    if (S().keys[VK_CONTROL]) k |= MK_CONTROL;
    return k;
}

LPARAM ClientLParam(HWND h, POINT screen) {
    Window* w = Peek(h);
    POINT o = ClientOriginScreen(w);
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(screen.x - o.x)),
                      static_cast<WORD>(static_cast<short>(screen.y - o.y)));
}

void SetHostCursorFor(HWND target) {
    Window* top = Root(Peek(target));
    if (!top) return;
    int shape = gdi::SystemCursorShape(S().cursor);
    if (shape < 0) shape = 0;
    if (top->cursorShape != shape) {
        top->cursorShape = shape;
        H().SetCursor(top->hostId, static_cast<host::CursorShape>(shape));
    }
}

void UpdateTracking(HWND under) {
    State& s = S();
    if (s.trackWindow && under != s.trackWindow) {
        HWND t = s.trackWindow;
        const bool leave = s.trackLeave;
        s.trackWindow = nullptr;
        s.trackHover = s.trackLeave = false;
        if (leave && Peek(t)) Post(t, WM_MOUSELEAVE, 0, 0);
    } else if (s.trackWindow && s.trackHover) {
        s.hoverDue = Now() + s.hoverTime;
    }
}

void MouseEvent(const host::Event& ev) {
    State& s = S();
    HWND topH = WindowOfHost(ev.window);
    Window* top = Peek(topH);
    if (!top) return;
    POINT screen{top->rect.left + ev.x, top->rect.top + ev.y};
    s.pointer = screen;
    s.pointerHost = ev.window;
    const int vk = ev.button == 1 ? VK_LBUTTON : ev.button == 3 ? VK_RBUTTON : 0x04;
    const bool down = ev.type == host::Event::Type::MouseDown;
    const bool up = ev.type == host::Event::Type::MouseUp;
    if (down) {
        s.keys[vk] = true;
        s.altAlone = false;
    }
    if (up) s.keys[vk] = false;

    HWND target = s.capture ? s.capture : s.implicitCapture;
    LRESULT hit = HTCLIENT;
    if (target && !Peek(target)) target = s.capture = s.implicitCapture = nullptr;
    if (!target) {
        HWND under = TopLevelAt(screen);
        if (under) target = HitWindow(under, screen, &hit);
        if (!target) {
            UpdateTracking(nullptr);
            return;
        }
    }
    Window* tw = Peek(target);
    Window* troot = Root(tw);
    if (down && troot && (troot->style & WS_DISABLED)) {
        // A disabled form: bring its enabled modal window to the front instead.
        for (HWND t : s.topLevels) {
            Window* o = Peek(t);
            if (o && o->owner == troot->self && !(o->style & WS_DISABLED) && (o->style & WS_VISIBLE)) {
                Activate(t, WA_ACTIVE, false);
                break;
            }
        }
        return;
    }
    if (hit == HTERROR || !EnabledChain(tw)) {
        if (hit == HTERROR && !down && !up) {
            s.cursor = LoadCursorW(nullptr, IDC_ARROW);
            SetHostCursorFor(target);
        }
        return;
    }
    UINT mouseMsg = WM_MOUSEMOVE;
    if (down) mouseMsg = ev.button == 1 ? WM_LBUTTONDOWN : ev.button == 3 ? WM_RBUTTONDOWN : WM_MBUTTONDOWN;
    if (up) mouseMsg = ev.button == 1 ? WM_LBUTTONUP : ev.button == 3 ? WM_RBUTTONUP : WM_MBUTTONUP;
    if (!s.capture) {
        SendMessageW(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target),
                     MAKELPARAM(static_cast<WORD>(hit), static_cast<WORD>(mouseMsg)));
        SetHostCursorFor(target);
        if (!Peek(target)) return;
    }
    if (down && troot && S().active != troot->self) Activate(troot->self, WA_CLICKACTIVE, false);
    if (!Peek(target)) return;
    if (!down && !up) {
        s.mouseWindow = target;
        UpdateTracking(target);
    }
    if (hit != HTCLIENT && !s.capture && !s.implicitCapture) {
        const UINT nc = down ? WM_NCLBUTTONDOWN : up ? WM_NCLBUTTONUP : WM_NCMOUSEMOVE;
        if (mouseMsg == WM_MOUSEMOVE || ev.button == 1)
            Post(target, nc, static_cast<WPARAM>(hit),
                 MAKELPARAM(static_cast<WORD>(screen.x), static_cast<WORD>(screen.y)));
        return;
    }
    if (down) {
        const bool sameSpot =
            std::abs(screen.x - s.lastPressPoint.x) <= 4 && std::abs(screen.y - s.lastPressPoint.y) <= 4;
        const bool dbl = !s.lastWasDouble && s.lastPressWindow == target && s.lastPressButton == ev.button &&
                         Now() - s.lastPressTime <= 500 && sameSpot && (tw->cls->style & CS_DBLCLKS);
        s.lastWasDouble = dbl;
        s.lastPressWindow = target;
        s.lastPressButton = ev.button;
        s.lastPressTime = Now();
        s.lastPressPoint = screen;
        if (dbl) mouseMsg = ev.button == 1 ? WM_LBUTTONDBLCLK : ev.button == 3 ? WM_RBUTTONDBLCLK : mouseMsg;
        if (!s.capture) s.implicitCapture = target;
    }
    if (up && !s.keys[VK_LBUTTON] && !s.keys[VK_RBUTTON] && !s.keys[0x04]) s.implicitCapture = nullptr;
    Post(target, mouseMsg, MouseKeys(), ClientLParam(target, screen));
}

// --- Keyboard ---------------------------------------------------------------

void KeyEvent(const host::Event& ev) {
    State& s = S();
    const bool down = ev.type == host::Event::Type::KeyDown;
    const int vk = ev.key & 0xFF;
    if (down) {
        if (vk == VK_MENU) {
            if (!ev.repeat) s.altAlone = true;
        } else {
            s.altAlone = false;
        }
    }
    const bool altWasAlone = !down && vk == VK_MENU && s.altAlone;
    if (!down && vk == VK_MENU) s.altAlone = false;
    s.keys[vk] = down;
    HWND target = Peek(s.focus) ? s.focus : (Peek(s.active) ? s.active : nullptr);
    if (!target || !EnabledChain(Peek(target))) return;
    const bool alt = s.keys[VK_MENU] || vk == VK_MENU;
    const bool sys = alt || vk == VK_F10;
    UINT msg = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
    LPARAM lp = 1;
    if (alt) lp |= 1 << 29;
    if (down && ev.repeat) lp |= 1 << 30;
    if (!down) lp |= static_cast<LPARAM>(3) << 30;
    if (altWasAlone) s.altTap = true;
    Post(target, msg, static_cast<WPARAM>(vk), lp);
}

}  // namespace

void KillTimersOf(HWND h) {
    auto& v = S().timers;
    for (size_t i = 0; i < v.size();) {
        Timer* t = static_cast<Timer*>(FindAnyObject(v[i]));
        if (!t || t->hwnd == h) {
            if (t) RemoveObject(v[i]);
            v.erase(v.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
}

int MsUntilNextDue() {
    std::uint64_t now = Now();
    std::int64_t best = -1;
    for (void* h : S().timers) {
        Timer* t = static_cast<Timer*>(FindAnyObject(h));
        if (!t) continue;
        std::int64_t d = t->due > now ? static_cast<std::int64_t>(t->due - now) : 0;
        if (best < 0 || d < best) best = d;
    }
    if (S().trackWindow && S().trackHover) {
        std::int64_t d = S().hoverDue > now ? static_cast<std::int64_t>(S().hoverDue - now) : 0;
        if (best < 0 || d < best) best = d;
    }
    return static_cast<int>(std::min<std::int64_t>(best, 0x7FFFFFFF));
}

int MsUntilNextTimer() {
    return MsUntilNextDue();
}

void HandleHostEvent(const host::Event& ev) {
    using T = host::Event::Type;
    State& s = S();
    switch (ev.type) {
        case T::MouseMove:
        case T::MouseDown:
        case T::MouseUp:
            MouseEvent(ev);
            break;
        case T::MouseWheel: {
            HWND target = Peek(s.focus) ? s.focus : s.active;
            Window* top = Peek(WindowOfHost(ev.window));
            if (target && EnabledChain(Peek(target)) && top) {
                POINT p{top->rect.left + ev.x, top->rect.top + ev.y};
                WPARAM wp = MAKEWPARAM(static_cast<WORD>(MouseKeys()),
                                       static_cast<WORD>(static_cast<short>(ev.wheel * WHEEL_DELTA)));
                Post(target, WM_MOUSEWHEEL, wp, MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)));
            }
            break;
        }
        case T::PointerLeft:
            if (s.pointerHost == ev.window) {
                UpdateTracking(nullptr);
                s.mouseWindow = nullptr;
            }
            break;
        case T::KeyDown:
        case T::KeyUp:
            KeyEvent(ev);
            break;
        case T::Text: {
            HWND target = Peek(s.focus) ? s.focus : s.active;
            if (!target || !EnabledChain(Peek(target))) break;
            for (char16_t c : ev.text)
                Post(target, WM_CHAR, c, 1);
            break;
        }
        case T::FocusGained: {
            HWND t = WindowOfHost(ev.window);
            Window* w = Peek(t);
            if (!w) break;
            if (w->style & WS_DISABLED) {
                for (HWND o : s.topLevels)
                    if (Window* ow = Peek(o);
                        ow && ow->owner == t && !(ow->style & WS_DISABLED) && (ow->style & WS_VISIBLE)) {
                        t = o;
                        break;
                    }
            }
            Activate(t, WA_ACTIVE, true);
            break;
        }
        case T::FocusLost:
            if (WindowOfHost(ev.window) == s.active) Activate(nullptr, WA_INACTIVE, true);
            break;
        case T::CloseRequested: {
            HWND t = WindowOfHost(ev.window);
            if (Window* w = Peek(t); w && !(w->style & WS_DISABLED)) Post(t, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        }
        case T::Moved: {
            HWND t = WindowOfHost(ev.window);
            Window* w = Peek(t);
            if (!w) break;
            w->rect = Offset(w->rect, ev.x - w->rect.left, ev.y - w->rect.top);
            POINT c = ClientOriginScreen(w);
            SendMessageW(t, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(c.x), static_cast<WORD>(c.y)));
            break;
        }
        case T::Exposed:
            PresentAll(WindowOfHost(ev.window));
            break;
        case T::Quit: {
            std::vector<HWND> tops = s.topLevels;
            for (HWND t : tops)
                if (Peek(t)) DestroyWindow(t);
            break;
        }
        case T::None:
            break;
    }
}

namespace {

bool Fetch(MSG* out, HWND filter, UINT lo, UINT hi, bool remove, bool wait) {
    State& s = S();
    for (;;) {
        for (auto it = s.queue.begin(); it != s.queue.end(); ++it) {
            if (!Matches(*it, filter, lo, hi)) continue;
            *out = *it;
            if (remove) s.queue.erase(it);
            return true;
        }
        if (s.quitPending) {
            *out = MSG{nullptr,  WM_QUIT, static_cast<WPARAM>(s.quitCode), 0, static_cast<DWORD>(Now()),
                       s.pointer};
            if (remove) s.quitPending = false;
            return true;
        }
        host::Event ev;
        if (H().WaitEvent(&ev, 0)) {
            HandleHostEvent(ev);
            continue;
        }
        if (InRange(WM_PAINT, lo, hi)) {
            if (HWND p = NextPaintWindow(filter)) {
                *out = MSG{p, WM_PAINT, 0, 0, static_cast<DWORD>(Now()), s.pointer};
                return true;
            }
        }
        const std::uint64_t now = Now();
        if (InRange(WM_TIMER, lo, hi)) {
            if (Timer* t = DueTimer(filter, now)) {
                *out =
                    MSG{t->hwnd,  WM_TIMER, t->id, reinterpret_cast<LPARAM>(t->proc), static_cast<DWORD>(now),
                        s.pointer};
                if (remove) t->due = now + t->elapse;
                return true;
            }
        }
        if (s.trackWindow && s.trackHover && s.hoverDue <= now) {
            s.trackHover = false;
            if (Peek(s.trackWindow))
                Post(s.trackWindow, WM_MOUSEHOVER, MouseKeys(), ClientLParam(s.trackWindow, s.pointer));
            continue;
        }
        FlushPresents();
        if (!wait) return false;
        if (H().WaitEvent(&ev, MsUntilNextDue())) HandleHostEvent(ev);
    }
}

}  // namespace

}  // namespace platform::wm

using namespace platform;
using namespace platform::wm;

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window* w = Win(hwnd);
    if (!w) return 0;
    return w->proc(hwnd, msg, wParam, lParam);
}

BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (hwnd && !Win(hwnd)) return FALSE;
    Post(hwnd, msg, wParam, lParam);
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    S().quitPending = true;
    S().quitCode = exitCode;
}

BOOL GetMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
    if (!msg || (hwnd && !Win(hwnd))) return -1;
    Fetch(msg, hwnd, filterMin, filterMax, true, true);
    return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags) {
    if (!msg || (hwnd && !Win(hwnd))) return FALSE;
    return Fetch(msg, hwnd, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0, false) ? TRUE : FALSE;
}

BOOL TranslateMessage(const MSG* msg) {
    if (!msg || !Peek(msg->hwnd)) return FALSE;
    const int vk = static_cast<int>(msg->wParam);
    WPARAM ch = 0;
    UINT out = WM_CHAR;
    if (msg->message == WM_KEYDOWN) {
        if (vk == VK_TAB || vk == VK_RETURN || vk == VK_ESCAPE || vk == VK_BACK)
            ch = static_cast<WPARAM>(vk);
        else if (S().keys[VK_CONTROL] && vk >= 'A' && vk <= 'Z')
            ch = static_cast<WPARAM>(vk - 'A' + 1);
    } else if (msg->message == WM_SYSKEYDOWN && ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))) {
        ch = static_cast<WPARAM>(vk >= 'A' && vk <= 'Z' ? vk + 32 : vk);
        out = WM_SYSCHAR;
    }
    if (!ch) return FALSE;
    // The character comes next, before anything queued after the key.
    S().queue.push_front(MSG{msg->hwnd, out, ch, msg->lParam, msg->time, msg->pt});
    return TRUE;
}

LRESULT DispatchMessageW(const MSG* msg) {
    if (!msg) return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
        return 0;
    }
    if (!msg->hwnd) return 0;
    return SendMessageW(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!proc) return 0;
    return proc(hwnd, msg, wParam, lParam);
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
    if (hwnd && !Win(hwnd)) return 0;
    elapseMs = std::max<UINT>(elapseMs, 10);
    if (!hwnd) id = ++S().nextThreadTimer;
    for (void* h : S().timers) {
        Timer* t = static_cast<Timer*>(FindAnyObject(h));
        if (t && t->hwnd == hwnd && t->id == id) {
            t->elapse = elapseMs;
            t->proc = proc;
            t->due = H().NowMs() + elapseMs;
            return hwnd ? (id ? id : 1) : id;
        }
    }
    auto t = std::make_unique<Timer>();
    t->hwnd = hwnd;
    t->id = id;
    t->elapse = elapseMs;
    t->proc = proc;
    t->due = H().NowMs() + elapseMs;
    S().timers.push_back(AddObject(std::move(t)));
    return hwnd ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
    auto& v = S().timers;
    for (size_t i = 0; i < v.size(); ++i) {
        Timer* t = static_cast<Timer*>(FindAnyObject(v[i]));
        if (t && t->hwnd == hwnd && t->id == id) {
            RemoveObject(v[i]);
            v.erase(v.begin() + static_cast<std::ptrdiff_t>(i));
            return TRUE;
        }
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

DWORD GetTickCount() {
    return static_cast<DWORD>(H().NowMs());
}
