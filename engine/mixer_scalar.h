// The mixer's scalar loop, which every level falls back on: inline, since it
// runs once per run of frames between a voice's events.
#ifndef BRIMSEL_MIXER_SCALAR_H
#define BRIMSEL_MIXER_SCALAR_H

#include <cstdint>

namespace brimsel {

// fraction += step; true when it carried out of the word.
inline bool carryingAdd(uint32_t& fraction, uint32_t step)
{
#if defined(__GNUC__)
    return __builtin_add_overflow(fraction, step, &fraction);
#else
    const uint32_t before = fraction;
    fraction += step;
    return fraction < before;
#endif
}

// Adds `count` frames to the 64-bit sums at `mix` (see mixer.h), read at
// pos, pos + step, ...; the caller has made sure that none of these
// positions reaches the voice's next event.  Returns the position after them.
// The position is kept as a sample index and a fraction in the top 16 bits
// of a word, so that the fraction's carry steps the index (an add and an
// add-with-carry per frame, and no shift).
inline uint32_t addFramesWide(int64_t* mix, const int8_t* data, uint32_t pos, uint32_t step, int64_t gains,
                              uint32_t count)
{
    uint64_t index = pos >> 16;
    uint32_t fraction = pos << 16;
    const uint64_t indexStep = step >> 16;
    const uint32_t fractionStep = step << 16;
    auto frame = [&](int64_t& out) {
        out += data[index] * gains;
        index += indexStep + carryingAdd(fraction, fractionStep);
    };
    int64_t* out = mix;
    int64_t* const end = mix + count;
    for (; end - out >= 8; out += 8) {
        frame(out[0]);
        frame(out[1]);
        frame(out[2]);
        frame(out[3]);
        frame(out[4]);
        frame(out[5]);
        frame(out[6]);
        frame(out[7]);
    }
    for (; out < end; ++out)
        frame(*out);
    // The index may have passed 2^16 (a step that wraps the phase): the
    // phase keeps the low bits, as 32-bit addition would.
    return static_cast<uint32_t>(index << 16) | fraction >> 16;
}

}  // namespace brimsel

#endif
