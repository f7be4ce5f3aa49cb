// The window manager's state, window lookups and the geometry of windows:
// non-client insets, positions within the top-level surface, and the
// visible area of a window as a set of disjoint surface rectangles.
#include <algorithm>

#include "platform/controls/controls.h"
#include "platform/wm_b/wm_state.h"

namespace platform::wm {

State& S() {
    static State state;
    return state;
}

std::string ToUtf8(const std::u16string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        std::uint32_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;  // a lone surrogate
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

Window* Peek(HWND hwnd) {
    if (hwnd == nullptr) return nullptr;
    const DWORD saved = GetLastError();
    Window* w = Find<Window>(hwnd, Kind::Window);
    SetLastError(saved);
    return w;
}

Window* FindWindow(HWND hwnd) {
    Window* w = Peek(hwnd);
    if (w == nullptr) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return w;
}

Window* Root(Window* w) {
    while (w->Child())
        w = w->parent;
    return w;
}

bool IsDescendant(Window* ancestor, Window* w) {
    for (; w != nullptr; w = w->Child() ? w->parent : nullptr)
        if (w == ancestor) return true;
    return false;
}

int Width(const RECT& r) {
    return std::max<LONG>(0, r.right - r.left);
}
int Height(const RECT& r) {
    return std::max<LONG>(0, r.bottom - r.top);
}

RECT Inset(Window* w) {
    RECT in{0, 0, 0, 0};
    if (w->Child()) {
        int edge = 0;
        if (w->style & WS_BORDER) edge += 1;
        if (w->exStyle & WS_EX_CLIENTEDGE) edge += 2;
        in = RECT{edge, edge, edge, edge};
    } else if (w->menu != nullptr && FindAnyObject(w->menu) != nullptr) {
        in.top = controls::MenuBarHeight(w->menu, Width(w->rect));
    }
    if (w->style & WS_VSCROLL) in.right += 17;
    // A window too small for its frame has an empty client area, never a negative one.
    in.right = std::min<LONG>(in.right, std::max<LONG>(0, Width(w->rect) - in.left));
    in.bottom = std::min<LONG>(in.bottom, std::max<LONG>(0, Height(w->rect) - in.top));
    return in;
}

RECT MenuBarIn(Window* w) {
    if (w->Child() || w->menu == nullptr || FindAnyObject(w->menu) == nullptr) return RECT{0, 0, 0, 0};
    RECT in = Inset(w);
    return RECT{0, 0, Width(w->rect), std::min<LONG>(in.top, Height(w->rect))};
}

RECT ScrollBarIn(Window* w) {
    if (!(w->style & WS_VSCROLL)) return RECT{0, 0, 0, 0};
    RECT in = Inset(w);
    int edge = w->Child() ? in.left : 0;
    LONG right = Width(w->rect) - edge;
    return RECT{std::max<LONG>(in.left, right - 17), in.top, right,
                std::max<LONG>(in.top, Height(w->rect) - in.bottom)};
}

RECT ClientRectOf(Window* w) {
    RECT in = Inset(w);
    return RECT{0, 0, std::max<LONG>(0, Width(w->rect) - in.left - in.right),
                std::max<LONG>(0, Height(w->rect) - in.top - in.bottom)};
}

POINT SurfaceOrigin(Window* w) {
    if (!w->Child()) return POINT{0, 0};
    POINT p = ClientSurfaceOrigin(w->parent);
    return POINT{p.x + w->rect.left, p.y + w->rect.top};
}

POINT ClientSurfaceOrigin(Window* w) {
    POINT p = SurfaceOrigin(w);
    RECT in = Inset(w);
    return POINT{p.x + in.left, p.y + in.top};
}

bool Visible(Window* w) {
    for (; w != nullptr; w = w->Child() ? w->parent : nullptr)
        if (!(w->style & WS_VISIBLE)) return false;
    return true;
}

bool Enabled(Window* w) {
    for (; w != nullptr; w = w->Child() ? w->parent : nullptr)
        if (w->style & WS_DISABLED) return false;
    return true;
}

bool Empty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

RECT Intersect(const RECT& a, const RECT& b) {
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    if (Empty(r)) return RECT{0, 0, 0, 0};
    return r;
}

RECT Unite(const RECT& a, const RECT& b) {
    if (Empty(a)) return b;
    if (Empty(b)) return a;
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

void Subtract(std::vector<RECT>* area, const RECT& cut) {
    if (Empty(cut)) return;
    std::vector<RECT> out;
    out.reserve(area->size() + 4);
    for (const RECT& r : *area) {
        RECT i = Intersect(r, cut);
        if (Empty(i)) {
            out.push_back(r);
            continue;
        }
        if (r.top < i.top) out.push_back(RECT{r.left, r.top, r.right, i.top});
        if (i.bottom < r.bottom) out.push_back(RECT{r.left, i.bottom, r.right, r.bottom});
        if (r.left < i.left) out.push_back(RECT{r.left, i.top, i.left, i.bottom});
        if (i.right < r.right) out.push_back(RECT{i.right, i.top, r.right, i.bottom});
    }
    area->swap(out);
}

namespace {

RECT SurfaceRectOf(Window* w) {
    POINT o = SurfaceOrigin(w);
    return RECT{o.x, o.y, o.x + Width(w->rect), o.y + Height(w->rect)};
}

RECT ClientSurfaceRectOf(Window* w) {
    POINT o = ClientSurfaceOrigin(w);
    RECT c = ClientRectOf(w);
    return RECT{o.x, o.y, o.x + c.right, o.y + c.bottom};
}

}  // namespace

std::vector<RECT> VisibleArea(Window* w, bool client) {
    if (!Visible(w)) return {};
    RECT r = client ? ClientSurfaceRectOf(w) : SurfaceRectOf(w);
    for (Window* a = w; a->Child(); a = a->parent)
        r = Intersect(r, ClientSurfaceRectOf(a->parent));
    Window* root = Root(w);
    r = Intersect(r, RECT{0, 0, root->surface->width, root->surface->height});
    std::vector<RECT> area;
    if (Empty(r)) return area;
    area.push_back(r);
    if (client) {
        for (Window* c : w->children)
            if (c->style & WS_VISIBLE) Subtract(&area, SurfaceRectOf(c));
    }
    // Siblings above this window and above each of its ancestors cover it.
    for (Window* a = w; a->Child(); a = a->parent) {
        for (Window* s : a->parent->children) {
            if (s == a) break;
            if (s->style & WS_VISIBLE) Subtract(&area, SurfaceRectOf(s));
            if (area.empty()) return area;
        }
    }
    return area;
}

}  // namespace platform::wm
