// The window manager's own state, shared by its source files: window classes,
// window objects (Kind::Window in the handle table), timers (Kind::Timer), the
// posted-message queue, focus, activation, capture and pointer state.
//
// Index of the window manager:
//   windows.cpp   classes, creation, destruction, geometry, Z order, longs, text
//   messages.cpp  send/post, GetMessageW/PeekMessageW, timers, host input
//   painting.cpp  invalidation, visible regions, BeginPaint, frames, presenting
//   focus.cpp     focus, activation, capture, keyboard state, dialogs, cursor
//   defproc.cpp   DefWindowProcW
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/core/handles.h"
#include "platform/gdi/surface.h"
#include "platform/host/host.h"
#include "platform/winapi.h"

namespace platform::wm {

struct WindowClass {
    std::u16string name;
    ATOM atom = 0;
    UINT style = 0;
    WNDPROC proc = nullptr;
    int cbWndExtra = 0;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    int windows = 0;
};

struct Window final : Object {
    Window() : Object(Kind::Window) {}
    HWND self = nullptr;
    std::shared_ptr<WindowClass> cls;
    WNDPROC proc = nullptr;
    DWORD style = 0, exStyle = 0;
    LONG_PTR id = 0, userData = 0;
    HINSTANCE instance = nullptr;
    std::u16string text;
    std::vector<unsigned char> extra;
    HWND parent = nullptr;       // child windows only
    HWND owner = nullptr;        // top-level windows only
    std::vector<HWND> children;  // front to back
    RECT rect{};                 // parent client coordinates (child) or screen (top-level)
    int border = 0;              // frame thickness drawn by us
    int menuHeight = 0;          // top-level menu bar
    bool vscroll = false;
    HMENU menu = nullptr;
    HFONT font = nullptr;
    HICON iconSmall = nullptr, iconBig = nullptr;
    bool destroying = false;
    bool minimized = false;
    // Painting: the update area is kept as one bounding rectangle.
    bool hasUpdate = false, erase = false, ncDirty = false, inDirtyList = false;
    RECT update{};
    HWND lastFocus = nullptr;
    // Top-level windows only.
    host::WindowId hostId = 0;
    std::unique_ptr<gdi::Surface> surface;
    std::vector<RECT> presentPending;
    int cursorShape = -1;

    bool IsChild() const { return (style & WS_CHILD) != 0 && parent != nullptr; }
    int Width() const { return rect.right - rect.left; }
    int Height() const { return rect.bottom - rect.top; }
};

struct Timer final : Object {
    Timer() : Object(Kind::Timer) {}
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    UINT elapse = 0;
    std::uint64_t due = 0;
    TIMERPROC proc = nullptr;
};

struct State {
    std::vector<std::shared_ptr<WindowClass>> classes;
    // The same classes by name folded to ASCII lower case: every panel and
    // cell registers a class of its own, so lookups by name must not scan.
    std::unordered_map<std::u16string, std::shared_ptr<WindowClass>> classesByName;
    ATOM nextAtom = 0xC000;
    bool systemClassesDone = false;
    std::vector<HWND> topLevels;  // front to back
    std::deque<MSG> queue;
    bool quitPending = false;
    int quitCode = 0;
    std::vector<HWND> dirty;
    std::vector<void*> timers;
    UINT_PTR nextThreadTimer = 0x7F00;
    HWND focus = nullptr, active = nullptr, capture = nullptr, implicitCapture = nullptr;
    bool keys[256] = {};
    bool altAlone = false, altTap = false;
    // Pointer
    POINT pointer{};
    HWND mouseWindow = nullptr;
    host::WindowId pointerHost = 0;
    HWND trackWindow = nullptr;
    bool trackHover = false, trackLeave = false;
    std::uint64_t hoverDue = 0;
    DWORD hoverTime = 400;
    // Double clicks
    HWND lastPressWindow = nullptr;
    int lastPressButton = 0;
    std::uint64_t lastPressTime = 0;
    POINT lastPressPoint{};
    bool lastWasDouble = false;
    HCURSOR cursor = nullptr;
    std::vector<std::pair<HDC, HWND>> dcs;  // DCs handed out by GetDC/BeginPaint
};

State& S();
host::Host& H();

// The window behind `h`, or null with ERROR_INVALID_WINDOW_HANDLE.
Window* Win(HWND h);
// The same without touching the last error.
Window* Peek(HWND h);
Window* Root(Window* w);
bool IsDescendant(HWND ancestor, HWND h);  // h == ancestor counts

// Geometry (see windows.cpp).
POINT WindowOriginScreen(const Window* w);
POINT ClientOriginScreen(const Window* w);
POINT WindowOriginSurface(const Window* w);
RECT ClientRectInWindow(const Window* w);  // client area in window coordinates
int ClientWidth(const Window* w);
int ClientHeight(const Window* w);
void RecalcFrame(Window* w);
bool VisibleChain(const Window* w);
bool EnabledChain(const Window* w);

// Rectangle helpers.
bool Empty(const RECT& r);
RECT Intersect(const RECT& a, const RECT& b);
RECT Union(const RECT& a, const RECT& b);
bool Contains(const RECT& r, POINT p);
RECT Offset(RECT r, int dx, int dy);

// Painting (painting.cpp).
void InvalidateClient(Window* w, const RECT* clientRect, bool erase);
void InvalidateFrame(Window* w);
void InvalidateTree(Window* w, bool frames);  // everything in the window and below
// Area of `parent`'s client (client coords) that was uncovered or covered.
void InvalidateUnder(Window* parent, const RECT& clientRect, HWND except);
HWND NextPaintWindow(HWND filter);
void PaintNonClient(Window* w);
void FlushPresents();
void ForgetDirty(HWND h);

// Focus and activation (focus.cpp).
void Activate(HWND top, WORD how, bool fromHost);
void ActivateNextAfter(HWND gone);
void OnWindowGone(HWND h);  // focus/capture/tracking references dropped

// Messages (messages.cpp).
void KillTimersOf(HWND h);
void HandleHostEvent(const host::Event& ev);
int MsUntilNextDue();

std::string ToUtf8(const std::u16string& s);
std::u16string FromWide(LPCWSTR s);

}  // namespace platform::wm
