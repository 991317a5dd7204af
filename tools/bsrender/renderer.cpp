#include "tools/bsrender/renderer.h"

#include <algorithm>

#include "engine/engine.h"

namespace bsrender {

namespace {

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
    // Every render starts from the state of a freshly loaded engine, so the same job always
    // gives the same blocks.
    bs_reset();
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
