// Window classes and windows: registration, creation with its messages,
// destruction of a window with its children and owned windows, window
// longs, text, rectangles, Z order, showing, moving and enabling.
#include <algorithm>
#include <cwctype>

#include "platform/controls/controls.h"
#include "platform/wm_b/wm_state.h"

namespace platform::wm {

namespace {

std::u16string Fold(LPCWSTR s) {
    std::u16string out;
    if (s == nullptr || IS_INTRESOURCE(s)) return out;
    for (; *s != 0; ++s)
        out.push_back((*s >= u'A' && *s <= u'Z') ? static_cast<char16_t>(*s + 32) : *s);
    return out;
}

WindowClass* FindClass(LPCWSTR name) {
    const std::u16string f = Fold(name);
    for (auto& c : S().classes)
        if (c->folded == f) return c.get();
    return nullptr;
}

void Unlink(Window* w) {
    auto& list = w->Child() ? w->parent->children : S().topLevels;
    list.erase(std::remove(list.begin(), list.end(), w), list.end());
}

// Places w in its sibling list: front, back, or directly behind `after`.
void PlaceInZ(Window* w, HWND insertAfter) {
    auto& list = w->Child() ? w->parent->children : S().topLevels;
    Window* after = (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST || insertAfter == HWND_BOTTOM ||
                     insertAfter == HWND_NOTOPMOST)
                        ? nullptr
                        : Peek(insertAfter);
    if (after == w) return;
    list.erase(std::remove(list.begin(), list.end(), w), list.end());
    if (insertAfter == HWND_BOTTOM) {
        list.push_back(w);
    } else if (after != nullptr && std::find(list.begin(), list.end(), after) != list.end()) {
        list.insert(std::find(list.begin(), list.end(), after) + 1, w);
    } else {
        list.insert(list.begin(), w);
    }
}

host::WindowSpec SpecOf(Window* w) {
    host::WindowSpec s;
    s.x = w->rect.left;
    s.y = w->rect.top;
    s.width = std::max(1, Width(w->rect));
    s.height = std::max(1, Height(w->rect));
    s.decorated = (w->style & WS_CAPTION) == WS_CAPTION || (w->style & WS_POPUP) == 0;
    s.minimizable = (w->style & WS_MINIMIZEBOX) != 0 && (w->style & WS_POPUP) == 0;
    s.toolWindow = (w->exStyle & WS_EX_TOOLWINDOW) != 0;
    s.topMost = (w->exStyle & WS_EX_TOPMOST) != 0;
    if (Window* o = Peek(w->owner)) s.transientFor = o->hostId;
    s.visible = false;
    return s;
}

void SendSizeAndMove(Window* w) {
    RECT c = ClientRectOf(w);
    Send(w, WM_SIZE, (w->style & WS_MINIMIZE) ? SIZE_MINIMIZED : SIZE_RESTORED,
         MAKELPARAM(static_cast<WORD>(c.right), static_cast<WORD>(c.bottom)));
    RECT in = Inset(w);
    Send(w, WM_MOVE, 0,
         MAKELPARAM(static_cast<WORD>(w->rect.left + in.left), static_cast<WORD>(w->rect.top + in.top)));
}

void DestroyTree(Window* w, std::vector<Window*>* order) {
    w->destroying = true;
    order->push_back(w);
    Send(w, WM_DESTROY, 0, 0);
    std::vector<Window*> kids = w->children;
    for (Window* c : kids)
        if (Peek(c->handle) && !c->destroying) DestroyTree(c, order);
}

}  // namespace

void EnsureSystemClasses() {
    if (S().systemClasses) return;
    S().systemClasses = true;
    controls::RegisterSystemClasses();
}

void SetMenuInternal(Window* w, HMENU menu) {
    w->menu = menu;
    RECT c = ClientRectOf(w);
    InvalidateAll(w);
    if (w->created)
        Send(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(static_cast<WORD>(c.right), static_cast<WORD>(c.bottom)));
}

}  // namespace platform::wm

using namespace platform;
using namespace platform::wm;

// ---------------------------------------------------------------------------
// Classes
// ---------------------------------------------------------------------------

