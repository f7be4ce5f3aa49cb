// Registers the system window classes ("Button", "static", "edit") and the
// private classes of the drop-down menus and the message box.
#include "platform/controls/controls.h"
#include "platform/controls/controls_internal.h"

namespace platform::controls {

void RegisterSystemClasses() {
    RegisterButtonClass();
    RegisterStaticClass();
    RegisterEditClass();
    RegisterMenuClasses();
    RegisterMessageBoxClass();
}

}  // namespace platform::controls
