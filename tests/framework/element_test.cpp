// The element model without windows: defaults, stored setters, the two event
// layers and the results that count, the one-time create notification, the
// text-change report on focus loss, and FontSpec's single font.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/element.h"
#include "platform/core/handles.h"
#include "tests/framework/fixture.h"

using fwtest::Probe;
using TQUtility::FontSpec;
using TQUtility::GUIElement;

namespace {

// What the callbacks saw, in order.
std::vector<std::string> calls;
GUIElement* seenElement = nullptr;
HWND seenHwnd = nullptr;
int seenX = 0, seenY = 0, seenKey = 0;

int MouseCb(GUIElement* e, HWND h, int x, int y) {
    seenElement = e;
    seenHwnd = h;
    seenX = x;
    seenY = y;
    return 77;
}
int KeyCb(GUIElement* e, int key) {
    seenElement = e;
    seenKey = key;
    return 55;
}
bool RefuseChar(GUIElement*, int ch) {
    return ch != 'x';
}
bool RefuseClose(GUIElement*) {
    return false;
}
void CreateCb(GUIElement* e, HWND h) {
    seenElement = e;
    seenHwnd = h;
    calls.push_back("create");
}
void KillFocusCb(GUIElement*) {
    calls.push_back("killfocus");
}
void TextChangedCb(GUIElement*) {
    calls.push_back("textchanged");
}

class ElementModel : public fwtest::ElementTest {
protected:
    void SetUp() override {
        ElementTest::SetUp();
        calls.clear();
        seenElement = nullptr;
        seenHwnd = nullptr;
        seenX = seenY = seenKey = 0;
    }
};

// A new element carries the documented defaults and no handlers.
TEST_F(ElementModel, NewElementHasDefaults) {
    Probe* e = Make<Probe>();
    EXPECT_EQ(e->width, 100);
    EXPECT_EQ(e->height, 50);
    EXPECT_EQ(e->x, 100);
    EXPECT_EQ(e->y, 100);
    EXPECT_EQ(e->backColor, -1);
    EXPECT_TRUE(e->enabled);
    EXPECT_FALSE(e->created);
    EXPECT_FALSE(e->paintBackColor);
    EXPECT_FALSE(e->createNotified);
    EXPECT_FALSE(e->waitCursor);
    EXPECT_FALSE(e->handCursor);
    EXPECT_TRUE(e->text.empty());
    EXPECT_TRUE(e->focusText.empty());
    EXPECT_EQ(e->id, 0);
    EXPECT_EQ(e->hwnd, nullptr);
    EXPECT_EQ(e->font, nullptr);
    EXPECT_EQ(e->parent, nullptr);
    EXPECT_EQ(e->oldWndProc, nullptr);
    EXPECT_EQ(e->onCreate, nullptr);
    EXPECT_EQ(e->onLButtonUp, nullptr);
    EXPECT_EQ(e->onChar, nullptr);
    EXPECT_EQ(e->onClose, nullptr);
    EXPECT_EQ(e->onTextChanged, nullptr);
    EXPECT_EQ(e->onMouseLeave, nullptr);
    // The constructor registered it, as the last entry.
    ASSERT_FALSE(TQUtility::registeredElements.empty());
    EXPECT_EQ(TQUtility::registeredElements.back(), e);
}

// Before the window exists, setters only store: no window, no paint state.
TEST_F(ElementModel, SettersOnlyStoreBeforeCreate) {
    Probe* e = Make<Probe>();
    const std::size_t windowsBefore = platform::LiveObjects(platform::Kind::Window);
    e->SetSize(33, 44);
    e->SetPosition(5, 6);
    e->SetEnabled(false);
    e->SetText(std::u16string(u"wide"));
    e->SetBackColor(0x00123456);
    EXPECT_EQ(e->width, 33);
    EXPECT_EQ(e->height, 44);
    EXPECT_EQ(e->x, 5);
    EXPECT_EQ(e->y, 6);
    EXPECT_FALSE(e->enabled);
    EXPECT_EQ(e->text, u"wide");
    EXPECT_EQ(e->backColor, 0x00123456);
    EXPECT_FALSE(e->paintBackColor);  // nothing was painted
    EXPECT_EQ(e->GetPosition().x, 5);
    EXPECT_EQ(e->GetSize().cx, 33);
    EXPECT_EQ(e->GetText(), u"wide");
    EXPECT_EQ(platform::LiveObjects(platform::Kind::Window), windowsBefore);
}

// Each mouse-button operation hands element, hwnd and coordinates to its own
// callback and returns the callback's result; 0 without one.
TEST_F(ElementModel, MouseButtonOperationsReachTheirOwnCallback) {
    struct Row {
        const char* name;
        TQUtility::MouseButtonCallback GUIElement::*callback;
        int (GUIElement::*operation)(int, int);
    };
    const Row rows[] = {
        {"LButtonUp", &GUIElement::onLButtonUp, &GUIElement::OnLButtonUp},
        {"LButtonDown", &GUIElement::onLButtonDown, &GUIElement::OnLButtonDown},
        {"LButtonDblClk", &GUIElement::onLButtonDblClk, &GUIElement::OnLButtonDblClk},
        {"RButtonUp", &GUIElement::onRButtonUp, &GUIElement::OnRButtonUp},
        {"RButtonDown", &GUIElement::onRButtonDown, &GUIElement::OnRButtonDown},
        {"RButtonDblClk", &GUIElement::onRButtonDblClk, &GUIElement::OnRButtonDblClk},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Probe* e = Make<Probe>();
        EXPECT_EQ((e->*row.operation)(3, 4), 0);
        e->*row.callback = MouseCb;
        seenElement = nullptr;
        EXPECT_EQ((e->*row.operation)(-7, 9), 77);
        EXPECT_EQ(seenElement, e);
        EXPECT_EQ(seenHwnd, e->hwnd);
        EXPECT_EQ(seenX, -7);
        EXPECT_EQ(seenY, 9);
        // Only its own callback: the others stay untouched.
        for (const Row& other : rows) {
            if (&other != &row) {
                EXPECT_EQ(e->*other.callback, nullptr);
            }
        }
    }
}

TEST_F(ElementModel, KeyOperationsReachTheirOwnCallback) {
    Probe* e = Make<Probe>();
    EXPECT_EQ(e->OnKeyDown(9), 0);
    e->onKeyDown = KeyCb;
    EXPECT_EQ(e->OnKeyDown(0x41), 55);
    EXPECT_EQ(seenKey, 0x41);
    EXPECT_EQ(e->OnKeyUp(0x42), 0);  // onKeyUp is still unset
    e->onKeyUp = KeyCb;
    EXPECT_EQ(e->OnKeyUp(0x42), 55);
    EXPECT_EQ(seenKey, 0x42);
}

// The three results that count: OnChar swallows, OnClose vetoes, OnCtlColor
// gives no brush by default.
TEST_F(ElementModel, ResultsThatCount) {
    Probe* e = Make<Probe>();
    EXPECT_TRUE(e->OnChar('x'));
    EXPECT_TRUE(e->OnClose());
    EXPECT_EQ(e->OnCtlColor(nullptr), nullptr);
    e->onChar = RefuseChar;
    e->onClose = RefuseClose;
    EXPECT_FALSE(e->OnChar('x'));
    EXPECT_TRUE(e->OnChar('y'));
    EXPECT_FALSE(e->OnClose());
}

// onCreate runs at most once, and a null callback at the first OnCreate still
// uses up the notification; an existing hwnd is kept.
TEST_F(ElementModel, OnCreateNotifiesOnce) {
    HWND first = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x1000));
    HWND second = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x2000));

    Probe* a = Make<Probe>();
    a->onCreate = CreateCb;
    a->OnCreate(first);
    a->OnCreate(second);
    EXPECT_EQ(calls, (std::vector<std::string>{"create"}));
    EXPECT_EQ(seenHwnd, first);
    EXPECT_EQ(a->hwnd, first);  // the second handle did not replace it
    EXPECT_TRUE(a->createNotified);

    calls.clear();
    Probe* b = Make<Probe>();
    b->OnCreate(first);  // no callback yet
    EXPECT_TRUE(b->createNotified);
    b->onCreate = CreateCb;
    b->OnCreate(first);
    EXPECT_TRUE(calls.empty());
    a->hwnd = nullptr;  // no fake handle stays in the registry
    b->hwnd = nullptr;
}

