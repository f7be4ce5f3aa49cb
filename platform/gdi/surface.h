// What the window manager needs from the graphics layer: pixel surfaces for
// top-level windows, and device contexts that draw into a part of one.
//
// A window DC is a painter over a window's surface: logical (0, 0) sits at
// `origin` (surface pixels) and every pixel it writes is clipped to `clip`, a
// set of disjoint rectangles in surface pixels (the window's visible area,
// children excluded, narrowed to the update area while painting). The graphics
// layer knows nothing about windows beyond the owner handle it reports through
// WindowFromDC.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/winapi.h"

namespace platform::gdi {

// Pixels are 0x00RRGGBB, row by row, `width` per row.
struct Surface {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    void Resize(int w, int h);  // keeps nothing; fills with 0
};

// COLORREF (0x00BBGGRR) <-> surface pixel (0x00RRGGBB).
constexpr std::uint32_t ToPixel(COLORREF c) {
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
constexpr COLORREF ToColorRef(std::uint32_t p) {
    return ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
}

// A device context on `surface` for window `owner`. Delete it with DeleteDC.
HDC CreateWindowDC(Surface* surface, HWND owner, POINT origin, const std::vector<RECT>& clip);

// Moves an existing window DC (after the window moved or its clip changed).
void SetWindowDCGeometry(HDC dc, Surface* surface, POINT origin, const std::vector<RECT>& clip);

// The union of everything drawn through `dc` since the last call, in surface
// pixels; empty when nothing was drawn. The window manager presents it.
RECT TakeDrawnBounds(HDC dc);

// The pixels of a bitmap object as 0xAARRGGBB (for host icons). False for a
// handle that is not a bitmap.
bool BitmapPixels(HBITMAP bitmap, std::vector<std::uint32_t>* argb, int* width, int* height);

// Icons and cursors as the graphics layer keeps them: a colour image with an
// alpha channel. LoadIconW makes these; the window manager reads them.
bool IconPixels(HICON icon, std::vector<std::uint32_t>* argb, int* width, int* height);

// A system cursor's shape name for the host: 0 arrow, 1 hand, 2 wait, 3 I-beam;
// -1 for a handle that is not a system cursor.
int SystemCursorShape(HCURSOR cursor);

}  // namespace platform::gdi
