// Fonts and text: cell heights, the face substitution, styles, layout of
// DrawTextW, and where TextOutW puts its ink.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/handles.h"
#include "platform/winapi.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

struct Canvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    HFONT font = nullptr;
    HGDIOBJ oldFont = nullptr;
    int w, h;
    Canvas(int width, int height, HFONT f = nullptr) : font(f), w(width), h(height) {
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateBitmap(w, h, 1, 32, nullptr);
        oldBitmap = SelectObject(dc, bitmap);
        const RECT all{0, 0, w, h};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        if (font) oldFont = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
    }
    ~Canvas() {
        if (font) {
            SelectObject(dc, oldFont);
            DeleteObject(font);
        }
        SelectObject(dc, oldBitmap);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    // The bounding box of every non-white pixel; empty when there is none.
    RECT Ink() const {
        RECT r{w, h, 0, 0};
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (GetPixel(dc, x, y) != kWhite) {
                    r.left = std::min<LONG>(r.left, x);
                    r.top = std::min<LONG>(r.top, y);
                    r.right = std::max<LONG>(r.right, x + 1);
                    r.bottom = std::max<LONG>(r.bottom, y + 1);
                }
        return r;
    }
    int InkCount() const {
        int n = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                n += GetPixel(dc, x, y) != kWhite;
        return n;
    }
};

HFONT Font(const char16_t* face, int height, int weight = FW_NORMAL, bool italic = false,
           bool underline = false) {
    return CreateFontW(height, 0, 0, 0, weight, italic, underline, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, face);
}

SIZE Extent(HDC dc, const std::u16string& s) {
    SIZE size{};
    GetTextExtentPoint32W(dc, s.data(), static_cast<int>(s.size()), &size);
    return size;
}

TEST(GdibText, PositiveHeightIsTheCellHeight) {
    for (const char16_t* face :
         {u"Arial", u"Tahoma", u"Lucida Console", u"System", u"No Such Face Anywhere"}) {
        for (int height : {12, 16, 22, 40}) {
            Canvas c(4, 4, Font(face, height));
            TEXTMETRICW tm{};
            ASSERT_TRUE(GetTextMetricsW(c.dc, &tm));
            EXPECT_EQ(tm.tmHeight, height)
                << std::string(face, face + std::char_traits<char16_t>::length(face));
            EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
        }
    }
    // A negative height is the em height: the cell is taller; zero is a usable default.
    Canvas em(4, 4, Font(u"Arial", -20));
    TEXTMETRICW tm{};
    GetTextMetricsW(em.dc, &tm);
    EXPECT_GT(tm.tmHeight, 20);
    EXPECT_LT(tm.tmHeight, 26);
    Canvas def(4, 4, Font(u"Arial", 0));
    GetTextMetricsW(def.dc, &tm);
    EXPECT_GE(tm.tmHeight, 14);
    EXPECT_LE(tm.tmHeight, 20);
}

TEST(GdibText, FacesAndStyles) {
    Canvas mono(4, 4, Font(u"Lucida Console", 16));
    EXPECT_EQ(Extent(mono.dc, u"iii").cx, Extent(mono.dc, u"WWW").cx);
    Canvas sans(4, 4, Font(u"Arial", 16));
    EXPECT_LT(Extent(sans.dc, u"iii").cx, Extent(sans.dc, u"WWW").cx);

    // Bold, italic and underlined text each put different ink from regular.
    auto ink = [](HFONT f) {
        Canvas c(120, 40, f);
        TextOutW(c.dc, 4, 4, u"Kelvo 1234", 10);
        std::vector<COLORREF> px;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 120; ++x)
                px.push_back(GetPixel(c.dc, x, y));
        return px;
    };
    const auto regular = ink(Font(u"Arial", 22));
    EXPECT_NE(ink(Font(u"Arial", 22, FW_BOLD)), regular);
    EXPECT_NE(ink(Font(u"Arial", 22, FW_NORMAL, true)), regular);
    EXPECT_NE(ink(Font(u"Arial", 22, FW_NORMAL, false, true)), regular);
    Canvas boldC(4, 4, Font(u"Arial", 22, FW_BOLD));
    Canvas regC(4, 4, Font(u"Arial", 22));
    EXPECT_GT(Extent(boldC.dc, u"Kelvo").cx, Extent(regC.dc, u"Kelvo").cx);

    // A face nobody has still draws.
    Canvas unknown(80, 30, Font(u"Zzyzx Imaginary", 16));
    TextOutW(unknown.dc, 2, 2, u"Abc", 3);
    EXPECT_GT(unknown.InkCount(), 10);
}

