// The X side of the SDL host (see sdl_x11.h). The desktop's scale comes from
// the Xft.dpi resource, read through a short connection of its own, because
// the factor is needed before SDL has a window whose connection could be
// borrowed; the presenter borrows SDL's connection once windows exist.

// Xlib defines macros (None, Bool, Status) that our headers use as names:
// it comes last.
#include "platform/host/sdl/sdl_x11.h"

#include <cstring>

#include "platform/host/sdl/sdl_scale.h"

#include <SDL_syswm.h>  // brings Xlib with it
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/Xutil.h>

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

// --- Presenting without a copy ----------------------------------------------

struct X11Presenter::Connection {
    Display* display = nullptr;  // SDL's connection, borrowed
    GC gc = nullptr;             // one for every window of the depth below
    int depth = 0;
};

std::unique_ptr<X11Presenter> X11Presenter::Make(const char* videoDriver) {
    if (!videoDriver || std::strcmp(videoDriver, "x11") != 0) return nullptr;
    std::unique_ptr<X11Presenter> p(new X11Presenter);
    p->x_ = std::make_unique<Connection>();
    return p;
}

X11Presenter::~X11Presenter() {
    if (x_->gc) XFreeGC(x_->display, x_->gc);
}

unsigned long X11Presenter::Target(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
    Display* display = info.info.x11.display;
    const ::Window xwindow = info.info.x11.window;
    if (x_->display && display != x_->display) return 0;
    XWindowAttributes attrs;
    if (!XGetWindowAttributes(display, xwindow, &attrs) || !attrs.visual) return 0;
    const Visual* v = attrs.visual;
    // Our pixels in memory are the bytes B, G, R, 0: a 32-bit little-endian
    // image of a visual with these masks takes them unchanged. SDL gives its
    // windows a DirectColor visual where there is one, with a colour map
    // that maps every value to itself, as SDL's own window surface relies on.
    const bool sameLayout = (v->c_class == TrueColor || v->c_class == DirectColor) &&
                            v->red_mask == 0xFF0000 && v->green_mask == 0xFF00 && v->blue_mask == 0xFF &&
                            ImageByteOrder(display) == LSBFirst && (attrs.depth == 24 || attrs.depth == 32);
    if (!sameLayout) return 0;
    if (!x_->gc) {
        x_->display = display;
        x_->depth = attrs.depth;
        x_->gc = XCreateGC(display, xwindow, 0, nullptr);
        if (!x_->gc) return 0;
    }
    return attrs.depth == x_->depth ? xwindow : 0;
}

void X11Presenter::Put(unsigned long target, const std::uint32_t* pixels, int width, int height,
                       const std::vector<Rect>& rects) {
    if (!x_->gc || !target || rects.empty()) return;
    // An image header over the caller's pixels; Xlib splits a large put
    // into requests the server takes. The pixels stay the caller's.
    XImage image{};
    image.width = width;
    image.height = height;
    image.format = ZPixmap;
    image.data = reinterpret_cast<char*>(const_cast<std::uint32_t*>(pixels));
    image.byte_order = LSBFirst;
    image.bitmap_unit = 32;
    image.bitmap_bit_order = LSBFirst;
    image.bitmap_pad = 32;
    image.depth = x_->depth;
    image.bytes_per_line = width * 4;
    image.bits_per_pixel = 32;
    image.red_mask = 0xFF0000;
    image.green_mask = 0xFF00;
    image.blue_mask = 0xFF;
    if (!XInitImage(&image)) return;
    for (const Rect& r : rects)
        XPutImage(x_->display, target, x_->gc, &image, r.x, r.y, r.x, r.y, r.w, r.h);
    XFlush(x_->display);
}

}  // namespace platform::host::sdl
