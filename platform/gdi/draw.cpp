// Drawing primitives: rectangles, frames, the focus outline, lines, single
// pixels and block transfers with raster operations. Everything is clipped
// to the DC's target (the clip rectangles of a window DC, the bitmap of a
// memory DC); empty or negative sizes draw nothing.
#include <algorithm>
#include <cstdlib>

#include "platform/gdi/gdi_internal.h"

using namespace platform;
using namespace platform::gdi;

namespace {

Dc* FindDc(HDC dc) {
    return Find<Dc>(dc, Kind::Dc);
}

void PenSquare(Target& t, int x, int y, int width, std::uint32_t pixel) {
    const int lo = (width - 1) / 2;
    FillLogical(t, x - lo, y - lo, x - lo + width, y - lo + width, pixel);
}

// Calls fn(x, y) once for every pixel of a rectangle's outline.
template <class F>
void ForEachOutlinePixel(const RECT& r, F fn) {
    if (IsEmpty(r)) return;
    for (int x = r.left; x < r.right; ++x)
        fn(x, r.top);
    if (r.bottom - 1 > r.top)
        for (int x = r.left; x < r.right; ++x)
            fn(x, r.bottom - 1);
    for (int y = r.top + 1; y < r.bottom - 1; ++y) {
        fn(r.left, y);
        if (r.right - 1 > r.left) fn(r.right - 1, y);
    }
}

// The result of a ternary raster operation on 24-bit values: bit i of the
// operation's index is the result for pattern, source, destination bits
// (P << 2 | S << 1 | D) == i.
std::uint32_t Ternary(unsigned op, std::uint32_t p, std::uint32_t s, std::uint32_t d) {
    switch (op) {
        case 0xCC:
            return s;
        case 0xEE:
            return s | d;
        case 0x88:
            return s & d;
        case 0x66:
            return s ^ d;
        case 0x33:
            return ~s & 0xFFFFFF;
        case 0xF0:
            return p;
        case 0x00:
            return 0;
        case 0xFF:
            return 0xFFFFFF;
        case 0x55:
            return ~d & 0xFFFFFF;
        default:
            break;
    }
    std::uint32_t r = 0;
    for (unsigned i = 0; i < 8; ++i) {
        if (!((op >> i) & 1)) continue;
        const std::uint32_t pp = (i & 4) ? p : ~p;
        const std::uint32_t ss = (i & 2) ? s : ~s;
        const std::uint32_t dd = (i & 1) ? d : ~d;
        r |= pp & ss & dd;
    }
    return r & 0xFFFFFF;
}

}  // namespace

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    Dc* dc = FindDc(hdc);
    if (!dc) return FALSE;
    Target t;
    if (!ResolveTarget(dc, &t)) return FALSE;
    if (right < left) std::swap(left, right);
    if (bottom < top) std::swap(top, bottom);
    Pen* pen = CurrentPen(dc);
    Brush* brush = CurrentBrush(dc);
    if (pen->style == PS_NULL) {
        // Without an outline the fill stops short of the last column and row.
        if (!brush->hollow) FillLogical(t, left, top, right - 1, bottom - 1, PixelFor(t, brush->color));
        return TRUE;
    }
    if (right - left < 1 || bottom - top < 1) return TRUE;
    const int w = pen->width;
    const int lo = (w - 1) / 2, hi = w / 2;
    if (!brush->hollow) {
        FillLogical(t, left + 1 + hi, top + 1 + hi, right - 1 - hi, bottom - 1 - hi,
                    PixelFor(t, brush->color));
    }
    const std::uint32_t px = PixelFor(t, pen->color);
    const int ol = left - lo, ot = top - lo, orr = right - 1 + hi + 1, ob = bottom - 1 + hi + 1;
    FillLogical(t, ol, ot, orr, std::min(ob, ot + w), px);           // top band
    FillLogical(t, ol, std::max(ot, ob - w), orr, ob, px);           // bottom band
    FillLogical(t, ol, ot + w, std::min(orr, ol + w), ob - w, px);   // left band
    FillLogical(t, std::max(ol, orr - w), ot + w, orr, ob - w, px);  // right band
    return TRUE;
}

int FillRect(HDC hdc, const RECT* rect, HBRUSH hbrush) {
    Dc* dc = FindDc(hdc);
    if (!dc || !rect) return 0;
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
    if (!dc || !rect) return 0;
    Brush* brush = ResolveBrush(hbrush);
    if (!brush) return 0;
    Target t;
    if (!ResolveTarget(dc, &t)) return 0;
    const RECT& r = *rect;
    if (IsEmpty(r) || brush->hollow) return 1;
    const std::uint32_t px = PixelFor(t, brush->color);
    FillLogical(t, r.left, r.top, r.right, r.top + 1, px);
    FillLogical(t, r.left, r.bottom - 1, r.right, r.bottom, px);
    FillLogical(t, r.left, r.top + 1, r.left + 1, r.bottom - 1, px);
    FillLogical(t, r.right - 1, r.top + 1, r.right, r.bottom - 1, px);
    return 1;
}

