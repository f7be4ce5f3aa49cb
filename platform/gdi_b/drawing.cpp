// Pixel drawing: rectangles, lines, single pixels, the focus outline and
// block transfers with their raster operations.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/gdi_b/gdi_internal.h"

using namespace platform;
using namespace platform::gdi;

namespace {

Dc* FindDc(HDC dc) {
    return Find<Dc>(dc, Kind::Dc);
}

std::uint32_t& At(Surface* s, int x, int y) {
    return s->pixels[static_cast<std::size_t>(y) * s->width + x];
}

bool Inside(const Target& t, int sx, int sy) {
    for (const RECT& c : t.clip) {
        if (sx >= c.left && sx < c.right && sy >= c.top && sy < c.bottom) return true;
    }
    return false;
}

// Writes one logical pixel when it lies inside the clip.
void Plot(Target& t, int x, int y, std::uint32_t pixel) {
    const int sx = x + t.origin.x, sy = y + t.origin.y;
    if (!Inside(t, sx, sy)) return;
    At(t.surface, sx, sy) = pixel;
    NoteDrawn(t, RECT{sx, sy, sx + 1, sy + 1});
}

void Normalize(int* a, int* b) {
    if (*a > *b) std::swap(*a, *b);
}

// Outline of [l, r) x [t, b) with bands `w` pixels thick, inside the box.
void FrameLogical(Target& target, int l, int t, int r, int b, int w, std::uint32_t pixel) {
    if (r <= l || b <= t) return;
    w = std::max(1, w);
    if (2 * w >= r - l || 2 * w >= b - t) {
        FillLogical(target, l, t, r, b, pixel);
        return;
    }
    FillLogical(target, l, t, r, t + w, pixel);
    FillLogical(target, l, b - w, r, b, pixel);
    FillLogical(target, l, t + w, l + w, b - w, pixel);
    FillLogical(target, r - w, t + w, r, b - w, pixel);
}

}  // namespace

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    Dc* dc = FindDc(hdc);
    if (!dc) return FALSE;
    Target t;
    if (!ResolveTarget(dc, &t)) return FALSE;
    Normalize(&left, &right);
    Normalize(&top, &bottom);
    Pen* pen = CurrentPen(dc);
    Brush* brush = CurrentBrush(dc);
    if (pen->style == PS_NULL) {
        // Without an outline the box loses its last column and row.
        if (!brush->hollow) FillLogical(t, left, top, right - 1, bottom - 1, PixelFor(t, brush->color));
        return TRUE;
    }
    const int w = pen->width;
    if (!brush->hollow) FillLogical(t, left + w, top + w, right - w, bottom - w, PixelFor(t, brush->color));
    FrameLogical(t, left, top, right, bottom, w, PixelFor(t, pen->color));
    return TRUE;
}

