// Renders the demo through bsrender's render loop and reports the speed as a multiple of real
// time (x_realtime: seconds of audio per second of rendering). The packages come from the
// `demo` target's output folder, or from the folder given in BS_DEMO_DIR at run time.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/engine.h"
#include "tools/bsrender/renderer.h"
#include "tools/common/package_file.h"

using namespace bsrender;

namespace {

std::string demoDir()
{
    const char* dir = std::getenv("BS_DEMO_DIR");
    return dir ? dir : BS_DEMO_DIR;
}

bool load(const std::string& name, bs::PackageImage* image, benchmark::State& state)
{
    std::string error;
    if (bs::loadPackage(demoDir() + "/" + name, image, &error))
        return true;
    state.SkipWithError((error + " (build the demo target first)").c_str());
    return false;
}

// The whole song, every block handed to a sink that only keeps a checksum (so the work cannot
// be optimised away).
void renderJob(benchmark::State& state, const char* music, const char* effect)
{
    bs::PackageImage samples, instruments, song, sfx;
    if (!load("demo.smp", &samples, state) || !load("demo.ins", &instruments, state))
        return;
    RenderJob job;
    job.samples = &samples;
    job.instruments = &instruments;
    if (music) {
        if (!load(music, &song, state))
            return;
        job.music = &song;
        job.attenuation = 96;
    }
    if (effect) {
        if (!load(effect, &sfx, state))
            return;
        for (uint32_t tick = 0; tick < 14000; tick += 700)  // an explosion every 3 s or so
            job.effects.push_back({&sfx, tick, 100, 127, 127});
    }
    uint64_t ticks = 0;
    int64_t checksum = 0;
    for (auto _ : state) {
        const RenderResult result = render(job, [&](const int16_t* block) {
            checksum += block[0] + block[BS_BLOCK_VALUES - 1];
            return true;
        });
        ticks += result.ticks;
    }
    benchmark::DoNotOptimize(checksum);
    const double audioSeconds = double(ticks) / double(BS_TICK_RATE);
    state.counters["audio_s"] = benchmark::Counter(double(ticks) / double(BS_TICK_RATE) / double(state.iterations()));
    state.counters["x_realtime"] = benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate);
}

void BM_RenderDemoSong(benchmark::State& state)
{
    renderJob(state, "song.mus", nullptr);
}
BENCHMARK(BM_RenderDemoSong)->Unit(benchmark::kMillisecond);

void BM_RenderDemoScene(benchmark::State& state)
{
    renderJob(state, "song.mus", "explosion.sfx");
}
BENCHMARK(BM_RenderDemoScene)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