TEST(GdibText, TextOutDrawsInTheCellBelowAndRightOfThePoint) {
    Canvas c(100, 50, Font(u"Tahoma", 20));
    SetTextColor(c.dc, RGB(0, 0, 0));
    ASSERT_TRUE(TextOutW(c.dc, 30, 10, u"88", 2));
    const RECT ink = c.Ink();
    const SIZE ext = Extent(c.dc, u"88");
    EXPECT_GE(ink.left, 30);
    EXPECT_GE(ink.top, 10);
    EXPECT_LE(ink.right, 30 + ext.cx + 1);
    EXPECT_LE(ink.bottom, 10 + 20);
    EXPECT_GT(ink.right - ink.left, ext.cx / 2);
    // The darkest ink is the text colour itself (anti-aliasing only at the edges).
    bool solid = false;
    for (int y = ink.top; y < ink.bottom; ++y)
        for (int x = ink.left; x < ink.right; ++x)
            solid = solid || GetPixel(c.dc, x, y) == 0;
    EXPECT_TRUE(solid);

    // OPAQUE fills the text cell with the background colour.
    Canvas o(100, 50, Font(u"Tahoma", 20));
    SetBkMode(o.dc, OPAQUE);
    SetBkColor(o.dc, RGB(0, 255, 0));
    TextOutW(o.dc, 5, 5, u"1", 1);
    const SIZE one = Extent(o.dc, u"1");
    EXPECT_EQ(GetPixel(o.dc, 5, 5), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(o.dc, 5 + one.cx - 1, 5 + 19), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(o.dc, 5 + one.cx, 5), kWhite);
    EXPECT_EQ(GetPixel(o.dc, 5, 5 + 20), kWhite);
}

