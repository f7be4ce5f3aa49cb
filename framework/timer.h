// Timer: a periodic tick delivered to onTick. The system timer is set on the
// parent form's window with the element's id as timer identifier; the window
// procedure routes each WM_TIMER back here. The element also owns a hidden
// "static" child window, to have a place among its form's children.
#pragma once

#include <cstdint>

#include "framework/element.h"

namespace TQUtility {

class Timer : public Child {
public:
    bool running;            // the system timer is set
    std::uint32_t interval;  // milliseconds; a change applies at the next Start
    NotifyCallback onTick;   // called with the timer on every tick

    explicit Timer(GUIElement* parentForm);
    ~Timer() override;  // stops a running timer

    void Create() override;
    void Start();  // creates the element when needed; nothing while running
    void Stop();
};

}  // namespace TQUtility
