// Figures for the host.
//
// HostLatencyUnderLoad: the host on SDL's dummy driver (paced in real time)
// for 60 s (BS_HOST_BENCH_SECONDS overrides) while two threads keep both
// cores busy.  It fires a short effect again and again and measures the
// latency as heard: from hx_playSFX to the callback that takes the effect's
// first sample, plus that sample's place within the piece taken (the card
// plays the piece from its start).  It reports the median, the 99th
// percentile and the worst, the device's pace (seconds taken per second),
// the times the tick had to move its writes further ahead of the device (each
// adds latency for the rest of the session), and the blocks the device took
// that the host had not written in time (underruns).
//
// Tick: the cost of one timer tick that moves one block and renders one, on
// the scripted device.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

#include "host/host.h"
#include "host/host_start.h"
#include "host/host_state.h"
#include "host/platform/fake/fake_platform.h"
#include "host/platform/linux/linux_platform.h"
#include "host/platform/linux/sdl_device.h"
#include "test_packages.h"
#include "watched_platform.h"

namespace {

using Clock = std::chrono::steady_clock;

using hosttest::WatchedPlatform;

// Watches, on the device's thread, for the first sound after a request.  It
// takes no lock: the device's thread runs in real time, and waiting for the
// measuring thread would be measured too.
struct SoundWatch {
    std::atomic<bool> armed{false};
    std::atomic<bool> sounded{false};
    // Written before `sounded` is set: when the device took the piece with
    // the first sound, and that sound's frame within the piece.
    Clock::time_point at;
    uint32_t offset = 0;
    std::atomic<uint64_t> silentBytes{0};  // taken since the last sound
};

void watchTake(void* context, const uint8_t* bytes, uint32_t count, uint64_t)
{
    SoundWatch* watch = static_cast<SoundWatch*>(context);
    uint32_t last = count;
    while (last > 0 && bytes[last - 1] == 0)
        --last;
    watch->silentBytes = last == 0 ? watch->silentBytes + count : count - last;
    if (last > 0 && watch->armed.exchange(false)) {
        watch->at = Clock::now();
        uint32_t first = 0;
        while (bytes[first] == 0)
            ++first;
        watch->offset = first / 4;
        watch->sounded = true;
    }
}

// Polls `done` every millisecond for at most `limit`.
template <typename Done>
bool waitFor(Done done, std::chrono::milliseconds limit)
{
    auto until = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() >= until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// How far ahead of the device's accounted play position the tick writes: set
// by the first tick from where the device's cursors happen to stand (4000,
// 4800 or 5600 bytes), and moved only by the guard.  Most of the latency.
uint32_t writeLead()
{
    halvex::HostState& host = halvex::hostState();
    if (host.tickMutex == nullptr || !host.tickMutex->lock())
        return 0;
    uint32_t lead = (host.nextWritePos + halvex::kBufferBytes - host.lastPlayPos) % halvex::kBufferBytes;
    host.tickMutex->unlock();
    return lead;
}

double seconds()
{
    const char* text = std::getenv("BS_HOST_BENCH_SECONDS");
    double value = text ? std::atof(text) : 0;
    return value > 0 ? value : 60;
}

void HostLatencyUnderLoad(benchmark::State& state)
{
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    hosttest::Image samples = hosttest::samplePack();
    hosttest::Image instruments = hosttest::instrumentPack();
    hosttest::Image effect = hosttest::loopingEffect(12);
    WatchedPlatform platform;
    SoundWatch watch;
    std::vector<double> latencies;
    uint64_t underruns = 0;
    uint64_t missed = 0;
    uint32_t blocks = 0;
    uint32_t guardMoves = 0;
    uint32_t lead = 0;
    double pace = 0;  // seconds of audio the device took per second

    for (auto _ : state) {
        std::atomic<bool> stop{false};
        std::vector<std::thread> load;
        for (unsigned i = 0; i < 2; ++i)
            load.emplace_back([&stop] {
                volatile uint64_t spin = 0;
                while (!stop.load(std::memory_order_relaxed))
                    spin = spin + 1;
            });

        if (HX_FAILED(halvex::initHost(platform, nullptr, samples.data(), instruments.data()))) {
            stop = true;
            for (std::thread& t : load)
                t.join();
            state.SkipWithError("the host did not start on SDL's dummy driver");
            return;
        }
        platform.opened->setTakeObserver(&watchTake, &watch);
        Clock::time_point started = Clock::now();
        std::mt19937 random(12345);
        std::uniform_int_distribution<int> pause(0, 20);
        auto end = Clock::now() + std::chrono::duration<double>(seconds());
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // past the start
        lead = writeLead();
        while (Clock::now() < end) {
            watch.sounded = false;
            Clock::time_point asked = Clock::now();
            watch.armed = true;
            hx_playSFX(effect.data(), 5, 127, 127);
            if (waitFor([&] { return watch.sounded.load(); }, std::chrono::seconds(1)))
                latencies.push_back(
                    std::chrono::duration<double, std::milli>(watch.at - asked).count() +
                    watch.offset * 1000.0 / 48000.0);
            else
                ++missed;
            watch.armed = false;
            // The 12-tick effect ends by itself: wait until the device has
            // taken 20 ms of silence after it, then a little more so that
            // requests fall at every phase of the tick.
            waitFor([&] { return watch.silentBytes >= 3840; }, std::chrono::seconds(2));
            std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
        }
        platform.opened->setTakeObserver(nullptr, nullptr);
        halvex::SdlOutputDevice::Statistics stats = platform.opened->statistics();
        underruns = stats.underruns;
        pace = static_cast<double>(stats.bytesTaken) / 192000.0 /
               std::chrono::duration<double>(Clock::now() - started).count();
        hx_getState(nullptr, nullptr, nullptr, nullptr, &blocks, nullptr, nullptr);
        guardMoves = halvex::hostState().guardMoves.load();
        hx_close();
        stop = true;
        for (std::thread& t : load)
            t.join();
    }

    std::sort(latencies.begin(), latencies.end());
    auto percentile = [&](double p) {
        return latencies.empty() ? 0 : latencies[static_cast<size_t>(p * (latencies.size() - 1))];
    };
    double median = percentile(0.5);
    double p99 = percentile(0.99);
    double worst = percentile(1);
    state.counters["latency_median_ms"] = median;
    state.counters["latency_p99_ms"] = p99;
    state.counters["latency_worst_ms"] = worst;
    state.counters["underruns"] = static_cast<double>(underruns);
    state.counters["guard_events"] = static_cast<double>(guardMoves);
    state.counters["effects"] = static_cast<double>(latencies.size());
    state.counters["missed"] = static_cast<double>(missed);
    state.counters["blocks"] = static_cast<double>(blocks);
    state.counters["device_pace"] = pace;
    state.counters["lead_bytes"] = lead;
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    std::printf("host on SDL's %s driver, %.0f s, both cores loaded: %zu effects, latency as heard "
                "median %.2f ms, p99 %.2f ms, worst %.2f ms; %llu underruns, %u guard events, %llu "
                "missed, %u blocks rendered, device at %.3fx real time, writing %u bytes ahead\n",
                driver ? driver : "default", seconds(), latencies.size(), median, p99, worst,
                static_cast<unsigned long long>(underruns), guardMoves,
                static_cast<unsigned long long>(missed), blocks, pace, lead);
}
BENCHMARK(HostLatencyUnderLoad)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void Tick(benchmark::State& state)
{
    hosttest::Image samples = hosttest::samplePack();
    hosttest::Image instruments = hosttest::instrumentPack();
    hosttest::Image effect = hosttest::loopingEffect(16000);
    hosttest::Image music = hosttest::tune(600);
    halvex::FakePlatform platform;
    int window = 0;
    if (HX_FAILED(halvex::initHost(platform, &window, samples.data(), instruments.data()))) {
        state.SkipWithError("the host did not start");
        return;
    }
    hx_playMusic(music.data());
    for (int8_t priority = 1; priority <= 8; ++priority)
        hx_playSFX(effect.data(), priority, 127, 127);
    platform.device->setCursors(0, 0);
    platform.tick();
    uint32_t play = 3200;
    for (auto _ : state) {
        play += 800;
        platform.device->setCursors(play % 51200, (play + 960) % 51200);
        platform.tick();
    }
    hx_close();
    state.SetItemsProcessed(state.iterations());
}
// Ten thousand ticks: the music and all eight effects play throughout.
BENCHMARK(Tick)->Iterations(10000);

}  // namespace

BENCHMARK_MAIN();
