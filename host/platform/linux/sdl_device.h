// Output device on SDL2 audio.  The looping buffer lives here; SDL's audio
// callback takes bytes from it at the device's position and hands them to
// the sound card.  The write cursor is the first byte the callback has not
// taken yet; the play cursor is the start of the last piece it took, which
// the card is playing now.
#ifndef HALVEX_PLATFORM_LINUX_SDL_DEVICE_H
#define HALVEX_PLATFORM_LINUX_SDL_DEVICE_H

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <mutex>

#include "host/platform/platform.h"

namespace halvex {

// Watches what the device takes, for measurements: called on SDL's audio
// thread with the bytes just taken and the count taken before them.
using TakeObserver = void (*)(void* context, const uint8_t* bytes, uint32_t count,
                              uint64_t takenBefore);

class SdlOutputDevice final : public OutputDevice {
public:
    // Frames per audio callback: 5 ms, which SDL's drivers pace exactly.
    static constexpr int kCallbackFrames = 240;

    ~SdlOutputDevice() override;

    // Opens the default device; HX_E_NODEVICE, HX_E_BADFORMAT or
    // HX_E_OUTOFMEMORY on failure, and the reason in SDL_GetError().
    static int32_t open(const OutputFormat& format, uint32_t bufferBytes, SdlOutputDevice** device);

    int32_t position(uint32_t* play, uint32_t* write) override;
    int32_t lock(uint32_t offset, uint32_t bytes, DeviceRegion regions[2]) override;
    int32_t unlock(const DeviceRegion regions[2]) override;
    int32_t setPosition(uint32_t offset) override;
    int32_t play() override;
    int32_t stop() override;

    struct Statistics {
        uint64_t bytesTaken;  // by the callback while playing
        // Blocks the device took that the host had not written in time: taken
        // a second time without having been rewritten, or written before the
        // block taken ahead of them (a block skipped in the stream).
        uint64_t underruns;
    };
    Statistics statistics();
    void setTakeObserver(TakeObserver observer, void* context);

    // Underruns are counted per block of this many bytes (the host's block).
    static constexpr uint32_t kBlockBytes = 800;

private:
    SdlOutputDevice() = default;
    static void SDLCALL callback(void* self, Uint8* stream, int length);
    void take(uint8_t* out, uint32_t count);

    SDL_AudioDeviceID id_ = 0;
    bool subsystemStarted_ = false;
    bool threadRaised_ = false;  // touched only on SDL's audio thread
    std::mutex mutex_;           // guards everything below; held from lock to unlock
    std::unique_ptr<uint8_t[]> buffer_;
    // Per block: the unlock that last wrote it (counting from 1), and
    // whether the device has taken it since.
    std::unique_ptr<uint64_t[]> written_;
    std::unique_ptr<bool[]> taken_;
    uint64_t writes_ = 0;
    uint64_t lastTakenWrite_ = 0;
    uint32_t size_ = 0;
    uint32_t takePosition_ = 0;
    uint32_t lastTake_ = 0;
    bool playing_ = false;
    Statistics statistics_{};
    TakeObserver observer_ = nullptr;
    void* observerContext_ = nullptr;
};

}  // namespace halvex

#endif
