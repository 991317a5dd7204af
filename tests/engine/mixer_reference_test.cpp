// The mixer against the straightforward loop it must match (reference_mixer.h).
// Random voices cover odd steps, loop points and phases.
#include "engine_test.h"
#include "reference_mixer.h"

#include <algorithm>
#include <random>

namespace {

class MixerReference : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        adopt(std::vector<SampleDef>{});
    }

    void randomVoices(std::mt19937& rng)
    {
        auto pick = [&](std::initializer_list<uint32_t> values) {
            return *(values.begin() + rng() % values.size());
        };
        for (int i = 0; i < BS_CHANNELS; ++i) {
            const uint32_t length = pick({0, 1, 2, 7, 100, 1000, 4096, 32768, 65535});
            data[i].resize(std::max<uint32_t>(length, 1));
            for (int8_t& s : data[i])
                s = static_cast<int8_t>(rng());
            Voice& v = voices[i];
            v.mode = static_cast<int32_t>(rng() % 3);
            v.data = data[i].data();
            v.length = static_cast<uint16_t>(length);
            v.volume = static_cast<int8_t>(rng() % 4 == 0 ? rng() : 127);
            v.panLeft = static_cast<int8_t>(rng() % 4 == 0 ? rng() : rng() % 128);
            v.panRight = static_cast<int8_t>(rng() % 4 == 0 ? rng() : rng() % 128);
            switch (rng() % 6) {
            case 0: v.phaseAdjust = 0x8000 + rng() % 0x18001; break; // 0.5 .. 2.0
            case 1: v.phaseAdjust = pick({0, 1, 0x10000, 0x20000, 0xFFFFFFFFu, 0xFFFF0000u, 0x80000000u}); break;
            case 2: v.phaseAdjust = rng(); break;
            case 3: v.phaseAdjust = rng() % 0x400; break;
            case 4: v.phaseAdjust = rng() % 0x4000000; break;
            default: v.phaseAdjust = 0x10000 + rng() % 0x100; break;
            }
            const uint32_t span = length + 64;
            v.loopStart = static_cast<int16_t>(rng() % 8 == 0 ? rng() : rng() % span);
            v.loopEnd = static_cast<int16_t>(rng() % 8 == 0 ? rng() : v.loopStart + 1 + rng() % span);
            v.phase = rng() % 8 == 0 ? rng() : (rng() % std::max<uint32_t>(length, 1)) << 16 | (rng() & 0xFFFF);
        }
    }

    std::vector<int8_t> data[BS_CHANNELS];
};

TEST_F(MixerReference, MatchesTheStraightforwardLoop)
{
    std::mt19937 rng(20240607);
    for (int round = 0; round < 300; ++round) {
        randomVoices(rng);
        for (int t = 0; t < 8; ++t) {
            Voice expectedVoices[BS_CHANNELS];
            std::copy(voices, voices + BS_CHANNELS, expectedVoices);
            Block expected;
            referenceMix(expectedVoices, expected.data());
            const Block actual = tick();
            ASSERT_EQ(actual, expected) << "round " << round << " tick " << t;
            for (int i = 0; i < BS_CHANNELS; ++i) {
                ASSERT_EQ(voices[i].mode, expectedVoices[i].mode) << "round " << round << " voice " << i;
                ASSERT_EQ(voices[i].phase, expectedVoices[i].phase) << "round " << round << " voice " << i;
                ASSERT_EQ(voices[i].phaseAdjust, expectedVoices[i].phaseAdjust);
            }
        }
    }
}

} // namespace
