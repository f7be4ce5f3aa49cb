// The concrete element kinds on real (headless) windows: the owner-drawn
// button face, image frames, text cells, text boxes, timers and menus, and
// that none of them leaves a window, graphics object, menu or timer behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "framework/button.h"
#include "framework/form.h"
#include "framework/menu.h"
#include "framework/panels.h"
#include "framework/static.h"
#include "framework/textbox.h"
#include "framework/timer.h"
#include "platform/controls/menu_model.h"
#include "platform/core/handles.h"
#include "tests/framework/fixture.h"
#include "tests/framework/pixels.h"

using fwtest::Canvas;
using TQUtility::Form;
using TQUtility::GUIElement;

namespace {

class Controls : public fwtest::ElementTest {
protected:
    Form* MakeForm() {
        Form* f = Make<Form>(GetModuleHandleW(nullptr));
        f->SetSize(400, 300);
        f->Create();
        return f;
    }
    // The pixels of a window's client area, row by row.
    static std::vector<COLORREF> WindowPixels(HWND hwnd, int w, int h) {
        HDC dc = GetDC(hwnd);
        std::vector<COLORREF> out;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                out.push_back(GetPixel(dc, x, y));
        ReleaseDC(hwnd, dc);
        return out;
    }
};

// ---------------------------------------------------------------------------
// Owner-drawn button face
// ---------------------------------------------------------------------------

constexpr COLORREF kFace = RGB(200, 220, 240);
constexpr COLORREF kInk = RGB(0x30, 0x20, 0x10);

struct Face {
    Canvas canvas{100, 60, 0x00FFFFFF};
    HFONT font;
    HGDIOBJ previousFont;
    explicit Face(int fontHeight) {
        font = CreateFontW(fontHeight, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, OUT_OUTLINE_PRECIS, 0,
                           CLEARTYPE_QUALITY, 0, u"Arial");
        previousFont = SelectObject(canvas.dc, font);
        SetBkColor(canvas.dc, kFace);
        SetTextColor(canvas.dc, kInk);
    }
    ~Face() {
        SelectObject(canvas.dc, previousFont);
        DeleteObject(font);
    }
    void Paint(TQUtility::Button* b, UINT state, RECT r) {
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_BUTTON;
        item.CtlID = static_cast<UINT>(b->id);
        item.itemState = state;
        item.hwndItem = b->hwnd;
        item.hDC = canvas.dc;
        item.rcItem = r;
        b->PaintFace(&item);
    }
};

// The face takes the device context's colours; the outline follows the
// state; the focus rectangle lies 3 pixels inside; the caption is centred.
TEST_F(Controls, ButtonFacePixels) {
    Form* f = MakeForm();
    auto* b = Make<TQUtility::Button>(f, "OK");
    b->ownerDraw = true;
    b->Create();
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(b->hwnd, GWL_STYLE)), 0x50010000u | BS_OWNERDRAW);
    struct Row {
        const char* name;
        UINT state;
        COLORREF outline, text;
        bool focus;
    };
    const Row rows[] = {
        {"normal", 0, kInk, kInk, false},
        {"pressed", ODS_SELECTED, 0xFFFFFF - kInk, kInk, false},
        {"disabled", ODS_DISABLED, 0x696969, 0x969696, false},
        {"disabled and pressed", ODS_DISABLED | ODS_SELECTED, 0x696969, 0x969696, false},
        {"focused", ODS_FOCUS, kInk, kInk, true},
    };
    const RECT r{10, 10, 90, 40};  // 80 x 30 inside a white canvas
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Face face(20);
        const std::size_t live = platform::LiveGraphicsObjects();
        face.Paint(b, row.state, r);
        EXPECT_EQ(platform::LiveGraphicsObjects(), live);  // probe font and pens are gone
        const Canvas& c = face.canvas;
        bool inkSeen = false;
        bool focusSeen = false;
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                const COLORREF p = c.At(x, y);
                const bool inside = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
                if (!inside) {
                    ASSERT_EQ(p, 0x00FFFFFFu) << "outside the face at " << x << "," << y;
                    continue;
                }
                const bool edge = x == r.left || x == r.right - 1 || y == r.top || y == r.bottom - 1;
                if (edge) {
                    ASSERT_EQ(p, row.outline) << "outline at " << x << "," << y;
                    continue;
                }
                const bool focusRing =
                    (x == r.left + 3 || x == r.right - 4) && y >= r.top + 3 && y < r.bottom - 3;
                const bool focusRow =
                    (y == r.top + 3 || y == r.bottom - 4) && x >= r.left + 3 && x < r.right - 3;
                if ((focusRing || focusRow) && p != kFace) {
                    focusSeen = true;
                    continue;
                }
                if (x < 30 || x >= 70) {  // no caption there
                    ASSERT_EQ(p, kFace) << "face at " << x << "," << y;
                }
                if (p == row.text) inkSeen = true;
            }
        }
        EXPECT_TRUE(inkSeen);
        EXPECT_EQ(focusSeen, row.focus);
        if (!row.focus) {
            RECT ink = c.InkBoundsIn(kFace, RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1});
            ASSERT_FALSE(Canvas::Empty(ink));
            EXPECT_LE(std::abs((ink.left - r.left) - (r.right - ink.right)), 2)
                << ink.left << ".." << ink.right;
        }
    }
}

