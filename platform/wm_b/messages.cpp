// Messages: sending (synchronous, re-entrant), posting, the message loop
// with WM_PAINT and WM_TIMER made when nothing else is queued, timers, and
// the default window procedure.
#include <algorithm>
#include <limits>

#include "platform/controls/controls.h"
#include "platform/wm_b/wm_state.h"

namespace platform::gdi {
// Provided by the graphics layer; resolved weakly so a build whose graphics
// layer lacks icons still links (the icon is then simply not handed on).
__attribute__((weak)) bool IconPixels(HICON icon, std::vector<std::uint32_t>* argb, int* width, int* height);
__attribute__((weak)) int SystemCursorShape(HCURSOR cursor);
}  // namespace platform::gdi

namespace platform::wm {

host::Host& H() {
    return host::CurrentHost();
}

LRESULT Send(Window* w, UINT msg, WPARAM wParam, LPARAM lParam) {
    return w->proc(w->handle, msg, wParam, lParam);
}

void Post(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    MSG m{};
    m.hwnd = hwnd;
    m.message = msg;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = static_cast<DWORD>(H().NowMs());
    m.pt = S().pointerScreen;
    S().queue.push_back(m);
}

void KillTimersOf(HWND hwnd) {
    auto& timers = S().timers;
    for (auto it = timers.begin(); it != timers.end();) {
        if ((*it)->hwnd == hwnd) {
            void* h = (*it)->handle;
            it = timers.erase(it);
            RemoveObject(h);
        } else {
            ++it;
        }
    }
}

std::uint64_t NextDeadline() {
    std::uint64_t next = std::numeric_limits<std::uint64_t>::max();
    for (Timer* t : S().timers)
        next = std::min(next, t->due);
    if (S().trackWindow != nullptr && (S().trackFlags & TME_HOVER) && S().hoverStart != 0)
        next = std::min(next, S().hoverStart + S().hoverMs);
    return next;
}

namespace {

bool Matches(const MSG& m, HWND filter, UINT mn, UINT mx) {
    if (filter != nullptr) {
        Window* f = Peek(filter);
        Window* w = Peek(m.hwnd);
        if (f == nullptr || w == nullptr || !IsDescendant(f, w)) return false;
    }
    if (mn == 0 && mx == 0) return true;
    return m.message >= mn && m.message <= mx;
}

// Input is taken one event at a time, only when the queue has nothing left,
// so the key state seen while a message is handled is the state at its event.
void TakeHostEvents() {
    host::Event e;
    while (S().queue.empty() && H().WaitEvent(&e, 0))
        HandleHostEvent(e);
    CheckHover();
}

bool Retrieve(MSG* out, HWND filter, UINT mn, UINT mx, bool remove, bool wait) {
    for (;;) {
        TakeHostEvents();
        auto& q = S().queue;
        for (auto it = q.begin(); it != q.end(); ++it) {
            if (!Matches(*it, filter, mn, mx)) continue;
            *out = *it;
            if (remove) q.erase(it);
            return true;
        }
        if (S().quit) {
            *out = MSG{};
            out->message = WM_QUIT;
            out->wParam = static_cast<WPARAM>(S().quitCode);
            if (remove) S().quit = false;
            return true;
        }
        if (Window* p = NextToPaint()) {
            MSG m{};
            m.hwnd = p->handle;
            m.message = WM_PAINT;
            m.time = static_cast<DWORD>(H().NowMs());
            if (Matches(m, filter, mn, mx)) {
                *out = m;
                return true;
            }
        }
        FlushPresents();
        const std::uint64_t now = H().NowMs();
        Timer* due = nullptr;
        for (Timer* t : S().timers)
            if (t->due <= now && (due == nullptr || t->due < due->due)) due = t;
        if (due != nullptr) {
            MSG m{};
            m.hwnd = due->hwnd;
            m.message = WM_TIMER;
            m.wParam = due->id;
            m.lParam = reinterpret_cast<LPARAM>(due->proc);
            m.time = static_cast<DWORD>(now);
            if (Matches(m, filter, mn, mx)) {
                if (remove) due->due = now + due->elapse;
                *out = m;
                return true;
            }
        }
        if (!wait) return false;
        const std::uint64_t deadline = NextDeadline();
        int timeout = -1;
        if (deadline != std::numeric_limits<std::uint64_t>::max())
            timeout =
                deadline <= now ? 0 : static_cast<int>(std::min<std::uint64_t>(deadline - now, 1u << 30));
        host::Event e;
        if (H().WaitEvent(&e, timeout)) HandleHostEvent(e);
    }
}

UINT_PTR nextFreeTimerId = 0x7000;

void SetHostCursor(host::CursorShape shape) {
    Window* top = TopOfHost(S().pointerHost);
    if (top != nullptr) H().SetCursor(top->hostId, shape);
}

LRESULT CtlColor(HDC dc, int textIndex, int backIndex) {
    SetTextColor(dc, GetSysColor(textIndex));
    SetBkColor(dc, GetSysColor(backIndex));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(backIndex));
}

void MenuKey(Window* w, WCHAR key) {
    Window* root = Root(w);
    if (root->menu != nullptr && FindAnyObject(root->menu) != nullptr && Enabled(root))
        controls::TrackMenuFromKeyboard(root->handle, root->menu, key);
}

}  // namespace

}  // namespace platform::wm

