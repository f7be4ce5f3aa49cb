// The SDL2 host: one SDL window per top-level window, presenting the window
// manager's composed pixels (on X11 straight from them, else through SDL's
// window surface; no renderer, no OpenGL), and translating SDL's events into
// host events.
//
// Contents: signal handling and the waker thread; the host object (display,
// windows, present, events, clipboard, clock); the factory.
//
// Sleeping: WaitEvent blocks in SDL_WaitEventTimeout, so an idle program
// uses no CPU between its timers. Wake() and the SIGINT/SIGTERM handlers
// write one byte into a pipe (async-signal-safe); a small thread blocked on
// that pipe turns each byte into an SDL user event, because SDL_PushEvent is
// safe from another thread but not from a signal handler.
#include "platform/host/host.h"

#include <SDL.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <map>
#include <thread>

#include "platform/host/sdl/sdl_keys.h"
#include "platform/host/sdl/sdl_scale.h"
#include "platform/host/sdl/sdl_x11.h"

namespace platform::host {

namespace {

using sdl::Utf16ToUtf8;
using sdl::Utf8ToUtf16;

// ---------------------------------------------------------------------------
// Signals and the waker thread
// ---------------------------------------------------------------------------

// Bytes through the wake pipe.
constexpr char kByteWake = 'w';
constexpr char kByteSignal = 's';
constexpr char kByteStop = 'x';

// User-event codes the waker thread pushes.
constexpr Sint32 kCodeWake = 1;
constexpr Sint32 kCodeSignal = 2;

std::atomic<int> g_wakeFd{-1};  // write end of the pipe; -1 when no host runs
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler reads it");

void WriteWakeByte(char byte) {
    const int fd = g_wakeFd.load();
    if (fd < 0) return;
    const int saved = errno;
    // Non-blocking: when the pipe is full a wake is already pending.
    [[maybe_unused]] ssize_t n = write(fd, &byte, 1);
    errno = saved;
}

void OnTerminationSignal(int) {
    WriteWakeByte(kByteSignal);
}

// ---------------------------------------------------------------------------
// The host
// ---------------------------------------------------------------------------

struct HostWindow {
    SDL_Window* window = nullptr;
    int x = 0, y = 0, w = 0, h = 0;  // where we last put it or heard it was
    bool popup = false;              // a bare pop-up (menus): never takes the focus
    WindowId owner = 0;              // the window it is kept in front of
    bool visible = false;
    bool presented = false;          // the window shows a whole frame
    SDL_Surface* surface = nullptr;  // the window surface that frame is in
    unsigned long xTarget = 0;       // X window presented directly; 0: through the surface
};

class SdlHost final : public Host {
public:
    SdlHost() = default;
    ~SdlHost() override;

    bool Start(std::string* error);

private:
    int ScreenWidth() override;
    int ScreenHeight() override;
    WindowId CreateHostWindow(const WindowSpec& spec) override;
    void DestroyHostWindow(WindowId id) override;
    void SetTitle(WindowId id, const std::string& utf8) override;
    void SetIcon(WindowId id, const std::vector<std::uint32_t>& argb, int width, int height) override;
    void SetBounds(WindowId id, int x, int y, int width, int height) override;
    void SetVisible(WindowId id, bool visible) override;
    void Raise(WindowId id) override;
    void SetCursor(WindowId id, CursorShape shape) override;
    void Present(WindowId id, const std::uint32_t* pixels, int width, int height,
                 const std::vector<Rect>& changed) override;
    bool WaitEvent(Event* event, int timeoutMs) override;
    void Wake() override;
    std::u16string ClipboardText() override;
    void SetClipboardText(const std::u16string& text) override;
    std::uint64_t NowMs() override;

