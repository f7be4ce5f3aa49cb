// Painting: update areas, the choice of the next window to paint, window
// device contexts clipped to a window's visible area, the frames, menu bar
// and scroll bar of the non-client area, and presenting what changed.
#include <algorithm>

#include "platform/controls/controls.h"
#include "platform/wm/wm_internal.h"
#include "platform/wm_b/wm_state.h"

namespace platform::wm {

namespace {

RECT ClientSurfaceRect(Window* w) {
    POINT o = ClientSurfaceOrigin(w);
    RECT c = ClientRectOf(w);
    return RECT{o.x, o.y, o.x + c.right, o.y + c.bottom};
}

RECT WindowSurfaceRect(Window* w) {
    POINT o = SurfaceOrigin(w);
    return RECT{o.x, o.y, o.x + Width(w->rect), o.y + Height(w->rect)};
}

bool NeedsPaint(Window* w) {
    return w->ncDirty || !Empty(w->update);
}

Window* FirstToPaint(Window* w) {
    if (!(w->style & WS_VISIBLE)) return nullptr;
    if (NeedsPaint(w)) return w;
    for (Window* c : w->children)
        if (Window* p = FirstToPaint(c)) return p;
    return nullptr;
}

void NoteDrawn(Window* w, HDC dc) {
    RECT r = gdi::TakeDrawnBounds(dc);
    if (Empty(r)) return;
    Window* root = Root(w);
    for (RECT& c : root->changed) {
        if (!Empty(Intersect(c, r))) {
            c = Unite(c, r);
            return;
        }
    }
    root->changed.push_back(r);
}

void FillEdge(HDC dc, int l, int t, int r, int b, int color) {
    RECT rc{l, t, r, b};
    FillRect(dc, &rc, GetSysColorBrush(color));
}

void PaintUpdateTree(Window* w) {
    HWND h = w->handle;
    if (Visible(w) && NeedsPaint(w)) Send(w, WM_PAINT, 0, 0);
    if (Peek(h) == nullptr) return;
    std::vector<HWND> kids;
    for (Window* c : w->children)
        kids.push_back(c->handle);
    for (HWND k : kids)
        if (Window* c = Peek(k)) PaintUpdateTree(c);
}

}  // namespace

void InvalidateClient(Window* w, const RECT* clientRect, bool erase) {
    RECT c = ClientRectOf(w);
    RECT r = clientRect ? Intersect(*clientRect, c) : c;
    if (Empty(r)) return;
    w->update = Unite(w->update, r);
    w->erase = w->erase || erase;
}

void InvalidateArea(Window* root, const RECT& area) {
    std::vector<Window*> stack{root};
    while (!stack.empty()) {
        Window* w = stack.back();
        stack.pop_back();
        if (!(w->style & WS_VISIBLE)) continue;
        RECT whole = WindowSurfaceRect(w);
        if (Empty(Intersect(whole, area))) continue;
        RECT cs = ClientSurfaceRect(w);
        RECT i = Intersect(cs, area);
        if (!Empty(i)) {
            RECT local{i.left - cs.left, i.top - cs.top, i.right - cs.left, i.bottom - cs.top};
            InvalidateClient(w, &local, true);
        }
        if (Intersect(whole, area).left < cs.left || Intersect(whole, area).top < cs.top ||
            Intersect(whole, area).right > cs.right || Intersect(whole, area).bottom > cs.bottom)
            w->ncDirty = true;
        for (Window* c : w->children)
            stack.push_back(c);
    }
}

void InvalidateAll(Window* w) {
    w->ncDirty = true;
    InvalidateClient(w, nullptr, true);
    for (Window* c : w->children)
        InvalidateAll(c);
}

Window* NextToPaint() {
    for (Window* t : S().topLevels)
        if (Window* p = FirstToPaint(t)) return p;
    return nullptr;
}

void FlushPresents() {
    for (Window* t : S().topLevels) {
        if (t->changed.empty()) continue;
        std::vector<host::Rect> rects;
        if (t->changed.size() > 32) {
            RECT all{0, 0, 0, 0};
            for (const RECT& r : t->changed)
                all = Unite(all, r);
            t->changed.assign(1, all);
        }
        for (const RECT& r : t->changed)
            rects.push_back(host::Rect{r.left, r.top, Width(r), Height(r)});
        t->changed.clear();
        H().Present(t->hostId, t->surface->pixels.data(), t->surface->width, t->surface->height, rects);
    }
}

void PaintNonClient(Window* w) {
    w->ncDirty = false;
    const bool border = w->Child() && (w->style & WS_BORDER);
    const bool edge = w->Child() && (w->exStyle & WS_EX_CLIENTEDGE);
    RECT menu = MenuBarIn(w);
    RECT bar = ScrollBarIn(w);
    if (!border && !edge && Empty(menu) && Empty(bar)) return;
    HDC dc = GetWindowDC(w->handle);
    if (dc == nullptr) return;
    const int cx = Width(w->rect), cy = Height(w->rect);
    int o = 0;
    if (border) {
        RECT r{0, 0, cx, cy};
        FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
        o = 1;
    }
    if (edge) {
        FillEdge(dc, o, o, cx - o, o + 1, COLOR_BTNSHADOW);
        FillEdge(dc, o, o, o + 1, cy - o, COLOR_BTNSHADOW);
        FillEdge(dc, o, cy - o - 1, cx - o, cy - o, COLOR_BTNHIGHLIGHT);
        FillEdge(dc, cx - o - 1, o, cx - o, cy - o, COLOR_BTNHIGHLIGHT);
        FillEdge(dc, o + 1, o + 1, cx - o - 1, o + 2, COLOR_3DDKSHADOW);
        FillEdge(dc, o + 1, o + 1, o + 2, cy - o - 1, COLOR_3DDKSHADOW);
        FillEdge(dc, o + 1, cy - o - 2, cx - o - 1, cy - o - 1, COLOR_3DLIGHT);
        FillEdge(dc, cx - o - 2, o + 1, cx - o - 1, cy - o - 1, COLOR_3DLIGHT);
    }
    if (!Empty(bar)) controls::PaintScrollBar(w->handle, dc, bar);
    if (!Empty(menu) && Peek(w->handle)) controls::PaintMenuBar(w->handle, w->menu, dc, menu);
    if (Peek(w->handle)) {
        ReleaseDC(w->handle, dc);
    } else {
        DeleteDC(dc);
    }
}

void ResizeSurface(Window* w) {
    w->surface->Resize(std::max(1, Width(w->rect)), std::max(1, Height(w->rect)));
    w->changed.clear();
    InvalidateAll(w);
}

// --- Services for the controls ---

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> out;
    for (Window* t : S().topLevels)
        out.push_back(t->handle);
    return out;
}

