// The Drawing primitives, checked pixel by pixel on an off-screen bitmap lent
// to the Drawing, and the promise that a Drawing leaves no graphics object
// alive.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "framework/drawing.h"
#include "platform/core/handles.h"
#include "tests/framework/fixture.h"
#include "tests/framework/pixels.h"

using fwtest::Canvas;
using TQUtility::Drawing;
using TQUtility::FontSpec;

namespace {

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kBlue = 0xFF0000;

class DrawingTest : public fwtest::ElementTest {};

// The filled box leaves out its last column and row (null pen); the frame is
// a 1-pixel outline with the inside untouched.
TEST_F(DrawingTest, FillAndFrameCoverExactlyTheirPixels) {
    Canvas c(20, 16, kWhite);
    fwtest::Probe* owner = Make<fwtest::Probe>();
    Drawing d(owner);
    d.Attach(c.dc);
    d.FillRectangle(2, 3, 6, 5, kRed);     // columns 2..6, rows 3..6
    d.FrameRectangle(10, 4, 7, 6, kBlue);  // columns 10 and 16, rows 4 and 9
    d.End();
    for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
            COLORREF want = kWhite;
            if (x >= 2 && x <= 6 && y >= 3 && y <= 6) want = kRed;
            bool onFrame = x >= 10 && x <= 16 && y >= 4 && y <= 9 && (x == 10 || x == 16 || y == 4 || y == 9);
            if (onFrame) want = kBlue;
            ASSERT_EQ(c.At(x, y), want) << "at " << x << "," << y;
        }
    }
}

// An idle Drawing draws nothing, and a null font has no height.
TEST_F(DrawingTest, IdleAndNullFont) {
    Canvas c(10, 10, kWhite);
    fwtest::Probe* owner = Make<fwtest::Probe>();
    FontSpec font("Arial", 16);
    Drawing d(owner);
    d.FillRectangle(0, 0, 10, 10, kRed);
    d.WriteText(TQUtility::AlignLeft, 0, 0, 10, 10, std::u16string(u"W"), kRed, &font);
    EXPECT_EQ(d.TextHeight(&font), -1);
    d.Attach(c.dc);
    EXPECT_EQ(d.TextHeight(nullptr), -1);
    EXPECT_GT(d.TextHeight(&font), 0);
    d.End();
    EXPECT_EQ(d.dc, nullptr);
    EXPECT_FALSE(d.lent);
    d.End();  // a second End does nothing
    EXPECT_EQ(c.InkBounds(kWhite).right, 0);
    // The lent device context stayed with its owner and still works.
    EXPECT_EQ(GetPixel(c.dc, 0, 0), kWhite);
}

// Text sits left, right or centred in its box, from the top of the box; with
// a zero width or height it starts at (x, y) whatever the alignment.
TEST_F(DrawingTest, WriteTextAlignment) {
    FontSpec font("Arial", 20);
    fwtest::Probe* owner = Make<fwtest::Probe>();
    struct Row {
        TQUtility::TextAlign align;
        int w, h;
        const char* name;
    };
    const Row rows[] = {
        {TQUtility::AlignLeft, 120, 40, "left"},      {TQUtility::AlignRight, 120, 40, "right"},
        {TQUtility::AlignCenter, 120, 40, "centre"},  {7, 120, 40, "unknown code: left"},
        {TQUtility::AlignRight, 0, 40, "point form"}, {TQUtility::AlignCenter, 120, 0, "point form"}};
    RECT left{};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Canvas c(200, 60, kWhite);
        Drawing d(owner);
        d.Attach(c.dc);
        d.WriteText(row.align, 40, 10, row.w, row.h, std::string("WW"), kRed, &font);
        d.End();
        RECT ink = c.InkBounds(kWhite);
        ASSERT_FALSE(Canvas::Empty(ink));
        EXPECT_GE(ink.top, 10);
        EXPECT_LT(ink.top, 10 + 20);
        const bool box = row.w != 0 && row.h != 0;
        if (row.align == TQUtility::AlignRight && box) {
            EXPECT_GE(ink.right, 160 - 3);
            EXPECT_LE(ink.right, 160);
        } else if (row.align == TQUtility::AlignCenter && box) {
            EXPECT_LE(std::abs((ink.left - 40) - (160 - ink.right)), 3);
        } else {
            EXPECT_GE(ink.left, 40);
            EXPECT_LE(ink.left, 40 + 3);
        }
        if (row.align == TQUtility::AlignLeft) left = ink;
        if (row.w == 0 || row.h == 0) {
            EXPECT_EQ(ink.left, left.left);  // exactly where left alignment puts it
        }
    }
}

// The point form is not clipped to a box; the box form is.
TEST_F(DrawingTest, PointFormIsUnclipped) {
    FontSpec font("Arial", 30);
    fwtest::Probe* owner = Make<fwtest::Probe>();
    Canvas boxed(200, 60, kWhite), point(200, 60, kWhite);
    Drawing a(owner);
    a.Attach(boxed.dc);
    a.WriteText(TQUtility::AlignLeft, 10, 10, 12, 40, std::u16string(u"WWWW"), kRed, &font);
    a.End();
    Drawing b(owner);
    b.Attach(point.dc);
    b.WriteText(TQUtility::AlignLeft, 10, 10, 0, 40, std::u16string(u"WWWW"), kRed, &font);
    b.End();
    EXPECT_LE(boxed.InkBounds(kWhite).right, 22);
    EXPECT_GT(point.InkBounds(kWhite).right, 60);
}

