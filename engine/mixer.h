// The mixer: voices into one tick's block of 200 stereo frames.
//
// Voices are summed into a 64-bit accumulator per frame that holds the left
// sum in its low half and the right sum, times 2^32, above it: one multiply
// and one add per voice and frame serve both sides.  The sums are saturated
// to 16 bits only when the block is written.
#ifndef BRIMSEL_MIXER_H
#define BRIMSEL_MIXER_H

#include <cstdint>

#include "engine/state.h"

namespace brimsel {

constexpr int kFrames = BS_FRAMES_PER_TICK;

// Adds one tick of voice `v` (mode non-zero) to `mix`, advancing its phase;
// a single-shot voice that reaches its end is switched off.
void mixVoice(Voice& v, int64_t mix[kFrames]);
// Writes the saturated left and right sums of `mix` to `block`.
void writeBlock(const int64_t mix[kFrames], int16_t* block);

} // namespace brimsel

#endif
