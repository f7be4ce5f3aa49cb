// The in-memory host and the test driver over it.
#include "platform/host/headless/headless.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "platform/wm/wm_internal.h"

namespace platform::headless {

HeadlessHost::HeadlessHost() {
    if (const char* d = std::getenv("KELVO_HEADLESS_DUMP")) dumpDir_ = d;
}

void HeadlessHost::SetScreenSize(int width, int height) {
    screenW_ = std::max(1, width);
    screenH_ = std::max(1, height);
}

void HeadlessHost::UseRealClock(bool real) {
    realClock_ = real;
}
void HeadlessHost::AdvanceClock(std::uint64_t ms) {
    fakeNow_ += ms;
}

std::uint64_t HeadlessHost::NowMs() {
    if (!realClock_) return fakeNow_;
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void HeadlessHost::Inject(const host::Event& e) {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(e);
    woken_ = true;
    wake_.notify_one();
}

const HostWindow* HeadlessHost::Window(host::WindowId id) const {
    auto it = windows_.find(id);
    return it == windows_.end() ? nullptr : &it->second;
}

host::WindowId HeadlessHost::CreateHostWindow(const host::WindowSpec& spec) {
    const host::WindowId id = nextId_++;
    HostWindow& w = windows_[id];
    w.spec = spec;
    w.title = spec.titleUtf8;
    zOrder_.insert(zOrder_.begin(), id);
    return id;
}

void HeadlessHost::DestroyHostWindow(host::WindowId id) {
    windows_.erase(id);
    zOrder_.erase(std::remove(zOrder_.begin(), zOrder_.end(), id), zOrder_.end());
    if (focused_ == id) focused_ = 0;
}

void HeadlessHost::SetTitle(host::WindowId id, const std::string& utf8) {
    if (auto it = windows_.find(id); it != windows_.end()) it->second.title = utf8;
}

void HeadlessHost::SetIcon(host::WindowId id, const std::vector<std::uint32_t>& argb, int width, int height) {
    if (auto it = windows_.find(id); it != windows_.end()) {
        it->second.icon = argb;
        it->second.iconWidth = width;
        it->second.iconHeight = height;
    }
}

void HeadlessHost::SetBounds(host::WindowId id, int x, int y, int width, int height) {
    if (auto it = windows_.find(id); it != windows_.end()) {
        it->second.spec.x = x;
        it->second.spec.y = y;
        it->second.spec.width = width;
        it->second.spec.height = height;
    }
}

void HeadlessHost::SetVisible(host::WindowId id, bool visible) {
    if (auto it = windows_.find(id); it != windows_.end()) it->second.spec.visible = visible;
}

void HeadlessHost::Raise(host::WindowId id) {
    auto it = windows_.find(id);
    if (it == windows_.end()) return;
    ++it->second.raised;
    zOrder_.erase(std::remove(zOrder_.begin(), zOrder_.end(), id), zOrder_.end());
    zOrder_.insert(zOrder_.begin(), id);
    focused_ = id;
}

void HeadlessHost::SetCursor(host::WindowId id, host::CursorShape shape) {
    if (auto it = windows_.find(id); it != windows_.end()) it->second.cursor = shape;
}

void HeadlessHost::Present(host::WindowId id, const std::uint32_t* pixels, int width, int height,
                           const std::vector<host::Rect>& changed) {
    auto it = windows_.find(id);
    if (it == windows_.end() || !pixels || width <= 0 || height <= 0) return;
    HostWindow& w = it->second;
    if (w.imageWidth != width || w.imageHeight != height) {
        w.image.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
        w.imageWidth = width;
        w.imageHeight = height;
    }
    for (const host::Rect& r : changed) {
        const int x0 = std::max(0, r.x), y0 = std::max(0, r.y);
        const int x1 = std::min(width, r.x + r.w), y1 = std::min(height, r.y + r.h);
        if (x1 <= x0 || y1 <= y0) continue;
        for (int y = y0; y < y1; ++y)
            std::copy_n(pixels + static_cast<size_t>(y) * width + x0, x1 - x0,
                        w.image.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(y) * width + x0));
        presentedPixels_ += static_cast<std::uint64_t>(x1 - x0) * static_cast<std::uint64_t>(y1 - y0);
    }
    ++frames_;
    if (!dumpDir_.empty()) Dump(id, w);
}

void HeadlessHost::Dump(host::WindowId id, const HostWindow& w) {
    char name[64];
    std::snprintf(name, sizeof name, "/frame-%05llu-w%u.ppm", static_cast<unsigned long long>(frames_), id);
    std::FILE* f = std::fopen((dumpDir_ + name).c_str(), "wb");
    if (!f) return;
    std::fprintf(f, "P6\n%d %d\n255\n", w.imageWidth, w.imageHeight);
    for (std::uint32_t p : w.image) {
        const unsigned char rgb[3] = {static_cast<unsigned char>(p >> 16), static_cast<unsigned char>(p >> 8),
                                      static_cast<unsigned char>(p)};
        std::fwrite(rgb, 1, 3, f);
    }
    std::fclose(f);
}

bool HeadlessHost::WaitEvent(host::Event* event, int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (timeoutMs != 0) ++waits_;
    for (;;) {
        if (!events_.empty()) {
            *event = std::move(events_.front());
            events_.pop_front();
            return true;
        }
        if (timeoutMs == 0) return false;
        if (realClock_) {
            woken_ = false;
            if (timeoutMs < 0)
                wake_.wait(lock, [&] { return woken_; });
            else
                wake_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return woken_; });
            if (events_.empty()) return false;
            continue;
        }
        lock.unlock();
        const bool more = CallIdle();
        lock.lock();
        if (timeoutMs > 0) {
            if (more && !events_.empty()) continue;
            fakeNow_ += static_cast<std::uint64_t>(timeoutMs);
            return false;
        }
        if (!more && events_.empty()) {
            std::fprintf(stderr, "headless host: the program waits for input that the test never sends\n");
            std::abort();
        }
    }
}

