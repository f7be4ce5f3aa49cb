#include "platform/host/sdl/sdl_scale.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace platform::host::sdl {

int ScaleFromDpi(double dpi) {
    if (!(dpi >= 2.0 * kBaseDpi)) return 1;  // also not a number
    const double whole = std::floor(dpi / kBaseDpi);
    return whole >= kMaxScale ? kMaxScale : static_cast<int>(whole);
}

double ParseDpi(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    double value = 0;
    // from_chars ignores the locale: "192.5" is the same under a decimal comma.
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !(value > 0) || !std::isfinite(value))
        return 0;
    return value;
}

int ToLogical(int screen, int scale) {
    if (scale <= 1) return screen;
    // Integer division rounds towards zero; the screen pixel -1 is logical -1.
    return screen >= 0 ? screen / scale : -((-(screen + 1)) / scale) - 1;
}

Rect ClipRect(const Rect& r, int width, int height) {
    // In 64 bits: a rectangle near the int limits must not wrap around.
    const long long x0 = std::max<long long>(0, r.x), y0 = std::max<long long>(0, r.y);
    const long long x1 = std::min<long long>(static_cast<long long>(r.x) + r.w, width);
    const long long y1 = std::min<long long>(static_cast<long long>(r.y) + r.h, height);
    if (x1 <= x0 || y1 <= y0) return Rect{};
    return Rect{static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0),
                static_cast<int>(y1 - y0)};
}

Rect ScaleRect(const Rect& r, int scale) {
    return Rect{r.x * scale, r.y * scale, r.w * scale, r.h * scale};
}

void CopyScaled(const std::uint32_t* src, int srcStride, const Rect& r, void* dst, int dstPitch, int scale) {
    if (r.w <= 0 || r.h <= 0) return;
    auto* out = static_cast<unsigned char*>(dst);
    const std::size_t rowBytes = static_cast<std::size_t>(r.w) * scale * 4;
    for (int row = 0; row < r.h; ++row) {
        const std::uint32_t* in = src + static_cast<std::size_t>(r.y + row) * srcStride + r.x;
        unsigned char* first = out + (static_cast<std::size_t>(r.y + row) * scale) * dstPitch +
                               static_cast<std::size_t>(r.x) * scale * 4;
        if (scale == 1) {
            std::memcpy(first, in, rowBytes);
            continue;
        }
        // One screen row holds each pixel `scale` times; the other rows of
        // the block are copies of it.
        auto* line = reinterpret_cast<std::uint32_t*>(first);
        for (int i = 0; i < r.w; ++i)
            std::fill_n(line + static_cast<std::size_t>(i) * scale, scale, in[i]);
        for (int k = 1; k < scale; ++k)
            std::memcpy(first + static_cast<std::size_t>(k) * dstPitch, first, rowBytes);
    }
}

}  // namespace platform::host::sdl
