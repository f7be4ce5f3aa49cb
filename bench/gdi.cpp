// Costs of the drawing the abacus repeats: a board tile copy, a full client
// fill, a rod counter's two digits and the total's eight characters.
#include <benchmark/benchmark.h>

#include "platform/winapi.h"

namespace {

struct Scene {
    HDC screen = CreateCompatibleDC(nullptr);
    HBITMAP target = CreateBitmap(640, 500, 1, 32, nullptr);
    HDC sheetDc = CreateCompatibleDC(nullptr);
    HBITMAP sheet = CreateBitmap(200, 40, 1, 32, nullptr);
    HGDIOBJ oldTarget = SelectObject(screen, target);
    HGDIOBJ oldSheet = SelectObject(sheetDc, sheet);
    ~Scene() {
        SelectObject(screen, oldTarget);
        SelectObject(sheetDc, oldSheet);
        DeleteObject(target);
        DeleteObject(sheet);
        DeleteDC(screen);
        DeleteDC(sheetDc);
    }
};

void BM_BlitTile(benchmark::State& state) {
    Scene s;
    for (auto _ : state)
        benchmark::DoNotOptimize(BitBlt(s.screen, 100, 80, 25, 40, s.sheetDc, 50, 0, SRCCOPY));
}
BENCHMARK(BM_BlitTile);

void BM_FillClient(benchmark::State& state) {
    Scene s;
    HBRUSH blue = CreateSolidBrush(RGB(64, 65, 255));
    RECT all{0, 0, 640, 500};
    for (auto _ : state)
        benchmark::DoNotOptimize(FillRect(s.screen, &all, blue));
    DeleteObject(blue);
}
BENCHMARK(BM_FillClient);

void DrawText(benchmark::State& state, int height, int weight, const char16_t* face, const char16_t* text) {
    Scene s;
    HFONT font = CreateFontW(height, 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, OUT_OUTLINE_PRECIS,
                             CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, 0, face);
    HGDIOBJ old = SelectObject(s.screen, font);
    SetBkMode(s.screen, TRANSPARENT);
    SetTextColor(s.screen, RGB(0, 255, 0));
    RECT box{200, 400, 440, 440};
    for (auto _ : state)
        benchmark::DoNotOptimize(DrawTextW(s.screen, text, -1, &box, DT_CENTER));
    SelectObject(s.screen, old);
    DeleteObject(font);
}

void BM_CounterDigits(benchmark::State& state) {
    DrawText(state, 14, FW_NORMAL, u"Tahoma", u"10");
}
BENCHMARK(BM_CounterDigits);

void BM_TotalText(benchmark::State& state) {
    DrawText(state, 22, FW_BOLD, u"Arial", u"9.999.999");
}
BENCHMARK(BM_TotalText);

}  // namespace
