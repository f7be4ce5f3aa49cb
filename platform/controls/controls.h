// The stand-in's own controls and non-client parts, as the window manager
// calls them: the system window classes ("Button", "static", "edit"), the
// menu bar of a top-level window with its drop-down menus, and the vertical
// scroll bar of a WS_VSCROLL window.
#pragma once

#include "platform/winapi.h"

namespace platform::controls {

// Called once, before the first window is created.
void RegisterSystemClasses();

// --- Menu bar ---
// Height of the bar that `menu` needs on a window `width` pixels wide.
int MenuBarHeight(HMENU menu, int width);
// Paints the bar into `dc` (window coordinates) within `bar`.
void PaintMenuBar(HWND hwnd, HMENU menu, HDC dc, const RECT& bar);
// A press on the bar at `windowPoint` (window coordinates): runs the menu
// until the person chooses an item (WM_COMMAND is posted to hwnd) or leaves.
void TrackMenuFromMouse(HWND hwnd, HMENU menu, POINT windowPoint);
// Alt or F10 (accessKey 0: select the first title), or Alt with an access key.
void TrackMenuFromKeyboard(HWND hwnd, HMENU menu, WCHAR accessKey);
// The window and its menu are going away.
void ForgetMenuOwner(HWND hwnd);

// --- Vertical scroll bar ---
// Paints the bar of `hwnd` into `dc` (window coordinates) within `bar`.
void PaintScrollBar(HWND hwnd, HDC dc, const RECT& bar);
// A press on the bar at `windowPoint`: sends WM_VSCROLL as the person drags
// or clicks, until the button is released.
void TrackScrollBar(HWND hwnd, POINT windowPoint);
// The window is destroyed: drop its scroll state.
void ForgetScrollBar(HWND hwnd);

}  // namespace platform::controls
