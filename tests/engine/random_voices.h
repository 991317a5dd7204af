// Random voices for comparing the mixer with its reference: odd lengths
// (around the 16 and 32 bytes the vector loops read at a time, too), steps,
// loop points, phases and gains.  Each sample is allocated to its exact
// size, so that AddressSanitizer sees any read past it.
#ifndef BRIMSEL_TESTS_RANDOM_VOICES_H
#define BRIMSEL_TESTS_RANDOM_VOICES_H

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <random>
#include <vector>

#include "engine/engine.h"

class RandomVoices {
public:
    void fill(Voice* voices, std::mt19937& rng)
    {
        auto pick = [&](std::initializer_list<uint32_t> values) {
            return *(values.begin() + rng() % values.size());
        };
        for (int i = 0; i < BS_CHANNELS; ++i) {
            const uint32_t length = rng() % 3 == 0 ? 1 + rng() % 40
                                                   : pick({0, 1, 2, 7, 100, 1000, 4096, 32768, 65535});
            data_[i] = std::vector<int8_t>(std::max<uint32_t>(length, 1));  // a new, exact allocation
            for (int8_t& s : data_[i])
                s = static_cast<int8_t>(rng());
            Voice& v = voices[i];
            v.mode = static_cast<int32_t>(rng() % 3);
            v.data = data_[i].data();
            v.length = static_cast<uint16_t>(length);
            v.volume = static_cast<int8_t>(rng() % 4 == 0 ? rng() : 127);
            v.panLeft = static_cast<int8_t>(rng() % 4 == 0 ? rng() : rng() % 128);
            v.panRight = static_cast<int8_t>(rng() % 4 == 0 ? rng() : rng() % 128);
            switch (rng() % 7) {
            case 0: v.phaseAdjust = 0x8000 + rng() % 0x18001; break;  // 0.5 .. 2.0
            case 1:
                v.phaseAdjust = pick({0, 1, 0xFFFF, 0x10000, 0x10001, 0x1FFFF, 0x20000, 0x20001, 0xFFFFFFFFu,
                                      0xFFFF0000u, 0x80000000u});
                break;
            case 2: v.phaseAdjust = rng(); break;
            case 3: v.phaseAdjust = rng() % 0x400; break;
            case 4: v.phaseAdjust = rng() % 0x4000000; break;
            case 5: v.phaseAdjust = rng() % 0x20001; break;  // 0 .. 2.0
            default: v.phaseAdjust = 0x10000 + rng() % 0x100; break;
            }
            const uint32_t span = length + 64;
            v.loopStart = static_cast<int16_t>(rng() % 8 == 0 ? rng() : rng() % span);
            v.loopEnd = static_cast<int16_t>(rng() % 8 == 0 ? rng() : v.loopStart + 1 + rng() % span);
            v.phase = rng() % 8 == 0 ? rng() : (rng() % std::max<uint32_t>(length, 1)) << 16 | (rng() & 0xFFFF);
        }
    }

private:
    std::vector<int8_t> data_[BS_CHANNELS];
};

#endif
