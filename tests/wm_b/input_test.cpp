// Input as a person produces it on the headless host: clicks routed to the
// deepest window with client coordinates, transparent windows, double
// clicks, implicit capture, hover and leave, keys and typed text, focus and
// activation, dialog navigation, and every way of closing.
#include <gtest/gtest.h>

#include "tests/wm_b/probe.h"

namespace wmtest {
namespace {

using platform::headless_b::Alt;
using platform::headless_b::Ctrl;
using platform::headless_b::Shift;

// A press goes to the deepest visible, enabled window under the pointer, in
// its client coordinates; a window answering HTTRANSPARENT lets it through.
TEST_F(WmTest, PressesReachTheDeepestWindowInClientCoordinates) {
    HWND top = Top(100, 200, 300, 200);
    HWND panel = Child(top, 10, 10, 200, 150, 0, WS_BORDER);
    HWND button = Child(panel, 20, 30, 50, 20, 0, 0, 1);
    HWND glass = Child(panel, 100, 30, 50, 20, 0, 0, 99);  // answers HitAnswer()
    HWND off = Child(panel, 20, 80, 50, 20, 0, WS_DISABLED);
    driver.Pump();
    struct Case {
        int x, y;  // screen
        LRESULT glassHit;
        HWND expected;
        int cx, cy;
    };
    // panel client origin: 100+10+1, 200+10+1
    const Case cases[] = {
        {111 + 25, 211 + 35, 0, button, 5, 5},
        {111 + 105, 211 + 32, HTTRANSPARENT, panel, 105, 32},
        {111 + 105, 211 + 32, 0, glass, 5, 2},
        {111 + 25, 211 + 85, 0, panel, 25, 85},  // disabled child: its parent takes it
        {100 + 250, 200 + 190, 0, top, 250, 190},
    };
    for (const Case& c : cases) {
        HitAnswer() = c.glassHit;
        Log().clear();
        driver.Click(c.x, c.y);
        const Seen* down = nullptr;
        for (const Seen& s : Log())
            if (s.msg == WM_LBUTTONDOWN) down = &s;
        ASSERT_NE(down, nullptr) << "click at " << c.x << "," << c.y;
        EXPECT_EQ(down->hwnd, c.expected) << "click at " << c.x << "," << c.y;
        EXPECT_EQ(GET_X_LPARAM(down->lParam), c.cx);
        EXPECT_EQ(GET_Y_LPARAM(down->lParam), c.cy);
        EXPECT_EQ(Count(off, WM_LBUTTONDOWN), 0);
        // WM_SETCURSOR carries the hit-test code and the mouse message.
        const Seen* cursor = Last(c.expected, WM_SETCURSOR);
        ASSERT_NE(cursor, nullptr);
        EXPECT_EQ(LOWORD(cursor->lParam), HTCLIENT);
        EXPECT_EQ(cursor->wParam, reinterpret_cast<WPARAM>(c.expected));
    }
}

// Two presses within 500 ms and 4 px make a double click only for classes
// with CS_DBLCLKS.
TEST_F(WmTest, DoubleClicksNeedTheClassStyle) {
    HWND top = Top(0, 0, 300, 100);
    HWND plain = Child(top, 0, 0, 100, 100);
    HWND dbl = Child(top, 100, 0, 100, 100, 0, 0, 0, u"WmProbeDbl");
    driver.Pump();
    struct Case {
        HWND target;
        int x, dx, waitMs;
        UINT second;
    };
    const Case cases[] = {
        {plain, 50, 0, 100, WM_LBUTTONDOWN},  {dbl, 150, 0, 100, WM_LBUTTONDBLCLK},
        {dbl, 150, 3, 500, WM_LBUTTONDBLCLK}, {dbl, 150, 5, 100, WM_LBUTTONDOWN},
        {dbl, 150, 0, 501, WM_LBUTTONDOWN},
    };
    for (const Case& c : cases) {
        driver.Advance(1000);
        driver.Click(c.x, 50);
        Log().clear();
        driver.Advance(c.waitMs);
        driver.Click(c.x + c.dx, 50);
        std::vector<UINT> presses;
        for (UINT m : MessagesTo(c.target))
            if (m == WM_LBUTTONDOWN || m == WM_LBUTTONDBLCLK) presses.push_back(m);
        EXPECT_EQ(presses, std::vector<UINT>{c.second})
            << "x " << c.x << " dx " << c.dx << " wait " << c.waitMs;
    }
}

// The window that got the press keeps the pointer until the release.
TEST_F(WmTest, PressCapturesUntilRelease) {
    HWND top = Top(0, 0, 300, 100);
    HWND a = Child(top, 0, 0, 100, 100);
    HWND b = Child(top, 200, 0, 100, 100);
    driver.Pump();
    driver.Press(50, 50);
    driver.Move(250, 50);
    driver.Release(250, 50);
    EXPECT_EQ(Count(a, WM_LBUTTONUP), 1);
    EXPECT_EQ(Count(b, WM_LBUTTONUP), 0);
    const Seen* up = Last(a, WM_LBUTTONUP);
    EXPECT_EQ(GET_X_LPARAM(up->lParam), 250);
    Log().clear();
    driver.Move(250, 50);
    EXPECT_EQ(Count(b, WM_MOUSEMOVE), 1);
}

// WM_MOUSEHOVER after the pointer rests 400 ms, WM_MOUSELEAVE on leaving.
TEST_F(WmTest, HoverAndLeaveAfterTrackMouseEvent) {
    HWND top = Top(0, 0, 300, 100);
    HWND a = Child(top, 0, 0, 100, 100);
    Child(top, 200, 0, 100, 100);
    driver.Pump();
    driver.Move(50, 50);
    TRACKMOUSEEVENT t{sizeof t, TME_HOVER | TME_LEAVE, a, HOVER_DEFAULT};
    ASSERT_TRUE(TrackMouseEvent(&t));
    driver.Advance(399);
    EXPECT_EQ(Count(a, WM_MOUSEHOVER), 0);
    driver.Advance(1);
    EXPECT_EQ(Count(a, WM_MOUSEHOVER), 1);
    EXPECT_EQ(Count(a, WM_MOUSELEAVE), 0);
    driver.Move(250, 50);
    EXPECT_EQ(Count(a, WM_MOUSELEAVE), 1);
    driver.Advance(1000);
    EXPECT_EQ(Count(a, WM_MOUSEHOVER), 1);
}

// Keys reach the focus window; TranslateMessage adds the characters.
TEST_F(WmTest, KeysAndTextReachTheFocusWindow) {
    HWND top = Top(0, 0, 300, 100);
    HWND edit = Child(top, 0, 0, 100, 100);
    driver.Pump();
    SetFocus(edit);
    struct Case {
        int vk;
        unsigned mods;
        UINT down;
        WPARAM ch;  // 0: none
    };
    const Case cases[] = {
        {VK_TAB, 0, WM_KEYDOWN, 9},    {VK_RETURN, 0, WM_KEYDOWN, 13}, {VK_ESCAPE, 0, WM_KEYDOWN, 27},
        {VK_BACK, 0, WM_KEYDOWN, 8},   {'C', Ctrl, WM_KEYDOWN, 3},     {'V', Ctrl, WM_KEYDOWN, 22},
        {VK_LEFT, 0, WM_KEYDOWN, 0},   {'A', 0, WM_KEYDOWN, 0},        {'X', Alt, WM_SYSKEYDOWN, 0},
        {VK_F10, 0, WM_SYSKEYDOWN, 0},
    };
    for (const Case& c : cases) {
        Log().clear();
        driver.Key(c.vk, c.mods);
        const Seen* down = Last(edit, c.down);
        ASSERT_NE(down, nullptr) << "vk " << c.vk;
        EXPECT_EQ(down->wParam, static_cast<WPARAM>(c.vk));
        const Seen* ch = Last(edit, WM_CHAR);
        if (c.ch == 0) {
            EXPECT_EQ(ch, nullptr) << "vk " << c.vk;
        } else {
            ASSERT_NE(ch, nullptr) << "vk " << c.vk;
            EXPECT_EQ(ch->wParam, c.ch) << "vk " << c.vk;
        }
    }
    Log().clear();
    driver.Type(u"a\u00e8\U0001F600");
    std::vector<WPARAM> chars;
    for (const Seen& s : Log())
        if (s.msg == WM_CHAR) chars.push_back(s.wParam);
    EXPECT_EQ(chars, (std::vector<WPARAM>{u'a', 0xE8, 0xD83D, 0xDE00}));
    // GetKeyState sees Shift while it is held.
    driver.KeyDown(VK_SHIFT);
    EXPECT_LT(GetKeyState(VK_SHIFT), 0);
    driver.KeyUp(VK_SHIFT);
    EXPECT_EQ(GetKeyState(VK_SHIFT), 0);
}

// A disabled window, or any window in a disabled top-level window, gets no input.
TEST_F(WmTest, DisabledWindowsGetNoInput) {
    HWND top = Top(0, 0, 300, 100);
    HWND a = Child(top, 0, 0, 100, 100);
    driver.Pump();
    SetFocus(a);
    EnableWindow(top, FALSE);
    Log().clear();
    driver.Click(50, 50);
    driver.Key('A');
    driver.Type(u"x");
    driver.CloseRequest(top);
    for (HWND h : {top, a})
        for (UINT m : {UINT(WM_LBUTTONDOWN), UINT(WM_KEYDOWN), UINT(WM_CHAR), UINT(WM_CLOSE)})
            EXPECT_EQ(Count(h, m), 0) << "message " << std::hex << m;
    EXPECT_TRUE(IsWindow(top));
}

// SetFocus tells both windows; focusing into an inactive top-level window
// activates it, and GetForegroundWindow already names it during WM_ACTIVATE.
HWND foregroundDuringActivate = nullptr;
LRESULT CALLBACK WatchActivate(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE) foregroundDuringActivate = GetForegroundWindow();
    return ProbeProc(hwnd, msg, wParam, lParam);
}

TEST_F(WmTest, FocusAndActivation) {
    HWND one = Top(0, 0, 100, 100);
    HWND two = Top(200, 0, 100, 100);
    HWND a = Child(one, 0, 0, 50, 50);
    HWND b = Child(two, 0, 0, 50, 50);
    driver.Pump();
    EXPECT_EQ(GetForegroundWindow(), two);  // shown last
    SetWindowLongW(one, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchActivate));
    SetFocus(b);
    Log().clear();
    EXPECT_EQ(SetFocus(a), b);
    EXPECT_EQ(GetFocus(), a);
    EXPECT_EQ(GetForegroundWindow(), one);
    EXPECT_EQ(foregroundDuringActivate, one);
    EXPECT_EQ(Last(two, WM_ACTIVATE)->wParam, WA_INACTIVE);
    EXPECT_EQ(Last(b, WM_KILLFOCUS)->wParam, reinterpret_cast<WPARAM>(a));
    EXPECT_EQ(Last(a, WM_SETFOCUS)->wParam, reinterpret_cast<WPARAM>(b));
    // SW_SHOWNA shows without activating; SW_SHOW activates.
    HWND three = Top(400, 0, 50, 50, 0, WS_OVERLAPPEDWINDOW);
    ShowWindow(three, SW_SHOWNA);
    EXPECT_EQ(GetForegroundWindow(), one);
    ShowWindow(three, SW_HIDE);
    ShowWindow(three, SW_SHOW);
    EXPECT_EQ(GetForegroundWindow(), three);
    // Destroying the active window activates the next visible, enabled one.
    EnableWindow(two, FALSE);
    DestroyWindow(three);
    EXPECT_EQ(GetForegroundWindow(), one);
    // The desktop's focus changes activate and deactivate.
    driver.FocusLost(one);
    EXPECT_EQ(GetForegroundWindow(), nullptr);
    EXPECT_EQ(GetFocus(), nullptr);
    driver.FocusGained(one);
    EXPECT_EQ(GetForegroundWindow(), one);
    EXPECT_EQ(GetFocus(), a) << "the focus comes back to where it was";
}