ATOM RegisterClassW(const WNDCLASSW* wc) {
    if (wc == nullptr || wc->lpfnWndProc == nullptr || wc->lpszClassName == nullptr ||
        IS_INTRESOURCE(wc->lpszClassName) || wc->lpszClassName[0] == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (FindClass(wc->lpszClassName) != nullptr) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    auto c = std::make_unique<WindowClass>();
    c->name = wc->lpszClassName;
    c->folded = Fold(wc->lpszClassName);
    c->wc = *wc;
    c->wc.lpszClassName = nullptr;
    c->wc.lpszMenuName = nullptr;
    S().classes.push_back(std::move(c));
    return static_cast<ATOM>(0xC000 + S().classes.size());
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE) {
    WindowClass* c = FindClass(className);
    if (c == nullptr) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return FALSE;
    }
    // A class in use stays registered: its windows point at it.
    for (Window* t : S().topLevels) {
        std::vector<Window*> stack{t};
        while (!stack.empty()) {
            Window* w = stack.back();
            stack.pop_back();
            if (w->cls == c) {
                SetLastError(ERROR_BUSY);
                return FALSE;
            }
            for (Window* k : w->children)
                stack.push_back(k);
        }
    }
    auto& v = S().classes;
    v.erase(std::remove_if(v.begin(), v.end(), [c](auto& p) { return p.get() == c; }), v.end());
    return TRUE;
}

// ---------------------------------------------------------------------------
// Creation and destruction
// ---------------------------------------------------------------------------

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parentHwnd, HMENU menuOrId, HINSTANCE instance,
                     LPVOID param) {
    EnsureSystemClasses();
    WindowClass* cls = FindClass(className);
    if (cls == nullptr) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    Window* parent = nullptr;
    if (parentHwnd != nullptr) {
        parent = FindWindow(parentHwnd);
        if (parent == nullptr || parent->destroying) return nullptr;
    }
    if ((style & WS_CHILD) != 0 && parent == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    width = std::max(0, width);
    height = std::max(0, height);

    auto object = std::make_unique<Window>();
    Window* w = object.get();
    w->handle = static_cast<HWND>(AddObject(std::move(object)));
    w->cls = cls;
    w->proc = cls->wc.lpfnWndProc;
    w->style = style & ~WS_VISIBLE;
    w->exStyle = exStyle;
    w->instance = instance;
    w->rect = RECT{x, y, x + width, y + height};
    if (windowName != nullptr && !IS_INTRESOURCE(windowName)) w->text = windowName;
    if ((style & WS_CHILD) != 0) {
        w->parent = parent;
        w->id = static_cast<LONG_PTR>(reinterpret_cast<std::uintptr_t>(menuOrId));
        parent->children.push_back(w);
    } else {
        if (parent != nullptr) w->owner = Root(parent)->handle;
        S().topLevels.insert(S().topLevels.begin(), w);
        w->surface = std::make_unique<gdi::Surface>();
        w->surface->Resize(std::max(1, width), std::max(1, height));
        w->hostId = H().CreateHostWindow(SpecOf(w));
        if (!w->text.empty()) H().SetTitle(w->hostId, ToUtf8(w->text));
        if (menuOrId != nullptr) w->menu = menuOrId;
    }
    InvalidateAll(w);

    CREATESTRUCTW cs{};
    cs.lpCreateParams = param;
    cs.hInstance = instance;
    cs.hMenu = menuOrId;
    cs.hwndParent = parentHwnd;
    cs.cx = width;
    cs.cy = height;
    cs.x = x;
    cs.y = y;
    cs.style = static_cast<LONG>(style);
    cs.lpszName = windowName;
    cs.lpszClass = className;
    cs.dwExStyle = exStyle;
    HWND h = w->handle;
    const LPARAM lp = reinterpret_cast<LPARAM>(&cs);
    if (!Send(w, WM_NCCREATE, 0, lp) || Peek(h) == nullptr) {
        if (Peek(h)) DestroyWindow(h);
        return nullptr;
    }
    if (Send(w, WM_CREATE, 0, lp) == -1 || Peek(h) == nullptr) {
        if (Peek(h)) DestroyWindow(h);
        return nullptr;
    }
    w->created = true;
    SendSizeAndMove(w);
    if (Peek(h) == nullptr) return nullptr;
    if (style & WS_VISIBLE) ShowWindow(h, SW_SHOW);
    return Peek(h) ? h : nullptr;
}

BOOL DestroyWindow(HWND hwnd) {
    Window* w = FindWindow(hwnd);
    if (w == nullptr) return FALSE;
    if (w->destroying) return TRUE;  // already on its way (a second call from WM_DESTROY)
    // Owned windows go first, while their owner still exists.
    std::vector<Window*> owned;
    for (Window* t : S().topLevels)
        if (t->owner == hwnd) owned.push_back(t);
    for (Window* o : owned)
        if (Peek(o->handle)) DestroyWindow(o->handle);
    if (Peek(hwnd) == nullptr || w->destroying) return TRUE;

    const bool wasActive = S().active == hwnd || (Peek(S().active) && IsDescendant(w, Peek(S().active)));
    const bool visible = Visible(w);
    if (w->Child() && visible) {
        POINT o = SurfaceOrigin(w);
        InvalidateArea(Root(w), RECT{o.x, o.y, o.x + Width(w->rect), o.y + Height(w->rect)});
    }
    std::vector<Window*> order;
    DestroyTree(w, &order);
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        Window* d = *it;
        if (Peek(d->handle) == nullptr) continue;
        Send(d, WM_NCDESTROY, 0, 0);
    }
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        Window* d = *it;
        HWND dh = d->handle;
        if (Peek(dh) == nullptr) continue;
        ForgetWindow(d);
        KillTimersOf(dh);
        controls::ForgetMenuOwner(dh);
        controls::ForgetScrollBar(dh);
        if (d->menu != nullptr && !d->Child()) {
            DestroyMenu(d->menu);
            d->menu = nullptr;
        }
        auto& q = S().queue;
        q.erase(std::remove_if(q.begin(), q.end(), [dh](const MSG& m) { return m.hwnd == dh; }), q.end());
        if (!d->Child() && d->hostId != 0) H().DestroyHostWindow(d->hostId);
        Unlink(d);
        for (Window* k : d->children)
            k->parent = nullptr;  // already destroyed or about to be
        RemoveObject(dh);
    }
    if (wasActive) ActivateNextAfter(nullptr);
    return TRUE;
}

