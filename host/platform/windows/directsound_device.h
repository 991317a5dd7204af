// Output device on DirectSound: the default device at priority level, its
// primary buffer set to the output format, and a looping secondary buffer
// that the host writes between the cursors DirectSound reports.
#ifndef HALVEX_PLATFORM_WINDOWS_DIRECTSOUND_DEVICE_H
#define HALVEX_PLATFORM_WINDOWS_DIRECTSOUND_DEVICE_H

#include <windows.h>

#include <dsound.h>

#include <cstdint>

#include "host/platform/platform.h"

namespace halvex {

class DirectSoundDevice final : public OutputDevice {
public:
    // Opens the default device for `window`; DirectSound's result on failure.
    static int32_t open(HWND window, const OutputFormat& format, uint32_t bufferBytes,
                        DirectSoundDevice** device);
    // A device on a looping buffer of `bufferBytes` bytes made elsewhere (the
    // tests' scripted one); it takes over the caller's reference.  Null when
    // there is no memory.
    static DirectSoundDevice* adopt(IDirectSoundBuffer* buffer, uint32_t bufferBytes);
    // Stops the buffer and releases the secondary buffer, the primary buffer
    // and the device, in that order.
    ~DirectSoundDevice() override;

    int32_t position(uint32_t* play, uint32_t* write) override;
    int32_t lock(uint32_t offset, uint32_t bytes, DeviceRegion regions[2]) override;
    int32_t unlock(const DeviceRegion regions[2]) override;
    int32_t setPosition(uint32_t offset) override;
    int32_t play() override;
    int32_t stop() override;

    // Times a lost buffer was restored (for tests and measurements).
    uint32_t restores() const { return restores_; }

private:
    DirectSoundDevice();
    // Gets a lost buffer back: restores it, fills it with silence and, if it
    // was playing, plays it again.  Called with section_ held.
    HRESULT restore();

    CRITICAL_SECTION section_;
    IDirectSound* sound_ = nullptr;
    IDirectSoundBuffer* primary_ = nullptr;
    IDirectSoundBuffer* buffer_ = nullptr;
    uint32_t size_ = 0;
    bool playing_ = false;
    uint32_t restores_ = 0;
};

}  // namespace halvex

#endif
