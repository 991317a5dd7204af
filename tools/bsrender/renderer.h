// Offline rendering: drives the engine tick by tick, as a host would, and hands every block to
// a sink instead of a sound device.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "tools/bsrender/options.h"
#include "tools/common/package_file.h"

namespace bsrender {

struct EffectCue {
    const bs::PackageImage* image = nullptr;
    uint32_t tick = 0;  // requested before this tick's update
    int8_t priority = 127;
    int8_t left = 127;
    int8_t right = 127;
};

struct RenderJob {
    const bs::PackageImage* samples = nullptr;
    const bs::PackageImage* instruments = nullptr;
    const bs::PackageImage* music = nullptr;  // optional
    int8_t attenuation = 127;
    std::vector<EffectCue> effects;  // cues of one tick are requested in this order
    uint32_t limitTicks = kDefaultLimitTicks;
};

enum class StopReason {
    Finished,  // the music ended, every effect started and every channel is idle
    LimitReached,
    SinkFailed,     // the sink refused a block
    EngineRefused,  // bs_initSized did not take the packs
};

struct RenderResult {
    StopReason reason = StopReason::Finished;
    uint32_t ticks = 0;         // blocks rendered
    int64_t musicEndTick = -1;  // ticks rendered when the music was first seen stopped
};

// One block: BS_BLOCK_VALUES int16 values, 200 stereo frames, left first, host byte order.
using BlockSink = std::function<bool(const int16_t* block)>;
using ProgressCallback = std::function<void(uint32_t ticksRendered)>;

// The largest number of effects that may start in one tick: the engine's start queue has 32
// slots and keeps one free.
inline constexpr size_t kMaxEffectsPerTick = 31;

// Renders `job` from a freshly reset engine, so the same job always gives the same blocks.
// The progress callback, if any, is called every second of rendered audio.
RenderResult render(const RenderJob& job, const BlockSink& sink, const ProgressCallback& progress = {});

}  // namespace bsrender
