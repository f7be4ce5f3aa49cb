// Objects, device contexts, rectangles, pixels and block transfers, checked
// pixel by pixel on memory DCs over 32-bit bitmaps and on window DCs over a
// surface made here.
#include <gtest/gtest.h>

#include <vector>

#include "platform/core/handles.h"
#include "platform/gdi/surface.h"
#include "platform/winapi.h"

namespace {

// A memory DC over a w x h colour bitmap filled with `fill`.
struct Canvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    int w, h;
    Canvas(int width, int height, COLORREF fill = RGB(255, 255, 255)) : w(width), h(height) {
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateBitmap(w, h, 1, 32, nullptr);
        old = SelectObject(dc, bitmap);
        Fill(fill);
    }
    ~Canvas() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    void Fill(COLORREF c) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                SetPixel(dc, x, y, c);
    }
    COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }
    // The pixels as a row-major grid of colours.
    std::vector<COLORREF> All() const {
        std::vector<COLORREF> v;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                v.push_back(At(x, y));
        return v;
    }
};

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

TEST(GdibDraw, RectangleWithNullPenFillsWithoutLastColumnAndRow) {
    Canvas c(8, 8);
    HPEN pen = CreatePen(PS_NULL, 1, 0);
    HBRUSH brush = CreateSolidBrush(kRed);
    HGDIOBJ oldPen = SelectObject(c.dc, pen);
    HGDIOBJ oldBrush = SelectObject(c.dc, brush);
    ASSERT_TRUE(Rectangle(c.dc, 1, 2, 6, 7));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool in = x >= 1 && x < 5 && y >= 2 && y < 6;
            EXPECT_EQ(c.At(x, y), in ? kRed : kWhite) << x << "," << y;
        }
    SelectObject(c.dc, oldPen);
    SelectObject(c.dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);
}

TEST(GdibDraw, RectangleOutlineWithSolidPen) {
    struct Case {
        bool nullBrush;
    } cases[] = {{false}, {true}};
    for (const Case& k : cases) {
        Canvas c(8, 8);
        HPEN pen = CreatePen(PS_SOLID, 1, kBlue);
        HBRUSH brush = CreateSolidBrush(kRed);
        HGDIOBJ oldPen = SelectObject(c.dc, pen);
        HGDIOBJ oldBrush = SelectObject(c.dc, k.nullBrush ? GetStockObject(NULL_BRUSH) : brush);
        ASSERT_TRUE(Rectangle(c.dc, 1, 1, 7, 6));
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                const bool box = x >= 1 && x <= 6 && y >= 1 && y <= 5;
                const bool edge = box && (x == 1 || x == 6 || y == 1 || y == 5);
                const COLORREF want = edge ? kBlue : (box && !k.nullBrush ? kRed : kWhite);
                EXPECT_EQ(c.At(x, y), want) << x << "," << y << " nullBrush " << k.nullBrush;
            }
        SelectObject(c.dc, oldPen);
        SelectObject(c.dc, oldBrush);
        DeleteObject(pen);
        DeleteObject(brush);
    }
}

TEST(GdibDraw, EmptyNegativeAndOutsideDrawingIsSafe) {
    Canvas c(4, 4);
    HBRUSH brush = CreateSolidBrush(kRed);
    const RECT rects[] = {{2, 2, 2, 3}, {3, 3, 1, 1}, {-100, -100, -50, -50}, {10, 10, 20, 20}};
    for (const RECT& r : rects)
        EXPECT_TRUE(FillRect(c.dc, &r, brush));
    const RECT big{-1000, -1000, 1000, 1000};
    Canvas other(4, 4, kBlue);
    EXPECT_TRUE(BitBlt(c.dc, 2, 2, 0, 5, other.dc, 0, 0, SRCCOPY));
    EXPECT_TRUE(BitBlt(c.dc, 2, 2, -3, 5, other.dc, 0, 0, SRCCOPY));
    for (COLORREF p : c.All())
        EXPECT_EQ(p, kWhite);
    // A copy reaching past both surfaces copies only what exists.
    EXPECT_TRUE(BitBlt(c.dc, -1, 3, 100, 100, other.dc, 1, 0, SRCCOPY));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(c.At(x, y), y >= 3 && x <= 1 ? kBlue : kWhite) << x << "," << y;
    EXPECT_TRUE(FillRect(c.dc, &big, brush));
    for (COLORREF p : c.All())
        EXPECT_EQ(p, kRed);
    EXPECT_EQ(SetPixel(c.dc, 4, 0, kBlue), CLR_INVALID);
    EXPECT_EQ(GetPixel(c.dc, -1, 0), CLR_INVALID);
    DeleteObject(brush);
}

