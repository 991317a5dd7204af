// The block writer of the x86-64 levels without AVX2: SSE2, which every
// x86-64 processor has.  (SSE2 has no byte shuffle by a register's indices,
// and gathering the frames' bytes one by one into vectors costs more than the
// scalar loop, so below SSSE3 voices are summed by the scalar loop.)
#include "engine/mixer_levels.h"

#if BRIMSEL_MIXER_X86

namespace brimsel {

namespace {

// The sums of `groups` groups plus, when used, the 64-bit sums.
struct Sums {
    template <int groups>
    static void write(MixBuffer& mix, int16_t* block);
};

template <int groups>
void Sums::write(MixBuffer& mix, int16_t* block)
{
    const __m128i ones = _mm_set1_epi16(1);
    const bool wide = mix.wideUsed;
    for (int k = 0; k < kFrames; k += 4) {
        // Left and right sums of frames k, k + 1 and of k + 2, k + 3.
        __m128i low = _mm_setzero_si128();
        __m128i high = _mm_setzero_si128();
        if (wide) {
            low = wideSumsSse2(mix.wide + k);
            high = wideSumsSse2(mix.wide + k + 2);
        }
        // Two groups at a time: interleaved, one multiply-add by 1 widens and sums them.
        for (int g = 0; g < groups; g += 2) {
            __m128i* first = reinterpret_cast<__m128i*>(mix.groups[g] + 2 * k);
            __m128i* second = reinterpret_cast<__m128i*>(mix.groups[g + 1 < groups ? g + 1 : g] + 2 * k);
            const __m128i a = _mm_loadu_si128(first);
            const __m128i b = g + 1 < groups ? _mm_loadu_si128(second) : _mm_setzero_si128();
            _mm_storeu_si128(first, _mm_setzero_si128());
            _mm_storeu_si128(second, _mm_setzero_si128());
            low = _mm_add_epi32(low, _mm_madd_epi16(_mm_unpacklo_epi16(a, b), ones));
            high = _mm_add_epi32(high, _mm_madd_epi16(_mm_unpackhi_epi16(a, b), ones));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(block + 2 * k), _mm_packs_epi32(low, high));
    }
    static_assert(kFrames % 4 == 0, "whole groups of four frames");
}

}  // namespace

void writeBlockSse2(MixBuffer& mix, int16_t* block)
{
    writeByGroupCount<Sums>(mix, block);
}

}  // namespace brimsel

#endif
