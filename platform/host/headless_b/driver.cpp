// The test driver over the headless host: a person's actions injected as
// host events at screen points, and the message loop pumped through the
// public calls until nothing is left to do.
#include <stdexcept>

#include "platform/gdi/surface.h"
#include "platform/host/headless_b/headless.h"
#include "platform/wm_b/wm_state.h"

namespace platform::headless_b {

Driver::Driver() {
    host_ = dynamic_cast<HeadlessHost*>(&host::CurrentHost());
    if (host_ == nullptr) {
        host::UseHost("headless");
        host_ = dynamic_cast<HeadlessHost*>(&host::CurrentHost());
    }
}

void Driver::InjectMouse(host::Event::Type type, int x, int y, int button) {
    host::WindowId id = pressed_ != 0 ? pressed_ : host_->WindowAt(x, y);
    const HostWindow* w = host_->Window(id);
    if (w == nullptr) return;
    host::Event e;
    e.type = type;
    e.window = id;
    e.x = x - w->spec.x;
    e.y = y - w->spec.y;
    e.button = button;
    host_->Inject(e);
}

void Driver::Move(int x, int y) {
    InjectMouse(host::Event::Type::MouseMove, x, y, 0);
    Pump();
}

void Driver::Press(int x, int y, int button) {
    InjectMouse(host::Event::Type::MouseDown, x, y, button);
    if (pressed_ == 0) pressed_ = host_->WindowAt(x, y);
    Pump();
}

void Driver::Release(int x, int y, int button) {
    InjectMouse(host::Event::Type::MouseUp, x, y, button);
    pressed_ = 0;
    Pump();
}

void Driver::Click(int x, int y, int button) {
    Move(x, y);
    Press(x, y, button);
    Release(x, y, button);
}

void Driver::Wheel(int x, int y, int clicks) {
    host::WindowId id = host_->WindowAt(x, y);
    host::Event e;
    e.type = host::Event::Type::MouseWheel;
    e.window = id;
    e.wheel = clicks;
    host_->Inject(e);
    Pump();
}

void Driver::LeaveWindow() {
    host::Event e;
    e.type = host::Event::Type::PointerLeft;
    host_->Inject(e);
    Pump();
}

void Driver::KeyDown(int vk) {
    host::Event e;
    e.type = host::Event::Type::KeyDown;
    e.window = host_->KeyWindow();
    e.key = vk;
    host_->Inject(e);
    Pump();
}

void Driver::KeyUp(int vk) {
    host::Event e;
    e.type = host::Event::Type::KeyUp;
    e.window = host_->KeyWindow();
    e.key = vk;
    host_->Inject(e);
    Pump();
}

void Driver::Key(int vk, unsigned mods) {
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
    e.window = host_->KeyWindow();
    e.text = text;
    host_->Inject(e);
    Pump();
}

namespace {
host::Event DesktopEvent(host::Event::Type type, host::WindowId id) {
    host::Event e;
    e.type = type;
    e.window = id;
    return e;
}
}  // namespace

void Driver::FocusGained(HWND top) {
    host_->Inject(DesktopEvent(host::Event::Type::FocusGained, HostWindowOf(top)));
    Pump();
}

void Driver::FocusLost(HWND top) {
    host_->Inject(DesktopEvent(host::Event::Type::FocusLost, HostWindowOf(top)));
    Pump();
}

void Driver::CloseRequest(HWND top) {
    host_->Inject(DesktopEvent(host::Event::Type::CloseRequested, HostWindowOf(top)));
    Pump();
}

void Driver::Quit() {
    host_->Inject(DesktopEvent(host::Event::Type::Quit, 0));
    Pump();
}

void Driver::Pump() {
    MSG m{};
    for (int guard = 0; guard < 1000000; ++guard) {
        if (!PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE)) return;
        if (m.message == WM_QUIT) return;  // left for the test's own loop to see
        PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    throw std::runtime_error("headless driver: the message queue never empties");
}

void Driver::Advance(std::uint64_t ms) {
    const std::uint64_t target = host::CurrentHost().NowMs() + ms;
    for (;;) {
        Pump();
        const std::uint64_t next = wm::NextDeadline();
        const std::uint64_t now = host::CurrentHost().NowMs();
        if (next > target) break;
        if (next > now) host_->AdvanceClock(next - now);
        Pump();
    }
    const std::uint64_t now = host::CurrentHost().NowMs();
    if (target > now) host_->AdvanceClock(target - now);
    Pump();
}

host::WindowId Driver::HostWindowOf(HWND hwnd) const {
    wm::Window* w = wm::Peek(hwnd);
    return w == nullptr ? 0 : wm::Root(w)->hostId;
}

const HostWindow* Driver::HostWindowInfo(HWND top) const {
    return host_->Window(HostWindowOf(top));
}

COLORREF Driver::HostPixel(host::WindowId id, int x, int y) const {
    const HostWindow* w = host_->Window(id);
    if (w == nullptr || x < 0 || y < 0 || x >= w->width || y >= w->height) return 0xFFFFFFFFu;
    return gdi::ToColorRef(w->image[static_cast<std::size_t>(y) * w->width + x]);
}

COLORREF Driver::Pixel(HWND hwnd, int x, int y) const {
    wm::Window* w = wm::Peek(hwnd);
    if (w == nullptr) return 0xFFFFFFFFu;
    POINT o = wm::ClientSurfaceOrigin(w);
    return HostPixel(wm::Root(w)->hostId, o.x + x, o.y + y);
}

std::string Driver::WindowTitle(HWND top) const {
    const HostWindow* w = HostWindowInfo(top);
    return w ? w->title : std::string();
}

}  // namespace platform::headless_b