// Clicking a disabled owner brings its modal owned window forward instead.
TEST_F(WmTest, ClickOnDisabledOwnerActivatesItsModalWindow) {
    HWND owner = Top(0, 0, 300, 300);
    HWND modal = Top(400, 0, 100, 100, 0, WS_POPUP | WS_CAPTION | WS_VISIBLE, owner);
    EnableWindow(owner, FALSE);
    SetForegroundWindow(owner);
    driver.Click(50, 50);
    EXPECT_EQ(GetForegroundWindow(), modal);
    EXPECT_EQ(Count(owner, WM_LBUTTONDOWN), 0);
}

// Tab stops: visible, enabled WS_TABSTOP descendants in creation order,
// wrapping both ways.
TEST_F(WmTest, TabStopsInCreationOrder) {
    HWND dlg = Top(0, 0, 300, 300);
    HWND a = Child(dlg, 0, 0, 10, 10, 0, WS_TABSTOP);
    HWND panel = Child(dlg, 0, 20, 100, 100);
    HWND b = Child(panel, 0, 0, 10, 10, 0, WS_TABSTOP);
    Child(dlg, 0, 200, 10, 10, 0, WS_TABSTOP | WS_DISABLED);
    HWND hidden = Child(dlg, 0, 220, 10, 10, 0, WS_TABSTOP);
    ShowWindow(hidden, SW_HIDE);
    Child(dlg, 0, 240, 10, 10);  // no tab stop
    HWND c = Child(dlg, 0, 260, 10, 10, 0, WS_TABSTOP);
    struct Case {
        HWND from;
        BOOL previous;
        HWND expected;
    };
    const Case cases[] = {{a, FALSE, b}, {b, FALSE, c}, {c, FALSE, a},
                          {a, TRUE, c},  {b, TRUE, a},  {nullptr, FALSE, a}};
    for (const Case& k : cases)
        EXPECT_EQ(GetNextDlgTabItem(dlg, k.from, k.previous), k.expected);
}

