// The platform on Windows: DirectSound, the multimedia timer and kernel
// mutexes.  DirectSound needs the application's window.
#ifndef HALVEX_PLATFORM_WINDOWS_WINDOWS_PLATFORM_H
#define HALVEX_PLATFORM_WINDOWS_WINDOWS_PLATFORM_H

#include "host/platform/platform.h"

namespace halvex {

class WindowsPlatform : public Platform {
public:
    bool needsWindow() const override;
    int32_t openDevice(void* window, const OutputFormat& format, uint32_t bufferBytes,
                       OutputDevice** device) override;
    uint32_t startTimer(uint32_t periodMs, uint32_t resolutionMs, TimerCallback callback,
                        void* context, PeriodicTimer** timer) override;
    Mutex* createMutex() override;
};

}  // namespace halvex

#endif
