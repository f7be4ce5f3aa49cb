// The headless host: an in-memory desktop for tests. Host windows keep their
// bounds, title, icon, visibility, cursor and Z order for inspection; the
// presented pixels of every window are kept in an image; input is injected
// at screen points as a person would produce it; the clock is advanced by the
// test (a wait with a timeout moves the fake clock to the deadline at once)
// or is the real monotonic clock. With KELVO_HEADLESS_DUMP=<dir> every
// presented frame is also written there as a PPM file.
//
// Driver is the small API tests use: it injects input, pumps messages until
// nothing is left to do, advances the clock with timers firing on the way,
// and reads back pixels and titles.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/host/host.h"
#include "platform/winapi.h"

namespace platform::headless {

struct HostWindow {
    host::WindowSpec spec;
    std::string title;
    std::vector<std::uint32_t> image;  // 0x00RRGGBB as presented
    int imageWidth = 0, imageHeight = 0;
    std::vector<std::uint32_t> icon;
    int iconWidth = 0, iconHeight = 0;
    host::CursorShape cursor = host::CursorShape::Arrow;
    int raised = 0;
};

class HeadlessHost final : public host::Host {
public:
    HeadlessHost();

    // --- Inspection and injection (tests) ---
    void SetScreenSize(int width, int height);
    void UseRealClock(bool real);
    void AdvanceClock(std::uint64_t ms);
    void Inject(const host::Event& e);
    const HostWindow* Window(host::WindowId id) const;
    std::vector<host::WindowId> ZOrder() const { return zOrder_; }  // front to back
    host::WindowId FocusedWindow() const { return focused_; }
    void SetFocusedWindow(host::WindowId id) { focused_ = id; }
    std::uint64_t PresentedPixels() const { return presentedPixels_; }
    void ResetPresentedPixels() { presentedPixels_ = 0; }
    std::uint64_t WaitCalls() const { return waits_; }
    // Called when the program blocks waiting for input under the fake clock:
    // this is where a test plays the person in front of a modal loop (a
    // message box, an open menu, a held scroll-bar arrow). It may inject
    // events and return true. When a timer is pending and nothing was
    // injected, the clock jumps to the timer instead; with no timer pending,
    // false means the test forgot to script the input, which aborts with a
    // message. Without the call on timed waits, a modal loop that wakes only
    // for its timers would never see the scripted input.
    void SetIdleHandler(std::function<bool()> handler) { idle_ = std::move(handler); }
    // True while the idle handler runs: the program is blocked inside a wait,
    // so input may only be queued, not dispatched.
    bool InIdleHandler() const { return inIdle_; }

private:
    int ScreenWidth() override { return screenW_; }
    int ScreenHeight() override { return screenH_; }
    host::WindowId CreateHostWindow(const host::WindowSpec& spec) override;
    void DestroyHostWindow(host::WindowId id) override;
    void SetTitle(host::WindowId id, const std::string& utf8) override;
    void SetIcon(host::WindowId id, const std::vector<std::uint32_t>& argb, int width, int height) override;
    void SetBounds(host::WindowId id, int x, int y, int width, int height) override;
    void SetVisible(host::WindowId id, bool visible) override;
    void Raise(host::WindowId id) override;
    void SetCursor(host::WindowId id, host::CursorShape shape) override;
    void Present(host::WindowId id, const std::uint32_t* pixels, int width, int height,
                 const std::vector<host::Rect>& changed) override;
    bool WaitEvent(host::Event* event, int timeoutMs) override;
    void Wake() override;
    std::u16string ClipboardText() override { return clipboard_; }
    void SetClipboardText(const std::u16string& text) override { clipboard_ = text; }
    std::uint64_t NowMs() override;

    bool CallIdle();
    void Dump(host::WindowId id, const HostWindow& w);

    int screenW_ = 1280, screenH_ = 1024;
    std::map<host::WindowId, HostWindow> windows_;
    std::vector<host::WindowId> zOrder_;
    host::WindowId nextId_ = 1, focused_ = 0;
    std::deque<host::Event> events_;
    std::u16string clipboard_;
    bool realClock_ = false;
    std::uint64_t fakeNow_ = 1000;
    std::uint64_t presentedPixels_ = 0, waits_ = 0, frames_ = 0;
    std::string dumpDir_;
    std::function<bool()> idle_;
    bool inIdle_ = false;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool woken_ = false;
};

// The headless host in use, made current when another host (or none) was.
HeadlessHost& CurrentHeadless();

class Driver {
public:
    enum Mods { None = 0, Shift = 1, Ctrl = 2, Alt = 4 };

    Driver();
    HeadlessHost& host() { return host_; }

    // Pointer input at screen points. Called from inside the host's idle
    // handler, every input call only queues its events (the program is
    // blocked in a wait and takes them from there).
    void Move(int x, int y);
    void Press(int x, int y, int button = 1);
    void Release(int x, int y, int button = 1);
    // Press and release are queued together before either is dispatched, as
    // a desktop delivers a click: a press that opens a modal loop (a held
    // scroll-bar arrow) finds the release waiting.
    void Click(int x, int y, int button = 1);
    void Wheel(int x, int y, int steps);
    // Keys: modifiers go down first and up last, as a person presses them.
    void KeyDown(int vk);
    void KeyUp(int vk);
    void Key(int vk, int mods = None);
    void Type(const std::u16string& text);
    // Desktop events for the host window of `hwnd`.
    void FocusGained(HWND hwnd);
    void FocusLost(HWND hwnd);
    void CloseRequest(HWND hwnd);
    void Quit();

    // Dispatches everything queued, paints included, without blocking.
    // Messages for `dialog` (when set) go through IsDialogMessageW first.
    void Pump();
    void SetDialog(HWND dialog) { dialog_ = dialog; }
    // Advances the fake clock by `ms`, firing due timers on the way.
    void Advance(int ms);
    bool QuitPosted() const { return quit_; }

    // Presented pixels: a point of a window in that window's own coordinates
    // (0, 0 = its top-left corner), as COLORREF. CLR_INVALID outside.
    COLORREF Pixel(HWND hwnd, int x, int y);
    std::uint64_t PresentedPixelCount() const { return host_.PresentedPixels(); }
    void ResetPresentedPixelCount() { host_.ResetPresentedPixels(); }
    std::string WindowTitle(HWND hwnd);
    const HostWindow* HostWindowFor(HWND hwnd);
    // Screen point of a window's client coordinate.
    POINT ScreenPoint(HWND hwnd, int clientX, int clientY);

private:
    void Send(host::Event e);
    // Dispatches what is queued unless the program is blocked in a wait.
    void Flush();
    void QueueMove(int x, int y);
    void QueuePress(int x, int y, int button);
    void QueueRelease(int x, int y, int button);
    host::WindowId WindowAt(int x, int y, int* lx, int* ly);

    HeadlessHost& host_;
    HWND dialog_ = nullptr;
    bool quit_ = false;
    host::WindowId pointerWindow_ = 0;
    host::WindowId pressWindow_ = 0;  // holds the pointer while a button is down
};

}  // namespace platform::headless
