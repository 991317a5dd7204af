#include "host/platform/windows/directsound_device.h"

#include <cstring>
#include <memory>
#include <new>

namespace halvex {

namespace {

// Holds a critical section for a scope.
class Entered {
public:
    explicit Entered(CRITICAL_SECTION& section) : section_(section) { EnterCriticalSection(&section_); }
    ~Entered() { LeaveCriticalSection(&section_); }
    Entered(const Entered&) = delete;
    Entered& operator=(const Entered&) = delete;

private:
    CRITICAL_SECTION& section_;
};

// The looping buffer: its position is read with the play cursor that the
// device really plays from (GETCURRENTPOSITION2), it plays on when another
// program has the focus, and it may carry position notifications.
constexpr DWORD kSecondaryFlags =
    DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_GLOBALFOCUS | DSBCAPS_CTRLPOSITIONNOTIFY;  // 0x18100
static_assert(kSecondaryFlags == 0x18100);

WAVEFORMATEX waveFormat(const OutputFormat& format)
{
    WAVEFORMATEX wave{};
    wave.wFormatTag = WAVE_FORMAT_PCM;
    wave.nChannels = format.channels;
    wave.nSamplesPerSec = format.frameRate;
    wave.wBitsPerSample = format.bitsPerSample;
    wave.nBlockAlign = static_cast<WORD>(format.channels * format.bitsPerSample / 8);
    wave.nAvgBytesPerSec = format.frameRate * wave.nBlockAlign;
    wave.cbSize = 0;
    return wave;
}

}  // namespace

DirectSoundDevice::DirectSoundDevice()
{
    InitializeCriticalSection(&section_);
}

DirectSoundDevice::~DirectSoundDevice()
{
    if (buffer_ != nullptr) {
        buffer_->Stop();
        buffer_->Release();
    }
    if (primary_ != nullptr)
        primary_->Release();
    if (sound_ != nullptr)
        sound_->Release();
    DeleteCriticalSection(&section_);
}

int32_t DirectSoundDevice::open(HWND window, const OutputFormat& format, uint32_t bufferBytes,
                                DirectSoundDevice** device)
{
    *device = nullptr;
    std::unique_ptr<DirectSoundDevice> self(new (std::nothrow) DirectSoundDevice);
    if (!self)
        return E_OUTOFMEMORY;
    HRESULT result = DirectSoundCreate(nullptr, &self->sound_, nullptr);
    if (FAILED(result))
        return result;
    result = self->sound_->SetCooperativeLevel(window, DSSCL_PRIORITY);
    if (FAILED(result))
        return result;

    DSBUFFERDESC primary{};
    primary.dwSize = sizeof primary;
    primary.dwFlags = DSBCAPS_PRIMARYBUFFER;
    result = self->sound_->CreateSoundBuffer(&primary, &self->primary_, nullptr);
    if (FAILED(result))
        return result;
    WAVEFORMATEX wave = waveFormat(format);
    result = self->primary_->SetFormat(&wave);
    if (FAILED(result))
        return result;

    DSBUFFERDESC secondary{};
    secondary.dwSize = sizeof secondary;
    secondary.dwFlags = kSecondaryFlags;
    secondary.dwBufferBytes = bufferBytes;
    secondary.lpwfxFormat = &wave;
    result = self->sound_->CreateSoundBuffer(&secondary, &self->buffer_, nullptr);
    if (FAILED(result))
        return result;
    self->size_ = bufferBytes;
    *device = self.release();
    return result;
}

DirectSoundDevice* DirectSoundDevice::adopt(IDirectSoundBuffer* buffer, uint32_t bufferBytes)
{
    DirectSoundDevice* device = new (std::nothrow) DirectSoundDevice;
    if (device != nullptr) {
        device->buffer_ = buffer;
        device->size_ = bufferBytes;
    }
    return device;
}

int32_t DirectSoundDevice::position(uint32_t* play, uint32_t* write)
{
    Entered entered(section_);
    DWORD playCursor = 0;
    DWORD writeCursor = 0;
    HRESULT result = buffer_->GetCurrentPosition(&playCursor, &writeCursor);
    if (SUCCEEDED(result)) {
        *play = playCursor;
        *write = writeCursor;
    }
    return result;
}

int32_t DirectSoundDevice::lock(uint32_t offset, uint32_t bytes, DeviceRegion regions[2])
{
    Entered entered(section_);
    void* first = nullptr;
    void* second = nullptr;
    DWORD firstBytes = 0;
    DWORD secondBytes = 0;
    const DWORD flags = offset == 0 && bytes == size_ ? DSBLOCK_ENTIREBUFFER : 0;
    HRESULT result =
        buffer_->Lock(offset, bytes, &first, &firstBytes, &second, &secondBytes, flags);
    if (result == DSERR_BUFFERLOST && SUCCEEDED(restore()))
        result = buffer_->Lock(offset, bytes, &first, &firstBytes, &second, &secondBytes, flags);
    if (FAILED(result))
        return result;
    regions[0] = DeviceRegion{static_cast<uint8_t*>(first), firstBytes};
    regions[1] = DeviceRegion{static_cast<uint8_t*>(second), secondBytes};
    return result;
}

int32_t DirectSoundDevice::unlock(const DeviceRegion regions[2])
{
    Entered entered(section_);
    return buffer_->Unlock(regions[0].data, regions[0].bytes, regions[1].data, regions[1].bytes);
}

int32_t DirectSoundDevice::setPosition(uint32_t offset)
{
    Entered entered(section_);
    return buffer_->SetCurrentPosition(offset);
}

int32_t DirectSoundDevice::play()
{
    Entered entered(section_);
    HRESULT result = buffer_->Play(0, 0, DSBPLAY_LOOPING);
    if (result == DSERR_BUFFERLOST) {
        playing_ = true;  // so that the restored buffer is played
        result = restore();
    }
    playing_ = SUCCEEDED(result);
    return result;
}

int32_t DirectSoundDevice::stop()
{
    Entered entered(section_);
    playing_ = false;
    return buffer_->Stop();
}

// DirectSound takes a buffer's memory away when another program opens the
// device exclusively.  Left lost, every later Lock fails and the host stays
// silent for good.  Restored here, the buffer comes back filled with silence
// and plays on: the host hears silence until the play cursor reaches the
// blocks that the next ticks write (the cursor may stand anywhere after the
// restore, so that is up to one pass of the buffer, about 267 ms, while the
// tick waits for the cursor to come round), and the stream then goes on
// where the engine is; the blocks that were in the buffer are not heard.
HRESULT DirectSoundDevice::restore()
{
    HRESULT result = buffer_->Restore();
    if (FAILED(result))
        return result;  // still lost (the other program holds the device): try at the next tick
    ++restores_;
    void* first = nullptr;
    void* second = nullptr;
    DWORD firstBytes = 0;
    DWORD secondBytes = 0;
    result = buffer_->Lock(0, size_, &first, &firstBytes, &second, &secondBytes,
                           DSBLOCK_ENTIREBUFFER);
    if (FAILED(result))
        return result;
    if (first != nullptr)
        std::memset(first, 0, firstBytes);
    if (second != nullptr)
        std::memset(second, 0, secondBytes);
    result = buffer_->Unlock(first, firstBytes, second, secondBytes);
    if (FAILED(result))
        return result;
    return playing_ ? buffer_->Play(0, 0, DSBPLAY_LOOPING) : result;
}

}  // namespace halvex
