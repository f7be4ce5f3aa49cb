// FormMain's construction, layout, routing, colours and destruction. The
// rules live in movement.cpp and counting.cpp, the commands in commands.cpp.
#include "abacus/formmain.h"

#include "about/formabout.h"
#include "framework/registry.h"
#include "services/settings.h"
#include "services/text.h"

namespace MyGame {

using namespace TQUtility;

FormMain* mainForm = nullptr;

namespace {

FormMain* AsMain(GUIElement* element) {
    return dynamic_cast<FormMain*>(element);
}

}  // namespace

FormMain::FormMain(HINSTANCE module, const std::string& caption)
    : Form(module),
      moveRightPending(false),
      moveLeftPending(false),
      pressedColumn(0),
      pressedRow(0),
      ctlColorBrush(nullptr),
      aboutForm(nullptr),
      menuBar(nullptr),
      fileMenu(nullptr),
      exitItem(nullptr),
      helpMenu(nullptr),
      homeItem(nullptr),
      guideItem(nullptr),
      infoButton(nullptr),
      resetButton(nullptr),
      closeButton(nullptr),
      banner(nullptr),
      tickTimer(nullptr),
      displayFont(nullptr),
      totalDisplay(nullptr),
      spriteSheet(nullptr),
      displayTextColor(0),
      cells{},
      rodCounters{},
      captionBoxes{} {
    font = new FontSpec("Lucida Console", 14);
    displayFont = new FontSpec("Arial", 22);
    displayFont->bold = true;
    displayTextColor = 0x00FF00;
    SetSize(640, 480);
    SetText(caption);
    minimizeBox = true;
    sizable = false;
    onCreate = RouteCreate;
    onClose = RouteClose;
    onSize = RouteSize;
    onChar = RouteChar;
    onKeyDown = RouteKeyDown;
    onKeyUp = RouteKeyUp;
    onLButtonUp = RouteMouseUp;
    onLButtonDown = RouteMouseDown;
    SetBackColor(0xFF4140);
    Create();
    SetIcon(1005);
    if (hwnd != nullptr && IsWindow(hwnd)) ApplyFont();
    SetClientSize(640, 480);
    if (mainForm == nullptr) mainForm = this;
}

void FormMain::BuildMenu() {
    menuBar = new MenuBar(this);
    fileMenu = new Menu("&File", menuBar);
    exitItem = new SubMenu("&Esci", fileMenu);
    helpMenu = new Menu("&?", menuBar);
    guideItem = new SubMenu("&Guida", helpMenu);
    homeItem = new SubMenu("&Home", helpMenu);
    exitItem->onCommand = RouteMenuCommand;
    guideItem->onCommand = RouteMenuCommand;
    homeItem->onCommand = RouteMenuCommand;
    menuBar->Create();
}

void FormMain::BuildContents() {
    BuildMenu();
    int w = width, h = height;
    if (created) {
        RECT client{};
        GetClientRect(hwnd, &client);
        w = client.right - client.left;
        h = client.bottom - client.top;
    }
    spriteSheet = static_cast<HBITMAP>(
        LoadImageW(hInstance, MAKEINTRESOURCEW(1011), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));

    banner = new Image(this, 1007);
    banner->SetSize(200, 50);
    banner->SetPosition(28, 26);
    banner->Create();

    auto display = [&](CellControl* cell, int cw, int ch, int cx, int cy) {
        cell->SetBackColor(backColor);
        cell->SetForeColor(displayTextColor);
        cell->SetSize(cw, ch);
        cell->SetPosition(cx, cy);
        cell->font = displayFont;
        cell->SetText(std::string("0"));
        cell->SetBorder(true);
        cell->Create();
    };
    totalDisplay = new CellControl(this);
    display(totalDisplay, 180, 45, (w - 180) / 2, h - 55);

    for (int n = 0; n < CellCount; ++n) {
        TileCode code = InitialTile(CellRow(n), CellColumn(n));
        ImageFrame* cell = new ImageFrame(this, spriteSheet, code, 0);
        cells[n] = cell;
        cell->transparent = false;
        cell->tag = Int64ToText(code);
        cell->SetBackColor(0);
        cell->SetSize(CellWidth, CellHeight);
        cell->onLButtonDown = RouteMouseDown;
        if (IsBead(code)) cell->SetHandCursor(true);
        cell->SetPosition(CellLeft(CellColumn(n)), CellTop(CellRow(n)));
        cell->Create();
    }

    for (int k = 0; k < RodCount; ++k) {
        rodCounters[k] = new CellControl(this);
        display(rodCounters[k], 32, 30, 378, 110 + 40 * k);
    }

    for (int k = 0; k < RodCount; ++k) {
        captionBoxes[k] = new TextBox(this, std::string());
        captionBoxes[k]->SetText(LoadCaption(k));
        captionBoxes[k]->onChar = RouteChar;
        captionBoxes[k]->SetSize(180, 25);
        captionBoxes[k]->SetPosition(420, 113 + 40 * k);
        captionBoxes[k]->Create();
    }

    auto button = [&](Button*& field, const char* caption, int left, bool hand) {
        field = new Button(this, caption);
        field->onCommand = RouteButtonCommand;
        if (hand) field->SetHandCursor(true);
        field->ownerDraw = true;
        field->SetSize(100, 40);
        field->SetPosition(left, 26);
        field->Create();
    };
    button(resetButton, "RESET", 280, true);
    button(infoButton, "Info", 390, false);
    button(closeButton, "Chiudi", 500, false);

    tickTimer = new Timer(this);
    tickTimer->onTick = RouteTimerTick;
    tickTimer->Start();
}

void FormMain::OnPaint() {
    for (Child* child : ChildrenOf(hwnd))
        child->Redraw();
    Form::OnPaint();
}

HBRUSH FormMain::OnCtlColor(HDC dc) {
    if (ctlColorBrush != nullptr) DeleteObject(ctlColorBrush);
    ctlColorBrush = nullptr;
    if (font != nullptr) SelectObject(dc, font->GetHandle());
    COLORREF back = 0xDCDCDC, fore = 0x000000;
    if (resetButton != nullptr && resetButton->hwnd != nullptr && WindowFromDC(dc) == resetButton->hwnd) {
        back = 0x0000FF;
        fore = 0xFFFFFF;
    }
    SetBkColor(dc, back);
    ctlColorBrush = CreateSolidBrush(back);
    SetTextColor(dc, fore);
    return ctlColorBrush;
}

FormMain::~FormMain() {
    // The window is normally gone by now; a stale handle must not be asked
    // to close again.
    if (created && (hwnd == nullptr || !IsWindow(hwnd))) created = false;
    delete tickTimer;
    // An About box still open is closed while its owner is whole.
    delete aboutForm;
    delete menuBar;
    delete fileMenu;
    delete helpMenu;
    delete exitItem;
    delete homeItem;
    delete guideItem;
    delete font;
    font = nullptr;
    delete resetButton;
    delete infoButton;
    delete closeButton;
    delete banner;
    if (ctlColorBrush != nullptr) DeleteObject(ctlColorBrush);
    delete displayFont;
    delete totalDisplay;
    if (spriteSheet != nullptr) DeleteObject(spriteSheet);
    for (ImageFrame* cell : cells)
        delete cell;
    for (CellControl* counter : rodCounters)
        delete counter;
    for (TextBox* box : captionBoxes)
        delete box;
    if (mainForm == this) mainForm = nullptr;
}

void FormMain::OnFormSize() {}
void FormMain::OnFormKeyDown(int) {}
void FormMain::OnFormKeyUp(int) {}
void FormMain::OnFormMouseUp(int, int) {}
void FormMain::OnFormMouseDown(int, int) {}

// --- Routing -------------------------------------------------------------------

void RouteCreate(GUIElement* element, HWND) {
    if (FormMain* form = AsMain(element)) form->BuildContents();
}

bool RouteClose(GUIElement* element) {
    FormMain* form = AsMain(element);
    return form == nullptr || form->ConfirmClose();
}

void RouteSize(GUIElement* element) {
    if (FormMain* form = AsMain(element)) form->OnFormSize();
}

bool RouteChar(GUIElement* element, int ch) {
    if (dynamic_cast<TextBox*>(element) != nullptr) {
        FormMain* form = AsMain(element->parent);
        return form == nullptr || form->OnCaptionChar(element, ch);
    }
    FormMain* form = AsMain(element);
    return form == nullptr || form->OnFormChar(ch);
}

int RouteKeyDown(GUIElement* element, int key) {
    if (FormMain* form = AsMain(element)) form->OnFormKeyDown(key);
    return 0;
}

int RouteKeyUp(GUIElement* element, int key) {
    if (FormMain* form = AsMain(element)) form->OnFormKeyUp(key);
    return 0;
}

int RouteMouseUp(GUIElement* element, HWND, int x, int y) {
    if (FormMain* form = AsMain(element)) form->OnFormMouseUp(x, y);
    return 0;
}

int RouteMouseDown(GUIElement* element, HWND, int x, int y) {
    if (dynamic_cast<Child*>(element) != nullptr) {
        if (FormMain* form = AsMain(element->parent)) form->OnCellPress(element);
    } else if (FormMain* form = AsMain(element)) {
        form->OnFormMouseDown(x, y);
    }
    return 0;
}

void RouteButtonCommand(GUIElement* button) {
    if (button == nullptr || button->parent == nullptr) return;
    FormMain* form = AsMain(button->parent);
    if (form == nullptr) form = AsMain(button->parent->parent);
    if (form != nullptr) form->OnButtonCommand(button);
}

void RouteMenuCommand(GUIElement* item) {
    if (item == nullptr) return;
    GUIElement* at = item->parent != nullptr ? item->parent : mainForm;
    FormMain* form = nullptr;
    while (at != nullptr && form == nullptr) {
        form = AsMain(at);
        at = at->parent;
    }
    if (form == nullptr) form = mainForm;
    if (form != nullptr) form->OnMenuCommand(item);
}

void RouteTimerTick(GUIElement* timer) {
    if (timer == nullptr) return;
    if (FormMain* form = AsMain(timer->parent)) form->OnTimerTick();
}

}  // namespace MyGame
