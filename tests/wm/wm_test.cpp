// The window manager on the headless host: messages, creation and
// destruction, frames, painting and presenting, timers, focus and activation,
// dialog navigation and input as a person produces it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/handles.h"
#include "platform/host/headless/headless.h"
#include "platform/winapi.h"

using platform::Kind;
using platform::LiveObjects;
using platform::headless::Driver;

namespace {

// Every message a test window receives, in order.
struct Seen {
    HWND hwnd;
    UINT msg;
    WPARAM wp;
    LPARAM lp;
};
std::vector<Seen> seen;
LRESULT (*hook)(HWND, UINT, WPARAM, LPARAM) = nullptr;  // answers before the default

LRESULT CALLBACK RecordingProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    seen.push_back({h, m, w, l});
    if (hook) {
        LRESULT r = hook(h, m, w, l);
        if (r != -12345) return r;
    }
    return DefWindowProcW(h, m, w, l);
}

void RegisterOnce(LPCWSTR name, UINT style, HBRUSH brush) {
    WNDCLASSW wc{};
    wc.style = style;
    wc.lpfnWndProc = RecordingProc;
    wc.hbrBackground = brush;
    wc.lpszClassName = name;
    RegisterClassW(&wc);
}

std::vector<UINT> MessagesOf(HWND h, std::initializer_list<UINT> interesting) {
    std::vector<UINT> out;
    for (const Seen& s : seen)
        if (s.hwnd == h)
            for (UINT i : interesting)
                if (s.msg == i) out.push_back(s.msg);
    return out;
}

int Count(HWND h, UINT msg) {
    int n = 0;
    for (const Seen& s : seen)
        n += (s.hwnd == h && s.msg == msg);
    return n;
}

class Wm : public ::testing::Test {
protected:
    void SetUp() override {
        seen.clear();
        hook = nullptr;
        RegisterOnce(u"TestTop", CS_DBLCLKS, CreateSolidBrush(RGB(0, 0, 255)));
        RegisterOnce(u"TestChild", 0, CreateSolidBrush(RGB(255, 0, 0)));
        RegisterOnce(u"TestChildDbl", CS_DBLCLKS, CreateSolidBrush(RGB(0, 255, 0)));
        windowsBefore = LiveObjects(Kind::Window);
        timersBefore = LiveObjects(Kind::Timer);
        d.Pump();
    }
    void TearDown() override {
        hook = nullptr;
        for (HWND h : made)
            if (IsWindow(h)) DestroyWindow(h);
        d.Pump();
        EXPECT_EQ(LiveObjects(Kind::Window), windowsBefore) << "windows leaked";
        EXPECT_EQ(LiveObjects(Kind::Timer), timersBefore) << "timers leaked";
    }
    HWND Top(int x = 100, int y = 100, int w = 300, int h = 200,
             DWORD style = WS_VISIBLE | WS_CAPTION | WS_SYSMENU) {
        HWND t =
            CreateWindowExW(0, u"testtop", u"Top", style, x, y, w, h, nullptr, nullptr, nullptr, nullptr);
        made.push_back(t);
        return t;
    }
    HWND Child(HWND parent, int x, int y, int w, int h, DWORD style = WS_VISIBLE, DWORD ex = 0, int id = 0,
               LPCWSTR cls = u"TestChild") {
        return CreateWindowExW(ex, cls, u"", WS_CHILD | style, x, y, w, h, parent,
                               reinterpret_cast<HMENU>(static_cast<std::intptr_t>(id)), nullptr, nullptr);
    }
    Driver d;
    std::vector<HWND> made;
    size_t windowsBefore = 0, timersBefore = 0;
};

// The creation messages reach the procedure before CreateWindowExW returns,
// and WM_SHOWWINDOW only for a window created visible.
TEST_F(Wm, CreationMessagesArriveBeforeTheHandleIsReturned) {
    struct Case {
        DWORD style;
        std::vector<UINT> expected;
    } cases[] = {
        {WS_VISIBLE | WS_CAPTION, {WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW}},
        {WS_CAPTION, {WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE}},
    };
    for (const Case& c : cases) {
        seen.clear();
        HWND t = Top(10, 10, 200, 100, c.style);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(MessagesOf(t, {WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW}), c.expected)
            << "style " << std::hex << c.style;
        ShowWindow(t, SW_SHOW);
        ShowWindow(t, SW_SHOW);  // no change: no second WM_SHOWWINDOW
        EXPECT_EQ(Count(t, WM_SHOWWINDOW), 1);
    }
}

