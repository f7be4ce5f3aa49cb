// Forms: window styles, class name and background, the main-window rule,
// client sizing, centring, the small icon and the closing destructor.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/form.h"
#include "framework/registry.h"
#include "platform/core/handles.h"
#include "platform/resources.h"
#include "tests/framework/fixture.h"

using TQUtility::Form;

namespace {

class FormTest : public fwtest::ElementTest {
protected:
    Form* MakeForm(bool dialog = false) {
        Form* f = Make<Form>(GetModuleHandleW(nullptr), dialog);
        f->SetSize(300, 200);
        f->SetPosition(40, 30);
        return f;
    }
    static COLORREF ClientPixel(HWND hwnd, int x, int y) {
        HDC dc = GetDC(hwnd);
        COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(hwnd, dc);
        return c;
    }
};

// The window styles come from the flags, as the window reports them back.
TEST_F(FormTest, StyleTable) {
    struct Row {
        const char* name;
        bool dialog, titled, minimizeBox, sizable, modalFrame, topMost, enabled;
        DWORD style, exStyle;
    };
    const Row rows[] = {
        {"main form", false, true, true, false, false, true, true, 0x10CA0000, 0},
        {"about form", true, true, false, false, true, false, true, 0x10C80080, 0x81},
        {"defaults", false, true, true, true, false, true, true, 0x10CF0000, 0},
        {"pop-up, shown", false, false, true, true, false, true, true, 0x90000000, 0},
        {"disabled main form", false, true, true, false, false, true, false, 0x18CA0000, 0},
        {"dialog, sizable, topmost", true, true, true, true, false, true, true, 0x10C90000, 0x89},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Form* f = MakeForm(row.dialog);
        f->titled = row.titled;
        f->minimizeBox = row.minimizeBox;
        f->sizable = row.sizable;
        f->modalFrame = row.modalFrame;
        f->topMost = row.topMost;
        f->enabled = row.enabled;
        f->Create();
        ASSERT_NE(f->hwnd, nullptr);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(f->hwnd, GWL_STYLE)), row.style);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(f->hwnd, GWL_EXSTYLE)), row.exStyle);
        DestroyWindow(f->hwnd);
    }
}

// Create registers "Window" + the counter before the increment, takes the
// next id once, and a second Create does nothing.
TEST_F(FormTest, CreateNamesTheClassAndTakesOneId) {
    Form* f = MakeForm();
    f->text = u"Titolo";
    const std::int32_t before = TQUtility::lastElementId;
    f->Create();
    EXPECT_TRUE(f->created);
    EXPECT_EQ(f->id, before + 1);
    WCHAR name[64] = {};
    GetClassNameW(f->hwnd, name, 64);
    const std::string digits = std::to_string(before);
    EXPECT_EQ(std::u16string(name), u"Window" + std::u16string(digits.begin(), digits.end()));
    WCHAR title[64] = {};
    GetWindowTextW(f->hwnd, title, 64);
    EXPECT_EQ(std::u16string(title), u"Titolo");
    HWND first = f->hwnd;
    const std::size_t windows = platform::LiveObjects(platform::Kind::Window);
    f->Create();
    EXPECT_EQ(f->hwnd, first);
    EXPECT_EQ(TQUtility::lastElementId, before + 1);
    EXPECT_EQ(platform::LiveObjects(platform::Kind::Window), windows);
    EXPECT_TRUE(IsWindowVisible(f->hwnd));
}

