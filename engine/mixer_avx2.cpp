// The AVX2 level: the SSSE3 level's shuffle, eight frames to a register
// (the shuffle works within each 128-bit half, so the chunk's 16 bytes are
// loaded into both).  Compiled for AVX2 function by function, and run only
// where the processor has it.
#include "engine/mixer_levels.h"

#if BRIMSEL_MIXER_X86

#  include <immintrin.h>

#  define BS_AVX2 __attribute__((target("avx2")))

namespace brimsel {

namespace {

// As in the SSSE3 level: byte 2 of each position (the offset) to the high
// byte of both of the frame's words, byte 3 (kZeroByte) to the low bytes.
BS_AVX2 inline __m256i controls(__m256i positions)
{
    const __m256i pick = _mm256_setr_epi32(0x02030203, 0x06070607, 0x0A0B0A0B, 0x0E0F0E0F, 0x02030203, 0x06070607,
                                           0x0A0B0A0B, 0x0E0F0E0F);
    return _mm256_shuffle_epi8(positions, pick);
}

// Eight frames' left and right values: (sample << 8) x (gain << 8) >> 16.
BS_AVX2 inline __m256i eightFrames(__m256i window, __m256i positions, __m256i gains)
{
    return _mm256_mulhi_epi16(_mm256_shuffle_epi8(window, controls(positions)), gains);
}

BS_AVX2 inline void addTo(int16_t* out, __m256i values)
{
    __m256i* to = reinterpret_cast<__m256i*>(out);
    _mm256_storeu_si256(to, _mm256_add_epi16(_mm256_loadu_si256(to), values));
}

BS_AVX2 inline __m256i window(const int8_t* data, uint32_t pos)
{
    return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + (pos >> 16))));
}

BS_AVX2 inline __m256i fraction(uint32_t pos)
{
    return _mm256_set1_epi32(static_cast<int32_t>(pos & 0xFFFF));
}

// Left and right sums of frames k, k + 1 (low half) and k + 4, k + 5 (high
// half), and of k + 2, k + 3 and k + 6, k + 7, from the 64-bit sums: the
// order in which 16-bit sums widen and pack within halves.
BS_AVX2 inline void wideSums(const int64_t* wide, __m256i& low, __m256i& high)
{
    low = _mm256_set_m128i(wideSumsSse2(wide + 4), wideSumsSse2(wide));
    high = _mm256_set_m128i(wideSumsSse2(wide + 6), wideSumsSse2(wide + 2));
}

}  // namespace

