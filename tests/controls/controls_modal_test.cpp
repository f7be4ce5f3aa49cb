// Menus and the message box run modal loops inside the call. These tests
// drive them the way a person would, from inside the loop: a message posted
// before the call is dispatched by the loop and posts the next key or click
// to the window that has the focus (or to the open drop-down), one step at a
// time, so every step sees the state the previous one left.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/controls/controls.h"
#include "platform/core/handles.h"
#include "platform/winapi.h"
#include "platform/wm/wm_internal.h"

namespace {

constexpr UINT kStep = WM_USER + 77;
constexpr UINT kEsci = 201, kGuida = 202, kHome = 203;

std::vector<std::function<void()>> script;
std::size_t scriptAt = 0;
std::vector<MSG> commands;

// Runs the next step of the script, then queues the one after it.
void NextStep(HWND hwnd) {
    if (scriptAt >= script.size()) return;
    script[scriptAt++]();
    PostMessageW(hwnd, kStep, 0, 0);
}

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kStep) {
        NextStep(hwnd);
        return 0;
    }
    if (msg == WM_COMMAND) commands.push_back({hwnd, msg, wParam, lParam});
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void Pump() {
    MSG m{};
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

std::u16string ClassOf(HWND hwnd) {
    WCHAR name[64] = {};
    const int n = GetClassNameW(hwnd, name, 64);
    return std::u16string(name, static_cast<std::size_t>(n > 0 ? n : 0));
}

HWND TopLevelOfClass(const std::u16string& cls) {
    for (HWND w : platform::wm::TopLevelWindows()) {
        if (ClassOf(w) == cls) return w;
    }
    return nullptr;
}

std::u16string TextOf(HWND hwnd) {
    WCHAR text[128] = {};
    const int n = GetWindowTextW(hwnd, text, 128);
    return std::u16string(text, static_cast<std::size_t>(n > 0 ? n : 0));
}

void Key(HWND target, int vk) {
    PostMessageW(target, WM_KEYDOWN, static_cast<WPARAM>(vk), 0);
    PostMessageW(target, WM_KEYUP, static_cast<WPARAM>(vk), 0);
}

class Modal : public ::testing::Test {
protected:
    void SetUp() override {
        static bool registered = false;
        if (!registered) {
            WNDCLASSW wc{};
            wc.lpfnWndProc = OwnerProc;
            wc.lpszClassName = u"ModalTestOwner";
            wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
            RegisterClassW(&wc);
            registered = true;
        }
        windowsBefore = platform::LiveObjects(platform::Kind::Window);
        menusBefore = platform::LiveObjects(platform::Kind::Menu);
        graphicsBefore = platform::LiveGraphicsObjects();
        owner = CreateWindowExW(0, u"ModalTestOwner", u"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 400,
                                300, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(owner, nullptr);
        bar = CreateMenu();
        HMENU file = CreateMenu();
        HMENU help = CreateMenu();
        AppendMenuW(file, MF_STRING, kEsci, u"&Esci");
        AppendMenuW(help, MF_STRING, kGuida, u"&Guida");
        AppendMenuW(help, MF_STRING, kHome, u"&Home");
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), u"&File");
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), u"&?");
        SetMenu(owner, bar);
        DrawMenuBar(owner);
        Pump();
        commands.clear();
        script.clear();
        scriptAt = 0;
    }
    void TearDown() override {
        DestroyWindow(owner);  // destroys its menu too
        Pump();
        EXPECT_EQ(platform::LiveObjects(platform::Kind::Window), windowsBefore);
        EXPECT_EQ(platform::LiveObjects(platform::Kind::Menu), menusBefore);
        EXPECT_EQ(platform::LiveGraphicsObjects(), graphicsBefore);
    }
    // Starts the script from inside the next modal loop.
    void Run(std::vector<std::function<void()>> steps) {
        Pump();  // what the last loop left behind runs out first
        commands.clear();
        script = std::move(steps);
        scriptAt = 0;
        PostMessageW(owner, kStep, 0, 0);
    }
    // Menu commands that reached the owner: identifiers, with high word and lParam checked.
    std::vector<UINT> MenuCommands() {
        Pump();
        std::vector<UINT> ids;
        for (const MSG& m : commands) {
            EXPECT_EQ(HIWORD(m.wParam), 0);
            EXPECT_EQ(m.lParam, 0);
            ids.push_back(LOWORD(m.wParam));
        }
        commands.clear();
        return ids;
    }
    // The middle of the bar, in the owner's client coordinates, at window x.
    POINT BarPoint(int windowX) {
        const RECT barRect = platform::wm::MenuBarRect(owner);
        RECT window{};
        GetWindowRect(owner, &window);
        POINT p{window.left + windowX, window.top + (barRect.top + barRect.bottom) / 2};
        ScreenToClient(owner, &p);
        return p;
    }
    HWND owner = nullptr;
    HMENU bar = nullptr;
    std::size_t windowsBefore = 0, menusBefore = 0, graphicsBefore = 0;
};