// A font taller than the button starts the caption at the top edge of the
// face, never above it.
TEST_F(Controls, ButtonCaptionNeverAboveTheFace) {
    Form* f = MakeForm();
    auto* b = Make<TQUtility::Button>(f, "OK");
    b->ownerDraw = true;
    b->Create();
    Face face(60);
    const RECT r{10, 10, 90, 40};
    face.Paint(b, 0, r);
    EXPECT_TRUE(Canvas::Empty(face.canvas.InkBoundsIn(0x00FFFFFF, RECT{0, 0, 100, r.top})));
    EXPECT_FALSE(Canvas::Empty(face.canvas.InkBoundsIn(kFace, RECT{11, 11, 89, 39})));
}

// ---------------------------------------------------------------------------
// Image frames and text cells
// ---------------------------------------------------------------------------

COLORREF SheetColour(int x, int y) {
    return ((x + y) % 4 == 0) ? 0 : RGB(x, y * 5, 77);
}

// A frame shows exactly its tile of the sheet: tile 3 of a 25 x 40 frame is
// the sheet from (75, 0) to (100, 40); transparent frames show the window
// background where the sheet is black.
TEST_F(Controls, ImageFrameCopiesItsTile) {
    Form* f = MakeForm();
    HBITMAP sheet = fwtest::MakeBitmap(200, 40, SheetColour);
    const COLORREF background = RGB(1, 2, 3);
    for (bool transparent : {false, true}) {
        SCOPED_TRACE(transparent ? "transparent" : "plain");
        auto* frame = Make<TQUtility::ImageFrame>(f, sheet, 3, 0);
        frame->transparent = transparent;
        frame->SetSize(25, 40);
        frame->SetPosition(10, 10);
        frame->SetBackColor(static_cast<std::int32_t>(background));
        frame->Create();
        UpdateWindow(frame->hwnd);
        std::vector<COLORREF> got = WindowPixels(frame->hwnd, 25, 40);
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 25; ++x) {
                COLORREF want = SheetColour(75 + x, y);
                if (transparent && want == 0) want = background;
                ASSERT_EQ(got[static_cast<std::size_t>(y) * 25 + x], want) << "at " << x << "," << y;
            }
        }
        DestroyWindow(frame->hwnd);
    }
    DeleteObject(sheet);
}

