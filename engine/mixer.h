// The mixer: voices into one tick's block of 200 stereo frames.
//
// Voices are summed in two ways, and the block is written from both:
//
// - Frame by frame (the scalar loop, and steps above 2.0): a 64-bit
//   accumulator per frame holds the left sum in its low half and the right
//   sum, times 2^32, above it, so one multiply and one add serve both sides.
// - Eight frames at a time (the vector loops): 16-bit left/right sums,
//   interleaved, in groups of voices whose peaks add up to at most 32767, so
//   that no sum can wrap.  A voice peaks at 128 x |gain| <= 8192, so any
//   three share a group and 16 voices need at most six.
//
// The sums are saturated to 16 bits only when the block is written, so the
// block is the same whichever way each voice was summed.
#ifndef BRIMSEL_MIXER_H
#define BRIMSEL_MIXER_H

#include <cstdint>

#include "engine/state.h"

namespace brimsel {

constexpr int kFrames = BS_FRAMES_PER_TICK;
constexpr int32_t kGroupPeak = 32767;
constexpr int kMaxGroups = (kChannels + 2) / 3;

// The vector loops take eight frames at a time, a chunk; the last chunk of a
// run may reach past the block's end (it adds nothing there).  Steps up to
// 2.0 keep a chunk's frames inside 16 bytes: frame j of a chunk that starts
// at index i reads index i + 2j + (carry) <= i + 14.  The loops load 16
// bytes from a chunk's first index, or 32 for two chunks at once.
constexpr int kChunkFrames = 8;
constexpr uint32_t kMaxChunkStep = 0x20000;
constexpr uint32_t kChunkBytes = 32;
// Bytes a voice's chunks read in a tick when they cannot read in place (see
// mixer.cpp): up to 399 for 200 frames at 2.0, and kChunkBytes beyond the
// last chunk's first index.
constexpr uint32_t kStagedBytes = 2 * kFrames + kChunkBytes;

// Frames of one voice for a vector loop: read at pos, pos + step, ... (16.16)
// of `data` and added to the interleaved 16-bit sums at `out`.
struct ChunkRun {
    const int8_t* data;
    int16_t* out;
    uint32_t pos;
    uint32_t step;
    uint32_t gains;  // (gainLeft << 8) in the low 16 bits, (gainRight << 8) in the high
    uint32_t frames;
};

struct MixBuffer {
    int64_t wide[kFrames];
    // Zero between ticks: the block writer clears what it has read.
    alignas(32) int16_t groups[kMaxGroups][2 * (kFrames + kChunkFrames)] = {};
    // At most one run a voice: the vector loops run them all when the block
    // is written, so that they start once a tick rather than once a voice.
    ChunkRun runs[kChannels];
    alignas(32) int8_t staged[kChannels][kStagedBytes];
    int32_t runCount = 0;
    int32_t groupCount = 0;
    int32_t groupPeak = 0;  // of the last group
    bool wideUsed = false;

    // Starts a tick: nothing summed yet.
    void clear()
    {
        runCount = 0;
        groupCount = 0;
        groupPeak = 0;
        wideUsed = false;
    }
    // The frame-by-frame sums, cleared on first use in the tick.
    int64_t* wideSums();
    // The group that takes a voice peaking at `peak`, or null when every
    // group is taken (never with at most 16 voices a tick).
    int16_t* groupFor(int32_t peak);
};

// Adds one tick of voice `v` (mode non-zero) to `mix`, advancing its phase;
// a single-shot voice that reaches its end is switched off.  (The frames of
// the vector loops are summed when the block is written.)
void mixVoice(Voice& v, MixBuffer& mix);
// Writes the saturated left and right sums of `mix` to `block`, and clears
// the groups of 16-bit sums for the next tick.
void writeBlock(MixBuffer& mix, int16_t* block);

}  // namespace brimsel

#endif