// IsDialogMessageW: Tab moves the focus unless the control wants it, Enter
// and Escape become commands, other windows' messages are not the dialog's.
LRESULT CALLBACK WantsTab(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_GETDLGCODE) return DLGC_WANTTAB;
    return ProbeProc(hwnd, msg, wParam, lParam);
}

TEST_F(WmTest, DialogKeys) {
    HWND dlg = Top(0, 0, 300, 300);
    HWND a = Child(dlg, 0, 0, 10, 10, 0, WS_TABSTOP);
    HWND b = Child(dlg, 0, 20, 10, 10, 0, WS_TABSTOP);
    HWND other = Top(400, 0, 50, 50);
    SetFocus(a);
    auto key = [](HWND to, int vk) {
        MSG m{};
        m.hwnd = to;
        m.message = WM_KEYDOWN;
        m.wParam = static_cast<WPARAM>(vk);
        return m;
    };
    MSG m = key(a, VK_TAB);
    EXPECT_TRUE(IsDialogMessageW(dlg, &m));
    EXPECT_EQ(GetFocus(), b);
    SetWindowLongW(b, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&WantsTab));
    m = key(b, VK_TAB);
    Log().clear();
    EXPECT_TRUE(IsDialogMessageW(dlg, &m));
    EXPECT_EQ(GetFocus(), b) << "a control that wants Tab keeps it";
    EXPECT_EQ(Count(b, WM_KEYDOWN), 1);
    struct Case {
        int vk;
        WORD id;
    };
    for (const Case& c : {Case{VK_RETURN, IDOK}, Case{VK_ESCAPE, IDCANCEL}}) {
        Log().clear();
        m = key(a, c.vk);
        EXPECT_TRUE(IsDialogMessageW(dlg, &m));
        const Seen* cmd = Last(dlg, WM_COMMAND);
        ASSERT_NE(cmd, nullptr);
        EXPECT_EQ(LOWORD(cmd->wParam), c.id);
    }
    m = key(other, VK_TAB);
    EXPECT_FALSE(IsDialogMessageW(dlg, &m));
}