using namespace platform;
using namespace platform::wm;

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window* w = FindWindow(hwnd);
    if (w == nullptr) return 0;
    return Send(w, msg, wParam, lParam);
}

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (proc == nullptr) return 0;
    return proc(hwnd, msg, wParam, lParam);
}

BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (hwnd != nullptr && FindWindow(hwnd) == nullptr) return FALSE;
    Post(hwnd, msg, wParam, lParam);
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    S().quit = true;
    S().quitCode = exitCode;
}

BOOL GetMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
    if (msg == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    Retrieve(msg, hwnd, filterMin, filterMax, true, true);
    return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL PeekMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags) {
    if (msg == nullptr) return FALSE;
    return Retrieve(msg, hwnd, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0, false) ? TRUE : FALSE;
}

BOOL TranslateMessage(const MSG* msg) {
    if (msg == nullptr || msg->message != WM_KEYDOWN) return FALSE;
    const int vk = static_cast<int>(msg->wParam);
    WCHAR ch = 0;
    switch (vk) {
        case VK_TAB:
            ch = 9;
            break;
        case VK_RETURN:
            ch = 13;
            break;
        case VK_ESCAPE:
            ch = 27;
            break;
        case VK_BACK:
            ch = 8;
            break;
        default:
            if (S().keys[VK_CONTROL] && vk >= 'A' && vk <= 'Z') ch = static_cast<WCHAR>(vk - 'A' + 1);
    }
    if (ch == 0) return FALSE;
    // The character comes next, ahead of anything queued after the key.
    MSG c = *msg;
    c.message = WM_CHAR;
    c.wParam = ch;
    S().queue.push_front(c);
    return TRUE;
}