// Each item can be chosen from the keyboard: Alt with an access key, F10
// and the arrows, Enter; the command is posted after the menu closed. A
// greyed item cannot be chosen until it is enabled again.
TEST_F(Modal, MenuByKeyboard) {
    struct Case {
        const char* name;
        WCHAR accessKey;
        std::vector<int> keys;
        std::vector<UINT> expected;
    };
    const Case cases[] = {
        {"Alt+F, Enter", u'f', {VK_RETURN}, {kEsci}},
        {"F10, Right, Down, Enter", 0, {VK_RIGHT, VK_DOWN, VK_RETURN}, {kGuida}},
        {"Alt+?, H", u'?', {'H'}, {kHome}},
        {"F10, Right, Down, Up (wraps to the last), Enter",
         0,
         {VK_RIGHT, VK_DOWN, VK_UP, VK_RETURN},
         {kHome}},
        {"Alt+F, Escape, Escape", u'f', {VK_ESCAPE, VK_ESCAPE}, {}},
        {"F10, Left wraps to ?, Enter opens, Enter", 0, {VK_LEFT, VK_RETURN, VK_RETURN}, {kGuida}},
    };
    for (const Case& c : cases) {
        std::vector<std::function<void()>> steps;
        for (int k : c.keys)
            steps.push_back([this, k] { Key(owner, k); });
        // Guards: a loop that should have ended already ignores these at the owner.
        for (int i = 0; i < 3; ++i)
            steps.push_back([this] { Key(owner, VK_ESCAPE); });
        Run(steps);
        platform::controls::TrackMenuFromKeyboard(owner, bar, c.accessKey);
        EXPECT_EQ(TopLevelOfClass(u"KelvoMenuDropDown"), nullptr) << c.name;
        EXPECT_EQ(MenuCommands(), c.expected) << c.name;
    }

    EnableMenuItem(bar, kEsci, MF_BYCOMMAND | MF_GRAYED);
    Run({[this] { Key(owner, VK_RETURN); }, [this] { Key(owner, 'E'); }, [this] { Key(owner, VK_ESCAPE); },
         [this] { Key(owner, VK_ESCAPE); }});
    platform::controls::TrackMenuFromKeyboard(owner, bar, u'f');
    EXPECT_TRUE(MenuCommands().empty());
    EnableMenuItem(bar, kEsci, MF_BYCOMMAND | MF_ENABLED);
    Run({[this] { Key(owner, VK_RETURN); }});
    platform::controls::TrackMenuFromKeyboard(owner, bar, u'f');
    EXPECT_EQ(MenuCommands(), std::vector<UINT>{kEsci});
}

