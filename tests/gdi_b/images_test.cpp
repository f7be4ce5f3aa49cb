// Bitmaps and icons from resource tables registered here, built byte by byte.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/core/handles.h"
#include "platform/gdi/surface.h"
#include "platform/resources.h"
#include "platform/winapi.h"

namespace {

using Bytes = std::vector<unsigned char>;

void Put16(Bytes& b, unsigned v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
void Put32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back((v >> (8 * i)) & 0xFF);
}

// A BITMAPINFOHEADER with `height` as stored, then palette and rows.
Bytes Dib(int width, int storedHeight, int bpp, const std::vector<std::uint32_t>& palette,
          const Bytes& rows) {
    Bytes b;
    Put32(b, 40);
    Put32(b, static_cast<std::uint32_t>(width));
    Put32(b, static_cast<std::uint32_t>(storedHeight));
    Put16(b, 1);
    Put16(b, static_cast<unsigned>(bpp));
    Put32(b, 0);
    Put32(b, static_cast<std::uint32_t>(rows.size()));
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, static_cast<std::uint32_t>(palette.size()));
    Put32(b, 0);
    for (std::uint32_t c : palette)
        Put32(b, c);
    b.insert(b.end(), rows.begin(), rows.end());
    return b;
}

Bytes BmpFile(const Bytes& dib, std::size_t paletteBytes) {
    Bytes b{'B', 'M'};
    Put32(b, static_cast<std::uint32_t>(14 + dib.size()));
    Put32(b, 0);
    Put32(b, static_cast<std::uint32_t>(14 + 40 + paletteBytes));
    b.insert(b.end(), dib.begin(), dib.end());
    return b;
}

// 24-bit rows of 0x00RRGGBB pixels given top row first; stored bottom-up
// unless topDown.
Bytes Rows24(int w, const std::vector<std::uint32_t>& px, bool topDown) {
    const int h = static_cast<int>(px.size()) / w;
    const int stride = (w * 3 + 3) / 4 * 4;
    Bytes rows(static_cast<std::size_t>(stride) * h, 0);
    for (int y = 0; y < h; ++y) {
        const int row = topDown ? y : h - 1 - y;
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = px[y * w + x];
            rows[row * stride + x * 3] = p & 0xFF;
            rows[row * stride + x * 3 + 1] = (p >> 8) & 0xFF;
            rows[row * stride + x * 3 + 2] = (p >> 16) & 0xFF;
        }
    }
    return rows;
}

std::vector<std::uint32_t> Pixels(HBITMAP b, int* w, int* h) {
    std::vector<std::uint32_t> argb;
    EXPECT_TRUE(platform::gdi::BitmapPixels(b, &argb, w, h));
    for (auto& p : argb)
        p &= 0xFFFFFF;
    return argb;
}

const std::vector<std::uint32_t> kPicture = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFFFFFF, 0x000000};

