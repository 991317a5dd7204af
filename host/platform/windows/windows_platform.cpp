#include "host/platform/windows/windows_platform.h"

#include "host/platform/windows/directsound_device.h"
#include "host/platform/windows/kernel_mutex.h"
#include "host/platform/windows/multimedia_timer.h"

namespace halvex {

bool WindowsPlatform::needsWindow() const
{
    // SetCooperativeLevel ties the device to a window.
    return true;
}

int32_t WindowsPlatform::openDevice(void* window, const OutputFormat& format,
                                    uint32_t bufferBytes, OutputDevice** device)
{
    DirectSoundDevice* opened = nullptr;
    int32_t result =
        DirectSoundDevice::open(static_cast<HWND>(window), format, bufferBytes, &opened);
    *device = opened;
    return result;
}

uint32_t WindowsPlatform::startTimer(uint32_t periodMs, uint32_t resolutionMs,
                                     TimerCallback callback, void* context,
                                     PeriodicTimer** timer)
{
    uint32_t error = 0;
    *timer = MultimediaTimer::start(periodMs, resolutionMs, callback, context, &error);
    return error;
}

Mutex* WindowsPlatform::createMutex()
{
    return KernelMutex::create();
}

Platform& defaultPlatform()
{
    static WindowsPlatform platform;
    return platform;
}

}  // namespace halvex
