// The mixer, driven through voices set up by hand on idle channels (an idle
// channel runs no macro, so the tick only mixes what it finds).
#include "engine_test.h"

namespace {

class Mixer : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        adopt(std::vector<SampleDef>{});
        for (int i = 0; i < 256; ++i)
            ramp.push_back(static_cast<int8_t>(i - 128));
    }
    Voice& play(int i, const std::vector<int8_t>& data, int32_t mode, uint32_t step, int8_t volume = 127,
                int8_t panLeft = 127, int8_t panRight = 127)
    {
        Voice& v = voices[i];
        v.mode = mode;
        v.data = data.data();
        v.length = static_cast<uint16_t>(data.size());
        v.volume = volume;
        v.panLeft = panLeft;
        v.panRight = panRight;
        v.phase = 0;
        v.phaseAdjust = step;
        v.loopStart = 0;
        v.loopEnd = 0;
        return v;
    }
    std::vector<int8_t> ramp;  // -128..127
};

// Sample value of the ramp at index i, at gain 63.
int16_t at63(int i)
{
    return static_cast<int16_t>((i - 128) * 63);
}

TEST_F(Mixer, NothingPlayingIsSilence)
{
    EXPECT_TRUE(silent(tick()));
}

TEST_F(Mixer, SingleShotEndsAtItsLength)
{
    std::vector<int8_t> fifty(ramp.begin(), ramp.begin() + 50);
    Voice& v = play(3, fifty, 1, 0x10000);
    const Block b = tick();
    for (int k = 0; k < 50; ++k) {
        ASSERT_EQ(left(b, k), at63(k)) << k;
        ASSERT_EQ(right(b, k), at63(k)) << k;
    }
    for (int k = 50; k < 200; ++k)
        ASSERT_EQ(left(b, k) | right(b, k), 0) << k;
    EXPECT_EQ(v.mode, 0);
    EXPECT_EQ(v.phaseAdjust, 0u);
    EXPECT_EQ(v.phase, 50u << 16);
}

TEST_F(Mixer, LoopPlaysToItsEndThenRepeats)
{
    Voice& v = play(0, ramp, 2, 0x10000);
    v.loopStart = 100;
    v.loopEnd = 200;
    std::vector<int> expected;
    for (int i = 0; i < 200; ++i)
        expected.push_back(i);
    for (int r = 0; r < 10; ++r)
        for (int i = 100; i < 200; ++i)
            expected.push_back(i);
    for (int t = 0; t < 5; ++t) {
        const Block b = tick();
        for (int k = 0; k < 200; ++k)
            ASSERT_EQ(left(b, k), at63(expected[200 * t + k])) << "tick " << t << " frame " << k;
    }
    EXPECT_EQ(v.mode, 2);
}

TEST_F(Mixer, GainsAreFormedOncePerVoice)
{
    const std::vector<int8_t> low(400, -128);
    play(0, low, 1, 0x10000, 127, 127, 0);
    const Block b = tick();
    EXPECT_EQ(left(b, 0), -8064);
    EXPECT_EQ(right(b, 0), 0);
    // Negative levels: (-128 x 127) >> 8 = -64.
    play(0, low, 1, 0x10000, 127, -128, 64);
    const Block c = tick();
    EXPECT_EQ(left(c, 0), 8192);
    EXPECT_EQ(right(c, 0), -128 * 31);
}

TEST_F(Mixer, VoicesAreSummed)
{
    const std::vector<int8_t> high(400, 127);
    play(2, high, 1, 0x10000);
    play(9, high, 1, 0x10000);
    const Block b = tick();
    EXPECT_EQ(left(b, 0), 16002);
    EXPECT_EQ(right(b, 199), 16002);
}

TEST_F(Mixer, SumsSaturateInsteadOfWrapping)
{
    const std::vector<int8_t> high(400, 127);
    const std::vector<int8_t> low(400, -128);
    for (int i = 0; i < 5; ++i)
        play(i, high, 1, 0x10000, 127, 127, 0);
    for (int i = 5; i < 10; ++i)
        play(i, low, 1, 0x10000, 127, 0, 127);
    const Block b = tick();
    EXPECT_EQ(left(b, 0), 32767);    // 5 x 8001 would wrap
    EXPECT_EQ(right(b, 0), -32768);  // 5 x -8064
    // Three voices stay in range and are exact.
    for (int i = 3; i < 10; ++i)
        voices[i].mode = 0;
    for (int i = 0; i < 3; ++i)
        voices[i].phase = 0;
    EXPECT_EQ(left(tick(), 0), 24003);
}

