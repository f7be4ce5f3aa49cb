// The message loop: it ends only on the quit message, destroys the deferred
// elements in order afterwards, and offers messages to IsDialogMessageW only
// for a dialog-style form passed to it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/form.h"
#include "framework/messageloop.h"
#include "framework/registry.h"
#include "framework/textbox.h"
#include "tests/framework/fixture.h"

using TQUtility::Form;
using TQUtility::GUIElement;

namespace {

std::vector<std::string> events;

// Records its own destruction.
class Tracked : public fwtest::Probe {
public:
    explicit Tracked(std::string n) : name(std::move(n)) {}
    ~Tracked() override { events.push_back("deleted " + name); }
    std::string name;
};

int KeyDownCb(GUIElement*, int key) {
    events.push_back("key " + std::to_string(key));
    return 0;
}
void SizeCb(GUIElement*) {
    events.push_back("posted");
}

class MessageLoop : public fwtest::ElementTest {
protected:
    void SetUp() override {
        ElementTest::SetUp();
        events.clear();
    }
};

// Messages posted before the quit are dispatched; the loop then returns and
// deletes the deferred elements in list order, leaving the list empty.
TEST_F(MessageLoop, EndsOnQuitAndDeletesDeferredInOrder) {
    Form* f = Make<Form>(GetModuleHandleW(nullptr));
    f->Create();
    f->onSize = SizeCb;
    auto* first = new Tracked("first");
    auto* second = new Tracked("second");
    Forget(first);  // only the deferred list holds them
    Forget(second);
    TQUtility::deferredDeletes.push_back(first);
    TQUtility::deferredDeletes.push_back(second);
    PostMessageW(f->hwnd, WM_SIZE, 0, 0);
    PostMessageW(f->hwnd, WM_SIZE, 0, 0);
    PostQuitMessage(0);
    TQUtility::RunMessageLoop(nullptr);
    EXPECT_EQ(events, (std::vector<std::string>{"posted", "posted", "deleted first", "deleted second"}));
    EXPECT_TRUE(TQUtility::deferredDeletes.empty());
}

// With nothing deferred the clean-up does nothing.
TEST_F(MessageLoop, EmptyDeferredList) {
    TQUtility::deferredDeletes.clear();
    PostQuitMessage(0);
    TQUtility::RunMessageLoop(nullptr);
    EXPECT_TRUE(TQUtility::deferredDeletes.empty());
    EXPECT_TRUE(events.empty());
}

// Tab in a dialog-style form passed to the loop is dialog navigation and is
// not dispatched to the control; for any other form it reaches OnKeyDown.
TEST_F(MessageLoop, DialogNavigationOnlyForDialogForm) {
    struct Row {
        bool dialog;
        bool passForm;
        bool keyReachesControl;
    };
    const Row rows[] = {{true, true, false}, {false, true, true}, {true, false, true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.dialog) + std::to_string(row.passForm));
        events.clear();
        Form* f = Make<Form>(GetModuleHandleW(nullptr), row.dialog);
        f->SetSize(300, 200);
        f->Create();
        auto* a = Make<TQUtility::TextBox>(f, "a");
        auto* b = Make<TQUtility::TextBox>(f, "b");
        b->SetPosition(10, 60);
        a->Create();
        b->Create();
        a->onKeyDown = KeyDownCb;
        SetForegroundWindow(f->hwnd);
        a->Focus();
        PostMessageW(a->hwnd, WM_KEYDOWN, VK_TAB, 0);
        PostQuitMessage(0);
        TQUtility::RunMessageLoop(row.passForm ? f : nullptr);
        EXPECT_EQ(!events.empty(), row.keyReachesControl);
        EXPECT_EQ(GetFocus(), b->hwnd);  // the focus moved either way
        DestroyWindow(f->hwnd);
    }
}

}  // namespace
