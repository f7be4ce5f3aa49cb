// What the files of platform/controls share among themselves: the class
// registrations that RegisterSystemClasses runs, and small geometry helpers.
#pragma once

#include "platform/winapi.h"

namespace platform::controls {

// Registers one of our window classes: its procedure, class style and the
// system cursor shown over it; no icon, no background brush (each control
// paints its whole client area).
void RegisterControlClass(LPCWSTR name, WNDPROC proc, UINT style, LPCWSTR cursor);

void RegisterButtonClass();
void RegisterStaticClass();
void RegisterEditClass();
void RegisterMenuClasses();
void RegisterMessageBoxClass();

inline void OffsetRectBy(RECT* r, int dx, int dy) {
    r->left += dx;
    r->right += dx;
    r->top += dy;
    r->bottom += dy;
}

}  // namespace platform::controls