    HostWindow* Find(WindowId id);
    WindowId Known(Uint32 sdlId) const { return windows_.count(sdlId) ? sdlId : 0; }
    // Appends the host events one SDL event stands for (often none).
    void Translate(const SDL_Event& e);
    void TranslateWindowEvent(const SDL_WindowEvent& e);
    void Queue(Event ev) { pending_.push_back(std::move(ev)); }
    void WakerLoop();
    // Shows a window without making it the active one (the program asks
    // for activation through Raise).
    void ShowWithoutActivation(HostWindow* hw);
    // A window that had the keyboard focus goes away: the focus returns to
    // its owner, or else to the window that had it before, as the system
    // activates the next window (without a desktop window manager it would
    // otherwise go nowhere).
    void FocusOwnerOf(WindowId id, const HostWindow& hw);

    std::map<WindowId, HostWindow> windows_;
    std::deque<Event> pending_;
    SDL_Cursor* cursors_[4] = {};
    SDL_Cursor* currentCursor_ = nullptr;
    Uint32 userEvent_ = 0;
    SDL_Keymod lastKeyMods_ = KMOD_NONE;  // modifiers of the key that typed the next text
    bool videoStarted_ = false;
    // Without a desktop window manager SDL hands the keyboard focus to every
    // window it shows. We give it back at once and hide the focus events of
    // that round trip, up to this deadline, from the window manager above.
    WindowId keepFocus_ = 0;
    std::vector<WindowId> focusOrder_;  // windows that had the focus, most recent last
    int keepFocusTrips_ = 0;            // shows whose focus round trip is still under way
    std::uint64_t keepFocusUntil_ = 0;

    int pipe_[2] = {-1, -1};
    std::thread waker_;
    struct sigaction oldInt_ = {}, oldTerm_ = {};
    bool signalsInstalled_ = false;

    // Screen pixels per logical pixel: the desktop's whole scale factor on a
    // high-density display, else 1. Sizes and positions given to SDL are
    // multiplied by it, positions SDL reports divided.
    int scale_ = 1;
    // Presents without SDL's window surface, where the X visual allows it
    // (at scale 1: a scaled frame needs a buffer of its own anyway).
    std::unique_ptr<sdl::X11Presenter> x11_;

    // KELVO_TRACE_FIRST_FRAME=1: print the wall-clock time of the first
    // complete frame to stderr, for start-up measurements: the first time
    // the program waits for input with something presented, when everything
    // it painted while starting is on the screen (its first presents show
    // only part of the window). "exit": print it and end the process there,
    // so a profiler counts the start-up alone. Read once.
    void TraceFirstFrame();
    bool traceFirstFrame_ = false;
    bool exitAfterFirstFrame_ = false;
    bool presentedOnce_ = false;

    // When SDL's queue was last found empty (monotonic microseconds); a poll
    // within kQuietMicroseconds of it is answered "nothing" at once.
    static constexpr std::uint64_t kQuietMicroseconds = 1000;
    std::uint64_t drainedAtUs_ = 0;
};

std::uint64_t MonotonicMicroseconds() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<std::uint64_t>(t.tv_sec) * 1000000u + static_cast<std::uint64_t>(t.tv_nsec) / 1000u;
}

std::atomic<bool> g_hostRunning{false};

bool SdlHost::Start(std::string* error) {
    auto fail = [&](std::string why) {
        if (error) *error = std::move(why);
        return false;
    };

    // The plain X11 framebuffer instead of a software OpenGL context: one
    // thread and a few MiB instead of six threads and ~100 MiB.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // An abacus has no business keeping the screen awake.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    // We install our own SIGINT/SIGTERM handlers below.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Closing the last window is a close request for the program to answer
    // (the exit question), not a quit.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // The click that activates a window also reaches it, as on the system.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // SDL's own capture while a button is held stays on: the release that
    // ends a press outside the window still reaches it, as the window
    // manager's capture needs.

    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        const char* display = std::getenv("DISPLAY");
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        std::string why = "cannot open a display (";
        why += display && *display ? std::string("DISPLAY=") + display : std::string("DISPLAY is not set");
        if (wayland && *wayland) why += std::string(", WAYLAND_DISPLAY=") + wayland;
        why += "): ";
        why += SDL_GetError();
        why += ". Run it on a desktop, or under a virtual one: xvfb-run -a <program>";
        return fail(why);
    }
    videoStarted_ = true;
    // Without a desktop SDL falls back to an off-screen driver: windows
    // nobody sees and input nobody gives. Refuse it unless asked for by name.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* chosen = std::getenv("SDL_VIDEODRIVER");
    if (!(chosen && *chosen) &&
        !(driver && (std::strcmp(driver, "x11") == 0 || std::strcmp(driver, "wayland") == 0))) {
        return fail(
            std::string("cannot open a display (DISPLAY is not set or names no X server; SDL chose the \"") +
            (driver ? driver : "none") +
            "\" video driver). Run it on a desktop, or under a virtual one: xvfb-run -a <program>");
    }
    scale_ = sdl::DesktopScale(driver);
    if (driver && std::strcmp(driver, "x11") == 0) sdl::InstallX11ErrorFilter();
    if (scale_ == 1) x11_ = sdl::X11Presenter::Make(driver);