BOOL IsWindow(HWND hwnd) {
    return Peek(hwnd) != nullptr;
}

BOOL IsWindowVisible(HWND hwnd) {
    Window* w = Peek(hwnd);
    return w != nullptr && Visible(w);
}

BOOL IsWindowEnabled(HWND hwnd) {
    Window* w = Peek(hwnd);
    return w != nullptr && (w->style & WS_DISABLED) == 0;
}

// ---------------------------------------------------------------------------
// Showing, moving, enabling
// ---------------------------------------------------------------------------

namespace {

void SetVisibleFlag(Window* w, bool show) {
    HWND h = w->handle;
    Send(w, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    if (Peek(h) == nullptr) return;
    if (show) {
        w->style |= WS_VISIBLE;
        InvalidateAll(w);
    } else {
        if (w->Child()) {
            POINT o = SurfaceOrigin(w);
            InvalidateArea(Root(w), RECT{o.x, o.y, o.x + Width(w->rect), o.y + Height(w->rect)});
        }
        w->style &= ~WS_VISIBLE;
        Window* f = Peek(S().focus);
        if (f != nullptr && IsDescendant(w, f)) {
            S().focus = nullptr;
            Send(f, WM_KILLFOCUS, 0, 0);
        }
    }
    if (!w->Child()) H().SetVisible(w->hostId, show);
}

}  // namespace

BOOL ShowWindow(HWND hwnd, int command) {
    Window* w = FindWindow(hwnd);
    if (w == nullptr) return FALSE;
    const bool was = (w->style & WS_VISIBLE) != 0;
    if (command == SW_HIDE) {
        if (was) {
            SetVisibleFlag(w, false);
            if (Peek(hwnd) && !w->Child() && S().active == hwnd) ActivateNextAfter(w);
        }
        return was;
    }
    if (command == SW_MINIMIZE || command == SW_SHOWMINIMIZED) {
        w->style |= WS_MINIMIZE;
        if (!was) SetVisibleFlag(w, true);
        if (Peek(hwnd)) {
            RECT c = ClientRectOf(w);
            Send(w, WM_SIZE, SIZE_MINIMIZED,
                 MAKELPARAM(static_cast<WORD>(c.right), static_cast<WORD>(c.bottom)));
        }
        if (Peek(hwnd) && S().active == hwnd) Deactivate();
        return was;
    }
    if (command == SW_RESTORE || command == SW_SHOWNORMAL) w->style &= ~WS_MINIMIZE;
    if (!was) SetVisibleFlag(w, true);
    if (Peek(hwnd) == nullptr) return was;
    const bool activate = command != SW_SHOWNA && command != SW_SHOWNOACTIVATE;
    if (activate && !w->Child()) {
        PlaceInZ(w, HWND_TOP);
        Activate(w, WA_ACTIVE);
    }
    return was;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
    Window* w = FindWindow(hwnd);
    if (w == nullptr) return FALSE;
    const BOOL wasDisabled = (w->style & WS_DISABLED) ? TRUE : FALSE;
    if ((enable != 0) == !wasDisabled) return wasDisabled;
    if (enable) {
        w->style &= ~WS_DISABLED;
    } else {
        w->style |= WS_DISABLED;
        Window* f = Peek(S().focus);
        if (f != nullptr && f == w) {
            S().focus = nullptr;
            Send(f, WM_KILLFOCUS, 0, 0);
        }
        if (S().capture == hwnd) ReleaseCapture();
    }
    if (Peek(hwnd)) Send(w, WM_ENABLE, enable ? TRUE : FALSE, 0);
    return wasDisabled;
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    Window* w = FindWindow(hwnd);
    if (w == nullptr) return FALSE;
    RECT old = w->rect;
    RECT oldClient = ClientRectOf(w);
    POINT oldOrigin = SurfaceOrigin(w);
    RECT r = w->rect;
    if (!(flags & SWP_NOMOVE)) {
        r.right = x + Width(r);
        r.bottom = y + Height(r);
        r.left = x;
        r.top = y;
    }
    if (!(flags & SWP_NOSIZE)) {
        r.right = r.left + std::max(0, cx);
        r.bottom = r.top + std::max(0, cy);
    }
    const bool moved = r.left != old.left || r.top != old.top;
    const bool sized = Width(r) != Width(old) || Height(r) != Height(old);
    if (!(flags & SWP_NOZORDER)) {
        if (insertAfter == HWND_TOPMOST) w->exStyle |= WS_EX_TOPMOST;
        if (insertAfter == HWND_NOTOPMOST) w->exStyle &= ~WS_EX_TOPMOST;
        PlaceInZ(w, insertAfter);
    }
    if (w->Child() && Visible(w) &&
        (moved || sized || !(flags & SWP_NOZORDER) || (flags & SWP_FRAMECHANGED))) {
        InvalidateArea(Root(w),
                       RECT{oldOrigin.x, oldOrigin.y, oldOrigin.x + Width(old), oldOrigin.y + Height(old)});
    }
    w->rect = r;
    if (!w->Child()) {
        if (moved || sized)
            H().SetBounds(w->hostId, r.left, r.top, std::max(1, Width(r)), std::max(1, Height(r)));
        if (sized) ResizeSurface(w);
    }
    if (moved || sized || (flags & SWP_FRAMECHANGED) || !(flags & SWP_NOZORDER)) InvalidateAll(w);
    RECT nc = ClientRectOf(w);
    // A frame change may come right after the style change it follows, so
    // the client size is always reported then.
    if (sized || (flags & SWP_FRAMECHANGED) || nc.right != oldClient.right || nc.bottom != oldClient.bottom)
        Send(w, WM_SIZE, SIZE_RESTORED,
             MAKELPARAM(static_cast<WORD>(nc.right), static_cast<WORD>(nc.bottom)));
    if (Peek(hwnd) && moved) {
        RECT in = Inset(w);
        Send(w, WM_MOVE, 0,
             MAKELPARAM(static_cast<WORD>(w->rect.left + in.left), static_cast<WORD>(w->rect.top + in.top)));
    }
    if (Peek(hwnd) == nullptr) return TRUE;
    if (flags & SWP_SHOWWINDOW) {
        if (!(w->style & WS_VISIBLE)) SetVisibleFlag(w, true);
    } else if (flags & SWP_HIDEWINDOW) {
        if (w->style & WS_VISIBLE) ShowWindow(hwnd, SW_HIDE);
    }
    if (Peek(hwnd) && !w->Child() && !(flags & SWP_NOACTIVATE) && (w->style & WS_VISIBLE))
        Activate(w, WA_ACTIVE);
    return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
    return SetWindowPos(hwnd, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0u : SWP_NOREDRAW));
}

