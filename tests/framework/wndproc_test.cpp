// The shared window procedure: its message table and the results it gives,
// activation with the modal child kept in front, cursors, mouse tracking,
// Tab navigation, the quit rule, and the routing of owner draw, commands,
// menu commands and timer ticks to the elements they concern.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/button.h"
#include "framework/form.h"
#include "framework/menu.h"
#include "framework/registry.h"
#include "framework/textbox.h"
#include "framework/timer.h"
#include "framework/wndproc.h"
#include "platform/wm/wm_internal.h"
#include "tests/framework/fixture.h"
#include "tests/framework/pixels.h"

using TQUtility::ElementWndProc;
using TQUtility::Form;
using TQUtility::GUIElement;

namespace {

std::vector<std::string> events;
GUIElement* lastSender = nullptr;
int lastX = 0, lastY = 0;

void Record(const std::string& what, GUIElement* e) {
    events.push_back(what);
    lastSender = e;
}
void OnActivateCb(GUIElement* e) {
    Record(static_cast<Form*>(e)->text == u"A" ? "A+" : "B+", e);
}
void OnDeactivateCb(GUIElement* e) {
    Record(static_cast<Form*>(e)->text == u"A" ? "A-" : "B-", e);
}
void CommandCb(GUIElement* e) {
    Record("command", e);
}
void TickCb(GUIElement* e) {
    Record("tick", e);
}
void SizeCb(GUIElement* e) {
    Record("size", e);
}
bool VetoClose(GUIElement*) {
    return false;
}
bool SwallowX(GUIElement*, int ch) {
    return ch != 'x';
}
int KeyDownCb(GUIElement* e, int key) {
    Record("key " + std::to_string(key), e);
    return 0;
}
int MouseDownCb(GUIElement* e, HWND, int x, int y) {
    Record("down", e);
    lastX = x;
    lastY = y;
    return 0;
}

class WndProcTest : public fwtest::ElementTest {
protected:
    void SetUp() override {
        ElementTest::SetUp();
        events.clear();
        lastSender = nullptr;
    }
    Form* MakeForm(const char16_t* title = u"A", bool dialog = false) {
        Form* f = Make<Form>(GetModuleHandleW(nullptr), dialog);
        f->topMost = false;  // the Z order is the procedure's doing, not the topmost band's
        f->text = title;
        f->SetSize(320, 240);
        f->Create();
        return f;
    }
    static bool QuitPending() {
        MSG msg{};
        return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
    }
};

// WM_CLOSE: a veto answers 1 and keeps the window; otherwise default
// processing destroys it.
TEST_F(WndProcTest, CloseVetoAndDefault) {
    Form* kept = MakeForm();
    kept->onClose = VetoClose;
    EXPECT_EQ(SendMessageW(kept->hwnd, WM_CLOSE, 0, 0), 1);
    EXPECT_TRUE(IsWindow(kept->hwnd));
    Form* closed = MakeForm();
    SendMessageW(closed->hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(closed->hwnd));
}

// WM_CHAR: a swallowed character answers 1 and never reaches the control.
TEST_F(WndProcTest, CharSwallowedOrPassedOn) {
    Form* f = MakeForm();
    auto* box = Make<TQUtility::TextBox>(f, "");
    box->Create();
    box->onChar = SwallowX;
    EXPECT_EQ(SendMessageW(box->hwnd, WM_CHAR, 'x', 1), 1);
    SendMessageW(box->hwnd, WM_CHAR, 'y', 1);
    EXPECT_EQ(box->GetText(), u"y");
}

// Only the main window's destruction posts the quit message, also when no
// element belongs to that window.
TEST_F(WndProcTest, QuitOnlyForTheMainWindow) {
    Form* other = MakeForm();
    TQUtility::mainWindow = nullptr;
    DestroyWindow(other->hwnd);
    EXPECT_FALSE(QuitPending());

    // A bare window of a class using the procedure, with no element.
    WNDCLASSW wc{};
    wc.lpfnWndProc = ElementWndProc;
    wc.lpszClassName = u"FrameworkTestBare";
    wc.hInstance = GetModuleHandleW(nullptr);
    RegisterClassW(&wc);
    Form* last = MakeForm();  // the last element has a window, so no fallback applies
    HWND bare = CreateWindowExW(0, u"FrameworkTestBare", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(TQUtility::FindByWindow(bare), nullptr);
    TQUtility::mainWindow = bare;
    DestroyWindow(bare);
    EXPECT_TRUE(QuitPending());
    TQUtility::mainWindow = nullptr;
    static_cast<void>(last);
}

// Mouse coordinates are signed 16-bit halves.
TEST_F(WndProcTest, MouseCoordinatesAreSignExtended) {
    Form* f = MakeForm();
    f->onLButtonDown = MouseDownCb;
    SendMessageW(f->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(0xFFF6, 0xFFEC));
    EXPECT_EQ(lastX, -10);
    EXPECT_EQ(lastY, -20);
    SendMessageW(f->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 7));
    EXPECT_EQ(lastX, 300);
    EXPECT_EQ(lastY, 7);
}

// WM_SETCURSOR: hand wins over wait, only in the client area; otherwise the
// default handling runs.
TEST_F(WndProcTest, CursorsFromTheElementFlags) {
    Form* f = MakeForm();
    SendMessageW(f->hwnd, WM_NULL, 0, 0);  // the procedure loads its cursors
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    ASSERT_NE(TQUtility::handCursorHandle, nullptr);
    ASSERT_NE(TQUtility::waitCursorHandle, nullptr);
    EXPECT_EQ(TQUtility::handCursorHandle, LoadCursorW(nullptr, IDC_HAND));
    struct Row {
        bool hand, wait;
        LRESULT hit;
        HCURSOR expected;  // null: default handling, neither special cursor
    };
    const Row rows[] = {{true, true, HTCLIENT, TQUtility::handCursorHandle},
                        {false, true, HTCLIENT, TQUtility::waitCursorHandle},
                        {true, false, HTCLIENT, TQUtility::handCursorHandle},
                        {false, false, HTCLIENT, nullptr},
                        {true, true, HTCAPTION, nullptr}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.hand) + std::to_string(row.wait) + std::to_string(row.hit));
        f->SetHandCursor(row.hand);
        f->SetWaitCursor(row.wait);
        SetCursor(arrow);
        LRESULT result = SendMessageW(f->hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(f->hwnd),
                                      MAKELPARAM(static_cast<WORD>(row.hit), WM_MOUSEMOVE));
        HCURSOR shown = SetCursor(arrow);
        if (row.expected != nullptr) {
            EXPECT_EQ(result, TRUE);
            EXPECT_EQ(shown, row.expected);
        } else {
            EXPECT_NE(shown, TQUtility::handCursorHandle);
            EXPECT_NE(shown, TQUtility::waitCursorHandle);
        }
    }
}

