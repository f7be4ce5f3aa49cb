// The window manager's own state, shared by its source files and nobody
// else: window and class records, the posted-message queue, timers, focus,
// activation and capture, and the small geometry helpers every part uses.
//
// Index of the window manager:
//   windows.cpp   classes, creation, destruction, styles, text, geometry, Z order
//   messages.cpp  sending, posting, the message loop, timers, DefWindowProcW
//   paint.cpp     invalidation, WM_PAINT, window DCs, composition, presenting
//   input.cpp     host events into messages, focus, activation, capture, keys
//   dialog.cpp    IsDialogMessageW, GetNextDlgTabItem
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/handles.h"
#include "platform/gdi/surface.h"
#include "platform/host/host.h"
#include "platform/winapi.h"

namespace platform::wm {

struct WindowClass {
    std::u16string name;    // as registered
    std::u16string folded;  // lower case, for lookups
    WNDCLASSW wc{};
};

struct Window : Object {
    Window() : Object(Kind::Window) {}

    HWND handle = nullptr;
    WindowClass* cls = nullptr;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    LONG_PTR id = 0;
    LONG_PTR userData = 0;
    HINSTANCE instance = nullptr;
    Window* parent = nullptr;       // children only
    HWND owner = nullptr;           // top-level windows with an owner
    std::vector<Window*> children;  // front (first created) to back
    RECT rect{};                    // children: in the parent's client coordinates; top-level: screen
    std::u16string text;
    HFONT font = nullptr;
    HMENU menu = nullptr;
    HICON icon = nullptr;
    bool destroying = false;
    bool created = false;

    // What needs painting: a union in client coordinates.
    RECT update{};
    bool erase = false;
    bool ncDirty = false;

    // Top-level windows only.
    host::WindowId hostId = 0;
    std::unique_ptr<gdi::Surface> surface;
    std::vector<RECT> changed;  // surface rectangles waiting for Present
    HWND lastFocus = nullptr;

    bool Child() const { return (style & WS_CHILD) != 0 && parent != nullptr; }
};

struct Posted {
    MSG msg;
};

struct Timer : Object {
    Timer() : Object(Kind::Timer) {}
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    UINT elapse = 0;
    std::uint64_t due = 0;
    TIMERPROC proc = nullptr;
    void* handle = nullptr;
};

struct State {
    std::vector<std::unique_ptr<WindowClass>> classes;
    bool systemClasses = false;
    std::vector<Window*> topLevels;  // front to back
    std::deque<MSG> queue;
    bool quit = false;
    int quitCode = 0;
    std::vector<Timer*> timers;

    HWND focus = nullptr;
    HWND active = nullptr;
    HWND capture = nullptr;
    HWND pressWindow = nullptr;  // implicit capture while a button is held
    HCURSOR cursor = nullptr;

    // Pointer and keyboard as the host reported them.
    host::WindowId pointerHost = 0;
    POINT pointerScreen{};
    unsigned buttons = 0;  // bit 0 left, 1 right, 2 middle
    bool keys[256] = {};
    bool altAlone = false;  // Alt went down and nothing else since

    // Double clicks.
    HWND lastClickWindow = nullptr;
    int lastClickButton = 0;
    std::uint64_t lastClickTime = 0;
    POINT lastClickPoint{};
    bool lastWasDouble = false;

    // TrackMouseEvent.
    HWND trackWindow = nullptr;
    DWORD trackFlags = 0;
    DWORD hoverMs = 400;
    std::uint64_t hoverStart = 0;
};

State& S();

std::string ToUtf8(const std::u16string& s);

// --- lookups ---
Window* FindWindow(HWND hwnd);  // null with ERROR_INVALID_WINDOW_HANDLE
Window* Peek(HWND hwnd);        // null, last error untouched
Window* Root(Window* w);
bool IsDescendant(Window* ancestor, Window* w);  // w == ancestor counts

// --- geometry ---
RECT Inset(Window* w);        // non-client widths: left, top, right, bottom
RECT MenuBarIn(Window* w);    // window coordinates
RECT ScrollBarIn(Window* w);  // window coordinates
int Width(const RECT& r);
int Height(const RECT& r);
POINT SurfaceOrigin(Window* w);  // window's top-left in its root surface
POINT ClientSurfaceOrigin(Window* w);
RECT ClientRectOf(Window* w);  // (0, 0, cx, cy)
bool Visible(Window* w);       // it and every ancestor
bool Enabled(Window* w);       // it and every ancestor
RECT Intersect(const RECT& a, const RECT& b);
bool Empty(const RECT& r);
RECT Unite(const RECT& a, const RECT& b);
void Subtract(std::vector<RECT>* area, const RECT& cut);
std::vector<RECT> VisibleArea(Window* w, bool client);  // surface coordinates

// --- painting (paint.cpp) ---
void InvalidateClient(Window* w, const RECT* clientRect, bool erase);
void InvalidateArea(Window* root, const RECT& surfaceRect);  // every window under it
void InvalidateAll(Window* w);                               // window, frame and descendants
Window* NextToPaint();
void FlushPresents();
void PaintNonClient(Window* w);
void ResizeSurface(Window* w);

// --- messages (messages.cpp) ---
LRESULT Send(Window* w, UINT msg, WPARAM wParam, LPARAM lParam);
void Post(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void KillTimersOf(HWND hwnd);
std::uint64_t NextDeadline();  // earliest timer or hover; UINT64_MAX when none
host::Host& H();

// --- input (input.cpp) ---
void HandleHostEvent(const host::Event& e);
void CheckHover();
void Activate(Window* top, WORD how);
void Deactivate();
void ForgetWindow(Window* w);  // focus, capture, tracking go
void ActivateNextAfter(Window* gone);
Window* TopOfHost(host::WindowId id);

// --- windows (windows.cpp) ---
void EnsureSystemClasses();
void SetMenuInternal(Window* w, HMENU menu);

}  // namespace platform::wm
