#include "tools/bsrender/renderer.h"

#include <algorithm>
#include <cstring>

#include "engine/engine.h"

namespace bsrender {

namespace {

// Puts the engine back in the state of a freshly loaded library. bs_init resets what playing
// depends on, but leaves a few fields (a track's last instrument, a channel's pitch) as the
// previous render left them, and keeps a pause; clearing the tables makes every render in a
// process start from the same state as the first.
void resetEngine()
{
    Voice* voices = nullptr;
    MacroChannel* channels = nullptr;
    MusicTrack* tracks = nullptr;
    bs_getState(&voices, &channels, &tracks);
    if (voices)
        std::memset(static_cast<void*>(voices), 0, sizeof(Voice) * BS_CHANNELS);
    if (channels)
        std::memset(static_cast<void*>(channels), 0, sizeof(MacroChannel) * BS_CHANNELS);
    if (tracks)
        std::memset(static_cast<void*>(tracks), 0, sizeof(MusicTrack) * BS_CHANNELS);
    bs_resume();
}

bool everyChannelIdle()
{
    Voice* voices = nullptr;
    MacroChannel* channels = nullptr;
    bs_getState(&voices, &channels, nullptr);
    for (int i = 0; i < BS_CHANNELS; ++i)
        if (channels[i].priority != 0 || voices[i].mode != 0)
            return false;
    return true;
}

}  // namespace

RenderResult render(const RenderJob& job, const BlockSink& sink, const ProgressCallback& progress)
{
    RenderResult result;
    resetEngine();
    if (bs_initSized(job.samples->data(), job.samples->size(), job.instruments->data(),
                     job.instruments->size()) != 0) {
        result.reason = StopReason::EngineRefused;
        return result;
    }
    bs_attenMusic(job.attenuation);
    if (job.music)
        bs_playMusicSized(job.music->data(), job.music->size());

    std::vector<EffectCue> cues = job.effects;
    std::stable_sort(cues.begin(), cues.end(),
                     [](const EffectCue& a, const EffectCue& b) { return a.tick < b.tick; });
    size_t nextCue = 0;
    int16_t block[BS_BLOCK_VALUES];
    result.reason = StopReason::LimitReached;
    while (result.ticks < job.limitTicks) {
        for (; nextCue < cues.size() && cues[nextCue].tick <= result.ticks; ++nextCue) {
            const EffectCue& cue = cues[nextCue];
            bs_playSFXSized(cue.image->data(), cue.image->size(), cue.priority, cue.left, cue.right);
        }
        bs_update(block);
        ++result.ticks;
        if (!sink(block)) {
            result.reason = StopReason::SinkFailed;
            return result;
        }
        const bool musicPlaying = bs_checkMusic() != 0;
        if (job.music && !musicPlaying && result.musicEndTick < 0)
            result.musicEndTick = result.ticks;
        if (progress && result.ticks % BS_TICK_RATE == 0)
            progress(result.ticks);
        if (!musicPlaying && nextCue == cues.size() && everyChannelIdle()) {
            result.reason = StopReason::Finished;
            break;
        }
    }
    return result;
}

}  // namespace bsrender