// Clicks the item at `index` of the open drop-down.
void ClickItem(int index) {
    HWND popup = TopLevelOfClass(u"KelvoMenuDropDown");
    ASSERT_NE(popup, nullptr);
    RECT rc{};
    GetClientRect(popup, &rc);
    const int items = 2;  // every test menu here with two items is "&?"
    const int itemHeight = (rc.bottom - rc.top - 6) / items;
    const LPARAM at = MAKELPARAM(20, static_cast<WORD>(3 + index * itemHeight + itemHeight / 2));
    PostMessageW(popup, WM_MOUSEMOVE, 0, at);
    PostMessageW(popup, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(popup, WM_LBUTTONUP, 0, at);
}

// A click on a title opens its drop-down, moving along the bar switches
// menus, a click on an item chooses it, a click outside closes everything.
TEST_F(Modal, MenuByMouse) {
    const RECT barRect = platform::wm::MenuBarRect(owner);
    ASSERT_GT(barRect.bottom, barRect.top);
    const POINT onFile{barRect.left + 5, (barRect.top + barRect.bottom) / 2};

    // File has one item: its drop-down is one item tall.
    Run({[] {
        HWND popup = TopLevelOfClass(u"KelvoMenuDropDown");
        ASSERT_NE(popup, nullptr);
        RECT rc{};
        GetClientRect(popup, &rc);
        const LPARAM at = MAKELPARAM(20, static_cast<WORD>((rc.bottom - rc.top) / 2));
        PostMessageW(popup, WM_LBUTTONUP, 0, at);
    }});
    platform::controls::TrackMenuFromMouse(owner, bar, onFile);
    EXPECT_EQ(MenuCommands(), std::vector<UINT>{kEsci});

    // Sweep right along the bar: the open menu follows to "&?".
    Run({[this] {
             for (int x = 5; x < 200; x += 4) {
                 const POINT p = BarPoint(x);
                 PostMessageW(owner, WM_MOUSEMOVE, 0,
                              MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)));
             }
         },
         [] { ClickItem(1); }});
    platform::controls::TrackMenuFromMouse(owner, bar, onFile);
    EXPECT_EQ(MenuCommands(), std::vector<UINT>{kHome});

    // A press in the client area, away from the menu, closes it.
    Run({[this] { PostMessageW(owner, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 150)); }});
    platform::controls::TrackMenuFromMouse(owner, bar, onFile);
    EXPECT_EQ(TopLevelOfClass(u"KelvoMenuDropDown"), nullptr);
    EXPECT_TRUE(MenuCommands().empty());
}

// Pixels of the bar row drawn by PaintMenuBar into a memory bitmap.
std::vector<COLORREF> PaintBar(HMENU menu, int width, int height) {
    HDC mem = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateBitmap(width, height, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(mem, bmp);
    platform::controls::PaintMenuBar(nullptr, menu, mem, {0, 0, width, height});
    std::vector<COLORREF> px;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            px.push_back(GetPixel(mem, x, y));
    }
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    return px;
}

// "&File" and "File" differ only by the underline: one row under the
// text, in the menu text colour.
TEST_F(Modal, MenuBarUnderlinesAccessKeys) {
    HMENU marked = CreateMenu(), plain = CreateMenu();
    HMENU a = CreatePopupMenu(), b = CreatePopupMenu();
    AppendMenuW(marked, MF_POPUP, reinterpret_cast<UINT_PTR>(a), u"&File");
    AppendMenuW(plain, MF_POPUP, reinterpret_cast<UINT_PTR>(b), u"File");
    const int w = 120, h = platform::controls::MenuBarHeight(marked, 120);
    ASSERT_GT(h, 10);
    const auto withMark = PaintBar(marked, w, h), without = PaintBar(plain, w, h);
    std::vector<int> rows;
    int changed = 0;
    for (int i = 0; i < w * h; ++i) {
        if (withMark[static_cast<std::size_t>(i)] == without[static_cast<std::size_t>(i)]) continue;
        ++changed;
        EXPECT_EQ(withMark[static_cast<std::size_t>(i)], GetSysColor(COLOR_MENUTEXT));
        if (rows.empty() || rows.back() != i / w) rows.push_back(i / w);
    }
    EXPECT_GE(changed, 3);
    EXPECT_EQ(rows.size(), 1u);
    DestroyMenu(marked);
    DestroyMenu(plain);
}

