// Pixel helpers for the framework tests: an off-screen 32-bit bitmap in a
// memory device context, read back pixel by pixel.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/winapi.h"

namespace fwtest {

// A w x h colour bitmap filled with `fill`, selected into its own memory DC.
class Canvas {
public:
    Canvas(int w, int h, COLORREF fill) : width(w), height(h) {
        std::vector<std::uint32_t> bits(static_cast<std::size_t>(w) * h, ToBits(fill));
        bitmap = CreateBitmap(w, h, 1, 32, bits.data());
        dc = CreateCompatibleDC(nullptr);
        previous = SelectObject(dc, bitmap);
    }
    ~Canvas() {
        SelectObject(dc, previous);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }
    std::vector<COLORREF> All() const {
        std::vector<COLORREF> out;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                out.push_back(At(x, y));
        return out;
    }
    // Bounding box of every pixel that is not `background`; empty when none.
    RECT InkBounds(COLORREF background) const { return InkBoundsIn(background, RECT{0, 0, width, height}); }
    RECT InkBoundsIn(COLORREF background, RECT area) const {
        RECT box{area.right, area.bottom, area.left, area.top};
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (At(x, y) != background) {
                    if (x < box.left) box.left = x;
                    if (y < box.top) box.top = y;
                    if (x + 1 > box.right) box.right = x + 1;
                    if (y + 1 > box.bottom) box.bottom = y + 1;
                }
        return box;
    }
    static bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

    // 32-bit bitmap rows hold 0x00RRGGBB.
    static std::uint32_t ToBits(COLORREF c) {
        return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    }

    int width, height;
    HBITMAP bitmap;
    HDC dc;
    HGDIOBJ previous;
};

// A bitmap (not selected anywhere) whose pixel (x, y) is colour(x, y).
template <class F>
HBITMAP MakeBitmap(int w, int h, F colour) {
    std::vector<std::uint32_t> bits(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            bits[static_cast<std::size_t>(y) * w + x] = Canvas::ToBits(colour(x, y));
    return CreateBitmap(w, h, 1, 32, bits.data());
}

}  // namespace fwtest