TEST(GdibDraw, BitBltRasterOperations) {
    constexpr COLORREF d = RGB(0x0F, 0xF0, 0x55), s = RGB(0x33, 0x3C, 0xAA), pat = RGB(1, 2, 3);
    struct Case {
        DWORD rop;
        COLORREF want;
    } cases[] = {
        {SRCCOPY, s},
        {SRCAND, d & s},
        {SRCPAINT, d | s},
        {SRCINVERT, d ^ s},
        {NOTSRCCOPY, ~s & 0xFFFFFF},
        {PATCOPY, pat},
        {BLACKNESS, 0},
        {WHITENESS, 0xFFFFFF},
        {DSTINVERT, ~d & 0xFFFFFF},
    };
    Canvas src(3, 3, s);
    HBRUSH brush = CreateSolidBrush(pat);
    for (const Case& k : cases) {
        Canvas dst(5, 5, d);
        HGDIOBJ oldBrush = SelectObject(dst.dc, brush);
        ASSERT_TRUE(BitBlt(dst.dc, 1, 1, 3, 3, src.dc, 0, 0, k.rop)) << std::hex << k.rop;
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 5; ++x) {
                const bool in = x >= 1 && x <= 3 && y >= 1 && y <= 3;
                EXPECT_EQ(dst.At(x, y), in ? k.want : d) << std::hex << k.rop << " at " << x << "," << y;
            }
        SelectObject(dst.dc, oldBrush);
    }
    DeleteObject(brush);
    Canvas dst(2, 2);
    EXPECT_FALSE(BitBlt(dst.dc, 0, 0, 1, 1, src.dc, 0, 0, 0x00123456));
}

// The transparent copy through a monochrome mask: black is the see-through colour.
void TransparentCopy(HDC dest, int x, int y, HBITMAP bitmap, int w, int h) {
    HDC src = CreateCompatibleDC(dest);
    HDC maskDc = CreateCompatibleDC(dest);
    HBITMAP mask = CreateBitmap(w, h, 1, 1, nullptr);
    HGDIOBJ oldMask = SelectObject(maskDc, mask);
    HGDIOBJ oldSrc = SelectObject(src, bitmap);
    SetBkColor(src, 0);
    BitBlt(maskDc, 0, 0, w, h, src, 0, 0, SRCCOPY);
    BitBlt(dest, x, y, w, h, maskDc, 0, 0, SRCAND);
    BitBlt(dest, x, y, w, h, src, 0, 0, SRCPAINT);
    SelectObject(maskDc, oldMask);
    SelectObject(src, oldSrc);
    DeleteObject(mask);
    DeleteDC(maskDc);
    DeleteDC(src);
}

TEST(GdibDraw, TransparentCopyThroughMask) {
    // Source: a 3 x 2 bitmap; black pixels must leave the destination as it was.
    const COLORREF pixels[] = {RGB(0, 0, 0), RGB(1, 0, 0), RGB(200, 100, 50),
                               RGB(0, 0, 1), RGB(0, 0, 0), RGB(255, 255, 255)};
    Canvas sprite(3, 2);
    for (int i = 0; i < 6; ++i)
        SetPixel(sprite.dc, i % 3, i / 3, pixels[i]);
    Canvas dst(5, 4, RGB(10, 220, 30));
    SelectObject(sprite.dc, sprite.old);  // free the bitmap for the copy's own DC
    const std::size_t before = platform::LiveGraphicsObjects();
    TransparentCopy(dst.dc, 1, 1, sprite.bitmap, 3, 2);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) {
            const bool in = x >= 1 && x <= 3 && y >= 1 && y <= 2;
            const COLORREF p = in ? pixels[(y - 1) * 3 + (x - 1)] : 0;
            EXPECT_EQ(dst.At(x, y), in && p != 0 ? p : RGB(10, 220, 30)) << x << "," << y;
        }
    EXPECT_EQ(platform::LiveGraphicsObjects(), before);
    sprite.old = SelectObject(sprite.dc, sprite.bitmap);
}