LRESULT DispatchMessageW(const MSG* msg) {
    if (msg == nullptr) return 0;
    if (msg->message == WM_TIMER && msg->lParam != 0) {
        auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        proc(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
        return 0;
    }
    if (msg->hwnd == nullptr) return 0;
    Window* w = FindWindow(msg->hwnd);
    if (w == nullptr) return 0;
    return Send(w, msg->message, msg->wParam, msg->lParam);
}

DWORD GetTickCount() {
    return static_cast<DWORD>(H().NowMs());
}

// ---------------------------------------------------------------------------
// Timers
// ---------------------------------------------------------------------------

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
    if (hwnd != nullptr && FindWindow(hwnd) == nullptr) return 0;
    if (hwnd == nullptr) id = nextFreeTimerId++;
    const UINT elapse = std::max<UINT>(elapseMs, 10);
    for (Timer* t : S().timers) {
        if (t->hwnd == hwnd && t->id == id) {
            t->elapse = elapse;
            t->proc = proc;
            t->due = H().NowMs() + elapse;
            return id == 0 ? 1 : id;
        }
    }
    auto t = std::make_unique<Timer>();
    Timer* raw = t.get();
    raw->hwnd = hwnd;
    raw->id = id;
    raw->elapse = elapse;
    raw->proc = proc;
    raw->due = H().NowMs() + elapse;
    raw->handle = AddObject(std::move(t));
    S().timers.push_back(raw);
    return id == 0 ? 1 : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
    auto& timers = S().timers;
    for (auto it = timers.begin(); it != timers.end(); ++it) {
        if ((*it)->hwnd == hwnd && (*it)->id == id) {
            void* h = (*it)->handle;
            timers.erase(it);
            RemoveObject(h);
            return TRUE;
        }
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

HCURSOR SetCursor(HCURSOR cursor) {
    HCURSOR previous = S().cursor;
    S().cursor = cursor;
    int shape = 0;
    if (cursor != nullptr && platform::gdi::SystemCursorShape != nullptr)
        shape = std::max(0, platform::gdi::SystemCursorShape(cursor));
    SetHostCursor(static_cast<host::CursorShape>(shape));
    return previous;
}

// ---------------------------------------------------------------------------
// The default window procedure
// ---------------------------------------------------------------------------

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window* w = FindWindow(hwnd);
    if (w == nullptr) return 0;
    switch (msg) {
        case WM_NCCREATE:
            return TRUE;
        case WM_CLOSE:
            DestroyWindow(hwnd);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            if (BeginPaint(hwnd, &ps)) EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_NCPAINT:
            PaintNonClient(w);
            return 0;
        case WM_ERASEBKGND: {
            HBRUSH brush = w->cls->wc.hbrBackground;
            const auto value = reinterpret_cast<std::uintptr_t>(brush);
            if (value == 0) return 0;
            if (value <= 31) brush = GetSysColorBrush(static_cast<int>(value - 1));
            RECT c = ClientRectOf(w);
            FillRect(reinterpret_cast<HDC>(wParam), &c, brush);
            return 1;
        }
        case WM_SETCURSOR: {
            if (w->Child() && Send(w->parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
            if (LOWORD(static_cast<std::uintptr_t>(lParam)) == HTCLIENT && w->cls->wc.hCursor != nullptr) {
                SetCursor(w->cls->wc.hCursor);
            } else {
                S().cursor = nullptr;
                SetHostCursor(host::CursorShape::Arrow);
            }
            return TRUE;
        }
        case WM_NCHITTEST: {
            RECT wr;
            GetWindowRect(hwnd, &wr);
            POINT p{GET_X_LPARAM(lParam) - wr.left, GET_Y_LPARAM(lParam) - wr.top};
            auto in = [&p](const RECT& r) {
                return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
            };
            if (!in(RECT{0, 0, Width(wr), Height(wr)})) return HTNOWHERE;
            if (in(MenuBarIn(w))) return HTMENU;
            if (in(ScrollBarIn(w))) return HTVSCROLL;
            RECT inset = Inset(w);
            RECT c = ClientRectOf(w);
            if (in(RECT{inset.left, inset.top, inset.left + c.right, inset.top + c.bottom})) return HTCLIENT;
            return HTBORDER;
        }
        case WM_SETTEXT: {
            auto text = reinterpret_cast<LPCWSTR>(lParam);
            w->text = (text == nullptr || IS_INTRESOURCE(text)) ? std::u16string() : std::u16string(text);
            if (!w->Child()) H().SetTitle(w->hostId, ToUtf8(w->text));
            return TRUE;
        }
        case WM_GETTEXT: {
            auto buffer = reinterpret_cast<LPWSTR>(lParam);
            const int max = static_cast<int>(wParam);
            if (buffer == nullptr || max <= 0) return 0;
            const int count = std::min(static_cast<int>(w->text.size()), max - 1);
            std::copy(w->text.begin(), w->text.begin() + count, buffer);
            buffer[count] = 0;
            return count;
        }
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(w->text.size());
        case WM_SETFONT:
            w->font = reinterpret_cast<HFONT>(wParam);
            if (lParam) InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(w->font);
        case WM_SETICON: {
            HICON previous = w->icon;
            w->icon = reinterpret_cast<HICON>(lParam);
            if (!w->Child() && w->icon != nullptr) {
                std::vector<std::uint32_t> argb;
                int iw = 0, ih = 0;
                bool ok = platform::gdi::IconPixels != nullptr &&
                          platform::gdi::IconPixels(w->icon, &argb, &iw, &ih);
                if (!ok)
                    ok = platform::gdi::BitmapPixels(reinterpret_cast<HBITMAP>(w->icon), &argb, &iw, &ih);
                if (ok) H().SetIcon(w->hostId, argb, iw, ih);
            }
            return reinterpret_cast<LRESULT>(previous);
        }
        case WM_CTLCOLOREDIT:
            return CtlColor(reinterpret_cast<HDC>(wParam), COLOR_WINDOWTEXT, COLOR_WINDOW);
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORMSGBOX:
            return CtlColor(reinterpret_cast<HDC>(wParam), COLOR_BTNTEXT, COLOR_BTNFACE);
        case WM_SYSCOMMAND:
            switch (wParam & 0xFFF0) {
                case SC_CLOSE:
                    if (Enabled(Root(w))) Send(w, WM_CLOSE, 0, 0);
                    return 0;
                case SC_MINIMIZE:
                    ShowWindow(hwnd, SW_MINIMIZE);
                    return 0;
                case SC_KEYMENU:
                    MenuKey(w, static_cast<WCHAR>(lParam));
                    return 0;
                default:
                    return 0;
            }
        case WM_SYSKEYDOWN: {
            const int vk = static_cast<int>(wParam);
            if (vk == VK_F4 && S().keys[VK_MENU]) {
                Window* root = Root(w);
                Send(root, WM_SYSCOMMAND, SC_CLOSE, 0);
            } else if (vk == VK_F10 && !S().keys[VK_MENU]) {
                MenuKey(w, 0);
            } else if (S().keys[VK_MENU] && ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))) {
                MenuKey(w, static_cast<WCHAR>(vk >= 'A' ? vk + 32 : vk));
            }
            return 0;
        }
        case WM_SYSKEYUP:
            if (static_cast<int>(wParam) == VK_MENU && S().altAlone) {
                S().altAlone = false;
                MenuKey(w, 0);
            }
            return 0;
        case WM_NCLBUTTONDOWN: {
            RECT wr;
            GetWindowRect(hwnd, &wr);
            POINT p{GET_X_LPARAM(lParam) - wr.left, GET_Y_LPARAM(lParam) - wr.top};
            if (wParam == static_cast<WPARAM>(HTMENU) && w->menu != nullptr)
                controls::TrackMenuFromMouse(hwnd, w->menu, p);
            else if (wParam == static_cast<WPARAM>(HTVSCROLL))
                controls::TrackScrollBar(hwnd, p);
            return 0;
        }
        case WM_MOUSEWHEEL:
            if (w->Child()) return Send(w->parent, msg, wParam, lParam);
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE && !w->Child()) {
                Window* f = Peek(S().focus);
                if (f != nullptr && IsDescendant(w, f)) return 0;
                Window* last = Peek(w->lastFocus);
                if (last != nullptr && IsDescendant(w, last) && Visible(last) && Enabled(last))
                    SetFocus(last->handle);
                else
                    SetFocus(hwnd);
            }
            return 0;
        case WM_MOUSEACTIVATE:
            return 1;
        default:
            return 0;
    }
}