// The class background is the button-face colour without a backColor, and
// the backColor otherwise.
TEST_F(FormTest, ClassBackgroundFromBackColor) {
    Form* plain = MakeForm();
    plain->Create();
    Form* blue = MakeForm();
    blue->SetBackColor(RGB(64, 65, 255));
    blue->Create();
    UpdateWindow(plain->hwnd);
    UpdateWindow(blue->hwnd);
    EXPECT_EQ(ClientPixel(plain->hwnd, 10, 10), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(ClientPixel(blue->hwnd, 10, 10), RGB(64, 65, 255));
    EXPECT_FALSE(blue->paintBackColor);  // set before Create: only stored
}

// The first form created is the main window for good.
TEST_F(FormTest, FirstCreatedFormIsTheMainWindow) {
    Form* second = MakeForm();  // constructed first, created second
    Form* first = MakeForm();
    first->Create();
    second->Create();
    EXPECT_EQ(TQUtility::mainWindow, first->hwnd);
    DestroyWindow(first->hwnd);
    Form* third = MakeForm();
    third->Create();
    EXPECT_EQ(TQUtility::mainWindow, first->hwnd);
}

// SetClientSize gives exactly the asked client area on a created form and
// does nothing before Create.
TEST_F(FormTest, SetClientSize) {
    Form* f = MakeForm();
    f->sizable = false;
    f->SetClientSize(640, 480);
    EXPECT_EQ(f->width, 300);
    EXPECT_EQ(f->height, 200);
    f->Create();
    f->SetClientSize(640, 480);
    RECT client{};
    GetClientRect(f->hwnd, &client);
    EXPECT_EQ(client.right - client.left, 640);
    EXPECT_EQ(client.bottom - client.top, 480);
    RECT window{};
    GetWindowRect(f->hwnd, &window);
    EXPECT_EQ(f->width, window.right - window.left);
    EXPECT_EQ(f->height, window.bottom - window.top);
    EXPECT_EQ(window.left, 40);  // the position stayed
}

// A form with a menu bar: the client area still comes out as asked.
TEST_F(FormTest, SetClientSizeWithMenu) {
    Form* f = MakeForm();
    f->Create();
    HMENU bar = CreateMenu();
    HMENU popup = CreateMenu();
    AppendMenuW(popup, MF_STRING, 9, u"&Esci");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), u"&File");
    SetMenu(f->hwnd, bar);
    f->SetClientSize(640, 480);
    RECT client{};
    GetClientRect(f->hwnd, &client);
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 480);
    EXPECT_GT(f->height, 480);
}

// CenterOnScreen puts the form in the middle of the screen, created or not.
TEST_F(FormTest, CenterOnScreen) {
    const int sw = GetSystemMetrics(SM_CXSCREEN);
    const int sh = GetSystemMetrics(SM_CYSCREEN);
    Form* stored = MakeForm();
    stored->CenterOnScreen();
    EXPECT_EQ(stored->x, (sw - 300) / 2);
    EXPECT_EQ(stored->y, (sh - 200) / 2);
    Form* f = MakeForm();
    f->Create();
    f->CenterOnScreen();
    RECT r{};
    GetWindowRect(f->hwnd, &r);
    EXPECT_EQ(r.left, (sw - 300) / 2);
    EXPECT_EQ(r.top, (sh - 200) / 2);
    // Larger than the screen: a negative position, truncated toward zero.
    Form* big = MakeForm();
    big->SetSize(sw + 301, sh + 201);
    big->CenterOnScreen();
    EXPECT_EQ(big->x, -150);
    EXPECT_EQ(big->y, -100);
}

