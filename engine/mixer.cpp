#include "engine/mixer.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace brimsel {

namespace {

// (volume x level) >> 8, formed in 16 bits and taken as int8.
int32_t gain(int8_t volume, int8_t level)
{
    return static_cast<int8_t>(static_cast<int16_t>(volume * level) >> 8);
}

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

// Adds `count` frames read at pos, pos + step, ...; the caller has made
// sure that none of these positions reaches the voice's next event.  The
// position is kept as a sample index and a fraction in the top 16 bits of a
// word, so that the fraction's carry steps the index (an add and an
// add-with-carry per frame, and no shift).  Returns the position after them.
uint32_t addFrames(int64_t* mix, const int8_t* data, uint32_t pos, uint32_t step, int64_t gains,
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


} // namespace

void mixVoice(Voice& v, int64_t mix[kFrames])
{
    const int64_t gains = gain(v.volume, v.panLeft) + gain(v.volume, v.panRight) * (int64_t{1} << 32);
    const uint32_t length = v.length;
    const uint32_t step = v.phaseAdjust;
    uint32_t pos = v.phase;

    // A loop never reaches past the sample; one that has nothing left inside
    // it plays the sample once, like a single-shot.
    uint32_t loopStart = static_cast<uint16_t>(v.loopStart);
    uint32_t loopEnd = static_cast<uint16_t>(v.loopEnd);
    if (loopEnd > length)
        loopEnd = length;
    const bool looping = v.mode == 2 && loopStart < loopEnd;
    const uint32_t loopLength = loopEnd - loopStart;
    // The event ahead: the end of the sample, or of the loop.
    const uint64_t eventAt = uint64_t{looping ? loopEnd : length} << 16;
    const uint64_t lengthAt = uint64_t{length} << 16;
    // Back into the loop, as often as needed; the fraction stays.
    auto wrap = [&](uint32_t p) {
        const uint32_t index = p >> 16;
        return (loopStart + (index - loopStart) % loopLength) << 16 | (p & 0xFFFF);
    };

    uint32_t k = 0;
    while (k < kFrames) {
        if (pos >= lengthAt) { // nothing to read here
            if (!looping) {
                v.mode = 0;
                v.phaseAdjust = 0;
                break;
            }
            pos = wrap(pos);
            continue;
        }
        uint32_t run = kFrames - k;
        if (pos >= eventAt) {
            run = 1; // a looping voice past its loop end: one frame, then back
        } else if (step != 0) {
            const uint64_t untilEvent = (eventAt - pos + step - 1) / step;
            if (untilEvent < run)
                run = static_cast<uint32_t>(untilEvent);
        }
        pos = addFrames(mix + k, v.data, pos, step, gains, run);
        k += run;
        // The sum may also have wrapped past 2^32 and come out below the event.
        if (pos >= eventAt) {
            if (!looping) {
                v.mode = 0;
                v.phaseAdjust = 0;
                break;
            }
            pos = wrap(pos);
        }
    }
    v.phase = pos;
}

void writeBlock(const int64_t mix[kFrames], int16_t* block)
{
    // Each accumulator is left + right x 2^32: its low word is the left sum,
    // its high word the right sum less one when the left sum is negative.
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i highWords = _mm_set_epi32(-1, 0, -1, 0);
    auto sums = [&](int frame) {
        const __m128i packed = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mix + frame));
        const __m128i leftSigns = _mm_shuffle_epi32(_mm_srai_epi32(packed, 31), _MM_SHUFFLE(2, 2, 0, 0));
        return _mm_sub_epi32(packed, _mm_and_si128(leftSigns, highWords)); // left, right, left, right
    };
    for (int k = 0; k < kFrames; k += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(block + 2 * k), _mm_packs_epi32(sums(k), sums(k + 2)));
    static_assert(kFrames % 4 == 0, "whole groups of four frames");
#else
    auto saturate = [](int64_t value) {
        return static_cast<int16_t>(value < -32768 ? -32768 : value > 32767 ? 32767 : value);
    };
    for (int k = 0; k < kFrames; ++k) {
        const int64_t left = static_cast<int32_t>(static_cast<uint32_t>(mix[k]));
        const int64_t right = (mix[k] - left) >> 32;
        block[2 * k] = saturate(left);
        block[2 * k + 1] = saturate(right);
    }
#endif
}

} // namespace brimsel