BOOL DrawFocusRect(HDC hdc, const RECT* rect) {
    Dc* dc = FindDc(hdc);
    if (!dc || !rect) return FALSE;
    Target t;
    if (!ResolveTarget(dc, &t)) return FALSE;
    Surface* s = t.surface;
    // Every other outline pixel is inverted, so a second call restores them.
    ForEachOutlinePixel(*rect, [&](int x, int y) {
        if (((x - rect->left) + (y - rect->top)) % 2 != 0) return;
        ForEachPiece(t, x, y, x + 1, y + 1, [&](const RECT& p) {
            s->pixels[static_cast<std::size_t>(p.top) * s->width + p.left] ^= 0xFFFFFFu;
        });
    });
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
    int x0 = dc->position.x, y0 = dc->position.y;
    dc->position = POINT{x, y};
    if (pen->style == PS_NULL) return TRUE;
    const std::uint32_t px = PixelFor(t, pen->color);
    // Bresenham, leaving out the end point as the system does.
    const int dx = std::abs(x - x0), sx = x0 < x ? 1 : -1;
    const int dy = -std::abs(y - y0), sy = y0 < y ? 1 : -1;
    int err = dx + dy;
    while (x0 != x || y0 != y) {
        PenSquare(t, x0, y0, pen->width, px);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
    return TRUE;
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
    Dc* dc = FindDc(hdc);
    if (!dc) return CLR_INVALID;
    Target t;
    if (!ResolveTarget(dc, &t)) return CLR_INVALID;
    const std::uint32_t px = PixelFor(t, color);
    bool wrote = false;
    ForEachPiece(t, x, y, x + 1, y + 1, [&](const RECT& p) {
        t.surface->pixels[static_cast<std::size_t>(p.top) * t.surface->width + p.left] = px;
        wrote = true;
    });
    return wrote ? ToColorRef(px) : CLR_INVALID;
}

COLORREF GetPixel(HDC hdc, int x, int y) {
    Dc* dc = FindDc(hdc);
    if (!dc) return CLR_INVALID;
    Target t;
    if (!ResolveTarget(dc, &t)) return CLR_INVALID;
    const int sx = x + t.origin.x, sy = y + t.origin.y;
    for (const RECT& c : t.clip) {
        if (sx >= c.left && sx < c.right && sy >= c.top && sy < c.bottom) {
            return ToColorRef(t.surface->pixels[static_cast<std::size_t>(sy) * t.surface->width + sx]);
        }
    }
    return CLR_INVALID;
}

BOOL BitBlt(HDC hdest, int x, int y, int width, int height, HDC hsrc, int srcX, int srcY, DWORD rop) {
    Dc* dest = FindDc(hdest);
    if (!dest) return FALSE;
    const unsigned op = (rop >> 16) & 0xFF;
    const bool usesSource = ((op >> 2) ^ op) & 0x33;
    const bool usesPattern = ((op >> 4) ^ op) & 0x0F;
    Target dt;
    if (!ResolveTarget(dest, &dt)) return FALSE;
    Dc* src = nullptr;
    Target st;
    if (usesSource) {
        src = FindDc(hsrc);
        if (!src || !ResolveTarget(src, &st)) return FALSE;
    }
    if (width <= 0 || height <= 0) return TRUE;

    std::uint32_t pattern = 0;
    if (usesPattern) {
        Brush* b = CurrentBrush(dest);
        pattern = b->hollow ? 0 : PixelFor(dt, b->color);
    }

    // Limit the copy to what the source can provide (its surface bounds).
    if (usesSource) {
        const RECT srcBounds{0, 0, st.surface->width, st.surface->height};
        const RECT want{srcX + st.origin.x, srcY + st.origin.y, srcX + st.origin.x + width,
                        srcY + st.origin.y + height};
        const RECT have = Intersect(want, srcBounds);
        if (IsEmpty(have)) return TRUE;
        const int cutL = have.left - want.left, cutT = have.top - want.top;
        x += cutL;
        y += cutT;
        srcX += cutL;
        srcY += cutT;
        width = have.right - have.left;
        height = have.bottom - have.top;
    }

    // A copy of the source block, converted to the destination's format, so
    // overlapping copies within one surface read the original pixels.
    std::vector<std::uint32_t> block;
    if (usesSource) {
        block.resize(static_cast<std::size_t>(width) * height);
        const std::uint32_t srcBk = ToPixel(src->bkColor);
        const std::uint32_t one = ToPixel(dest->bkColor), zero = ToPixel(dest->textColor);
        for (int row = 0; row < height; ++row) {
            const std::uint32_t* in = st.surface->pixels.data() +
                                      static_cast<std::size_t>(srcY + st.origin.y + row) * st.surface->width +
                                      (srcX + st.origin.x);
            std::uint32_t* out = block.data() + static_cast<std::size_t>(row) * width;
            if (st.mono == dt.mono) {
                std::copy(in, in + width, out);
            } else if (dt.mono) {
                for (int i = 0; i < width; ++i)
                    out[i] = in[i] == srcBk ? 0xFFFFFFu : 0u;
            } else {
                for (int i = 0; i < width; ++i)
                    out[i] = in[i] ? one : zero;
            }
        }
    }

    Surface* s = dt.surface;
    ForEachPiece(dt, x, y, x + width, y + height, [&](const RECT& p) {
        for (int sy = p.top; sy < p.bottom; ++sy) {
            std::uint32_t* row = s->pixels.data() + static_cast<std::size_t>(sy) * s->width;
            const int by = sy - (y + dt.origin.y);
            if (op == 0xCC) {
                const std::uint32_t* in =
                    block.data() + static_cast<std::size_t>(by) * width + (p.left - (x + dt.origin.x));
                std::copy(in, in + (p.right - p.left), row + p.left);
                continue;
            }
            for (int sx = p.left; sx < p.right; ++sx) {
                const std::uint32_t sv =
                    usesSource ? block[static_cast<std::size_t>(by) * width + (sx - (x + dt.origin.x))] : 0;
                row[sx] = Ternary(op, pattern, sv, row[sx]);
            }
        }
    });
    return TRUE;
}
