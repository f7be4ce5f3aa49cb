// Graphics primitives checked pixel by pixel on memory DCs over 32-bit
// bitmaps and on window DCs over surfaces made here.
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/core/handles.h"
#include "platform/gdi/fontface.h"
#include "platform/gdi/surface.h"
#include "platform/resources.h"
#include "platform/winapi.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// A memory DC over a colour bitmap, filled with one colour.
struct Canvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    int w, h;
    Canvas(int width, int height, COLORREF fill = kWhite) : w(width), h(height) {
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateBitmap(width, height, 1, 32, nullptr);
        previous = SelectObject(dc, bitmap);
        HBRUSH b = CreateSolidBrush(fill);
        RECT r{0, 0, width, height};
        FillRect(dc, &r, b);
        DeleteObject(b);
    }
    ~Canvas() {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }
    int Count(COLORREF c) const {
        int n = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                n += At(x, y) == c;
        return n;
    }
    int CountNot(COLORREF c) const { return w * h - Count(c); }
    // Leftmost and rightmost columns holding a pixel other than `bg`.
    std::pair<int, int> InkColumns(COLORREF bg) const {
        int lo = -1, hi = -1;
        for (int x = 0; x < w; ++x)
            for (int y = 0; y < h; ++y)
                if (At(x, y) != bg) {
                    if (lo < 0) lo = x;
                    hi = x;
                }
        return {lo, hi};
    }
    std::pair<int, int> InkRows(COLORREF bg) const {
        int lo = -1, hi = -1;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (At(x, y) != bg) {
                    if (lo < 0) lo = y;
                    hi = y;
                }
        return {lo, hi};
    }
};

HFONT Font(int height, const char16_t* face, int weight = FW_NORMAL, bool italic = false,
           bool underline = false) {
    return CreateFontW(height, 0, 0, 0, weight, italic, underline, 0, DEFAULT_CHARSET, OUT_OUTLINE_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, 0, face);
}

// Rectangle with the null pen fills without its last column and row; a one-
// pixel pen outlines x, x + w - 1, y, y + h - 1 and fills the inside; the
// null brush leaves the inside alone.
TEST(Gdi, RectangleFillAndOutlineArePixelExact) {
    struct Case {
        bool nullPen;
        bool nullBrush;
    } cases[] = {{true, false}, {false, false}, {false, true}};
    for (const Case& c : cases) {
        Canvas cv(20, 20, kWhite);
        HPEN pen = c.nullPen ? CreatePen(PS_NULL, 1, 0) : CreatePen(PS_SOLID, 1, kRed);
        HBRUSH brush =
            c.nullBrush ? static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)) : CreateSolidBrush(kBlue);
        HGDIOBJ op = SelectObject(cv.dc, pen), ob = SelectObject(cv.dc, brush);
        ASSERT_TRUE(Rectangle(cv.dc, 3, 4, 3 + 10, 4 + 8));
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x) {
                COLORREF want = kWhite;
                const bool inBox = x >= 3 && x <= 12 && y >= 4 && y <= 11;
                if (c.nullPen) {
                    if (x >= 3 && x <= 11 && y >= 4 && y <= 10) want = kBlue;
                } else if (inBox) {
                    const bool edge = x == 3 || x == 12 || y == 4 || y == 11;
                    want = edge ? kRed : (c.nullBrush ? kWhite : kBlue);
                }
                ASSERT_EQ(cv.At(x, y), want)
                    << "pen null " << c.nullPen << " brush null " << c.nullBrush << " at " << x << "," << y;
            }
        SelectObject(cv.dc, op);
        SelectObject(cv.dc, ob);
        DeleteObject(pen);
        DeleteObject(brush);
    }
}

