// Panels and the two self-painted kinds built on them. Their windows belong
// to a class of their own ("PanelChildren" followed by the identifier
// counter) whose procedure is ElementWndProc, so the framework paints them:
//  - PanelChildren: a plain child window that can host other elements and
//    decides the colours of the system controls placed on it (OnCtlColor);
//  - ImageFrame: shows one tile of a bitmap sheet, as large as the frame,
//    chosen by column (tileCode) and row (tileRow);
//  - CellControl: shows its text in its own colour, font and alignment,
//    vertically centred.
#pragma once

#include <cstdint>
#include <string>

#include "framework/drawing.h"
#include "framework/element.h"

namespace TQUtility {

class PanelChildren : public Child {
public:
    std::string tag;  // free text kept for the owner
    bool border;      // thin border plus sunken edge
    bool flatBorder;  // with border: no sunken edge
    bool tabStop;
    HBRUSH ctlBrush;  // last brush handed out by OnCtlColor; owned

    explicit PanelChildren(GUIElement* parent);
    ~PanelChildren() override;

    HBRUSH OnCtlColor(HDC dc) override;
    void Create() override;

    // Stores the flag; once created, re-applies the window style and
    // refreshes the frame.
    void SetBorder(bool on);
    DWORD WindowStyle() const;
    DWORD WindowExStyle() const;
};

class ImageFrame : public PanelChildren {
public:
    bool transparent;       // pure black shows the window background
    HBITMAP sheet;          // not owned
    std::int32_t tileCode;  // column of the tile in the sheet
    std::int32_t tileRow;   // row of the tile in the sheet

    ImageFrame(GUIElement* parent, HBITMAP sheet, std::int32_t tileCode, std::int32_t tileRow);

    void OnPaint() override;
};

class CellControl : public PanelChildren {
public:
    std::string faceName;     // face of the default font
    std::int32_t fontHeight;  // height of the default font
    TextAlign textAlign;
    COLORREF textColor;

    explicit CellControl(GUIElement* parent);

    // Store and show the text as GUIElement does, then repaint the cell.
    void SetText(const std::u16string& text) override;
    void SetText(const std::string& text) override;
    void OnPaint() override;

    void SetForeColor(COLORREF colour);
    void SetAlignment(TextAlign align);
};

}  // namespace TQUtility
