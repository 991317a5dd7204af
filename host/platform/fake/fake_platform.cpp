#include "host/platform/fake/fake_platform.h"

#include <cstring>

#include "host/platform/std/std_mutex.h"

namespace halvex {

FakeDevice::FakeDevice(FakePlatform& platform, uint32_t bufferBytes)
    : buffer(bufferBytes, 0xA5), platform_(platform)
{
}

FakeDevice::~FakeDevice()
{
    platform_.record("release");
    if (platform_.device == this)
        platform_.device = nullptr;
}

void FakeDevice::setCursors(uint32_t play, uint32_t write)
{
    std::lock_guard<std::mutex> guard(mutex_);
    play_ = play;
    write_ = write;
}

int32_t FakeDevice::position(uint32_t* play, uint32_t* write)
{
    std::lock_guard<std::mutex> guard(mutex_);
    if (results.position < 0)
        return results.position;
    *play = play_;
    *write = write_;
    return 0;
}

int32_t FakeDevice::lock(uint32_t offset, uint32_t bytes, DeviceRegion regions[2])
{
    {
        std::lock_guard<std::mutex> guard(mutex_);
        ++lockCount_;
        lastLockOffset_ = offset;
        lastLockBytes_ = bytes;
    }
    platform_.record("lock " + std::to_string(offset) + " " + std::to_string(bytes));
    if (onLock)
        onLock();
    if (results.lock < 0)
        return results.lock;
    uint32_t size = static_cast<uint32_t>(buffer.size());
    if (offset >= size || bytes > size)
        return -1;
    uint32_t first = bytes < size - offset ? bytes : size - offset;
    regions[0] = DeviceRegion{buffer.data() + offset, first};
    regions[1] = first < bytes ? DeviceRegion{buffer.data(), bytes - first} : DeviceRegion{};
    return 0;
}

int32_t FakeDevice::unlock(const DeviceRegion[2])
{
    platform_.record("unlock");
    return results.unlock;
}

int32_t FakeDevice::setPosition(uint32_t offset)
{
    platform_.record("setPosition " + std::to_string(offset));
    std::lock_guard<std::mutex> guard(mutex_);
    play_ = offset;
    write_ = offset;
    return 0;
}

int32_t FakeDevice::play()
{
    platform_.record("play");
    std::lock_guard<std::mutex> guard(mutex_);
    if (results.play >= 0)
        playing_ = true;
    return results.play;
}

int32_t FakeDevice::stop()
{
    platform_.record("stop");
    std::lock_guard<std::mutex> guard(mutex_);
    playing_ = false;
    return 0;
}

ManualTimer::ManualTimer(FakePlatform& platform, TimerCallback callback, void* context)
    : platform_(platform), callback_(callback), context_(context)
{
}

ManualTimer::~ManualTimer()
{
    platform_.record("timer cancel");
    if (platform_.timer == this)
        platform_.timer = nullptr;
}

void ManualTimer::fire()
{
    callback_(context_);
}

// A std::mutex that tells the platform when it is created and destroyed.
class CountedMutex final : public Mutex {
public:
    explicit CountedMutex(FakePlatform& platform) : platform_(platform)
    {
        ++platform_.liveMutexes;
        platform_.record("mutex create");
    }
    ~CountedMutex() override
    {
        --platform_.liveMutexes;
        platform_.record("mutex close");
    }
    bool lock() override { return mutex_.lock(); }
    bool tryLock() override { return mutex_.tryLock(); }
    void unlock() override { mutex_.unlock(); }

private:
    FakePlatform& platform_;
    StdMutex mutex_;
};

int32_t FakePlatform::openDevice(void*, const OutputFormat& requested, uint32_t bytes,
                                 OutputDevice** opened)
{
    *opened = nullptr;
    record("open");
    if (openResult < 0)
        return openResult;
    format = requested;
    bufferBytes = bytes;
    device = new FakeDevice(*this, bytes);
    device->results = deviceResults;
    *opened = device;
    return openResult;
}

uint32_t FakePlatform::startTimer(uint32_t periodMs, uint32_t resolutionMs, TimerCallback callback,
                                  void* context, PeriodicTimer** started)
{
    *started = nullptr;
    record("timer start " + std::to_string(periodMs) + " " + std::to_string(resolutionMs));
    if (timerFails)
        return timerError;
    timer = new ManualTimer(*this, callback, context);
    *started = timer;
    return 0;
}

Mutex* FakePlatform::createMutex()
{
    if (mutexesBeforeFailure == 0)
        return nullptr;
    if (mutexesBeforeFailure > 0)
        --mutexesBeforeFailure;
    return new CountedMutex(*this);
}

bool FakePlatform::tick()
{
    if (!timer)
        return false;
    timer->fire();
    return true;
}

void FakePlatform::record(const std::string& event)
{
    std::lock_guard<std::mutex> guard(eventsMutex_);
    events_.push_back(event);
}

std::vector<std::string> FakePlatform::events()
{
    std::lock_guard<std::mutex> guard(eventsMutex_);
    return events_;
}

void FakePlatform::clearEvents()
{
    std::lock_guard<std::mutex> guard(eventsMutex_);
    events_.clear();
}

}  // namespace halvex
