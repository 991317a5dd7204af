// The Windows backend against the contracts of platform.h: kernel mutexes that
// stay non-recursive, and a multimedia timer whose destruction waits for a
// callback that is running.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "host/platform/windows/kernel_mutex.h"
#include "host/platform/windows/multimedia_timer.h"
#include "host/platform/windows/windows_platform.h"

namespace {

using halvex::KernelMutex;
using halvex::MultimediaTimer;

bool tryFromAnotherThread(KernelMutex& mutex)
{
    bool took = false;
    std::thread([&] {
        took = mutex.tryLock();
        if (took)
            mutex.unlock();
    }).join();
    return took;
}

TEST(KernelMutex, IsNotRecursive)
{
    std::unique_ptr<KernelMutex> mutex(KernelMutex::create());
    ASSERT_NE(mutex, nullptr);
    ASSERT_TRUE(mutex->lock());
    // The holder is refused, whether it waits or not, and one unlock frees it.
    EXPECT_FALSE(mutex->lock());
    EXPECT_FALSE(mutex->tryLock());
    EXPECT_FALSE(tryFromAnotherThread(*mutex));
    mutex->unlock();
    EXPECT_TRUE(tryFromAnotherThread(*mutex));
    // A thread that does not hold it cannot release it for the holder.
    ASSERT_TRUE(mutex->tryLock());
    std::thread([&] { mutex->unlock(); }).join();
    EXPECT_FALSE(tryFromAnotherThread(*mutex));
    mutex->unlock();
}

TEST(KernelMutex, LockWaitsForTheHolder)
{
    std::unique_ptr<KernelMutex> mutex(KernelMutex::create());
    ASSERT_NE(mutex, nullptr);
    ASSERT_TRUE(mutex->lock());
    std::atomic<bool> released{false};
    std::atomic<bool> sawReleased{false};
    std::thread waiter([&] {
        if (mutex->lock()) {
            sawReleased = released.load();
            mutex->unlock();
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    released = true;
    mutex->unlock();
    waiter.join();
    EXPECT_TRUE(sawReleased);
}

struct Beats {
    std::atomic<int> count{0};
    std::atomic<bool> inside{false};
    std::atomic<bool> hold{false};
};

void beat(void* context)
{
    Beats& beats = *static_cast<Beats*>(context);
    beats.inside = true;
    while (beats.hold)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ++beats.count;
    beats.inside = false;
}

TEST(MultimediaTimer, BeatsUntilDestroyedAndWaitsForARunningBeat)
{
    Beats beats;
    uint32_t error = 1;
    std::unique_ptr<MultimediaTimer> timer(MultimediaTimer::start(4, 2, &beat, &beats, &error));
    ASSERT_NE(timer, nullptr) << error;
    EXPECT_EQ(error, 0u);
    // Held inside a beat: destroying the timer must wait for it to finish.
    beats.hold = true;
    while (!beats.inside)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        beats.hold = false;
    });
    timer.reset();
    EXPECT_FALSE(beats.inside);
    const int atDestruction = beats.count;
    EXPECT_GE(atDestruction, 1);
    release.join();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(beats.count, atDestruction);  // no beat after destruction
}

TEST(MultimediaTimer, KeepsBeating)
{
    std::atomic<int> count{0};
    uint32_t error = 0;
    auto start = std::chrono::steady_clock::now();
    std::unique_ptr<MultimediaTimer> timer(MultimediaTimer::start(
        4, 2, [](void* c) { ++*static_cast<std::atomic<int>*>(c); }, &count, &error));
    ASSERT_NE(timer, nullptr) << error;
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    timer.reset();
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    // Periodic, not once: a loose bound that no loaded machine misses.
    EXPECT_GE(count.load(), 5) << count.load() << " beats in " << ms << " ms";
}

TEST(WindowsPlatform, NeedsTheWindow)
{
    EXPECT_TRUE(halvex::defaultPlatform().needsWindow());
}

}  // namespace
