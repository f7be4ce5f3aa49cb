// Registers the system window classes ("Button", "static", "edit") and the
// private classes of the drop-down menus and the message box.
#include "platform/controls/controls.h"
#include "platform/controls/controls_internal.h"

namespace platform::controls {

void RegisterControlClass(LPCWSTR name, WNDPROC proc, UINT style, LPCWSTR cursor) {
    WNDCLASSW wc{};
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hCursor = LoadCursorW(nullptr, cursor);
    wc.lpszClassName = name;
    RegisterClassW(&wc);
}

void RegisterSystemClasses() {
    RegisterButtonClass();
    RegisterStaticClass();
    RegisterEditClass();
    RegisterMenuClasses();
    RegisterMessageBoxClass();
}

}  // namespace platform::controls
