// The control surface: forwards into the engine under engineMutex, and the
// state and information queries.
#include <cstring>

#include "host/host.h"
#include "host/host_state.h"

using namespace halvex;

namespace {

// Holds engineMutex for one forward, if the host runs and the wait succeeds.
class EngineCall {
public:
    EngineCall()
    {
        HostState& host = hostState();
        if (host.running && host.engineMutex != nullptr && host.engineMutex->lock())
            mutex_ = host.engineMutex;
    }
    ~EngineCall()
    {
        if (mutex_ != nullptr)
            mutex_->unlock();
    }
    EngineCall(const EngineCall&) = delete;
    EngineCall& operator=(const EngineCall&) = delete;

    explicit operator bool() const { return mutex_ != nullptr; }

private:
    Mutex* mutex_ = nullptr;
};

}  // namespace

extern "C" {

HX_API void hx_pause(void)
{
    if (EngineCall call{})
        bs_pause();
}

HX_API void hx_resume(void)
{
    if (EngineCall call{})
        bs_resume();
}

HX_API void hx_stopAll(void)
{
    if (EngineCall call{})
        bs_stopAll();
}

HX_API void hx_playMusic(const uint8_t* music)
{
    if (EngineCall call{})
        bs_playMusic(music);
}

HX_API void hx_playMusicSized(const uint8_t* music, uint32_t size)
{
    if (EngineCall call{})
        bs_playMusicSized(music, size);
}

HX_API void hx_stopMusic(void)
{
    if (EngineCall call{})
        bs_stopMusic();
}

HX_API void hx_attenMusic(int8_t level)
{
    if (EngineCall call{})
        bs_attenMusic(level);
}

HX_API int32_t hx_checkMusic(void)
{
    if (EngineCall call{})
        return bs_checkMusic();
    return 0;
}

HX_API void hx_playSFX(const uint8_t* effect, int8_t priority, int8_t left, int8_t right)
{
    // Priority 0 would mean "idle": not even worth the mutex.
    if (priority == 0 || !hostState().running)
        return;
    if (EngineCall call{})
        bs_playSFX(effect, priority, left, right);
}

HX_API void hx_playSFXSized(const uint8_t* effect, uint32_t size, int8_t priority, int8_t left,
                            int8_t right)
{
    if (priority == 0 || !hostState().running)
        return;
    if (EngineCall call{})
        bs_playSFXSized(effect, size, priority, left, right);
}

HX_API void hx_stopSFX(int8_t priority)
{
    if (EngineCall call{})
        bs_stopSFX(priority);
}

HX_API void hx_getState(void** voices, void** channels, void** tracks, int32_t* running,
                        uint32_t* blocksRendered, int16_t** ring, uint32_t* ringLength)
{
    HostState& host = hostState();
    Voice* voiceTable = nullptr;
    MacroChannel* channelTable = nullptr;
    MusicTrack* trackTable = nullptr;
    bs_getState(voices ? &voiceTable : nullptr, channels ? &channelTable : nullptr,
                tracks ? &trackTable : nullptr);
    if (voices)
        *voices = voiceTable;
    if (channels)
        *channels = channelTable;
    if (tracks)
        *tracks = trackTable;
    if (running)
        *running = host.running;
    if (blocksRendered)
        *blocksRendered = host.blocksRendered.load(std::memory_order_relaxed);
    if (ring)
        *ring = host.renderRing;
    if (ringLength)
        *ringLength = HX_RING_VALUES;
}

HX_API void hx_copyState(Voice* voices, MacroChannel* channels, MusicTrack* tracks,
                         int32_t* running, uint32_t* blocksRendered, int16_t* ring)
{
    HostState& host = hostState();
    // While the host runs the timer renders under engineMutex; when it is
    // closed nothing renders and the tables hold still.
    Mutex* engineMutex = host.engineMutex;
    bool held = engineMutex != nullptr && engineMutex->lock();

    Voice* voiceTable = nullptr;
    MacroChannel* channelTable = nullptr;
    MusicTrack* trackTable = nullptr;
    bs_getState(&voiceTable, &channelTable, &trackTable);
    if (voices && voiceTable)
        std::memcpy(voices, voiceTable, BS_CHANNELS * sizeof(Voice));
    if (channels && channelTable)
        std::memcpy(channels, channelTable, BS_CHANNELS * sizeof(MacroChannel));
    if (tracks && trackTable)
        std::memcpy(tracks, trackTable, BS_CHANNELS * sizeof(MusicTrack));
    if (running)
        *running = host.running;
    if (blocksRendered)
        *blocksRendered = host.blocksRendered.load(std::memory_order_relaxed);
    if (ring)
        std::memcpy(ring, host.renderRing, sizeof host.renderRing);

    if (held)
        engineMutex->unlock();
}

HX_API int32_t hx_getInfo(uint32_t* channels, uint32_t* renderRate, uint32_t* tickRate,
                          uint32_t* librarySize, uint32_t* maxSampleLength)
{
    uint32_t values[5] = {};
    bs_getInfo(&values[0], &values[1], &values[2], &values[3], &values[4]);
    uint32_t* targets[5] = {channels, renderRate, tickRate, librarySize, maxSampleLength};
    for (int i = 0; i < 5; ++i)
        if (targets[i])
            *targets[i] = values[i];
    // The fixed 800-byte block and the 48000 Hz device rest on these three.
    bool matches = values[0] == BS_CHANNELS && values[1] == BS_RENDER_RATE &&
                   values[2] == BS_TICK_RATE;
    return matches ? 0 : -1;
}

HX_API const char* hx_resultText(HXRESULT result)
{
    switch (result) {
    case HX_E_FAIL:
        return "the packs were refused or the host could not start";
    case HX_E_OUTOFMEMORY:
        return "out of memory";
    case HX_E_NODEVICE:
        return "no sound output device could be opened";
    case HX_E_BADFORMAT:
        return "the sound device does not accept 48000 Hz 16-bit stereo";
    case HX_E_ALLOCATED:
        return "the sound device is in use by another program";
    default:
        break;
    }
    if (HX_SUCCEEDED(result))
        return "success";
    if ((static_cast<uint32_t>(result) & 0xFFFF0000u) == 0x80070000u)
        return "the system refused a resource (timer or thread)";
    return "the sound device failed";
}

}  // extern "C"
