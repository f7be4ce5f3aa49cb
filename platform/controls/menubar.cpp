// The menu bar of a top-level window and its drop-down menus.
#include "platform/controls/controls.h"
#include "platform/controls/menu_model.h"

namespace platform::controls {

int MenuBarHeight(HMENU menu, int) {
    return FindMenu(menu) ? 19 : 0;
}

void PaintMenuBar(HWND, HMENU, HDC, const RECT&) {}

void TrackMenuFromMouse(HWND, HMENU, POINT) {}

void TrackMenuFromKeyboard(HWND, HMENU, WCHAR) {}

void ForgetMenuOwner(HWND) {}

}  // namespace platform::controls