// A procedure that fails WM_CREATE makes creation fail and leaves nothing behind.
TEST_F(Wm, FailedCreationReturnsNullAndLeaksNothing) {
    hook = [](HWND, UINT m, WPARAM, LPARAM) -> LRESULT { return m == WM_CREATE ? -1 : -12345; };
    EXPECT_EQ(Top(), nullptr);
    hook = nullptr;
    EXPECT_EQ(CreateWindowExW(0, u"NoSuchClass", u"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
}

// Sent messages run at once (nested too); posted ones arrive in order, and
// PostQuitMessage ends GetMessageW.
TEST_F(Wm, SentRunAtOncePostedArriveInOrderQuitEndsTheLoop) {
    HWND t = Top();
    d.Pump();
    hook = [](HWND h, UINT m, WPARAM w, LPARAM) -> LRESULT {
        if (m == WM_USER + 1) return SendMessageW(h, WM_USER + 2, w + 1, 0) + 1;
        if (m == WM_USER + 2) return static_cast<LRESULT>(w * 10);
        return -12345;
    };
    EXPECT_EQ(SendMessageW(t, WM_USER + 1, 4, 0), 51);
    seen.clear();
    for (WPARAM i = 0; i < 3; ++i)
        PostMessageW(t, WM_USER + 5, i, 0);
    PostQuitMessage(7);
    MSG m;
    std::vector<WPARAM> order;
    while (GetMessageW(&m, nullptr, 0, 0)) {
        order.push_back(m.wParam);
        DispatchMessageW(&m);
    }
    EXPECT_EQ(order, (std::vector<WPARAM>{0, 1, 2}));
    EXPECT_EQ(m.wParam, 7u);
}

// Subclassing: SetWindowLongW returns the previous procedure and
// CallWindowProcW reaches it.
WNDPROC previousProc = nullptr;
LRESULT CALLBACK Subclass(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_USER + 9) return 100 + CallWindowProcW(previousProc, h, m, w, l);
    return CallWindowProcW(previousProc, h, m, w, l);
}
TEST_F(Wm, SubclassChainReachesThePreviousProcedure) {
    HWND t = Top();
    hook = [](HWND, UINT m, WPARAM, LPARAM) -> LRESULT { return m == WM_USER + 9 ? 5 : -12345; };
    previousProc =
        reinterpret_cast<WNDPROC>(SetWindowLongW(t, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(Subclass)));
    EXPECT_EQ(previousProc, RecordingProc);
    EXPECT_EQ(GetWindowLongW(t, GWL_WNDPROC), reinterpret_cast<LONG_PTR>(Subclass));
    EXPECT_EQ(SendMessageW(t, WM_USER + 9, 0, 0), 105);
}

// Destruction: WM_DESTROY parent first, WM_NCDESTROY children first; owned
// windows and timers go too; stale handles fail with the window error.
TEST_F(Wm, DestroyTakesChildrenOwnedWindowsAndTimers) {
    HWND t = Top();
    HWND c = Child(t, 0, 0, 10, 10);
    HWND owned = CreateWindowExW(0, u"TestTop", u"Owned", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0, 50, 50, t,
                                 nullptr, nullptr, nullptr);
    SetTimer(t, 3, 300, nullptr);
    SetTimer(c, 4, 300, nullptr);
    // Destroying itself again inside WM_DESTROY is harmless.
    hook = [](HWND h, UINT m, WPARAM, LPARAM) -> LRESULT {
        if (m == WM_DESTROY) DestroyWindow(h);
        return -12345;
    };
    seen.clear();
    EXPECT_TRUE(DestroyWindow(t));
    std::vector<std::pair<HWND, UINT>> order;
    for (const Seen& s : seen)
        if (s.msg == WM_DESTROY || s.msg == WM_NCDESTROY) order.push_back({s.hwnd, s.msg});
    std::vector<std::pair<HWND, UINT>> expected{{owned, WM_DESTROY}, {owned, WM_NCDESTROY},
                                                {t, WM_DESTROY},     {c, WM_DESTROY},
                                                {c, WM_NCDESTROY},   {t, WM_NCDESTROY}};
    EXPECT_EQ(order, expected);
    for (HWND h : {t, c, owned}) {
        SetLastError(0);
        EXPECT_FALSE(IsWindow(h));
        EXPECT_EQ(SendMessageW(h, WM_USER, 0, 0), 0);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
        EXPECT_FALSE(DestroyWindow(h));
    }
}

// The client area excludes every frame part we draw; a style change takes
// effect with SWP_FRAMECHANGED.
TEST_F(Wm, ClientRectExcludesFrames) {
    HWND t = Top();
    struct Case {
        DWORD style, ex;
        LONG w, h;
    } cases[] = {
        {0, 0, 100, 50},
        {WS_BORDER, 0, 98, 48},
        {0, WS_EX_CLIENTEDGE, 96, 46},
        {WS_BORDER, WS_EX_CLIENTEDGE, 94, 44},
        {WS_VSCROLL, WS_EX_CLIENTEDGE, 96 - 17, 46},
    };
    for (const Case& c : cases) {
        HWND ch = Child(t, 5, 5, 100, 50, WS_VISIBLE | c.style, c.ex);
        RECT r;
        GetClientRect(ch, &r);
        EXPECT_EQ(r.right, c.w) << std::hex << c.style << " " << c.ex;
        EXPECT_EQ(r.bottom, c.h) << std::hex << c.style << " " << c.ex;
        DestroyWindow(ch);
    }
    HWND ch = Child(t, 5, 5, 100, 50);
    SetWindowLongW(ch, GWL_STYLE, GetWindowLongW(ch, GWL_STYLE) | WS_BORDER);
    SetWindowPos(ch, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    RECT r;
    GetClientRect(ch, &r);
    EXPECT_EQ(r.right, 98);
    // Captioned top-level windows: our frame is empty, the rect is the content area.
    RECT wr;
    GetWindowRect(t, &wr);
    GetClientRect(t, &r);
    EXPECT_EQ(wr.left, 100);
    EXPECT_EQ(wr.right - wr.left, r.right);
    // Zero and negative sizes are clamped, not trusted.
    HWND z = Child(t, 0, 0, -5, 0);
    ASSERT_NE(z, nullptr);
    GetClientRect(z, &r);
    EXPECT_EQ(r.right, 0);
}

// Painting: WM_PAINT only once the queue is empty and only for windows with
// something to repaint; a child's repaint does not repaint its parent and
// presents just its own pixels; the parent never paints over the child.
TEST_F(Wm, PaintComesLastOnlyForDirtyWindowsAndPresentsOnlyChanges) {
    HWND t = Top(100, 100, 200, 100);
    HWND c = Child(t, 20, 10, 25, 40);
    d.Pump();
    EXPECT_EQ(d.Pixel(t, 5, 5), RGB(0, 0, 255));
    EXPECT_EQ(d.Pixel(c, 3, 3), RGB(255, 0, 0));
    seen.clear();
    InvalidateRect(c, nullptr, TRUE);
    PostMessageW(t, WM_USER, 0, 0);
    d.ResetPresentedPixelCount();
    d.Pump();
    std::vector<std::pair<HWND, UINT>> order;
    for (const Seen& s : seen)
        if (s.msg == WM_PAINT || s.msg == WM_USER) order.push_back({s.hwnd, s.msg});
    EXPECT_EQ(order, (std::vector<std::pair<HWND, UINT>>{{t, WM_USER}, {c, WM_PAINT}}));
    EXPECT_EQ(d.PresentedPixelCount(), 25u * 40u);
    // The parent repaints its whole client but stays out of the child.
    InvalidateRect(t, nullptr, TRUE);
    d.Pump();
    EXPECT_EQ(d.Pixel(c, 3, 3), RGB(255, 0, 0));
    EXPECT_EQ(d.PresentedPixelCount(), 25u * 40u + 200u * 100u);  // the parent's drawn bounds
    // Nothing dirty: nothing painted, nothing presented.
    seen.clear();
    d.ResetPresentedPixelCount();
    d.Pump();
    EXPECT_EQ(Count(t, WM_PAINT) + Count(c, WM_PAINT), 0);
    EXPECT_EQ(d.PresentedPixelCount(), 0u);
}

// BeginPaint validates and erases, also outside WM_PAINT.
TEST_F(Wm, BeginPaintValidatesAndErasesOutsideWmPaint) {
    HWND t = Top();
    d.Pump();
    InvalidateRect(t, nullptr, TRUE);
    seen.clear();
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(t, &ps);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(Count(t, WM_ERASEBKGND), 1);
    EXPECT_EQ(ps.rcPaint.right, 300);
    EndPaint(t, &ps);
    RECT u;
    EXPECT_FALSE(GetUpdateRect(t, &u, FALSE));
}

// Timers: WM_TIMER with the identifier to the window given, at the interval;
// SetTimer again replaces; KillTimer stops; timers count in the handle table.
TEST_F(Wm, TimersFireAtTheirIntervalAndAreReplacedByTheSameId) {
    HWND t = Top();
    d.Pump();
    SetTimer(t, 42, 300, nullptr);
    SetTimer(t, 42, 300, nullptr);
    EXPECT_EQ(LiveObjects(Kind::Timer), timersBefore + 1);
    seen.clear();
    d.Advance(1000);
    EXPECT_EQ(Count(t, WM_TIMER), 3);
    for (const Seen& s : seen) {
        if (s.msg == WM_TIMER) {
            EXPECT_EQ(s.wp, 42u);
        }
    }
    EXPECT_TRUE(KillTimer(t, 42));
    EXPECT_FALSE(KillTimer(t, 42));
    seen.clear();
    d.Advance(1000);
    EXPECT_EQ(Count(t, WM_TIMER), 0);
}

// Activation: WM_ACTIVATE reaches both windows with the new foreground
// window already in place; focus moves with WM_KILLFOCUS then WM_SETFOCUS.
TEST_F(Wm, ActivationAndFocusMessages) {
    HWND a = Top(0, 0, 100, 100);
    HWND b = Top(200, 0, 100, 100);
    HWND edit = Child(a, 0, 0, 50, 20, WS_VISIBLE | WS_TABSTOP);
    d.Pump();
    EXPECT_EQ(GetForegroundWindow(), b);
    static HWND foregroundDuringActivate;
    foregroundDuringActivate = nullptr;
    hook = [](HWND h, UINT m, WPARAM w, LPARAM) -> LRESULT {
        if (m == WM_ACTIVATE && LOWORD(w) != WA_INACTIVE) foregroundDuringActivate = GetForegroundWindow();
        (void)h;
        return -12345;
    };
    seen.clear();
    SetFocus(edit);  // inside an inactive window: activates it
    EXPECT_EQ(GetForegroundWindow(), a);
    EXPECT_EQ(foregroundDuringActivate, a);
    EXPECT_EQ(GetFocus(), edit);
    ASSERT_FALSE(MessagesOf(b, {WM_ACTIVATE}).empty());
    SetFocus(a);
    EXPECT_EQ(MessagesOf(edit, {WM_SETFOCUS, WM_KILLFOCUS}), (std::vector<UINT>{WM_SETFOCUS, WM_KILLFOCUS}));
    // SW_SHOWNA does not activate; destroying the active window activates the next.
    HWND c = Top(0, 300, 50, 50, WS_CAPTION);
    ShowWindow(c, SW_SHOWNA);
    EXPECT_EQ(GetForegroundWindow(), a);
    DestroyWindow(a);
    EXPECT_TRUE(GetForegroundWindow() == b || GetForegroundWindow() == c);
}

// Tab order: visible, enabled WS_TABSTOP descendants in creation order,
// wrapping, backwards on request.
TEST_F(Wm, NextDialogTabItemWalksVisibleEnabledTabStops) {
    HWND t = Top();
    HWND a = Child(t, 0, 0, 10, 10, WS_VISIBLE | WS_TABSTOP);
    HWND hidden = Child(t, 0, 20, 10, 10, WS_TABSTOP);
    HWND b = Child(t, 0, 40, 10, 10, WS_VISIBLE | WS_TABSTOP);
    HWND off = Child(t, 0, 60, 10, 10, WS_VISIBLE | WS_TABSTOP | WS_DISABLED);
    HWND plain = Child(t, 0, 80, 10, 10, WS_VISIBLE);
    HWND c = Child(t, 0, 100, 10, 10, WS_VISIBLE | WS_TABSTOP);
    (void)hidden;
    (void)off;
    struct Case {
        HWND from;
        BOOL back;
        HWND expected;
    } cases[] = {{a, FALSE, b}, {b, FALSE, c},     {c, FALSE, a}, {a, TRUE, c},
                 {c, TRUE, b},  {plain, FALSE, c}, {t, FALSE, a}, {nullptr, TRUE, c}};
    for (const Case& k : cases)
        EXPECT_EQ(GetNextDlgTabItem(t, k.from, k.back), k.expected);
}

// IsDialogMessageW: Tab moves focus, Enter and Escape become commands, and
// messages for other windows are not taken.
TEST_F(Wm, DialogKeysBecomeNavigationAndCommands) {
    HWND dlg = Top();
    HWND other = Top(500, 500, 50, 50);
    HWND a = Child(dlg, 0, 0, 10, 10, WS_VISIBLE | WS_TABSTOP, 0, 11);
    HWND b = Child(dlg, 0, 20, 10, 10, WS_VISIBLE | WS_TABSTOP, 0, 12);
    d.Pump();
    SetFocus(a);
    MSG tab{a, WM_KEYDOWN, VK_TAB, 1, 0, {}};
    EXPECT_TRUE(IsDialogMessageW(dlg, &tab));
    EXPECT_EQ(GetFocus(), b);
    struct Case {
        int vk;
        WORD id;
    } cases[] = {{VK_RETURN, IDOK}, {VK_ESCAPE, IDCANCEL}};
    for (const Case& k : cases) {
        seen.clear();
        MSG m{b, WM_KEYDOWN, static_cast<WPARAM>(k.vk), 1, 0, {}};
        EXPECT_TRUE(IsDialogMessageW(dlg, &m));
        bool found = false;
        for (const Seen& s : seen)
            found |= s.hwnd == dlg && s.msg == WM_COMMAND && LOWORD(s.wp) == k.id;
        EXPECT_TRUE(found) << k.vk;
    }
    MSG foreign{other, WM_KEYDOWN, VK_TAB, 1, 0, {}};
    EXPECT_FALSE(IsDialogMessageW(dlg, &foreign));
}

// Pointer input: presses reach the deepest window under the pointer with
// client coordinates; double clicks only for CS_DBLCLKS classes; a disabled
// window gets nothing; the pressed window keeps the pointer until release.
TEST_F(Wm, MouseInputReachesTheWindowUnderThePointer) {
    HWND t = Top(100, 100, 300, 200);
    HWND plain = Child(t, 10, 10, 50, 50);
    HWND dbl = Child(t, 100, 10, 50, 50, WS_VISIBLE, 0, 0, u"TestChildDbl");
    HWND off = Child(t, 200, 10, 50, 50, WS_VISIBLE | WS_DISABLED);
    d.Pump();
    seen.clear();
    d.Click(115, 117);
    ASSERT_EQ(Count(plain, WM_LBUTTONDOWN), 1);
    for (const Seen& s : seen)
        if (s.hwnd == plain && s.msg == WM_LBUTTONDOWN) {
            EXPECT_EQ(GET_X_LPARAM(s.lp), 5);
            EXPECT_EQ(GET_Y_LPARAM(s.lp), 7);
        }
    EXPECT_EQ(GetForegroundWindow(), t);
    struct Case {
        HWND target;
        int x;
        int downs, dbls;
    } cases[] = {{plain, 120, 2, 0}, {dbl, 210, 1, 1}, {off, 310, 0, 0}};
    for (const Case& c : cases) {
        seen.clear();
        d.Click(c.x, 120);
        d.Advance(100);
        d.Click(c.x + 1, 121);
        EXPECT_EQ(Count(c.target, WM_LBUTTONDOWN), c.downs);
        EXPECT_EQ(Count(c.target, WM_LBUTTONDBLCLK), c.dbls);
        d.Advance(1000);
    }
    // Implicit capture: the release left of the window still reaches it, negative.
    seen.clear();
    d.Press(115, 115);
    d.Move(90, 115);
    d.Release(90, 115);
    bool negative = false;
    for (const Seen& s : seen)
        negative |= s.hwnd == plain && s.msg == WM_LBUTTONUP && GET_X_LPARAM(s.lp) < 0;
    EXPECT_TRUE(negative);
}

// Keys go to the focus window; TranslateMessage adds WM_CHAR for Enter;
// Alt+F4 and the host's close request become WM_CLOSE; typed text becomes
// WM_CHAR per UTF-16 unit.
TEST_F(Wm, KeysReachTheFocusAndCloseGoesThroughWmClose) {
    HWND t = Top();
    HWND c = Child(t, 0, 0, 20, 20, WS_VISIBLE | WS_TABSTOP);
    d.Pump();
    SetFocus(c);
    seen.clear();
    d.Key(VK_RETURN);
    d.Type(u"\u00e8x");
    std::vector<WPARAM> chars;
    for (const Seen& s : seen)
        if (s.hwnd == c && s.msg == WM_CHAR) chars.push_back(s.wp);
    EXPECT_EQ(chars, (std::vector<WPARAM>{13, 0xE8, 'x'}));
    EXPECT_EQ(Count(c, WM_KEYDOWN), 1);
    hook = [](HWND, UINT m, WPARAM, LPARAM) -> LRESULT { return m == WM_CLOSE ? 0 : -12345; };  // veto
    seen.clear();
    d.Key(VK_F4, Driver::Alt);
    d.CloseRequest(t);
    EXPECT_EQ(Count(t, WM_CLOSE), 2);
    EXPECT_TRUE(IsWindow(t));
    hook = nullptr;
    d.CloseRequest(t);
    EXPECT_FALSE(IsWindow(t));
}

// A host Quit destroys every top-level window without WM_CLOSE.
TEST_F(Wm, HostQuitDestroysEveryTopLevelWindow) {
    HWND a = Top();
    HWND b = Top(400, 400, 50, 50);
    d.Pump();
    seen.clear();
    d.Quit();
    EXPECT_FALSE(IsWindow(a));
    EXPECT_FALSE(IsWindow(b));
    EXPECT_EQ(Count(a, WM_CLOSE) + Count(b, WM_CLOSE), 0);
}

// Hover and leave after TrackMouseEvent: WM_MOUSEHOVER once the pointer
// rests 400 ms, WM_MOUSELEAVE when it goes to another window.
TEST_F(Wm, HoverAfterRestAndLeaveWhenThePointerGoes) {
    HWND t = Top(100, 100, 300, 200);
    HWND c = Child(t, 10, 10, 50, 50);
    d.Pump();
    d.Move(120, 120);
    TRACKMOUSEEVENT tme{16, TME_HOVER | TME_LEAVE, c, HOVER_DEFAULT};
    ASSERT_TRUE(TrackMouseEvent(&tme));
    seen.clear();
    d.Advance(399);
    EXPECT_EQ(Count(c, WM_MOUSEHOVER), 0);
    d.Advance(2);
    EXPECT_EQ(Count(c, WM_MOUSEHOVER), 1);
    d.Move(250, 150);
    EXPECT_EQ(Count(c, WM_MOUSELEAVE), 1);
    TRACKMOUSEEVENT bad{0, TME_LEAVE, c, HOVER_DEFAULT};
    EXPECT_FALSE(TrackMouseEvent(&bad));
}

// WM_SETCURSOR carries the window under the pointer, the hit-test code and
// the mouse message; a child answering HTTRANSPARENT lets the press through.
TEST_F(Wm, SetCursorDetailsAndTransparentChildren) {
    HWND t = Top(100, 100, 300, 200);
    HWND below = Child(t, 10, 10, 50, 50);
    HWND glass = Child(t, 10, 10, 50, 50);  // created later: lies under `below`
    SetWindowPos(glass, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    static HWND transparent;
    transparent = glass;
    hook = [](HWND h, UINT m, WPARAM, LPARAM) -> LRESULT {
        return (h == transparent && m == WM_NCHITTEST) ? HTTRANSPARENT : -12345;
    };
    d.Pump();
    seen.clear();
    d.Press(120, 120);
    d.Release(120, 120);
    EXPECT_EQ(Count(glass, WM_LBUTTONDOWN), 0);
    EXPECT_EQ(Count(below, WM_LBUTTONDOWN), 1);
    bool found = false;
    for (const Seen& s : seen)
        if (s.hwnd == below && s.msg == WM_SETCURSOR &&
            HIWORD(static_cast<std::uintptr_t>(s.lp)) == WM_LBUTTONDOWN) {
            found = true;
            EXPECT_EQ(s.wp, reinterpret_cast<WPARAM>(below));
            EXPECT_EQ(LOWORD(static_cast<std::uintptr_t>(s.lp)), HTCLIENT);
        }
    EXPECT_TRUE(found);
}

// A press on a disabled form brings its modal window to the front and
// reaches neither window; the host's close request for it is ignored.
TEST_F(Wm, DisabledFormRaisesItsModalWindowAndIgnoresClose) {
    HWND form = Top(100, 100, 300, 200);
    HWND modal = CreateWindowExW(WS_EX_TOOLWINDOW, u"TestTop", u"Modal", WS_POPUP | WS_CAPTION | WS_VISIBLE,
                                 500, 500, 100, 50, form, nullptr, nullptr, nullptr);
    EnableWindow(form, FALSE);
    d.Pump();
    SetForegroundWindow(form);
    seen.clear();
    d.Click(150, 150);
    EXPECT_EQ(GetForegroundWindow(), modal);
    EXPECT_EQ(Count(form, WM_LBUTTONDOWN) + Count(modal, WM_LBUTTONDOWN), 0);
    d.CloseRequest(form);
    EXPECT_EQ(Count(form, WM_CLOSE), 0);
    EXPECT_TRUE(IsWindow(form));
}

// GetMessageW sleeps on the host until the next due timer: with only a
// 300 ms timer one wait passes the whole interval.
TEST_F(Wm, GetMessageSleepsUntilTheNextTimer) {
    HWND t = Top();
    d.Pump();
    SetTimer(t, 1, 300, nullptr);
    const DWORD start = GetTickCount();
    const auto waits = d.host().WaitCalls();
    MSG m;
    ASSERT_TRUE(GetMessageW(&m, nullptr, 0, 0));
    EXPECT_EQ(m.message, WM_TIMER);
    EXPECT_EQ(GetTickCount() - start, 300u);
    EXPECT_EQ(d.host().WaitCalls() - waits, 1u);
    KillTimer(t, 1);
}

// Invalidation unions rectangles; the wheel goes to the focus window and on
// to its parent by default; GetKeyState reports held modifiers.
TEST_F(Wm, InvalidationUnionsWheelGoesToFocusKeyStateHolds) {
    HWND t = Top(100, 100, 300, 200);
    HWND c = Child(t, 10, 10, 50, 50);
    d.Pump();
    RECT a{1, 1, 5, 5}, b{10, 20, 30, 40}, u;
    InvalidateRect(t, &a, FALSE);
    InvalidateRect(t, &b, FALSE);
    ASSERT_TRUE(GetUpdateRect(t, &u, FALSE));
    EXPECT_EQ(u.left, 1);
    EXPECT_EQ(u.bottom, 40);
    SetFocus(c);
    seen.clear();
    d.Wheel(200, 200, 1);
    EXPECT_EQ(Count(c, WM_MOUSEWHEEL), 1);
    EXPECT_EQ(Count(t, WM_MOUSEWHEEL), 1);
    d.KeyDown(VK_SHIFT);
    EXPECT_TRUE(GetKeyState(VK_SHIFT) & 0x8000);
    d.KeyUp(VK_SHIFT);
    EXPECT_FALSE(GetKeyState(VK_SHIFT) & 0x8000);
}

// A menu bar sits at the top of a top-level window, outside its client area,
// hit-tests as HTMENU, and goes with the window (DestroyMenu).
TEST_F(Wm, MenuBarTakesTheTopOfTheWindowAndGoesWithIt) {
    HWND t = Top(100, 100, 300, 200);
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, 100, u"&Esci");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), u"&File");
    const size_t menus = LiveObjects(Kind::Menu);
    ASSERT_TRUE(SetMenu(t, bar));
    EXPECT_EQ(GetMenu(t), bar);
    RECT c, w;
    GetClientRect(t, &c);
    GetWindowRect(t, &w);
    const int barHeight = (w.bottom - w.top) - c.bottom;
    EXPECT_GT(barHeight, 0);
    POINT origin{0, 0};
    ClientToScreen(t, &origin);
    EXPECT_EQ(origin.y, 100 + barHeight);
    EXPECT_EQ(SendMessageW(t, WM_NCHITTEST, 0, MAKELPARAM(110, 100 + barHeight / 2)), HTMENU);
    EXPECT_EQ(SendMessageW(t, WM_NCHITTEST, 0, MAKELPARAM(110, 100 + barHeight + 1)), HTCLIENT);
    DestroyWindow(t);
    EXPECT_LT(LiveObjects(Kind::Menu), menus);
}

}  // namespace
