// The control functions.  None of them touches a channel, voice or track:
// they set flags or queue requests that the next bs_update carries out.
#include "engine/state.h"

namespace brimsel {

namespace {

uint32_t nextSlot(uint32_t index)
{
    return (index + 1) % kQueueSlots;
}

void requestMusic(const Image& image)
{
    if (ready == 0 || image.base == nullptr)
        return;
    stopMusicPending = 1;
    pendingMusic = image;
    startMusicPending = 1;
}

void requestEffect(const Image& image, int8_t priority, int8_t left, int8_t right)
{
    if (ready == 0 || priority == 0 || image.base == nullptr)
        return;
    if (nextSlot(effectQueueWrite) == effectQueueRead)
        return;  // full
    effectQueue[effectQueueWrite] = EffectRequest{image, priority, left, right};
    effectQueueWrite = nextSlot(effectQueueWrite);
}

}  // namespace

}  // namespace brimsel

using namespace brimsel;

extern "C" {

BS_API void bs_playMusic(const uint8_t* music)
{
    requestMusic(Image{music, kUnknownSize});
}

BS_API void bs_playMusicSized(const uint8_t* music, uint32_t size)
{
    requestMusic(Image{music, size});
}

BS_API void bs_stopMusic(void)
{
    if (ready == 0)
        return;
    stopMusicPending = 1;
    // The caller may free a music image once this returns: a start that has
    // not happened yet must not read it.
    startMusicPending = 0;
    pendingMusic = Image{};
}

BS_API void bs_attenMusic(int8_t level)
{
    if (ready == 0)
        return;
    musicAttenuation = level;
    attenuationChanged = 1;
}

BS_API int32_t bs_checkMusic(void)
{
    return ready != 0 ? musicPlaying : 0;
}

BS_API void bs_playSFX(const uint8_t* effect, int8_t priority, int8_t left, int8_t right)
{
    requestEffect(Image{effect, kUnknownSize}, priority, left, right);
}

BS_API void bs_playSFXSized(const uint8_t* effect, uint32_t size, int8_t priority, int8_t left,
                            int8_t right)
{
    requestEffect(Image{effect, size}, priority, left, right);
}

BS_API void bs_stopSFX(int8_t priority)
{
    if (ready == 0 || priority == 0)
        return;
    // Starts of this priority still queued would be stopped in the same tick
    // and never heard; dropping them now means no effect image is read after
    // its stop has returned.
    for (uint32_t i = effectQueueRead; i != effectQueueWrite; i = nextSlot(i))
        if (effectQueue[i].priority == priority)
            effectQueue[i].image = Image{};
    // One pending stop per priority is enough: a second would find nothing.
    for (uint32_t i = stopQueueRead; i != stopQueueWrite; i = nextSlot(i))
        if (stopQueue[i] == priority)
            return;
    if (nextSlot(stopQueueWrite) == stopQueueRead) {
        // The queue is full, but a dropped stop would leave the effect reading
        // an image its caller is about to free: keep it aside instead.
        const uint8_t bit = static_cast<uint8_t>(priority);
        stopOverflow[bit >> 5] |= 1u << (bit & 31);
        return;
    }
    stopQueue[stopQueueWrite] = priority;
    stopQueueWrite = nextSlot(stopQueueWrite);
}

BS_API void bs_pause(void)
{
    paused = -1;
}

BS_API void bs_resume(void)
{
    paused = 0;
}

BS_API void bs_stopAll(void)
{
    if (ready != 0)
        stopAllPending = 1;
}

BS_API void bs_getState(Voice** voiceTable, MacroChannel** channelTable, MusicTrack** trackTable)
{
    if (voiceTable != nullptr)
        *voiceTable = voices;
    if (channelTable != nullptr)
        *channelTable = channels;
    if (trackTable != nullptr)
        *trackTable = tracks;
}

BS_API void bs_getInfo(uint32_t* channelCount, uint32_t* renderRate, uint32_t* tickRate,
                       uint32_t* librarySize, uint32_t* maxSampleLength)
{
    if (channelCount != nullptr)
        *channelCount = BS_CHANNELS;
    if (renderRate != nullptr)
        *renderRate = BS_RENDER_RATE;
    if (tickRate != nullptr)
        *tickRate = BS_TICK_RATE;
    if (librarySize != nullptr)
        *librarySize = BS_LIBRARY_SIZE;
    if (maxSampleLength != nullptr)
        *maxSampleLength = BS_MAX_SAMPLE_LENGTH;
}

}  // extern "C"