    userEvent_ = SDL_RegisterEvents(1);
    if (userEvent_ == static_cast<Uint32>(-1))
        return fail(std::string("SDL_RegisterEvents: ") + SDL_GetError());

    if (pipe2(pipe_, O_CLOEXEC) != 0) return fail(std::string("pipe: ") + std::strerror(errno));
    fcntl(pipe_[1], F_SETFL, fcntl(pipe_[1], F_GETFL) | O_NONBLOCK);
    g_wakeFd.store(pipe_[1]);
    waker_ = std::thread([this] { WakerLoop(); });

    struct sigaction sa = {};
    sa.sa_handler = OnTerminationSignal;
    sigemptyset(&sa.sa_mask);
    // SA_RESETHAND: a second signal, should the first not end the program,
    // ends it the default way.
    sa.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(SIGINT, &sa, &oldInt_);
    sigaction(SIGTERM, &sa, &oldTerm_);
    signalsInstalled_ = true;

    // Typed text arrives as SDL_TEXTINPUT from now on.
    SDL_StartTextInput();

    const char* trace = std::getenv("KELVO_TRACE_FIRST_FRAME");
    exitAfterFirstFrame_ = trace && std::strcmp(trace, "exit") == 0;
    traceFirstFrame_ = (trace && std::strcmp(trace, "1") == 0) || exitAfterFirstFrame_;
    return true;
}

SdlHost::~SdlHost() {
    if (signalsInstalled_) {
        sigaction(SIGINT, &oldInt_, nullptr);
        sigaction(SIGTERM, &oldTerm_, nullptr);
    }
    if (waker_.joinable()) {
        g_wakeFd.store(-1);
        const char stop = kByteStop;
        // Blocking is fine here: the thread is draining the pipe.
        fcntl(pipe_[1], F_SETFL, fcntl(pipe_[1], F_GETFL) & ~O_NONBLOCK);
        [[maybe_unused]] ssize_t n = write(pipe_[1], &stop, 1);
        waker_.join();
    }
    for (int fd : pipe_) {
        if (fd >= 0) close(fd);
    }
    for (auto& [id, w] : windows_)
        SDL_DestroyWindow(w.window);
    windows_.clear();
    x11_.reset();  // before SDL closes the display it borrows
    for (SDL_Cursor*& c : cursors_) {
        if (c) SDL_FreeCursor(c);
    }
    if (videoStarted_) {
        SDL_StopTextInput();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        SDL_Quit();
    }
    g_hostRunning.store(false);
}