// Every way of closing: the host's close box and Alt+F4 go through WM_CLOSE;
// the desktop's quit destroys every window without asking.
TEST_F(WmTest, ClosingAndQuitting) {
    HWND one = Top(0, 0, 100, 100);
    driver.Pump();
    Log().clear();
    driver.CloseRequest(one);
    EXPECT_EQ(Count(one, WM_CLOSE), 1);
    EXPECT_FALSE(IsWindow(one));

    HWND two = Top(0, 0, 100, 100);
    SetFocus(two);
    Log().clear();
    driver.Key(VK_F4, Alt);
    EXPECT_EQ(Count(two, WM_CLOSE), 1);
    EXPECT_FALSE(IsWindow(two));

    HWND three = Top(0, 0, 100, 100);
    HWND four = Top(200, 0, 100, 100);
    Log().clear();
    driver.Quit();
    EXPECT_FALSE(IsWindow(three));
    EXPECT_FALSE(IsWindow(four));
    EXPECT_EQ(Count(three, WM_CLOSE) + Count(four, WM_CLOSE), 0);
    EXPECT_EQ(Count(three, WM_DESTROY) + Count(four, WM_DESTROY), 2);
}

// The wheel goes to the focus window and, unhandled, on to its parent.
TEST_F(WmTest, WheelGoesToFocusThenParent) {
    HWND top = Top(0, 0, 300, 100);
    HWND a = Child(top, 0, 0, 100, 100);
    SetFocus(a);
    Log().clear();
    driver.Wheel(50, 50, -1);
    ASSERT_NE(Last(a, WM_MOUSEWHEEL), nullptr);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(Last(a, WM_MOUSEWHEEL)->wParam), -WHEEL_DELTA);
    EXPECT_EQ(Count(top, WM_MOUSEWHEEL), 1);
}

// SetWindowPos activates a top-level window unless told not to.
TEST_F(WmTest, SetWindowPosActivatesUnlessAskedNot) {
    HWND one = Top(0, 0, 100, 100);
    HWND two = Top(200, 0, 100, 100);
    EXPECT_EQ(GetForegroundWindow(), two);
    SetWindowPos(one, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(GetForegroundWindow(), two);
    SetWindowPos(one, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetForegroundWindow(), one);
    EXPECT_EQ(driver.Host().Stacking().front(), driver.HostWindowOf(one));
}

}  // namespace
}  // namespace wmtest
