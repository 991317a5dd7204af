#include "host/platform/std/thread_timer.h"

#include <system_error>

#include "host/platform/std/thread_priority.h"

namespace halvex {

ThreadTimer::ThreadTimer(std::chrono::microseconds period, TimerCallback callback, void* context)
    : period_(period), callback_(callback), context_(context)
{
}

ThreadTimer::~ThreadTimer()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        cancelled_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

uint32_t ThreadTimer::start()
{
    // std::thread reports a failed thread creation only by exception; turn it
    // back into the error code that the platform interface promises.
    try {
        thread_ = std::thread(&ThreadTimer::run, this);
    } catch (const std::system_error& error) {
        return static_cast<uint32_t>(error.code().value());
    }
    return 0;
}

void ThreadTimer::run()
{
    raiseThreadPriority();
    using Clock = std::chrono::steady_clock;
    Clock::time_point next = Clock::now() + period_;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (wake_.wait_until(lock, next, [this] { return cancelled_; }))
            return;
        lock.unlock();
        callback_(context_);
        lock.lock();
        next += period_;
        // A callback that ran late does not make up for the beats it missed:
        // the host accounts for elapsed time itself.
        Clock::time_point now = Clock::now();
        if (next < now)
            next = now + period_;
    }
}

}  // namespace halvex