void SdlHost::WakerLoop() {
    char buf[64];
    for (;;) {
        const ssize_t n = read(pipe_[0], buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        bool wake = false, signal = false;
        for (ssize_t i = 0; i < n; ++i) {
            if (buf[i] == kByteStop) return;
            if (buf[i] == kByteSignal) signal = true;
            if (buf[i] == kByteWake) wake = true;
        }
        SDL_Event e = {};
        e.type = userEvent_;
        if (signal) {
            e.user.code = kCodeSignal;
            SDL_PushEvent(&e);
        }
        if (wake && !signal) {  // the quit wakes the loop anyway
            e.user.code = kCodeWake;
            SDL_PushEvent(&e);
        }
    }
}

// --- Display ---------------------------------------------------------------

int SdlHost::ScreenWidth() {
    SDL_Rect r;
    return SDL_GetDisplayBounds(0, &r) == 0 ? r.w / scale_ : 1024;
}

int SdlHost::ScreenHeight() {
    SDL_Rect r;
    return SDL_GetDisplayBounds(0, &r) == 0 ? r.h / scale_ : 768;
}

// --- Windows ---------------------------------------------------------------

HostWindow* SdlHost::Find(WindowId id) {
    auto it = windows_.find(id);
    return it == windows_.end() ? nullptr : &it->second;
}

WindowId SdlHost::CreateHostWindow(const WindowSpec& spec) {
    Uint32 flags = SDL_WINDOW_HIDDEN;  // shown below, once it is known
    const bool popup = !spec.decorated;
    if (popup) flags |= SDL_WINDOW_BORDERLESS | SDL_WINDOW_POPUP_MENU | SDL_WINDOW_SKIP_TASKBAR;
    // SDL refuses a window that is both a pop-up menu and a utility window
    // (menu drop-downs are tool windows too): a pop-up stays a pop-up.
    if (spec.toolWindow && !popup) flags |= SDL_WINDOW_UTILITY | SDL_WINDOW_SKIP_TASKBAR;
    if (spec.topMost) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    const int w = std::max(1, spec.width), h = std::max(1, spec.height);
    SDL_Window* window = SDL_CreateWindow(spec.titleUtf8.c_str(), spec.x * scale_, spec.y * scale_,
                                          w * scale_, h * scale_, flags);
    if (!window) return 0;
    const WindowId id = SDL_GetWindowID(window);
    HostWindow& hw = windows_[id];
    hw.window = window;
    hw.x = spec.x, hw.y = spec.y, hw.w = w, hw.h = h;
    hw.popup = popup;
    if (x11_) hw.xTarget = x11_->Target(window);
    if (spec.transientFor) {
        if (HostWindow* owner = Find(spec.transientFor)) {
            SDL_SetWindowModalFor(window, owner->window);
            hw.owner = spec.transientFor;
        }
    }
    hw.visible = false;
    if (spec.visible) SetVisible(id, true);
    return id;
}

void SdlHost::DestroyHostWindow(WindowId id) {
    HostWindow* hw = Find(id);
    if (!hw) return;
    const bool hadFocus = SDL_GetKeyboardFocus() == hw->window;
    const HostWindow gone = *hw;
    SDL_DestroyWindow(hw->window);
    windows_.erase(id);
    std::erase(focusOrder_, id);
    if (hadFocus) FocusOwnerOf(id, gone);
    // Events still queued for it are dropped: the id is never used again.
    std::erase_if(pending_, [id](const Event& e) { return e.window == id; });
}

void SdlHost::SetTitle(WindowId id, const std::string& utf8) {
    if (HostWindow* hw = Find(id)) SDL_SetWindowTitle(hw->window, utf8.c_str());
}

void SdlHost::SetIcon(WindowId id, const std::vector<std::uint32_t>& argb, int width, int height) {
    HostWindow* hw = Find(id);
    if (!hw || width <= 0 || height <= 0 || argb.size() < static_cast<std::size_t>(width) * height) return;
    // SDL copies the pixels into the window's icon property, so the surface
    // may borrow our vector for the duration of the call.
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(argb.data()), width,
                                                        height, 32, width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!s) return;
    SDL_SetWindowIcon(hw->window, s);
    SDL_FreeSurface(s);
}

