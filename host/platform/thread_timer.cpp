#include "host/platform/thread_timer.h"

#include <system_error>

#if defined(__unix__)
#  include <pthread.h>
#  include <sched.h>
#  include <sys/resource.h>
#  include <sys/syscall.h>
#  include <unistd.h>
#endif

namespace halvex {

namespace {

// The timer feeds a sound device that holds only a few blocks ahead of its
// play cursor: a beat that comes 12 ms late is heard.  Like the system timer
// threads that other platforms call back on, it asks for real-time
// scheduling, or failing that the highest niceness it may have, and runs at
// normal priority when it is allowed neither.
void raiseThreadPriority()
{
#if defined(__unix__)
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_FIFO) + 10;
    if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0)
        return;
#  if defined(__linux__)
    pid_t thread = static_cast<pid_t>(syscall(SYS_gettid));
    for (int nice = -20; nice < 0; nice += 5)
        if (setpriority(PRIO_PROCESS, static_cast<id_t>(thread), nice) == 0)
            return;
#  endif
#endif
}

} // namespace

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

} // namespace halvex
