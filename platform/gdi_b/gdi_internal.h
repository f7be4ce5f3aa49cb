// The graphics layer's own objects and painter state, shared by its source
// files (objects, device contexts, drawing, text, images). Nothing outside
// platform/gdi_b/ includes this.
//
// A device context refers to its pen, brush, font and bitmap by handle, never
// by pointer: when one of them is deleted while selected, the next use finds
// the handle gone and falls back to the context's default (black pen, white
// brush, system font, the 1 x 1 monochrome bitmap).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/handles.h"
#include "platform/gdi/surface.h"
#include "platform/winapi.h"

namespace platform::gdi {

struct FontInstance;  // fontface.h

struct Pen : Object {
    Pen() : Object(Kind::Pen) {}
    int style = PS_SOLID;
    int width = 1;
    COLORREF color = 0;
};

struct Brush : Object {
    Brush() : Object(Kind::Brush) {}
    bool hollow = false;
    COLORREF color = 0;
};

struct Font : Object {
    Font() : Object(Kind::Font) {}
    LOGFONTW logFont{};
    FontInstance* instance = nullptr;  // resolved on first use; owned by the face cache
};

struct Bitmap : Object {
    Bitmap() : Object(Kind::Bitmap) {}
    bool mono = false;        // 1 bit per pixel: pixels are 0 or 0xFFFFFF
    bool dibSection = false;  // GetObjectW reports the pixel memory
    Surface surface;
    HDC selectedInto = nullptr;
};

struct Dc : Object {
    Dc() : Object(Kind::Dc) {}
    bool memory = false;
    // Window DCs draw into a surface owned by the window manager.
    Surface* surface = nullptr;
    HWND owner = nullptr;
    POINT origin{0, 0};
    std::vector<RECT> clip;
    RECT drawn{0, 0, 0, 0};
    // Memory DCs draw into their selected bitmap.
    HBITMAP bitmap = nullptr;

    HPEN pen = nullptr;
    HBRUSH brush = nullptr;
    HFONT font = nullptr;
    COLORREF bkColor = RGB(255, 255, 255);
    COLORREF textColor = RGB(0, 0, 0);
    int bkMode = OPAQUE;
    POINT position{0, 0};
};

// Permanent objects.
HPEN StockPen(int index);
HBRUSH StockBrush(int index);
HFONT StockFont(int index);
HBITMAP DefaultBitmap();

// The objects a DC uses now (selected, or the default when that is gone).
Pen* CurrentPen(Dc* dc);
Brush* CurrentBrush(Dc* dc);
Font* CurrentFont(Dc* dc);
Bitmap* CurrentBitmap(Dc* dc);  // memory DCs only; null for window DCs

// A brush argument: a brush handle, or a system-colour index + 1 as the
// system accepts in FillRect and class backgrounds.
Brush* ResolveBrush(HBRUSH brush);

// Where a DC's pixels go: a surface, the logical-to-surface offset and the
// rectangles (in surface pixels) that may be written.
struct Target {
    Surface* surface = nullptr;
    bool mono = false;
    POINT origin{0, 0};
    std::vector<RECT> clip;  // already intersected with the surface bounds
    Dc* dc = nullptr;
};

bool ResolveTarget(Dc* dc, Target* target);

// Intersections and unions of rectangles; empty ones are ignored.
bool IsEmpty(const RECT& r);
RECT Intersect(const RECT& a, const RECT& b);
void Unite(RECT* into, const RECT& r);

// Records that surface-pixel rectangle `r` was drawn (window DCs).
void NoteDrawn(Target& target, const RECT& r);

// The colour written for `c` on this target (monochrome maps to black or
// white by nearness).
std::uint32_t PixelFor(const Target& target, COLORREF c);

// Fills logical rectangle [l, r) x [t, b) with a pixel value, clipped.
void FillLogical(Target& target, int l, int t, int r, int b, std::uint32_t pixel);

// Narrows a target's clip to logical rectangle `r` (ETO_CLIPPED, DrawTextW).
void ClipTo(Target& target, const RECT& r);

// A colour bitmap from 0x00RRGGBB pixels (the image loader's results).
HBITMAP MakeColorBitmap(int width, int height, std::vector<std::uint32_t> pixels, bool dibSection);

// Icons keep 0xAARRGGBB pixels; cursors are the system's shapes.
struct Icon : Object {
    Icon() : Object(Kind::Icon) {}
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;
};

struct Cursor : Object {
    Cursor() : Object(Kind::Cursor) {}
    int shape = 0;
};

// Calls fn(surfaceRect) for every clip piece of a logical rectangle.
template <class F>
void ForEachPiece(Target& target, int l, int t, int r, int b, F fn) {
    if (r <= l || b <= t) return;
    const RECT want{l + target.origin.x, t + target.origin.y, r + target.origin.x, b + target.origin.y};
    for (const RECT& c : target.clip) {
        const RECT piece = Intersect(want, c);
        if (IsEmpty(piece)) continue;
        fn(piece);
        NoteDrawn(target, piece);
    }
}

}  // namespace platform::gdi