// Zero and negative sizes draw nothing; drawing past the bitmap is clipped.
TEST(Gdi, EmptyAndOutsideDrawingIsSafe) {
    Canvas cv(10, 10, kWhite);
    HBRUSH b = CreateSolidBrush(kRed);
    RECT empty{5, 5, 5, 9}, inverted{8, 8, 2, 2}, huge{-100000, -5, 100000, 3};
    FillRect(cv.dc, &empty, b);
    FillRect(cv.dc, &inverted, b);
    EXPECT_EQ(cv.Count(kWhite), 100);
    FillRect(cv.dc, &huge, b);
    EXPECT_EQ(cv.Count(kRed), 30);
    EXPECT_EQ(SetPixel(cv.dc, 50, 50, kBlue), CLR_INVALID);
    EXPECT_EQ(GetPixel(cv.dc, -1, 0), CLR_INVALID);
    Canvas src(4, 4, kBlue);
    EXPECT_TRUE(BitBlt(cv.dc, 8, 8, 100, 100, src.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(cv.At(9, 9), kBlue);
    // A source block starting outside its bitmap copies only what exists.
    Canvas dst(6, 6, kWhite);
    EXPECT_TRUE(BitBlt(dst.dc, 0, 0, 6, 6, src.dc, -2, -2, SRCCOPY));
    EXPECT_EQ(dst.At(1, 1), kWhite);
    EXPECT_EQ(dst.At(2, 2), kBlue);
    EXPECT_EQ(dst.Count(kBlue), 16);
    EXPECT_TRUE(BitBlt(cv.dc, 0, 0, 0, -4, src.dc, 0, 0, SRCCOPY));
    DeleteObject(b);
}

// Every raster operation the program uses, on one destination/source pair.
TEST(Gdi, BitBltRasterOperations) {
    const COLORREF d = RGB(0x0F, 0xF0, 0x33), s = RGB(0x55, 0x0F, 0xF0), p = RGB(0x81, 0x42, 0x24);
    struct Case {
        DWORD rop;
        COLORREF want;
    } cases[] = {
        {SRCCOPY, s},
        {SRCAND, s & d},
        {SRCPAINT, s | d},
        {SRCINVERT, s ^ d},
        {NOTSRCCOPY, ~s & 0xFFFFFF},
        {PATCOPY, p},
        {BLACKNESS, 0},
        {WHITENESS, 0xFFFFFF},
        {DSTINVERT, ~d & 0xFFFFFF},
    };
    Canvas src(3, 3, s);
    for (const Case& c : cases) {
        Canvas dst(5, 5, d);
        HBRUSH brush = CreateSolidBrush(p);
        HGDIOBJ old = SelectObject(dst.dc, brush);
        ASSERT_TRUE(BitBlt(dst.dc, 1, 1, 3, 3, src.dc, 0, 0, c.rop));
        EXPECT_EQ(dst.At(2, 2), c.want) << std::hex << "rop " << c.rop;
        EXPECT_EQ(dst.At(0, 0), d) << std::hex << "rop " << c.rop << " wrote outside";
        EXPECT_EQ(dst.At(4, 4), d) << std::hex << "rop " << c.rop << " wrote outside";
        SelectObject(dst.dc, old);
        DeleteObject(brush);
    }
}

// The transparent copy through a mask: black source pixels keep the
// destination exactly, every other source pixel is copied exactly.
TEST(Gdi, TransparentCopyThroughMask) {
    auto transparent = [](Canvas& dst, HBITMAP bitmap, int w, int h) {
        HDC src = CreateCompatibleDC(dst.dc), maskDc = CreateCompatibleDC(dst.dc);
        BITMAP bm{};
        ASSERT_EQ(GetObjectW(bitmap, sizeof(bm), &bm), static_cast<int>(sizeof(bm)));
        HBITMAP mask = CreateBitmap(bm.bmWidth, bm.bmHeight, 1, 1, nullptr);
        HGDIOBJ om = SelectObject(maskDc, mask), os = SelectObject(src, bitmap);
        SetBkColor(src, 0);
        BitBlt(maskDc, 0, 0, bm.bmWidth, bm.bmHeight, src, 0, 0, SRCCOPY);
        BitBlt(dst.dc, 0, 0, w, h, maskDc, 0, 0, SRCAND);
        BitBlt(dst.dc, 0, 0, w, h, src, 0, 0, SRCPAINT);
        SelectObject(maskDc, om);
        SelectObject(src, os);
        DeleteObject(mask);
        DeleteDC(maskDc);
        DeleteDC(src);
    };
    const COLORREF under = RGB(12, 200, 77);
    {
        Canvas sprite(6, 4, kBlack);
        SelectObject(sprite.dc, sprite.previous);  // free the bitmap for the copy
        Canvas dst(6, 4, under);
        transparent(dst, sprite.bitmap, 6, 4);
        EXPECT_EQ(dst.Count(under), 24);
        sprite.previous = SelectObject(sprite.dc, sprite.bitmap);
    }
    {
        Canvas sprite(6, 4, RGB(1, 2, 3));
        SetPixel(sprite.dc, 2, 1, RGB(250, 10, 1));
        SetPixel(sprite.dc, 5, 3, kBlack);  // the one transparent pixel
        SelectObject(sprite.dc, sprite.previous);
        Canvas dst(6, 4, under);
        transparent(dst, sprite.bitmap, 6, 4);
        EXPECT_EQ(dst.At(0, 0), RGB(1, 2, 3));
        EXPECT_EQ(dst.At(2, 1), RGB(250, 10, 1));
        EXPECT_EQ(dst.At(5, 3), under);
        EXPECT_EQ(dst.Count(RGB(1, 2, 3)), 22);
        sprite.previous = SelectObject(sprite.dc, sprite.bitmap);
    }
}

// Drawing a focus outline twice restores every pixel; once it changes only
// outline pixels.
TEST(Gdi, FocusRectIsItsOwnInverse) {
    Canvas cv(12, 10, RGB(40, 80, 120));
    RECT r{2, 2, 10, 8};
    DrawFocusRect(cv.dc, &r);
    const int changed = cv.CountNot(RGB(40, 80, 120));
    EXPECT_GT(changed, 0);
    EXPECT_LT(changed, 2 * (8 + 6));
    EXPECT_EQ(cv.At(5, 5), RGB(40, 80, 120));
    DrawFocusRect(cv.dc, &r);
    EXPECT_EQ(cv.Count(RGB(40, 80, 120)), 120);
}

// A window DC writes only inside its clip rectangles, offset by its origin,
// and reports the union of what it drew.
TEST(Gdi, WindowDcClipsAndReportsDrawnBounds) {
    platform::gdi::Surface s;
    s.Resize(40, 30);
    HDC dc =
        platform::gdi::CreateWindowDC(&s, nullptr, POINT{5, 5}, {RECT{5, 5, 15, 15}, RECT{20, 5, 25, 10}});
    ASSERT_NE(dc, nullptr);
    HBRUSH b = CreateSolidBrush(kRed);
    RECT all{-10, -10, 100, 100};
    FillRect(dc, &all, b);
    int red = 0;
    for (auto p : s.pixels)
        red += p == platform::gdi::ToPixel(kRed);
    EXPECT_EQ(red, 100 + 25);
    EXPECT_EQ(s.pixels[7 * 40 + 7], platform::gdi::ToPixel(kRed));
    EXPECT_EQ(s.pixels[7 * 40 + 17], 0u);
    RECT drawn = platform::gdi::TakeDrawnBounds(dc);
    EXPECT_EQ(drawn.left, 5);
    EXPECT_EQ(drawn.top, 5);
    EXPECT_EQ(drawn.right, 25);
    EXPECT_EQ(drawn.bottom, 15);
    drawn = platform::gdi::TakeDrawnBounds(dc);
    EXPECT_EQ(drawn.right - drawn.left, 0);
    platform::gdi::SetWindowDCGeometry(dc, &s, POINT{0, 0}, {RECT{0, 20, 40, 30}});
    SetPixel(dc, 1, 1, kBlue);
    EXPECT_EQ(s.pixels[1 * 40 + 1], 0u);
    SetPixel(dc, 1, 21, kBlue);
    EXPECT_EQ(s.pixels[21 * 40 + 1], platform::gdi::ToPixel(kBlue));
    DeleteObject(b);
    DeleteDC(dc);
}

// A positive font height is the cell height the metrics report, for every
// face the program names.
TEST(Gdi, PositiveHeightIsCellHeight) {
    Canvas cv(4, 4);
    for (const char16_t* face : {u"Arial", u"Tahoma", u"Lucida Console", u"System"}) {
        for (int height : {14, 22, 37}) {
            HFONT f = Font(height, face);
            HGDIOBJ old = SelectObject(cv.dc, f);
            TEXTMETRICW tm{};
            ASSERT_TRUE(GetTextMetricsW(cv.dc, &tm));
            EXPECT_EQ(tm.tmHeight, height) << std::u16string(face).size() << " chars face, height " << height;
            EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
            SelectObject(cv.dc, old);
            DeleteObject(f);
        }
    }
    HFONT em = Font(-20, u"Arial");
    HGDIOBJ old = SelectObject(cv.dc, em);
    TEXTMETRICW tm{};
    GetTextMetricsW(cv.dc, &tm);
    EXPECT_GT(tm.tmHeight, 20);
    EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 20);
    SelectObject(cv.dc, old);
    DeleteObject(em);
    HFONT def = Font(0, u"Arial");
    old = SelectObject(cv.dc, def);
    GetTextMetricsW(cv.dc, &tm);
    EXPECT_EQ(tm.tmHeight, 16);
    SelectObject(cv.dc, old);
    DeleteObject(def);
}

// Lucida Console is monospaced; Arial is not; bold is wider and darker.
TEST(Gdi, FaceSubstitutionAndStyles) {
    Canvas cv(4, 4);
    auto width = [&](HFONT f, const char16_t* text) {
        HGDIOBJ old = SelectObject(cv.dc, f);
        SIZE sz{};
        GetTextExtentPoint32W(cv.dc, text, static_cast<int>(std::u16string(text).size()), &sz);
        SelectObject(cv.dc, old);
        return sz.cx;
    };
    HFONT mono = Font(16, u"Lucida Console"), arial = Font(16, u"Arial");
    EXPECT_EQ(width(mono, u"iii"), width(mono, u"WWW"));
    EXPECT_LT(width(arial, u"iii"), width(arial, u"WWW"));
    DeleteObject(mono);
    DeleteObject(arial);

    auto ink = [](HFONT f) {
        Canvas c(120, 40, kWhite);
        HGDIOBJ old = SelectObject(c.dc, f);
        SetBkMode(c.dc, TRANSPARENT);
        TextOutW(c.dc, 2, 2, u"Abc 123", 7);
        SelectObject(c.dc, old);
        return c.CountNot(kWhite);
    };
    HFONT regular = Font(22, u"Arial"), bold = Font(22, u"Arial", FW_BOLD);
    EXPECT_GT(ink(bold), ink(regular) * 11 / 10);
    HFONT unknown = Font(22, u"No Such Face Anywhere");
    EXPECT_GT(ink(unknown), 20);
    HFONT underlined = Font(22, u"Arial", FW_NORMAL, false, true);
    EXPECT_GT(ink(underlined), ink(regular));
    for (HFONT f : {regular, bold, unknown, underlined})
        DeleteObject(f);
}

// The faces of the substitution table open their font files without asking
// fontconfig; they must be the very files fontconfig would choose, in every
// style, with the same fixed pitch. Fontconfig is asked here as the oracle.
TEST(Gdi, KnownFacesOpenTheFilesFontconfigChooses) {
    ASSERT_EQ(FcInit(), FcTrue);
    auto fontconfigFile = [](const std::string& family, bool bold, bool italic) {
        FcPattern* p = FcPatternCreate();
        FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        FcPatternAddInteger(p, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(p, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        FcPatternAddBool(p, FC_SCALABLE, FcTrue);
        FcConfigSubstitute(nullptr, p, FcMatchPattern);
        FcDefaultSubstitute(p);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(nullptr, p, &result);
        std::string file;
        FcChar8* path = nullptr;
        if (match && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch)
            file = reinterpret_cast<const char*>(path);
        if (match) FcPatternDestroy(match);
        FcPatternDestroy(p);
        return file;
    };
    const struct {
        const char16_t* face;
        const char* family;
        bool fixedPitch;
    } cases[] = {
        {u"Arial", "Liberation Sans", false},          {u"Times New Roman", "Liberation Serif", false},
        {u"Courier New", "Liberation Mono", true},     {u"Tahoma", "DejaVu Sans", false},
        {u"Lucida Console", "DejaVu Sans Mono", true},
    };
    for (const auto& c : cases) {
        for (int style = 0; style < 4; ++style) {
            const bool bold = style & 1, italic = style & 2;
            LOGFONTW lf{};
            lf.lfHeight = -13;
            lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
            lf.lfItalic = italic;
            std::u16string(c.face).copy(lf.lfFaceName, LF_FACESIZE - 1);
            const platform::gdi::FontInstance* in = platform::gdi::ResolveFont(lf);
            SCOPED_TRACE(std::string(c.family) + (bold ? " bold" : "") + (italic ? " italic" : ""));
            ASSERT_TRUE(in->hasFace);
            EXPECT_EQ(in->file, fontconfigFile(c.family, bold, italic));
            EXPECT_EQ(in->metrics.fixedPitch, c.fixedPitch);
        }
    }
}

// Text is blended in the text colour; TRANSPARENT keeps the background,
// OPAQUE fills the cell; ETO_OPAQUE fills the rectangle.
TEST(Gdi, TextOutAndBackgroundModes) {
    HFONT f = Font(20, u"Tahoma");
    {
        Canvas cv(80, 40, kWhite);
        SelectObject(cv.dc, f);
        SetTextColor(cv.dc, kRed);
        SetBkMode(cv.dc, TRANSPARENT);
        ASSERT_TRUE(TextOutW(cv.dc, 10, 5, u"88", 2));
        EXPECT_GT(cv.Count(kRed), 10);
        auto [x0, x1] = cv.InkColumns(kWhite);
        auto [y0, y1] = cv.InkRows(kWhite);
        EXPECT_GE(x0, 10);
        EXPECT_GE(y0, 5);
        EXPECT_LT(y1, 25);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 80; ++x) {
                const COLORREF c = cv.At(x, y);
                ASSERT_TRUE(GetGValue(c) == GetBValue(c) && GetRValue(c) == 255) << x << "," << y;
            }
        SelectObject(cv.dc, GetStockObject(SYSTEM_FONT));
    }
    {
        Canvas cv(80, 40, kWhite);
        SelectObject(cv.dc, f);
        SetBkColor(cv.dc, kBlue);
        SetBkMode(cv.dc, OPAQUE);
        SIZE sz{};
        GetTextExtentPoint32W(cv.dc, u"88", 2, &sz);
        TextOutW(cv.dc, 10, 5, u"88", 2);
        EXPECT_EQ(cv.At(10, 5), kBlue);
        EXPECT_EQ(cv.At(10 + sz.cx - 1, 5 + 19), kBlue);
        EXPECT_EQ(cv.At(10 + sz.cx, 5), kWhite);
        RECT r{0, 30, 80, 40};
        ExtTextOutW(cv.dc, 0, 30, ETO_OPAQUE, &r, u"", 0, nullptr);
        EXPECT_EQ(cv.Count(kBlue) >= 800, true);
        EXPECT_EQ(cv.At(79, 39), kBlue);
        SelectObject(cv.dc, GetStockObject(SYSTEM_FONT));
    }
    DeleteObject(f);
}

// DrawTextW places a line left, centred or right in its box, breaks lines at
// explicit breaks only, centres vertically for single lines and clips to the
// box.
TEST(Gdi, DrawTextAlignmentAndLines) {
    HFONT f = Font(16, u"Arial");
    struct Case {
        UINT format;
        const char16_t* text;
        int wantLines;
    } cases[] = {{DT_LEFT, u"Wide", 1},
                 {DT_CENTER, u"Wide", 1},
                 {DT_RIGHT, u"Wide", 1},
                 {DT_LEFT, u"a\nb\r\nc", 3},
                 {DT_SINGLELINE | DT_VCENTER | DT_CENTER, u"Mid", 1}};
    for (const Case& c : cases) {
        Canvas cv(100, 60, kWhite);
        SelectObject(cv.dc, f);
        SetBkMode(cv.dc, TRANSPARENT);
        RECT box{10, 0, 90, 60};
        const int h = DrawTextW(cv.dc, c.text, -1, &box, c.format);
        auto [x0, x1] = cv.InkColumns(kWhite);
        auto [y0, y1] = cv.InkRows(kWhite);
        ASSERT_GE(x0, 10);
        ASSERT_LE(x1, 89);
        const int left = x0 - 10, right = 89 - x1;
        if (c.format & DT_CENTER) {
            EXPECT_NEAR(left, right, 3) << "centred";
        } else if (c.format & DT_RIGHT) {
            EXPECT_LT(right, 3);
            EXPECT_GT(left, 30);
        } else {
            EXPECT_LT(left, 3);
        }
        if (c.format & DT_VCENTER) {
            EXPECT_NEAR(y0, 59 - y1, 6) << "vertically centred";
            EXPECT_EQ(h, 22 + 16);
        } else {
            EXPECT_EQ(h, 16 * c.wantLines);
            EXPECT_GT(y1, 16 * (c.wantLines - 1));
            EXPECT_LT(y1, 16 * c.wantLines);
        }
        SelectObject(cv.dc, GetStockObject(SYSTEM_FONT));
    }
    {
        Canvas cv(100, 40, kWhite);
        SelectObject(cv.dc, f);
        RECT box{0, 0, 20, 10};
        DrawTextW(cv.dc, u"WWWWWWWW", -1, &box, DT_LEFT);
        auto [x0, x1] = cv.InkColumns(kWhite);
        auto [y0, y1] = cv.InkRows(kWhite);
        EXPECT_LE(x1, 19);
        EXPECT_LE(y1, 9);
        RECT calc{0, 0, 0, 0};
        // Word breaks split only at spaces, and only with DT_WORDBREAK.
        RECT narrow{0, 0, 30, 0};
        EXPECT_EQ(DrawTextW(cv.dc, u"aa bb cc", -1, &narrow, DT_CALCRECT | DT_WORDBREAK), 48);
        RECT wide{0, 0, 30, 0};
        EXPECT_EQ(DrawTextW(cv.dc, u"aa bb cc", -1, &wide, DT_CALCRECT), 16);
        EXPECT_EQ(DrawTextW(cv.dc, u"a\nbb", -1, &calc, DT_CALCRECT), 32);
        EXPECT_EQ(calc.bottom, 32);
        EXPECT_GT(calc.right, 0);
        SelectObject(cv.dc, GetStockObject(SYSTEM_FONT));
    }
    DeleteObject(f);
}

// '&' marks an access key: not drawn, next character underlined; "&&" is one
// '&'; DT_NOPREFIX draws it as it is.
TEST(Gdi, DrawTextPrefixes) {
    HFONT f = Font(20, u"Arial");
    Canvas cv(4, 4);
    SelectObject(cv.dc, f);
    auto calcWidth = [&](const char16_t* text, UINT format) {
        RECT r{0, 0, 0, 0};
        DrawTextW(cv.dc, text, -1, &r, format | DT_CALCRECT);
        return r.right;
    };
    SIZE one{}, amp{};
    GetTextExtentPoint32W(cv.dc, u"File", 4, &one);
    GetTextExtentPoint32W(cv.dc, u"&File", 5, &amp);
    EXPECT_EQ(calcWidth(u"&File", 0), one.cx);
    EXPECT_EQ(calcWidth(u"&&File", 0), amp.cx);
    EXPECT_EQ(calcWidth(u"&File", DT_NOPREFIX), amp.cx);
    auto rows = [&](const char16_t* text) {
        Canvas c(80, 30, kWhite);
        SelectObject(c.dc, f);
        RECT r{0, 0, 80, 30};
        DrawTextW(c.dc, text, -1, &r, DT_LEFT);
        SelectObject(c.dc, GetStockObject(SYSTEM_FONT));
        return c.InkRows(kWhite).second;
    };
    EXPECT_GT(rows(u"&ace"), rows(u"ace"));  // the underline sits below the letters
    SelectObject(cv.dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(f);
}

// A very long text neither crashes nor takes unbounded time.
TEST(Gdi, HugeDrawTextIsBounded) {
    Canvas cv(200, 100);
    std::u16string text(100000, u'x');
    for (std::size_t i = 0; i < text.size(); i += 97)
        text[i] = u' ';
    for (std::size_t i = 0; i < text.size(); i += 1013)
        text[i] = u'\n';
    const auto start = std::chrono::steady_clock::now();
    RECT r{0, 0, 200, 100};
    EXPECT_GT(DrawTextW(cv.dc, text.c_str(), static_cast<int>(text.size()), &r, DT_WORDBREAK), 0);
    DrawTextW(cv.dc, text.c_str(), -1, &r, DT_SINGLELINE);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// Stock objects survive DeleteObject; stale and wrong-kind handles fail with
// ERROR_INVALID_HANDLE; deleting a selected object leaves the DC usable.
TEST(Gdi, HandlesStockAndStale) {
    for (int index :
         {WHITE_BRUSH, BLACK_BRUSH, NULL_BRUSH, BLACK_PEN, NULL_PEN, SYSTEM_FONT, DEFAULT_GUI_FONT}) {
        HGDIOBJ o = GetStockObject(index);
        ASSERT_NE(o, nullptr);
        DeleteObject(o);
        EXPECT_NE(GetObjectType(o), 0u) << "stock " << index;
    }
    HBRUSH sys = GetSysColorBrush(COLOR_BTNFACE);
    DeleteObject(sys);
    EXPECT_EQ(GetObjectType(sys), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(0xF0, 0xF0, 0xF0));

    Canvas cv(4, 4, kWhite);
    HBRUSH gone = CreateSolidBrush(kRed);
    ASSERT_TRUE(DeleteObject(gone));
    SetLastError(0);
    EXPECT_EQ(SelectObject(cv.dc, gone), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    SetLastError(0);
    RECT r{0, 0, 2, 2};
    EXPECT_EQ(FillRect(cv.dc, &r, gone), 0);
    EXPECT_EQ(cv.Count(kWhite), 16);
    SetLastError(0);
    EXPECT_EQ(SetBkColor(reinterpret_cast<HDC>(gone), 0), CLR_INVALID);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    SetLastError(0);
    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    EXPECT_FALSE(Rectangle(reinterpret_cast<HDC>(pen), 0, 0, 2, 2));  // a pen is not a DC
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    // A selected brush deleted: the DC falls back to its white default brush.
    HBRUSH blue = CreateSolidBrush(kBlue);
    SelectObject(cv.dc, blue);
    SelectObject(cv.dc, GetStockObject(NULL_PEN));
    DeleteObject(blue);
    Canvas probe(1, 1);
    HBRUSH red = CreateSolidBrush(kRed);
    RECT all{0, 0, 4, 4};
    FillRect(cv.dc, &all, red);
    EXPECT_TRUE(Rectangle(cv.dc, 0, 0, 3, 3));
    EXPECT_EQ(cv.At(0, 0), kWhite);
    EXPECT_EQ(GetCurrentObject(cv.dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
    DeleteObject(red);
    DeleteObject(pen);
}

// A run of creating, selecting and deleting objects leaves none alive.
TEST(Gdi, NothingLeaks) {
    const std::size_t before = platform::LiveGraphicsObjects();
    for (int i = 0; i < 20; ++i) {
        Canvas cv(8, 8);
        HPEN pen = CreatePen(PS_SOLID, 2, kRed);
        HBRUSH brush = CreateSolidBrush(kBlue);
        HFONT font = Font(14, u"Tahoma");
        HGDIOBJ op = SelectObject(cv.dc, pen), ob = SelectObject(cv.dc, brush),
                of = SelectObject(cv.dc, font);
        Rectangle(cv.dc, 0, 0, 8, 8);
        TextOutW(cv.dc, 0, 0, u"1", 1);
        HBITMAP extra = CreateCompatibleBitmap(cv.dc, 3, 3);
        SelectObject(cv.dc, op);
        SelectObject(cv.dc, ob);
        SelectObject(cv.dc, of);
        DeleteObject(pen);
        DeleteObject(brush);
        DeleteObject(font);
        DeleteObject(extra);
    }
    EXPECT_EQ(platform::LiveGraphicsObjects(), before);
}

// Memory DCs start with a 1 x 1 monochrome bitmap; colour to monochrome maps
// the source background colour to white; monochrome to colour uses the
// destination's background (1) and text (0) colours.
TEST(Gdi, MonochromeConversions) {
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAP bm{};
    GetObjectW(GetCurrentObject(dc, OBJ_BITMAP), sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, 1);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    DeleteDC(dc);

    const unsigned char bits[] = {0xA0, 0x00};  // 1 0 1 0
    HBITMAP mono = CreateBitmap(4, 1, 1, 1, bits);
    HDC mdc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(mdc, mono);
    Canvas dst(4, 1, kBlack);
    SetBkColor(dst.dc, kRed);
    SetTextColor(dst.dc, kBlue);
    BitBlt(dst.dc, 0, 0, 4, 1, mdc, 0, 0, SRCCOPY);
    EXPECT_EQ(dst.At(0, 0), kRed);
    EXPECT_EQ(dst.At(1, 0), kBlue);
    EXPECT_EQ(dst.At(2, 0), kRed);
    SelectObject(mdc, old);
    DeleteObject(mono);
    DeleteDC(mdc);
}

// Fixture resources written here: a 3 x 2 24-bit BMP (bottom-up) and an ICO
// with a 16 x 16 and a 32 x 32 image.
std::vector<unsigned char> Le(std::initializer_list<std::pair<std::uint32_t, int>> fields) {
    std::vector<unsigned char> out;
    for (auto [v, n] : fields)
        for (int i = 0; i < n; ++i)
            out.push_back(static_cast<unsigned char>(v >> (8 * i)));
    return out;
}

std::vector<unsigned char> InfoHeader(int w, int h, int bpp) {
    return Le({{40, 4},
               {static_cast<std::uint32_t>(w), 4},
               {static_cast<std::uint32_t>(h), 4},
               {1, 2},
               {static_cast<std::uint32_t>(bpp), 2},
               {0, 4},
               {0, 4},
               {0, 4},
               {0, 4},
               {0, 4},
               {0, 4}});
}

TEST(Gdi, LoadsBitmapAndIconResources) {
    static std::vector<unsigned char> bmp = Le({{'B' | ('M' << 8), 2}, {0, 4}, {0, 4}, {54, 4}});
    auto info = InfoHeader(3, 2, 24);
    bmp.insert(bmp.end(), info.begin(), info.end());
    // Bottom row first: blue green red, then white black (10,20,30); 3 pad bytes each.
    const unsigned char rows[] = {255, 0,   0,   0, 255, 0, 0,  0,  255, 0, 0, 0,
                                  255, 255, 255, 0, 0,   0, 30, 20, 10,  0, 0, 0};
    bmp.insert(bmp.end(), rows, rows + sizeof(rows));

    auto iconImage = [](int size, std::uint32_t bgr) {
        auto img = InfoHeader(size, size * 2, 24);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                img.push_back(bgr & 0xFF), img.push_back((bgr >> 8) & 0xFF),
                    img.push_back((bgr >> 16) & 0xFF);
            }
        const int maskStride = ((size + 31) / 32) * 4;
        for (int y = 0; y < size; ++y)
            for (int i = 0; i < maskStride; ++i)
                img.push_back(y == 0 ? 0xFF : 0x00);  // bottom row transparent
        return img;
    };
    auto small = iconImage(16, 0x0000FF), big = iconImage(32, 0x00FF00);
    static std::vector<unsigned char> ico = Le({{0, 2}, {1, 2}, {2, 2}});
    const std::uint32_t first = 6 + 32;
    auto e1 = Le({{16, 1},
                  {16, 1},
                  {0, 1},
                  {0, 1},
                  {1, 2},
                  {24, 2},
                  {static_cast<std::uint32_t>(small.size()), 4},
                  {first, 4}});
    auto e2 = Le({{32, 1},
                  {32, 1},
                  {0, 1},
                  {0, 1},
                  {1, 2},
                  {24, 2},
                  {static_cast<std::uint32_t>(big.size()), 4},
                  {first + static_cast<std::uint32_t>(small.size()), 4}});
    ico.insert(ico.end(), e1.begin(), e1.end());
    ico.insert(ico.end(), e2.begin(), e2.end());
    ico.insert(ico.end(), small.begin(), small.end());
    ico.insert(ico.end(), big.begin(), big.end());
    static const unsigned char junk[] = {'B', 'M', 1, 2, 3};
    const platform::ResourceEntry entries[] = {
        {platform::ResourceType::Bitmap, 9001, bmp.data(), bmp.size()},
        {platform::ResourceType::GroupIcon, 9002, ico.data(), ico.size()},
        {platform::ResourceType::Bitmap, 9003, junk, sizeof(junk)},
    };
    platform::RegisterResources(entries, 3);

    HMODULE module = GetModuleHandleW(nullptr);
    HBITMAP b = static_cast<HBITMAP>(
        LoadImageW(module, MAKEINTRESOURCEW(9001), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(b, nullptr);
    BITMAP bm{};
    GetObjectW(b, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, 3);
    EXPECT_EQ(bm.bmHeight, 2);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, b);
    const COLORREF want[2][3] = {{kWhite, kBlack, RGB(10, 20, 30)}, {kBlue, RGB(0, 255, 0), kRed}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(GetPixel(dc, x, y), want[y][x]) << x << "," << y;
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(b);

    SetLastError(0);
    EXPECT_EQ(LoadImageW(module, MAKEINTRESOURCEW(9003), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION), nullptr);
    EXPECT_EQ(LoadImageW(module, MAKEINTRESOURCEW(4242), IMAGE_BITMAP, 0, 0, 0), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);

    HICON icon = LoadIconW(module, MAKEINTRESOURCEW(9002));
    ASSERT_NE(icon, nullptr);
    std::vector<std::uint32_t> argb;
    int w = 0, h = 0;
    ASSERT_TRUE(platform::gdi::IconPixels(icon, &argb, &w, &h));
    EXPECT_EQ(w, 32);
    EXPECT_EQ(argb[0], 0xFF00FF00u);
    EXPECT_EQ(argb[31 * 32] >> 24, 0u);  // the masked bottom row is transparent
    EXPECT_EQ(LoadIconW(module, MAKEINTRESOURCEW(9002)), icon);
    DeleteObject(icon);
    EXPECT_TRUE(platform::gdi::IconPixels(icon, nullptr, &w, &h));

    HICON question = LoadIconW(nullptr, IDI_QUESTION);
    ASSERT_TRUE(platform::gdi::IconPixels(question, &argb, &w, &h));
    EXPECT_EQ(w, 32);
    DestroyIcon(question);
    EXPECT_TRUE(platform::gdi::IconPixels(LoadIconW(nullptr, IDI_APPLICATION), nullptr, &w, &h));
    EXPECT_EQ(platform::gdi::SystemCursorShape(LoadCursorW(nullptr, IDC_HAND)), 1);
    EXPECT_EQ(platform::gdi::SystemCursorShape(LoadCursorW(nullptr, IDC_IBEAM)), 3);
}

}  // namespace
