// The SDL host's whole-number scaling on high-density displays: the factor
// taken from the desktop's density, the rectangles presented, the pixels
// copied as blocks, and the screen positions brought back to logical ones.
#include "platform/host/sdl/sdl_scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace sdl = platform::host::sdl;
using platform::host::Rect;

namespace {

void ExpectRect(const Rect& got, const Rect& want) {
    EXPECT_EQ(got.x, want.x);
    EXPECT_EQ(got.y, want.y);
    EXPECT_EQ(got.w, want.w);
    EXPECT_EQ(got.h, want.h);
}

// Only a density of two times 96 or more scales, and only by its whole part:
// a fractional density keeps every pixel as it is.
TEST(SdlScale, FactorFromDensity) {
    const struct {
        double dpi;
        int scale;
    } cases[] = {
        {96, 1},
        {120, 1},
        {144, 1},
        {191, 1},
        {191.99, 1},
        {192, 2},
        {240, 2},
        {287, 2},
        {288, 3},
        {384, 4},
        {0, 1},
        {-192, 1},
        {72, 1},
        {1e9, 8},
        {768, 8},
        {767.9, 7},
        {std::numeric_limits<double>::quiet_NaN(), 1},
        {std::numeric_limits<double>::infinity(), 8},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sdl::ScaleFromDpi(c.dpi), c.scale) << "dpi " << c.dpi;
}

// Xft.dpi as xrdb stores it: an integer or a decimal with a point, whatever
// the program's locale; anything else is no density.
TEST(SdlScale, ParsesTheDensityResource) {
    const struct {
        const char* text;
        double dpi;
    } cases[] = {
        {"192", 192}, {"192.0", 192}, {" 144\n", 144}, {"\t288 ", 288}, {"96.5", 96.5},
        {"", 0},      {"   ", 0},     {"abc", 0},      {"192dpi", 0},   {"192,0", 0},
        {"-192", 0},  {"0", 0},       {"nan", 0},      {"inf", 0},      {"1e999", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sdl::ParseDpi(c.text), c.dpi) << "'" << c.text << "'";
}

// Screen positions become logical ones by rounding down, so a pointer just
// left of or above a window (reported while a button is held) stays outside
// it, and every screen pixel of a block maps to that block's logical pixel.
TEST(SdlScale, ScreenToLogicalCoordinates) {
    const struct {
        int screen, scale, logical;
    } cases[] = {
        {0, 1, 0},
        {-1, 1, -1},
        {1279, 1, 1279},
        {0, 2, 0},
        {1, 2, 0},
        {2, 2, 1},
        {1279, 2, 639},
        {1280, 2, 640},
        {-1, 2, -1},
        {-2, 2, -1},
        {-3, 2, -2},
        {5, 3, 1},
        {6, 3, 2},
        {-3, 3, -1},
        {-4, 3, -2},
        {std::numeric_limits<int>::min(), 2, std::numeric_limits<int>::min() / 2},
        {std::numeric_limits<int>::max(), 2, std::numeric_limits<int>::max() / 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sdl::ToLogical(c.screen, c.scale), c.logical) << c.screen << " at scale " << c.scale;
}

// Changed rectangles are cut to the frame before they are scaled; those
// outside it, or empty, show nothing.
TEST(SdlScale, ClipsAndScalesRectangles) {
    const struct {
        Rect in;
        Rect clipped;  // within a 640 x 500 frame
    } cases[] = {
        {{10, 20, 30, 40}, {10, 20, 30, 40}},
        {{0, 0, 640, 500}, {0, 0, 640, 500}},
        {{-5, -6, 20, 20}, {0, 0, 15, 14}},
        {{630, 490, 50, 50}, {630, 490, 10, 10}},
        {{640, 0, 10, 10}, {}},
        {{0, 500, 10, 10}, {}},
        {{-20, 0, 20, 10}, {}},
        {{5, 5, 0, 10}, {}},
        {{5, 5, -3, 10}, {}},
        {{std::numeric_limits<int>::max() - 1, 0, 100, 10}, {}},
        {{std::numeric_limits<int>::min(), 0, std::numeric_limits<int>::max(), 10}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.in.x << "," << c.in.y << " " << c.in.w << "x" << c.in.h);
        ExpectRect(sdl::ClipRect(c.in, 640, 500), c.clipped);
    }
    ExpectRect(sdl::ScaleRect({10, 20, 30, 40}, 1), {10, 20, 30, 40});
    ExpectRect(sdl::ScaleRect({10, 20, 30, 40}, 2), {20, 40, 60, 80});
    ExpectRect(sdl::ScaleRect({0, 1, 640, 499}, 3), {0, 3, 1920, 1497});
}

// Every screen pixel of the destination, checked one by one: inside the
// scaled rectangle it is the logical pixel it lies over, outside it is
// untouched; rows of the destination may be padded.
TEST(SdlScale, CopiesEachPixelAsABlock) {
    constexpr int kW = 7, kH = 5;
    std::vector<std::uint32_t> src(kW * kH);
    for (int i = 0; i < kW * kH; ++i)
        src[i] = 0x00010203u * static_cast<std::uint32_t>(i + 1);
    constexpr std::uint32_t kUntouched = 0xDEADBEEF;
    const Rect rects[] = {{0, 0, kW, kH}, {2, 1, 3, 2}, {6, 4, 1, 1}, {0, 3, kW, 1}, {3, 0, 0, 2}};
    for (int scale : {1, 2, 3}) {
        for (const Rect& r : rects) {
            SCOPED_TRACE(testing::Message()
                         << "scale " << scale << " rect " << r.x << "," << r.y << " " << r.w << "x" << r.h);
            const int stride = kW * scale + 3;  // pixels a destination row, with padding
            std::vector<std::uint32_t> dst(static_cast<std::size_t>(stride) * kH * scale, kUntouched);
            sdl::CopyScaled(src.data(), kW, r, dst.data(), stride * 4, scale);
            int wrong = 0;
            for (int y = 0; y < kH * scale; ++y) {
                for (int x = 0; x < stride; ++x) {
                    const int lx = x / scale, ly = y / scale;
                    const bool inside =
                        x < kW * scale && lx >= r.x && lx < r.x + r.w && ly >= r.y && ly < r.y + r.h;
                    const std::uint32_t want = inside ? src[ly * kW + lx] : kUntouched;
                    if (dst[static_cast<std::size_t>(y) * stride + x] != want && ++wrong <= 3)
                        ADD_FAILURE() << "screen pixel " << x << "," << y;
                }
            }
            EXPECT_EQ(wrong, 0);
        }
    }
}

}  // namespace
