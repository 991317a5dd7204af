// The platform on Linux and other Unix systems: SDL2 audio, a std::thread
// timer and mutexes with priority inheritance.
#ifndef HALVEX_PLATFORM_LINUX_LINUX_PLATFORM_H
#define HALVEX_PLATFORM_LINUX_LINUX_PLATFORM_H

#include "host/platform/platform.h"

namespace halvex {

class LinuxPlatform : public Platform {
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
