// Veskar's figures: one refresh of the live views, and the process's CPU
// share while the demo plays.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <time.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "app/qt/session.h"

namespace {

using namespace veskar;

// The window with the demo's packages loaded and its song playing.
std::unique_ptr<Session> playDemo()
{
    EngineInfo info;
    if (!HostBridge::readEngineInfo(&info))
        return nullptr;
    auto session = std::make_unique<Session>(info);
    PackageFiles files;
    files[Package::Samples] = DEMO_DIR "/demo.smp";
    files[Package::Instruments] = DEMO_DIR "/demo.ins";
    files[Package::Music] = DEMO_DIR "/song.mus";
    files[Package::Effect] = DEMO_DIR "/explosion.sfx";
    session->window().openPackages(files);
    session->application().onCommand(ID_PLAYBACK_PLAYMUSIC);
    return session;
}

void runEvents(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// CPU time of the whole process (all its threads).
double processSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& time) { return static_cast<double>(time.tv_sec) + time.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// CPU time of the calling thread, to the nanosecond.
double threadSeconds()
{
    timespec time{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) / 1e9;
}

// One refresh as the 50 ms timer makes it: the areas invalidated and painted
// at once from a copy of the host's state.  From ten seconds into the song,
// when most of its channels play, with the song going on for 50 ms between
// two refreshes as it does between two timer events.
void refresh(benchmark::State& state)
{
    std::unique_ptr<Session> session = playDemo();
    if (!session || !session->application().bridge().running()) {
        state.SkipWithError("the demo does not play (is it built? does SDL's dummy driver open?)");
        return;
    }
    runEvents(10000);
    double best = 1.0;
    for (auto _ : state) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kRefreshMilliseconds));
        // The window thread's own time: the machine may be shared.
        const double cpu = threadSeconds();
        session->application().onTimer();
        const double took = threadSeconds() - cpu;
        state.SetIterationTime(took);
        best = std::min(best, took);
    }
    // The least a refresh took: what a machine of one's own would see.
    state.counters["best_us"] = best * 1e6;
}
BENCHMARK(refresh)->Unit(benchmark::kMicrosecond)->Iterations(400)->UseManualTime();

// The whole process's share of one core while the song plays with the
// window refreshing, and how it divides: the window thread, and the rest
// (the host's timer thread and SDL's audio thread).
void playing(benchmark::State& state)
{
    const char* given = std::getenv("VESKAR_BENCH_SECONDS");
    const int seconds = given != nullptr ? std::atoi(given) : 30;
    std::unique_ptr<Session> session = playDemo();
    if (!session || !session->application().bridge().running()) {
        state.SkipWithError("the demo does not play (is it built? does SDL's dummy driver open?)");
        return;
    }
    runEvents(2000);
    for (auto _ : state) {
        QElapsedTimer wall;
        const double process = processSeconds();
        const double window = threadSeconds();
        wall.start();
        runEvents(seconds * 1000);
        const double elapsed = static_cast<double>(wall.nsecsElapsed()) / 1e9;
        const double processShare = 100.0 * (processSeconds() - process) / elapsed;
        const double windowShare = 100.0 * (threadSeconds() - window) / elapsed;
        state.SetIterationTime(elapsed);
        state.counters["cpu_percent"] = processShare;
        state.counters["window_thread_percent"] = windowShare;
        state.counters["host_threads_percent"] = processShare - windowShare;
        state.counters["music_playing"] = session->application().bridge().musicPlaying();
    }
}
BENCHMARK(playing)->Unit(benchmark::kSecond)->Iterations(1)->UseManualTime();

}  // namespace

int main(int argc, char** argv)
{
    // Painted offscreen, played on SDL's dummy driver, unless told otherwise.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (!std::filesystem::exists(DEMO_DIR "/song.mus")) {
        std::fprintf(stderr, "No demo in %s: build it first (BS_DEMO_PLAY=0 cmake --build --preset demo)\n", DEMO_DIR);
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
