// Drawing helpers shared by the system controls, the menus, the scroll bar
// and the message box: 3-D edges in the system colours, captions with an
// underlined access key, and a default GUI font.
#pragma once

#include <string>

#include "platform/winapi.h"

namespace platform::controls {

// Fills `r` with a system colour.
void FillSys(HDC dc, const RECT& r, int sysColor);

// A raised (buttons, scroll arrows, thumb) or sunken edge two pixels wide
// just inside `r`.
void DrawRaisedEdge(HDC dc, const RECT& r);
void DrawSunkenEdge(HDC dc, const RECT& r);

// Draws `caption` ("&File": the 'F' underlined, "&&" a single '&') on one
// line in the DC's font, text colour and background mode. `align` is
// DT_LEFT, DT_CENTER or DT_RIGHT; the text is centred vertically in `r`.
void DrawAccessText(HDC dc, const std::u16string& caption, const RECT& r, UINT align);

// Width and height of `caption` without its '&' marks in the DC's font.
SIZE MeasureAccessText(HDC dc, const std::u16string& caption);

// The font a control uses until WM_SETFONT gives it another.
HFONT DefaultGuiFont();

// The window text through WM_GETTEXT.
std::u16string WindowText(HWND hwnd);

// Sends WM_COMMAND with a notification code from a child control to its parent.
void NotifyParent(HWND control, WORD code);

inline bool Contains(const RECT& r, POINT p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

}  // namespace platform::controls
