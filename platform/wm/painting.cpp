// Painting: update areas, WM_PAINT candidates, the visible region of a window
// (clipped by its ancestors, without its visible children and the siblings
// above it), BeginPaint/EndPaint, window DCs, the frames we draw (borders,
// client edges, menu bar, scroll bar) and presenting the changed rectangles.
#include <algorithm>

#include "platform/controls/controls.h"
#include "platform/wm/wm_internal.h"
#include "platform/wm/wm_state.h"

namespace platform::wm {

namespace {

using Region = std::vector<RECT>;

void Subtract(Region& rgn, const RECT& cut) {
    if (Empty(cut)) return;
    // Most cuts are siblings far from the region: leave it as it is, without
    // building a copy.
    if (std::none_of(rgn.begin(), rgn.end(), [&](const RECT& r) { return !Empty(Intersect(r, cut)); }))
        return;
    Region out;
    out.reserve(rgn.size() + 4);
    for (const RECT& r : rgn) {
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
    rgn.swap(out);
}

RECT WindowRectSurface(const Window* w) {
    POINT o = WindowOriginSurface(w);
    return RECT{o.x, o.y, o.x + w->Width(), o.y + w->Height()};
}

RECT ClientRectSurface(const Window* w) {
    POINT o = WindowOriginSurface(w);
    return Offset(ClientRectInWindow(w), o.x, o.y);
}

// The pixels of the window's surface that belong to `w`: `area` (surface
// coordinates) narrowed by every ancestor's client area, without the visible
// children of `w` and without the visible siblings above `w` or above any of
// its ancestors.
Region VisibleRegion(const Window* w, RECT area) {
    if (!VisibleChain(w)) return {};
    const Window* root = w;
    for (const Window* a = w; a->IsChild();) {
        a = Peek(a->parent);
        area = Intersect(area, ClientRectSurface(a));
        root = a;
    }
    area = Intersect(area, RECT{0, 0, root->surface->width, root->surface->height});
    Region rgn;
    if (Empty(area)) return rgn;
    rgn.push_back(area);
    // A child's rectangle is in its parent's client coordinates: each level
    // finds the parent's client origin once for all its children.
    const RECT own = ClientRectSurface(w);
    for (HWND c : w->children) {
        const Window* cw = Peek(c);
        if (cw && (cw->style & WS_VISIBLE)) Subtract(rgn, Offset(cw->rect, own.left, own.top));
    }
    for (const Window* level = w; level->IsChild() && !rgn.empty();) {
        const Window* p = Peek(level->parent);
        const RECT client = ClientRectSurface(p);
        for (HWND s : p->children) {
            if (s == level->self) break;
            const Window* sw = Peek(s);
            if (sw && (sw->style & WS_VISIBLE)) Subtract(rgn, Offset(sw->rect, client.left, client.top));
        }
        level = p;
    }
    return rgn;
}

void AddPresent(Window* w, const RECT& r) {
    if (Empty(r)) return;
    Window* top = Root(w);
    if (top) top->presentPending.push_back(r);
}

void MarkDirty(Window* w) {
    if (!w->inDirtyList) {
        w->inDirtyList = true;
        S().dirty.push_back(w->self);
    }
}

HDC MakeDc(Window* w, bool whole, const RECT* limitClient) {
    Window* top = Root(w);
    const RECT client = ClientRectSurface(w);
    POINT origin = whole ? WindowOriginSurface(w) : POINT{client.left, client.top};
    RECT area = whole ? WindowRectSurface(w) : client;
    if (limitClient) area = Intersect(area, Offset(*limitClient, client.left, client.top));
    HDC dc = gdi::CreateWindowDC(top->surface.get(), w->self, origin, VisibleRegion(w, area));
    if (dc) S().dcs.emplace_back(dc, w->self);
    return dc;
}

bool ReleaseTrackedDc(HDC dc) {
    auto& dcs = S().dcs;
    auto it = std::find_if(dcs.begin(), dcs.end(), [&](auto& p) { return p.first == dc; });
    if (it == dcs.end()) return false;
    HWND owner = it->second;
    dcs.erase(it);
    RECT drawn = gdi::TakeDrawnBounds(dc);
    if (Window* w = Peek(owner)) AddPresent(w, drawn);
    DeleteDC(dc);
    return true;
}

HBRUSH BrushFromClassValue(HBRUSH b) {
    auto v = reinterpret_cast<std::uintptr_t>(b);
    if (v > 0 && v <= 31) return GetSysColorBrush(static_cast<int>(v - 1));
    return b;
}

}  // namespace

HBRUSH ClassBackground(Window* w) {
    return BrushFromClassValue(w->cls->background);
}

void InvalidateClient(Window* w, const RECT* clientRect, bool erase) {
    RECT all{0, 0, ClientWidth(w), ClientHeight(w)};
    RECT r = clientRect ? Intersect(*clientRect, all) : all;
    if (Empty(r)) return;
    w->update = w->hasUpdate ? Union(w->update, r) : r;
    w->hasUpdate = true;
    w->erase = w->erase || erase;
    MarkDirty(w);
}

void InvalidateFrame(Window* w) {
    if (w->border || w->menuHeight || w->vscroll) {
        w->ncDirty = true;
        MarkDirty(w);
    }
}

void InvalidateTree(Window* w, bool frames) {
    InvalidateClient(w, nullptr, true);
    if (frames) InvalidateFrame(w);
    for (HWND c : w->children)
        if (Window* cw = Peek(c)) InvalidateTree(cw, frames);
}

void InvalidateUnder(Window* parent, const RECT& r, HWND except) {
    if (!parent) return;
    InvalidateClient(parent, &r, true);
    for (HWND c : parent->children) {
        Window* cw = Peek(c);
        if (!cw || c == except || !(cw->style & WS_VISIBLE)) continue;
        RECT i = Intersect(r, cw->rect);
        if (Empty(i)) continue;
        RECT inWin = Offset(i, -cw->rect.left, -cw->rect.top);
        cw->ncDirty = cw->ncDirty || cw->border || cw->vscroll;
        RECT ci = ClientRectInWindow(cw);
        InvalidateUnder(cw, Offset(inWin, -ci.left, -ci.top), nullptr);
        if (cw->ncDirty) MarkDirty(cw);
    }
}

void ForgetDirty(HWND h) {
    auto& d = S().dirty;
    d.erase(std::remove(d.begin(), d.end(), h), d.end());
}

HWND NextPaintWindow(HWND filter) {
    auto& d = S().dirty;
    for (size_t i = 0; i < d.size();) {
        Window* w = Peek(d[i]);
        if (!w || (!w->hasUpdate && !w->ncDirty)) {
            if (w) w->inDirtyList = false;
            d.erase(d.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        if (!VisibleChain(w) || (filter && !IsDescendant(filter, w->self))) {
            ++i;
            continue;
        }
        if (w->ncDirty) PaintNonClient(w);
        if (!(w = Peek(d[i]))) continue;
        if (w->hasUpdate) return w->self;
        w->inDirtyList = false;
        d.erase(d.begin() + static_cast<std::ptrdiff_t>(i));
    }
    return nullptr;
}

void PaintNonClient(Window* w) {
    w->ncDirty = false;
    if (!w->border && !w->menuHeight && !w->vscroll) return;
    HWND hwnd = w->self;
    Window* top = Root(w);
    POINT origin = WindowOriginSurface(w);
    RECT whole = WindowRectSurface(w);
    Region rgn = VisibleRegion(w, whole);
    Subtract(rgn, ClientRectSurface(w));
    if (rgn.empty()) return;
    HDC dc = gdi::CreateWindowDC(top->surface.get(), hwnd, origin, rgn);
    if (!dc) return;
    const int wd = w->Width(), ht = w->Height();
    auto line = [&](int l, int t, int r, int b, int color) {
        RECT rc{l, t, r, b};
        FillRect(dc, &rc, GetSysColorBrush(color));
    };
    int inset = 0;
    if (w->style & WS_BORDER && !(!w->IsChild() && (w->style & WS_CAPTION) == WS_CAPTION)) {
        line(0, 0, wd, 1, COLOR_WINDOWFRAME);
        line(0, ht - 1, wd, ht, COLOR_WINDOWFRAME);
        line(0, 0, 1, ht, COLOR_WINDOWFRAME);
        line(wd - 1, 0, wd, ht, COLOR_WINDOWFRAME);
        inset = 1;
    }
    if (w->exStyle & WS_EX_CLIENTEDGE && w->border >= inset + 2) {
        const int a = inset, b = inset + 1;
        line(a, a, wd - a, a + 1, COLOR_BTNSHADOW);
        line(a, a, a + 1, ht - a, COLOR_BTNSHADOW);
        line(a, ht - a - 1, wd - a, ht - a, COLOR_BTNHIGHLIGHT);
        line(wd - a - 1, a, wd - a, ht - a, COLOR_BTNHIGHLIGHT);
        line(b, b, wd - b, b + 1, COLOR_3DDKSHADOW);
        line(b, b, b + 1, ht - b, COLOR_3DDKSHADOW);
        line(b, ht - b - 1, wd - b, ht - b, COLOR_3DLIGHT);
        line(wd - b - 1, b, wd - b, ht - b, COLOR_3DLIGHT);
        inset += 2;
    }
    if (w->exStyle & WS_EX_STATICEDGE && w->border >= inset + 1) {
        const int a = inset;
        line(a, a, wd - a, a + 1, COLOR_BTNSHADOW);
        line(a, a, a + 1, ht - a, COLOR_BTNSHADOW);
        line(a, ht - a - 1, wd - a, ht - a, COLOR_BTNHIGHLIGHT);
        line(wd - a - 1, a, wd - a, ht - a, COLOR_BTNHIGHLIGHT);
    }
    if (w->menuHeight && w->menu) controls::PaintMenuBar(hwnd, w->menu, dc, MenuBarRect(hwnd));
    if (Peek(hwnd) && w->vscroll) controls::PaintScrollBar(hwnd, dc, VerticalScrollBarRect(hwnd));
    RECT drawn = gdi::TakeDrawnBounds(dc);
    DeleteDC(dc);
    if (Window* again = Peek(hwnd)) AddPresent(again, drawn);
}

void FlushPresents() {
    for (HWND t : S().topLevels) {
        Window* w = Peek(t);
        if (!w || w->presentPending.empty()) continue;
        std::vector<RECT> rects;
        rects.swap(w->presentPending);
        // Merge overlapping rectangles so no pixel is presented twice.
        for (bool merged = true; merged;) {
            merged = false;
            for (size_t i = 0; i < rects.size() && !merged; ++i)
                for (size_t j = i + 1; j < rects.size(); ++j)
                    if (!Empty(Intersect(rects[i], rects[j]))) {
                        rects[i] = Union(rects[i], rects[j]);
                        rects.erase(rects.begin() + static_cast<std::ptrdiff_t>(j));
                        merged = true;
                        break;
                    }
        }
        std::vector<host::Rect> out;
        RECT bounds{0, 0, w->surface->width, w->surface->height};
        for (const RECT& r : rects) {
            RECT c = Intersect(r, bounds);
            if (!Empty(c)) out.push_back(host::Rect{c.left, c.top, c.right - c.left, c.bottom - c.top});
        }
        if (!out.empty() && (w->style & WS_VISIBLE))
            H().Present(w->hostId, w->surface->pixels.data(), w->surface->width, w->surface->height, out);
    }
}

void PresentAll(HWND top) {
    Window* w = Peek(top);
    if (!w) return;
    w->presentPending.push_back(RECT{0, 0, w->surface->width, w->surface->height});
}

}  // namespace platform::wm

using namespace platform;
using namespace platform::wm;

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
    if (!hwnd) {
        for (HWND t : S().topLevels)
            if (Window* w = Peek(t)) InvalidateTree(w, true);
        return TRUE;
    }
    Window* w = Win(hwnd);
    if (!w) return FALSE;
    InvalidateClient(w, rect, erase != FALSE);
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
    Window* w = Win(hwnd);
    if (!w) return FALSE;
    if (!rect) {
        w->hasUpdate = false;
        w->erase = false;
        return TRUE;
    }
    if (!w->hasUpdate) return TRUE;
    RECT u = w->update, v = *rect;
    if (v.left <= u.left && v.right >= u.right) {  // cuts full rows
        if (v.top <= u.top && v.bottom >= u.bottom)
            w->hasUpdate = false;
        else if (v.top <= u.top && v.bottom > u.top)
            u.top = v.bottom;
        else if (v.bottom >= u.bottom && v.top < u.bottom)
            u.bottom = v.top;
    } else if (v.top <= u.top && v.bottom >= u.bottom) {  // cuts full columns
        if (v.left <= u.left && v.right > u.left)
            u.left = v.right;
        else if (v.right >= u.right && v.left < u.right)
            u.right = v.left;
    }
    if (w->hasUpdate) {
        w->update = u;
        if (Empty(u)) w->hasUpdate = false;
    }
    if (!w->hasUpdate) w->erase = false;
    return TRUE;
}

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN, UINT flags) {
    Window* w = Win(hwnd);
    if (!w) return FALSE;
    auto apply = [&](auto&& self, Window* x, const RECT* r) -> void {
        if (flags & RDW_INVALIDATE) InvalidateClient(x, r, (flags & RDW_ERASE) != 0);
        if (flags & RDW_VALIDATE) ValidateRect(x->self, r);
        if ((flags & RDW_FRAME) && (flags & RDW_INVALIDATE)) InvalidateFrame(x);
        if (flags & RDW_ALLCHILDREN)
            for (HWND c : x->children)
                if (Window* cw = Peek(c)) self(self, cw, nullptr);
    };
    apply(apply, w, rect);
    if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) UpdateWindow(hwnd);
    return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL) {
    Window* w = Win(hwnd);
    if (!w) return FALSE;
    if (rect) *rect = w->hasUpdate ? w->update : RECT{};
    return w->hasUpdate ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND hwnd) {
    Window* w = Win(hwnd);
    if (!w) return FALSE;
    auto paintTree = [](auto&& self, HWND h) -> void {
        Window* x = Peek(h);
        if (!x || !VisibleChain(x)) return;
        if (x->ncDirty) PaintNonClient(x);
        if ((x = Peek(h)) && x->hasUpdate) SendMessageW(h, WM_PAINT, 0, 0);
        if (!(x = Peek(h))) return;
        std::vector<HWND> kids = x->children;
        for (HWND k : kids)
            self(self, k);
    };
    // What was painted reaches the screen when the thread next looks for
    // messages, together with whatever else the current message paints: a
    // window shown and then sized while starting is presented once.
    paintTree(paintTree, hwnd);
    return TRUE;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint) {
    Window* w = Win(hwnd);
    if (!w || !paint) return nullptr;
    if (w->ncDirty) PaintNonClient(w);
    const RECT update = w->hasUpdate ? w->update : RECT{};
    const bool erase = w->erase;
    w->hasUpdate = false;
    w->erase = false;
    *paint = PAINTSTRUCT{};
    paint->rcPaint = update;
    HDC dc = MakeDc(w, false, &update);
    paint->hdc = dc;
    if (dc && erase && !Empty(update))
        paint->fErase = SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
    return dc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* paint) {
    if (!paint || !paint->hdc) return FALSE;
    return ReleaseTrackedDc(paint->hdc) ? TRUE : FALSE;
}

HDC GetDC(HWND hwnd) {
    if (!hwnd) {
        static gdi::Surface* screen = [] {
            auto* s = new gdi::Surface;
            s->Resize(1, 1);
            return s;
        }();
        HDC dc = gdi::CreateWindowDC(screen, nullptr, POINT{0, 0}, {});
        if (dc) S().dcs.emplace_back(dc, nullptr);
        return dc;
    }
    Window* w = Win(hwnd);
    return w ? MakeDc(w, false, nullptr) : nullptr;
}

int ReleaseDC(HWND, HDC dc) {
    return ReleaseTrackedDc(dc) ? 1 : 0;
}

namespace platform::wm {

HDC GetWindowDC(HWND hwnd) {
    Window* w = Win(hwnd);
    return w ? MakeDc(w, true, nullptr) : nullptr;
}

void RedrawNonClient(HWND hwnd) {
    Window* w = Peek(hwnd);
    if (!w) return;
    PaintNonClient(w);
    FlushPresents();
}

}  // namespace platform::wm
