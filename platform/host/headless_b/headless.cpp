// The in-memory host: windows kept as records with their presented pixels,
// events from a queue the test fills, and a fake or real clock.
#include "platform/host/headless_b/headless.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace platform::headless_b {

HeadlessHost::HeadlessHost() {
    if (const char* dir = std::getenv("KELVO_HEADLESS_DUMP")) dumpDir_ = dir;
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

void HeadlessHost::Inject(const host::Event& event) {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(event);
    woken_ = true;
    wake_.notify_all();
}

const HostWindow* HeadlessHost::Window(host::WindowId id) const {
    auto it = windows_.find(id);
    return it == windows_.end() ? nullptr : &it->second;
}

std::vector<host::WindowId> HeadlessHost::Stacking() const {
    return stacking_;
}

host::WindowId HeadlessHost::WindowAt(int x, int y) const {
    for (host::WindowId id : stacking_) {
        const HostWindow& w = windows_.at(id);
        const auto& s = w.spec;
        if (s.visible && x >= s.x && y >= s.y && x < s.x + s.width && y < s.y + s.height) return id;
    }
    return 0;
}

host::WindowId HeadlessHost::CreateHostWindow(const host::WindowSpec& spec) {
    const host::WindowId id = nextId_++;
    HostWindow& w = windows_[id];
    w.spec = spec;
    w.title = spec.titleUtf8;
    stacking_.insert(stacking_.begin(), id);
    return id;
}

void HeadlessHost::DestroyHostWindow(host::WindowId id) {
    windows_.erase(id);
    stacking_.erase(std::remove(stacking_.begin(), stacking_.end(), id), stacking_.end());
    if (keyWindow_ == id) keyWindow_ = 0;
}

void HeadlessHost::SetTitle(host::WindowId id, const std::string& utf8) {
    auto it = windows_.find(id);
    if (it != windows_.end()) it->second.title = utf8;
}

void HeadlessHost::SetIcon(host::WindowId id, const std::vector<std::uint32_t>& argb, int width, int height) {
    auto it = windows_.find(id);
    if (it == windows_.end()) return;
    it->second.icon = argb;
    it->second.iconWidth = width;
    it->second.iconHeight = height;
}

void HeadlessHost::SetBounds(host::WindowId id, int x, int y, int width, int height) {
    auto it = windows_.find(id);
    if (it == windows_.end()) return;
    it->second.spec.x = x;
    it->second.spec.y = y;
    it->second.spec.width = width;
    it->second.spec.height = height;
}

void HeadlessHost::SetVisible(host::WindowId id, bool visible) {
    auto it = windows_.find(id);
    if (it != windows_.end()) it->second.spec.visible = visible;
}

void HeadlessHost::Raise(host::WindowId id) {
    if (windows_.count(id) == 0) return;
    stacking_.erase(std::remove(stacking_.begin(), stacking_.end(), id), stacking_.end());
    stacking_.insert(stacking_.begin(), id);
    keyWindow_ = id;
}

void HeadlessHost::SetCursor(host::WindowId id, host::CursorShape shape) {
    auto it = windows_.find(id);
    if (it != windows_.end()) it->second.cursor = shape;
}

void HeadlessHost::Present(host::WindowId id, const std::uint32_t* pixels, int width, int height,
                           const std::vector<host::Rect>& changed) {
    auto it = windows_.find(id);
    if (it == windows_.end() || pixels == nullptr || width <= 0 || height <= 0) return;
    HostWindow& w = it->second;
    if (w.width != width || w.height != height) {
        w.width = width;
        w.height = height;
        w.image.assign(static_cast<std::size_t>(width) * height, 0);
    }
    for (const host::Rect& r : changed) {
        const int x0 = std::max(0, r.x), y0 = std::max(0, r.y);
        const int x1 = std::min(width, r.x + r.w), y1 = std::min(height, r.y + r.h);
        if (x1 <= x0 || y1 <= y0) continue;
        for (int y = y0; y < y1; ++y) {
            const std::size_t row = static_cast<std::size_t>(y) * width;
            std::copy(pixels + row + x0, pixels + row + x1,
                      w.image.begin() + static_cast<std::ptrdiff_t>(row + x0));
        }
        presentedPixels_ += static_cast<std::uint64_t>(x1 - x0) * (y1 - y0);
    }
    ++w.presents;
    if (!dumpDir_.empty()) Dump(id, w);
}

void HeadlessHost::Dump(host::WindowId id, const HostWindow& w) {
    char name[64];
    std::snprintf(name, sizeof name, "/window%u-frame%05d.ppm", id, frame_++);
    FILE* f = std::fopen((dumpDir_ + name).c_str(), "wb");
    if (f == nullptr) return;
    std::fprintf(f, "P6\n%d %d\n255\n", w.width, w.height);
    for (std::uint32_t p : w.image) {
        const unsigned char rgb[3] = {static_cast<unsigned char>(p >> 16), static_cast<unsigned char>(p >> 8),
                                      static_cast<unsigned char>(p)};
        std::fwrite(rgb, 1, 3, f);
    }
    std::fclose(f);
}

bool HeadlessHost::WaitEvent(host::Event* event, int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!events_.empty()) {
        *event = events_.front();
        events_.pop_front();
        idleWaits_ = 0;
        return true;
    }
    if (timeoutMs == 0) return false;
    ++wakeUps_;
    if (!realClock_) {
        if (timeoutMs > 0) {
            fakeNow_ += static_cast<std::uint64_t>(timeoutMs);
            return false;
        }
        // Nothing can ever arrive: waiting would hang the test for ever.
        if (++idleWaits_ > 1000) {
            std::fprintf(stderr, "headless host: GetMessageW waits with no event, timer or paint to come\n");
            std::abort();
        }
        return false;
    }
    auto ready = [this] { return woken_ || !events_.empty(); };
    if (timeoutMs < 0) {
        wake_.wait(lock, ready);
    } else {
        wake_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
    }
    woken_ = false;
    if (events_.empty()) return false;
    *event = events_.front();
    events_.pop_front();
    return true;
}

void HeadlessHost::Wake() {
    std::lock_guard<std::mutex> lock(mutex_);
    woken_ = true;
    wake_.notify_all();
}

std::uint64_t HeadlessHost::NowMs() {
    if (!realClock_) return fakeNow_;
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace platform::headless_b
