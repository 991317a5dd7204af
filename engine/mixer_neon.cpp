// The NEON level, which every 64-bit ARM processor has: as the x86-64
// levels, the eight frames of a chunk are looked up in the 16 bytes from its
// first index (a table lookup gives 0 for an index past 15), and one widening
// multiply of the bytes by both gains (which fit in a byte: -64..64) gives
// the left and right values side by side.
#include "engine/mixer_levels.h"

#if BRIMSEL_MIXER_NEON

#  include <arm_neon.h>

namespace brimsel {

namespace {

inline void addRun(const ChunkRun& run)
{
    int16_t* out = run.out;
    uint32_t pos = run.pos;
    const uint32_t step = run.step;
    // Back from (gain << 8) to the gains, as bytes: left, right, left, ...
    const int8_t gainLeft = static_cast<int8_t>(static_cast<int16_t>(run.gains) >> 8);
    const int8_t gainRight = static_cast<int8_t>(static_cast<int16_t>(run.gains >> 16) >> 8);
    const int8x16_t gains = vreinterpretq_s8_u16(
        vdupq_n_u16(static_cast<uint8_t>(gainLeft) | static_cast<uint16_t>(static_cast<uint8_t>(gainRight) << 8)));
    // Frame j of a chunk lies j x step past the chunk's first position.
    const uint32_t firstFour[4] = {0, step, 2 * step, 3 * step};
    const uint32x4_t stepsLow = vld1q_u32(firstFour);
    const uint32x4_t stepsHigh = vaddq_u32(stepsLow, vdupq_n_u32(4 * step));
    // Byte 2 of each frame's position is its offset in the chunk: twice,
    // once for each of the frame's values.
    static const uint8_t offsetTwice[16] = {2, 2, 6, 6, 10, 10, 14, 14, 18, 18, 22, 22, 26, 26, 30, 30};
    const uint8x16_t pick = vld1q_u8(offsetTwice);
    static const uint8_t frameOfByte[16] = {0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7};
    const uint8x16_t frameOf = vld1q_u8(frameOfByte);

    for (uint32_t done = 0; done < run.frames; done += kChunkFrames, out += 2 * kChunkFrames, pos += kChunkFrames * step) {
        const int8x16_t window = vld1q_s8(run.data + (pos >> 16));
        const uint32x4_t fraction = vdupq_n_u32(pos & 0xFFFF);
        const uint8x16x2_t positions = {{vreinterpretq_u8_u32(vaddq_u32(fraction, stepsLow)),
                                         vreinterpretq_u8_u32(vaddq_u32(fraction, stepsHigh))}};
        uint8x16_t offsets = vqtbl2q_u8(positions, pick);
        if (run.frames - done < kChunkFrames)  // frames past the run look up 0
            offsets = vorrq_u8(offsets, vcgeq_u8(frameOf, vdupq_n_u8(static_cast<uint8_t>(run.frames - done))));
        const int8x16_t samples = vqtbl1q_s8(window, offsets);
        int16x8x2_t sums = vld1q_s16_x2(out);
        sums.val[0] = vaddq_s16(sums.val[0], vmull_s8(vget_low_s8(samples), vget_low_s8(gains)));
        sums.val[1] = vaddq_s16(sums.val[1], vmull_high_s8(samples, gains));
        vst1q_s16_x2(out, sums);
    }
}

// Left and right sums of frames f, f + 1 from the 64-bit sums: the low word
// is the left sum, and the rest less it, shifted down, the right sum.
inline int32x4_t wideSums(const int64_t* wide)
{
    const int64x2_t packed = vld1q_s64(wide);
    const int32x2_t left = vmovn_s64(packed);
    const int32x2_t right = vshrn_n_s64(vsubq_s64(packed, vmovl_s32(left)), 32);
    return vcombine_s32(vzip1_s32(left, right), vzip2_s32(left, right));
}

// The sums of `groups` groups plus, when used, the 64-bit sums.
struct Sums {
    template <int groups>
    static void write(MixBuffer& mix, int16_t* block);
};

template <int groups>
void Sums::write(MixBuffer& mix, int16_t* block)
{
    const bool wide = mix.wideUsed;
    for (int k = 0; k < kFrames; k += 4) {
        // Left and right sums of frames k, k + 1 and of k + 2, k + 3.
        int32x4_t low = vdupq_n_s32(0);
        int32x4_t high = vdupq_n_s32(0);
        if (wide) {
            low = wideSums(mix.wide + k);
            high = wideSums(mix.wide + k + 2);
        }
        for (int g = 0; g < groups; ++g) {
            int16_t* at = mix.groups[g] + 2 * k;
            const int16x8_t values = vld1q_s16(at);
            low = vaddw_s16(low, vget_low_s16(values));
            high = vaddw_high_s16(high, values);
            vst1q_s16(at, vdupq_n_s16(0));
        }
        vst1q_s16(block + 2 * k, vcombine_s16(vqmovn_s32(low), vqmovn_s32(high)));
    }
    static_assert(kFrames % 4 == 0, "whole groups of four frames");
}

}  // namespace

void addRunsNeon(const ChunkRun* runs, int count)
{
    for (int i = 0; i < count; ++i)
        addRun(runs[i]);
}

void writeBlockNeon(MixBuffer& mix, int16_t* block)
{
    writeByGroupCount<Sums>(mix, block);
}

}  // namespace brimsel

#endif
