// The services the host needs from the operating system, behind interfaces of
// our own: a sound output device that plays a looping buffer, a periodic
// timer, and mutexes.  Each platform implements them once (SDL2 and std::thread
// on Linux; DirectSound, the multimedia timer and kernel mutexes on Windows);
// tests use a scripted device and a timer they fire by hand.  The host's own
// code sees only these interfaces.
//
// Results are HRESULTs as in host.h: negative on failure.
#ifndef HALVEX_PLATFORM_PLATFORM_H
#define HALVEX_PLATFORM_PLATFORM_H

#include <cstdint>

namespace halvex {

// PCM format of the device and of the looping buffer.
struct OutputFormat {
    uint32_t frameRate;      // frames per second
    uint16_t channels;       // interleaved, left first
    uint16_t bitsPerSample;  // signed little-endian samples
};

// A writable part of the looping buffer, handed out by OutputDevice::lock.
struct DeviceRegion {
    uint8_t* data = nullptr;
    uint32_t bytes = 0;
};

// A sound device playing a looping buffer of a fixed size.  Offsets are byte
// offsets into that buffer.  The device reads the buffer at its play cursor;
// the bytes from the play cursor up to the write cursor are already on their
// way to the speaker and must not be written.  Everything from the write
// cursor on may be written between lock and unlock.  The host calls position,
// lock, unlock and stop from two threads, so implementations serialise them.
// Destroying the device stops it and releases it.
class OutputDevice {
public:
    virtual ~OutputDevice() = default;
    // The play cursor and the write cursor.
    virtual int32_t position(uint32_t* play, uint32_t* write) = 0;
    // Makes `bytes` bytes at `offset` writable.  The range may run past the
    // end of the buffer: the part from its start is then the second region.
    virtual int32_t lock(uint32_t offset, uint32_t bytes, DeviceRegion regions[2]) = 0;
    // Hands back the regions of the last lock; the device plays them from now on.
    virtual int32_t unlock(const DeviceRegion regions[2]) = 0;
    // Moves the play cursor (used only before play).
    virtual int32_t setPosition(uint32_t offset) = 0;
    // Plays the buffer in a loop, from the play cursor on.
    virtual int32_t play() = 0;
    virtual int32_t stop() = 0;
};

using TimerCallback = void (*)(void* context);

// A periodic callback on a thread of the platform's.  Destroying the timer
// cancels it and waits for a callback that is running to return.  hx_close
// frees the mutexes and the device soon after, and its wait for tickMutex
// covers only a callback that already holds it, not one just entered.
class PeriodicTimer {
public:
    virtual ~PeriodicTimer() = default;
};

// A non-recursive mutex.  lock waits without limit; both lock and tryLock
// report whether the mutex is now held by the caller.
class Mutex {
public:
    virtual ~Mutex() = default;
    virtual bool lock() = 0;
    virtual bool tryLock() = 0;
    virtual void unlock() = 0;
};

// Creates the services.  One platform object lives for the whole process.
class Platform {
public:
    virtual ~Platform() = default;
    // Whether openDevice needs the application's window.
    virtual bool needsWindow() const = 0;
    // Opens the default output device in `format` with a looping buffer of
    // `bufferBytes` bytes, stopped, at offset 0.  On failure *device stays null.
    virtual int32_t openDevice(void* window, const OutputFormat& format, uint32_t bufferBytes,
                               OutputDevice** device) = 0;
    // Starts calling `callback` every `periodMs` milliseconds, within
    // `resolutionMs`.  On failure *timer stays null and the result is the
    // system's error code (0 when it gave none).
    virtual uint32_t startTimer(uint32_t periodMs, uint32_t resolutionMs, TimerCallback callback,
                                void* context, PeriodicTimer** timer) = 0;
    // A new unowned mutex, or null.
    virtual Mutex* createMutex() = 0;
};

// The platform this build runs on (chosen at build time).
Platform& defaultPlatform();

}  // namespace halvex

#endif
