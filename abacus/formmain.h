// FormMain: the abacus window. It builds the menu, the banner, the three
// buttons, the 112 board cells, the seven rod counters and caption boxes and
// the total display out of framework elements, wires their callbacks to its
// own operations through the static routing functions below, and holds the
// abacus rules: presses on beads, the timed moves, the counts and the reset,
// the commands, the captions and the exit question.
#pragma once

#include <cstdint>
#include <string>

#include "abacus/board.h"
#include "framework/button.h"
#include "framework/form.h"
#include "framework/menu.h"
#include "framework/panels.h"
#include "framework/static.h"
#include "framework/textbox.h"
#include "framework/timer.h"

namespace TQUtility {
class FormAbout;
}

namespace MyGame {

// Product values shown in the title and the About box.
extern const char* const ProductTitle;    // "TQ Kelvo"
extern const char* const ProductVersion;  // "1.0.3.0"
extern const char* const CopyrightLine;   // narrow, one byte per code unit
extern const char* const WebAddress;      // "http://www." + a reserved example domain
extern const char* const AboutNotice;

// The window title: product title, a blank, the copyright line.
std::string MainCaption();

// Rod caption k (0..6) as stored under "Kelvo.exe", "Categorie", "testo<k>";
// empty when nothing is stored. Wide, so every character comes back as typed.
std::u16string LoadCaption(int k);
void SaveCaption(int k, const std::u16string& text);

// The exit question's kind of message box; true only for Yes.
bool AskYesNo(const char* text, const char* caption);

class FormMain : public TQUtility::Form {
public:
    bool moveRightPending;
    bool moveLeftPending;
    std::int32_t pressedColumn;
    std::int32_t pressedRow;
    HBRUSH ctlColorBrush;  // last brush handed out by OnCtlColor; owned
    TQUtility::FormAbout* aboutForm;
    TQUtility::MenuBar* menuBar;
    TQUtility::Menu* fileMenu;
    TQUtility::SubMenu* exitItem;
    TQUtility::Menu* helpMenu;
    TQUtility::SubMenu* homeItem;
    TQUtility::SubMenu* guideItem;
    TQUtility::Button* infoButton;
    TQUtility::Button* resetButton;
    TQUtility::Button* closeButton;
    TQUtility::Image* banner;
    TQUtility::Timer* tickTimer;
    TQUtility::FontSpec* displayFont;
    TQUtility::CellControl* totalDisplay;
    HBITMAP spriteSheet;
    COLORREF displayTextColor;
    TQUtility::ImageFrame* cells[CellCount];
    TQUtility::CellControl* rodCounters[RodCount];
    TQUtility::TextBox* captionBoxes[RodCount];

    // Creates and shows the window; the contents are built while it is made.
    FormMain(HINSTANCE module, const std::string& caption);
    ~FormMain() override;

    void OnPaint() override;
    HBRUSH OnCtlColor(HDC dc) override;

    virtual void BuildContents();
    virtual bool ConfirmClose();
    virtual void OnFormSize();
    virtual void OnTimerTick();
    virtual bool OnFormChar(int ch);
    virtual bool OnCaptionChar(TQUtility::GUIElement* box, int ch);
    virtual void OnFormKeyDown(int key);
    virtual void OnFormKeyUp(int key);
    virtual void OnMenuCommand(TQUtility::GUIElement* item);
    virtual void OnFormMouseUp(int x, int y);
    virtual void OnFormMouseDown(int x, int y);
    virtual void OnCellPress(TQUtility::GUIElement* element);
    virtual void OnButtonCommand(TQUtility::GUIElement* button);

    // The moves of a pending press; each returns its flag's new value.
    bool StepRight();
    bool StepLeft();
    // Rewrites the seven rod counters and returns the total.
    std::int32_t CountRods();
    // Back to the initial layout; counters, total and caption boxes emptied.
    void ResetBoard();

    TQUtility::ImageFrame* Cell(int row, int column) { return cells[CellIndex(row, column)]; }

private:
    void BuildMenu();
    void OpenAbout();
};

// The first FormMain constructed; menu commands fall back on it.
extern FormMain* mainForm;

// The only way the rules change a cell: store the tile, repaint the cell
// when its window exists, then set the hand cursor.
void SetCellTile(TQUtility::ImageFrame* cell, TileCode code, std::int32_t row, bool hand);

// The routing functions stored in the elements' callbacks.
void RouteCreate(TQUtility::GUIElement* element, HWND window);
bool RouteClose(TQUtility::GUIElement* element);
void RouteSize(TQUtility::GUIElement* element);
bool RouteChar(TQUtility::GUIElement* element, int ch);
int RouteKeyDown(TQUtility::GUIElement* element, int key);
int RouteKeyUp(TQUtility::GUIElement* element, int key);
int RouteMouseUp(TQUtility::GUIElement* element, HWND window, int x, int y);
int RouteMouseDown(TQUtility::GUIElement* element, HWND window, int x, int y);
void RouteButtonCommand(TQUtility::GUIElement* button);
void RouteMenuCommand(TQUtility::GUIElement* item);
void RouteTimerTick(TQUtility::GUIElement* timer);

}  // namespace MyGame
