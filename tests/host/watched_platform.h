// The Linux platform, keeping hold of the SDL device it opens so that a test
// or a measurement can read the device's own statistics.
#ifndef HALVEX_TESTS_WATCHED_PLATFORM_H
#define HALVEX_TESTS_WATCHED_PLATFORM_H

#include "host/platform/linux/linux_platform.h"
#include "host/platform/linux/sdl_device.h"

namespace hosttest {

class WatchedPlatform final : public halvex::LinuxPlatform {
public:
    int32_t openDevice(void* window, const halvex::OutputFormat& format, uint32_t bufferBytes,
                       halvex::OutputDevice** device) override
    {
        int32_t result = LinuxPlatform::openDevice(window, format, bufferBytes, device);
        opened = static_cast<halvex::SdlOutputDevice*>(*device);
        return result;
    }
    halvex::SdlOutputDevice* opened = nullptr;
};

}  // namespace hosttest

#endif