// A cell centres its text in its colour; without a font it uses Tahoma 14.
TEST_F(Controls, CellControlText) {
    Form* f = MakeForm();
    const COLORREF blue = RGB(64, 65, 255);
    const COLORREF green = RGB(0, 255, 0);
    TQUtility::FontSpec tahoma14("Tahoma", 14), tahoma24("Tahoma", 24);
    auto paint = [&](TQUtility::FontSpec* font, COLORREF colour, const char* text) {
        auto* cell = Make<TQUtility::CellControl>(f);
        cell->SetSize(120, 40);
        cell->SetPosition(10, 10);
        cell->SetBackColor(static_cast<std::int32_t>(blue));
        cell->font = font;
        if (colour != 0) cell->SetForeColor(colour);
        cell->Create();
        cell->SetText(std::string(text));
        UpdateWindow(cell->hwnd);
        std::vector<COLORREF> pixels = WindowPixels(cell->hwnd, 120, 40);
        DestroyWindow(cell->hwnd);
        return pixels;
    };
    auto inkOf = [](const std::vector<COLORREF>& pixels, COLORREF bg, bool* seenExact, COLORREF exact) {
        RECT box{120, 40, 0, 0};
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 120; ++x) {
                COLORREF p = pixels[static_cast<std::size_t>(y) * 120 + x];
                if (p == bg) continue;
                if (p == exact) *seenExact = true;
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
        return box;
    };

    std::vector<COLORREF> greenText = paint(&tahoma24, green, "123");
    bool exact = false;
    RECT ink = inkOf(greenText, blue, &exact, green);
    ASSERT_LT(ink.left, ink.right);
    EXPECT_TRUE(exact);
    EXPECT_LE(std::abs(ink.left - (120 - ink.right)), 2);
    EXPECT_LE(std::abs(ink.top - (40 - ink.bottom)), 6);  // one line, vertically centred

    std::vector<COLORREF> byDefault = paint(nullptr, 0, "123");
    exact = false;
    inkOf(byDefault, blue, &exact, 0);
    EXPECT_TRUE(exact);  // black by default
    EXPECT_EQ(byDefault, paint(&tahoma14, 0, "123"));
    EXPECT_NE(byDefault, paint(&tahoma24, 0, "123"));

    std::vector<COLORREF> empty = paint(nullptr, 0, "");
    EXPECT_EQ(empty, std::vector<COLORREF>(empty.size(), blue));
}

// SetText on a created cell repaints it; before Create it only stores.
TEST_F(Controls, CellControlSetTextRepaints) {
    Form* f = MakeForm();
    auto* cell = Make<TQUtility::CellControl>(f);
    cell->SetText(std::string("7"));
    EXPECT_EQ(cell->text, u"7");
    cell->SetSize(60, 30);
    cell->Create();
    UpdateWindow(cell->hwnd);
    std::vector<COLORREF> seven = WindowPixels(cell->hwnd, 60, 30);
    cell->SetText(std::u16string(u"8"));
    UpdateWindow(cell->hwnd);
    EXPECT_NE(WindowPixels(cell->hwnd, 60, 30), seven);
    WCHAR shown[8] = {};
    GetWindowTextW(cell->hwnd, shown, 8);
    EXPECT_EQ(std::u16string(shown), u"8");
}

// ---------------------------------------------------------------------------
// Text boxes
// ---------------------------------------------------------------------------

void Type(HWND box, const std::u16string& text) {
    for (char16_t ch : text)
        SendMessageW(box, WM_CHAR, ch, 1);
}

// Typing reaches the box; read-only refuses it; multi-line takes Enter as a
// new line; ApplyStyle turns read-only on at once.
TEST_F(Controls, TextBoxEditing) {
    Form* f = MakeForm();
    struct Row {
        const char* name;
        bool multiline, readOnly;
        std::u16string expected;
    };
    const Row rows[] = {{"plain", false, false, u"ab"},
                        {"read-only", false, true, u"start"},
                        {"multi-line", true, false, u"a\r\nb"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto* box = Make<TQUtility::TextBox>(f, row.readOnly ? "start" : "");
        box->multiline = row.multiline;
        box->readOnly = row.readOnly;
        box->SetSize(200, 60);
        box->Create();
        box->Focus();
        Type(box->hwnd, row.multiline ? u"a\rb" : u"ab");
        EXPECT_EQ(box->GetText(), row.expected);
        const DWORD style = static_cast<DWORD>(GetWindowLongW(box->hwnd, GWL_STYLE));
        EXPECT_EQ((style & ES_READONLY) != 0, row.readOnly);
        EXPECT_EQ((style & ES_MULTILINE) != 0, row.multiline);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(box->hwnd, GWL_EXSTYLE)), WS_EX_CLIENTEDGE);
    }

    auto* box = Make<TQUtility::TextBox>(f, "");
    box->Create();
    box->Focus();
    Type(box->hwnd, u"a");
    box->readOnly = true;
    box->ApplyStyle();
    Type(box->hwnd, u"b");
    EXPECT_EQ(box->GetText(), u"a");
    EXPECT_NE(GetWindowLongW(box->hwnd, GWL_STYLE) & static_cast<LONG_PTR>(ES_READONLY), 0);
}

