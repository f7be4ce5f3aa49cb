// The graphics calls on the paths the abacus repaints:
// copying a bead tile, filling the window, drawing a counter and the total.
#include <benchmark/benchmark.h>

#include "platform/winapi.h"

namespace {

struct Canvas {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
    Canvas(int w, int h) {
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateBitmap(w, h, 1, 32, nullptr);
        old = SelectObject(dc, bitmap);
    }
    ~Canvas() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
};

void BM_BlitTile25x40(benchmark::State& state) {
    Canvas window(640, 500), sheet(250, 40);
    for (auto _ : state) {
        BitBlt(window.dc, 100, 100, 25, 40, sheet.dc, 50, 0, SRCCOPY);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BlitTile25x40);

void BM_Fill640x500(benchmark::State& state) {
    Canvas window(640, 500);
    HBRUSH brush = GetSysColorBrush(COLOR_BTNFACE);
    const RECT all{0, 0, 640, 500};
    for (auto _ : state) {
        FillRect(window.dc, &all, brush);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Fill640x500);

void DrawText(benchmark::State& state, const char16_t* face, int height, int weight, const char16_t* text) {
    Canvas window(640, 500);
    HFONT font = CreateFontW(height, 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face);
    HGDIOBJ old = SelectObject(window.dc, font);
    SetBkMode(window.dc, TRANSPARENT);
    RECT box{10, 10, 210, 60};
    for (auto _ : state) {
        benchmark::DoNotOptimize(DrawTextW(window.dc, text, -1, &box, DT_CENTER));
    }
    SelectObject(window.dc, old);
    DeleteObject(font);
}

void BM_CounterTahoma14(benchmark::State& state) {
    DrawText(state, u"Tahoma", 14, FW_NORMAL, u"87");
}
BENCHMARK(BM_CounterTahoma14);

void BM_TotalBoldArial22(benchmark::State& state) {
    DrawText(state, u"Arial", 22, FW_BOLD, u"8.765.432");
}
BENCHMARK(BM_TotalBoldArial22);

}  // namespace
