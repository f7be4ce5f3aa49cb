// Composition and painting: children drawn into their top-level window's
// pixels, a parent never over its children, a change presenting only what
// changed, and the non-client frames that GetClientRect leaves out.
#include <gtest/gtest.h>

#include "tests/wm_b/probe.h"

namespace wmtest {
namespace {

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);

// Parent blue, a red child and a green child over part of it; where they
// overlap, the first created (top of the order) wins.
TEST_F(WmTest, ChildrenAreComposedOverTheirParent) {
    HWND top = Top(100, 100, 200, 150, kBlue);
    HWND red = Child(top, 10, 10, 50, 40, kRed);
    Child(top, 40, 30, 50, 40, kGreen);
    driver.Pump();
    struct Probe {
        int x, y;
        COLORREF expected;
    };
    const Probe probes[] = {
        {5, 5, kBlue}, {15, 15, kRed}, {45, 35, kRed}, {80, 60, kGreen}, {199, 149, kBlue}};
    for (const Probe& p : probes)
        EXPECT_EQ(driver.Pixel(top, p.x, p.y), p.expected) << "at " << p.x << "," << p.y;
    // The parent repainting later still leaves the children alone.
    InvalidateRect(top, nullptr, TRUE);
    driver.Pump();
    EXPECT_EQ(driver.Pixel(top, 15, 15), kRed);
    EXPECT_EQ(driver.Pixel(red, 0, 0), kRed);
}

// Invalidating a child repaints the child only and presents only its area.
TEST_F(WmTest, ChildRepaintPresentsOnlyTheChild) {
    HWND top = Top(0, 0, 300, 200, kBlue);
    HWND child = Child(top, 20, 30, 25, 40, kRed);
    driver.Pump();
    Log().clear();
    driver.ResetPresentedPixelCount();
    InvalidateRect(child, nullptr, TRUE);
    driver.Pump();
    EXPECT_EQ(Count(child, WM_PAINT), 1);
    EXPECT_EQ(Count(top, WM_PAINT), 0);
    EXPECT_EQ(driver.PresentedPixelCount(), 25u * 40u);
    // A tick that draws nothing presents nothing.
    driver.ResetPresentedPixelCount();
    driver.Advance(1000);
    EXPECT_EQ(driver.PresentedPixelCount(), 0u);
}

// Hiding or moving a child repaints what it uncovered.
TEST_F(WmTest, UncoveredAreaIsRepainted) {
    HWND top = Top(0, 0, 200, 100, kBlue);
    HWND child = Child(top, 10, 10, 30, 30, kRed);
    driver.Pump();
    SetWindowPos(child, nullptr, 100, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    driver.Pump();
    EXPECT_EQ(driver.Pixel(top, 15, 15), kBlue);
    EXPECT_EQ(driver.Pixel(top, 105, 15), kRed);
    ShowWindow(child, SW_HIDE);
    driver.Pump();
    EXPECT_EQ(driver.Pixel(top, 105, 15), kBlue);
}

// Frames narrow the client area; a style change takes effect on
// SWP_FRAMECHANGED.
TEST_F(WmTest, FramesAreExcludedFromTheClientArea) {
    HWND top = Top(0, 0, 300, 300, kBlue);
    struct Case {
        DWORD style, exStyle;
        LONG cx, cy;
    };
    const Case cases[] = {
        {0, 0, 100, 50},
        {WS_BORDER, 0, 98, 48},
        {0, WS_EX_CLIENTEDGE, 96, 46},
        {WS_BORDER, WS_EX_CLIENTEDGE, 94, 44},
        {WS_VSCROLL, 0, 83, 50},
        {WS_VSCROLL, WS_EX_CLIENTEDGE, 79, 46},
    };
    for (const Case& c : cases) {
        HWND h = CreateWindowExW(c.exStyle, u"WmProbe", u"", WS_CHILD | WS_VISIBLE | c.style, 0, 0, 100, 50,
                                 top, nullptr, nullptr, nullptr);
        RECT r;
        GetClientRect(h, &r);
        EXPECT_EQ(r.right, c.cx) << "style " << std::hex << c.style << " ex " << c.exStyle;
        EXPECT_EQ(r.bottom, c.cy) << "style " << std::hex << c.style << " ex " << c.exStyle;
        DestroyWindow(h);
    }
    HWND h = Child(top, 0, 0, 100, 50);
    SetWindowLongW(h, GWL_STYLE, GetWindowLongW(h, GWL_STYLE) | WS_BORDER);
    SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    RECT r;
    GetClientRect(h, &r);
    EXPECT_EQ(r.right, 98);
    EXPECT_EQ(Last(h, WM_SIZE)->lParam, MAKELPARAM(98, 48));
    // The border is ours to draw, in the frame colour.
    driver.Pump();
    EXPECT_EQ(driver.HostPixel(driver.HostWindowOf(top), 0, 0), GetSysColor(COLOR_WINDOWFRAME));
}

// A menu bar sits above the client area of a top-level window.
TEST_F(WmTest, MenuBarIsAboveTheClientArea) {
    HWND top = Top(50, 60, 200, 150, kBlue);
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, 100, u"&Exit");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), u"&File");
    ASSERT_TRUE(SetMenu(top, bar));
    RECT bar_rect = platform::wm::MenuBarRect(top);
    EXPECT_GT(bar_rect.bottom, 0);
    RECT client;
    GetClientRect(top, &client);
    EXPECT_EQ(client.bottom, 150 - bar_rect.bottom);
    POINT origin{0, 0};
    ClientToScreen(top, &origin);
    EXPECT_EQ(origin.x, 50);
    EXPECT_EQ(origin.y, 60 + bar_rect.bottom);
    RECT wr;
    GetWindowRect(top, &wr);
    EXPECT_EQ(wr.top, 60);
    EXPECT_EQ(wr.bottom, 210);
    driver.Pump();
    EXPECT_EQ(driver.Pixel(top, 5, 5), kBlue);
    EXPECT_NE(driver.HostPixel(driver.HostWindowOf(top), 190, bar_rect.bottom / 2), kBlue);
    // The menu goes with its window.
    DestroyWindow(top);
    EXPECT_EQ(GetMenuItemCount(bar), -1);
}