TEST(GdibImages, BitmapsOfEveryDepthAndOrientation) {
    static Bytes bottomUp = BmpFile(Dib(3, 2, 24, {}, Rows24(3, kPicture, false)), 0);
    static Bytes topDown = BmpFile(Dib(3, -2, 24, {}, Rows24(3, kPicture, true)), 0);
    // 8 bits: indices into a palette of the same colours.
    Bytes rows8 = {3, 4, 5, 0, 0, 1, 2, 0};  // bottom row first, each padded to 4 bytes
    static Bytes indexed =
        BmpFile(Dib(3, 2, 8, {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFFFFFF, 0x000000}, rows8), 24);
    // 1 bit: top row 1 0 1, bottom row 0 1 0 over a black/white palette.
    Bytes rows1 = {0x40, 0, 0, 0, 0xA0, 0, 0, 0};
    static Bytes mono = BmpFile(Dib(3, 2, 1, {0x000000, 0xFFFFFF}, rows1), 8);
    // 4 bits, two pixels per byte: top row 0 1 2, bottom row 5 4 3.
    Bytes rows4 = {0x54, 0x30, 0, 0, 0x01, 0x20, 0, 0};
    static Bytes nibbles =
        BmpFile(Dib(3, 2, 4, {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFFFFFF, 0x000000}, rows4), 24);
    static Bytes truncated(bottomUp.begin(), bottomUp.end() - 4);
    const platform::ResourceEntry table[] = {
        {platform::ResourceType::Bitmap, 901, bottomUp.data(), bottomUp.size()},
        {platform::ResourceType::Bitmap, 902, topDown.data(), topDown.size()},
        {platform::ResourceType::Bitmap, 903, indexed.data(), indexed.size()},
        {platform::ResourceType::Bitmap, 904, nibbles.data(), nibbles.size()},
        {platform::ResourceType::Bitmap, 905, mono.data(), mono.size()},
        {platform::ResourceType::Bitmap, 906, truncated.data(), truncated.size()},
    };
    platform::RegisterResources(table, std::size(table));
    HMODULE module = GetModuleHandleW(nullptr);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(GetModuleHandleW(nullptr), module);

    struct Case {
        int id;
        std::vector<std::uint32_t> want;
    } cases[] = {
        {901, kPicture},
        {902, kPicture},
        {903, kPicture},
        {904, {0xFF0000, 0x00FF00, 0x0000FF, 0x000000, 0xFFFFFF, 0x123456}},
        {905, {0xFFFFFF, 0x000000, 0xFFFFFF, 0x000000, 0xFFFFFF, 0x000000}},
    };
    const std::size_t before = platform::LiveGraphicsObjects();
    for (const Case& k : cases) {
        HBITMAP b = static_cast<HBITMAP>(
            LoadImageW(module, MAKEINTRESOURCEW(k.id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        ASSERT_NE(b, nullptr) << k.id;
        BITMAP bm{};
        ASSERT_EQ(GetObjectW(b, sizeof bm, &bm), static_cast<int>(sizeof bm));
        EXPECT_EQ(bm.bmWidth, 3);
        EXPECT_EQ(bm.bmHeight, 2);
        EXPECT_NE(bm.bmBits, nullptr);
        int w = 0, h = 0;
        EXPECT_EQ(Pixels(b, &w, &h), k.want) << k.id;
        // Drawn into a DC it reads back the same.
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, b);
        EXPECT_EQ(GetPixel(dc, 1, 1), platform::gdi::ToColorRef(k.want[4]));
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(b);
    }
    EXPECT_EQ(platform::LiveGraphicsObjects(), before);
    SetLastError(0);
    EXPECT_EQ(LoadImageW(module, MAKEINTRESOURCEW(906), IMAGE_BITMAP, 0, 0, 0), nullptr);
    EXPECT_NE(GetLastError(), 0u);
    EXPECT_EQ(LoadImageW(module, MAKEINTRESOURCEW(999), IMAGE_BITMAP, 0, 0, 0), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
}

// An ICO file of square 24-bit images, each a solid colour with the top-left
// pixel masked out.
Bytes Ico(const std::vector<std::pair<int, std::uint32_t>>& images) {
    std::vector<Bytes> bodies;
    for (auto [size, colour] : images) {
        const std::vector<std::uint32_t> px(static_cast<std::size_t>(size) * size, colour);
        Bytes body = Dib(size, size * 2, 24, {}, Rows24(size, px, false));
        const int maskStride = (size + 31) / 32 * 4;
        Bytes mask(static_cast<std::size_t>(maskStride) * size, 0);
        mask[static_cast<std::size_t>(size - 1) * maskStride] = 0x80;  // top row is stored last
        body.insert(body.end(), mask.begin(), mask.end());
        bodies.push_back(body);
    }
    Bytes b;
    Put16(b, 0);
    Put16(b, 1);
    Put16(b, static_cast<unsigned>(images.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        b.push_back(static_cast<unsigned char>(images[i].first));
        b.push_back(static_cast<unsigned char>(images[i].first));
        b.push_back(0);
        b.push_back(0);
        Put16(b, 1);
        Put16(b, 24);
        Put32(b, static_cast<std::uint32_t>(bodies[i].size()));
        Put32(b, offset);
        offset += static_cast<std::uint32_t>(bodies[i].size());
    }
    for (const Bytes& body : bodies)
        b.insert(b.end(), body.begin(), body.end());
    return b;
}

TEST(GdibImages, IconsPickTheNearestSizeAndKeepTheirMask) {
    static Bytes ico = Ico({{16, 0xFF0000}, {48, 0x00FF00}, {32, 0x0000FF}});
    static Bytes broken(ico.begin(), ico.begin() + 30);
    const platform::ResourceEntry table[] = {
        {platform::ResourceType::GroupIcon, 910, ico.data(), ico.size()},
        {platform::ResourceType::GroupIcon, 911, broken.data(), broken.size()},
    };
    platform::RegisterResources(table, std::size(table));
    HMODULE module = GetModuleHandleW(nullptr);
    HICON icon = LoadIconW(module, MAKEINTRESOURCEW(910));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(LoadIconW(module, MAKEINTRESOURCEW(910)), icon);  // shared
    std::vector<std::uint32_t> argb;
    int w = 0, h = 0;
    ASSERT_TRUE(platform::gdi::IconPixels(icon, &argb, &w, &h));
    EXPECT_EQ(w, 32);
    EXPECT_EQ(h, 32);
    EXPECT_EQ(argb[0] >> 24, 0u);  // masked out
    EXPECT_EQ(argb[1], 0xFF0000FFu);
    EXPECT_EQ(argb[32 * 32 - 1], 0xFF0000FFu);
    EXPECT_TRUE(DestroyIcon(icon));  // a shared icon stays
    EXPECT_TRUE(platform::gdi::IconPixels(icon, nullptr, nullptr, nullptr));

    HICON small = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(910), IMAGE_ICON, 16, 16, 0));
    ASSERT_NE(small, nullptr);
    ASSERT_TRUE(platform::gdi::IconPixels(small, &argb, &w, &h));
    EXPECT_EQ(w, 16);
    EXPECT_EQ(argb[1], 0xFFFF0000u);
    EXPECT_TRUE(DestroyIcon(small));
    EXPECT_FALSE(platform::gdi::IconPixels(small, nullptr, nullptr, nullptr));
    EXPECT_FALSE(DestroyIcon(small));
    EXPECT_EQ(LoadIconW(module, MAKEINTRESOURCEW(911)), nullptr);
}

TEST(GdibImages, SystemIconsAndCursorsArePermanent) {
    for (LPCWSTR id : {IDI_APPLICATION, IDI_QUESTION}) {
        HICON icon = LoadIconW(nullptr, id);
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(LoadIconW(nullptr, id), icon);
        DestroyIcon(icon);
        EXPECT_FALSE(DeleteObject(icon));
        std::vector<std::uint32_t> argb;
        int w = 0, h = 0;
        ASSERT_TRUE(platform::gdi::IconPixels(icon, &argb, &w, &h));
        EXPECT_EQ(w, 32);
        int opaque = 0;
        for (auto p : argb)
            opaque += (p >> 24) == 0xFF;
        EXPECT_GT(opaque, 300);
    }
    struct Case {
        LPCWSTR id;
        int shape;
    } cursors[] = {{IDC_ARROW, 0}, {IDC_HAND, 1}, {IDC_WAIT, 2}, {IDC_IBEAM, 3}};
    for (const Case& k : cursors) {
        HCURSOR c = LoadCursorW(nullptr, k.id);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(LoadCursorW(nullptr, k.id), c);
        EXPECT_TRUE(DestroyIcon(c));
        EXPECT_EQ(platform::gdi::SystemCursorShape(c), k.shape);
    }
    EXPECT_EQ(platform::gdi::SystemCursorShape(LoadIconW(nullptr, IDI_QUESTION)), -1);
    EXPECT_EQ(LoadCursorW(nullptr, MAKEINTRESOURCEW(1)), nullptr);
}

}  // namespace

namespace {

// Every cut of a valid file, and files whose sizes and offsets lie, are
// refused or decoded within their bytes (the sanitizer build checks the reads).
TEST(GdibImages, DamagedFilesAreRefusedSafely) {
    static Bytes bmp = BmpFile(Dib(3, 2, 24, {}, Rows24(3, kPicture, false)), 0);
    static Bytes ico = Ico({{16, 0xFF0000}, {32, 0x0000FF}});
    HMODULE module = GetModuleHandleW(nullptr);
    const std::size_t before = platform::LiveGraphicsObjects();
    for (std::size_t n = 0; n < bmp.size(); ++n) {
        const platform::ResourceEntry e{platform::ResourceType::Bitmap, 920, bmp.data(), n};
        platform::RegisterResources(&e, 1);
        EXPECT_EQ(LoadImageW(module, MAKEINTRESOURCEW(920), IMAGE_BITMAP, 0, 0, 0), nullptr) << n;
    }
    for (std::size_t n = 0; n < ico.size(); ++n) {
        const platform::ResourceEntry e{platform::ResourceType::GroupIcon, 921, ico.data(), n};
        platform::RegisterResources(&e, 1);
        if (HANDLE h = LoadImageW(module, MAKEINTRESOURCEW(921), IMAGE_ICON, 32, 32, 0)) {
            DestroyIcon(static_cast<HICON>(h));  // the 16 x 16 image may be whole already
        }
    }
    // Lying headers: an enormous width, a pixel offset past the end.
    static Bytes wide = bmp;  // the table keeps pointing at these
    wide[18] = 0xFF, wide[19] = 0xFF, wide[20] = 0xFF, wide[21] = 0x7F;
    static Bytes offset = bmp;
    offset[10] = 0xF0, offset[11] = 0xFF;
    static Bytes entry = ico;
    entry[6 + 12] = 0xF0, entry[6 + 13] = 0xFF, entry[6 + 16 + 12] = 0xF0, entry[6 + 16 + 13] = 0xFF;
    const platform::ResourceEntry lies[] = {
        {platform::ResourceType::Bitmap, 922, wide.data(), wide.size()},
        {platform::ResourceType::Bitmap, 923, offset.data(), offset.size()},
        {platform::ResourceType::GroupIcon, 924, entry.data(), entry.size()},
    };
    platform::RegisterResources(lies, std::size(lies));
    EXPECT_EQ(LoadImageW(module, MAKEINTRESOURCEW(922), IMAGE_BITMAP, 0, 0, 0), nullptr);
    EXPECT_EQ(LoadImageW(module, MAKEINTRESOURCEW(923), IMAGE_BITMAP, 0, 0, 0), nullptr);
    EXPECT_EQ(LoadImageW(module, MAKEINTRESOURCEW(924), IMAGE_ICON, 32, 32, 0), nullptr);
    EXPECT_EQ(platform::LiveGraphicsObjects(), before);
}

}  // namespace