std::u16string ClipboardText() {
    return H().ClipboardText();
}
void SetClipboardText(const std::u16string& text) {
    H().SetClipboardText(text);
}

RECT MenuBarRect(HWND hwnd) {
    Window* w = FindWindow(hwnd);
    return w ? MenuBarIn(w) : RECT{0, 0, 0, 0};
}

RECT VerticalScrollBarRect(HWND hwnd) {
    Window* w = FindWindow(hwnd);
    return w ? ScrollBarIn(w) : RECT{0, 0, 0, 0};
}

void RedrawNonClient(HWND hwnd) {
    if (Window* w = FindWindow(hwnd)) PaintNonClient(w);
}

HDC GetWindowDC(HWND hwnd) {
    Window* w = FindWindow(hwnd);
    if (w == nullptr) return nullptr;
    std::vector<RECT> clip = VisibleArea(w, false);
    for (Window* c : w->children)
        if (c->style & WS_VISIBLE) Subtract(&clip, WindowSurfaceRect(c));
    Window* root = Root(w);
    return gdi::CreateWindowDC(root->surface.get(), hwnd, SurfaceOrigin(w), clip);
}

}  // namespace platform::wm

using namespace platform;
using namespace platform::wm;

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
    if (hwnd == nullptr) {
        for (Window* t : S().topLevels)
            InvalidateAll(t);
        return TRUE;
    }
    Window* w = FindWindow(hwnd);
    if (w == nullptr) return FALSE;
    InvalidateClient(w, rect, erase != 0);
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
    Window* w = FindWindow(hwnd);
    if (w == nullptr) return FALSE;
    if (rect == nullptr) {
        w->update = RECT{0, 0, 0, 0};
        w->erase = false;
        return TRUE;
    }
    // The update area is one rectangle: a validated band along a whole side
    // shrinks it; a validated rectangle that covers it empties it.
    RECT& u = w->update;
    RECT i = Intersect(u, *rect);
    if (Empty(i)) return TRUE;
    if (i.left == u.left && i.right == u.right) {
        if (i.top == u.top)
            u.top = i.bottom;
        else if (i.bottom == u.bottom)
            u.bottom = i.top;
    } else if (i.top == u.top && i.bottom == u.bottom) {
        if (i.left == u.left)
            u.left = i.right;
        else if (i.right == u.right)
            u.right = i.left;
    }
    if (Empty(u)) {
        u = RECT{0, 0, 0, 0};
        w->erase = false;
    }
    return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL) {
    Window* w = FindWindow(hwnd);
    if (w == nullptr) return FALSE;
    if (rect != nullptr) *rect = Empty(w->update) ? RECT{0, 0, 0, 0} : w->update;
    return Empty(w->update) ? FALSE : TRUE;
}

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN, UINT flags) {
    Window* w = FindWindow(hwnd);
    if (w == nullptr) return FALSE;
    if (flags & RDW_INVALIDATE) {
        if (flags & RDW_ALLCHILDREN) {
            RECT cs = ClientSurfaceRect(w);
            RECT area = rect ? RECT{cs.left + rect->left, cs.top + rect->top, cs.left + rect->right,
                                    cs.top + rect->bottom}
                             : cs;
            InvalidateArea(w, Intersect(area, cs));
        } else {
            InvalidateClient(w, rect, (flags & RDW_ERASE) != 0);
        }
    }
    if (flags & RDW_FRAME) w->ncDirty = true;
    if (flags & RDW_VALIDATE) ValidateRect(hwnd, rect);
    if (flags & RDW_UPDATENOW) UpdateWindow(hwnd);
    return TRUE;
}

