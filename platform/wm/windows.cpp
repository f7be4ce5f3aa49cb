// Window classes and windows: registration, creation with its messages,
// destruction of a window with its children and owned windows, geometry,
// Z order, window longs, text and the tree queries.
#include <algorithm>
#include <cwctype>

#include "platform/controls/controls.h"
#include "platform/wm/wm_internal.h"
#include "platform/wm/wm_state.h"

namespace platform::wm {

State& S() {
    static State* s = new State;  // lives for the process
    return *s;
}

host::Host& H() {
    return host::CurrentHost();
}

Window* Peek(HWND h) {
    Object* o = FindAnyObject(h);
    return (o && o->kind == Kind::Window) ? static_cast<Window*>(o) : nullptr;
}

Window* Win(HWND h) {
    Window* w = Peek(h);
    if (!w) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return w;
}

Window* Root(Window* w) {
    while (w && w->IsChild())
        w = Peek(w->parent);
    return w;
}

bool IsDescendant(HWND ancestor, HWND h) {
    for (Window* w = Peek(h); w; w = w->IsChild() ? Peek(w->parent) : nullptr)
        if (w->self == ancestor) return true;
    return false;
}

bool Empty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}
RECT Intersect(const RECT& a, const RECT& b) {
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    if (Empty(r)) r = RECT{};
    return r;
}
RECT Union(const RECT& a, const RECT& b) {
    if (Empty(a)) return b;
    if (Empty(b)) return a;
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}
bool Contains(const RECT& r, POINT p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}
RECT Offset(RECT r, int dx, int dy) {
    return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

POINT WindowOriginScreen(const Window* w) {
    if (!w->IsChild()) return POINT{w->rect.left, w->rect.top};
    POINT p = ClientOriginScreen(Peek(w->parent));
    return POINT{p.x + w->rect.left, p.y + w->rect.top};
}
POINT ClientOriginScreen(const Window* w) {
    POINT p = WindowOriginScreen(w);
    RECT c = ClientRectInWindow(w);
    return POINT{p.x + c.left, p.y + c.top};
}
POINT WindowOriginSurface(const Window* w) {
    if (!w->IsChild()) return POINT{0, 0};
    const Window* p = Peek(w->parent);
    POINT o = WindowOriginSurface(p);
    RECT c = ClientRectInWindow(p);
    return POINT{o.x + c.left + w->rect.left, o.y + c.top + w->rect.top};
}
RECT ClientRectInWindow(const Window* w) {
    RECT r{w->border, w->border + w->menuHeight, w->Width() - w->border - (w->vscroll ? 17 : 0),
           w->Height() - w->border};
    r.right = std::max(r.right, r.left);
    r.bottom = std::max(r.bottom, r.top);
    return r;
}
int ClientWidth(const Window* w) {
    RECT c = ClientRectInWindow(w);
    return c.right - c.left;
}
int ClientHeight(const Window* w) {
    RECT c = ClientRectInWindow(w);
    return c.bottom - c.top;
}

void RecalcFrame(Window* w) {
    const bool captionedTop = !w->IsChild() && (w->style & WS_CAPTION) == WS_CAPTION;
    w->border = 0;
    if (!captionedTop) {
        if (w->style & WS_BORDER) w->border += 1;
        if (w->exStyle & WS_EX_CLIENTEDGE) w->border += 2;
        if (w->exStyle & WS_EX_STATICEDGE) w->border += 1;
    }
    w->vscroll = (w->style & WS_VSCROLL) != 0;
    w->menuHeight = 0;
    if (!w->IsChild() && w->menu)
        w->menuHeight =
            std::max(0, controls::MenuBarHeight(w->menu, std::max(0, w->Width() - 2 * w->border)));
}

bool VisibleChain(const Window* w) {
    for (; w; w = w->IsChild() ? Peek(w->parent) : nullptr)
        if (!(w->style & WS_VISIBLE) || w->destroying) return false;
    return true;
}
bool EnabledChain(const Window* w) {
    for (; w; w = w->IsChild() ? Peek(w->parent) : nullptr)
        if (w->style & WS_DISABLED) return false;
    return true;
}

std::string ToUtf8(const std::u16string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        std::uint32_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string FromWide(LPCWSTR s) {
    if (!s || IS_INTRESOURCE(s)) return {};
    std::u16string r;
    while (*s)
        r += *s++;
    return r;
}

namespace {

char16_t Fold(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

std::u16string FoldedName(const std::u16string& name) {
    std::u16string folded = name;
    for (char16_t& c : folded)
        c = Fold(c);
    return folded;
}

std::shared_ptr<WindowClass> FindClass(LPCWSTR name) {
    if (!name) return nullptr;
    if (IS_INTRESOURCE(name)) {
        for (auto& c : S().classes)
            if (c->atom == reinterpret_cast<std::uintptr_t>(name)) return c;
        return nullptr;
    }
    auto it = S().classesByName.find(FoldedName(FromWide(name)));
    return it == S().classesByName.end() ? nullptr : it->second;
}

void EnsureSystemClasses() {
    if (S().systemClassesDone) return;
    S().systemClassesDone = true;
    controls::RegisterSystemClasses();
}

std::vector<HWND>& SiblingList(Window* w) {
    if (w->IsChild()) return Peek(w->parent)->children;
    return S().topLevels;
}

void Unlink(Window* w) {
    auto& list = SiblingList(w);
    list.erase(std::remove(list.begin(), list.end(), w->self), list.end());
}

}  // namespace

}  // namespace platform::wm

using namespace platform;
using namespace platform::wm;

// ===========================================================================
// Classes
// ===========================================================================

ATOM RegisterClassW(const WNDCLASSW* wc) {
    EnsureSystemClasses();
    if (!wc || !wc->lpszClassName || !wc->lpfnWndProc || IS_INTRESOURCE(wc->lpszClassName) ||
        !*wc->lpszClassName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (FindClass(wc->lpszClassName)) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    auto c = std::make_shared<WindowClass>();
    c->name = FromWide(wc->lpszClassName);
    c->atom = S().nextAtom++;
    c->style = wc->style;
    c->proc = wc->lpfnWndProc;
    c->cbWndExtra = std::max(0, wc->cbWndExtra);
    c->instance = wc->hInstance;
    c->icon = wc->hIcon;
    c->cursor = wc->hCursor;
    c->background = wc->hbrBackground;
    S().classes.push_back(c);
    S().classesByName.emplace(FoldedName(c->name), c);
    return c->atom;
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE) {
    auto c = FindClass(className);
    if (!c) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return FALSE;
    }
    if (c->windows > 0) {
        SetLastError(ERROR_ACCESS_DENIED);  // windows of the class still exist
        return FALSE;
    }
    S().classesByName.erase(FoldedName(c->name));
    auto& v = S().classes;
    v.erase(std::remove(v.begin(), v.end(), c), v.end());
    return TRUE;
}

int GetClassNameW(HWND hwnd, LPWSTR buffer, int maxCount) {
    Window* w = Win(hwnd);
    if (!w || !buffer || maxCount <= 0) return 0;
    const std::u16string& n = w->cls->name;
    const int count = std::min<int>(static_cast<int>(n.size()), maxCount - 1);
    std::copy(n.begin(), n.begin() + count, buffer);
    buffer[count] = 0;
    return count;
}

// ===========================================================================
// Creation and destruction
// ===========================================================================

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menuOrId, HINSTANCE instance, LPVOID param) {
    EnsureSystemClasses();
    auto cls = FindClass(className);
    if (!cls) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    Window* parentWin = nullptr;
    if (parent) {
        parentWin = Win(parent);
        if (!parentWin || parentWin->destroying) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
    }
    if ((style & WS_CHILD) && !parentWin) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    width = std::max(0, width);
    height = std::max(0, height);

    auto owned = std::make_unique<Window>();
    Window* w = owned.get();
    HWND hwnd = static_cast<HWND>(AddObject(std::move(owned)));
    w->self = hwnd;
    w->cls = cls;
    ++cls->windows;
    w->proc = cls->proc;
    w->style = style & ~WS_VISIBLE;
    w->exStyle = exStyle;
    w->instance = instance;
    w->extra.assign(static_cast<size_t>(cls->cbWndExtra), 0);
    w->text = FromWide(windowName);
    w->rect = RECT{x, y, x + width, y + height};
    if (style & WS_CHILD) {
        w->parent = parent;
        w->id = reinterpret_cast<LONG_PTR>(menuOrId);
        parentWin->children.push_back(hwnd);
    } else {
        if (parentWin) w->owner = Root(parentWin)->self;
        if (menuOrId && FindObject(menuOrId, Kind::Menu)) w->menu = menuOrId;
        S().topLevels.insert(S().topLevels.begin(), hwnd);
        w->surface = std::make_unique<gdi::Surface>();
        w->surface->Resize(std::max(1, width), std::max(1, height));
        host::WindowSpec spec;
        spec.x = x;
        spec.y = y;
        spec.width = std::max(1, width);
        spec.height = std::max(1, height);
        spec.titleUtf8 = ToUtf8(w->text);
        spec.decorated = (style & WS_CAPTION) == WS_CAPTION;
        spec.minimizable = spec.decorated && (style & WS_MINIMIZEBOX);
        spec.toolWindow = (exStyle & WS_EX_TOOLWINDOW) != 0;
        spec.topMost = (exStyle & WS_EX_TOPMOST) != 0;
        if (Window* o = Peek(w->owner)) spec.transientFor = o->hostId;
        spec.visible = false;
        w->hostId = H().CreateHostWindow(spec);
    }
    RecalcFrame(w);

    CREATESTRUCTW cs{param,      instance,  menuOrId, parent, height, width, y, x, static_cast<LONG>(style),
                     windowName, className, exStyle};
    if (!SendMessageW(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (!Peek(hwnd) || SendMessageW(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (!(w = Peek(hwnd)) || w->destroying) return nullptr;
    SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(ClientWidth(w), ClientHeight(w)));
    if (!(w = Peek(hwnd))) return nullptr;
    POINT origin = w->IsChild() ? POINT{w->rect.left, w->rect.top} : ClientOriginScreen(w);
    SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(origin.x), static_cast<WORD>(origin.y)));
    if (!(w = Peek(hwnd))) return nullptr;
    InvalidateTree(w, true);
    if (style & WS_VISIBLE) ShowWindow(hwnd, SW_SHOW);
    return Peek(hwnd) ? hwnd : nullptr;
}

namespace {

void SendDestroy(HWND h) {
    SendMessageW(h, WM_DESTROY, 0, 0);
    Window* w = Peek(h);
    if (!w) return;
    std::vector<HWND> kids = w->children;
    for (HWND k : kids) {
        if (Window* kw = Peek(k)) {
            kw->destroying = true;
            SendDestroy(k);
        }
    }
}

void FinalDestroy(HWND h) {
    Window* w = Peek(h);
    if (!w) return;
    std::vector<HWND> kids = w->children;
    for (HWND k : kids)
        FinalDestroy(k);
    KillTimersOf(h);
    controls::ForgetScrollBar(h);
    if (!(w = Peek(h))) return;
    if (!w->IsChild()) {
        controls::ForgetMenuOwner(h);
        if (w->menu) DestroyMenu(w->menu);
        w->menu = nullptr;
    }
    SendMessageW(h, WM_NCDESTROY, 0, 0);
    if (!(w = Peek(h))) return;
    OnWindowGone(h);
    ForgetDirty(h);
    Unlink(w);
    if (!w->IsChild() && w->hostId) H().DestroyHostWindow(w->hostId);
    --w->cls->windows;
    RemoveObject(h);
}

}  // namespace

BOOL DestroyWindow(HWND hwnd) {
    Window* w = Win(hwnd);
    if (!w) return FALSE;
    if (w->destroying) return TRUE;  // already on its way (inside its own WM_DESTROY)
    w->destroying = true;
    const bool top = !w->IsChild();
    const bool wasActive = S().active == hwnd;
    if (w->IsChild() && (w->style & WS_VISIBLE)) {
        RECT r = w->rect;
        InvalidateUnder(Peek(w->parent), r, hwnd);
    }
    if (top) {
        // Owned windows go first.
        std::vector<HWND> owned;
        for (HWND t : S().topLevels)
            if (Window* tw = Peek(t); tw && tw->owner == hwnd) owned.push_back(t);
        for (HWND o : owned)
            DestroyWindow(o);
        if (Peek(hwnd) && w->hostId) H().SetVisible(w->hostId, false);
    }
    if (S().focus && IsDescendant(hwnd, S().focus)) S().focus = nullptr;
    SendDestroy(hwnd);
    FinalDestroy(hwnd);
    if (top && wasActive) ActivateNextAfter(hwnd);
    return TRUE;
}

BOOL IsWindow(HWND hwnd) {
    return Peek(hwnd) != nullptr;
}

BOOL IsWindowVisible(HWND hwnd) {
    Window* w = Peek(hwnd);
    return w && VisibleChain(w);
}

BOOL IsWindowEnabled(HWND hwnd) {
    Window* w = Peek(hwnd);
    return w && !(w->style & WS_DISABLED);
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
    Window* w = Win(hwnd);
    if (!w) return FALSE;
    const bool wasDisabled = (w->style & WS_DISABLED) != 0;
    if (wasDisabled == !enable) return wasDisabled;
    if (enable) {
        w->style &= ~WS_DISABLED;
    } else {
        w->style |= WS_DISABLED;
        if (S().focus && IsDescendant(hwnd, S().focus)) SetFocus(nullptr);
        if (S().capture && IsDescendant(hwnd, S().capture)) ReleaseCapture();
    }
    SendMessageW(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
    return wasDisabled;
}

BOOL ShowWindow(HWND hwnd, int command) {
    Window* w = Win(hwnd);
    if (!w) return FALSE;
    const bool was = (w->style & WS_VISIBLE) != 0;
    const bool show = command != SW_HIDE;
    const bool top = !w->IsChild();
    if (command == SW_MINIMIZE || command == SW_SHOWMINIMIZED) {
        if (!w->minimized) {
            w->minimized = true;
            SendMessageW(hwnd, WM_SIZE, SIZE_MINIMIZED, 0);
            if (top && S().active == hwnd) ActivateNextAfter(hwnd);
        }
        return was;
    }
    if (show != was) {
        SendMessageW(hwnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
        if (!(w = Peek(hwnd))) return was;
        if (show) {
            w->style |= WS_VISIBLE;
            InvalidateTree(w, true);
        } else {
            w->style &= ~WS_VISIBLE;
            if (w->IsChild()) InvalidateUnder(Peek(w->parent), w->rect, hwnd);
            if (S().focus && IsDescendant(hwnd, S().focus)) SetFocus(nullptr);
        }
        if (top) H().SetVisible(w->hostId, show);
    }
    if (top && w->minimized && show && command != SW_SHOWNA && command != SW_SHOWNOACTIVATE) {
        w->minimized = false;
        SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(ClientWidth(w), ClientHeight(w)));
        if (!(w = Peek(hwnd))) return was;
    }
    if (top) {
        if (show && command != SW_SHOWNA && command != SW_SHOWNOACTIVATE)
            Activate(hwnd, WA_ACTIVE, false);
        else if (!show && S().active == hwnd)
            ActivateNextAfter(hwnd);
    }
    return was;
}

// ===========================================================================
// Geometry and Z order
// ===========================================================================

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    Window* w = Win(hwnd);
    if (!w) return FALSE;
    const bool top = !w->IsChild();
    const RECT oldRect = w->rect;
    const int oldCw = ClientWidth(w), oldCh = ClientHeight(w);
    const POINT oldClient = top ? ClientOriginScreen(w) : POINT{w->rect.left, w->rect.top};
    RECT r = w->rect;
    if (!(flags & SWP_NOMOVE)) r = Offset(r, x - r.left, y - r.top);
    if (!(flags & SWP_NOSIZE)) {
        r.right = r.left + std::max(0, cx);
        r.bottom = r.top + std::max(0, cy);
    }
    bool zChanged = false;
    if (!(flags & SWP_NOZORDER)) {
        auto& list = SiblingList(w);
        HWND after = insertAfter;
        if (after == HWND_TOPMOST) w->exStyle |= WS_EX_TOPMOST;
        if (after == HWND_NOTOPMOST) w->exStyle &= ~WS_EX_TOPMOST;
        Window* aw =
            (after == HWND_TOP || after == HWND_BOTTOM || after == HWND_TOPMOST || after == HWND_NOTOPMOST)
                ? nullptr
                : Peek(after);
        if (after == HWND_TOP || after == HWND_TOPMOST || after == HWND_NOTOPMOST || after == HWND_BOTTOM ||
            (aw && aw != w && std::find(list.begin(), list.end(), after) != list.end())) {
            std::vector<HWND> before = list;
            list.erase(std::remove(list.begin(), list.end(), hwnd), list.end());
            if (after == HWND_BOTTOM)
                list.push_back(hwnd);
            else if (aw)
                list.insert(std::find(list.begin(), list.end(), after) + 1, hwnd);
            else
                list.insert(list.begin(), hwnd);
            zChanged = before != list;
        }
    }
    const bool moved = r.left != oldRect.left || r.top != oldRect.top;
    const bool sized =
        r.right - r.left != oldRect.right - oldRect.left || r.bottom - r.top != oldRect.bottom - oldRect.top;
    w->rect = r;
    if (flags & SWP_FRAMECHANGED) w->style = w->style;  // frame is recomputed below
    if (sized || (flags & SWP_FRAMECHANGED)) RecalcFrame(w);
    if (top) {
        if (moved || sized)
            H().SetBounds(w->hostId, r.left, r.top, std::max(1, w->Width()), std::max(1, w->Height()));
        if (sized) {
            w->surface->Resize(std::max(1, w->Width()), std::max(1, w->Height()));
            InvalidateTree(w, true);
        }
    } else if ((moved || sized || zChanged) && (w->style & WS_VISIBLE)) {
        InvalidateUnder(Peek(w->parent), oldRect, hwnd);
        InvalidateTree(w, true);
    }
    if (flags & SWP_FRAMECHANGED) InvalidateTree(w, true);
    if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    if (flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
    if (!(w = Peek(hwnd))) return TRUE;
    const int cw = ClientWidth(w), ch = ClientHeight(w);
    const POINT client = top ? ClientOriginScreen(w) : POINT{w->rect.left, w->rect.top};
    if (client.x != oldClient.x || client.y != oldClient.y)
        SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(client.x), static_cast<WORD>(client.y)));
    if (!(w = Peek(hwnd))) return TRUE;
    if (cw != oldCw || ch != oldCh) SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(cw, ch));
    if (!(w = Peek(hwnd))) return TRUE;
    if (top && !(flags & (SWP_NOACTIVATE | SWP_HIDEWINDOW)) && (w->style & WS_VISIBLE))
        Activate(hwnd, WA_ACTIVE, false);
    return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
    return SetWindowPos(hwnd, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0u : static_cast<UINT>(SWP_NOREDRAW)));
}

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
    Window* w = Win(hwnd);
    if (!w || !rect) return FALSE;
    POINT p = WindowOriginScreen(w);
    *rect = RECT{p.x, p.y, p.x + w->Width(), p.y + w->Height()};
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
    Window* w = Win(hwnd);
    if (!w || !rect) return FALSE;
    *rect = RECT{0, 0, ClientWidth(w), ClientHeight(w)};
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* point) {
    Window* w = Win(hwnd);
    if (!w || !point) return FALSE;
    POINT o = ClientOriginScreen(w);
    point->x -= o.x;
    point->y -= o.y;
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* point) {
    Window* w = Win(hwnd);
    if (!w || !point) return FALSE;
    POINT o = ClientOriginScreen(w);
    point->x += o.x;
    point->y += o.y;
    return TRUE;
}

