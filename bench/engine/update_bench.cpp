// Realtime factors (seconds of audio rendered per second of CPU time) of
// bs_update, of the mixer at each level the processor runs, and of the
// straightforward per-frame mixer, on the same voices:
//
// - effects/...: all 16 channels playing sound effects (scenario.h);
// - notes/..., steps-.../..., short-loops/...: the note workload and its
//   variants (notes.h).
//
// The level "scalar" is the frame-by-frame loop that was the whole mixer
// before the vector levels, so old and new run side by side.  On a busy
// machine, run with repetitions interleaved and read the medians:
//
//   engine_update_bench --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
//       --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "engine/mixer_levels.h"
#include "notes.h"
#include "scenario.h"
#include "tests/engine/mix_tick.h"
#include "tests/engine/reference_mixer.h"

namespace {

using brimsel::MixerLevel;

void setRealtimeFactor(benchmark::State& state)
{
    state.counters["realtime_x"] =
        benchmark::Counter(static_cast<double>(state.iterations()) / static_cast<double>(BS_TICK_RATE), benchmark::Counter::kIsRate);
}

void effectsThroughEngine(benchmark::State& state)
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

// The effects' voices as they sound after ten ticks, mixed over and over;
// single-shot voices that end start again from 0.
template <typename Mix>
void effectsVoices(benchmark::State& state, Mix mix)
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
        mix(voices, block);
        benchmark::DoNotOptimize(block);
        for (int i = 0; i < BS_CHANNELS; ++i)
            if (voices[i].mode == 0) {
                voices[i] = started[i];
                voices[i].phase = 0;
            }
    }
    setRealtimeFactor(state);
}

void notesThroughEngine(benchmark::State& state, const NoteRange& range)
{
    Voice* voices = engineVoicesForNotes();
    NoteWorkload notes(range);
    int16_t block[BS_BLOCK_VALUES];
    for (auto _ : state) {
        notes.tick(voices);
        bs_update(block);
        benchmark::DoNotOptimize(block);
    }
    setRealtimeFactor(state);
}

template <typename Mix>
void notesVoices(benchmark::State& state, const NoteRange& range, Mix mix)
{
    Voice voices[BS_CHANNELS] = {};
    NoteWorkload notes(range);
    int16_t block[BS_BLOCK_VALUES];
    for (auto _ : state) {
        notes.tick(voices);
        mix(voices, block);
        benchmark::DoNotOptimize(block);
    }
    setRealtimeFactor(state);
}

// The mixer linked on its own, at the level last chosen.
void mixer(Voice* voices, int16_t* block)
{
    mixTick(voices, BS_CHANNELS, block);
}

void reference(Voice* voices, int16_t* block)
{
    referenceMix(voices, block);
}

void registerAll()
{
    benchmark::RegisterBenchmark("effects/bs_update", effectsThroughEngine);
    for (MixerLevel level : brimsel::kMixerLevels)
        if (brimsel::mixerLevelRuns(level))
            benchmark::RegisterBenchmark(("effects/" + std::string(brimsel::mixerLevelName(level))).c_str(),
                                         [level](benchmark::State& state) {
                                             brimsel::useMixerLevel(level);
                                             effectsVoices(state, mixer);
                                         });
    benchmark::RegisterBenchmark("effects/reference", [](benchmark::State& state) { effectsVoices(state, reference); });

    for (const NoteRange& range : kNoteRanges) {
        const std::string prefix = std::string(range.name) + "/";
        benchmark::RegisterBenchmark((prefix + "bs_update").c_str(),
                                     [range](benchmark::State& state) { notesThroughEngine(state, range); });
        for (MixerLevel level : brimsel::kMixerLevels)
            if (brimsel::mixerLevelRuns(level))
                benchmark::RegisterBenchmark((prefix + brimsel::mixerLevelName(level)).c_str(),
                                             [range, level](benchmark::State& state) {
                                                 brimsel::useMixerLevel(level);
                                                 notesVoices(state, range, mixer);
                                             });
        benchmark::RegisterBenchmark((prefix + "reference").c_str(),
                                     [range](benchmark::State& state) { notesVoices(state, range, reference); });
    }
}

}  // namespace

int main(int argc, char** argv)
{
    registerAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
