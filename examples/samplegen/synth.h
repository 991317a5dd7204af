// Integer building blocks of the demo's sample generator. Everything is integer arithmetic so
// that the PCM files (and with them every render of the demo) come out byte for byte the same
// on every machine and compiler. Amplitudes are Q15: 32767 is full scale.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace samplegen {

// One cycle is the full range of a 32-bit phase.
int32_t sineQ15(uint32_t phase);

// The phase of harmonic `harmonic` at sample `index` of a wave that completes `cycles` cycles
// every `span` samples; exact, so a wave built from such phases loops seamlessly at `span`.
uint32_t cyclePhase(uint64_t index, uint64_t harmonic, uint64_t cycles, uint64_t span);

// Multiplies a Q15 value by a Q16 factor.
inline int32_t scaleQ16(int32_t value, uint32_t factorQ16)
{
    return static_cast<int32_t>((int64_t(value) * factorQ16) >> 16);
}

// xorshift32: reproducible white noise in Q15.
class Noise {
public:
    explicit Noise(uint32_t seed) : state_(seed ? seed : 1) {}
    int32_t next();

private:
    uint32_t state_;
};

// Scales `wave` so that its largest magnitude becomes `peakQ15`, then converts to 8-bit signed
// PCM with rounding.
std::vector<int8_t> toPcm(const std::vector<int64_t>& wave, int32_t peakQ15);

// Fades the last `count` samples linearly to silence (ends without a click).
void fadeOut(std::vector<int64_t>& wave, size_t count);

}  // namespace samplegen