// A title appended after the bar was shown appears at once and works.
TEST_F(Modal, LateAppendShowsAtOnce) {
    const RECT barRect = platform::wm::MenuBarRect(owner);
    auto barPixels = [&] {
        std::vector<COLORREF> px;
        HDC dc = platform::wm::GetWindowDC(owner);
        for (int x = barRect.left; x < barRect.right; ++x)
            px.push_back(GetPixel(dc, x, (barRect.top + barRect.bottom) / 2));
        ReleaseDC(owner, dc);
        return px;
    };
    const auto before = barPixels();
    HMENU extra = CreateMenu();
    AppendMenuW(extra, MF_STRING, 300, u"&Nuovo");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(extra), u"&Altro");
    DrawMenuBar(owner);
    Pump();
    EXPECT_NE(barPixels(), before);
    Run({[this] { Key(owner, VK_RETURN); }});
    platform::controls::TrackMenuFromKeyboard(owner, bar, u'a');
    EXPECT_EQ(MenuCommands(), std::vector<UINT>{300});
}

// A press on the scroll bar of a box: an arrow scrolls one line, the track
// one page, and dragging the thumb to the end scrolls to the last page;
// the mouse is free again after every press.
TEST_F(Modal, ScrollBarPresses) {
    HWND edit =
        CreateWindowExW(0, u"edit", u"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOHSCROLL,
                        10, 10, 150, 100, owner, reinterpret_cast<HMENU>(5), nullptr, nullptr);
    std::u16string text;
    for (int i = 0; i < 40; ++i)
        text += u"line\r\n";
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SCROLLINFO si{sizeof(si), SIF_ALL};
    ASSERT_TRUE(GetScrollInfo(edit, SB_VERT, &si));
    const int page = static_cast<int>(si.nPage);
    ASSERT_GT(page, 1);
    const RECT barRect = platform::wm::VerticalScrollBarRect(edit);
    ASSERT_GT(barRect.bottom - barRect.top, 40);
    const int arrow = barRect.right - barRect.left;
    RECT window{};
    GetWindowRect(edit, &window);
    POINT origin{0, 0};
    ClientToScreen(edit, &origin);
    // A window point as the client-coordinate lParam of a captured mouse message.
    auto client = [&](int x, int y) {
        return MAKELPARAM(static_cast<WORD>(x - (origin.x - window.left)),
                          static_cast<WORD>(y - (origin.y - window.top)));
    };
    const int x = (barRect.left + barRect.right) / 2;
    struct Case {
        const char* name;
        int pressY, releaseY;
        int first;
    };
    const Case cases[] = {
        {"down arrow", barRect.bottom - arrow / 2, barRect.bottom - arrow / 2, 1},
        {"up arrow", barRect.top + arrow / 2, barRect.top + arrow / 2, 0},
        {"track below the thumb", barRect.bottom - arrow - 2, barRect.bottom - arrow - 2, page - 1},
        {"thumb dragged to the end", barRect.top + arrow + 2, barRect.bottom, 41 - page},
    };
    for (const Case& c : cases) {
        if (std::string(c.name) == "thumb dragged to the end") SendMessageW(edit, WM_VSCROLL, SB_TOP, 0);
        Run({[&] {
            PostMessageW(edit, WM_MOUSEMOVE, MK_LBUTTON, client(x, c.releaseY));
            PostMessageW(edit, WM_LBUTTONUP, 0, client(x, c.releaseY));
        }});
        platform::controls::TrackScrollBar(edit, {x, c.pressY});
        EXPECT_EQ(SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0), c.first) << c.name;
        EXPECT_EQ(GetCapture(), nullptr) << c.name;
    }
    DestroyWindow(edit);
}

// --- Message box -------------------------------------------------------------

struct BoxSeen {
    bool ownerEnabled = true;
    std::vector<std::u16string> labels;
    std::u16string caption;
};

std::function<void()> Observe(BoxSeen* seen, HWND owner) {
    return [seen, owner] {
        HWND box = TopLevelOfClass(u"KelvoMessageBox");
        ASSERT_NE(box, nullptr);
        seen->ownerEnabled = IsWindowEnabled(owner) != FALSE;
        seen->caption = TextOf(box);
        seen->labels.clear();
        for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            seen->labels.push_back(TextOf(c));
    };
}

HWND BoxButton(int index) {
    HWND box = TopLevelOfClass(u"KelvoMessageBox");
    HWND c = box ? GetWindow(box, GW_CHILD) : nullptr;
    for (int i = 0; c && i < index; ++i)
        c = GetWindow(c, GW_HWNDNEXT);
    return c;
}