// Tracking is requested once per stay and ends with WM_MOUSELEAVE, also for a
// window without an element.
TEST_F(WndProcTest, MouseTracking) {
    Form* f = MakeForm();
    EXPECT_FALSE(TQUtility::mouseTracking);
    SendMessageW(f->hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(TQUtility::mouseTracking);
    SendMessageW(f->hwnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(TQUtility::mouseTracking);
    TQUtility::mouseTracking = true;
    ElementWndProc(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x7F00FFFF)), WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(TQUtility::mouseTracking);
}

// WM_SHOWWINDOW reports a size even when it did not change.
TEST_F(WndProcTest, ShowWindowCallsOnSize) {
    Form* f = MakeForm();
    f->onSize = SizeCb;
    SendMessageW(f->hwnd, WM_SHOWWINDOW, TRUE, 0);
    EXPECT_EQ(events, (std::vector<std::string>{"size"}));
}

// Activation asks who is in front: a re-activated form is first deactivated;
// a form that is not in front is only deactivated; switching forms
// deactivates the previous active form before activating the new one.
TEST_F(WndProcTest, ActivationOrder) {
    Form* a = MakeForm(u"A");
    Form* b = MakeForm(u"B");
    for (Form* f : {a, b}) {
        f->onActivate = OnActivateCb;
        f->onDeactivate = OnDeactivateCb;
    }
    SetForegroundWindow(a->hwnd);
    TQUtility::activeForm = a;
    events.clear();
    SendMessageW(a->hwnd, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(events, (std::vector<std::string>{"A-", "A+"}));
    EXPECT_EQ(TQUtility::activeForm, a);
    events.clear();
    SendMessageW(b->hwnd, WM_ACTIVATE, WA_INACTIVE, 0);  // b is not in front
    EXPECT_EQ(events, (std::vector<std::string>{"B-"}));
    EXPECT_EQ(TQUtility::activeForm, a);
    events.clear();
    SetForegroundWindow(b->hwnd);
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(events.end() - 2, events.end()),
              (std::vector<std::string>{"A-", "B+"}));
    EXPECT_EQ(std::count(events.begin(), events.end(), "A+"), 0);
    EXPECT_EQ(TQUtility::activeForm, b);
}

// Activating a form with a modal child keeps the child in front of it and
// hands it the activation.
TEST_F(WndProcTest, ModalChildStaysInFront) {
    Form* owner = MakeForm(u"A");
    Form* child = MakeForm(u"B", true);
    owner->modalChild = child;
    EnableWindow(owner->hwnd, FALSE);  // as a modal box leaves its owner
    SetForegroundWindow(owner->hwnd);
    auto at = [](HWND h) {
        std::vector<HWND> order = platform::wm::TopLevelWindows();  // front to back
        return std::find(order.begin(), order.end(), h) - order.begin();
    };
    EXPECT_LT(at(child->hwnd), at(owner->hwnd));
    EXPECT_EQ(GetForegroundWindow(), child->hwnd);
    // An enabled owner keeps the activation, with the child still in front.
    EnableWindow(owner->hwnd, TRUE);
    SetForegroundWindow(owner->hwnd);
    EXPECT_LT(at(child->hwnd), at(owner->hwnd));
    EXPECT_EQ(GetForegroundWindow(), owner->hwnd);
    owner->modalChild = nullptr;
}

// Tab moves the focus to the next tab stop of the parent and still reaches
// OnKeyDown.
TEST_F(WndProcTest, TabMovesTheFocus) {
    Form* f = MakeForm();
    auto* first = Make<TQUtility::TextBox>(f, "a");
    auto* second = Make<TQUtility::TextBox>(f, "b");
    first->SetPosition(10, 10);
    second->SetPosition(10, 60);
    first->Create();
    second->Create();
    first->onKeyDown = KeyDownCb;
    first->Focus();
    SendMessageW(first->hwnd, WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(GetFocus(), second->hwnd);
    EXPECT_EQ(events, (std::vector<std::string>{"key 9"}));
}

// Owner draw goes by control identifier to a Button and only for ODT_BUTTON;
// everything else gets default processing.
TEST_F(WndProcTest, OwnerDrawRouting) {
    Form* f = MakeForm();
    auto* button = Make<TQUtility::Button>(f, "OK");
    button->ownerDraw = true;
    button->Create();
    auto* box = Make<TQUtility::TextBox>(f, "");
    box->Create();
    fwtest::Canvas canvas(80, 30, 0x00FFFFFF);
    SetBkColor(canvas.dc, 0x00FF0000);
    SetTextColor(canvas.dc, 0);
    struct Row {
        const char* name;
        std::int32_t id;
        UINT type;
        bool painted;
    };
    const Row rows[] = {{"button", button->id, ODT_BUTTON, true},
                        {"text box id", box->id, ODT_BUTTON, false},
                        {"menu request", button->id, ODT_MENU, false},
                        {"unknown id", button->id + 100000, ODT_BUTTON, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RECT white{0, 0, 80, 30};
        HBRUSH brush = CreateSolidBrush(0x00FFFFFF);
        FillRect(canvas.dc, &white, brush);
        DeleteObject(brush);
        DRAWITEMSTRUCT item{};
        item.CtlType = row.type;
        item.CtlID = static_cast<UINT>(row.id);
        item.hwndItem = button->hwnd;
        item.hDC = canvas.dc;
        item.rcItem = RECT{0, 0, 80, 30};
        LRESULT result =
            SendMessageW(f->hwnd, WM_DRAWITEM, static_cast<WPARAM>(row.id), reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(result == TRUE, row.painted);
        EXPECT_EQ(canvas.At(40, 15) == 0x00FF0000 || canvas.At(1, 15) == 0x00FF0000, row.painted);
    }
}

// Commands: from a button by its window, never from a text box, menu items by
// identifier with high word 0, nothing for accelerators.
TEST_F(WndProcTest, CommandRouting) {
    Form* f = MakeForm();
    auto* button = Make<TQUtility::Button>(f, "OK");
    button->onCommand = CommandCb;
    button->Create();
    auto* box = Make<TQUtility::TextBox>(f, "");
    box->Create();
    auto* item = Make<TQUtility::SubMenu>("&Esci", nullptr);
    item->onCommand = CommandCb;
    struct Row {
        const char* name;
        WPARAM wParam;
        LPARAM lParam;
        GUIElement* expected;
    };
    const Row rows[] = {
        {"button click", MAKEWPARAM(static_cast<WORD>(button->id), BN_CLICKED),
         reinterpret_cast<LPARAM>(button->hwnd), button},
        {"button double click", MAKEWPARAM(static_cast<WORD>(button->id), BN_DBLCLK),
         reinterpret_cast<LPARAM>(button->hwnd), button},
        {"text box change", MAKEWPARAM(static_cast<WORD>(box->id), EN_CHANGE),
         reinterpret_cast<LPARAM>(box->hwnd), nullptr},
        {"menu item", MAKEWPARAM(static_cast<WORD>(item->id), 0), 0, item},
        {"accelerator", MAKEWPARAM(static_cast<WORD>(item->id), 1), 0, nullptr},
        {"button id as menu command", MAKEWPARAM(static_cast<WORD>(button->id), 0), 0, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        events.clear();
        lastSender = nullptr;
        SendMessageW(f->hwnd, WM_COMMAND, row.wParam, row.lParam);
        EXPECT_EQ(events.size(), row.expected != nullptr ? 1u : 0u);
        EXPECT_EQ(lastSender, row.expected);
    }
}

// Ticks reach only Timer elements, found by the identifier.
TEST_F(WndProcTest, TimerRouting) {
    Form* f = MakeForm();
    auto* timer = Make<TQUtility::Timer>(f);
    timer->onTick = TickCb;
    timer->Create();
    auto* button = Make<TQUtility::Button>(f, "OK");
    button->Create();
    SendMessageW(f->hwnd, WM_TIMER, static_cast<WPARAM>(button->id), 0);
    EXPECT_TRUE(events.empty());
    SendMessageW(f->hwnd, WM_TIMER, static_cast<WPARAM>(timer->id), 0);
    EXPECT_EQ(events, (std::vector<std::string>{"tick"}));
    EXPECT_EQ(lastSender, timer);
}

}  // namespace
