// What the SDL host does with Xlib itself, on the X11 video driver: reading
// the desktop's density (DesktopScale, in sdl_scale.h) and filtering X
// protocol errors that are harmless to us.
#pragma once

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

}  // namespace platform::host::sdl