// ---------------------------------------------------------------------------
// Window longs and text
// ---------------------------------------------------------------------------

LONG_PTR GetWindowLongW(HWND hwnd, int index) {
    Window* w = FindWindow(hwnd);
    if (w == nullptr) return 0;
    switch (index) {
        case GWL_WNDPROC:
            return reinterpret_cast<LONG_PTR>(w->proc);
        case GWL_STYLE:
            return static_cast<LONG_PTR>(w->style);
        case GWL_EXSTYLE:
            return static_cast<LONG_PTR>(w->exStyle);
        case GWL_ID:
            return w->id;
        case GWL_USERDATA:
            return w->userData;
        case GWL_HINSTANCE:
            return reinterpret_cast<LONG_PTR>(w->instance);
        case GWL_HWNDPARENT:
            return reinterpret_cast<LONG_PTR>(w->Child() ? w->parent->handle : w->owner);
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
    }
}

LONG_PTR SetWindowLongW(HWND hwnd, int index, LONG_PTR value) {
    Window* w = FindWindow(hwnd);
    if (w == nullptr) return 0;
    LONG_PTR old = 0;
    switch (index) {
        case GWL_WNDPROC:
            if (value == 0) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return 0;
            }
            old = reinterpret_cast<LONG_PTR>(w->proc);
            w->proc = reinterpret_cast<WNDPROC>(value);
            return old;
        case GWL_STYLE:
            old = static_cast<LONG_PTR>(w->style);
            w->style = static_cast<DWORD>(value);
            return old;
        case GWL_EXSTYLE:
            old = static_cast<LONG_PTR>(w->exStyle);
            w->exStyle = static_cast<DWORD>(value);
            return old;
        case GWL_ID:
            old = w->id;
            w->id = value;
            return old;
        case GWL_USERDATA:
            old = w->userData;
            w->userData = value;
            return old;
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
    }
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text) {
    Window* w = FindWindow(hwnd);
    if (w == nullptr) return FALSE;
    return Send(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount) {
    Window* w = FindWindow(hwnd);
    if (w == nullptr || buffer == nullptr || maxCount <= 0) return 0;
    return static_cast<int>(
        Send(w, WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthW(HWND hwnd) {
    Window* w = FindWindow(hwnd);
    if (w == nullptr) return 0;
    return static_cast<int>(Send(w, WM_GETTEXTLENGTH, 0, 0));
}

int GetClassNameW(HWND hwnd, LPWSTR buffer, int maxCount) {
    Window* w = FindWindow(hwnd);
    if (w == nullptr || buffer == nullptr || maxCount <= 0) return 0;
    const std::u16string& n = w->cls->name;
    const int count = std::min(static_cast<int>(n.size()), maxCount - 1);
    std::copy(n.begin(), n.begin() + count, buffer);
    buffer[count] = 0;
    return count;
}

// ---------------------------------------------------------------------------
// Rectangles and relations
// ---------------------------------------------------------------------------

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
    Window* w = FindWindow(hwnd);
    if (w == nullptr || rect == nullptr) return FALSE;
    POINT o = SurfaceOrigin(w);
    Window* root = Root(w);
    *rect = RECT{root->rect.left + o.x, root->rect.top + o.y, root->rect.left + o.x + Width(w->rect),
                 root->rect.top + o.y + Height(w->rect)};
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
    Window* w = FindWindow(hwnd);
    if (w == nullptr || rect == nullptr) return FALSE;
    *rect = ClientRectOf(w);
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* point) {
    Window* w = FindWindow(hwnd);
    if (w == nullptr || point == nullptr) return FALSE;
    POINT o = ClientSurfaceOrigin(w);
    Window* root = Root(w);
    point->x += root->rect.left + o.x;
    point->y += root->rect.top + o.y;
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* point) {
    Window* w = FindWindow(hwnd);
    if (w == nullptr || point == nullptr) return FALSE;
    POINT o = ClientSurfaceOrigin(w);
    Window* root = Root(w);
    point->x -= root->rect.left + o.x;
    point->y -= root->rect.top + o.y;
    return TRUE;
}

HWND GetParent(HWND hwnd) {
    Window* w = FindWindow(hwnd);
    if (w == nullptr) return nullptr;
    return w->Child() ? w->parent->handle : w->owner;
}

HWND GetAncestor(HWND hwnd, UINT flags) {
    Window* w = FindWindow(hwnd);
    if (w == nullptr) return nullptr;
    if (flags == GA_PARENT) return w->Child() ? w->parent->handle : nullptr;
    return Root(w)->handle;
}

HWND GetWindow(HWND hwnd, UINT relation) {
    Window* w = FindWindow(hwnd);
    if (w == nullptr) return nullptr;
    if (relation == GW_CHILD) return w->children.empty() ? nullptr : w->children.front()->handle;
    if (relation == GW_OWNER) return w->Child() ? nullptr : w->owner;
    const auto& list = w->Child() ? w->parent->children : S().topLevels;
    auto it = std::find(list.begin(), list.end(), w);
    switch (relation) {
        case GW_HWNDFIRST:
            return list.front()->handle;
        case GW_HWNDLAST:
            return list.back()->handle;
        case GW_HWNDNEXT:
            return (it + 1 == list.end()) ? nullptr : (*(it + 1))->handle;
        case GW_HWNDPREV:
            return (it == list.begin()) ? nullptr : (*(it - 1))->handle;
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
    }
}

int GetDlgCtrlID(HWND hwnd) {
    Window* w = FindWindow(hwnd);
    return (w == nullptr || !w->Child()) ? 0 : static_cast<int>(w->id);
}

int GetSystemMetrics(int index) {
    switch (index) {
        case SM_CXSCREEN:
            return H().ScreenWidth();
        case SM_CYSCREEN:
            return H().ScreenHeight();
        case SM_CXVSCROLL:
        case SM_CYHSCROLL:
        case SM_CYVTHUMB:
            return 17;
        case SM_CYCAPTION:
            return 23;
        case SM_CXBORDER:
        case SM_CYBORDER:
            return 1;
        case SM_CXEDGE:
        case SM_CYEDGE:
            return 2;
        case SM_CYMENU:
            return 20;
        case SM_CXICON:
        case SM_CYICON:
        case SM_CXCURSOR:
        case SM_CYCURSOR:
            return 32;
        case SM_CXSMICON:
        case SM_CYSMICON:
            return 16;
        case SM_CXDOUBLECLK:
        case SM_CYDOUBLECLK:
            return 4;
        default:
            return 0;
    }
}

BOOL SetMenu(HWND hwnd, HMENU menu) {
    Window* w = FindWindow(hwnd);
    if (w == nullptr) return FALSE;
    if (w->Child()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (menu != nullptr && FindAnyObject(menu) == nullptr) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    SetMenuInternal(w, menu);
    return TRUE;
}

HMENU GetMenu(HWND hwnd) {
    Window* w = FindWindow(hwnd);
    if (w == nullptr || w->Child()) return nullptr;
    if (w->menu != nullptr && FindAnyObject(w->menu) == nullptr) w->menu = nullptr;
    return w->menu;
}

BOOL DrawMenuBar(HWND hwnd) {
    Window* w = FindWindow(hwnd);
    if (w == nullptr) return FALSE;
    RECT before = ClientRectOf(w);
    w->ncDirty = true;
    RECT after = ClientRectOf(w);
    if (before.bottom != after.bottom) SetMenuInternal(w, w->menu);
    return TRUE;
}
