// Every level of the mixer, forced in turn, against the straightforward loop
// (reference_mixer.h): random voices, voices at the very end of an image
// allocated to its exact size, and the loudest voices at once.  These tests
// link the mixer on its own, where its level can be chosen.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

#if defined(__has_feature)
#  if __has_feature(address_sanitizer)
#    define BS_TEST_ASAN 1
#  endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(BS_TEST_ASAN)
#  include <sanitizer/asan_interface.h>
#  define BS_POISON(at, size) ASAN_POISON_MEMORY_REGION(at, size)
#  define BS_UNPOISON(at, size) ASAN_UNPOISON_MEMORY_REGION(at, size)
#else
#  define BS_POISON(at, size) ((void)(at), (void)(size))
#  define BS_UNPOISON(at, size) ((void)(at), (void)(size))
#endif

#include "engine/mixer_levels.h"
#include "mix_tick.h"
#include "random_voices.h"
#include "reference_mixer.h"

namespace {

using namespace brimsel;
using Block = std::array<int16_t, BS_BLOCK_VALUES>;

Block mixBlock(Voice* voices, int count = BS_CHANNELS)
{
    Block block;
    ::mixTick(voices, count, block.data());
    return block;
}

class MixerLevels : public ::testing::TestWithParam<MixerLevel> {
protected:
    void SetUp() override
    {
        if (!useMixerLevel(GetParam()))
            GTEST_SKIP() << "no " << mixerLevelName(GetParam()) << " level in this build or on this processor";
    }
    void TearDown() override { useMixerLevel(bestMixerLevel()); }