namespace {

BS_AVX2 inline void addRun(const ChunkRun& run)
{
    int16_t* out = run.out;
    const int8_t* data = run.data;
    uint32_t pos = run.pos;
    const uint32_t step = run.step;
    const uint32_t gains = run.gains;
    const uint32_t frames = run.frames;
    const __m256i g = _mm256_set1_epi32(static_cast<int32_t>(gains));
    // Frame j of a chunk lies j x step past the chunk's first position, with
    // the controls' zero byte on top.
    const __m256i steps = _mm256_add_epi32(_mm256_mullo_epi32(_mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7),
                                                              _mm256_set1_epi32(static_cast<int32_t>(step))),
                                           _mm256_set1_epi32(static_cast<int32_t>(kZeroByte << 24)));
    const __m256i stepsOn = _mm256_add_epi32(steps, _mm256_set1_epi32(static_cast<int32_t>(8 * step)));
    uint32_t chunks = frames / kChunkFrames;
    if (step <= 0x10000) {
        // Up to 1.0, sixteen frames read at most 16 bytes: one load serves two chunks.
        for (; chunks >= 2; chunks -= 2, out += 4 * kChunkFrames, pos += 2 * kChunkFrames * step) {
            const __m256i w = window(data, pos);
            const __m256i f = fraction(pos);
            addTo(out, eightFrames(w, _mm256_add_epi32(f, steps), g));
            addTo(out + 2 * kChunkFrames, eightFrames(w, _mm256_add_epi32(f, stepsOn), g));
        }
    } else {
        // Up to 2.0, sixteen frames read at most 31 bytes: two loads serve two
        // chunks.  The second chunk's offsets reach into the second 16 bytes;
        // bit 4 of an offset chooses which 16 its byte comes from (the
        // adjusted controls' bit 7 zeros the other).
        const __m256i firstSixteen = _mm256_set1_epi8(0x70);   // offsets 16.. get bit 7
        const __m256i secondSixteen = _mm256_set1_epi8(0x10);  // offsets ..15 get bit 7
        for (; chunks >= 2; chunks -= 2, out += 4 * kChunkFrames, pos += 2 * kChunkFrames * step) {
            const __m256i low = window(data, pos);
            const __m256i high = window(data + 16, pos);
            const __m256i f = fraction(pos);
            addTo(out, eightFrames(low, _mm256_add_epi32(f, steps), g));
            const __m256i c = controls(_mm256_add_epi32(f, stepsOn));
            const __m256i samples = _mm256_or_si256(_mm256_shuffle_epi8(low, _mm256_adds_epu8(c, firstSixteen)),
                                                    _mm256_shuffle_epi8(high, _mm256_sub_epi8(c, secondSixteen)));
            addTo(out + 2 * kChunkFrames, _mm256_mulhi_epi16(samples, g));
        }
    }
    for (; chunks > 0; --chunks, out += 2 * kChunkFrames, pos += kChunkFrames * step)
        addTo(out, eightFrames(window(data, pos), _mm256_add_epi32(fraction(pos), steps), g));
    if (const uint32_t rest = frames % kChunkFrames; rest != 0) {
        const __m256i values = eightFrames(window(data, pos), _mm256_add_epi32(fraction(pos), steps), g);
        const __m256i kept = _mm256_cmpgt_epi32(_mm256_set1_epi32(static_cast<int32_t>(rest)),
                                                _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
        addTo(out, _mm256_and_si256(values, kept));
    }
}

}  // namespace

BS_AVX2 void addRunsAvx2(const ChunkRun* runs, int count)
{
    for (int i = 0; i < count; ++i)
        addRun(runs[i]);
}

namespace {

// The sums of `groups` groups plus, when used, the 64-bit sums.
struct Sums {
    template <int groups>
    BS_AVX2 static void write(MixBuffer& mix, int16_t* block);
};

template <int groups>
BS_AVX2 void Sums::write(MixBuffer& mix, int16_t* block)
{
    const __m256i ones = _mm256_set1_epi16(1);
    const bool wide = mix.wideUsed;
    for (int k = 0; k < kFrames; k += 8) {
        __m256i low = _mm256_setzero_si256();
        __m256i high = _mm256_setzero_si256();
        if (wide)
            wideSums(mix.wide + k, low, high);
        // Two groups at a time: interleaved, one multiply-add by 1 widens and sums them.
        for (int g = 0; g < groups; g += 2) {
            __m256i* first = reinterpret_cast<__m256i*>(mix.groups[g] + 2 * k);
            __m256i* second = reinterpret_cast<__m256i*>(mix.groups[g + 1 < groups ? g + 1 : g] + 2 * k);
            const __m256i a = _mm256_loadu_si256(first);
            const __m256i b = g + 1 < groups ? _mm256_loadu_si256(second) : _mm256_setzero_si256();
            _mm256_storeu_si256(first, _mm256_setzero_si256());
            _mm256_storeu_si256(second, _mm256_setzero_si256());
            low = _mm256_add_epi32(low, _mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), ones));
            high = _mm256_add_epi32(high, _mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), ones));
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(block + 2 * k), _mm256_packs_epi32(low, high));
    }
    static_assert(kFrames % 8 == 0, "whole groups of eight frames");
}

}  // namespace

BS_AVX2 void writeBlockAvx2(MixBuffer& mix, int16_t* block)
{
    writeByGroupCount<Sums>(mix, block);
}

}  // namespace brimsel

#endif