TEST_F(Mixer, HalfStepRepeatsAndDoubleStepSkips)
{
    play(0, ramp, 2, 0x8000).loopEnd = 256;
    const Block half = tick();
    for (int k = 0; k < 200; ++k)
        ASSERT_EQ(left(half, k), at63(k / 2)) << k;
    play(0, ramp, 2, 0x20000).loopEnd = 256;
    const Block twice = tick();
    for (int k = 0; k < 128; ++k)
        ASSERT_EQ(left(twice, k), at63(2 * k)) << k;
    EXPECT_EQ(left(twice, 128), at63(0));  // 256 wraps back to the loop start
}

TEST_F(Mixer, PauseKeepsThePhase)
{
    Voice& v = play(0, ramp, 2, 0x10000);
    v.loopStart = 0;
    v.loopEnd = 256;
    tick();
    ASSERT_EQ(v.phase, 200u << 16);
    bs_pause();
    EXPECT_TRUE(silent(tick()));
    EXPECT_EQ(v.phase, 200u << 16);
    bs_resume();
    EXPECT_EQ(left(tick(), 0), at63(200));
}

TEST_F(Mixer, LoopsNeverReadBeyondTheSample)
{
    // A loop end past the sample is bounded by its length.
    std::vector<int8_t> ten(ramp.begin(), ramp.begin() + 10);
    Voice& v = play(0, ten, 2, 0x10000);
    v.loopStart = 4;
    v.loopEnd = 300;
    const Block b = tick();
    for (int k = 0; k < 200; ++k) {
        const int index = k < 10 ? k : 4 + (k - 10) % 6;
        ASSERT_EQ(left(b, k), at63(index)) << k;
    }
}

TEST_F(Mixer, LoopEnd32768IsUnsigned)
{
    std::vector<int8_t> big(32768, 1);
    Voice& v = play(0, big, 2, 0x10000);
    v.loopStart = 0;
    v.loopEnd = static_cast<int16_t>(0x8000);
    v.phase = 32700u << 16;
    const Block b = tick();
    EXPECT_EQ(left(b, 199), 63);
    EXPECT_EQ(v.phase >> 16, (32700u + 200u) - 32768u);
}

TEST_F(Mixer, ALoopOutsideTheSamplePlaysItOnce)
{
    std::vector<int8_t> ten(ramp.begin(), ramp.begin() + 10);
    Voice& v = play(0, ten, 2, 0x10000);
    v.loopStart = 20;  // start beyond the sample
    v.loopEnd = 40;
    Block b = tick();
    EXPECT_EQ(left(b, 9), at63(9));
    EXPECT_EQ(left(b, 10), 0);
    EXPECT_EQ(v.mode, 0);

    Voice& w = play(1, ten, 2, 0x10000);
    w.loopStart = 8;  // reversed
    w.loopEnd = 3;
    b = tick();
    EXPECT_EQ(left(b, 9), at63(9));
    EXPECT_EQ(w.mode, 0);
}

TEST_F(Mixer, APhasePastTheEndIsNeverRead)
{
    std::vector<int8_t> ten(ramp.begin(), ramp.begin() + 10);
    Voice& single = play(0, ten, 1, 0x10000);
    single.phase = 5000u << 16;
    EXPECT_TRUE(silent(tick()));
    EXPECT_EQ(single.mode, 0);

    Voice& looping = play(1, ten, 2, 0x10000);
    looping.loopStart = 2;
    looping.loopEnd = 6;
    looping.phase = 13u << 16 | 0x1234;  // wraps into the loop first: 2 + (13 - 2) % 4 = 5
    const Block b = tick();
    EXPECT_EQ(left(b, 0), at63(5));
    EXPECT_EQ(left(b, 1), at63(2));
}

TEST_F(Mixer, StepsThatWrapThePhaseAroundStayInside)
{
    // A step just below 2^32 moves backwards by 1/65536 each frame.
    Voice& v = play(0, ramp, 2, 0xFFFFFFFFu);
    v.loopStart = 0;
    v.loopEnd = 256;
    v.phase = 0x30;
    const Block b = tick();
    for (int k = 0; k <= 0x30; ++k)
        ASSERT_EQ(left(b, k), at63(0)) << k;
    // Past zero the phase wraps to 0xFFFF.xxxx, beyond the loop, and comes
    // back to the loop's last sample.
    EXPECT_EQ(left(b, 0x31), at63(255));
}

}  // namespace