// Losing the focus reports a text change only when the text differs from the
// one at OnSetFocus, and always after onKillFocus.
TEST_F(ElementModel, KillFocusReportsChangedTextAfterKillFocus) {
    Probe* e = Make<Probe>();
    e->onKillFocus = KillFocusCb;
    e->onTextChanged = TextChangedCb;
    e->text = u"abc";
    e->OnSetFocus();
    EXPECT_EQ(e->focusText, u"abc");
    e->OnKillFocus();
    EXPECT_EQ(calls, (std::vector<std::string>{"killfocus"}));

    calls.clear();
    e->OnSetFocus();
    e->text = u"abd";
    e->OnKillFocus();
    EXPECT_EQ(calls, (std::vector<std::string>{"killfocus", "textchanged"}));
}

// The narrow SetText goes through the virtual table to a wide override.
TEST_F(ElementModel, NarrowSetTextReachesWideOverride) {
    struct WideOnly : Probe {
        using GUIElement::SetText;
        std::u16string seen;
        void SetText(const std::u16string& t) override { seen = t; }
    };
    WideOnly* e = Make<WideOnly>();
    GUIElement* base = e;
    base->SetText(std::string("ab\xF2"));
    EXPECT_EQ(e->seen, u"ab\u00F2");
    EXPECT_TRUE(e->text.empty());  // the override decided not to store
}

