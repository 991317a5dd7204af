// The demo's sample generator: what the descriptor and the instruments rely on.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "examples/samplegen/recipes.h"
#include "examples/samplegen/synth.h"

using namespace samplegen;

TEST(SampleGenerator, SineIsWithinAFifthOfAPercent)
{
    for (uint32_t i = 0; i < 4096; ++i) {
        const uint32_t phase = i << 20;
        const double exact = std::sin(double(phase) / 4294967296.0 * 2 * std::numbers::pi) * 32767;
        ASSERT_NEAR(sineQ15(phase), exact, 0.002 * 32767) << i;
    }
}

// The loop points in instruments.txt must span whole cycles, or every loop would click.
TEST(SampleGenerator, LoopedInstrumentsRepeatExactlyOverTheirLoops)
{
    const struct {
        const char* name;
        std::vector<int8_t> pcm;
        uint32_t loopStart, length, period;
    } looped[] = {
        {"lead", makeLead(), kLeadLoopStart, kLeadLength, kLeadPeriod},
        {"bass", makeBass(), kBassLoopStart, kBassLength, kBassPeriod},
    };
    for (const auto& s : looped) {
        ASSERT_EQ(s.pcm.size(), s.length) << s.name;
        ASSERT_EQ((s.length - s.loopStart) % s.period, 0u) << s.name;
        for (uint32_t i = s.loopStart; i + s.period < s.length; ++i)
            ASSERT_EQ(s.pcm[i], s.pcm[i + s.period]) << s.name << " " << i;
    }
}

TEST(SampleGenerator, DrumsFileHoldsTheThreeDrumsAtTheDescriptorsOffsets)
{
    const std::vector<int8_t> drums = makeDrums();
    ASSERT_EQ(drums.size(), kKickLength + kSnareLength + kHatLength);
    EXPECT_EQ(kKickLength, 8000u);   // samples.txt: kick [0, 8000], snare [8000, 15200],
    EXPECT_EQ(kSnareLength, 7200u);  // hat [15200, 17600]
    EXPECT_EQ(kHatLength, 2400u);
    // Each drum fades out to silence before the next one starts.
    EXPECT_EQ(drums[kKickLength - 1], 0);
    EXPECT_EQ(drums[kKickLength + kSnareLength - 1], 0);
    EXPECT_EQ(drums.back(), 0);
}

TEST(SampleGenerator, EveryRecipeGivesTheSameBytesEachTime)
{
    EXPECT_EQ(makePluck(), makePluck());
    EXPECT_EQ(makeCrash(), makeCrash());
    EXPECT_EQ(makeNoise(), makeNoise());
    EXPECT_EQ(makeSquare().size(), kSquareLength);
}