TEST(GdibDraw, MonochromeConversionsUseTheDcColours) {
    Canvas colour(2, 1);
    SetPixel(colour.dc, 0, 0, kRed);
    SetPixel(colour.dc, 1, 0, kBlue);
    HDC mono = CreateCompatibleDC(nullptr);
    HBITMAP bits = CreateCompatibleBitmap(mono, 2, 1);  // monochrome, like the DC's default
    BITMAP bm{};
    ASSERT_EQ(GetObjectW(bits, sizeof bm, &bm), static_cast<int>(sizeof bm));
    EXPECT_EQ(bm.bmBitsPixel, 1);
    HGDIOBJ old = SelectObject(mono, bits);
    SetBkColor(colour.dc, kRed);  // red becomes 1, everything else 0
    ASSERT_TRUE(BitBlt(mono, 0, 0, 2, 1, colour.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(GetPixel(mono, 0, 0), kWhite);
    EXPECT_EQ(GetPixel(mono, 1, 0), 0u);
    Canvas out(2, 1);
    SetBkColor(out.dc, RGB(1, 2, 3));
    SetTextColor(out.dc, RGB(4, 5, 6));
    ASSERT_TRUE(BitBlt(out.dc, 0, 0, 2, 1, mono, 0, 0, SRCCOPY));
    EXPECT_EQ(out.At(0, 0), RGB(1, 2, 3));
    EXPECT_EQ(out.At(1, 0), RGB(4, 5, 6));
    SelectObject(mono, old);
    DeleteObject(bits);
    DeleteDC(mono);
}

TEST(GdibDraw, FocusRectTwiceRestoresAndFrameRectOutlines) {
    Canvas c(6, 5, RGB(12, 34, 56));
    const std::vector<COLORREF> before = c.All();
    const RECT r{0, 0, 6, 5};
    ASSERT_TRUE(DrawFocusRect(c.dc, &r));
    EXPECT_NE(c.All(), before);
    EXPECT_EQ(c.At(2, 2), RGB(12, 34, 56));  // inside untouched
    ASSERT_TRUE(DrawFocusRect(c.dc, &r));
    EXPECT_EQ(c.All(), before);

    HBRUSH brush = CreateSolidBrush(kRed);
    const RECT f{1, 1, 5, 4};
    ASSERT_TRUE(FrameRect(c.dc, &f, brush));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool edge = x >= 1 && x <= 4 && y >= 1 && y <= 3 && (x == 1 || x == 4 || y == 1 || y == 3);
            EXPECT_EQ(c.At(x, y), edge ? kRed : RGB(12, 34, 56)) << x << "," << y;
        }
    DeleteObject(brush);
}

TEST(GdibDraw, WindowDcClipsToItsRectanglesAndReportsDrawnBounds) {
    platform::gdi::Surface s;
    s.Resize(20, 10);
    // Logical (0, 0) at surface (2, 1); two disjoint visible pieces.
    HDC dc = platform::gdi::CreateWindowDC(&s, nullptr, POINT{2, 1}, {RECT{2, 1, 6, 5}, RECT{10, 1, 14, 5}});
    ASSERT_NE(dc, nullptr);
    const RECT none = platform::gdi::TakeDrawnBounds(dc);
    EXPECT_TRUE(none.right <= none.left);
    const RECT all{0, 0, 30, 30};
    ASSERT_TRUE(FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW)));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool in = y >= 1 && y < 5 && ((x >= 2 && x < 6) || (x >= 10 && x < 14));
            EXPECT_EQ(s.pixels[y * 20 + x], in ? 0xFFFFFFu : 0u) << x << "," << y;
        }
    const RECT drawn = platform::gdi::TakeDrawnBounds(dc);
    EXPECT_EQ(drawn.left, 2);
    EXPECT_EQ(drawn.top, 1);
    EXPECT_EQ(drawn.right, 14);
    EXPECT_EQ(drawn.bottom, 5);
    const RECT again = platform::gdi::TakeDrawnBounds(dc);
    EXPECT_TRUE(again.right <= again.left);
    // ETO_OPAQUE fills with the background colour, inside the clip only.
    SetBkColor(dc, RGB(0, 0, 255));
    const RECT r{0, 0, 6, 2};
    ASSERT_TRUE(ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, u"", 0, nullptr));
    EXPECT_EQ(s.pixels[1 * 20 + 2], 0x0000FFu);
    EXPECT_EQ(s.pixels[1 * 20 + 7], 0u);
    // Moved: the same DC now paints elsewhere.
    platform::gdi::SetWindowDCGeometry(dc, &s, POINT{0, 6}, {RECT{0, 6, 20, 10}});
    SetPixel(dc, 0, 0, kRed);
    EXPECT_EQ(s.pixels[6 * 20], 0xFF0000u);
    DeleteDC(dc);
}

