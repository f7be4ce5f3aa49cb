// Window lifetime and messages: creation messages, sent and posted order,
// WM_PAINT and WM_TIMER only when the queue is empty, quitting, subclassing,
// destruction of children and owned windows, and stale handles.
#include <gtest/gtest.h>

#include "tests/wm_b/probe.h"

namespace wmtest {
namespace {

using Messages = std::vector<UINT>;

// The creation messages reach the procedure before CreateWindowExW returns.
TEST_F(WmTest, CreationMessagesArriveBeforeTheHandleIsReturned) {
    struct Case {
        DWORD style;
        Messages expected;
    };
    const Case cases[] = {
        {WS_OVERLAPPEDWINDOW, {WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE}},
        {WS_OVERLAPPEDWINDOW | WS_VISIBLE, {WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW}},
    };
    for (const Case& c : cases) {
        Log().clear();
        HWND h = Top(10, 10, 100, 80, 0, c.style);
        ASSERT_NE(h, nullptr);
        Messages got;
        for (UINT m : MessagesTo(h))
            if (m == WM_NCCREATE || m == WM_CREATE || m == WM_SIZE || m == WM_MOVE || m == WM_SHOWWINDOW)
                got.push_back(m);
        EXPECT_EQ(got, c.expected) << "style " << std::hex << c.style;
        const Seen* size = Last(h, WM_SIZE);
        ASSERT_NE(size, nullptr);
        EXPECT_EQ(LOWORD(size->lParam), 100);
        EXPECT_EQ(HIWORD(size->lParam), 80);
        DestroyWindow(h);
    }
}

// WM_SHOWWINDOW is sent only when the visibility really changes.
TEST_F(WmTest, ShowWindowSendsOnlyOnChange) {
    HWND h = Top(0, 0, 50, 50, 0, WS_OVERLAPPEDWINDOW);
    const int commands[] = {SW_SHOW, SW_SHOW, SW_HIDE, SW_HIDE, SW_SHOWNA};
    const int expected[] = {1, 1, 2, 2, 3};
    for (int i = 0; i < 5; ++i) {
        ShowWindow(h, commands[i]);
        EXPECT_EQ(Count(h, WM_SHOWWINDOW), expected[i]) << "after command " << i;
    }
    EXPECT_TRUE(IsWindowVisible(h));
}

// Posted messages arrive in order; sent ones run at once, even nested.
TEST_F(WmTest, PostedInOrderSentAtOnce) {
    HWND h = Top(0, 0, 50, 50);
    driver.Pump();
    Log().clear();
    PostMessageW(h, WM_USER + 1, 1, 0);
    PostMessageW(h, WM_USER + 2, 2, 0);
    SendMessageW(h, WM_USER + 3, 3, 0);
    EXPECT_EQ(MessagesTo(h), (Messages{WM_USER + 3}));
    MSG m;
    ASSERT_TRUE(GetMessageW(&m, nullptr, 0, 0));
    EXPECT_EQ(m.message, WM_USER + 1u);
    ASSERT_TRUE(GetMessageW(&m, nullptr, 0, 0));
    EXPECT_EQ(m.message, WM_USER + 2u);
}

// WM_PAINT waits for the queue to empty, goes only to windows that need it,
// and DefWindowProcW on WM_PAINT validates so it never repeats.
TEST_F(WmTest, PaintOnlyWhenQueueIsEmptyAndOnlyOnce) {
    HWND h = Top(0, 0, 50, 50);
    HWND other = Top(60, 0, 50, 50);
    driver.Pump();
    Log().clear();
    InvalidateRect(h, nullptr, TRUE);
    PostMessageW(h, WM_USER, 0, 0);
    MSG m;
    ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_USER);
    ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_PAINT);
    EXPECT_EQ(m.hwnd, h);
    // Dispatched to DefWindowProcW (which validates), nothing is left to paint.
    DefWindowProcW(m.hwnd, m.message, m.wParam, m.lParam);
    EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(Count(other, WM_PAINT), 0);
}

// BeginPaint erases with WM_ERASEBKGND only when erasing was asked for.
TEST_F(WmTest, BeginPaintErasesOnRequest) {
    HWND h = Top(0, 0, 50, 50);
    driver.Pump();
    for (BOOL erase : {FALSE, TRUE}) {
        Log().clear();
        InvalidateRect(h, nullptr, erase);
        driver.Pump();
        EXPECT_EQ(Count(h, WM_PAINT), 1);
        EXPECT_EQ(Count(h, WM_ERASEBKGND), erase ? 1 : 0) << "erase " << erase;
    }
}

TEST_F(WmTest, PostQuitMessageEndsGetMessage) {
    PostQuitMessage(7);
    MSG m;
    EXPECT_EQ(GetMessageW(&m, nullptr, 0, 0), FALSE);
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, 7u);
}

// Timers fire when due, to their window, with their identifier; setting the
// same window and identifier again replaces the timer.
TEST_F(WmTest, TimersFireWhenDueAndReplace) {
    HWND h = Top(0, 0, 50, 50);
    driver.Pump();
    Log().clear();
    SetTimer(h, 5, 300, nullptr);
    SetTimer(h, 6, 1000, nullptr);
    SetTimer(h, 5, 300, nullptr);  // replaces, does not add
    EXPECT_EQ(platform::LiveObjects(platform::Kind::Timer), 2u);
    driver.Advance(299);
    EXPECT_EQ(Count(h, WM_TIMER), 0);
    driver.Advance(1);
    EXPECT_EQ(Count(h, WM_TIMER), 1);
    EXPECT_EQ(Last(h, WM_TIMER)->wParam, 5u);
    driver.Advance(700);  // 600 and 900 for timer 5, 1000 for timer 6
    int fives = 0, sixes = 0;
    for (const Seen& s : Log())
        if (s.msg == WM_TIMER) (s.wParam == 5 ? fives : sixes)++;
    EXPECT_EQ(fives, 3);
    EXPECT_EQ(sixes, 1);
    EXPECT_TRUE(KillTimer(h, 6));
    EXPECT_FALSE(KillTimer(h, 6));
}