    // Mixes `ticks` ticks of `voices` and, on a copy, of the reference: the
    // blocks and the voices must stay the same.
    static void expectLikeReference(Voice* voices, int ticks, const std::string& what)
    {
        for (int t = 0; t < ticks; ++t) {
            Voice expectedVoices[BS_CHANNELS];
            std::copy(voices, voices + BS_CHANNELS, expectedVoices);
            Block expected;
            referenceMix(expectedVoices, expected.data());
            ASSERT_EQ(mixBlock(voices), expected) << what << " tick " << t;
            for (int i = 0; i < BS_CHANNELS; ++i) {
                ASSERT_EQ(voices[i].mode, expectedVoices[i].mode) << what << " voice " << i;
                ASSERT_EQ(voices[i].phase, expectedVoices[i].phase) << what << " voice " << i;
                ASSERT_EQ(voices[i].phaseAdjust, expectedVoices[i].phaseAdjust) << what << " voice " << i;
            }
        }
    }
};

TEST_P(MixerLevels, MatchesTheStraightforwardLoop)
{
    std::mt19937 rng(20250114);
    RandomVoices random;
    Voice voices[BS_CHANNELS];
    for (int round = 0; round < 400; ++round) {
        random.fill(voices, rng);
        expectLikeReference(voices, 4, "round " + std::to_string(round));
    }
}

// A sample pack image of its exact size whose last sample ends where the
// image ends; everything before that sample is poisoned, so that
// AddressSanitizer reports a read on either side of it.
class ImageEnd {
public:
    explicit ImageEnd(uint32_t length) : bytes_(kBefore + length)
    {
        for (size_t i = 0; i < bytes_.size(); ++i)
            bytes_[i] = static_cast<int8_t>(i * 37 + 11);
        BS_POISON(bytes_.data(), kBefore);
    }
    ~ImageEnd() { BS_UNPOISON(bytes_.data(), kBefore); }
    const int8_t* sample() const { return bytes_.data() + kBefore; }

private:
    static constexpr uint32_t kBefore = 64;
    std::vector<int8_t> bytes_;
};

TEST_P(MixerLevels, ReadsNothingOutsideTheSample)
{
    const uint32_t steps[] = {0, 1, 0x5555, 0x8000, 0xFFFF, 0x10000, 0x10001, 0x18000, 0x1FFFF, 0x20000, 0x20001};
    for (uint32_t length = 1; length <= 48; ++length) {
        const ImageEnd image(length);
        for (uint32_t step : steps) {
            // Sixteen voices starting at or near the sample's end: single-shot,
            // looping the whole sample, and looping its last bytes.
            Voice voices[BS_CHANNELS];
            for (int i = 0; i < BS_CHANNELS; ++i) {
                Voice& v = voices[i];
                const uint32_t back = std::min<uint32_t>(length, 1 + i / 3 * 5);
                v = Voice{};
                v.mode = i % 3 == 0 ? 1 : 2;
                v.data = image.sample();
                v.length = static_cast<uint16_t>(length);
                v.volume = 127;
                v.panLeft = 127;
                v.panRight = static_cast<int8_t>(40 + i);
                v.phase = (length - back) << 16 | (i * 0x1111 & 0xFFFF);
                v.phaseAdjust = step;
                v.loopStart = static_cast<int16_t>(i % 3 == 1 ? 0 : length - std::min<uint32_t>(length, 3));
                v.loopEnd = static_cast<int16_t>(length);
            }
            expectLikeReference(voices, 2, "length " + std::to_string(length) + " step " + std::to_string(step));
        }
    }
}

// Gains of 64 and -64 peak at 8192: three voices to a group of 16-bit sums.
Voice loudest(const std::vector<int8_t>& data, uint32_t step)
{
    Voice v{};
    v.mode = 2;
    v.data = data.data();
    v.length = static_cast<uint16_t>(data.size());
    v.volume = -128;
    v.panLeft = -128;  // (-128 x -128) >> 8 = 64
    v.panRight = 127;  // (-128 x 127) >> 8 = -64
    v.phaseAdjust = step;
    v.loopEnd = static_cast<int16_t>(data.size());
    return v;
}

TEST_P(MixerLevels, SixteenLoudestVoicesSumExactly)
{
    std::mt19937 rng(5);
    std::vector<int8_t> data[BS_CHANNELS];
    Voice voices[BS_CHANNELS];
    for (int i = 0; i < BS_CHANNELS; ++i) {
        data[i].resize(300 + 17 * i);
        for (int8_t& s : data[i])
            s = rng() % 2 ? -128 : rng() % 3 == 0 ? 127
                                                  : static_cast<int8_t>(rng() % 64);
        voices[i] = loudest(data[i], 0x6000 + 0x1800 * i);
    }
    expectLikeReference(voices, 6, "loudest");
}

TEST_P(MixerLevels, MoreVoicesThanGroupsStillSumExactly)
{
    // 32 voices in one tick, more than the groups hold: the rest are summed
    // frame by frame.  Small samples keep the sums clear of saturation, so the
    // block is the sum of the two halves' blocks.
    std::vector<int8_t> data(500);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<int8_t>(i % 5) - 2;
    Voice voices[2 * BS_CHANNELS];
    for (int i = 0; i < 2 * BS_CHANNELS; ++i)
        voices[i] = loudest(data, 0x9000 + 0x800 * i);
    Voice firstHalf[BS_CHANNELS];
    Voice secondHalf[BS_CHANNELS];
    std::copy(voices, voices + BS_CHANNELS, firstHalf);
    std::copy(voices + BS_CHANNELS, voices + 2 * BS_CHANNELS, secondHalf);
    Block first;
    Block second;
    referenceMix(firstHalf, first.data());
    referenceMix(secondHalf, second.data());
    const Block both = mixBlock(voices, 2 * BS_CHANNELS);
    for (int i = 0; i < BS_BLOCK_VALUES; ++i)
        ASSERT_EQ(both[i], first[i] + second[i]) << i;
}

INSTANTIATE_TEST_SUITE_P(Levels, MixerLevels, ::testing::ValuesIn(kMixerLevels),
                         [](const ::testing::TestParamInfo<MixerLevel>& info) {
                             return std::string(mixerLevelName(info.param));
                         });

}  // namespace
