// The X side of the SDL host. The desktop's scale comes from the Xft.dpi
// resource, read through a short connection of its own, because the factor
// is needed before SDL has a window whose connection could be borrowed.

// Xlib defines macros (None, Bool, Status) that our headers use as names:
// it comes last.
#include "platform/host/sdl/sdl_x11.h"

#include <cstring>

#include "platform/host/sdl/sdl_scale.h"

#include <X11/Xlib.h>
#include <X11/Xproto.h>

namespace platform::host::sdl {

namespace {

XErrorHandler g_previousHandler = nullptr;

int FilterX11Error(Display* display, XErrorEvent* error) {
    if (error->error_code == BadWindow && error->request_code == X_SendEvent) return 0;
    return g_previousHandler ? g_previousHandler(display, error) : 0;
}

}  // namespace

void InstallX11ErrorFilter() {
    const XErrorHandler previous = XSetErrorHandler(FilterX11Error);
    if (previous != FilterX11Error) g_previousHandler = previous;
}

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
