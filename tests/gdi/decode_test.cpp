// BMP and ICO decoding: every bit depth in both row orders gives the same
// pixels, and damaged data is refused without reading outside it.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/res/image_decode.h"

namespace {

using platform::res::Image;

void Put(std::vector<unsigned char>* out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out->push_back(static_cast<unsigned char>(v >> (8 * i)));
}

// A 2 x 2 picture (top row: red, green; bottom row: blue, white; for one bit
// per pixel: red, white / white, red) as a BMP file.
std::vector<unsigned char> Bmp(int bpp, bool topDown) {
    const bool mono = bpp == 1;
    const std::uint32_t top[2] = {0xFF0000, mono ? 0xFFFFFFu : 0x00FF00u};
    const std::uint32_t bottom[2] = {mono ? 0xFFFFFFu : 0x0000FFu, mono ? 0xFF0000u : 0xFFFFFFu};
    std::vector<std::uint32_t> palette;
    if (bpp <= 8)
        palette = mono ? std::vector<std::uint32_t>{0xFF0000, 0xFFFFFF}
                       : std::vector<std::uint32_t>{0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    auto index = [&](std::uint32_t c) {
        for (std::size_t i = 0; i < palette.size(); ++i)
            if (palette[i] == c) return static_cast<unsigned>(i);
        return 0u;
    };
    std::vector<unsigned char> out;
    const std::uint32_t offBits = 14 + 40 + static_cast<std::uint32_t>(palette.size()) * 4;
    Put(&out, 'B' | ('M' << 8), 2);
    Put(&out, 0, 4);
    Put(&out, 0, 4);
    Put(&out, offBits, 4);
    Put(&out, 40, 4);
    Put(&out, 2, 4);
    Put(&out, static_cast<std::uint32_t>(topDown ? -2 : 2), 4);
    Put(&out, 1, 2);
    Put(&out, static_cast<std::uint32_t>(bpp), 2);
    for (int i = 0; i < 4; ++i)
        Put(&out, 0, 4);  // compression, image size, resolution
    Put(&out, static_cast<std::uint32_t>(palette.size()), 4);
    Put(&out, 0, 4);
    for (std::uint32_t c : palette)
        Put(&out, c, 4);  // 0x00RRGGBB is blue, green, red, 0 in memory
    const std::uint32_t* rows[2] = {topDown ? top : bottom, topDown ? bottom : top};
    for (const std::uint32_t* row : rows) {
        std::vector<unsigned char> bytes;
        if (bpp == 24 || bpp == 32) {
            for (int x = 0; x < 2; ++x)
                Put(&bytes, row[x], bpp / 8);
        } else if (bpp == 8) {
            bytes = {static_cast<unsigned char>(index(row[0])), static_cast<unsigned char>(index(row[1]))};
        } else if (bpp == 4) {
            bytes = {static_cast<unsigned char>((index(row[0]) << 4) | index(row[1]))};
        } else {
            bytes = {static_cast<unsigned char>((index(row[0]) << 7) | (index(row[1]) << 6))};
        }
        while (bytes.size() % 4)
            bytes.push_back(0);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    return out;
}

TEST(Decode, EveryDepthAndRowOrderGivesTheSamePixels) {
    for (int bpp : {1, 4, 8, 24, 32}) {
        for (bool topDown : {false, true}) {
            const auto data = Bmp(bpp, topDown);
            Image img;
            ASSERT_TRUE(platform::res::DecodeBmp(data.data(), data.size(), &img)) << bpp << " bpp";
            ASSERT_EQ(img.width, 2);
            ASSERT_EQ(img.height, 2);
            const bool mono = bpp == 1;
            const std::uint32_t want[4] = {0xFFFF0000u, mono ? 0xFFFFFFFFu : 0xFF00FF00u,
                                           mono ? 0xFFFFFFFFu : 0xFF0000FFu,
                                           mono ? 0xFFFF0000u : 0xFFFFFFFFu};
            for (int i = 0; i < 4; ++i)
                EXPECT_EQ(img.argb[i], want[i]) << bpp << " bpp, top-down " << topDown << ", pixel " << i;
        }
    }
}

TEST(Decode, DamagedDataIsRefused) {
    const auto good = Bmp(24, false);
    Image img;
    // Every truncation of a valid file fails cleanly.
    for (std::size_t n = 0; n < good.size(); ++n)
        EXPECT_FALSE(platform::res::DecodeBmp(good.data(), n, &img)) << "length " << n;
    auto huge = good;
    huge[18] = 0xFF, huge[19] = 0xFF, huge[20] = 0xFF, huge[21] = 0x7F;  // width 2^31 - 1
    EXPECT_FALSE(platform::res::DecodeBmp(huge.data(), huge.size(), &img));
    auto depth = good;
    depth[28] = 16;
    EXPECT_FALSE(platform::res::DecodeBmp(depth.data(), depth.size(), &img));

    std::vector<platform::res::IconEntry> entries;
    const unsigned char lying[] = {0, 0,  1, 0,    1,    0, 16, 16, 0, 0, 1,
                                   0, 24, 0, 0xFF, 0xFF, 0, 0,  22, 0, 0, 0};
    EXPECT_FALSE(platform::res::ReadIconDirectory(lying, sizeof(lying), &entries));
    EXPECT_FALSE(platform::res::ReadIconDirectory(lying, 4, &entries));
}

TEST(Decode, PicksTheIconNearestTheWantedSize) {
    std::vector<platform::res::IconEntry> entries = {
        {16, 16, 4, 0, 0}, {48, 48, 4, 0, 0}, {32, 32, 4, 0, 0}, {32, 32, 8, 0, 0}};
    EXPECT_EQ(platform::res::PickIcon(entries, 32, 32), 3);
    EXPECT_EQ(platform::res::PickIcon(entries, 16, 16), 0);
    EXPECT_EQ(platform::res::PickIcon(entries, 40, 40), 3);
    EXPECT_EQ(platform::res::PickIcon(entries, 60, 60), 1);
}

}  // namespace
