// The host: the one boundary between the stand-in and a real (or simulated)
// desktop. The window manager above it owns every window, message and pixel;
// a host only creates bare host windows for top-level windows, shows finished
// pixels, and reports what the person at the desktop did. Two implementations:
// "sdl" (real windows through SDL2, used by the program) and "headless"
// (in-memory, used by tests, with input injected and a clock the test drives).
//
// Everything happens on the GUI thread. Coordinates are host-window pixels
// with (0, 0) at the top-left of the content area, except where a screen
// position is named.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform::host {

using WindowId = std::uint32_t;  // 0 is never a window

enum class CursorShape { Arrow, Hand, Wait, IBeam };

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
};

// How a top-level window looks on the desktop.
struct WindowSpec {
    int x = 0, y = 0;           // screen position of the content area
    int width = 1, height = 1;  // content size, menu bar included
    std::string titleUtf8;
    bool decorated = true;  // title bar, close box; false: a bare pop-up (menus)
    bool minimizable = true;
    bool toolWindow = false;  // no taskbar entry (the About box)
    bool topMost = false;
    WindowId transientFor = 0;  // kept in front of this window
    bool visible = false;
};

struct Event {
    enum class Type {
        None,
        MouseMove,    // x, y
        MouseDown,    // x, y, button, clicks
        MouseUp,      // x, y, button
        MouseWheel,   // x, y, wheel (+1 away from the user, -1 towards)
        PointerLeft,  // the pointer left the window
        KeyDown,      // key (virtual-key code), repeat
        KeyUp,        // key
        Text,         // text: what the person typed, UTF-16
        FocusGained,  // the desktop made this window the active one
        FocusLost,
        CloseRequested,  // the close box, or the desktop's close shortcut
        Moved,           // x, y: new screen position of the content area
        Exposed,         // the desktop lost the window's pixels: present all again
        Quit             // the desktop asks the whole program to end (SIGINT, SIGTERM)
    };
    Type type = Type::None;
    WindowId window = 0;
    int x = 0, y = 0;
    int button = 0;  // 1 left, 2 middle, 3 right
    int clicks = 1;
    int wheel = 0;
    int key = 0;
    bool repeat = false;
    std::u16string text;
};

class Host {
public:
    virtual ~Host() = default;

    // --- Display ---
    // The primary screen's size in pixels (GetSystemMetrics, centring).
    virtual int ScreenWidth() = 0;
    virtual int ScreenHeight() = 0;

    // --- Windows ---
    // A top-level window is created (CreateWindowExW without a parent).
    virtual WindowId CreateHostWindow(const WindowSpec& spec) = 0;
    // The top-level window is destroyed.
    virtual void DestroyHostWindow(WindowId id) = 0;
    // SetWindowTextW on a top-level window.
    virtual void SetTitle(WindowId id, const std::string& utf8) = 0;
    // WM_SETICON: pixels are 0xAARRGGBB, row by row.
    virtual void SetIcon(WindowId id, const std::vector<std::uint32_t>& argb, int width, int height) = 0;
    // SetWindowPos / MoveWindow: screen position and size of the content area.
    virtual void SetBounds(WindowId id, int x, int y, int width, int height) = 0;
    // ShowWindow and the WS_VISIBLE style.
    virtual void SetVisible(WindowId id, bool visible) = 0;
    // Activation by the program (SetForegroundWindow, showing a window).
    virtual void Raise(WindowId id) = 0;
    // WM_SETCURSOR's answer for the window under the pointer.
    virtual void SetCursor(WindowId id, CursorShape shape) = 0;

    // --- Present ---
    // After painting: show the changed rectangles of the window's composed
    // pixels (0x00RRGGBB, `width` x `height`, row by row).
    virtual void Present(WindowId id, const std::uint32_t* pixels, int width, int height,
                         const std::vector<Rect>& changed) = 0;

    // --- Events ---
    // GetMessageW when the queue is empty: the next event, waiting at most
    // `timeoutMs` (negative: no limit). False when the time ran out.
    virtual bool WaitEvent(Event* event, int timeoutMs) = 0;
    // A press or key anywhere ends the wait early; another thread or a
    // signal handler may call this to wake WaitEvent.
    virtual void Wake() = 0;

    // --- Clipboard ---
    virtual std::u16string ClipboardText() = 0;
    virtual void SetClipboardText(const std::u16string& text) = 0;

    // --- Clock ---
    // Monotonic milliseconds: timers and GetTickCount.
    virtual std::uint64_t NowMs() = 0;
};

// Chooses the backend by name ("sdl" or "headless") and makes it current.
// Returns false, changing nothing, for an unknown name or a backend that
// cannot start (no display); `error` then says why.
bool UseHost(const std::string& name, std::string* error = nullptr);

// The current host; a headless one is made on first use when none was chosen.
Host& CurrentHost();

// The SDL backend's factory, defined by platform/host/sdl. Declared weak so
// that programs built without that library still link; UseHost("sdl") then
// fails with a message. Null with `error` set when no display is available.
std::unique_ptr<Host> MakeSdlHost(std::string* error) __attribute__((weak));

}  // namespace platform::host
