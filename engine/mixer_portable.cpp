// The plain writer of the block, for processors without SSE2 or NEON.
#include "engine/mixer_levels.h"

namespace brimsel {

namespace {

int16_t saturate(int64_t value)
{
    return static_cast<int16_t>(value < -32768 ? -32768 : value > 32767 ? 32767
                                                                        : value);
}

}  // namespace

void writeBlockPortable(MixBuffer& mix, int16_t* block)
{
    for (int k = 0; k < kFrames; ++k) {
        int64_t left = 0;
        int64_t right = 0;
        if (mix.wideUsed) {
            // Left + right x 2^32: the low word is the left sum.
            left = static_cast<int32_t>(static_cast<uint32_t>(mix.wide[k]));
            right = (mix.wide[k] - left) >> 32;
        }
        for (int g = 0; g < mix.groupCount; ++g) {
            left += mix.groups[g][2 * k];
            right += mix.groups[g][2 * k + 1];
            mix.groups[g][2 * k] = 0;
            mix.groups[g][2 * k + 1] = 0;
        }
        block[2 * k] = saturate(left);
        block[2 * k + 1] = saturate(right);
    }
}

}  // namespace brimsel
