// The X side of the desktop's scale: the Xft.dpi resource. Xlib is used here
// only, through a short connection of its own, because the factor is needed
// before SDL has a window whose connection could be borrowed.

// Xlib defines macros (None, Bool, Status) that our headers use as names:
// it comes last.
#include "platform/host/sdl/sdl_scale.h"

#include <cstring>

#include <X11/Xlib.h>

namespace platform::host::sdl {

int DesktopScale(const char* videoDriver) {
    if (!videoDriver || std::strcmp(videoDriver, "x11") != 0) return 1;
    Display* display = XOpenDisplay(nullptr);  // DISPLAY, as SDL opened it
    if (!display) return 1;
    // The resources the desktop loaded into the server (xrdb), or else the
    // user's ~/.Xdefaults: where every Xft program looks.
    const char* dpi = XGetDefault(display, "Xft", "dpi");
    const int scale = dpi ? ScaleFromDpi(ParseDpi(dpi)) : 1;
    XCloseDisplay(display);
    return scale;
}

}  // namespace platform::host::sdl
