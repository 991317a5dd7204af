// Periodic timer on a std::thread: calls back on a steady schedule and skips
// the beats it has missed instead of firing them in a burst.
#ifndef HALVEX_PLATFORM_STD_THREAD_TIMER_H
#define HALVEX_PLATFORM_STD_THREAD_TIMER_H

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "host/platform/platform.h"

namespace halvex {

class ThreadTimer final : public PeriodicTimer {
public:
    ThreadTimer(std::chrono::microseconds period, TimerCallback callback, void* context);
    // Cancels the timer and waits for a running callback to return.
    ~ThreadTimer() override;

    // Starts the thread; 0 or the system's error code.
    uint32_t start();

private:
    void run();

    std::chrono::microseconds period_;
    TimerCallback callback_;
    void* context_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool cancelled_ = false;
    std::thread thread_;
};

}  // namespace halvex

#endif