BOOL UpdateWindow(HWND hwnd) {
    Window* w = FindWindow(hwnd);
    if (w == nullptr) return FALSE;
    PaintUpdateTree(w);
    FlushPresents();
    return TRUE;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint) {
    Window* w = FindWindow(hwnd);
    if (w == nullptr || paint == nullptr) return nullptr;
    if (w->ncDirty) PaintNonClient(w);
    if (Peek(hwnd) == nullptr) return nullptr;
    *paint = PAINTSTRUCT{};
    RECT update = Intersect(w->update, ClientRectOf(w));
    const bool erase = w->erase;
    w->update = RECT{0, 0, 0, 0};
    w->erase = false;
    std::vector<RECT> clip = VisibleArea(w, true);
    POINT o = ClientSurfaceOrigin(w);
    std::vector<RECT> narrowed;
    for (const RECT& c : clip) {
        RECT i =
            Intersect(c, RECT{o.x + update.left, o.y + update.top, o.x + update.right, o.y + update.bottom});
        if (!Empty(i)) narrowed.push_back(i);
    }
    HDC dc = gdi::CreateWindowDC(Root(w)->surface.get(), hwnd, o, narrowed);
    paint->hdc = dc;
    paint->rcPaint = update;
    paint->fErase = TRUE;
    if (erase && !Empty(update))
        paint->fErase = Send(w, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
    return dc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint) {
    if (paint == nullptr || paint->hdc == nullptr) return FALSE;
    ReleaseDC(hwnd, paint->hdc);
    return TRUE;
}

HDC GetDC(HWND hwnd) {
    if (hwnd == nullptr) return CreateCompatibleDC(nullptr);
    Window* w = FindWindow(hwnd);
    if (w == nullptr) return nullptr;
    return gdi::CreateWindowDC(Root(w)->surface.get(), hwnd, ClientSurfaceOrigin(w), VisibleArea(w, true));
}

int ReleaseDC(HWND, HDC dc) {
    if (dc == nullptr) return 0;
    Window* owner = Peek(WindowFromDC(dc));
    if (owner != nullptr) NoteDrawn(owner, dc);
    DeleteDC(dc);
    return 1;
}

namespace platform::wm {

host::WindowId HostWindowOf(HWND hwnd) {
    Window* w = Peek(hwnd);
    return w == nullptr ? 0 : Root(w)->hostId;
}

HWND WindowOfHost(host::WindowId id) {
    Window* t = TopOfHost(id);
    return t ? t->handle : nullptr;
}

int MsUntilNextTimer() {
    const std::uint64_t next = NextDeadline();
    if (next == UINT64_MAX) return -1;
    const std::uint64_t now = H().NowMs();
    return next <= now ? 0 : static_cast<int>(std::min<std::uint64_t>(next - now, 1u << 30));
}

}  // namespace platform::wm
