// ElementWndProc: the one window procedure of every element window. Forms and
// panels register it for their classes; system-class windows (buttons,
// labels, images, timers, text boxes) are subclassed to it. It finds the
// element of the window in the registry, calls the element's virtual event
// operation, routes commands, owner-draw requests and timer ticks to the
// element they concern, manages cursors, Tab navigation and form activation,
// posts the quit message when the main window is destroyed, and hands the
// message on to the window's previous procedure or to DefWindowProcW.
#pragma once

#include "platform/winapi.h"

namespace TQUtility {

class Form;

// The four pieces of state the procedure keeps between messages.
extern HCURSOR waitCursorHandle;  // loaded on the first message
extern HCURSOR handCursorHandle;
extern Form* activeForm;    // the form that most recently became the foreground window
extern bool mouseTracking;  // hover/leave tracking requested and not yet ended

LRESULT ElementWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

class GUIElement;

// The window of a child element of a system class ("Button", "edit",
// "static"): the element's text, position and size, under its parent's
// window, with the element's id as control identifier.
HWND CreateSystemChild(GUIElement* element, DWORD exStyle, LPCWSTR className, DWORD style);

// Subclasses the element's system-class window to ElementWndProc, keeping the
// replaced procedure in oldWndProc. Without a window the last error is read
// and dropped, and nothing else happens.
void SubclassElement(GUIElement* element);

}  // namespace TQUtility
