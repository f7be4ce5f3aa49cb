// The artwork as the program loads it: the embedded table, decoded by the
// stand-in's LoadImageW and read back pixel by pixel.
#include <gtest/gtest.h>

#include "platform/resources.h"
#include "platform/winapi.h"

namespace {

struct Loaded {
    HBITMAP bitmap = nullptr;
    HDC dc = nullptr;
    HGDIOBJ previous = nullptr;
    explicit Loaded(int id) {
        bitmap = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                                 IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        if (bitmap == nullptr) return;
        dc = CreateCompatibleDC(nullptr);
        previous = SelectObject(dc, bitmap);
    }
    ~Loaded() {
        if (dc != nullptr) {
            SelectObject(dc, previous);
            DeleteDC(dc);
        }
        if (bitmap != nullptr) DeleteObject(bitmap);
    }
    COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }
};

// Every resource of the script is embedded, with the sizes and depths the
// program relies on.
TEST(Resources, BitmapsHaveTheirSizes) {
    struct Case {
        int id, width, height;
    } cases[] = {{1011, 200, 40}, {1007, 200, 50}, {1006, 163, 50}};
    for (const Case& k : cases) {
        Loaded image(k.id);
        ASSERT_NE(image.bitmap, nullptr) << "bitmap " << k.id;
        BITMAP info{};
        ASSERT_NE(GetObjectW(image.bitmap, sizeof info, &info), 0);
        EXPECT_EQ(info.bmWidth, k.width) << "bitmap " << k.id;
        EXPECT_EQ(info.bmHeight, k.height) << "bitmap " << k.id;
        const platform::ResourceEntry* entry =
            platform::FindResourceEntry(platform::ResourceType::Bitmap, k.id);
        ASSERT_NE(entry, nullptr);
        ASSERT_GT(entry->size, 30u);
        EXPECT_EQ(entry->data[28], 24) << "bitmap " << k.id << " must be 24 bits per pixel";
    }
}

// The icon group holds 16, 32 and 48 pixel images of 16 colours.
TEST(Resources, IconGroupHasThreeSixteenColourImages) {
    const platform::ResourceEntry* entry =
        platform::FindResourceEntry(platform::ResourceType::GroupIcon, 1005);
    ASSERT_NE(entry, nullptr);
    ASSERT_GE(entry->size, 6u + 3 * 16);
    const unsigned char* d = entry->data;
    EXPECT_EQ(d[2] | d[3] << 8, 1);  // an icon, not a cursor
    ASSERT_EQ(d[4] | d[5] << 8, 3);
    const int sizes[] = {16, 32, 48};
    for (int i = 0; i < 3; ++i) {
        const unsigned char* e = d + 6 + 16 * i;
        EXPECT_EQ(e[0], sizes[i]);
        EXPECT_EQ(e[1], sizes[i]);
        EXPECT_EQ(e[2], 16);
        EXPECT_EQ(e[6] | e[7] << 8, 4);  // bits per pixel
    }
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1005));
    EXPECT_NE(icon, nullptr);
    if (icon != nullptr) DestroyIcon(icon);
}

// The board tiles' geometry and colours, at the pixels that tell them apart.
TEST(Resources, SpriteSheetTiles) {
    Loaded sheet(1011);
    ASSERT_NE(sheet.bitmap, nullptr);
    const COLORREF white = RGB(255, 255, 255), black = RGB(0, 0, 0), maroon = RGB(128, 0, 0),
                   blue = RGB(64, 64, 255);
    struct Case {
        int tile, x, y;
        COLORREF colour;
    } cases[] = {
        {0, 12, 2, white},
        {0, 0, 0, white},
        {1, 12, 10, white},
        {1, 12, 30, white},
        {1, 0, 18, RGB(241, 220, 151)},
        {1, 24, 22, RGB(137, 98, 27)},
        {2, 0, 20, black},
        {2, 9, 20, black},
        {2, 1, 0, maroon},
        {2, 8, 39, maroon},
        {2, 10, 20, blue},
        {2, 24, 0, blue},
        {3, 14, 20, blue},
        {3, 15, 20, black},
        {3, 24, 20, black},
        {3, 16, 5, maroon},
        {4, 12, 0, black},
        {4, 12, 9, black},
        {4, 0, 1, maroon},
        {4, 24, 8, maroon},
        {4, 12, 10, blue},
        {4, 12, 39, blue},
        {5, 0, 8, black},
        {5, 5, 8, maroon},
        {5, 5, 9, black},
        {5, 5, 10, blue},
        {5, 20, 2, blue},
        {6, 24, 8, black},
        {6, 20, 9, black},
        {6, 20, 10, blue},
        {6, 5, 2, blue},
        {7, 0, 0, white},
        {7, 12, 3, white},
    };
    for (const Case& k : cases)
        EXPECT_EQ(sheet.At(25 * k.tile + k.x, k.y), k.colour)
            << "tile " << k.tile << " at " << k.x << "," << k.y << std::hex << " got "
            << sheet.At(25 * k.tile + k.x, k.y);
    // The beads: red dominates the red bead's body, the gold bead is
    // yellowish, and both hide the wire at the rim of the tile.
    COLORREF red = sheet.At(25 * 0 + 14, 24), gold = sheet.At(25 * 7 + 14, 24);
    EXPECT_GT(GetRValue(red), 2 * GetGValue(red));
    EXPECT_GT(GetRValue(gold), GetBValue(gold) + 80);
    EXPECT_GT(GetGValue(gold), GetBValue(gold) + 60);
    EXPECT_NE(sheet.At(25 * 0 + 3, 20), RGB(241, 220, 151));
}

}  // namespace
