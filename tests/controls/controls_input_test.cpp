// The controls under input injected through the headless host as a person
// produces it, with the fake clock: the caret stops blinking after ten idle
// seconds, a disabled button ignores the mouse, the menu bar answers Alt+F
// and F10, and timers keep ticking while a message box waits.
#include <gtest/gtest.h>

#include <memory>

#include "platform/core/handles.h"
#include "platform/host/headless/headless.h"
#include "platform/winapi.h"
#include "platform/wm/wm_internal.h"

namespace {

using platform::headless::Driver;

int timerTicks = 0;
int editTimers = 0;
std::vector<WPARAM> commands;
Driver* driver = nullptr;
WNDPROC editProc = nullptr;

// Puts a key press and release into the host's queue without pumping, for
// a modal loop that is waiting inside the current pump.
void InjectKey(platform::headless::HeadlessHost& host, int vk) {
    for (auto type : {platform::host::Event::Type::KeyDown, platform::host::Event::Type::KeyUp}) {
        platform::host::Event e;
        e.type = type;
        e.window = host.FocusedWindow();
        e.key = vk;
        host.Inject(e);
    }
}

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND) commands.push_back(wParam);
    if (msg == WM_TIMER && wParam == 1) {
        // The third tick answers the open message box with Enter.
        if (++timerTicks == 3 && driver) InjectKey(driver->host(), VK_RETURN);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK CountingEditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER) ++editTimers;
    return CallWindowProcW(editProc, hwnd, msg, wParam, lParam);
}

// Answers each wait of a modal loop with the next key of `keys`.
void ScriptKeys(Driver& d, std::vector<int> keys) {
    auto next = std::make_shared<std::size_t>(0);
    d.host().SetIdleHandler([&d, keys, next] {
        if (*next >= keys.size()) return false;
        InjectKey(d.host(), keys[(*next)++]);
        return true;
    });
}

class Input : public ::testing::Test {
protected:
    void SetUp() override {
        static bool registered = false;
        if (!registered) {
            WNDCLASSW wc{};
            wc.lpfnWndProc = OwnerProc;
            wc.lpszClassName = u"InputTestOwner";
            wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
            RegisterClassW(&wc);
            registered = true;
        }
        driver = &d;
        windowsBefore = platform::LiveObjects(platform::Kind::Window);
        timersBefore = platform::LiveObjects(platform::Kind::Timer);
        owner = CreateWindowExW(0, u"InputTestOwner", u"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60, 400,
                                300, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(owner, nullptr);
        d.FocusGained(owner);
        d.Pump();
        commands.clear();
        timerTicks = editTimers = 0;
    }
    void TearDown() override {
        DestroyWindow(owner);
        d.Pump();
        driver = nullptr;
        EXPECT_EQ(platform::LiveObjects(platform::Kind::Window), windowsBefore);
        EXPECT_EQ(platform::LiveObjects(platform::Kind::Timer), timersBefore);
    }
    Driver d;
    HWND owner = nullptr;
    std::size_t windowsBefore = 0, timersBefore = 0;
};

// The caret blinks while the person is active and stops after ten seconds
// without input, so an idle program gets no more timer messages; typing
// starts it again.
TEST_F(Input, CaretBlinkStopsWhenIdle) {
    HWND edit = CreateWindowExW(0, u"edit", u"abc", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10, 10, 150, 24,
                                owner, reinterpret_cast<HMENU>(3), nullptr, nullptr);
    editProc = reinterpret_cast<WNDPROC>(
        SetWindowLongW(edit, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingEditProc)));
    const POINT p = d.ScreenPoint(edit, 5, 5);
    d.Click(p.x, p.y);
    d.Pump();
    ASSERT_EQ(GetFocus(), edit);
    d.Advance(5000);
    const int duringActivity = editTimers;
    EXPECT_GE(duringActivity, 8);
    d.Advance(5600);  // past ten seconds since the click
    const int atStop = editTimers;
    d.Advance(30000);
    EXPECT_EQ(editTimers, atStop);
    d.Type(u"x");
    d.Pump();
    d.Advance(2000);
    EXPECT_GT(editTimers, atStop);
    EXPECT_EQ(GetWindowTextLengthW(edit), 4);
}

// A disabled button gets no clicks from the mouse; enabled again, it does.
TEST_F(Input, DisabledButtonIgnoresClicks) {
    HWND b = CreateWindowExW(0, u"Button", u"OK", WS_CHILD | WS_VISIBLE | WS_DISABLED, 20, 20, 80, 30, owner,
                             reinterpret_cast<HMENU>(9), nullptr, nullptr);
    const POINT p = d.ScreenPoint(b, 10, 10);
    d.Click(p.x, p.y);
    d.Pump();
    EXPECT_TRUE(commands.empty());
    EnableWindow(b, TRUE);
    d.Click(p.x, p.y);
    d.Pump();
    EXPECT_EQ(commands, std::vector<WPARAM>{MAKEWPARAM(9, BN_CLICKED)});
}

