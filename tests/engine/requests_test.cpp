// The control functions post requests; the tick applies them in a fixed
// order.  Also what a stop promises about the images it ends.
#include "engine_test.h"

#include <memory>

namespace {

class Requests : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        adopt({flatSample(100)}, {{0, Macro().volume(127).singleshot().wait(1000)}});
    }
    Image fx = effect({{0, holdMacro(1000)}});
};

TEST_F(Requests, QueueHolds31StartsBetweenTwoTicks)
{
    for (int p = 1; p <= 32; ++p)
        bs_playSFX(fx.data(), static_cast<int8_t>(p), 127, 127);
    tick();
    // 1..16 fill channels 15..0; every later, stronger start takes channel
    // 15 from the one before.  The 32nd request found the queue full.
    EXPECT_EQ(channels[14].priority, 2);
    EXPECT_EQ(channels[0].priority, 16);
    EXPECT_EQ(channels[15].priority, 31);
}

TEST_F(Requests, PriorityZeroAndNullImagesAreIgnored)
{
    bs_playSFX(fx.data(), 0, 127, 127);
    bs_playSFX(nullptr, 5, 127, 127);
    bs_playMusic(nullptr);
    tick();
    EXPECT_EQ(channelsAt(0), 0xFFFFu);
    EXPECT_EQ(bs_checkMusic(), 0);
}

TEST_F(Requests, StopAllIsAppliedBeforeStarts)
{
    bs_playSFX(fx.data(), 5, 127, 127);
    tick();
    bs_playSFX(fx.data(), 6, 127, 127);
    bs_stopAll();
    tick();
    EXPECT_EQ(channelsAt(5), 0u);
    EXPECT_EQ(channelsAt(6), 1u << 15);  // started after the stop-all, on the channel it freed
}

TEST_F(Requests, StartsAreAppliedBeforeStops)
{
    bs_stopSFX(5);
    bs_playSFX(fx.data(), 5, 127, 127);
    EXPECT_TRUE(silent(tick()));
    EXPECT_EQ(channelsAt(5), 0u);
}

TEST_F(Requests, PauseRendersSilenceButAppliesRequests)
{
    bs_pause();
    bs_playSFX(fx.data(), 5, 127, 127);
    EXPECT_TRUE(silent(tick()));
    EXPECT_EQ(channelsAt(5), 1u << 15);
    EXPECT_EQ(channels[15].wait, 0);  // the macro has not run
    bs_resume();
    const Block b = tick();
    EXPECT_EQ(left(b, 0), 100 * 63);
}

TEST_F(Requests, PauseBeforeInitIsRemembered)
{
    bs_pause();
    ASSERT_EQ(bs_init(samples.data(), instruments.data()), 0);
    bs_playSFX(fx.data(), 5, 127, 127);
    EXPECT_TRUE(silent(tick()));
    bs_resume();
    EXPECT_FALSE(silent(tick()));
}

TEST_F(Requests, CheckMusicReflectsTheLastTick)
{
    Music music;
    music.label("main").use(0).note(69, 10).end();
    Image song = music.build({{10, "main"}});
    bs_playMusic(song.data());
    EXPECT_EQ(bs_checkMusic(), 0);
    tick();
    EXPECT_EQ(bs_checkMusic(), 1);
    bs_stopMusic();
    EXPECT_EQ(bs_checkMusic(), 1);
    tick();
    EXPECT_EQ(bs_checkMusic(), 0);
}

// A caller frees an image as soon as the stop call has returned; the heap
// copies below are freed there, so AddressSanitizer catches any later read.
TEST_F(Requests, StopMusicCancelsAPendingStart)
{
    Music music;
    music.label("main").use(0).note(69, 10).end();
    auto song = std::make_unique<Image>(music.build({{10, "main"}}));
    bs_playMusic(song->data());
    bs_stopMusic();
    song.reset();
    tick();
    EXPECT_EQ(bs_checkMusic(), 0);
    EXPECT_EQ(channels[0].priority, 0);
}

TEST_F(Requests, StopSfxDropsQueuedStartsOfItsPriority)
{
    // Channels 0..15 held by a priority-1 effect; a priority-5 start that is
    // stopped before the tick must not displace any of them.
    std::vector<EffectChannelDef> sixteen(16, EffectChannelDef{0, holdMacro(1000)});
    Image wide = effect(sixteen);
    bs_playSFX(wide.data(), 1, 127, 127);
    tick();
    ASSERT_EQ(channelsAt(1), 0xFFFFu);

    auto strong = std::make_unique<Image>(effect({{0, holdMacro(1000)}}));
    bs_playSFX(strong->data(), 5, 127, 127);
    bs_playSFX(fx.data(), 6, 127, 127);
    bs_stopSFX(5);
    strong.reset();
    tick();
    EXPECT_EQ(channelsAt(1), 0x7FFFu);  // only the priority-6 start took a channel
    EXPECT_EQ(channelsAt(6), 1u << 15);
    EXPECT_EQ(channelsAt(5), 0u);
}

TEST_F(Requests, AStartAfterAStopStillStartsAndStops)
{
    bs_playSFX(fx.data(), 5, 127, 127);
    tick();
    bs_stopSFX(5);
    bs_stopSFX(5);
    bs_playSFX(fx.data(), 5, 127, 127);
    EXPECT_TRUE(silent(tick()));
    EXPECT_EQ(channelsAt(5), 0u);
}

TEST_F(Requests, StopsBeyondTheQueueAreStillCarriedOut)
{
    for (int p = 1; p <= 16; ++p)
        bs_playSFX(fx.data(), static_cast<int8_t>(p), 127, 127);
    tick();
    // Repeating a pending stop takes no second slot.
    for (int i = 0; i < 40; ++i)
        bs_stopSFX(4);
    for (int p = 1; p <= 29; ++p)
        bs_stopSFX(static_cast<int8_t>(100 - p));  // priorities nobody uses
    bs_stopSFX(3);                                 // the 31st distinct stop
    bs_stopSFX(2);                                 // the queue is full: kept aside, not dropped
    bs_stopSFX(-7);
    tick();
    EXPECT_EQ(channelsAt(4), 0u);
    EXPECT_EQ(channelsAt(3), 0u);
    EXPECT_EQ(channelsAt(2), 0u);
    EXPECT_EQ(__builtin_popcount(channelsAt(1)), 1);
    // Nothing of it is left for the next tick.
    bs_playSFX(fx.data(), 2, 127, 127);
    tick();
    EXPECT_EQ(__builtin_popcount(channelsAt(2)), 1);
}

}  // namespace
