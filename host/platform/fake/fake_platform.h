// A scripted platform for tests: a device whose cursors the test sets, a
// timer that ticks only when the test fires it, and real mutexes.  Every
// operation is recorded in an event log, and each can be made to fail.
#ifndef HALVEX_PLATFORM_FAKE_FAKE_PLATFORM_H
#define HALVEX_PLATFORM_FAKE_FAKE_PLATFORM_H

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "host/platform/platform.h"

namespace halvex {

class FakePlatform;

// Results that a device's operations give (negative: the operation fails).
struct FakeDeviceResults {
    int32_t position = 0;
    int32_t lock = 0;
    int32_t unlock = 0;
    int32_t play = 0;
};

class FakeDevice final : public OutputDevice {
public:
    FakeDevice(FakePlatform& platform, uint32_t bufferBytes);
    ~FakeDevice() override;

    int32_t position(uint32_t* play, uint32_t* write) override;
    int32_t lock(uint32_t offset, uint32_t bytes, DeviceRegion regions[2]) override;
    int32_t unlock(const DeviceRegion regions[2]) override;
    int32_t setPosition(uint32_t offset) override;
    int32_t play() override;
    int32_t stop() override;

    // Set by the test.
    void setCursors(uint32_t play, uint32_t write);
    FakeDeviceResults results;
    // Runs inside lock, before it returns (for example to hold a tick there).
    std::function<void()> onLock;

    // Observed by the test.
    std::vector<uint8_t> buffer;
    bool playing() const { return playing_; }
    int lockCount() const { return lockCount_; }
    uint32_t lastLockOffset() const { return lastLockOffset_; }
    uint32_t lastLockBytes() const { return lastLockBytes_; }

private:
    FakePlatform& platform_;
    std::mutex mutex_;
    uint32_t play_ = 0;
    uint32_t write_ = 0;
    bool playing_ = false;
    int lockCount_ = 0;
    uint32_t lastLockOffset_ = 0;
    uint32_t lastLockBytes_ = 0;
};

class ManualTimer final : public PeriodicTimer {
public:
    ManualTimer(FakePlatform& platform, TimerCallback callback, void* context);
    ~ManualTimer() override;
    // One beat of the timer: runs the callback on the calling thread.
    void fire();

private:
    FakePlatform& platform_;
    TimerCallback callback_;
    void* context_;
};

class FakePlatform final : public Platform {
public:
    bool needsWindow() const override { return requireWindow; }
    int32_t openDevice(void* window, const OutputFormat& format, uint32_t bufferBytes,
                       OutputDevice** device) override;
    uint32_t startTimer(uint32_t periodMs, uint32_t resolutionMs, TimerCallback callback,
                        void* context, PeriodicTimer** timer) override;
    Mutex* createMutex() override;

    // Scripted behaviour.
    bool requireWindow = true;
    int32_t openResult = 0;           // negative: openDevice fails with it
    FakeDeviceResults deviceResults;  // what a newly opened device does
    bool timerFails = false;          // startTimer fails ...
    uint32_t timerError = 0;          // ... with this system code
    int mutexesBeforeFailure = -1;    // >= 0: that many createMutex calls succeed

    // What the host holds now (null when it holds none).
    FakeDevice* device = nullptr;
    ManualTimer* timer = nullptr;
    OutputFormat format{};
    uint32_t bufferBytes = 0;
    int liveMutexes = 0;

    // Fires the current timer; false when there is none.
    bool tick();

    void record(const std::string& event);
    std::vector<std::string> events();
    void clearEvents();

private:
    friend class FakeDevice;
    friend class ManualTimer;
    friend class CountedMutex;
    std::mutex eventsMutex_;
    std::vector<std::string> events_;
};

}  // namespace halvex

#endif
