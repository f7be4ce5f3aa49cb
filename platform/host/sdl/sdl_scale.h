// Whole-number scaling of windows on high-density displays. The window
// manager works in logical pixels; the SDL host shows every logical pixel as
// a scale x scale block of screen pixels and divides what the desktop reports
// (pointer positions, window positions, the screen size) by the same factor.
// Kept apart from the host object so that the arithmetic and the block copy
// can be checked without a display.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/host/host.h"

namespace platform::host::sdl {

// Dots per inch of a desktop at scale 1.
constexpr int kBaseDpi = 96;
// The largest factor used; a larger density is treated as this one, so a
// wrong setting cannot make a window too big to create.
constexpr int kMaxScale = 8;

// The factor for a desktop density in dots per inch: the whole part of
// dpi / 96 when that is 2 or more, else 1 (fractional densities such as 144
// keep every pixel as it is). Not a number, zero or negative: 1.
int ScaleFromDpi(double dpi);

// The value of the X resource Xft.dpi ("192", "192.0", " 144 ") as a number,
// read the same in every locale. 0 when the text is not a positive number.
double ParseDpi(std::string_view text);

// A screen coordinate (window-relative pointer position, screen position of
// a window) in logical pixels: rounded down, so that the pixels just left of
// or above the window, reported while a button is held, stay outside it.
int ToLogical(int screen, int scale);

// The part of a logical rectangle that lies inside a frame of
// width x height logical pixels; all zero when nothing does.
Rect ClipRect(const Rect& r, int width, int height);

// The screen rectangle a logical rectangle covers.
Rect ScaleRect(const Rect& r, int scale);

// Copies the logical rectangle `r` of `src` (0x00RRGGBB, `srcStride` pixels a
// row) into `dst` (32-bit pixels, `dstPitch` bytes a row) at r.x * scale,
// r.y * scale, each pixel becoming a scale x scale block. `r` must lie inside
// the source and its scaled rectangle inside the destination.
void CopyScaled(const std::uint32_t* src, int srcStride, const Rect& r, void* dst, int dstPitch, int scale);

// The factor of the desktop SDL runs on, by the name of SDL's video driver.
// On X11 it comes from the X resource Xft.dpi, the density the desktop's
// display settings publish for every X program (SDL 2.26 reports the
// monitor's physical density instead, or nothing at all). On Wayland it is 1:
// our windows do not ask for high-density surfaces, so the compositor
// already scales them. Any other driver: 1.
int DesktopScale(const char* videoDriver);

}  // namespace platform::host::sdl
