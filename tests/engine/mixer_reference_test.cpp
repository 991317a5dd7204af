// The mixer against the straightforward loop it must match: one frame at a
// time with the end and wrap checks inside, summed in wide integers and
// saturated.  Random voices cover odd steps, loop points and phases.
#include "engine_test.h"

#include <algorithm>
#include <random>

namespace {

int32_t gainOf(int8_t volume, int8_t level)
{
    return static_cast<int8_t>(static_cast<int16_t>(volume * level) >> 8);
}

void referenceMix(Voice* voices, int16_t* block)
{
    int32_t left[BS_FRAMES_PER_TICK] = {};
    int32_t right[BS_FRAMES_PER_TICK] = {};
    for (int i = 0; i < BS_CHANNELS; ++i) {
        Voice& v = voices[i];
        if (v.mode == 0)
            continue;
        const int32_t gainLeft = gainOf(v.volume, v.panLeft);
        const int32_t gainRight = gainOf(v.volume, v.panRight);
        const uint32_t length = v.length;
        const uint32_t loopStart = static_cast<uint16_t>(v.loopStart);
        const uint32_t loopEnd = std::min<uint32_t>(static_cast<uint16_t>(v.loopEnd), length);
        const bool looping = v.mode == 2 && loopStart < loopEnd;
        for (int k = 0; k < BS_FRAMES_PER_TICK; ++k) {
            if ((v.phase >> 16) >= length) {
                if (!looping) {
                    v.mode = 0;
                    v.phaseAdjust = 0;
                    break;
                }
                while ((v.phase >> 16) >= loopEnd)
                    v.phase -= (loopEnd - loopStart) << 16;
            }
            const int32_t s = v.data[v.phase >> 16];
            left[k] += s * gainLeft;
            right[k] += s * gainRight;
            v.phase += v.phaseAdjust;
            if (!looping) {
                if ((v.phase >> 16) >= length) {
                    v.mode = 0;
                    v.phaseAdjust = 0;
                    break;
                }
            } else {
                while ((v.phase >> 16) >= loopEnd)
                    v.phase -= (loopEnd - loopStart) << 16;
            }
        }
    }
    for (int k = 0; k < BS_FRAMES_PER_TICK; ++k) {
        block[2 * k] = static_cast<int16_t>(std::clamp(left[k], -32768, 32767));
        block[2 * k + 1] = static_cast<int16_t>(std::clamp(right[k], -32768, 32767));
    }
}

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
