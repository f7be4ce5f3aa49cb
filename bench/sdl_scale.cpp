// Cost of showing pixels on a high-density display: the SDL host copies each
// presented rectangle into the window surface, every pixel as a
// scale x scale block. A whole 640 x 499 window (the first frame, an
// exposure) and one bead cell (a move), at scales 1, 2 and 3.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "platform/host/sdl/sdl_scale.h"

namespace {

constexpr int kW = 640, kH = 499;

void CopyRect(benchmark::State& state, platform::host::Rect r) {
    const int scale = static_cast<int>(state.range(0));
    std::vector<std::uint32_t> frame(static_cast<std::size_t>(kW) * kH, 0x00404142);
    std::vector<std::uint32_t> surface(static_cast<std::size_t>(kW) * scale * kH * scale);
    for (auto _ : state) {
        platform::host::sdl::CopyScaled(frame.data(), kW, r, surface.data(), kW * scale * 4, scale);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * r.w * r.h);
}

void BM_CopyWholeWindow(benchmark::State& state) {
    CopyRect(state, {0, 0, kW, kH});
}
BENCHMARK(BM_CopyWholeWindow)->Arg(1)->Arg(2)->Arg(3);

void BM_CopyBeadCell(benchmark::State& state) {
    CopyRect(state, {268, 124, 25, 40});
}
BENCHMARK(BM_CopyBeadCell)->Arg(1)->Arg(2)->Arg(3);

}  // namespace
