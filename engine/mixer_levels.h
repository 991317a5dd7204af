// The mixer's instruction-set levels.  Each one supplies the loop that adds
// runs of frames eight at a time and the writer of the block; the best one
// the processor has is chosen once, when the library is loaded.
#ifndef BRIMSEL_MIXER_LEVELS_H
#define BRIMSEL_MIXER_LEVELS_H

#include <cstdint>
#include <utility>

#include "engine/mixer.h"

#if defined(__x86_64__) || defined(_M_X64)
#  define BRIMSEL_MIXER_X86 1
#  include <emmintrin.h>
#elif defined(__aarch64__)
#  define BRIMSEL_MIXER_NEON 1
#endif

namespace brimsel {

// Shuffle controls with bit 7 set give zero bytes.  This one stays so when
// 0x70 is added (saturating) or 0x10 subtracted: see the AVX2 level.
constexpr uint32_t kZeroByte = 0x90;

// Adds the frames of `count` runs to their sums.  In each run step <=
// kMaxChunkStep, and kChunkBytes bytes can be read from the first index of
// each chunk of eight frames, the last one included.  Frames past the run's
// end in its last chunk add nothing.
using ChunkLoop = void (*)(const ChunkRun* runs, int count);
using BlockWriter = void (*)(MixBuffer& mix, int16_t* block);

enum class MixerLevel {
    scalar,  // frame by frame (the block written with SSE2 or NEON where there is one)
    ssse3,   // x86-64: eight frames shuffled out of one 16-byte load
    avx2,    // x86-64: the same, 256 bits wide
    neon,    // AArch64: eight frames looked up in one 16-byte load
};
constexpr MixerLevel kMixerLevels[] = {MixerLevel::scalar, MixerLevel::ssse3, MixerLevel::avx2, MixerLevel::neon};
const char* mixerLevelName(MixerLevel level);

// True when this library has `level` and this processor can run it.
bool mixerLevelRuns(MixerLevel level);
// The best level that runs here: the one chosen when the library is loaded.
MixerLevel bestMixerLevel();
// For the tests and benchmarks, which link the mixer on its own (the engine
// library exports only the bs_ functions): makes `level` the one in use.
// False, and nothing changed, when it does not run here.
bool useMixerLevel(MixerLevel level);

// Writes the block with `Sums::write<n>`, n the count of groups: a writer
// for each count, 0 to kMaxGroups, so that its loop over the groups unrolls.
template <typename Sums, int... counts>
void writeByGroupCount(MixBuffer& mix, int16_t* block, std::integer_sequence<int, counts...>)
{
    static constexpr BlockWriter writers[] = {&Sums::template write<counts>...};
    writers[mix.groupCount](mix, block);
}
template <typename Sums>
void writeByGroupCount(MixBuffer& mix, int16_t* block)
{
    writeByGroupCount<Sums>(mix, block, std::make_integer_sequence<int, kMaxGroups + 1>{});
}

void writeBlockPortable(MixBuffer& mix, int16_t* block);

#if BRIMSEL_MIXER_X86
// The 16-bit left and right sums of frames f, f + 1 as 32-bit values (left,
// right, left, right) from the 64-bit sums: each is left + right x 2^32, so
// its low word is the left sum and its high word the right sum less one when
// the left sum is negative.
inline __m128i wideSumsSse2(const int64_t* wide)
{
    const __m128i highWords = _mm_set_epi32(-1, 0, -1, 0);
    const __m128i packed = _mm_loadu_si128(reinterpret_cast<const __m128i*>(wide));
    const __m128i leftSigns = _mm_shuffle_epi32(_mm_srai_epi32(packed, 31), _MM_SHUFFLE(2, 2, 0, 0));
    return _mm_sub_epi32(packed, _mm_and_si128(leftSigns, highWords));
}
void writeBlockSse2(MixBuffer& mix, int16_t* block);
void addRunsSsse3(const ChunkRun* runs, int count);
void addRunsAvx2(const ChunkRun* runs, int count);
void writeBlockAvx2(MixBuffer& mix, int16_t* block);
#elif BRIMSEL_MIXER_NEON
void addRunsNeon(const ChunkRun* runs, int count);
void writeBlockNeon(MixBuffer& mix, int16_t* block);
#endif

}  // namespace brimsel

#endif
