// A window class that records every message it gets, paints its client area
// in the colour kept in GWL_USERDATA, and a fixture that leaves no window,
// timer or quit message behind for the next test.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "platform/core/handles.h"
#include "platform/host/headless_b/headless.h"
#include "platform/winapi.h"
#include "platform/wm/wm_internal.h"

namespace wmtest {

struct Seen {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

inline std::vector<Seen>& Log() {
    static std::vector<Seen> log;
    return log;
}

// Answers for particular messages, set by a test.
inline LRESULT& HitAnswer() {
    static LRESULT v = 0;
    return v;
}

inline LRESULT CALLBACK ProbeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Log().push_back({hwnd, msg, wParam, lParam});
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            const COLORREF color = static_cast<COLORREF>(GetWindowLongW(hwnd, GWL_USERDATA));
            if (color != 0) {
                HBRUSH b = CreateSolidBrush(color);
                RECT r;
                GetClientRect(hwnd, &r);
                FillRect(dc, &r, b);
                DeleteObject(b);
            }
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_NCHITTEST:
            if (HitAnswer() != 0 && GetWindowLongW(hwnd, GWL_ID) == 99) return HitAnswer();
            return DefWindowProcW(hwnd, msg, wParam, lParam);
        default:
            return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

inline void RegisterProbe() {
    static bool done = false;
    if (done) return;
    done = true;
    WNDCLASSW wc{};
    wc.lpfnWndProc = ProbeProc;
    wc.lpszClassName = u"WmProbe";
    RegisterClassW(&wc);
    wc.style = CS_DBLCLKS;
    wc.lpszClassName = u"WmProbeDbl";
    RegisterClassW(&wc);
}

inline std::vector<UINT> MessagesTo(HWND hwnd) {
    std::vector<UINT> out;
    for (const Seen& s : Log())
        if (s.hwnd == hwnd) out.push_back(s.msg);
    return out;
}

inline int Count(HWND hwnd, UINT msg) {
    int n = 0;
    for (const Seen& s : Log())
        if (s.hwnd == hwnd && s.msg == msg) ++n;
    return n;
}

inline const Seen* Last(HWND hwnd, UINT msg) {
    const Seen* found = nullptr;
    for (const Seen& s : Log())
        if (s.hwnd == hwnd && s.msg == msg) found = &s;
    return found;
}

class WmTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterProbe();
        Log().clear();
        HitAnswer() = 0;
        driver.Pump();
    }
    void TearDown() override {
        for (HWND h : platform::wm::TopLevelWindows())
            if (IsWindow(h)) DestroyWindow(h);
        driver.Pump();
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        }
        EXPECT_EQ(platform::LiveObjects(platform::Kind::Window), 0u) << "windows left behind";
        EXPECT_EQ(platform::LiveObjects(platform::Kind::Timer), 0u) << "timers left behind";
    }

    HWND Top(int x, int y, int w, int h, COLORREF color = 0, DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE,
             HWND owner = nullptr) {
        HWND hwnd =
            CreateWindowExW(0, u"WmProbe", u"top", style, x, y, w, h, owner, nullptr, nullptr, nullptr);
        SetWindowLongW(hwnd, GWL_USERDATA, static_cast<LONG_PTR>(color));
        return hwnd;
    }
    HWND Child(HWND parent, int x, int y, int w, int h, COLORREF color = 0, DWORD style = 0, int id = 0,
               LPCWSTR cls = u"WmProbe") {
        HWND hwnd =
            CreateWindowExW(0, cls, u"", WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                            reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(id)), nullptr, nullptr);
        SetWindowLongW(hwnd, GWL_USERDATA, static_cast<LONG_PTR>(color));
        return hwnd;
    }

    platform::headless_b::Driver driver;
};

}  // namespace wmtest
