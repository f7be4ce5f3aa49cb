// Behaviour seen through the headless desktop as a person would produce it:
// centring on a screen of known size, typing into a text box, timer ticks as
// the clock advances, and menu items chosen from the keyboard.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/form.h"
#include "framework/menu.h"
#include "framework/textbox.h"
#include "framework/timer.h"
#include "platform/host/headless/headless.h"
#include "tests/framework/fixture.h"

using platform::headless::Driver;
using TQUtility::Form;
using TQUtility::GUIElement;

namespace {

std::vector<std::string> events;
void Named(GUIElement* e) {
    events.push_back(std::string(e->text.begin(), e->text.end()));
}
void Tick(GUIElement*) {
    events.push_back("tick");
}

class Driven : public fwtest::ElementTest {
protected:
    void SetUp() override {
        ElementTest::SetUp();
        events.clear();
    }
    Form* MakeForm(int w = 400, int h = 300) {
        Form* f = Make<Form>(GetModuleHandleW(nullptr));
        f->SetSize(w, h);
        f->Create();
        return f;
    }
    Driver driver;
};

// 300 x 200 on a 1024 x 768 screen lands at (362, 284).
TEST_F(Driven, CenterOnScreen) {
    driver.host().SetScreenSize(1024, 768);
    Form* f = MakeForm(300, 200);
    f->CenterOnScreen();
    RECT r{};
    GetWindowRect(f->hwnd, &r);
    EXPECT_EQ(r.left, 362);
    EXPECT_EQ(r.top, 284);
    EXPECT_EQ(f->x, 362);
    EXPECT_EQ(f->y, 284);
}

// Typed text reaches a focused box; a read-only box keeps its text.
TEST_F(Driven, TypingIntoTextBoxes) {
    Form* f = MakeForm();
    auto* box = Make<TQUtility::TextBox>(f, "");
    box->SetSize(200, 30);
    box->Create();
    auto* locked = Make<TQUtility::TextBox>(f, "fisso");
    locked->readOnly = true;
    locked->SetPosition(10, 100);
    locked->Create();
    SetForegroundWindow(f->hwnd);
    box->Focus();
    driver.Type(u"Unità");
    driver.Pump();
    EXPECT_EQ(box->GetText(), u"Unità");
    locked->Focus();
    driver.Type(u"x");
    driver.Pump();
    EXPECT_EQ(locked->GetText(), u"fisso");
}

// A started timer ticks every 300 ms through its form's window; a changed
// interval applies at the next Start only.
TEST_F(Driven, TimerTicksAsTheClockAdvances) {
    Form* f = MakeForm();
    auto* timer = Make<TQUtility::Timer>(f);
    timer->onTick = Tick;
    timer->Start();
    driver.Pump();
    driver.Advance(299);
    EXPECT_TRUE(events.empty());
    driver.Advance(1);
    EXPECT_EQ(events.size(), 1u);
    driver.Advance(600);
    EXPECT_EQ(events.size(), 3u);
    timer->interval = 100;
    timer->Start();  // running: nothing changes
    events.clear();
    driver.Advance(299);
    EXPECT_EQ(events.size(), 0u);
    timer->Stop();
    timer->Start();
    events.clear();
    driver.Advance(300);
    EXPECT_EQ(events.size(), 3u);
    timer->Stop();
    driver.Advance(1000);
    EXPECT_EQ(events.size(), 3u);
}

// Each item chosen from the keyboard reaches its own onCommand; a greyed item
// cannot be chosen until it is enabled.
TEST_F(Driven, MenuItemsChosenFromTheKeyboard) {
    Form* f = MakeForm();
    auto* bar = Make<TQUtility::MenuBar>(f);
    auto* file = Make<TQUtility::Menu>("&File", bar);
    auto* quit = Make<TQUtility::SubMenu>("&Esci", file);
    auto* help = Make<TQUtility::Menu>("&?", bar);
    auto* guide = Make<TQUtility::SubMenu>("&Guida", help);
    auto* home = Make<TQUtility::SubMenu>("&Home", help);
    for (auto* item : {quit, guide, home})
        item->onCommand = Named;
    quit->enabled = false;
    bar->Create();
    SetForegroundWindow(f->hwnd);
    driver.Pump();

    // The menu runs its own loop inside the Alt+F press; the keys after it are
    // handed in whenever that loop waits for input.
    std::vector<int> script;
    driver.host().SetIdleHandler([&] {
        if (script.empty()) return false;
        platform::host::Event e;
        e.type = platform::host::Event::Type::KeyDown;
        e.window = driver.host().FocusedWindow();
        e.key = script.front();
        script.erase(script.begin());
        driver.host().Inject(e);
        e.type = platform::host::Event::Type::KeyUp;
        driver.host().Inject(e);
        return true;
    });
    auto choose = [&](std::vector<int> keys) {
        script = std::move(keys);
        driver.Key('F', Driver::Alt);
        driver.Pump();
        EXPECT_TRUE(script.empty());
    };
    choose({'E', VK_ESCAPE, VK_ESCAPE});  // greyed: nothing happens
    EXPECT_TRUE(events.empty());
    quit->SetEnabled(true);
    choose({'E'});
    choose({VK_RIGHT, 'G'});
    choose({VK_RIGHT, 'H'});
    EXPECT_EQ(events, (std::vector<std::string>{"&Esci", "&Guida", "&Home"}));
}

}  // namespace
