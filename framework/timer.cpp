// Timer: the hidden child window and the system timer on the parent form.
#include "framework/timer.h"

#include "framework/registry.h"
#include "framework/wndproc.h"

namespace TQUtility {

Timer::Timer(GUIElement* parentForm) : Child(nullptr), running(false), interval(300), onTick(nullptr) {
    parent = parentForm;
    width = 50;
    height = 22;
    text = u"timer";
    typeName = "timer";
}

Timer::~Timer() {
    Stop();
}

void Timer::Create() {
    if (created) return;
    id = ++lastElementId;
    DWORD style = WS_CHILD;
    if (!enabled) style |= WS_DISABLED;
    hwnd = CreateSystemChild(this, 0, u"static", style);
    SubclassElement(this);
    created = true;
}

void Timer::Start() {
    if (running) return;
    Create();
    SetTimer(parent != nullptr ? parent->hwnd : nullptr, static_cast<UINT_PTR>(id), interval, nullptr);
    running = true;
}

void Timer::Stop() {
    if (!running) return;
    KillTimer(parent != nullptr ? parent->hwnd : nullptr, static_cast<UINT_PTR>(id));
    running = false;
}

}  // namespace TQUtility