// Painting outside WM_PAINT works and is presented at the next pump.
TEST_F(WmTest, GetDcDrawsAndIsPresented) {
    HWND top = Top(0, 0, 100, 100, kBlue);
    HWND child = Child(top, 10, 10, 20, 20, kRed);
    driver.Pump();
    HDC dc = GetDC(top);
    EXPECT_EQ(WindowFromDC(dc), top);
    RECT all{0, 0, 100, 100};
    HBRUSH green = CreateSolidBrush(kGreen);
    FillRect(dc, &all, green);
    DeleteObject(green);
    ReleaseDC(top, dc);
    driver.Pump();
    EXPECT_EQ(driver.Pixel(top, 50, 50), kGreen);
    EXPECT_EQ(driver.Pixel(child, 5, 5), kRed) << "the parent's DC must not reach its child";
}

// SetWindowPos places a window directly behind the one named, or at the top
// or bottom, and the composed pixels follow the new order.
TEST_F(WmTest, ZOrderFollowsSetWindowPos) {
    HWND top = Top(0, 0, 200, 100, kBlue);
    HWND a = Child(top, 0, 0, 50, 50, kRed);
    HWND b = Child(top, 10, 10, 50, 50, kGreen);
    HWND c = Child(top, 20, 20, 50, 50, RGB(1, 2, 3));
    struct Case {
        HWND move, after;
        std::vector<HWND> order;
        COLORREF at25;  // where all three overlap
    };
    const Case cases[] = {
        {c, HWND_TOP, {c, a, b}, RGB(1, 2, 3)},
        {c, a, {a, c, b}, kRed},
        {a, HWND_BOTTOM, {c, b, a}, RGB(1, 2, 3)},
        {b, HWND_TOP, {b, c, a}, kGreen},
    };
    for (const Case& k : cases) {
        SetWindowPos(k.move, k.after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        std::vector<HWND> order;
        for (HWND h = GetWindow(top, GW_CHILD); h != nullptr; h = GetWindow(h, GW_HWNDNEXT))
            order.push_back(h);
        EXPECT_EQ(order, k.order);
        driver.Pump();
        EXPECT_EQ(driver.Pixel(top, 25, 25), k.at25);
    }
}

// WM_ERASEBKGND fills with the class brush, also given as a system colour
// index plus one.
TEST_F(WmTest, EraseUsesTheClassBrush) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = u"WmErase";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_HIGHLIGHT + 1));
    RegisterClassW(&wc);
    HWND top = Top(0, 0, 100, 100, kBlue);
    HWND h = CreateWindowExW(0, u"wmerase", u"", WS_CHILD | WS_VISIBLE, 10, 10, 30, 30, top, nullptr, nullptr,
                             nullptr);
    ASSERT_NE(h, nullptr) << "class names compare without case";
    driver.Pump();
    EXPECT_EQ(driver.Pixel(h, 5, 5), GetSysColor(COLOR_HIGHLIGHT));
    DestroyWindow(top);
    EXPECT_TRUE(UnregisterClassW(u"WmErase", nullptr));
}

}  // namespace
}  // namespace wmtest