// At most 1023 characters are drawn. The text starts far left of the canvas,
// so that only its characters from index 1020 on fall inside: 1500 characters
// draw exactly what the first 1023 draw, and less than 1024 drawn directly.
TEST_F(DrawingTest, WriteTextCutsAt1023Characters) {
    std::u16string digits;
    while (digits.size() < 1500)
        digits += u"0123456789";
    digits.resize(1500);
    FontSpec font("Arial", 16);
    fwtest::Probe* owner = Make<fwtest::Probe>();
    Canvas probe(10, 10, kWhite);
    HGDIOBJ old = SelectObject(probe.dc, font.GetHandle());
    SIZE lead{};
    ASSERT_TRUE(GetTextExtentPoint32W(probe.dc, digits.c_str(), 1020, &lead));
    SelectObject(probe.dc, old);
    auto render = [&](const std::u16string& text) {
        Canvas c(120, 30, kWhite);
        Drawing d(owner);
        d.Attach(c.dc);
        d.WriteText(TQUtility::AlignLeft, 2 - lead.cx, 0, 0, 30, text, 0, &font);
        d.End();
        return c.All();
    };
    const auto full = render(digits);
    const auto cut = render(digits.substr(0, 1023));
    EXPECT_NE(cut, render(digits.substr(0, 1020)));  // characters 1020..1022 are in view
    EXPECT_EQ(full, cut);
    // Drawn without the cut, the 1024th character is in view as well.
    Canvas direct(120, 30, kWhite);
    SetBkMode(direct.dc, TRANSPARENT);
    SetTextColor(direct.dc, 0);
    HGDIOBJ previous = SelectObject(direct.dc, font.GetHandle());
    TextOutW(direct.dc, 2 - lead.cx, 0, digits.c_str(), 1024);
    SelectObject(direct.dc, previous);
    EXPECT_NE(full, direct.All());
}

// Blit copies the chosen source rectangle exactly; BlitTransparent keeps the
// destination wherever the source is pure black and copies everything else.
TEST_F(DrawingTest, BlitAndTransparentBlit) {
    fwtest::Probe* owner = Make<fwtest::Probe>();
    auto pattern = [](int x, int y) -> COLORREF { return RGB(10 + x * 7, 20 + y * 11, 200); };
    auto mixed = [](int x, int y) -> COLORREF { return ((x + y) % 3 == 0) ? 0 : RGB(x * 9, y * 13, 1); };
    auto black = [](int, int) -> COLORREF { return 0; };
    HBITMAP noBlack = fwtest::MakeBitmap(24, 20, pattern);
    HBITMAP someBlack = fwtest::MakeBitmap(24, 20, mixed);
    HBITMAP allBlack = fwtest::MakeBitmap(24, 20, black);
    struct Row {
        const char* name;
        HBITMAP source;
        bool transparent;
        COLORREF (*expected)(int sx, int sy, COLORREF destination);
    };
    const Row rows[] = {
        {"blit", noBlack, false,
         [](int sx, int sy, COLORREF) { return RGB(10 + sx * 7, 20 + sy * 11, 200); }},
        {"transparent, no black", noBlack, true,
         [](int sx, int sy, COLORREF) { return RGB(10 + sx * 7, 20 + sy * 11, 200); }},
        {"transparent, all black", allBlack, true, [](int, int, COLORREF dst) { return dst; }},
        {"transparent, some black", someBlack, true,
         [](int sx, int sy, COLORREF dst) { return ((sx + sy) % 3 == 0) ? dst : RGB(sx * 9, sy * 13, 1); }},
        {"blit of black", someBlack, false,
         [](int sx, int sy, COLORREF) { return ((sx + sy) % 3 == 0) ? 0 : RGB(sx * 9, sy * 13, 1); }},
    };
    const std::size_t live = platform::LiveGraphicsObjects();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Canvas c(30, 30, kBlue);
        Drawing d(owner);
        d.Attach(c.dc);
        if (row.transparent) {
            d.BlitTransparent(3, 4, 10, 8, row.source, 5, 6);
        } else {
            d.Blit(3, 4, 10, 8, row.source, 5, 6);
        }
        d.End();
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                bool inside = x >= 3 && x < 13 && y >= 4 && y < 12;
                COLORREF want = inside ? row.expected(x - 3 + 5, y - 4 + 6, kBlue) : kBlue;
                ASSERT_EQ(c.At(x, y), want) << "at " << x << "," << y;
            }
        }
    }
    // Each primitive released its memory DCs and mask (the canvases are gone too).
    EXPECT_EQ(platform::LiveGraphicsObjects(), live);
    DeleteObject(noBlack);
    DeleteObject(someBlack);
    DeleteObject(allBlack);
}

// A sequence of every primitive leaves the count of graphics objects as it was.
TEST_F(DrawingTest, PrimitivesLeaveNoObjectsAlive) {
    fwtest::Probe* owner = Make<fwtest::Probe>();
    FontSpec font("Arial", 14);
    font.GetHandle();
    HBITMAP sheet = fwtest::MakeBitmap(8, 8, [](int x, int) -> COLORREF { return x % 2 ? 0 : 0x123456; });
    Canvas c(40, 40, kWhite);
    const std::size_t live = platform::LiveGraphicsObjects();
    {
        Drawing d(owner);
        d.Attach(c.dc);
        d.FillRectangle(0, 0, 10, 10, kRed);
        d.FrameRectangle(0, 0, 10, 10, kBlue);
        d.WriteText(TQUtility::AlignCenter, 0, 0, 40, 20, std::string("ab"), kRed, &font);
        d.TextHeight(&font);
        d.Blit(0, 0, 8, 8, sheet, 0, 0);
        d.BlitTransparent(8, 8, 8, 8, sheet, 0, 0);
    }  // the destructor ends the Drawing
    EXPECT_EQ(platform::LiveGraphicsObjects(), live);
    DeleteObject(sheet);
}

}  // namespace
