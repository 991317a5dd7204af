#include "engine/mixer.h"

#include <cstring>

#include "engine/mixer_levels.h"
#include "engine/mixer_scalar.h"

namespace brimsel {

namespace {

struct MixerPath {
    ChunkLoop addRuns;  // null: every frame through the scalar loop
    BlockWriter writeBlock;
};

// By level; the levels this library was not built with have no writer.
constexpr MixerPath kPaths[] = {
#if BRIMSEL_MIXER_X86
    {nullptr, writeBlockSse2},       // scalar: the frame loop, and the SSE2 every x86-64 has
    {addRunsSsse3, writeBlockSse2},  // ssse3
    {addRunsAvx2, writeBlockAvx2},   // avx2
    {nullptr, nullptr},              // neon
#elif BRIMSEL_MIXER_NEON
    {nullptr, writeBlockNeon},  // scalar: the frame loop, and the NEON every AArch64 has
    {nullptr, nullptr},
    {nullptr, nullptr},
    {addRunsNeon, writeBlockNeon},  // neon
#else
    {nullptr, writeBlockPortable},
    {nullptr, nullptr},
    {nullptr, nullptr},
    {nullptr, nullptr},
#endif
};
static_assert(sizeof kPaths / sizeof kPaths[0] == sizeof kMixerLevels / sizeof kMixerLevels[0]);

bool processorRuns(MixerLevel level)
{
    switch (level) {
    case MixerLevel::scalar:
        return true;
#if BRIMSEL_MIXER_X86
    case MixerLevel::ssse3:
        __builtin_cpu_init();
        return __builtin_cpu_supports("ssse3");
    case MixerLevel::avx2:
#  if defined(_WIN32) && !defined(__clang__)
        // GCC cannot align 256-bit values on the Windows stack.
        return false;
#  else
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2");
#  endif
#else
    case MixerLevel::ssse3:
    case MixerLevel::avx2:
        return false;
#endif
    case MixerLevel::neon:  // every AArch64 has it
        return true;
    }
    return false;
}

// Samples up to this long leave room for a tick of 200 frames at 2.0 below
// 2^32, so the vector loops' positions need no more than 32 bits.
constexpr uint32_t kMaxChunkedLength = 0xFE00;

// Chosen once, when the library is loaded; bs_update only reads it.
const MixerPath* activePath = &kPaths[static_cast<int>(bestMixerLevel())];

// (volume x level) >> 8, formed in 16 bits and taken as int8.
int32_t gain(int8_t volume, int8_t level)
{
    return static_cast<int8_t>(static_cast<int16_t>(volume * level) >> 8);
}

// What a voice is, for one tick's mixing.
struct VoiceTick {
    const int8_t* data;
    uint32_t length;
    uint32_t step;
    uint32_t loopStart;
    uint32_t loopEnd;  // bounded by the length
    bool looping;      // and the loop holds something
    uint64_t eventAt;  // end of the loop, or of the sample (16.16)
    uint64_t lengthAt;

    explicit VoiceTick(const Voice& v)
        : data(v.data), length(v.length), step(v.phaseAdjust), loopStart(static_cast<uint16_t>(v.loopStart)),
          loopEnd(static_cast<uint16_t>(v.loopEnd))
    {
        // A loop never reaches past the sample; one that has nothing left
        // inside it plays the sample once, like a single-shot.
        if (loopEnd > length)
            loopEnd = length;
        looping = v.mode == 2 && loopStart < loopEnd;
        eventAt = uint64_t{looping ? loopEnd : length} << 16;
        lengthAt = uint64_t{length} << 16;
    }

