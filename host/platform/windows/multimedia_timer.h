// Periodic callback on the multimedia timer, at the timer resolution asked
// for (timeBeginPeriod while the timer lives, timeEndPeriod after).
#ifndef HALVEX_PLATFORM_WINDOWS_MULTIMEDIA_TIMER_H
#define HALVEX_PLATFORM_WINDOWS_MULTIMEDIA_TIMER_H

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "host/platform/platform.h"

namespace halvex {

class MultimediaTimer final : public PeriodicTimer {
public:
    // A started timer, or null with *error the system's error code (0 when it gave none).
    static MultimediaTimer* start(uint32_t periodMs, uint32_t resolutionMs,
                                  TimerCallback callback, void* context, uint32_t* error);
    // Cancels the timer and waits for a callback that is running to return.
    ~MultimediaTimer() override;

private:
    MultimediaTimer(uint32_t resolutionMs, TimerCallback callback, void* context);
    static void CALLBACK beat(UINT id, UINT message, DWORD_PTR self, DWORD_PTR, DWORD_PTR);

    uint32_t resolutionMs_;
    bool periodSet_ = false;
    UINT id_ = 0;
    TimerCallback callback_;
    void* context_;
    std::atomic<bool> cancelled_{false};
    std::atomic<int> inFlight_{0};
};

}  // namespace halvex

#endif