// A FontSpec makes one font on first use and never again, whatever changes
// afterwards; its destructor releases it.
TEST_F(ElementModel, FontSpecMakesItsFontOnce) {
    const std::size_t before = platform::LiveObjects(platform::Kind::Font);
    {
        FontSpec spec("Arial", 22);
        EXPECT_EQ(spec.faceName, u"Arial");
        EXPECT_EQ(spec.handle, nullptr);
        HFONT first = spec.GetHandle();
        ASSERT_NE(first, nullptr);
        spec.bold = true;
        spec.height = 40;
        EXPECT_EQ(spec.GetHandle(), first);
        EXPECT_EQ(platform::LiveObjects(platform::Kind::Font), before + 1);
        LOGFONTW described{};
        ASSERT_NE(GetObjectW(first, sizeof(described), &described), 0);
        EXPECT_EQ(described.lfHeight, 22);
        EXPECT_EQ(described.lfWeight, 400);
        EXPECT_EQ(std::u16string(described.lfFaceName), u"Arial");
    }
    EXPECT_EQ(platform::LiveObjects(platform::Kind::Font), before);

    FontSpec system;
    EXPECT_EQ(system.faceName, u"System");
    EXPECT_EQ(system.height, 0);
    EXPECT_FALSE(system.bold || system.italic || system.underline || system.fixedPitch);
    FontSpec styled("Lucida Console", 16);
    styled.bold = styled.italic = styled.underline = styled.fixedPitch = true;
    LOGFONTW d{};
    ASSERT_NE(GetObjectW(styled.GetHandle(), sizeof(d), &d), 0);
    EXPECT_EQ(d.lfWeight, 700);
    EXPECT_EQ(d.lfItalic, 1);
    EXPECT_EQ(d.lfUnderline, 1);
    EXPECT_EQ(d.lfPitchAndFamily & 0x3, 1);
    EXPECT_EQ(d.lfCharSet, 1);
    EXPECT_EQ(d.lfQuality, 5);
    EXPECT_EQ(d.lfOutPrecision, 8);
}

}  // namespace