TEST(GdibText, DrawTextAlignsWithinItsBox) {
    struct Case {
        UINT format;
        int wantLeft;  // where the ink starts, with slack for side bearings
    } cases[] = {{DT_LEFT, 10}, {DT_CENTER, 10 + (180 - 0) / 2}, {DT_RIGHT, 190}};
    for (const Case& k : cases) {
        Canvas c(200, 60, Font(u"Arial", 16));
        RECT box{10, 5, 190, 55};
        const SIZE ext = Extent(c.dc, u"WW");
        const int h = DrawTextW(c.dc, u"WW", -1, &box, k.format);
        EXPECT_EQ(h, 16);
        const RECT ink = c.Ink();
        int expectLeft = k.wantLeft;
        if (k.format == DT_CENTER) expectLeft = 10 + (180 - ext.cx) / 2;
        if (k.format == DT_RIGHT) expectLeft = 190 - ext.cx;
        EXPECT_NEAR(ink.left, expectLeft, 2) << k.format;
        EXPECT_GE(ink.top, 5);
        EXPECT_LE(ink.bottom, 5 + 16);
    }
    // Vertical centring of a single line.
    Canvas v(100, 60, Font(u"Arial", 16));
    RECT box{0, 0, 100, 60};
    DrawTextW(v.dc, u"X", -1, &box, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    const RECT ink = v.Ink();
    EXPECT_GE(ink.top, 22);
    EXPECT_LE(ink.bottom, 38);
}

TEST(GdibText, DrawTextLinesPrefixesClippingAndMeasuring) {
    Canvas c(200, 100, Font(u"Arial", 16));
    RECT box{0, 0, 200, 100};
    EXPECT_EQ(DrawTextW(c.dc, u"one\ntwo\r\nthree", -1, &box, DT_LEFT), 48);
    EXPECT_GT(c.Ink().bottom, 32);  // the third line has ink
    RECT calc{0, 0, 0, 0};
    EXPECT_EQ(DrawTextW(c.dc, u"one\ntwo\r\nthree", -1, &calc, DT_CALCRECT), 48);
    EXPECT_EQ(calc.bottom, 48);
    EXPECT_EQ(calc.right, Extent(c.dc, u"three").cx);
    RECT single{0, 0, 0, 0};
    EXPECT_EQ(DrawTextW(c.dc, u"a b c d e f", -1, &single, DT_CALCRECT), 16);
    RECT narrow{0, 0, Extent(c.dc, u"a b").cx + 1, 0};
    EXPECT_EQ(DrawTextW(c.dc, u"a b c d e f", -1, &narrow, DT_CALCRECT | DT_WORDBREAK), 48);

    // "&x" is not drawn but underlines x; "&&" is one '&'; DT_NOPREFIX keeps them.
    RECT r1{0, 0, 0, 0}, r2{0, 0, 0, 0}, r3{0, 0, 0, 0};
    DrawTextW(c.dc, u"&File", -1, &r1, DT_CALCRECT);
    DrawTextW(c.dc, u"&&File", -1, &r2, DT_CALCRECT);
    DrawTextW(c.dc, u"&File", -1, &r3, DT_CALCRECT | DT_NOPREFIX);
    EXPECT_EQ(r1.right, Extent(c.dc, u"File").cx);
    EXPECT_EQ(r2.right, Extent(c.dc, u"&File").cx);
    EXPECT_EQ(r3.right, Extent(c.dc, u"&File").cx);
    Canvas with(100, 30, Font(u"Arial", 16)), without(100, 30, Font(u"Arial", 16));
    RECT b{0, 0, 100, 30};
    DrawTextW(with.dc, u"&File", -1, &b, DT_LEFT);
    DrawTextW(without.dc, u"File", -1, &b, DT_LEFT);
    EXPECT_GT(with.InkCount(), without.InkCount());  // the underline

    // Clipped to the box unless DT_NOCLIP.
    Canvas clip(100, 40, Font(u"Arial", 30));
    RECT small{0, 0, 12, 12};
    DrawTextW(clip.dc, u"WWW", -1, &small, DT_LEFT);
    const RECT ink = clip.Ink();
    EXPECT_LE(ink.right, 12);
    EXPECT_LE(ink.bottom, 12);
    DrawTextW(clip.dc, u"WWW", -1, &small, DT_LEFT | DT_NOCLIP);
    EXPECT_GT(clip.Ink().right, 12);
}

TEST(GdibText, HugeTextIsBoundedAndLeaksNothing) {
    const std::size_t before = platform::LiveGraphicsObjects();
    {
        Canvas c(300, 200, Font(u"Tahoma", 14));
        std::u16string text(100000, u'8');
        for (std::size_t i = 0; i < text.size(); i += 37)
            text[i] = u'\n';
        RECT box{0, 0, 300, 200};
        EXPECT_GT(DrawTextW(c.dc, text.data(), static_cast<int>(text.size()), &box, DT_LEFT | DT_WORDBREAK),
                  0);
        std::u16string line(100000, u'W');
        EXPECT_EQ(DrawTextW(c.dc, line.data(), -1, &box, DT_SINGLELINE), 14);
    }
    EXPECT_EQ(platform::LiveGraphicsObjects(), before);
}

}  // namespace

namespace {

TEST(GdibText, ExtTextOutClipsToItsRectangleOnlyWhenAsked) {
    struct Case {
        UINT options;
        bool inkOutside;
    } cases[] = {{0, true}, {ETO_CLIPPED, false}, {ETO_CLIPPED | ETO_OPAQUE, false}};
    for (const Case& k : cases) {
        Canvas c(120, 40, Font(u"Arial", 30));
        SetBkColor(c.dc, RGB(255, 255, 0));
        const RECT r{0, 0, 15, 40};
        ASSERT_TRUE(ExtTextOutW(c.dc, 2, 2, k.options, &r, u"WWW", 3, nullptr));
        EXPECT_EQ(c.Ink().right > 15, k.inkOutside) << k.options;
        EXPECT_EQ(GetPixel(c.dc, 0, 39) == RGB(255, 255, 0), (k.options & ETO_OPAQUE) != 0) << k.options;
    }
}

}  // namespace
