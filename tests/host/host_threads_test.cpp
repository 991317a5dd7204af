// The host's two threads: a tick rendering while hx_close runs, forwards and
// state copies racing the timer, and the std::thread timer itself.  Built to
// run under ThreadSanitizer.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "fake_host.h"
#include "formats/packages.h"
#include "host/platform/std/thread_timer.h"

namespace hosttest {
namespace {

using namespace std::chrono_literals;

// A one-shot signal between two threads.
class Latch {
public:
    void open()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    void wait()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return open_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
};

class HostThreadsTest : public FakeHostTest {};

TEST_F(HostThreadsTest, CloseWaitsForATickThatIsRendering)
{
    ASSERT_EQ(start(), HX_S_OK);
    std::string path = tempPath("closing.wav");
    ASSERT_EQ(hx_logOutput(path.c_str()), 0);
    tickAt(0, 0);
    device().setCursors(4000, 4960);
    platform.clearEvents();

    Latch inTick;
    Latch release;
    device().onLock = [&] {
        inTick.open();
        release.wait();
    };
    std::thread timer([&] { platform.tick(); });
    inTick.wait();

    std::atomic<bool> closed{false};
    std::thread closer([&] {
        hx_close();
        closed = true;
    });
    // Let hx_close get as far as it can: it stops the device and the timer,
    // then waits before releasing anything the tick uses.
    auto deadline = std::chrono::steady_clock::now() + 10s;
    while (platform.events().back() != "timer cancel" && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(closed);
    std::vector<std::string> events = platform.events();
    EXPECT_EQ(std::count(events.begin(), events.end(), "release"), 0);
    release.open();
    timer.join();
    closer.join();

    events = platform.events();
    auto at = [&](const std::string& event) {
        return std::find(events.begin(), events.end(), event) - events.begin();
    };
    EXPECT_LT(at("stop"), at("unlock"));
    EXPECT_LT(at("unlock"), at("release"));
    EXPECT_EQ(platform.liveMutexes, 0);
    // The tick finished its work: one more block rendered.
    EXPECT_EQ(blocksRendered(), 5u);
    // The log holds the blocks written before hx_close finished it, and its
    // header agrees with them.
    std::vector<uint8_t> log = readFile(path);
    ASSERT_GE(log.size(), 44u + 4 * kBlock);
    EXPECT_LE(log.size(), 44u + 5 * kBlock);
    EXPECT_EQ(bs_readU32(log.data() + 40), log.size() - 44);
}

// Runs the fake timer on its own thread, the device's cursors moving on by
// one block per beat, until stopped.
class Ticker {
public:
    explicit Ticker(halvex::FakePlatform& platform) : platform_(platform)
    {
        thread_ = std::thread([this] {
            uint32_t play = 0;
            platform_.device->setCursors(0, 0);
            while (!stop_) {
                platform_.tick();
                play = play == 0 ? 4000 : play + kBlock;
                platform_.device->setCursors(play % kBuffer, (play + 960) % kBuffer);
                ticks_.fetch_add(1);
            }
        });
    }
    ~Ticker() { stop(); }
    void stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    int ticks() const { return ticks_.load(); }

private:
    halvex::FakePlatform& platform_;
    std::atomic<bool> stop_{false};
    std::atomic<int> ticks_{0};
    std::thread thread_;
};

TEST_F(HostThreadsTest, ForwardsAndCopiesRaceTheTimerSafely)
{
    ASSERT_EQ(start(), HX_S_OK);
    std::string path = tempPath("race.wav");
    ASSERT_EQ(hx_logOutput(path.c_str()), 0);
    Ticker ticker(platform);
    uint32_t lastRendered = 0;
    for (int i = 0; i < 300; ++i) {
        hx_playSFX(effect.data(), static_cast<int8_t>(1 + i % 100), 127, 127);
        if (i % 50 == 0)
            hx_playMusic(music.data());
        hx_attenMusic(static_cast<int8_t>(i % 128));
        if (i % 7 == 0)
            hx_stopSFX(static_cast<int8_t>(1 + i % 100));
        (void)hx_checkMusic();

        Voice voices[BS_CHANNELS];
        MacroChannel channels[BS_CHANNELS];
        int16_t ring[HX_RING_VALUES];
        int32_t running = 0;
        uint32_t rendered = 0;
        hx_copyState(voices, channels, nullptr, &running, &rendered, ring);
        EXPECT_EQ(running, -1);
        EXPECT_GE(rendered, lastRendered);
        lastRendered = rendered;
        // A copy is taken between two blocks: every busy channel's voice
        // points at its own entry.
        for (int c = 0; c < BS_CHANNELS; ++c)
            if (channels[c].priority != 0) {
                EXPECT_NE(channels[c].voice, nullptr);
            }
        if (i == 150) {
            hx_pause();
            hx_resume();
        }
        // The log is finished and started again while the timer appends.
        if (i == 100)
            hx_closeLog();
        if (i == 200) {
            ASSERT_EQ(hx_logOutput(path.c_str()), 0);
        }
        int32_t live = 0;
        uint32_t liveRendered = 0;
        hx_getState(nullptr, nullptr, nullptr, &live, &liveRendered, nullptr, nullptr);
        EXPECT_EQ(live, -1);
        EXPECT_GE(liveRendered, rendered);
        std::this_thread::yield();
    }
    while (ticker.ticks() < 20)
        std::this_thread::yield();
    ticker.stop();
    hx_close();
    // The second log holds whole blocks, and its header agrees with them.
    std::vector<uint8_t> log = readFile(path);
    ASSERT_GE(log.size(), 44u);
    EXPECT_EQ((log.size() - 44) % kBlock, 0u);
    EXPECT_LE(log.size(), 44u + static_cast<size_t>(blocksRendered()) * kBlock);
    EXPECT_EQ(bs_readU32(log.data() + 40), log.size() - 44);
}

TEST(ThreadTimer, BeatsUntilDestroyed)
{
    struct Count {
        std::atomic<int> beats{0};
    } count;
    auto beat = [](void* context) { static_cast<Count*>(context)->beats.fetch_add(1); };
    {
        halvex::ThreadTimer timer(std::chrono::milliseconds(2), beat, &count);
        ASSERT_EQ(timer.start(), 0u);
        auto deadline = std::chrono::steady_clock::now() + 5s;
        while (count.beats < 5 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(1ms);
    }
    int seen = count.beats;
    EXPECT_GE(seen, 5);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(count.beats, seen);  // none after destruction
}

TEST(ThreadTimer, DestructionWaitsForARunningCallback)
{
    struct Slow {
        Latch entered;
        std::atomic<bool> inside{false};
        std::atomic<bool> finished{false};
        std::atomic<int> calls{0};
    } slow;
    auto beat = [](void* context) {
        Slow* s = static_cast<Slow*>(context);
        if (s->calls.fetch_add(1) > 0)
            return;
        s->inside = true;
        s->entered.open();
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        s->finished = true;
    };
    {
        halvex::ThreadTimer timer(std::chrono::milliseconds(1), beat, &slow);
        ASSERT_EQ(timer.start(), 0u);
        slow.entered.wait();
    }
    EXPECT_TRUE(slow.finished);
}

TEST(ThreadTimer, NotStartedIsDestroyedCleanly)
{
    halvex::ThreadTimer timer(
        std::chrono::milliseconds(4), [](void*) {}, nullptr);
}

}  // namespace
}  // namespace hosttest