// A timer's WM_TIMER waits behind posted messages.
TEST_F(WmTest, TimerWaitsForPostedMessages) {
    HWND h = Top(0, 0, 50, 50);
    driver.Pump();
    SetTimer(h, 1, 10, nullptr);
    driver.Host().AdvanceClock(20);
    PostMessageW(h, WM_USER, 0, 0);
    MSG m;
    ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_USER);
    ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_TIMER);
}

// GWL_WNDPROC hands back the previous procedure, and CallWindowProcW reaches it.
WNDPROC previousProc = nullptr;
int subclassCalls = 0;
LRESULT CALLBACK Subclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_USER + 9) ++subclassCalls;
    return CallWindowProcW(previousProc, hwnd, msg, wParam, lParam);
}

TEST_F(WmTest, SubclassingChainsToThePreviousProcedure) {
    HWND h = Top(0, 0, 50, 50);
    previousProc =
        reinterpret_cast<WNDPROC>(SetWindowLongW(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&Subclass)));
    EXPECT_EQ(previousProc, &ProbeProc);
    EXPECT_EQ(GetWindowLongW(h, GWL_WNDPROC), reinterpret_cast<LONG_PTR>(&Subclass));
    Log().clear();
    subclassCalls = 0;
    SendMessageW(h, WM_USER + 9, 0, 0);
    EXPECT_EQ(subclassCalls, 1);
    EXPECT_EQ(Count(h, WM_USER + 9), 1);
}

// Destruction: WM_DESTROY to the window then its children, WM_NCDESTROY to
// all, owned windows go too, timers die, and stale handles fail cleanly.
TEST_F(WmTest, DestroyTakesChildrenOwnedWindowsAndTimers) {
    HWND top = Top(0, 0, 200, 200);
    HWND child = Child(top, 0, 0, 50, 50);
    HWND grandchild = Child(child, 0, 0, 10, 10);
    HWND owned = Top(10, 10, 50, 50, 0, WS_POPUP | WS_CAPTION | WS_VISIBLE, top);
    SetTimer(child, 1, 100, nullptr);
    SetTimer(top, 2, 100, nullptr);
    Log().clear();
    EXPECT_TRUE(DestroyWindow(top));
    std::vector<std::pair<HWND, UINT>> order;
    for (const Seen& s : Log())
        if (s.msg == WM_DESTROY) order.push_back({s.hwnd, s.msg});
    const std::vector<std::pair<HWND, UINT>> expected = {
        {owned, WM_DESTROY}, {top, WM_DESTROY}, {child, WM_DESTROY}, {grandchild, WM_DESTROY}};
    EXPECT_EQ(order, expected);
    for (HWND h : {top, child, grandchild, owned}) {
        EXPECT_EQ(Count(h, WM_NCDESTROY), 1);
        EXPECT_FALSE(IsWindow(h));
    }
    EXPECT_EQ(platform::LiveObjects(platform::Kind::Window), 0u);
    EXPECT_EQ(platform::LiveObjects(platform::Kind::Timer), 0u);
    struct Call {
        const char* name;
        bool failed;
    };
    SetLastError(0);
    const Call calls[] = {
        {"DestroyWindow", DestroyWindow(top) == FALSE},
        {"ShowWindow", ShowWindow(top, SW_SHOW) == FALSE},
        {"SetWindowTextW", SetWindowTextW(top, u"x") == FALSE},
        {"SendMessageW", SendMessageW(top, WM_USER, 0, 0) == 0},
        {"PostMessageW", PostMessageW(top, WM_USER, 0, 0) == FALSE},
        {"SetTimer", SetTimer(top, 1, 10, nullptr) == 0},
    };
    for (const Call& c : calls)
        EXPECT_TRUE(c.failed) << c.name;
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

// Destroying a window from its own WM_DESTROY, or twice, is harmless.
LRESULT CALLBACK DestroyAgain(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        DestroyWindow(hwnd);
        SendMessageW(hwnd, WM_USER, 0, 0);
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

TEST_F(WmTest, DestroyInsideDestroyAndBadSizes) {
    HWND h = Top(0, 0, -5, -7);
    RECT r;
    GetClientRect(h, &r);
    EXPECT_EQ(r.right, 0);
    EXPECT_EQ(r.bottom, 0);
    SetWindowLongW(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&DestroyAgain));
    EXPECT_TRUE(DestroyWindow(h));
    EXPECT_FALSE(DestroyWindow(h));
    EXPECT_FALSE(IsWindow(h));
}

// Text round-trips through WM_SETTEXT/WM_GETTEXT and reaches the host title.
TEST_F(WmTest, TextReachesTheHostTitle) {
    HWND h = Top(0, 0, 50, 50);
    EXPECT_TRUE(SetWindowTextW(h, u"Abaco \u00e8"));
    EXPECT_EQ(driver.WindowTitle(h), "Abaco \xc3\xa8");
    WCHAR buffer[6];
    EXPECT_EQ(GetWindowTextW(h, buffer, 6), 5);
    EXPECT_EQ(std::u16string(buffer), u"Abaco");
    EXPECT_EQ(GetWindowTextLengthW(h), 7);
}

}  // namespace
}  // namespace wmtest
