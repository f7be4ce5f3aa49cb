// What the SDL host does with Xlib itself, on the X11 video driver: reading
// the desktop's density (DesktopScale, in sdl_scale.h), filtering X protocol
// errors that are harmless to us, and presenting pixels without a copy.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/host/host.h"

struct SDL_Window;

namespace platform::host::sdl {

// Xlib's default answer to a protocol error ends the process. SDL wakes its
// waiting event loop by sending a message, over a second connection, to one
// of our windows; when the loop has woken for another reason and the program
// destroys that window at once (a menu closed by a key, a dialog answered),
// the X server may see the destruction first and reject the message with
// BadWindow. The loop is awake anyway, so that error, and any BadWindow of a
// message sent to a window already gone, is ignored; every other error goes
// to the handler that was in place before. Installed once per process, after
// SDL has set up its own handler; calling it again changes nothing.
void InstallX11ErrorFilter();

// Shows window pixels straight from the caller's buffer with XPutImage, for
// windows whose visual stores 0x00RRGGBB pixels as they are (the usual 24-bit
// TrueColor visual). SDL's window surface would keep a second whole copy of
// every window beside the window manager's composed pixels; this way the
// composed pixels are the only copy, and a window whose pixels the desktop
// lost is painted again from them (the host reports it as exposed).
class X11Presenter {
public:
    // Null unless SDL's video driver is "x11".
    static std::unique_ptr<X11Presenter> Make(const char* videoDriver);
    ~X11Presenter();
    X11Presenter(const X11Presenter&) = delete;
    X11Presenter& operator=(const X11Presenter&) = delete;

    // The X window behind `window` when its pixels can be put directly;
    // 0 when they must go through SDL's window surface.
    unsigned long Target(SDL_Window* window);
    // Puts the rectangles (each inside width x height) of the frame
    // `pixels` (0x00RRGGBB, row by row) at the same place in the window.
    void Put(unsigned long target, const std::uint32_t* pixels, int width, int height,
             const std::vector<Rect>& rects);

private:
    X11Presenter() = default;
    struct Connection;
    std::unique_ptr<Connection> x_;
};

}  // namespace platform::host::sdl
