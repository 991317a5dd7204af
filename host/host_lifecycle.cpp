// hx_init and hx_close: bringing the engine, the device, the mutexes and the
// timer up in order, and down again in the order that lets a running tick
// finish first.
#include <cstring>
#include <new>

#include "host/host.h"
#include "host/host_start.h"
#include "host/host_state.h"

namespace halvex {

HostState& hostState()
{
    // Built in place and never destroyed (see host_state.h).
    alignas(HostState) static unsigned char storage[sizeof(HostState)];
    static HostState* state = new (storage) HostState;
    return *state;
}

namespace {

// The two packs as the caller gave them, with their sizes when known.
struct Packs {
    const uint8_t* samples;
    uint32_t samplesSize;
    const uint8_t* instruments;
    uint32_t instrumentsSize;
    bool sized;
};

HXRESULT fail(HXRESULT result)
{
    hx_close();
    return result;
}

HXRESULT start(Platform& platform, void* window, const Packs& packs)
{
    HostState& host = hostState();
    // A running host would otherwise leak its device, its mutexes and a
    // second timer that keeps rendering into the same ring.
    hx_close();

    host.running = 0;
    host.lastPlayPos = 0;
    host.blocksRendered = 0;
    host.guardMoves = 0;
    host.logFile = nullptr;
    host.logging = 0;
    host.logBytes = 0;
    host.logStop = HX_LOG_COMPLETE;
    host.logError = 0;
    host.logBlocks = 0;
    host.logPath.clear();

    if ((platform.needsWindow() && window == nullptr) || packs.samples == nullptr ||
        packs.instruments == nullptr)
        return fail(HX_E_FAIL);

    int32_t engine = packs.sized ? bs_initSized(packs.samples, packs.samplesSize,
                                                packs.instruments, packs.instrumentsSize)
                                 : bs_init(packs.samples, packs.instruments);
    if (engine != 0)
        return fail(HX_E_FAIL);

    OutputDevice* device = nullptr;
    HXRESULT result = platform.openDevice(window, kOutputFormat, kBufferBytes, &device);
    if (HX_FAILED(result) || device == nullptr) {
        delete device;
        return fail(HX_FAILED(result) ? result : HX_E_FAIL);
    }
    host.device = device;

    std::memset(host.renderRing, 0, sizeof host.renderRing);

    DeviceRegion regions[2];
    result = device->lock(0, kBufferBytes, regions);
    if (HX_FAILED(result))
        return fail(result);
    for (const DeviceRegion& region : regions)
        if (region.data != nullptr)
            std::memset(region.data, 0, region.bytes);
    result = device->unlock(regions);
    if (HX_FAILED(result))
        return fail(result);

    device->setPosition(0);
    host.firstTick = -1;

    host.tickMutex = platform.createMutex();
    if (host.tickMutex == nullptr)
        return fail(HX_E_FAIL);
    host.engineMutex = platform.createMutex();
    if (host.engineMutex == nullptr)
        return fail(HX_E_FAIL);

    HXRESULT played = device->play();
    if (HX_FAILED(played))
        return fail(played);

    PeriodicTimer* timer = nullptr;
    uint32_t error =
        platform.startTimer(kTimerPeriodMs, kTimerResolutionMs, &onTimerTick, nullptr, &timer);
    if (timer == nullptr) {
        // Without a timer nothing would ever render: that is a failure even
        // when the system gave no reason.
        return fail(error != 0 ? HX_E_SYSTEM(error) : HX_E_FAIL);
    }
    host.timer = timer;

    host.running = -1;
    return played;
}

}  // namespace

HXRESULT initHost(Platform& platform, void* window, const uint8_t* samplePack,
                  const uint8_t* instrumentPack)
{
    return start(platform, window, Packs{samplePack, 0, instrumentPack, 0, false});
}

HXRESULT initHostSized(Platform& platform, void* window, const uint8_t* samplePack,
                       uint32_t samplePackSize, const uint8_t* instrumentPack,
                       uint32_t instrumentPackSize)
{
    return start(platform, window,
                 Packs{samplePack, samplePackSize, instrumentPack, instrumentPackSize, true});
}

}  // namespace halvex

using namespace halvex;

extern "C" HX_API HXRESULT hx_init(void* window, const uint8_t* samplePack,
                                   const uint8_t* instrumentPack)
{
    return initHost(defaultPlatform(), window, samplePack, instrumentPack);
}

extern "C" HX_API HXRESULT hx_initSized(void* window, const uint8_t* samplePack,
                                        uint32_t samplePackSize, const uint8_t* instrumentPack,
                                        uint32_t instrumentPackSize)
{
    return initHostSized(defaultPlatform(), window, samplePack, samplePackSize, instrumentPack,
                         instrumentPackSize);
}

extern "C" HX_API void hx_close(void)
{
    HostState& host = hostState();
    host.running = 0;
    if (host.device != nullptr)
        host.device->stop();
    if (host.timer != nullptr) {
        delete host.timer;
        host.timer = nullptr;
    }
    hx_closeLog();

    // A tick that is still running finishes before anything it uses goes;
    // no later tick can start once the timer is gone.
    bool tickHeld = host.tickMutex != nullptr && host.tickMutex->lock();
    bool engineHeld = host.engineMutex != nullptr && host.engineMutex->lock();

    delete host.device;
    host.device = nullptr;

    if (host.engineMutex != nullptr) {
        if (engineHeld)
            host.engineMutex->unlock();
        delete host.engineMutex;
        host.engineMutex = nullptr;
    }
    if (host.tickMutex != nullptr) {
        if (tickHeld)
            host.tickMutex->unlock();
        delete host.tickMutex;
        host.tickMutex = nullptr;
    }
}