    // Back into the loop, as often as needed; the fraction stays.
    uint32_t wrap(uint32_t pos) const
    {
        const uint32_t index = pos >> 16;
        return (loopStart + (index - loopStart) % (loopEnd - loopStart)) << 16 | (pos & 0xFFFF);
    }
};

void stop(Voice& v)
{
    v.mode = 0;
    v.phaseAdjust = 0;
}

// Frame by frame, in runs that end at the voice's events.
void mixWide(Voice& v, const VoiceTick& t, int64_t gains, int64_t* mix)
{
    uint32_t pos = v.phase;
    uint32_t k = 0;
    while (k < kFrames) {
        if (pos >= t.lengthAt) {  // nothing to read here
            if (!t.looping) {
                stop(v);
                break;
            }
            pos = t.wrap(pos);
            continue;
        }
        uint32_t run = kFrames - k;
        if (pos >= t.eventAt) {
            run = 1;  // a looping voice past its loop end: one frame, then back
        } else if (t.step != 0) {
            const uint64_t untilEvent = (t.eventAt - pos + t.step - 1) / t.step;
            if (untilEvent < run)
                run = static_cast<uint32_t>(untilEvent);
        }
        pos = addFramesWide(mix + k, t.data, pos, t.step, gains, run);
        k += run;
        // The sum may also have wrapped past 2^32 and come out below the event.
        if (pos >= t.eventAt) {
            if (!t.looping) {
                stop(v);
                break;
            }
            pos = t.wrap(pos);
        }
    }
    v.phase = pos;
}

// Copies the bytes that `count` frames read, in the order they read them, for
// chunks that cannot read in place: from `index` on, starting again at the
// loop start at each loop end (the loop unrolled), then zeros for the last
// chunk to read.
const int8_t* stage(const VoiceTick& t, uint32_t index, uint32_t count, int8_t* to)
{
    const uint32_t end = t.looping && index < t.loopEnd ? t.loopEnd : t.length;
    uint32_t n = end - index < count ? end - index : count;
    std::memcpy(to, t.data + index, n);
    if (n < count) {
        // The loop once, then the copy of it doubled until there is enough.
        const uint32_t loopAt = n;
        uint32_t piece = t.loopEnd - t.loopStart < count - n ? t.loopEnd - t.loopStart : count - n;
        std::memcpy(to + n, t.data + t.loopStart, piece);
        for (n += piece; n < count; n += piece) {
            piece = n - loopAt < count - n ? n - loopAt : count - n;
            std::memcpy(to + n, to + loopAt, piece);
        }
    }
    std::memset(to + count, 0, kChunkBytes);
    return to;
}

// Through the level's vector loop: one run for the rest of the tick, read in
// place when its chunks can read there, else from a staged copy.
void mixChunked(Voice& v, const VoiceTick& t, uint32_t gains, int64_t wideGains, int16_t* group, MixBuffer& mix)
{
    const uint32_t eventAt = static_cast<uint32_t>(t.eventAt);  // (kMaxChunkedLength)
    uint32_t pos = v.phase;
    uint32_t k = 0;
    while (pos >= eventAt) {
        if (pos >= t.lengthAt) {  // nothing to read here
            if (!t.looping) {
                stop(v);
                return;
            }
            pos = t.wrap(pos);
        } else {  // a looping voice past its loop end: one frame, then back
            pos = t.wrap(addFramesWide(mix.wideSums() + k, t.data, pos, t.step, wideGains, 1));
            if (++k == kFrames) {
                v.phase = pos;
                return;
            }
        }
    }
    uint32_t run = kFrames - k;
    bool inPlace = true;
    if (pos + (run - 1) * t.step >= eventAt) {
        if (t.looping)
            inPlace = false;  // the loop, unrolled
        else
            run = (eventAt - pos + t.step - 1) / t.step;
    }
    ChunkRun& r = mix.runs[mix.runCount];
    r = ChunkRun{t.data, group + 2 * k, pos, t.step, gains, run};
    const uint32_t lastChunk = pos + (run - 1) / kChunkFrames * kChunkFrames * t.step;
    if (!inPlace || (lastChunk >> 16) + kChunkBytes > t.length) {
        const uint32_t bytes = (pos & 0xFFFF) + (run - 1) * t.step;
        r.data = stage(t, pos >> 16, (bytes >> 16) + 1, mix.staged[mix.runCount]);
        r.pos = pos & 0xFFFF;
    }
    ++mix.runCount;
    pos += run * t.step;
    if (pos >= eventAt) {
        if (t.looping)
            pos = t.wrap(pos);
        else
            stop(v);
    }
    v.phase = pos;
}

}  // namespace

const char* mixerLevelName(MixerLevel level)
{
    switch (level) {
    case MixerLevel::scalar: return "scalar";
    case MixerLevel::ssse3: return "ssse3";
    case MixerLevel::avx2: return "avx2";
    case MixerLevel::neon: return "neon";
    }
    return "?";
}

bool mixerLevelRuns(MixerLevel level)
{
    return kPaths[static_cast<int>(level)].writeBlock != nullptr && processorRuns(level);
}

MixerLevel bestMixerLevel()
{
    MixerLevel best = MixerLevel::scalar;
    for (MixerLevel level : kMixerLevels)
        if (mixerLevelRuns(level))
            best = level;
    return best;
}

bool useMixerLevel(MixerLevel level)
{
    if (!mixerLevelRuns(level))
        return false;
    activePath = &kPaths[static_cast<int>(level)];
    return true;
}

int64_t* MixBuffer::wideSums()
{
    if (!wideUsed) {
        std::memset(wide, 0, sizeof wide);
        wideUsed = true;
    }
    return wide;
}

int16_t* MixBuffer::groupFor(int32_t peak)
{
    if (groupCount == 0 || groupPeak + peak > kGroupPeak) {
        if (groupCount == kMaxGroups)
            return nullptr;
        ++groupCount;
        groupPeak = 0;
    }
    groupPeak += peak;
    return groups[groupCount - 1];
}

void mixVoice(Voice& v, MixBuffer& mix)
{
    const int32_t gainLeft = gain(v.volume, v.panLeft);
    const int32_t gainRight = gain(v.volume, v.panRight);
    const int64_t wideGains = gainLeft + gainRight * (int64_t{1} << 32);
    const VoiceTick t(v);
    // Steps up to 2.0 go through the level's vector loop, in a group of 16-bit
    // sums with room for this voice's peak.
    if (activePath->addRuns != nullptr && t.step <= kMaxChunkStep && t.length <= kMaxChunkedLength &&
        mix.runCount < kChannels) {
        const int32_t left = gainLeft < 0 ? -gainLeft : gainLeft;
        const int32_t right = gainRight < 0 ? -gainRight : gainRight;
        if (int16_t* group = mix.groupFor(128 * (left > right ? left : right))) {
            const uint32_t gains = static_cast<uint16_t>(gainLeft * 256) | static_cast<uint32_t>(gainRight * 256) << 16;
            mixChunked(v, t, gains, wideGains, group, mix);
            return;
        }
    }
    mixWide(v, t, wideGains, mix.wideSums());
}

void writeBlock(MixBuffer& mix, int16_t* block)
{
    if (mix.runCount != 0)
        activePath->addRuns(mix.runs, mix.runCount);
    activePath->writeBlock(mix, block);
}

}  // namespace brimsel
