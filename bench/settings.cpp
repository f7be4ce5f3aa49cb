// The settings store at program start and exit: seven LoadSetting calls (the
// rod captions read when the main form is built) and seven SaveSetting calls
// (written when it closes), against a private configuration home. "Cold"
// opens the database first, as the first call of a process does.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/registry/store.h"
#include "services/settings.h"
#include "tests/registry/scratch.h"

namespace {

const std::string kApp = "Kelvo.exe";
const std::string kCategory = "Categorie";

std::string Key(int rod) {
    return "testo" + std::to_string(rod);
}

void SeedCaptions() {
    for (int rod = 0; rod < 7; ++rod)
        TQUtility::SaveSetting(kApp, kCategory, Key(rod), "Caption of rod " + Key(rod));
}

void BM_LoadSevenCold(benchmark::State& state) {
    scratch::TempHome home;
    SeedCaptions();
    for (auto _ : state) {
        platform::registry::CloseDatabase();
        for (int rod = 0; rod < 7; ++rod)
            benchmark::DoNotOptimize(TQUtility::LoadSetting(kApp, kCategory, Key(rod)));
    }
}

void BM_LoadSeven(benchmark::State& state) {
    scratch::TempHome home;
    SeedCaptions();
    for (auto _ : state)
        for (int rod = 0; rod < 7; ++rod)
            benchmark::DoNotOptimize(TQUtility::LoadSetting(kApp, kCategory, Key(rod)));
}

void BM_SaveSeven(benchmark::State& state) {
    scratch::TempHome home;
    SeedCaptions();
    int round = 0;
    for (auto _ : state) {
        ++round;
        for (int rod = 0; rod < 7; ++rod)
            TQUtility::SaveSetting(kApp, kCategory, Key(rod), "Caption " + std::to_string(round));
    }
}

BENCHMARK(BM_LoadSevenCold)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_LoadSeven)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_SaveSeven)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
