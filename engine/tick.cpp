// bs_update: one tick.  Applies the requests posted since the last tick in a
// fixed order, steps the music, runs the channels and mixes the voices.
#include <cstring>

#include "engine/effects.h"
#include "engine/macro.h"
#include "engine/mixer.h"
#include "engine/music.h"
#include "engine/state.h"

namespace brimsel {

namespace {

MixBuffer mix;

void applyStops()
{
    if (stopMusicPending != 0 || stopAllPending != 0)
        stopTracks(stopAllPending != 0);
    stopAllPending = 0;
    stopMusicPending = 0;
}

void applyMusicStart()
{
    if (startMusicPending == 0)
        return;
    musicPlaying = startMusic(pendingMusic) ? 1 : 0;
    pendingMusic = Image{};
    startMusicPending = 0;
}

void applyAttenuation()
{
    if (attenuationChanged == 0)
        return;
    for (MusicTrack& t : tracks) {
        t.attenuation = musicAttenuation;
        t.panChanged = 1;
    }
    attenuationChanged = 0;
}

void stepMusic()
{
    if (musicPlaying != 0 && paused == 0)
        for (int i = 0; i < kChannels; ++i)
            stepTrack(i);
    bool active = false;
    for (const MusicTrack& t : tracks)
        active = active || t.priority != 0;
    if (!active)
        musicPlaying = 0;
}

void applyEffectRequests()
{
    for (; effectQueueRead != effectQueueWrite; effectQueueRead = (effectQueueRead + 1) % kQueueSlots)
        startEffect(effectQueue[effectQueueRead]);
    for (; stopQueueRead != stopQueueWrite; stopQueueRead = (stopQueueRead + 1) % kQueueSlots)
        stopEffect(stopQueue[stopQueueRead]);
    for (int word = 0; word < 8; ++word) {
        for (uint32_t bits = stopOverflow[word]; bits != 0; bits &= bits - 1)
            stopEffect(static_cast<int8_t>(word * 32 + __builtin_ctz(bits)));
        stopOverflow[word] = 0;
    }
}

}  // namespace

}  // namespace brimsel

using namespace brimsel;

extern "C" BS_API void bs_update(int16_t* block)
{
    if (block == nullptr)
        return;
    applyStops();
    applyMusicStart();
    applyAttenuation();
    stepMusic();
    applyEffectRequests();
    if (paused != 0) {
        std::memset(block, 0, BS_BLOCK_BYTES);
        return;
    }
    bool mixed = false;
    for (int i = 0; i < kChannels; ++i) {
        if (channels[i].priority != 0) {
            runMacro(i);
            applyMacro(i);
        }
        if (voices[i].mode != 0) {
            if (!mixed)
                mix.clear();
            mixed = true;
            mixVoice(voices[i], mix);
        }
    }
    if (mixed)
        writeBlock(mix, block);
    else
        std::memset(block, 0, BS_BLOCK_BYTES);
}
