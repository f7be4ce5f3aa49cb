// The SDL host's filter of X protocol errors, on a real X server: a message
// sent over a second connection to a window the first one has just destroyed
// (how SDL's wake-up of its event loop meets a closing menu or dialog) must
// not end the program, and every other error must still reach the handler
// that was installed before. Prints "x11 errors: ok" and exits 0 on success.
// Usage: x11_error_check   (DISPLAY names the server)
#include <cstdio>
#include <cstdlib>

#include "platform/host/sdl/sdl_x11.h"

#include <X11/Xlib.h>
#include <X11/Xproto.h>

namespace {

int g_errors = 0;
int g_lastRequest = 0;

int Record(Display*, XErrorEvent* error) {
    ++g_errors;
    g_lastRequest = error->request_code;
    return 0;
}

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "FAIL: %s (errors seen: %d, last request %d)\n", what, g_errors, g_lastRequest);
    std::exit(1);
}

}  // namespace

int main() {
    Display* a = XOpenDisplay(nullptr);
    Display* b = XOpenDisplay(nullptr);
    if (!a || !b) Fail("cannot open the display");
    XSetErrorHandler(Record);  // stands for the handler SDL installs
    platform::host::sdl::InstallX11ErrorFilter();
    platform::host::sdl::InstallX11ErrorFilter();  // a second host start: no loop through itself

    const Window gone = XCreateSimpleWindow(a, DefaultRootWindow(a), 0, 0, 10, 10, 0, 0, 0);
    XSync(a, False);
    XDestroyWindow(a, gone);
    XSync(a, False);

    XEvent wake{};
    wake.xclient.type = ClientMessage;
    wake.xclient.window = gone;
    wake.xclient.format = 32;
    XSendEvent(b, gone, False, NoEventMask, &wake);
    XSync(b, False);
    if (g_errors != 0) Fail("a message to a destroyed window reached the previous error handler");

    XMapWindow(b, gone);  // any other error still counts
    XSync(b, False);
    if (g_errors != 1 || g_lastRequest != X_MapWindow) Fail("mapping a destroyed window was not reported");

    XCloseDisplay(b);
    XCloseDisplay(a);
    std::puts("x11 errors: ok");
    return 0;
}
