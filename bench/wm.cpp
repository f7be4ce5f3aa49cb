// Window manager costs: a sent message through a subclassed procedure chain,
// composing and presenting a 640 x 500 window with 150 children, repainting
// one 25 x 40 child, and the wake-ups and CPU time of an idle message loop
// with one 300 ms timer on the real clock.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>

#include "platform/host/headless/headless.h"
#include "platform/winapi.h"

namespace {

LRESULT CALLBACK Base(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_USER) return static_cast<LRESULT>(w + 1);
    if (m == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        FillRect(dc, &ps.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
        EndPaint(h, &ps);
        return 0;
    }
    return DefWindowProcW(h, m, w, l);
}

WNDPROC first = nullptr, second = nullptr;
LRESULT CALLBACK Layer1(HWND h, UINT m, WPARAM w, LPARAM l) {
    return CallWindowProcW(first, h, m, w, l);
}
LRESULT CALLBACK Layer2(HWND h, UINT m, WPARAM w, LPARAM l) {
    return CallWindowProcW(second, h, m, w, l);
}

void Register() {
    static bool done = false;
    if (done) return;
    done = true;
    WNDCLASSW wc{};
    wc.lpfnWndProc = Base;
    wc.hbrBackground = CreateSolidBrush(RGB(64, 65, 255));
    wc.lpszClassName = u"BenchTop";
    RegisterClassW(&wc);
    wc.lpszClassName = u"BenchCell";
    RegisterClassW(&wc);
}

HWND MakeBoard(std::vector<HWND>* cells) {
    Register();
    HWND top = CreateWindowExW(0, u"BenchTop", u"Bench", WS_VISIBLE | WS_CAPTION, 0, 0, 640, 500, nullptr,
                               nullptr, nullptr, nullptr);
    for (int i = 0; i < 150; ++i) {
        cells->push_back(CreateWindowExW(0, u"BenchCell", u"", WS_CHILD | WS_VISIBLE, (i % 15) * 26 + 10,
                                         (i / 15) * 41 + 40, 25, 40, top, nullptr, nullptr, nullptr));
    }
    return top;
}

void BM_SendThroughSubclassChain(benchmark::State& state) {
    platform::headless::Driver d;
    Register();
    HWND h =
        CreateWindowExW(0, u"BenchCell", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    first = reinterpret_cast<WNDPROC>(SetWindowLongW(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(Layer1)));
    second = reinterpret_cast<WNDPROC>(SetWindowLongW(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(Layer2)));
    WPARAM i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(SendMessageW(h, WM_USER, i++, 0));
    DestroyWindow(h);
}
BENCHMARK(BM_SendThroughSubclassChain);

void BM_ComposeAndPresent150Children(benchmark::State& state) {
    platform::headless::Driver d;
    std::vector<HWND> cells;
    HWND top = MakeBoard(&cells);
    d.Pump();
    for (auto _ : state) {
        RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        d.Pump();
    }
    DestroyWindow(top);
}
BENCHMARK(BM_ComposeAndPresent150Children)->Unit(benchmark::kMicrosecond);

void BM_RepaintOneChild(benchmark::State& state) {
    platform::headless::Driver d;
    std::vector<HWND> cells;
    HWND top = MakeBoard(&cells);
    d.Pump();
    d.ResetPresentedPixelCount();
    for (auto _ : state) {
        InvalidateRect(cells[77], nullptr, TRUE);
        d.Pump();
    }
    state.counters["presented_px_per_repaint"] =
        static_cast<double>(d.PresentedPixelCount()) / static_cast<double>(state.iterations());
    DestroyWindow(top);
}
BENCHMARK(BM_RepaintOneChild)->Unit(benchmark::kMicrosecond);

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Ten seconds of an idle loop on the real clock with one 300 ms timer.
void BM_IdleLoopWithOneTimer(benchmark::State& state) {
    platform::headless::Driver d;
    d.host().UseRealClock(true);
    Register();
    HWND h = CreateWindowExW(0, u"BenchTop", u"Idle", WS_VISIBLE | WS_CAPTION, 0, 0, 200, 100, nullptr,
                             nullptr, nullptr, nullptr);
    d.Pump();
    SetTimer(h, 1, 300, nullptr);
    const double seconds = static_cast<double>(state.range(0));
    for (auto _ : state) {
        const std::uint64_t waitsBefore = d.host().WaitCalls();
        const double cpuBefore = CpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        int ticks = 0;
        MSG m;
        while (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() < seconds &&
               GetMessageW(&m, nullptr, 0, 0)) {
            ticks += m.message == WM_TIMER;
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.counters["ticks_per_s"] = ticks / wall;
        state.counters["wakeups_per_s"] = static_cast<double>(d.host().WaitCalls() - waitsBefore) / wall;
        state.counters["cpu_percent"] = 100.0 * (CpuSeconds() - cpuBefore) / wall;
    }
    KillTimer(h, 1);
    DestroyWindow(h);
    d.host().UseRealClock(false);
}
BENCHMARK(BM_IdleLoopWithOneTimer)->Arg(10)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
