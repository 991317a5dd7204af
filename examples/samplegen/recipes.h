// The demo's samples, one recipe each. Sample rates and loop points must agree with
// examples/demo/samples.txt and instruments.txt; the constants below are the ones they use.
#pragma once

#include <cstdint>
#include <vector>

namespace samplegen {

inline constexpr uint32_t kRate = 32000;  // every sample but the square is recorded at 32000 Hz

// lead: 8 bright attack cycles, then 16 steady cycles of 64 samples (500 Hz) to loop.
inline constexpr uint32_t kLeadPeriod = 64;
inline constexpr uint32_t kLeadLoopStart = 512;
inline constexpr uint32_t kLeadLength = 1536;
// bass: 4 attack cycles, then 8 steady cycles of 128 samples (250 Hz) to loop.
inline constexpr uint32_t kBassPeriod = 128;
inline constexpr uint32_t kBassLoopStart = 512;
inline constexpr uint32_t kBassLength = 1536;
// pad: two saws, 100 and 101 cycles in 6400 samples (500 and 505 Hz), looped whole.
inline constexpr uint32_t kPadLength = 6400;
// pluck: a plucked string of period 64.5 samples (496.124 Hz), played once.
inline constexpr uint32_t kPluckLength = 9600;
// drums.pcm holds three drums back to back; the descriptor cuts them apart by offset.
inline constexpr uint32_t kKickLength = 8000;
inline constexpr uint32_t kSnareLength = 7200;
inline constexpr uint32_t kHatLength = 2400;
inline constexpr uint32_t kCrashLength = 25600;
inline constexpr uint32_t kNoiseLength = 4096;
// square: one cycle, 32 samples at 48000 Hz (1500 Hz).
inline constexpr uint32_t kSquareLength = 32;

std::vector<int8_t> makeLead();
std::vector<int8_t> makeBass();
std::vector<int8_t> makePad();
std::vector<int8_t> makePluck();
std::vector<int8_t> makeDrums();  // kick, snare, hat
std::vector<int8_t> makeCrash();
std::vector<int8_t> makeNoise();
std::vector<int8_t> makeSquare();

}  // namespace samplegen
