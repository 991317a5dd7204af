#include "host/platform/linux/linux_platform.h"

#include <cerrno>
#include <chrono>
#include <new>

#include "host/platform/linux/inheriting_mutex.h"
#include "host/platform/linux/sdl_device.h"
#include "host/platform/std/thread_timer.h"

namespace halvex {

bool LinuxPlatform::needsWindow() const
{
    return false;
}

int32_t LinuxPlatform::openDevice(void*, const OutputFormat& format, uint32_t bufferBytes,
                                  OutputDevice** device)
{
    SdlOutputDevice* opened = nullptr;
    int32_t result = SdlOutputDevice::open(format, bufferBytes, &opened);
    *device = opened;
    return result;
}

uint32_t LinuxPlatform::startTimer(uint32_t periodMs, uint32_t, TimerCallback callback,
                                   void* context, PeriodicTimer** timer)
{
    *timer = nullptr;
    ThreadTimer* created =
        new (std::nothrow) ThreadTimer(std::chrono::milliseconds(periodMs), callback, context);
    if (!created)
        return ENOMEM;
    uint32_t error = created->start();
    if (error != 0) {
        delete created;
        return error;
    }
    *timer = created;
    return 0;
}

Mutex* LinuxPlatform::createMutex()
{
    return InheritingMutex::create();
}

Platform& defaultPlatform()
{
    static LinuxPlatform platform;
    return platform;
}

}  // namespace halvex
