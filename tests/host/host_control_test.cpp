// The control surface: forwards only while running, priority 0, the state
// copies and the information query.
#include <cstring>

#include "fake_host.h"

namespace hosttest {
namespace {

class ControlTest : public FakeHostTest {
protected:
    // Renders one block after the first tick and tells whether it was silent.
    bool nextBlockSilent()
    {
        uint32_t before = blocksRendered();
        play_ += kBlock;
        tickAt(play_, play_ + 960);
        EXPECT_EQ(blocksRendered(), before + 1);
        int16_t ring[HX_RING_VALUES];
        hx_copyState(nullptr, nullptr, nullptr, nullptr, nullptr, ring);
        uint32_t slot = (before % 4) * BS_BLOCK_VALUES;
        for (uint32_t i = 0; i < BS_BLOCK_VALUES; ++i)
            if (ring[slot + i] != 0)
                return false;
        return true;
    }
    void firstTick()
    {
        tickAt(0, 0);
        play_ = 3200;
    }

    uint32_t play_ = 0;
};

TEST_F(ControlTest, ForwardsBeforeInitDoNothing)
{
    // Were it forwarded, the engine would remember the pause across bs_init
    // and the host would start silent.
    hx_pause();
    hx_playSFX(effect.data(), 5, 127, 127);
    hx_playMusic(music.data());
    EXPECT_EQ(hx_checkMusic(), 0);
    ASSERT_EQ(start(), HX_S_OK);
    firstTick();
    EXPECT_TRUE(nextBlockSilent());  // nothing was queued before init
    hx_playSFX(effect.data(), 5, 127, 127);
    EXPECT_FALSE(nextBlockSilent());  // not paused: the effect sounds at once
}

TEST_F(ControlTest, ForwardsAfterAFailedInitOrCloseDoNothing)
{
    platform.openResult = HX_E_NODEVICE;
    ASSERT_EQ(start(), HX_E_NODEVICE);
    // bs_init did succeed: a forward reaching the engine would now act.
    hx_playMusic(music.data());
    hx_pause();
    int16_t block[BS_BLOCK_VALUES];
    bs_update(block);
    EXPECT_EQ(bs_checkMusic(), 0);
    EXPECT_EQ(hx_checkMusic(), 0);

    platform.openResult = 0;
    ASSERT_EQ(start(), HX_S_OK);
    firstTick();
    hx_playMusic(music.data());
    for (int i = 0; i < 5; ++i)
        nextBlockSilent();
    EXPECT_EQ(hx_checkMusic(), 1);
    hx_close();
    hx_stopAll();
    hx_stopMusic();
    bs_update(block);
    EXPECT_EQ(bs_checkMusic(), 1);  // the stops were not forwarded
    EXPECT_EQ(hx_checkMusic(), 0);  // and the host answers 0 when closed
}

TEST_F(ControlTest, EveryForwardReachesTheEngine)
{
    ASSERT_EQ(start(), HX_S_OK);
    firstTick();
    hx_playMusicSized(music.data(), music.size());
    for (int i = 0; i < 5; ++i)
        nextBlockSilent();
    EXPECT_EQ(hx_checkMusic(), 1);
    hx_stopMusic();
    for (int i = 0; i < 5; ++i)
        nextBlockSilent();
    EXPECT_EQ(hx_checkMusic(), 0);

    hx_playMusic(music.data());
    hx_attenMusic(64);
    for (int i = 0; i < 5; ++i)
        nextBlockSilent();
    MusicTrack tracks[BS_CHANNELS];
    hx_copyState(nullptr, nullptr, tracks, nullptr, nullptr, nullptr);
    EXPECT_EQ(tracks[0].attenuation, 64);
    EXPECT_EQ(tracks[0].outLeft, (64 * 127) >> 7);

    hx_stopAll();
    for (int i = 0; i < 5; ++i)
        nextBlockSilent();
    EXPECT_EQ(hx_checkMusic(), 0);

    hx_playSFXSized(effect.data(), effect.size(), 7, 127, 0);
    hx_pause();
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(nextBlockSilent());
    MacroChannel channels[BS_CHANNELS];
    hx_copyState(nullptr, channels, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(channels[15].priority, 7);
    hx_resume();
    for (int i = 0; i < 4; ++i)
        nextBlockSilent();
    EXPECT_FALSE(nextBlockSilent());
    hx_stopSFX(7);
    for (int i = 0; i < 5; ++i)
        nextBlockSilent();
    hx_copyState(nullptr, channels, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(channels[15].priority, 0);
}

TEST_F(ControlTest, PriorityZeroIsIgnoredWithoutTakingTheMutex)
{
    ASSERT_EQ(start(), HX_S_OK);
    firstTick();
    // With engineMutex held elsewhere, a forward that took it would block.
    ASSERT_TRUE(host().engineMutex->tryLock());
    hx_playSFX(effect.data(), 0, 127, 127);
    hx_playSFXSized(effect.data(), effect.size(), 0, 127, 127);
    host().engineMutex->unlock();
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(nextBlockSilent());
    // hx_stopSFX(0) is forwarded and the engine ignores it.
    hx_stopSFX(0);
}

TEST_F(ControlTest, GetStateHandsOutTheLiveTables)
{
    void* voices = nullptr;
    void* channels = nullptr;
    void* tracks = nullptr;
    int32_t running = 7;
    uint32_t rendered = 7;
    int16_t* ring = nullptr;
    uint32_t length = 0;
    hx_getState(&voices, &channels, &tracks, &running, &rendered, &ring, &length);
    Voice* engineVoices = nullptr;
    MacroChannel* engineChannels = nullptr;
    MusicTrack* engineTracks = nullptr;
    bs_getState(&engineVoices, &engineChannels, &engineTracks);
    EXPECT_EQ(voices, engineVoices);
    EXPECT_EQ(channels, engineChannels);
    EXPECT_EQ(tracks, engineTracks);
    EXPECT_EQ(running, 0);
    EXPECT_EQ(ring, host().renderRing);
    EXPECT_EQ(length, 1600u);

    ASSERT_EQ(start(), HX_S_OK);
    firstTick();
    nextBlockSilent();
    hx_getState(nullptr, nullptr, nullptr, &running, &rendered, nullptr, nullptr);
    EXPECT_EQ(running, -1);
    EXPECT_EQ(rendered, 5u);
    // Every pointer may be null.
    hx_getState(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
}

TEST_F(ControlTest, CopyStateMatchesTheLiveTables)
{
    ASSERT_EQ(start(), HX_S_OK);
    firstTick();
    hx_playMusic(music.data());
    hx_playSFX(effect.data(), 9, 127, 127);
    for (int i = 0; i < 3; ++i)
        nextBlockSilent();

    Voice voices[BS_CHANNELS];
    MacroChannel channels[BS_CHANNELS];
    MusicTrack tracks[BS_CHANNELS];
    int32_t running = 0;
    uint32_t rendered = 0;
    int16_t ring[HX_RING_VALUES];
    hx_copyState(voices, channels, tracks, &running, &rendered, ring);
    Voice* liveVoices = nullptr;
    MacroChannel* liveChannels = nullptr;
    MusicTrack* liveTracks = nullptr;
    bs_getState(&liveVoices, &liveChannels, &liveTracks);
    EXPECT_EQ(std::memcmp(voices, liveVoices, sizeof voices), 0);
    EXPECT_EQ(std::memcmp(channels, liveChannels, sizeof channels), 0);
    EXPECT_EQ(std::memcmp(tracks, liveTracks, sizeof tracks), 0);
    EXPECT_EQ(std::memcmp(ring, host().renderRing, sizeof ring), 0);
    EXPECT_EQ(running, -1);
    EXPECT_EQ(rendered, 7u);
    EXPECT_EQ(channels[0].priority, 10);  // the tune
    EXPECT_EQ(channels[15].priority, 9);  // the effect
    EXPECT_NE(voices[15].mode, 0);

    // Also when closed, and with every pointer null.
    hx_close();
    hx_copyState(nullptr, nullptr, nullptr, &running, nullptr, nullptr);
    EXPECT_EQ(running, 0);
    hx_copyState(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
}

TEST(HostInfo, ReportsTheEngineAndAcceptsIt)
{
    uint32_t values[5] = {};
    EXPECT_EQ(hx_getInfo(&values[0], &values[1], &values[2], &values[3], &values[4]), 0);
    EXPECT_EQ(values[0], 16u);
    EXPECT_EQ(values[1], 48000u);
    EXPECT_EQ(values[2], 240u);
    EXPECT_EQ(values[3], 256u);
    EXPECT_EQ(values[4], 32768u);
    EXPECT_EQ(hx_getInfo(nullptr, nullptr, nullptr, nullptr, nullptr), 0);
    uint32_t rate = 0;
    EXPECT_EQ(hx_getInfo(nullptr, &rate, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(rate, 48000u);
}

TEST(HostResultText, NamesTheResultsOfInit)
{
    EXPECT_STREQ(hx_resultText(HX_E_NODEVICE), "no sound output device could be opened");
    EXPECT_STREQ(hx_resultText(HX_S_OK), "success");
    EXPECT_STREQ(hx_resultText(HX_E_SYSTEM(12)), "the system refused a resource (timer or thread)");
    EXPECT_NE(hx_resultText(static_cast<HXRESULT>(0x88780001u)), nullptr);
}

}  // namespace
}  // namespace hosttest
