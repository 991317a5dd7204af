// The SSSE3 level: the eight frames of a chunk read at most 16 bytes from
// its first frame's index, so one unaligned load and a byte shuffle by the
// frames' offsets replace eight loads.  Compiled for SSSE3 function by
// function, and run only where the processor has it.
#include "engine/mixer_levels.h"

#if BRIMSEL_MIXER_X86

#  include <tmmintrin.h>

#  define BS_SSSE3 __attribute__((target("ssse3")))

namespace brimsel {

namespace {

// Shuffle controls from positions relative to the chunk's first index (16.16,
// below 2^24, plus kZeroByte << 24): byte 2 of each holds the offset, which
// goes to the high byte of both of the frame's words, and byte 3 kZeroByte,
// which goes to the low bytes and has the shuffle zero them: each word
// becomes sample << 8.
BS_SSSE3 inline __m128i controls(__m128i positions)
{
    return _mm_shuffle_epi8(positions, _mm_setr_epi32(0x02030203, 0x06070607, 0x0A0B0A0B, 0x0E0F0E0F));
}

// Four frames' left and right values: (sample << 8) x (gain << 8) >> 16.
BS_SSSE3 inline __m128i fourFrames(__m128i window, __m128i positions, __m128i gains)
{
    return _mm_mulhi_epi16(_mm_shuffle_epi8(window, controls(positions)), gains);
}

BS_SSSE3 inline void addTo(int16_t* out, __m128i values)
{
    __m128i* to = reinterpret_cast<__m128i*>(out);
    _mm_storeu_si128(to, _mm_add_epi16(_mm_loadu_si128(to), values));
}

BS_SSSE3 inline __m128i window(const int8_t* data, uint32_t pos)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + (pos >> 16)));
}

}  // namespace

namespace {

BS_SSSE3 inline void addRun(const ChunkRun& run)
{
    int16_t* out = run.out;
    const int8_t* data = run.data;
    uint32_t pos = run.pos;
    const uint32_t step = run.step;
    const uint32_t gains = run.gains;
    const uint32_t frames = run.frames;
    const __m128i g = _mm_set1_epi32(static_cast<int32_t>(gains));
    // Frame j of a chunk lies j x step past the chunk's first position, with
    // the controls' zero byte on top.
    const __m128i four = _mm_set1_epi32(static_cast<int32_t>(4 * step));
    __m128i steps[4];
    steps[0] = _mm_add_epi32(_mm_setr_epi32(0, static_cast<int32_t>(step), static_cast<int32_t>(2 * step),
                                            static_cast<int32_t>(3 * step)),
                             _mm_set1_epi32(static_cast<int32_t>(kZeroByte << 24)));
    for (int q = 1; q < 4; ++q)
        steps[q] = _mm_add_epi32(steps[q - 1], four);
    uint32_t chunks = frames / kChunkFrames;
    if (step <= 0x10000) {
        // Up to 1.0, sixteen frames read at most 16 bytes: one load serves two chunks.
        for (; chunks >= 2; chunks -= 2, out += 4 * kChunkFrames, pos += 2 * kChunkFrames * step) {
            const __m128i w = window(data, pos);
            const __m128i fraction = _mm_set1_epi32(static_cast<int32_t>(pos & 0xFFFF));
            for (int q = 0; q < 4; ++q)
                addTo(out + 8 * q, fourFrames(w, _mm_add_epi32(fraction, steps[q]), g));
        }
    }
    for (; chunks > 0; --chunks, out += 2 * kChunkFrames, pos += kChunkFrames * step) {
        const __m128i w = window(data, pos);
        const __m128i fraction = _mm_set1_epi32(static_cast<int32_t>(pos & 0xFFFF));
        addTo(out, fourFrames(w, _mm_add_epi32(fraction, steps[0]), g));
        addTo(out + 8, fourFrames(w, _mm_add_epi32(fraction, steps[1]), g));
    }
    if (const uint32_t rest = frames % kChunkFrames; rest != 0) {
        const __m128i w = window(data, pos);
        const __m128i fraction = _mm_set1_epi32(static_cast<int32_t>(pos & 0xFFFF));
        const __m128i left = _mm_set1_epi32(static_cast<int32_t>(rest));
        const __m128i low = fourFrames(w, _mm_add_epi32(fraction, steps[0]), g);
        const __m128i high = fourFrames(w, _mm_add_epi32(fraction, steps[1]), g);
        addTo(out, _mm_and_si128(low, _mm_cmpgt_epi32(left, _mm_setr_epi32(0, 1, 2, 3))));
        addTo(out + 8, _mm_and_si128(high, _mm_cmpgt_epi32(left, _mm_setr_epi32(4, 5, 6, 7))));
    }
}

}  // namespace

BS_SSSE3 void addRunsSsse3(const ChunkRun* runs, int count)
{
    for (int i = 0; i < count; ++i)
        addRun(runs[i]);
}

}  // namespace brimsel

#endif
