// Window-manager services for the rest of the stand-in (system controls,
// menus, the message box). The layers above platform/ never include this.
#pragma once

#include <string>
#include <vector>

#include "platform/winapi.h"

namespace platform::wm {

// The program's top-level windows, front to back.
std::vector<HWND> TopLevelWindows();

// The desktop clipboard's text (through the host).
std::u16string ClipboardText();
void SetClipboardText(const std::u16string& text);

// The non-client rectangles of a window in window coordinates (0, 0 at the
// window's top-left): the menu bar (empty when the window has no menu) and
// the vertical scroll bar (empty without WS_VSCROLL).
RECT MenuBarRect(HWND hwnd);
RECT VerticalScrollBarRect(HWND hwnd);

// Repaint part of a window's non-client area (menu bar, scroll bar) now.
void RedrawNonClient(HWND hwnd);

// A device context over the whole window, non-client area included, with
// (0, 0) at the window's top-left; release it with ReleaseDC.
HDC GetWindowDC(HWND hwnd);

}  // namespace platform::wm