int FillRect(HDC hdc, const RECT* rect, HBRUSH hbrush) {
    Dc* dc = FindDc(hdc);
    if (!dc) return 0;
    if (!rect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Brush* brush = ResolveBrush(hbrush);
    if (!brush) return 0;
    Target t;
    if (!ResolveTarget(dc, &t)) return 0;
    if (!brush->hollow)
        FillLogical(t, rect->left, rect->top, rect->right, rect->bottom, PixelFor(t, brush->color));
    return 1;
}

int FrameRect(HDC hdc, const RECT* rect, HBRUSH hbrush) {
    Dc* dc = FindDc(hdc);
    if (!dc) return 0;
    if (!rect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Brush* brush = ResolveBrush(hbrush);
    if (!brush) return 0;
    Target t;
    if (!ResolveTarget(dc, &t)) return 0;
    if (!brush->hollow)
        FrameLogical(t, rect->left, rect->top, rect->right, rect->bottom, 1, PixelFor(t, brush->color));
    return 1;
}

BOOL DrawFocusRect(HDC hdc, const RECT* rect) {
    Dc* dc = FindDc(hdc);
    if (!dc) return FALSE;
    if (!rect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Target t;
    if (!ResolveTarget(dc, &t)) return FALSE;
    const int l = rect->left, tp = rect->top, r = rect->right, b = rect->bottom;
    if (r <= l || b <= tp) return TRUE;
    // Every other pixel of the outline is inverted, so a second call undoes it.
    auto flip = [&](int x, int y) {
        if (((x + y) & 1) != 0) return;
        const int sx = x + t.origin.x, sy = y + t.origin.y;
        if (!Inside(t, sx, sy)) return;
        At(t.surface, sx, sy) ^= 0xFFFFFFu;
        NoteDrawn(t, RECT{sx, sy, sx + 1, sy + 1});
    };
    for (int x = l; x < r; ++x) {
        flip(x, tp);
        if (b - 1 != tp) flip(x, b - 1);
    }
    for (int y = tp + 1; y < b - 1; ++y) {
        flip(l, y);
        if (r - 1 != l) flip(r - 1, y);
    }
    return TRUE;
}

BOOL MoveToEx(HDC hdc, int x, int y, POINT* previous) {
    Dc* dc = FindDc(hdc);
    if (!dc) return FALSE;
    if (previous) *previous = dc->position;
    dc->position = POINT{x, y};
    return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y) {
    Dc* dc = FindDc(hdc);
    if (!dc) return FALSE;
    Target t;
    if (!ResolveTarget(dc, &t)) return FALSE;
    Pen* pen = CurrentPen(dc);
    const int x0 = dc->position.x, y0 = dc->position.y;
    dc->position = POINT{x, y};
    if (pen->style == PS_NULL) return TRUE;
    const std::uint32_t pixel = PixelFor(t, pen->color);
    const int w = pen->width;
    // Bresenham; the end point itself is not drawn.
    int cx = x0, cy = y0;
    const int dx = std::abs(x - x0), dy = -std::abs(y - y0);
    const int stepX = x0 < x ? 1 : -1, stepY = y0 < y ? 1 : -1;
    int err = dx + dy;
    const long long steps = std::max<long long>(dx, -static_cast<long long>(dy));
    for (long long i = 0; i < steps; ++i) {
        if (w <= 1) {
            Plot(t, cx, cy, pixel);
        } else {
            FillLogical(t, cx - w / 2, cy - w / 2, cx - w / 2 + w, cy - w / 2 + w, pixel);
        }
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            cx += stepX;
        }
        if (e2 <= dx) {
            err += dx;
            cy += stepY;
        }
    }
    return TRUE;
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
    Dc* dc = FindDc(hdc);
    if (!dc) return CLR_INVALID;
    Target t;
    if (!ResolveTarget(dc, &t)) return CLR_INVALID;
    const int sx = x + t.origin.x, sy = y + t.origin.y;
    if (!Inside(t, sx, sy)) return CLR_INVALID;
    const std::uint32_t p = PixelFor(t, color);
    Plot(t, x, y, p);
    return ToColorRef(p);
}

COLORREF GetPixel(HDC hdc, int x, int y) {
    Dc* dc = FindDc(hdc);
    if (!dc) return CLR_INVALID;
    Target t;
    if (!ResolveTarget(dc, &t)) return CLR_INVALID;
    const int sx = x + t.origin.x, sy = y + t.origin.y;
    if (!Inside(t, sx, sy)) return CLR_INVALID;
    return ToColorRef(At(t.surface, sx, sy));
}

// ---------------------------------------------------------------------------
// Block transfers
// ---------------------------------------------------------------------------

namespace {

enum class Needs { Nothing, Source, Pattern };

bool RopInfo(DWORD rop, Needs* needs) {
    switch (rop) {
        case SRCCOPY:
        case SRCAND:
        case SRCPAINT:
        case SRCINVERT:
        case NOTSRCCOPY:
            *needs = Needs::Source;
            return true;
        case PATCOPY:
            *needs = Needs::Pattern;
            return true;
        case BLACKNESS:
        case WHITENESS:
        case DSTINVERT:
            *needs = Needs::Nothing;
            return true;
        default:
            return false;
    }
}

std::uint32_t Apply(DWORD rop, std::uint32_t d, std::uint32_t s, std::uint32_t pattern) {
    switch (rop) {
        case SRCCOPY:
            return s;
        case SRCAND:
            return d & s;
        case SRCPAINT:
            return d | s;
        case SRCINVERT:
            return d ^ s;
        case NOTSRCCOPY:
            return ~s & 0xFFFFFFu;
        case PATCOPY:
            return pattern;
        case BLACKNESS:
            return 0;
        case WHITENESS:
            return 0xFFFFFFu;
        case DSTINVERT:
            return ~d & 0xFFFFFFu;
        default:
            return d;
    }
}

}  // namespace

BOOL BitBlt(HDC hdest, int x, int y, int width, int height, HDC hsrc, int srcX, int srcY, DWORD rop) {
    Dc* dest = FindDc(hdest);
    if (!dest) return FALSE;
    Needs needs;
    if (!RopInfo(rop, &needs)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Dc* src = nullptr;
    if (needs == Needs::Source) {
        src = FindDc(hsrc);
        if (!src) return FALSE;
    }
    Target dt;
    if (!ResolveTarget(dest, &dt)) return FALSE;
    if (width <= 0 || height <= 0) return TRUE;

    const std::uint32_t pattern = needs == Needs::Pattern ? PixelFor(dt, CurrentBrush(dest)->color) : 0;

    if (!src) {
        ForEachPiece(dt, x, y, x + width, y + height, [&](const RECT& p) {
            for (int sy = p.top; sy < p.bottom; ++sy) {
                for (int sx = p.left; sx < p.right; ++sx) {
                    std::uint32_t& d = At(dt.surface, sx, sy);
                    d = Apply(rop, d, 0, pattern);
                }
            }
        });
        return TRUE;
    }

    Target st;
    if (!ResolveTarget(src, &st)) return FALSE;
    // Only the part of the source that exists is copied.
    const int srcLeft = srcX + st.origin.x, srcTop = srcY + st.origin.y;
    int l = 0, t = 0, r = width, b = height;  // offsets within the block
    l = std::max(l, -srcLeft);
    t = std::max(t, -srcTop);
    r = std::min(r, st.surface->width - srcLeft);
    b = std::min(b, st.surface->height - srcTop);
    if (r <= l || b <= t) return TRUE;

    // Read the source block first, converted to the destination's format, so
    // a copy within one surface sees the pixels as they were.
    const int bw = r - l, bh = b - t;
    std::vector<std::uint32_t> block(static_cast<std::size_t>(bw) * bh);
    const COLORREF srcBk = src->bkColor & 0xFFFFFF;
    const std::uint32_t srcBkPixel = ToPixel(srcBk);
    const std::uint32_t onePixel = ToPixel(dest->bkColor & 0xFFFFFF);
    const std::uint32_t zeroPixel = ToPixel(dest->textColor & 0xFFFFFF);
    for (int j = 0; j < bh; ++j) {
        const std::uint32_t* row = st.surface->pixels.data() +
                                   static_cast<std::size_t>(srcTop + t + j) * st.surface->width + srcLeft + l;
        std::uint32_t* out = block.data() + static_cast<std::size_t>(j) * bw;
        for (int i = 0; i < bw; ++i) {
            const std::uint32_t s = row[i] & 0xFFFFFFu;
            if (st.mono == dt.mono) {
                out[i] = s;
            } else if (dt.mono) {
                out[i] = s == srcBkPixel ? 0xFFFFFFu : 0u;  // background becomes 1
            } else {
                out[i] = s ? onePixel : zeroPixel;  // 1 takes the background, 0 the text colour
            }
        }
    }
    ForEachPiece(dt, x + l, y + t, x + r, y + b, [&](const RECT& p) {
        for (int sy = p.top; sy < p.bottom; ++sy) {
            const int j = sy - (y + t + dt.origin.y);
            std::uint32_t* drow =
                dt.surface->pixels.data() + static_cast<std::size_t>(sy) * dt.surface->width;
            const std::uint32_t* srow = block.data() + static_cast<std::size_t>(j) * bw;
            const int i0 = p.left - (x + l + dt.origin.x);
            if (rop == SRCCOPY) {
                std::copy(srow + i0, srow + i0 + (p.right - p.left), drow + p.left);
                continue;
            }
            for (int sx = p.left; sx < p.right; ++sx) {
                drow[sx] = Apply(rop, drow[sx], srow[i0 + sx - p.left], 0);
            }
        }
    });
    return TRUE;
}