void SdlHost::SetBounds(WindowId id, int x, int y, int width, int height) {
    HostWindow* hw = Find(id);
    if (!hw) return;
    width = std::max(1, width), height = std::max(1, height);
    if (width != hw->w || height != hw->h) {
        SDL_SetWindowSize(hw->window, width * scale_, height * scale_);
        hw->w = width, hw->h = height;
        hw->presented = false;  // the surface is made anew at the next present
    }
    if (x != hw->x || y != hw->y) {
        SDL_SetWindowPosition(hw->window, x * scale_, y * scale_);
        hw->x = x, hw->y = y;
    }
}

void SdlHost::SetVisible(WindowId id, bool visible) {
    HostWindow* hw = Find(id);
    if (!hw || hw->visible == visible) return;
    hw->visible = visible;
    if (visible) {
        ShowWithoutActivation(hw);
    } else {
        const bool hadFocus = SDL_GetKeyboardFocus() == hw->window;
        SDL_HideWindow(hw->window);
        if (hadFocus) FocusOwnerOf(id, *hw);
    }
}

void SdlHost::ShowWithoutActivation(HostWindow* hw) {
    SDL_Window* before = SDL_GetKeyboardFocus();
    SDL_ShowWindow(hw->window);
    if (before && before != hw->window) {
        SDL_SetWindowInputFocus(before);
        const WindowId keep = SDL_GetWindowID(before);
        keepFocusTrips_ = keep == keepFocus_ ? keepFocusTrips_ + 1 : 1;
        keepFocus_ = keep;
        keepFocusUntil_ = NowMs() + 500;
    }
}

void SdlHost::FocusOwnerOf(WindowId id, const HostWindow& hw) {
    HostWindow* next = Find(hw.owner);
    for (auto it = focusOrder_.rbegin(); (!next || !next->visible) && it != focusOrder_.rend(); ++it) {
        if (*it != id) next = Find(*it);
    }
    if (next && next->visible) SDL_SetWindowInputFocus(next->window);
}

void SdlHost::Raise(WindowId id) {
    HostWindow* hw = Find(id);
    if (!hw || !hw->visible) return;
    keepFocus_ = 0;
    SDL_RaiseWindow(hw->window);
    // Without a desktop window manager (a bare X server) nobody else hands
    // out the keyboard focus; asking for it is harmless when one does.
    if (!hw->popup) SDL_SetWindowInputFocus(hw->window);
}

void SdlHost::SetCursor(WindowId id, CursorShape shape) {
    if (!Find(id)) return;
    static constexpr SDL_SystemCursor kShapes[] = {SDL_SYSTEM_CURSOR_ARROW, SDL_SYSTEM_CURSOR_HAND,
                                                   SDL_SYSTEM_CURSOR_WAIT, SDL_SYSTEM_CURSOR_IBEAM};
    const int i = static_cast<int>(shape);
    if (i < 0 || i >= 4) return;
    if (!cursors_[i]) cursors_[i] = SDL_CreateSystemCursor(kShapes[i]);  // once per shape
    if (cursors_[i] && cursors_[i] != currentCursor_) {
        SDL_SetCursor(cursors_[i]);
        currentCursor_ = cursors_[i];
    }
}

// --- Present ---------------------------------------------------------------