HWND GetParent(HWND hwnd) {
    Window* w = Win(hwnd);
    if (!w) return nullptr;
    return w->IsChild() ? w->parent : w->owner;
}

HWND GetAncestor(HWND hwnd, UINT flags) {
    Window* w = Win(hwnd);
    if (!w) return nullptr;
    if (flags == GA_PARENT) return w->IsChild() ? w->parent : nullptr;
    if (flags == GA_ROOT) return Root(w)->self;
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
}

HWND GetWindow(HWND hwnd, UINT relation) {
    Window* w = Win(hwnd);
    if (!w) return nullptr;
    if (relation == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
    if (relation == GW_OWNER) return w->IsChild() ? nullptr : w->owner;
    auto& list = SiblingList(w);
    auto it = std::find(list.begin(), list.end(), hwnd);
    switch (relation) {
        case GW_HWNDFIRST:
            return list.front();
        case GW_HWNDLAST:
            return list.back();
        case GW_HWNDNEXT:
            return (it + 1 == list.end()) ? nullptr : *(it + 1);
        case GW_HWNDPREV:
            return (it == list.begin()) ? nullptr : *(it - 1);
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
    }
}

int GetDlgCtrlID(HWND hwnd) {
    Window* w = Win(hwnd);
    return (w && w->IsChild()) ? static_cast<int>(w->id) : 0;
}

// ===========================================================================
// Window longs and text
// ===========================================================================

LONG_PTR GetWindowLongW(HWND hwnd, int index) {
    Window* w = Win(hwnd);
    if (!w) return 0;
    switch (index) {
        case GWL_WNDPROC:
            return reinterpret_cast<LONG_PTR>(w->proc);
        case GWL_STYLE:
            return static_cast<LONG_PTR>(w->style);
        case GWL_EXSTYLE:
            return static_cast<LONG_PTR>(w->exStyle);
        case GWL_ID:
            return w->IsChild() ? w->id : 0;
        case GWL_USERDATA:
            return w->userData;
        case GWL_HINSTANCE:
            return reinterpret_cast<LONG_PTR>(w->instance);
        case GWL_HWNDPARENT:
            return reinterpret_cast<LONG_PTR>(w->IsChild() ? w->parent : w->owner);
        default:
            if (index >= 0 && static_cast<size_t>(index) + sizeof(LONG_PTR) <= w->extra.size()) {
                LONG_PTR v;
                std::copy_n(w->extra.data() + index, sizeof v, reinterpret_cast<unsigned char*>(&v));
                return v;
            }
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
    }
}

LONG_PTR SetWindowLongW(HWND hwnd, int index, LONG_PTR value) {
    Window* w = Win(hwnd);
    if (!w) return 0;
    LONG_PTR old = 0;
    switch (index) {
        case GWL_WNDPROC:
            if (!value) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return 0;
            }
            old = reinterpret_cast<LONG_PTR>(w->proc);
            w->proc = reinterpret_cast<WNDPROC>(value);
            return old;
        case GWL_STYLE:
            old = static_cast<LONG_PTR>(w->style);
            // Visibility and the child bit change only through their own calls.
            w->style =
                (static_cast<DWORD>(value) & ~(WS_VISIBLE | WS_CHILD)) | (w->style & (WS_VISIBLE | WS_CHILD));
            return old;
        case GWL_EXSTYLE:
            old = static_cast<LONG_PTR>(w->exStyle);
            w->exStyle = static_cast<DWORD>(value);
            return old;
        case GWL_ID:
            old = w->id;
            if (w->IsChild()) w->id = value;
            return old;
        case GWL_USERDATA:
            old = w->userData;
            w->userData = value;
            return old;
        case GWL_HINSTANCE:
            old = reinterpret_cast<LONG_PTR>(w->instance);
            w->instance = reinterpret_cast<HINSTANCE>(value);
            return old;
        default:
            if (index >= 0 && static_cast<size_t>(index) + sizeof(LONG_PTR) <= w->extra.size()) {
                std::copy_n(w->extra.data() + index, sizeof old, reinterpret_cast<unsigned char*>(&old));
                std::copy_n(reinterpret_cast<unsigned char*>(&value), sizeof value, w->extra.data() + index);
                return old;
            }
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
    }
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text) {
    if (!Win(hwnd)) return FALSE;
    return SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount) {
    if (!Win(hwnd) || !buffer || maxCount <= 0) return 0;
    buffer[0] = 0;
    return static_cast<int>(
        SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthW(HWND hwnd) {
    if (!Win(hwnd)) return 0;
    return static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
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
        case SM_CXICON:
        case SM_CYICON:
        case SM_CXCURSOR:
        case SM_CYCURSOR:
            return 32;
        case SM_CXSMICON:
        case SM_CYSMICON:
            return 16;
        case SM_CYMENU:
            return 20;
        case SM_CXDOUBLECLK:
        case SM_CYDOUBLECLK:
            return 4;
        default:
            return 0;
    }
}

// ===========================================================================
// Menus of top-level windows
// ===========================================================================

BOOL SetMenu(HWND hwnd, HMENU menu) {
    Window* w = Win(hwnd);
    if (!w) return FALSE;
    if (w->IsChild() || (menu && !FindObject(menu, Kind::Menu))) {
        SetLastError(menu ? ERROR_INVALID_MENU_HANDLE : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const int cw = ClientWidth(w), ch = ClientHeight(w);
    w->menu = menu;
    RecalcFrame(w);
    InvalidateTree(w, true);
    if (cw != ClientWidth(w) || ch != ClientHeight(w))
        SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(ClientWidth(w), ClientHeight(w)));
    return TRUE;
}

HMENU GetMenu(HWND hwnd) {
    Window* w = Win(hwnd);
    return (w && !w->IsChild()) ? w->menu : nullptr;
}

BOOL DrawMenuBar(HWND hwnd) {
    Window* w = Win(hwnd);
    if (!w || w->IsChild()) return FALSE;
    const int before = w->menuHeight;
    RecalcFrame(w);
    if (before != w->menuHeight) {
        InvalidateTree(w, true);
        SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(ClientWidth(w), ClientHeight(w)));
    } else {
        RedrawNonClient(hwnd);
    }
    return TRUE;
}

namespace platform::wm {

std::vector<HWND> TopLevelWindows() {
    return S().topLevels;
}

RECT MenuBarRect(HWND hwnd) {
    Window* w = Peek(hwnd);
    if (!w || !w->menuHeight) return RECT{};
    return RECT{w->border, w->border, w->Width() - w->border, w->border + w->menuHeight};
}

RECT VerticalScrollBarRect(HWND hwnd) {
    Window* w = Peek(hwnd);
    if (!w || !w->vscroll) return RECT{};
    RECT c = ClientRectInWindow(w);
    return RECT{c.right, c.top, std::min(c.right + 17, w->Width() - w->border), c.bottom};
}

host::WindowId HostWindowOf(HWND hwnd) {
    Window* w = Peek(hwnd);
    w = Root(w);
    return w ? w->hostId : 0;
}

HWND WindowOfHost(host::WindowId id) {
    for (HWND t : S().topLevels)
        if (Window* w = Peek(t); w && w->hostId == id) return t;
    return nullptr;
}

std::u16string ClipboardText() {
    return H().ClipboardText();
}
void SetClipboardText(const std::u16string& text) {
    H().SetClipboardText(text);
}

}  // namespace platform::wm
