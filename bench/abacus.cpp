// The whole abacus: its real main form with the real resources, on the
// headless host, or on the SDL host under a display when KELVO_BENCH_HOST=sdl
// (bench/startup.sh runs it so, beside the bare SDL program): a full repaint
// of the window, the repaint of one bead move, and one posted message through
// the window procedure.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "abacus/formmain.h"
#include "platform/host/host.h"
#include "platform/winapi.h"

namespace {

using MyGame::FormMain;

// Dispatches everything queued; presents what was painted.
void Pump() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

FormMain* Form(benchmark::State& state) {
    static FormMain* form = [&]() -> FormMain* {
        // Settings of its own, never the user's: the captions start empty.
        static char config[] = "/tmp/kelvo-bench-XXXXXX";
        if (!mkdtemp(config)) {
            state.SkipWithError("no temporary folder for the settings");
            return nullptr;
        }
        setenv("XDG_CONFIG_HOME", config, 1);
        std::atexit([] { std::filesystem::remove_all(config); });
        const char* host = std::getenv("KELVO_BENCH_HOST");
        std::string error;
        if (host && *host && !platform::host::UseHost(host, &error)) {
            state.SkipWithError(("host " + std::string(host) + ": " + error).c_str());
            return nullptr;
        }
        auto* f = new FormMain(GetModuleHandleW(nullptr), MyGame::MainCaption());
        Pump();
        return f;
    }();
    if (!form) state.SkipWithError("no main form");
    return form;
}

void BM_FullRepaint(benchmark::State& state) {
    FormMain* form = Form(state);
    if (!form) return;
    for (auto _ : state) {
        RedrawWindow(form->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        Pump();
    }
}
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMicrosecond);

// A press on a bead and the tick that moves it: the last bead of a rod
// crosses the gap and comes back on the next iteration, so every iteration
// moves one bead and repaints what the move changed.
void BM_BeadMove(benchmark::State& state) {
    FormMain* form = Form(state);
    if (!form) return;
    const int row = 3;
    for (auto _ : state) {
        const auto before = form->Cell(row, 10)->tileCode;
        const bool out = before != form->Cell(row, 11)->tileCode;  // 11 is a gap
        TQUtility::GUIElement* cell = form->Cell(row, out ? 10 : 12);
        SendMessageW(cell->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 20));
        SendMessageW(cell->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(12, 20));
        form->OnTimerTick();
        Pump();
        if (form->Cell(row, 10)->tileCode == before) {
            state.SkipWithError("the bead did not move");
            break;
        }
    }
}
BENCHMARK(BM_BeadMove)->Unit(benchmark::kMicrosecond);

void BM_PostedMessage(benchmark::State& state) {
    FormMain* form = Form(state);
    if (!form) return;
    MSG m;
    for (auto _ : state) {
        PostMessageW(form->hwnd, WM_NULL, 0, 0);
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&m);
            if (m.message == WM_NULL) break;
        }
    }
}
BENCHMARK(BM_PostedMessage)->Unit(benchmark::kMicrosecond);

}  // namespace
