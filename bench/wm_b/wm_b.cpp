// Window-manager costs: a message sent through a subclassed procedure chain,
// composing and presenting a 640 x 500 window with 150 children, repainting
// one 25 x 40 child, and an idle message loop with only a 300 ms timer on
// the real clock (wake-ups per second and CPU time from getrusage).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>

#include "platform/host/headless_b/headless.h"
#include "platform/winapi.h"

namespace {

WNDPROC inner = nullptr;
WNDPROC middle = nullptr;

LRESULT CALLBACK Base(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT r;
        GetClientRect(hwnd, &r);
        FillRect(dc, &r, GetSysColorBrush(static_cast<int>(GetWindowLongW(hwnd, GWL_USERDATA))));
        EndPaint(hwnd, &ps);
        return 0;
    }
    if (msg == WM_USER) return static_cast<LRESULT>(wParam + 1);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}
LRESULT CALLBACK Middle(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(inner, hwnd, msg, wParam, lParam);
}
LRESULT CALLBACK Outer(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(middle, hwnd, msg, wParam, lParam);
}

void Register() {
    static bool done = false;
    if (done) return;
    done = true;
    WNDCLASSW wc{};
    wc.lpfnWndProc = Base;
    wc.lpszClassName = u"BenchWindow";
    RegisterClassW(&wc);
}

HWND MakeTop(int w, int h) {
    Register();
    HWND top = CreateWindowExW(0, u"BenchWindow", u"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, w, h,
                               nullptr, nullptr, nullptr, nullptr);
    SetWindowLongW(top, GWL_USERDATA, COLOR_BTNFACE);
    return top;
}

void BM_SendThroughSubclassChain(benchmark::State& state) {
    platform::headless_b::Driver driver;
    HWND h = MakeTop(100, 100);
    inner = reinterpret_cast<WNDPROC>(SetWindowLongW(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&Middle)));
    middle = reinterpret_cast<WNDPROC>(SetWindowLongW(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&Outer)));
    WPARAM v = 0;
    for (auto _ : state) {
        v = static_cast<WPARAM>(SendMessageW(h, WM_USER, v, 0));
        benchmark::DoNotOptimize(v);
    }
    DestroyWindow(h);
}
BENCHMARK(BM_SendThroughSubclassChain);

struct Board {
    HWND top = nullptr;
    HWND one = nullptr;
    Board() {
        top = MakeTop(640, 500);
        for (int i = 0; i < 150; ++i) {
            HWND c = CreateWindowExW(0, u"BenchWindow", u"", WS_CHILD | WS_VISIBLE, (i % 15) * 42,
                                     (i / 15) * 48, 25, 40, top, nullptr, nullptr, nullptr);
            SetWindowLongW(c, GWL_USERDATA, i % 2 ? COLOR_WINDOW : COLOR_HIGHLIGHT);
            if (i == 77) one = c;
        }
    }
    ~Board() { DestroyWindow(top); }
};

void BM_ComposeAndPresent150Children(benchmark::State& state) {
    platform::headless_b::Driver driver;
    Board board;
    driver.Pump();
    for (auto _ : state) {
        RedrawWindow(board.top, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
        driver.Pump();
    }
}
BENCHMARK(BM_ComposeAndPresent150Children)->Unit(benchmark::kMicrosecond);

void BM_RepaintOneChild(benchmark::State& state) {
    platform::headless_b::Driver driver;
    Board board;
    driver.Pump();
    driver.ResetPresentedPixelCount();
    for (auto _ : state) {
        InvalidateRect(board.one, nullptr, TRUE);
        driver.Pump();
    }
    state.counters["presented_px_per_repaint"] =
        static_cast<double>(driver.PresentedPixelCount()) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_RepaintOneChild)->Unit(benchmark::kMicrosecond);

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// GetMessageW with only a 300 ms timer pending, on the real clock, for 10 s.
void BM_IdleLoopWith300msTimer(benchmark::State& state) {
    platform::headless_b::Driver driver;
    driver.Host().UseRealClock(true);
    HWND h = MakeTop(100, 100);
    driver.Pump();
    SetTimer(h, 1, 300, nullptr);
    double wakePerSecond = 0, cpuPercent = 0, ticks = 0;
    for (auto _ : state) {
        const int wakesBefore = driver.Host().WakeUps();
        const double cpuBefore = CpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        const auto end = start + std::chrono::seconds(10);
        int timerTicks = 0;
        MSG m;
        while (std::chrono::steady_clock::now() < end && GetMessageW(&m, nullptr, 0, 0)) {
            if (m.message == WM_TIMER) ++timerTicks;
            DispatchMessageW(&m);
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        wakePerSecond = (driver.Host().WakeUps() - wakesBefore) / seconds;
        cpuPercent = 100.0 * (CpuSeconds() - cpuBefore) / seconds;
        ticks = timerTicks / seconds;
    }
    state.counters["wakeups_per_s"] = wakePerSecond;
    state.counters["timer_ticks_per_s"] = ticks;
    state.counters["cpu_percent"] = cpuPercent;
    KillTimer(h, 1);
    DestroyWindow(h);
    driver.Host().UseRealClock(false);
}
BENCHMARK(BM_IdleLoopWith300msTimer)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
