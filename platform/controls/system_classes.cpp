// Registers the system window classes "Button", "static" and "edit".
#include "platform/controls/controls.h"

namespace platform::controls {

void RegisterSystemClasses() {}

}  // namespace platform::controls
