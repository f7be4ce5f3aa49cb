// Menu objects: building, enabling, state queries, destruction and stale
// handles.
#include <gtest/gtest.h>

#include "platform/controls/menu_model.h"
#include "platform/core/handles.h"
#include "platform/winapi.h"

namespace {

using platform::Kind;
using platform::LiveObjects;

constexpr UINT kEsci = 101, kGuida = 102, kHome = 103;

struct MainMenu {
    HMENU bar = CreateMenu();
    HMENU file = CreateMenu();
    HMENU help = CreateMenu();
    MainMenu() {
        AppendMenuW(file, MF_STRING, kEsci, u"&Esci");
        AppendMenuW(help, MF_STRING, kGuida, u"&Guida");
        AppendMenuW(help, MF_STRING, kHome, u"&Home");
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), u"&File");
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), u"&?");
    }
};

// The bar keeps its titles and items in the order they were appended, and a
// title reports its submenu's item count as the system does.
TEST(MenuModel, BarKeepsOrderAndCounts) {
    MainMenu m;
    EXPECT_EQ(GetMenuItemCount(m.bar), 2);
    EXPECT_EQ(GetMenuItemCount(m.help), 2);
    EXPECT_EQ(GetMenuState(m.bar, 0, MF_BYPOSITION), (1u << 8) | MF_POPUP);
    EXPECT_EQ(GetMenuState(m.bar, 1, MF_BYPOSITION), (2u << 8) | MF_POPUP);
    auto* help = platform::controls::FindMenu(m.help);
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->items[0].text, u"&Guida");
    EXPECT_EQ(help->items[1].id, kHome);
    DestroyMenu(m.bar);
}

// EnableMenuItem finds a command in any submenu, answers the previous state,
// and -1 for an item that does not exist; GetMenuState follows.
TEST(MenuModel, EnableReturnsPreviousState) {
    MainMenu m;
    EXPECT_EQ(EnableMenuItem(m.bar, kHome, MF_BYCOMMAND | MF_GRAYED), static_cast<BOOL>(MF_ENABLED));
    EXPECT_EQ(GetMenuState(m.help, kHome, MF_BYCOMMAND), MF_GRAYED);
    EXPECT_EQ(EnableMenuItem(m.help, 1, MF_BYPOSITION | MF_ENABLED), static_cast<BOOL>(MF_GRAYED));
    EXPECT_EQ(GetMenuState(m.help, kHome, MF_BYCOMMAND), MF_ENABLED);
    EXPECT_EQ(EnableMenuItem(m.bar, 999, MF_GRAYED), -1);
    EXPECT_EQ(EnableMenuItem(m.help, 2, MF_BYPOSITION | MF_GRAYED), -1);
    EXPECT_EQ(GetMenuState(m.help, 999, MF_BYCOMMAND), static_cast<UINT>(-1));
    DestroyMenu(m.bar);
}

// Destroying a bar destroys its submenus; every call on a destroyed menu
// fails with ERROR_INVALID_MENU_HANDLE and changes nothing.
TEST(MenuModel, DestroyTakesSubmenusAndStaleHandlesFail) {
    const std::size_t before = LiveObjects(Kind::Menu);
    MainMenu m;
    EXPECT_EQ(LiveObjects(Kind::Menu), before + 3);
    EXPECT_TRUE(DestroyMenu(m.bar));
    EXPECT_EQ(LiveObjects(Kind::Menu), before);

    struct Case {
        const char* call;
        bool failed;
    };
    const HMENU stale = m.help;
    const Case cases[] = {
        {"GetMenuItemCount", (SetLastError(0), GetMenuItemCount(stale) == -1)},
        {"AppendMenuW", (SetLastError(0), AppendMenuW(stale, MF_STRING, 1, u"x") == FALSE)},
        {"EnableMenuItem", (SetLastError(0), EnableMenuItem(stale, kHome, MF_GRAYED) == -1)},
        {"GetMenuState", (SetLastError(0), GetMenuState(stale, kHome, 0) == static_cast<UINT>(-1))},
        {"DestroyMenu", (SetLastError(0), DestroyMenu(stale) == FALSE)},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(c.failed) << c.call;
    EXPECT_EQ(GetLastError(), ERROR_INVALID_MENU_HANDLE);
    // A window handle or any other kind is not a menu either.
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_EQ(GetMenuItemCount(reinterpret_cast<HMENU>(brush)), -1);
    DeleteObject(brush);
}

// A submenu must be a live menu other than the menu itself, so a menu can
// never list itself and destruction always ends.
TEST(MenuModel, AppendRejectsBadSubmenus) {
    HMENU menu = CreateMenu();
    HMENU gone = CreateMenu();
    DestroyMenu(gone);
    EXPECT_FALSE(AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), u"self"));
    EXPECT_FALSE(AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(gone), u"gone"));
    EXPECT_EQ(GetMenuItemCount(menu), 0);
    EXPECT_TRUE(AppendMenuW(menu, MF_SEPARATOR, 0, nullptr));
    EXPECT_TRUE(AppendMenuW(menu, MF_STRING | MF_GRAYED, 7, nullptr));  // an empty caption is allowed
    EXPECT_EQ(GetMenuState(menu, 0, MF_BYPOSITION), MF_SEPARATOR);
    EXPECT_EQ(GetMenuState(menu, 7, MF_BYCOMMAND), MF_GRAYED);
    DestroyMenu(menu);
}

// Access keys and the caption shown without its marks.
TEST(MenuModel, AccessMarks) {
    struct Case {
        std::u16string caption;
        WCHAR key;
        std::u16string shown;
        int underlined;
    };
    const Case cases[] = {
        {u"&File", u'f', u"File", 0}, {u"&?", u'?', u"?", 0},
        {u"E&sci", u's', u"Esci", 1}, {u"A&&B", 0, u"A&B", -1},
        {u"A&&&B", u'b', u"A&B", 2},  {u"&S\u00ec", u's', u"S\u00ec", 0},
        {u"Plain", 0, u"Plain", -1},  {u"Trailing&", 0, u"Trailing&", -1},
    };
    for (const Case& c : cases) {
        int mark = -2;
        EXPECT_EQ(platform::controls::AccessKeyOf(c.caption), c.key);
        EXPECT_EQ(platform::controls::StripAccessMarks(c.caption, &mark), c.shown);
        EXPECT_EQ(mark, c.underlined);
    }
}

}  // namespace
