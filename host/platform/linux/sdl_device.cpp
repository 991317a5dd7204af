#include "host/platform/linux/sdl_device.h"

#include <cstring>
#include <new>

#include "host/host.h"
#include "host/platform/std/thread_priority.h"

namespace halvex {

namespace {

// SDL's audio brings up its event loop, which takes SIGINT and SIGTERM from
// a program that keeps their default actions and turns them into quit events
// that nobody here reads: the program would no longer stop on Ctrl+C or a
// kill.  A library leaves its program's signals alone, so SDL is told to
// install no handlers while the audio starts, and the program's own setting
// of that hint, if any, comes back after.
int startAudioWithoutSignalHandlers()
{
    const bool given = SDL_GetHint(SDL_HINT_NO_SIGNAL_HANDLERS) != nullptr;
    const bool value = SDL_GetHintBoolean(SDL_HINT_NO_SIGNAL_HANDLERS, SDL_FALSE);
    SDL_SetHintWithPriority(SDL_HINT_NO_SIGNAL_HANDLERS, "1", SDL_HINT_OVERRIDE);
    int result = SDL_InitSubSystem(SDL_INIT_AUDIO);
    SDL_ResetHint(SDL_HINT_NO_SIGNAL_HANDLERS);
    if (given)
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, value ? "1" : "0");
    return result;
}

}  // namespace