// Answered by keyboard and by mouse; Yes is the default; every other
// top-level window is disabled meanwhile and restored as it was.
TEST_F(Modal, MessageBoxAnswers) {
    setenv("LC_ALL", "en_US.UTF-8", 1);
    HWND other =
        CreateWindowExW(0, u"ModalTestOwner", u"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_DISABLED, 0, 0,
                        100, 100, nullptr, nullptr, nullptr, nullptr);
    struct Case {
        const char* name;
        std::vector<std::function<void()>> steps;
        int expected;
    };
    const Case cases[] = {
        {"Enter", {[] { Key(GetFocus(), VK_RETURN); }}, IDYES},
        {"N", {[] { Key(GetFocus(), 'N'); }}, IDNO},
        {"Y", {[] { Key(GetFocus(), 'Y'); }}, IDYES},
        {"Tab, space", {[] { Key(GetFocus(), VK_TAB); }, [] { Key(GetFocus(), VK_SPACE); }}, IDNO},
        {"Tab, Tab, Enter",
         {[] { Key(GetFocus(), VK_TAB); }, [] { Key(GetFocus(), VK_TAB); },
          [] { Key(GetFocus(), VK_RETURN); }},
         IDYES},
        {"Escape", {[] { Key(GetFocus(), VK_ESCAPE); }}, IDNO},
        {"click No",
         {[] {
             HWND no = BoxButton(1);
             PostMessageW(no, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
             PostMessageW(no, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
         }},
         IDNO},
        {"close box", {[] { PostMessageW(TopLevelOfClass(u"KelvoMessageBox"), WM_CLOSE, 0, 0); }}, IDNO},
        {"destroyed from outside", {[] { DestroyWindow(TopLevelOfClass(u"KelvoMessageBox")); }}, 0},
    };
    for (const Case& c : cases) {
        BoxSeen seen;
        std::vector<std::function<void()>> steps{Observe(&seen, owner)};
        steps.insert(steps.end(), c.steps.begin(), c.steps.end());
        Run(steps);
        const int answer = MessageBoxA(nullptr, "Vuoi realmente uscire?", "Perch\xE8",
                                       MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL);
        EXPECT_EQ(answer, c.expected) << c.name;
        EXPECT_FALSE(seen.ownerEnabled) << c.name;
        EXPECT_EQ(seen.caption, u"Perch\u00e8") << c.name;
        EXPECT_EQ(seen.labels, (std::vector<std::u16string>{u"&Yes", u"&No"})) << c.name;
        EXPECT_TRUE(IsWindowEnabled(owner)) << c.name;
        EXPECT_FALSE(IsWindowEnabled(other)) << c.name;
        EXPECT_EQ(TopLevelOfClass(u"KelvoMessageBox"), nullptr) << c.name;
    }
    DestroyWindow(other);
    unsetenv("LC_ALL");
}

// The labels follow the user's language as the C library reads it.
TEST_F(Modal, MessageBoxLabelsFollowTheLocale) {
    struct Case {
        const char* lcAll;
        const char* lang;
        std::u16string yes;
    };
    const Case cases[] = {{"it_IT.UTF-8", "en_US.UTF-8", u"&S\u00ec"},
                          {"", "it_IT.UTF-8", u"&S\u00ec"},
                          {"de_DE.UTF-8", "it_IT.UTF-8", u"&Yes"}};
    for (const Case& c : cases) {
        setenv("LC_ALL", c.lcAll, 1);
        unsetenv("LC_MESSAGES");
        setenv("LANG", c.lang, 1);
        BoxSeen seen;
        Run({Observe(&seen, owner), [] { Key(GetFocus(), VK_ESCAPE); }});
        MessageBoxW(nullptr, u"?", u"t", MB_YESNO | MB_ICONQUESTION);
        EXPECT_EQ(seen.labels, (std::vector<std::u16string>{c.yes, u"&No"})) << c.lcAll << " / " << c.lang;
    }
    unsetenv("LC_ALL");
}

}  // namespace