// A 16 x 16, 32-bit icon file, built in memory.
std::vector<unsigned char> TinyIcon() {
    std::vector<unsigned char> ico;
    auto put16 = [&](unsigned v) {
        ico.push_back(v & 0xFF);
        ico.push_back((v >> 8) & 0xFF);
    };
    auto put32 = [&](unsigned v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    const unsigned pixels = 16 * 16 * 4, mask = 16 * 4, image = 40 + pixels + mask;
    put16(0), put16(1), put16(1);                                              // header: one icon
    ico.push_back(16), ico.push_back(16), ico.push_back(0), ico.push_back(0);  // 16 x 16
    put16(1), put16(32), put32(image), put32(6 + 16);                          // planes, bits, size, offset
    put32(40), put32(16), put32(32), put16(1), put16(32), put32(0), put32(pixels), put32(0), put32(0),
        put32(0), put32(0);
    for (unsigned i = 0; i < 16 * 16; ++i)
        put32(0xFF2080C0);
    for (unsigned i = 0; i < mask; ++i)
        ico.push_back(0);
    return ico;
}

// SetIcon only stores before Create; after it, a loadable icon replaces the
// held one and a failed load keeps it.
TEST_F(FormTest, SetIcon) {
    static const std::vector<unsigned char> icon = TinyIcon();
    const platform::ResourceEntry entry{platform::ResourceType::GroupIcon, 4711, icon.data(), icon.size()};
    platform::RegisterResources(&entry, 1);
    Form* f = MakeForm();
    f->SetIcon(4711);
    EXPECT_EQ(f->iconId, 4711);
    EXPECT_EQ(f->iconHandle, nullptr);
    f->Create();
    f->SetIcon(4711);
    ASSERT_NE(f->iconHandle, nullptr);
    HICON held = f->iconHandle;
    f->SetIcon(4712);  // no such resource
    EXPECT_EQ(f->iconId, 4712);
    EXPECT_EQ(f->iconHandle, held);
}

// Once the window exists, every setter applies at once, and a background
// set on a created element is repainted by OnPaint from then on.
TEST_F(FormTest, SettersApplyAfterCreate) {
    Form* f = MakeForm();
    f->Create();
    auto* child = Make<fwtest::Probe>();
    child->parent = f;
    child->hwnd = CreateWindowExW(0, u"static", u"", WS_CHILD | WS_VISIBLE, 10, 10, 50, 20, f->hwnd, nullptr,
                                  nullptr, nullptr);
    child->created = true;
    child->SetSize(70, 30);
    child->SetPosition(20, 15);
    child->SetText(std::string("Kelvo"));
    child->SetEnabled(false);
    RECT r{};
    GetWindowRect(child->hwnd, &r);
    EXPECT_EQ(r.right - r.left, 70);
    EXPECT_EQ(r.bottom - r.top, 30);
    POINT at = child->GetPosition();
    EXPECT_EQ(at.x, 20);
    EXPECT_EQ(at.y, 15);
    WCHAR shown[16] = {};
    GetWindowTextW(child->hwnd, shown, 16);
    EXPECT_EQ(std::u16string(shown), u"Kelvo");
    EXPECT_FALSE(IsWindowEnabled(child->hwnd));
    child->SetEnabled(true);
    EXPECT_TRUE(IsWindowEnabled(child->hwnd));

    f->SetBackColor(static_cast<std::int32_t>(RGB(0, 128, 0)));
    EXPECT_TRUE(f->paintBackColor);
    EXPECT_EQ(ClientPixel(f->hwnd, 150, 150), RGB(0, 128, 0));
    InvalidateRect(f->hwnd, nullptr, TRUE);  // the class brush erases, OnPaint refills
    UpdateWindow(f->hwnd);
    EXPECT_EQ(ClientPixel(f->hwnd, 150, 150), RGB(0, 128, 0));
}

int closes = 0;
bool CountClose(TQUtility::GUIElement*) {
    ++closes;
    return true;
}

// The destructor sends WM_CLOSE through the close handling and destroys the
// window; a form whose window is gone is destroyed without messages.
TEST_F(FormTest, DestructorClosesAndDestroys) {
    Form* f = MakeForm();
    f->onClose = CountClose;
    f->Create();
    HWND h = f->hwnd;
    closes = 0;
    const std::size_t windows = platform::LiveObjects(platform::Kind::Window);
    Destroy(f);  // still registered while its destructor runs
    Forget(f);
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(platform::LiveObjects(platform::Kind::Window), windows - 1);

    Form* g = MakeForm();
    g->onClose = CountClose;
    g->Create();
    DestroyWindow(g->hwnd);
    closes = 0;
    Destroy(g);
    Forget(g);
    EXPECT_EQ(closes, 0);
}

}  // namespace