SdlOutputDevice::~SdlOutputDevice()
{
    if (id_ != 0)
        SDL_CloseAudioDevice(id_);  // waits for a running callback
    if (subsystemStarted_)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

int32_t SdlOutputDevice::open(const OutputFormat& format, uint32_t bufferBytes,
                              SdlOutputDevice** device)
{
    *device = nullptr;
    if (format.bitsPerSample != 16 || format.channels == 0 || format.channels > 8 ||
        bufferBytes == 0) {
        SDL_SetError("unsupported output format");
        return HX_E_BADFORMAT;
    }
    std::unique_ptr<SdlOutputDevice> self(new (std::nothrow) SdlOutputDevice);
    if (!self)
        return HX_E_OUTOFMEMORY;
    uint32_t blocks = (bufferBytes + kBlockBytes - 1) / kBlockBytes;
    self->buffer_.reset(new (std::nothrow) uint8_t[bufferBytes]);
    self->written_.reset(new (std::nothrow) uint64_t[blocks]());
    self->taken_.reset(new (std::nothrow) bool[blocks]());
    if (!self->buffer_ || !self->written_ || !self->taken_)
        return HX_E_OUTOFMEMORY;
    std::memset(self->buffer_.get(), 0, bufferBytes);
    self->size_ = bufferBytes;

    if (startAudioWithoutSignalHandlers() != 0)
        return HX_E_NODEVICE;
    self->subsystemStarted_ = true;

    SDL_AudioSpec want;
    SDL_zero(want);
    want.freq = static_cast<int>(format.frameRate);
    want.format = AUDIO_S16LSB;
    want.channels = static_cast<Uint8>(format.channels);
    want.samples = kCallbackFrames;
    want.callback = &SdlOutputDevice::callback;
    want.userdata = self.get();
    SDL_AudioSpec have;
    // No changes allowed: SDL converts to whatever the card wants, and the
    // callback always sees our format and block size.
    self->id_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (self->id_ == 0)
        return HX_E_NODEVICE;
    *device = self.release();
    return HX_S_OK;
}

void SDLCALL SdlOutputDevice::callback(void* self, Uint8* stream, int length)
{
    SdlOutputDevice* device = static_cast<SdlOutputDevice*>(self);
    // SDL's audio thread at the priority SDL gives it wakes late under load,
    // and the host then has to write further ahead for the rest of the
    // session: it is scheduled as the timer thread is, from its first call.
    if (!device->threadRaised_) {
        raiseThreadPriority();
        device->threadRaised_ = true;
    }
    device->take(stream, static_cast<uint32_t>(length));
}

void SdlOutputDevice::take(uint8_t* out, uint32_t count)
{
    std::lock_guard<std::mutex> guard(mutex_);
    if (!playing_) {
        std::memset(out, 0, count);
        return;
    }
    uint64_t takenBefore = statistics_.bytesTaken;
    uint32_t done = 0;
    while (done < count) {
        uint32_t piece = count - done;
        if (piece > size_ - takePosition_)
            piece = size_ - takePosition_;
        // Blocks are written in the order the device takes them, so a block
        // whose first byte is taken now must have been written since the
        // device last took it, and no earlier than the block before it;
        // otherwise the card plays old audio.
        uint32_t first = (takePosition_ + kBlockBytes - 1) / kBlockBytes;
        uint32_t end = (takePosition_ + piece + kBlockBytes - 1) / kBlockBytes;
        for (uint32_t block = first; block < end; ++block) {
            if (taken_[block] || written_[block] < lastTakenWrite_)
                ++statistics_.underruns;
            taken_[block] = true;
            lastTakenWrite_ = written_[block];
        }
        std::memcpy(out + done, buffer_.get() + takePosition_, piece);
        done += piece;
        takePosition_ = (takePosition_ + piece) % size_;
    }
    lastTake_ = count < size_ ? count : size_;
    statistics_.bytesTaken += count;
    if (observer_)
        observer_(observerContext_, out, count, takenBefore);
}

int32_t SdlOutputDevice::position(uint32_t* play, uint32_t* write)
{
    std::lock_guard<std::mutex> guard(mutex_);
    *write = takePosition_;
    *play = (takePosition_ + size_ - lastTake_) % size_;
    return HX_S_OK;
}

int32_t SdlOutputDevice::lock(uint32_t offset, uint32_t bytes, DeviceRegion regions[2])
{
    if (offset >= size_ || bytes == 0 || bytes > size_)
        return HX_E_FAIL;
    // Held until unlock, so that the callback never takes a half-written block.
    mutex_.lock();
    uint32_t first = bytes < size_ - offset ? bytes : size_ - offset;
    regions[0] = DeviceRegion{buffer_.get() + offset, first};
    regions[1] = first < bytes ? DeviceRegion{buffer_.get(), bytes - first} : DeviceRegion{};
    return HX_S_OK;
}

int32_t SdlOutputDevice::unlock(const DeviceRegion regions[2])
{
    ++writes_;
    for (int i = 0; i < 2; ++i) {
        if (regions[i].data == nullptr || regions[i].bytes == 0)
            continue;
        uint32_t offset = static_cast<uint32_t>(regions[i].data - buffer_.get());
        for (uint32_t block = offset / kBlockBytes;
             block * kBlockBytes < offset + regions[i].bytes; ++block) {
            written_[block] = writes_;
            taken_[block] = false;
        }
    }
    mutex_.unlock();
    return HX_S_OK;
}

int32_t SdlOutputDevice::setPosition(uint32_t offset)
{
    if (offset >= size_)
        return HX_E_FAIL;
    std::lock_guard<std::mutex> guard(mutex_);
    takePosition_ = offset;
    lastTake_ = 0;
    return HX_S_OK;
}

int32_t SdlOutputDevice::play()
{
    {
        std::lock_guard<std::mutex> guard(mutex_);
        playing_ = true;
    }
    SDL_PauseAudioDevice(id_, 0);
    return HX_S_OK;
}

int32_t SdlOutputDevice::stop()
{
    {
        std::lock_guard<std::mutex> guard(mutex_);
        playing_ = false;
    }
    SDL_PauseAudioDevice(id_, 1);
    return HX_S_OK;
}

SdlOutputDevice::Statistics SdlOutputDevice::statistics()
{
    std::lock_guard<std::mutex> guard(mutex_);
    return statistics_;
}

void SdlOutputDevice::setTakeObserver(TakeObserver observer, void* context)
{
    std::lock_guard<std::mutex> guard(mutex_);
    observer_ = observer;
    observerContext_ = context;
}

}  // namespace halvex