bool HeadlessHost::CallIdle() {
    if (!idle_ || inIdle_) return false;  // the handler's own waits get no second call
    inIdle_ = true;
    const bool more = idle_();
    inIdle_ = false;
    return more;
}

void HeadlessHost::Wake() {
    std::lock_guard<std::mutex> lock(mutex_);
    woken_ = true;
    wake_.notify_one();
}

HeadlessHost& CurrentHeadless() {
    if (auto* h = dynamic_cast<HeadlessHost*>(&host::CurrentHost())) return *h;
    host::UseHost("headless");
    return static_cast<HeadlessHost&>(host::CurrentHost());
}

// ===========================================================================
// Driver
// ===========================================================================

Driver::Driver() : host_(CurrentHeadless()) {}

void Driver::Send(host::Event e) {
    host_.Inject(e);
    Flush();
}

void Driver::Flush() {
    if (!host_.InIdleHandler()) Pump();
}

host::WindowId Driver::WindowAt(int x, int y, int* lx, int* ly) {
    if (const HostWindow* held = host_.Window(pressWindow_)) {
        // While a button is down the desktop keeps sending to the pressed window.
        *lx = x - held->spec.x;
        *ly = y - held->spec.y;
        return pressWindow_;
    }
    for (host::WindowId id : host_.ZOrder()) {
        const HostWindow* w = host_.Window(id);
        if (!w || !w->spec.visible) continue;
        if (x >= w->spec.x && y >= w->spec.y && x < w->spec.x + w->spec.width &&
            y < w->spec.y + w->spec.height) {
            *lx = x - w->spec.x;
            *ly = y - w->spec.y;
            return id;
        }
    }
    return 0;
}

void Driver::QueueMove(int x, int y) {
    int lx = 0, ly = 0;
    host::WindowId id = WindowAt(x, y, &lx, &ly);
    if (pointerWindow_ && pointerWindow_ != id) {
        host::Event left;
        left.type = host::Event::Type::PointerLeft;
        left.window = pointerWindow_;
        host_.Inject(left);
    }
    pointerWindow_ = id;
    if (!id) return;
    host::Event e;
    e.type = host::Event::Type::MouseMove;
    e.window = id;
    e.x = lx;
    e.y = ly;
    host_.Inject(e);
}

void Driver::QueuePress(int x, int y, int button) {
    QueueMove(x, y);
    int lx = 0, ly = 0;
    host::WindowId id = WindowAt(x, y, &lx, &ly);
    if (!id) return;
    if (host_.FocusedWindow() != id) {
        // A click on another window: the desktop hands it the focus.
        if (host::WindowId old = host_.FocusedWindow()) {
            host::Event lost;
            lost.type = host::Event::Type::FocusLost;
            lost.window = old;
            host_.Inject(lost);
        }
        host_.SetFocusedWindow(id);
        host::Event gained;
        gained.type = host::Event::Type::FocusGained;
        gained.window = id;
        host_.Inject(gained);
    }
    host::Event e;
    e.type = host::Event::Type::MouseDown;
    e.window = id;
    e.x = lx;
    e.y = ly;
    e.button = button;
    pressWindow_ = id;
    host_.Inject(e);
}

void Driver::QueueRelease(int x, int y, int button) {
    int lx = 0, ly = 0;
    host::WindowId id = WindowAt(x, y, &lx, &ly);
    if (!id) id = pointerWindow_;
    const HostWindow* w = host_.Window(id);
    if (!w) return;
    host::Event e;
    e.type = host::Event::Type::MouseUp;
    e.window = id;
    e.x = x - w->spec.x;
    e.y = y - w->spec.y;
    e.button = button;
    pressWindow_ = 0;
    host_.Inject(e);
}