void SdlHost::Present(WindowId id, const std::uint32_t* pixels, int width, int height,
                      const std::vector<Rect>& changed) {
    HostWindow* hw = Find(id);
    if (!hw || !pixels || width <= 0 || height <= 0) return;
    SDL_Surface* s = nullptr;
    if (!hw->xTarget) {
        s = SDL_GetWindowSurface(hw->window);  // made anew after a size change
        if (!s) return;
    }
    const bool whole = !hw->presented || s != hw->surface;
    // The changed rectangles in logical pixels, within the frame and within
    // what the window shows of it.
    const int fitW = s ? std::min(width, s->w / scale_) : width;
    const int fitH = s ? std::min(height, s->h / scale_) : height;
    std::vector<Rect> rects;
    auto add = [&](const Rect& r) {
        const Rect inside = sdl::ClipRect(r, fitW, fitH);
        if (inside.w > 0) rects.push_back(inside);
    };
    if (whole) {
        add(Rect{0, 0, width, height});
    } else {
        for (const Rect& r : changed)
            add(r);
    }
    if (rects.empty()) return;
    presentedOnce_ = true;
    hw->presented = true;
    if (hw->xTarget) {
        x11_->Put(hw->xTarget, pixels, width, height, rects);
        return;
    }

    if (SDL_MUSTLOCK(s) && SDL_LockSurface(s) != 0) return;
    const bool same =
        s->format->format == SDL_PIXELFORMAT_RGB888 || s->format->format == SDL_PIXELFORMAT_ARGB8888;
    std::vector<SDL_Rect> shown;        // the same rectangles in screen pixels
    std::vector<std::uint32_t> scaled;  // a scaled rectangle on its way to another pixel format
    for (const Rect& r : rects) {
        const Rect d = sdl::ScaleRect(r, scale_);
        if (same) {
            sdl::CopyScaled(pixels, width, r, s->pixels, s->pitch, scale_);
        } else {
            const std::uint32_t* src = pixels + static_cast<std::size_t>(r.y) * width + r.x;
            int srcPitch = width * 4;
            if (scale_ > 1) {
                scaled.resize(static_cast<std::size_t>(d.w) * d.h);
                sdl::CopyScaled(src, width, Rect{0, 0, r.w, r.h}, scaled.data(), d.w * 4, scale_);
                src = scaled.data(), srcPitch = d.w * 4;
            }
            auto* dst = static_cast<Uint8*>(s->pixels) + static_cast<std::size_t>(d.y) * s->pitch +
                        static_cast<std::size_t>(d.x) * s->format->BytesPerPixel;
            SDL_ConvertPixels(d.w, d.h, SDL_PIXELFORMAT_RGB888, src, srcPitch, s->format->format, dst,
                              s->pitch);
        }
        shown.push_back(SDL_Rect{d.x, d.y, d.w, d.h});
    }
    if (SDL_MUSTLOCK(s)) SDL_UnlockSurface(s);
    SDL_UpdateWindowSurfaceRects(hw->window, shown.data(), static_cast<int>(shown.size()));
    hw->surface = s;
}

// --- Events ----------------------------------------------------------------

void SdlHost::TraceFirstFrame() {
    traceFirstFrame_ = false;
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    std::fprintf(stderr, "kelvo-first-frame %lld.%06ld\n", static_cast<long long>(now.tv_sec),
                 now.tv_nsec / 1000);
    if (exitAfterFirstFrame_) std::_Exit(0);
}

bool SdlHost::WaitEvent(Event* event, int timeoutMs) {
    if (traceFirstFrame_ && presentedOnce_ && timeoutMs != 0) TraceFirstFrame();
    const std::uint64_t deadline = timeoutMs < 0 ? 0 : NowMs() + static_cast<std::uint64_t>(timeoutMs);
    for (;;) {
        if (!pending_.empty()) {
            *event = std::move(pending_.front());
            pending_.pop_front();
            return true;
        }
        // The window manager looks for input before and after every message
        // it hands out; right after SDL's queue was found empty there is
        // nothing new to find, and asking the display again costs each
        // idle tick its system calls. The next wait asks anyway.
        if (timeoutMs == 0 && MonotonicMicroseconds() - drainedAtUs_ < kQuietMicroseconds) return false;
        SDL_Event e;
        int got;
        if (timeoutMs < 0) {
            got = SDL_WaitEvent(&e);
        } else {
            const std::uint64_t now = NowMs();
            got = now >= deadline ? SDL_PollEvent(&e)
                                  : SDL_WaitEventTimeout(&e, static_cast<int>(deadline - now));
        }
        if (!got) drainedAtUs_ = MonotonicMicroseconds();
        if (!got) {
            if (timeoutMs >= 0 && NowMs() >= deadline) return false;
            if (timeoutMs < 0) SDL_Delay(10);  // an SDL error: do not spin on it
            continue;
        }
        if (e.type == userEvent_ && e.user.code == kCodeWake) {
            if (pending_.empty()) return false;  // Wake(): the caller looks at its queue again
            continue;
        }
        Translate(e);
    }
}

