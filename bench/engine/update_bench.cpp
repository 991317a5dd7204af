// bs_update with every channel busy, and the straightforward per-frame mixer
// on the same voices for comparison.  Prints the realtime factor: seconds of
// audio rendered per second of CPU time.
#include <benchmark/benchmark.h>

#include <cstring>

#include "scenario.h"
#include "tests/engine/reference_mixer.h"

namespace {

void setRealtimeFactor(benchmark::State& state)
{
    state.counters["realtime_x"] =
        benchmark::Counter(static_cast<double>(state.iterations()) / static_cast<double>(BS_TICK_RATE), benchmark::Counter::kIsRate);
}

void BM_UpdateSixteenEffects(benchmark::State& state)
{
    BusyScenario scenario;
    int16_t block[BS_BLOCK_VALUES];
    for (int i = 0; i < 10; ++i) {
        bs_update(block);
        scenario.keepPlaying();
    }
    for (auto _ : state) {
        bs_update(block);
        benchmark::DoNotOptimize(block);
        scenario.keepPlaying();
    }
    setRealtimeFactor(state);
}
BENCHMARK(BM_UpdateSixteenEffects);

// The same voices through the reference loop: what the engine's mixer is
// measured against.  Single-shot voices that end start again from 0.
void BM_StraightforwardMixer(benchmark::State& state)
{
    BusyScenario scenario;
    int16_t block[BS_BLOCK_VALUES];
    for (int i = 0; i < 10; ++i)
        bs_update(block);
    Voice* engineVoices = nullptr;
    bs_getState(&engineVoices, nullptr, nullptr);
    Voice voices[BS_CHANNELS];
    std::memcpy(voices, engineVoices, sizeof voices);
    Voice started[BS_CHANNELS];
    std::memcpy(started, voices, sizeof voices);
    for (auto _ : state) {
        referenceMix(voices, block);
        benchmark::DoNotOptimize(block);
        for (int i = 0; i < BS_CHANNELS; ++i)
            if (voices[i].mode == 0) {
                voices[i] = started[i];
                voices[i].phase = 0;
            }
    }
    setRealtimeFactor(state);
}
BENCHMARK(BM_StraightforwardMixer);

} // namespace

BENCHMARK_MAIN();
