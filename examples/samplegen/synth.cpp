#include "examples/samplegen/synth.h"

#include <algorithm>
#include <cstdlib>

namespace samplegen {

int32_t sineQ15(uint32_t phase)
{
    // Bhaskara's rational approximation of a half sine, within 0.2% of full scale: finer than
    // what 8-bit samples can tell apart. t runs over the half cycle in 65536 steps.
    const bool negative = (phase & 0x80000000u) != 0;
    const int64_t t = (phase & 0x7FFFFFFFu) >> 15;
    const int64_t p = t * (65536 - t);
    const int64_t value = (16 * p * 32767) / (int64_t(5) * 65536 * 65536 - 4 * p);
    return static_cast<int32_t>(negative ? -value : value);
}

uint32_t cyclePhase(uint64_t index, uint64_t harmonic, uint64_t cycles, uint64_t span)
{
    const uint64_t position = (index * harmonic * cycles) % span;  // where in its cycle, in 1/span
    return static_cast<uint32_t>((position << 32) / span);
}

int32_t Noise::next()
{
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<int32_t>(state_ & 0xFFFFu) - 32768;
}

std::vector<int8_t> toPcm(const std::vector<int64_t>& wave, int32_t peakQ15)
{
    int64_t peak = 1;
    for (int64_t v : wave)
        peak = std::max<int64_t>(peak, v < 0 ? -v : v);
    std::vector<int8_t> pcm;
    pcm.reserve(wave.size());
    for (int64_t v : wave) {
        const int64_t q15 = v * peakQ15 / peak;
        // Round to the nearest of the 256 levels (an arithmetic shift rounds towards minus
        // infinity, so add half a step first).
        const int64_t level = (q15 + 128) >> 8;
        pcm.push_back(static_cast<int8_t>(std::clamp<int64_t>(level, -128, 127)));
    }
    return pcm;
}

void fadeOut(std::vector<int64_t>& wave, size_t count)
{
    count = std::min(count, wave.size());
    const size_t start = wave.size() - count;
    for (size_t i = 0; i < count; ++i)
        wave[start + i] = wave[start + i] * int64_t(count - i) / int64_t(count);
}

}  // namespace samplegen
