// Window-manager services for the rest of the stand-in (system controls,
// menus, the message box). The layers above platform/ never include this.
#pragma once

#include <string>
#include <vector>

#include "platform/host/host.h"
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

// --- For the headless host's test driver ---
// The host window of a top-level window (or of a child's top-level window);
// 0 for a stale handle.
host::WindowId HostWindowOf(HWND hwnd);
// The top-level window shown in host window `id`, or null.
HWND WindowOfHost(host::WindowId id);
// Milliseconds until the next timer (or hover report) is due; 0 when one is
// due now, -1 when none is pending.
int MsUntilNextTimer();

}  // namespace platform::wm