// ---------------------------------------------------------------------------
// Timers
// ---------------------------------------------------------------------------

// One system timer however often Start is called; Stop and deletion kill it;
// the timer lives on the parent form's window under the element's id.
TEST_F(Controls, TimerStartStopAndDelete) {
    Form* f = MakeForm();
    const std::size_t timers = platform::LiveObjects(platform::Kind::Timer);
    auto* t = Make<TQUtility::Timer>(f);
    t->Start();
    t->Start();
    EXPECT_TRUE(t->created);
    EXPECT_GT(t->id, 0);
    EXPECT_EQ(platform::LiveObjects(platform::Kind::Timer), timers + 1);
    // The system timer is the one named by (form window, id): killing that
    // pair removes it.
    EXPECT_TRUE(KillTimer(f->hwnd, static_cast<UINT_PTR>(t->id)));
    EXPECT_EQ(platform::LiveObjects(platform::Kind::Timer), timers);
    t->running = false;
    t->Start();
    t->Stop();
    EXPECT_FALSE(t->running);
    EXPECT_EQ(platform::LiveObjects(platform::Kind::Timer), timers);
    t->Stop();  // stopped: nothing
    t->Start();
    EXPECT_EQ(platform::LiveObjects(platform::Kind::Timer), timers + 1);
    Forget(t);
    Destroy(t);
    EXPECT_EQ(platform::LiveObjects(platform::Kind::Timer), timers);
}

// ---------------------------------------------------------------------------
// Menus
// ---------------------------------------------------------------------------

struct MainMenu {
    TQUtility::MenuBar* bar;
    TQUtility::Menu* file;
    TQUtility::Menu* help;
    TQUtility::SubMenu* quit;
    TQUtility::SubMenu* guide;
    TQUtility::SubMenu* home;
};

std::vector<std::u16string> Captions(HMENU menu) {
    std::vector<std::u16string> out;
    if (auto* m = platform::controls::FindMenu(menu))
        for (const auto& item : m->items)
            out.push_back(item.text);
    return out;
}

// The bar shows "&File" and "&?" in that order, with their items in order,
// each addressed by its element's id; a late AddItem shows at once.
TEST_F(Controls, MenuBarStructure) {
    Form* f = MakeForm();
    auto* bar = Make<TQUtility::MenuBar>(f);
    auto* file = Make<TQUtility::Menu>("&File", bar);
    auto* quit = Make<TQUtility::SubMenu>("&Esci", file);
    auto* help = Make<TQUtility::Menu>("&?", bar);
    auto* guide = Make<TQUtility::SubMenu>("&Guida", help);
    auto* home = Make<TQUtility::SubMenu>("&Home", help);
    EXPECT_EQ(guide->id, quit->id + 1);
    EXPECT_EQ(home->id, quit->id + 2);
    bar->Create();
    ASSERT_TRUE(bar->created);
    EXPECT_EQ(GetMenu(f->hwnd), bar->menuHandle);
    EXPECT_EQ(bar->hwnd, reinterpret_cast<HWND>(bar->menuHandle));
    EXPECT_EQ(Captions(bar->menuHandle), (std::vector<std::u16string>{u"&File", u"&?"}));
    EXPECT_EQ(Captions(file->menuHandle), (std::vector<std::u16string>{u"&Esci"}));
    EXPECT_EQ(Captions(help->menuHandle), (std::vector<std::u16string>{u"&Guida", u"&Home"}));
    auto* model = platform::controls::FindMenu(help->menuHandle);
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->items[0].id, static_cast<UINT_PTR>(guide->id));
    EXPECT_EQ(model->items[1].id, static_cast<UINT_PTR>(home->id));
    EXPECT_EQ(platform::controls::FindMenu(bar->menuHandle)->items[0].submenu, file->menuHandle);

    auto* late = Make<TQUtility::SubMenu>("&Nuovo", file);
    EXPECT_TRUE(late->created);
    EXPECT_EQ(Captions(file->menuHandle), (std::vector<std::u16string>{u"&Esci", u"&Nuovo"}));
}