void SdlHost::Wake() {
    WriteWakeByte(kByteWake);
}

void SdlHost::Translate(const SDL_Event& e) {
    Event ev;
    if (e.type == userEvent_) {
        if (e.user.code == kCodeSignal) {
            ev.type = Event::Type::Quit;
            Queue(ev);
        }
        return;
    }
    switch (e.type) {
        case SDL_QUIT:
            ev.type = Event::Type::Quit;
            Queue(ev);
            break;
        case SDL_MOUSEMOTION:
            if (e.motion.which == SDL_TOUCH_MOUSEID || !(ev.window = Known(e.motion.windowID))) break;
            ev.type = Event::Type::MouseMove;
            ev.x = sdl::ToLogical(e.motion.x, scale_), ev.y = sdl::ToLogical(e.motion.y, scale_);
            Queue(ev);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            if (e.button.which == SDL_TOUCH_MOUSEID || !(ev.window = Known(e.button.windowID))) break;
            if (e.button.button < SDL_BUTTON_LEFT || e.button.button > SDL_BUTTON_RIGHT) break;
            ev.type = e.type == SDL_MOUSEBUTTONDOWN ? Event::Type::MouseDown : Event::Type::MouseUp;
            ev.x = sdl::ToLogical(e.button.x, scale_), ev.y = sdl::ToLogical(e.button.y, scale_);
            ev.button = e.button.button;  // SDL numbers them as we do: 1 left, 2 middle, 3 right
            ev.clicks = std::max<int>(1, e.button.clicks);
            Queue(ev);
            break;
        case SDL_MOUSEWHEEL: {
            if (e.wheel.which == SDL_TOUCH_MOUSEID || !(ev.window = Known(e.wheel.windowID))) break;
            int y = e.wheel.y;
            if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) y = -y;
            if (y == 0) break;
            ev.type = Event::Type::MouseWheel;
            ev.x = sdl::ToLogical(e.wheel.mouseX, scale_), ev.y = sdl::ToLogical(e.wheel.mouseY, scale_);
            ev.wheel = y > 0 ? 1 : -1;
            for (int i = 0; i < std::abs(y); ++i)
                Queue(ev);
            break;
        }
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            WindowId w = Known(e.key.windowID);
            if (!w) {
                SDL_Window* focus = SDL_GetKeyboardFocus();
                w = focus ? Known(SDL_GetWindowID(focus)) : 0;
            }
            if (!w) break;
            if (e.type == SDL_KEYDOWN) lastKeyMods_ = static_cast<SDL_Keymod>(e.key.keysym.mod);
            const int vk = sdl::VirtualKeyFromSdl(e.key.keysym.sym, e.key.keysym.scancode);
            if (!vk) break;
            ev.type = e.type == SDL_KEYDOWN ? Event::Type::KeyDown : Event::Type::KeyUp;
            ev.window = w;
            ev.key = vk;
            ev.repeat = e.key.repeat != 0;
            Queue(ev);
            break;
        }
        case SDL_TEXTINPUT: {
            WindowId w = Known(e.text.windowID);
            if (!w) {
                SDL_Window* focus = SDL_GetKeyboardFocus();
                w = focus ? Known(SDL_GetWindowID(focus)) : 0;
            }
            if (!w || !sdl::TextAllowedWithModifiers(lastKeyMods_)) break;
            ev.type = Event::Type::Text;
            ev.window = w;
            ev.text = Utf8ToUtf16(e.text.text);
            if (!ev.text.empty()) Queue(ev);
            break;
        }
        case SDL_WINDOWEVENT:
            TranslateWindowEvent(e.window);
            break;
        default:
            break;
    }
}

