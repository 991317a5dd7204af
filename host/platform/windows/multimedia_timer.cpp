#include "host/platform/windows/multimedia_timer.h"

#include <mmsystem.h>

#include <new>

namespace halvex {

MultimediaTimer::MultimediaTimer(uint32_t resolutionMs, TimerCallback callback, void* context)
    : resolutionMs_(resolutionMs), callback_(callback), context_(context)
{
}

MultimediaTimer* MultimediaTimer::start(uint32_t periodMs, uint32_t resolutionMs,
                                        TimerCallback callback, void* context, uint32_t* error)
{
    *error = 0;
    MultimediaTimer* timer = new (std::nothrow) MultimediaTimer(resolutionMs, callback, context);
    if (timer == nullptr) {
        *error = ERROR_NOT_ENOUGH_MEMORY;
        return nullptr;
    }
    timer->periodSet_ = timeBeginPeriod(resolutionMs) == TIMERR_NOERROR;
    SetLastError(0);
    // TIME_KILL_SYNCHRONOUS: no beat starts once timeKillEvent has returned.
    // Systems that do not know the flag refuse it; they get the plain timer.
    const DWORD_PTR self = reinterpret_cast<DWORD_PTR>(timer);
    timer->id_ = timeSetEvent(periodMs, resolutionMs, &MultimediaTimer::beat, self,
                              TIME_PERIODIC | TIME_KILL_SYNCHRONOUS);
    if (timer->id_ == 0)
        timer->id_ = timeSetEvent(periodMs, resolutionMs, &MultimediaTimer::beat, self,
                                  TIME_PERIODIC);
    if (timer->id_ == 0) {
        *error = GetLastError();
        delete timer;
        return nullptr;
    }
    return timer;
}

// timeKillEvent stops further beats but does not wait for one that is
// running on the timer's thread, and the host frees what that beat uses
// right after.  So every beat counts itself in before it looks at anything
// and out when it is done, and the destructor, once the timer is killed,
// waits until none is left.  A beat that comes in after the kill finds the
// timer cancelled and calls nothing.
void CALLBACK MultimediaTimer::beat(UINT, UINT, DWORD_PTR self, DWORD_PTR, DWORD_PTR)
{
    MultimediaTimer* timer = reinterpret_cast<MultimediaTimer*>(self);
    timer->inFlight_.fetch_add(1);
    if (!timer->cancelled_.load())
        timer->callback_(timer->context_);
    timer->inFlight_.fetch_sub(1);
}

MultimediaTimer::~MultimediaTimer()
{
    cancelled_.store(true);
    if (id_ != 0)
        timeKillEvent(id_);
    while (inFlight_.load() != 0)
        Sleep(1);
    if (periodSet_)
        timeEndPeriod(resolutionMs_);
}

}  // namespace halvex