void Driver::Move(int x, int y) {
    QueueMove(x, y);
    Flush();
}

void Driver::Press(int x, int y, int button) {
    QueuePress(x, y, button);
    Flush();
}

void Driver::Release(int x, int y, int button) {
    QueueRelease(x, y, button);
    Flush();
}

void Driver::Click(int x, int y, int button) {
    QueuePress(x, y, button);
    QueueRelease(x, y, button);
    Flush();
}

void Driver::Wheel(int x, int y, int steps) {
    int lx = 0, ly = 0;
    host::WindowId id = WindowAt(x, y, &lx, &ly);
    if (!id) return;
    host::Event e;
    e.type = host::Event::Type::MouseWheel;
    e.window = id;
    e.x = lx;
    e.y = ly;
    e.wheel = steps;
    Send(e);
}

void Driver::KeyDown(int vk) {
    host::Event e;
    e.type = host::Event::Type::KeyDown;
    e.window = host_.FocusedWindow();
    e.key = vk;
    Send(e);
}

void Driver::KeyUp(int vk) {
    host::Event e;
    e.type = host::Event::Type::KeyUp;
    e.window = host_.FocusedWindow();
    e.key = vk;
    Send(e);
}

void Driver::Key(int vk, int mods) {
    if (mods & Shift) KeyDown(VK_SHIFT);
    if (mods & Ctrl) KeyDown(VK_CONTROL);
    if (mods & Alt) KeyDown(VK_MENU);
    KeyDown(vk);
    KeyUp(vk);
    if (mods & Alt) KeyUp(VK_MENU);
    if (mods & Ctrl) KeyUp(VK_CONTROL);
    if (mods & Shift) KeyUp(VK_SHIFT);
}

void Driver::Type(const std::u16string& text) {
    host::Event e;
    e.type = host::Event::Type::Text;
    e.window = host_.FocusedWindow();
    e.text = text;
    Send(e);
}

void Driver::FocusGained(HWND hwnd) {
    host::Event e;
    e.type = host::Event::Type::FocusGained;
    e.window = wm::HostWindowOf(hwnd);
    host_.SetFocusedWindow(e.window);
    Send(e);
}

void Driver::FocusLost(HWND hwnd) {
    host::Event e;
    e.type = host::Event::Type::FocusLost;
    e.window = wm::HostWindowOf(hwnd);
    if (host_.FocusedWindow() == e.window) host_.SetFocusedWindow(0);
    Send(e);
}

void Driver::CloseRequest(HWND hwnd) {
    host::Event e;
    e.type = host::Event::Type::CloseRequested;
    e.window = wm::HostWindowOf(hwnd);
    Send(e);
}

void Driver::Quit() {
    host::Event e;
    e.type = host::Event::Type::Quit;
    Send(e);
}

void Driver::Pump() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
            quit_ = true;
            continue;
        }
        if (dialog_ && IsWindow(dialog_) && IsDialogMessageW(dialog_, &m)) continue;
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

void Driver::Advance(int ms) {
    Pump();
    std::uint64_t left = ms > 0 ? static_cast<std::uint64_t>(ms) : 0;
    while (left > 0) {
        const int due = wm::MsUntilNextTimer();
        std::uint64_t step =
            (due < 0 || static_cast<std::uint64_t>(due) > left) ? left : static_cast<std::uint64_t>(due);
        if (step == 0 && due == 0) step = 0;
        host_.AdvanceClock(step);
        left -= step;
        Pump();
        if (step == 0 && wm::MsUntilNextTimer() == 0) break;  // a timer nobody takes: do not spin
    }
}

COLORREF Driver::Pixel(HWND hwnd, int x, int y) {
    const HostWindow* w = HostWindowFor(hwnd);
    RECT r{}, top{};
    if (!w || !GetWindowRect(hwnd, &r) || !GetWindowRect(GetAncestor(hwnd, GA_ROOT), &top))
        return CLR_INVALID;
    const int px = r.left - top.left + x, py = r.top - top.top + y;
    if (px < 0 || py < 0 || px >= w->imageWidth || py >= w->imageHeight) return CLR_INVALID;
    const std::uint32_t p = w->image[static_cast<size_t>(py) * w->imageWidth + px];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

std::string Driver::WindowTitle(HWND hwnd) {
    const HostWindow* w = HostWindowFor(hwnd);
    return w ? w->title : std::string();
}

const HostWindow* Driver::HostWindowFor(HWND hwnd) {
    return host_.Window(wm::HostWindowOf(hwnd));
}

POINT Driver::ScreenPoint(HWND hwnd, int clientX, int clientY) {
    POINT p{clientX, clientY};
    ClientToScreen(hwnd, &p);
    return p;
}

}  // namespace platform::headless
