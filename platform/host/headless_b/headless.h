// The headless host: an in-memory desktop for tests. Host windows keep their
// bounds, title, icon, visibility, cursor and stacking for inspection, and
// the pixels last presented for each; input is injected at screen points as
// a person would produce it; the clock is either a fake one that the test
// advances (waiting with a timeout jumps the clock to the deadline at once)
// or the real monotonic clock. Setting KELVO_HEADLESS_DUMP=dir writes every
// presented frame there as a PPM file.
//
// Driver is the small API tests use: it makes the headless host current and
// drives the program's message loop through the public calls.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/host/host.h"
#include "platform/winapi.h"

namespace platform::headless_b {

struct HostWindow {
    host::WindowSpec spec;  // bounds and visibility are kept current here
    std::string title;
    std::vector<std::uint32_t> icon;
    int iconWidth = 0, iconHeight = 0;
    host::CursorShape cursor = host::CursorShape::Arrow;
    int width = 0, height = 0;
    std::vector<std::uint32_t> image;  // 0x00RRGGBB as presented
    int presents = 0;
};

class HeadlessHost : public host::Host {
public:
    HeadlessHost();

    // --- Inspection and control for tests ---
    void SetScreenSize(int width, int height);
    void UseRealClock(bool real);
    void AdvanceClock(std::uint64_t ms);
    // Events are delivered in order by WaitEvent.
    void Inject(const host::Event& event);
    const HostWindow* Window(host::WindowId id) const;
    std::vector<host::WindowId> Stacking() const;  // front to back, visible or not
    // The front-most visible window containing the screen point; 0 for none.
    host::WindowId WindowAt(int x, int y) const;
    host::WindowId KeyWindow() const { return keyWindow_; }
    std::uint64_t PresentedPixels() const { return presentedPixels_; }
    void ResetPresentedPixels() { presentedPixels_ = 0; }
    int WakeUps() const { return wakeUps_; }

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

    void Dump(host::WindowId id, const HostWindow& w);

    int screenW_ = 1280, screenH_ = 1024;
    std::map<host::WindowId, HostWindow> windows_;
    std::vector<host::WindowId> stacking_;
    host::WindowId nextId_ = 1;
    host::WindowId keyWindow_ = 0;
    std::deque<host::Event> events_;
    std::u16string clipboard_;
    bool realClock_ = false;
    std::uint64_t fakeNow_ = 1000000;
    std::uint64_t presentedPixels_ = 0;
    int wakeUps_ = 0;
    int idleWaits_ = 0;
    std::string dumpDir_;
    int frame_ = 0;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool woken_ = false;
};

// Modifier keys held around Driver::Key.
enum Mods : unsigned { None = 0, Shift = 1, Ctrl = 2, Alt = 4 };

class Driver {
public:
    Driver();  // makes the headless host current when it is not already
    HeadlessHost& Host() { return *host_; }

    // Pointer, at screen points.
    void Move(int x, int y);
    void Press(int x, int y, int button = 1);
    void Release(int x, int y, int button = 1);
    void Click(int x, int y, int button = 1);
    void Wheel(int x, int y, int clicks);
    void LeaveWindow();
    // Keyboard: Key presses and releases vk with the modifiers held around it.
    void KeyDown(int vk);
    void KeyUp(int vk);
    void Key(int vk, unsigned mods = None);
    void Type(const std::u16string& text);
    // The desktop.
    void FocusGained(HWND topLevel);
    void FocusLost(HWND topLevel);
    void CloseRequest(HWND topLevel);
    void Quit();

    // Dispatches everything queued, paints included, without waiting.
    void Pump();
    // Moves the fake clock forward, firing every timer and hover that falls
    // due on the way, and pumps until idle.
    void Advance(std::uint64_t ms);

    // Presented pixels: at client point (x, y) of any window, or at content
    // point (x, y) of a host window. 0xFFFFFFFF outside.
    COLORREF Pixel(HWND hwnd, int x, int y) const;
    COLORREF HostPixel(host::WindowId id, int x, int y) const;
    std::uint64_t PresentedPixelCount() const { return host_->PresentedPixels(); }
    void ResetPresentedPixelCount() { host_->ResetPresentedPixels(); }
    std::string WindowTitle(HWND topLevel) const;
    host::WindowId HostWindowOf(HWND hwnd) const;
    const HostWindow* HostWindowInfo(HWND topLevel) const;

private:
    void InjectMouse(host::Event::Type type, int x, int y, int button);
    HeadlessHost* host_;
    host::WindowId pressed_ = 0;
};

}  // namespace platform::headless_b