// A bar built before its form has a window stays uncreated.
TEST_F(Controls, MenuBarNeedsTheFormWindow) {
    Form* f = Make<Form>(GetModuleHandleW(nullptr));
    auto* bar = Make<TQUtility::MenuBar>(f);
    auto* menu = Make<TQUtility::Menu>("&File", bar);
    const std::size_t menus = platform::LiveObjects(platform::Kind::Menu);
    bar->Create();
    EXPECT_FALSE(bar->created);
    EXPECT_FALSE(menu->created);
    EXPECT_EQ(platform::LiveObjects(platform::Kind::Menu), menus);
}

// An item disabled before creation is greyed; SetEnabled(true) enables it.
TEST_F(Controls, MenuItemGreyedUntilEnabled) {
    Form* f = MakeForm();
    auto* bar = Make<TQUtility::MenuBar>(f);
    auto* file = Make<TQUtility::Menu>("&File", bar);
    auto* quit = Make<TQUtility::SubMenu>("&Esci", file);
    quit->enabled = false;
    bar->Create();
    auto state = [&] { return platform::controls::FindMenu(file->menuHandle)->items[0]; };
    EXPECT_FALSE(platform::controls::ItemEnabled(state()));
    quit->SetEnabled(true);
    EXPECT_TRUE(platform::controls::ItemEnabled(state()));
    quit->SetEnabled(false);
    EXPECT_FALSE(platform::controls::ItemEnabled(state()));
}

// ---------------------------------------------------------------------------
// Nothing left behind
// ---------------------------------------------------------------------------

// Creating, painting and destroying one element of every kind leaves no
// window, graphics object, menu or timer alive.
TEST_F(Controls, NothingLeaksPerKind) {
    HBITMAP sheet = fwtest::MakeBitmap(50, 40, SheetColour);
    const std::size_t windows = platform::LiveObjects(platform::Kind::Window);
    const std::size_t graphics = platform::LiveGraphicsObjects();
    const std::size_t menus = platform::LiveObjects(platform::Kind::Menu);
    const std::size_t timers = platform::LiveObjects(platform::Kind::Timer);
    {
        Form* f = MakeForm();
        auto* font = new TQUtility::FontSpec("Arial", 16);
        auto* panel = Make<TQUtility::PanelChildren>(f);
        panel->SetBorder(true);
        panel->font = font;
        auto* frame = Make<TQUtility::ImageFrame>(f, sheet, 1, 0);
        auto* cell = Make<TQUtility::CellControl>(f);
        cell->text = u"42";
        auto* button = Make<TQUtility::Button>(f, "RESET");
        button->ownerDraw = true;
        auto* label = Make<TQUtility::Label>(f, "Kelvo");
        auto* box = Make<TQUtility::TextBox>(f, "testo");
        auto* image = Make<TQUtility::Image>(f, 0);
        auto* timer = Make<TQUtility::Timer>(f);
        auto* bar = Make<TQUtility::MenuBar>(f);
        auto* menu = Make<TQUtility::Menu>("&File", bar);
        Make<TQUtility::SubMenu>("&Esci", menu);
        for (GUIElement* e : std::vector<GUIElement*>{panel, frame, cell, button, label, box, image})
            e->Create();
        frame->SetSize(25, 40);
        bar->Create();
        timer->Start();
        InvalidateRect(f->hwnd, nullptr, TRUE);
        RedrawWindow(f->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        HDC dc = GetDC(box->hwnd);
        SendMessageW(panel->hwnd, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(box->hwnd));
        ReleaseDC(box->hwnd, dc);
        DestroyEverything();  // the form's window goes first, then every element
        delete font;
    }
    EXPECT_EQ(platform::LiveObjects(platform::Kind::Window), windows);
    EXPECT_EQ(platform::LiveGraphicsObjects(), graphics);
    DeleteObject(sheet);
    EXPECT_EQ(platform::LiveObjects(platform::Kind::Menu), menus);
    EXPECT_EQ(platform::LiveObjects(platform::Kind::Timer), timers);
}

}  // namespace