void SdlHost::TranslateWindowEvent(const SDL_WindowEvent& e) {
    HostWindow* hw = Find(e.windowID);
    if (!hw) return;
    Event ev;
    ev.window = e.windowID;
    switch (e.event) {
        case SDL_WINDOWEVENT_CLOSE:
            ev.type = Event::Type::CloseRequested;
            Queue(ev);
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_FOCUS_LOST: {
            const bool gained = e.event == SDL_WINDOWEVENT_FOCUS_GAINED;
            if (keepFocus_ && NowMs() < keepFocusUntil_) {
                // The round trip of ShowWithoutActivation ends when the
                // window that had the focus has it back.
                if (gained && e.windowID == keepFocus_ && --keepFocusTrips_ <= 0) keepFocus_ = 0;
                break;
            }
            keepFocus_ = 0;
            if (hw->popup) break;  // pop-ups never count as active
            if (gained) {
                std::erase(focusOrder_, e.windowID);
                focusOrder_.push_back(e.windowID);
            }
            ev.type = gained ? Event::Type::FocusGained : Event::Type::FocusLost;
            Queue(ev);
            break;
        }
        case SDL_WINDOWEVENT_LEAVE:
            ev.type = Event::Type::PointerLeft;
            Queue(ev);
            break;
        case SDL_WINDOWEVENT_MOVED: {
            // The echo of our own SetBounds is no news.
            const int x = sdl::ToLogical(e.data1, scale_), y = sdl::ToLogical(e.data2, scale_);
            if (x == hw->x && y == hw->y) break;
            hw->x = x, hw->y = y;
            ev.type = Event::Type::Moved;
            ev.x = hw->x, ev.y = hw->y;
            Queue(ev);
            break;
        }
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            hw->presented = false;
            break;
        case SDL_WINDOWEVENT_EXPOSED:
            // The window surface still holds the last frame: show it again
            // ourselves. Only when it does not (or there is none) is the
            // window manager asked.
            if (!hw->xTarget && hw->presented && SDL_GetWindowSurface(hw->window) == hw->surface) {
                SDL_UpdateWindowSurface(hw->window);
            } else {
                ev.type = Event::Type::Exposed;
                Queue(ev);
            }
            break;
        default:
            break;
    }
}

// --- Clipboard -------------------------------------------------------------

std::u16string SdlHost::ClipboardText() {
    char* text = SDL_GetClipboardText();
    std::u16string out = Utf8ToUtf16(text);
    SDL_free(text);
    return out;
}

void SdlHost::SetClipboardText(const std::u16string& text) {
    SDL_SetClipboardText(Utf16ToUtf8(text).c_str());
}

// --- Clock -----------------------------------------------------------------

std::uint64_t SdlHost::NowMs() {
    return SDL_GetTicks64();
}

}  // namespace

std::unique_ptr<Host> MakeSdlHost(std::string* error) {
    bool expected = false;
    if (!g_hostRunning.compare_exchange_strong(expected, true)) {
        if (error) *error = "an SDL host is already running in this process";
        return nullptr;
    }
    auto host = std::make_unique<SdlHost>();
    if (!host->Start(error)) return nullptr;  // the destructor undoes what started
    return host;
}

}  // namespace platform::host

// Referenced by the link options of the kelvo_host_sdl library so that the
// linker takes this file, and with it MakeSdlHost, into every program that
// links the backend.
extern "C" {
int kelvo_host_sdl_anchor = 0;
}
