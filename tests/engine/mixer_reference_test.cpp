// bs_update's mixing against the straightforward loop it must match
// (reference_mixer.h), on random voices (random_voices.h).  Every level of
// the mixer is compared the same way in mixer_levels_test.cpp.
#include "engine_test.h"
#include "random_voices.h"
#include "reference_mixer.h"

#include <algorithm>

namespace {

class MixerReference : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        adopt(std::vector<SampleDef>{});
    }
};

TEST_F(MixerReference, MatchesTheStraightforwardLoop)
{
    std::mt19937 rng(20240607);
    RandomVoices random;
    for (int round = 0; round < 300; ++round) {
        random.fill(voices, rng);
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

}  // namespace