// The bar answers the keyboard through the window manager: Alt+F, Enter and
// F10, Right, Down, Enter; and a click on a title, then on an item.
TEST_F(Input, MenuBarFromRealInput) {
    HMENU bar = CreateMenu(), file = CreateMenu(), help = CreateMenu();
    AppendMenuW(file, MF_STRING, 11, u"&Esci");
    AppendMenuW(help, MF_STRING, 12, u"&Guida");
    AppendMenuW(help, MF_STRING, 13, u"&Home");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), u"&File");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), u"&?");
    SetMenu(owner, bar);
    DrawMenuBar(owner);
    d.Pump();

    ScriptKeys(d, {VK_RETURN});
    d.Key('F', Driver::Alt);
    d.Pump();
    ScriptKeys(d, {VK_RIGHT, VK_DOWN, VK_RETURN});
    d.Key(VK_F10);
    d.Pump();
    d.host().SetIdleHandler(nullptr);
    EXPECT_EQ(commands, (std::vector<WPARAM>{MAKEWPARAM(11, 0), MAKEWPARAM(12, 0)}));

    commands.clear();
    const RECT barRect = platform::wm::MenuBarRect(owner);
    RECT window{};
    GetWindowRect(owner, &window);
    const int titleX = window.left + barRect.left + 5,
              titleY = window.top + (barRect.top + barRect.bottom) / 2;
    // The menu loop runs inside the pump; when it waits, the person clicks
    // the middle of the open drop-down (its one item).
    bool clicked = false;
    d.host().SetIdleHandler([&] {
        for (HWND w : platform::wm::TopLevelWindows()) {
            WCHAR cls[64] = {};
            GetClassNameW(w, cls, 64);
            if (clicked || std::u16string(cls) != u"KelvoMenuDropDown") continue;
            RECT pr{};
            GetWindowRect(w, &pr);
            clicked = true;
            for (auto type : {platform::host::Event::Type::MouseDown, platform::host::Event::Type::MouseUp}) {
                platform::host::Event e;
                e.type = type;
                e.window = platform::wm::HostWindowOf(w);
                e.x = (pr.right - pr.left) / 2;
                e.y = (pr.bottom - pr.top) / 2;
                e.button = 1;
                d.host().Inject(e);
            }
            return true;
        }
        return false;
    });
    d.Click(titleX, titleY);
    d.Pump();
    d.host().SetIdleHandler(nullptr);
    EXPECT_TRUE(clicked);
    EXPECT_EQ(commands, std::vector<WPARAM>{MAKEWPARAM(11, 0)});
}

// Timers keep ticking while the message box waits; here the third tick
// answers it with Enter, the default Yes.
TEST_F(Input, TimersTickDuringMessageBox) {
    SetTimer(owner, 1, 100, nullptr);
    const int answer =
        MessageBoxA(nullptr, "Vuoi realmente uscire?", "Uscita", MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL);
    KillTimer(owner, 1);
    EXPECT_EQ(answer, IDYES);
    EXPECT_GE(timerTicks, 3);
    EXPECT_TRUE(IsWindowEnabled(owner));
}

}  // namespace

// A click on a scroll-bar arrow comes as press and release together, so the
// scroll bar's tracking loop, which under the fake clock wakes only for its
// repeat timer, finds the release and returns after one line.
TEST_F(Input, ClickOnScrollBarArrowReturns) {
    HWND edit =
        CreateWindowExW(0, u"edit", u"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOHSCROLL,
                        10, 10, 150, 100, owner, reinterpret_cast<HMENU>(5), nullptr, nullptr);
    std::u16string text;
    for (int i = 0; i < 40; ++i)
        text += u"line\r\n";
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    d.Pump();
    const RECT bar = platform::wm::VerticalScrollBarRect(edit);
    RECT window{};
    GetWindowRect(edit, &window);
    const int arrow = bar.right - bar.left;
    d.Click(window.left + (bar.left + bar.right) / 2, window.top + bar.bottom - arrow / 2);
    EXPECT_EQ(SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 1);
    EXPECT_EQ(GetCapture(), nullptr);
    DestroyWindow(edit);
}

// A message box waiting while a timer runs wakes only for the timer; the
// idle handler is still asked at each such wait, so a scripted answer gets
// in before the next tick, and input it queues is not dispatched behind the
// loop's back.
TEST_F(Input, IdleHandlerAnswersAModalLoopThatWakesForTimers) {
    SetTimer(owner, 2, 100, nullptr);
    int calls = 0;
    d.host().SetIdleHandler([&] {
        ++calls;
        EXPECT_TRUE(d.host().InIdleHandler());
        HWND box = nullptr;
        for (HWND w : platform::wm::TopLevelWindows())
            if (w != owner) box = w;
        if (box == nullptr) return false;
        d.Key('N');
        return true;
    });
    const int answer = MessageBoxA(nullptr, "Vuoi realmente uscire?", "Uscita", MB_YESNO | MB_TASKMODAL);
    d.host().SetIdleHandler(nullptr);
    KillTimer(owner, 2);
    EXPECT_EQ(answer, IDNO);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(d.host().InIdleHandler());
}