TEST(GdibObjects, StockStaleAndWrongKindHandles) {
    const std::size_t before = platform::LiveGraphicsObjects();
    const int stock[] = {WHITE_BRUSH, BLACK_BRUSH, NULL_BRUSH,      BLACK_PEN,
                         NULL_PEN,    SYSTEM_FONT, DEFAULT_GUI_FONT};
    for (int i : stock) {
        HGDIOBJ o = GetStockObject(i);
        ASSERT_NE(o, nullptr);
        DeleteObject(o);
        EXPECT_NE(GetObjectType(o), 0u) << i;
    }
    HBRUSH sys = GetSysColorBrush(COLOR_BTNFACE);
    DeleteObject(sys);
    Canvas c(2, 2);
    const RECT whole{0, 0, 2, 2};
    EXPECT_TRUE(FillRect(c.dc, &whole, sys));
    EXPECT_EQ(c.At(1, 1), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(0xF0, 0xF0, 0xF0));

    HBRUSH brush = CreateSolidBrush(kRed);
    HGDIOBJ oldBrush = SelectObject(c.dc, brush);
    EXPECT_EQ(oldBrush, GetStockObject(WHITE_BRUSH));
    EXPECT_TRUE(DeleteObject(brush));  // while selected: the DC falls back to its default
    EXPECT_TRUE(Rectangle(c.dc, 0, 0, 2, 2));
    SetLastError(0);
    EXPECT_EQ(SelectObject(c.dc, brush), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    SetLastError(0);
    EXPECT_FALSE(DeleteObject(brush));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    SetLastError(0);
    EXPECT_EQ(SelectObject(reinterpret_cast<HDC>(GetStockObject(BLACK_PEN)), GetStockObject(WHITE_BRUSH)),
              nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    SetLastError(0);
    EXPECT_EQ(SetBkColor(reinterpret_cast<HDC>(c.bitmap), 0), CLR_INVALID);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    HFONT font = CreateFontW(-13, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Tahoma");
    LOGFONTW lf{};
    EXPECT_EQ(GetObjectW(font, 92, &lf), 92);
    EXPECT_EQ(lf.lfHeight, -13);
    EXPECT_EQ(std::u16string(lf.lfFaceName), u"Tahoma");
    HGDIOBJ oldFont = SelectObject(c.dc, font);
    EXPECT_EQ(GetCurrentObject(c.dc, OBJ_FONT), font);
    SelectObject(c.dc, oldFont);
    DeleteObject(font);
    SelectObject(c.dc, oldBrush);
    EXPECT_EQ(platform::LiveGraphicsObjects(), before + 2);  // the canvas' DC and bitmap
}

}  // namespace

namespace {

TEST(GdibDraw, LinesStopBeforeTheirEndPoint) {
    struct Case {
        POINT from, to;
        std::vector<POINT> lit;
    } cases[] = {
        {{0, 1}, {4, 1}, {{0, 1}, {1, 1}, {2, 1}, {3, 1}}},
        {{2, 4}, {2, 0}, {{2, 4}, {2, 3}, {2, 2}, {2, 1}}},
        {{0, 0}, {3, 3}, {{0, 0}, {1, 1}, {2, 2}}},
        {{1, 1}, {1, 1}, {}},
    };
    for (const Case& k : cases) {
        Canvas c(5, 5);
        HPEN pen = CreatePen(PS_SOLID, 1, kRed);
        HGDIOBJ old = SelectObject(c.dc, pen);
        MoveToEx(c.dc, k.from.x, k.from.y, nullptr);
        ASSERT_TRUE(LineTo(c.dc, k.to.x, k.to.y));
        POINT now{};
        MoveToEx(c.dc, 0, 0, &now);
        EXPECT_EQ(now.x, k.to.x);
        EXPECT_EQ(now.y, k.to.y);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 5; ++x) {
                bool lit = false;
                for (POINT p : k.lit)
                    lit = lit || (p.x == x && p.y == y);
                EXPECT_EQ(c.At(x, y), lit ? kRed : kWhite) << x << "," << y;
            }
        SelectObject(c.dc, old);
        DeleteObject(pen);
    }
}

}  // namespace
