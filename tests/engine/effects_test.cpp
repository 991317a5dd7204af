// Sound effects: the three-pass channel search, what a start sets up, stop
// requests, and how effects and music share the channels.
#include "engine_test.h"

namespace {

class Effects : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        adopt({flatSample(100, 30000)}, {{0, Macro().singleshot().volume(127).wait(100000)}});
    }
    Image one = effect({{0, holdMacro(1000)}});
    Image two = effect({{0, holdMacro(1000)}, {0, holdMacro(1000)}});
    Image sixteen = effect(std::vector<EffectChannelDef>(16, EffectChannelDef{0, holdMacro(1000)}));
};

TEST_F(Effects, FillChannelsFromTheTop)
{
    bs_playSFX(two.data(), 5, 127, 127);
    tick();
    EXPECT_EQ(channelsAt(5), 3u << 14);
    EXPECT_EQ(channels[15].noteMode, 0);
    EXPECT_EQ(channels[15].noteOffPosition, 0);
    EXPECT_EQ(channels[15].code, two.data() + 8 + 16);
}

TEST_F(Effects, LevelsComeFromTheRequestAndIgnoreTheMusicVolume)
{
    bs_attenMusic(10);
    bs_playSFX(one.data(), 5, 127, 0);
    const Block b = tick();
    EXPECT_EQ(left(b, 0), 6300);
    EXPECT_EQ(right(b, 0), 0);
    EXPECT_EQ(voices[15].panLeft, 127);
    EXPECT_EQ(voices[15].panRight, 0);
}

TEST_F(Effects, EqualPrioritiesNeverDisplaceEachOther)
{
    bs_playSFX(sixteen.data(), 5, 127, 127);
    tick();
    ASSERT_EQ(channelsAt(5), 0xFFFFu);
    bs_playSFX(one.data(), 5, 127, 127);
    tick();
    EXPECT_EQ(channelsAt(5), 0xFFFFu);
    EXPECT_EQ(channels[15].position, 16);  // the first effect's macro, still waiting
    bs_playSFX(two.data(), 6, 127, 127);
    tick();
    EXPECT_EQ(channelsAt(6), 1u << 15 | 1u << 14);  // highest channel first, one per entry
}

TEST_F(Effects, LaterEntriesAreDroppedWhenNoChannelQualifies)
{
    Image fifteen = effect(std::vector<EffectChannelDef>(15, EffectChannelDef{0, holdMacro(1000)}));
    bs_playSFX(fifteen.data(), 5, 127, 127);
    bs_playSFX(two.data(), 5, 127, 127);
    tick();
    EXPECT_EQ(channelsAt(5), 0xFFFFu);  // the second entry of `two` found nothing
}

TEST_F(Effects, TakingAChannelSilencesOnlyThatChannel)
{
    bs_playSFX(sixteen.data(), 2, 127, 127);
    bs_playSFX(one.data(), 3, 127, 0);
    const Block b = tick();
    EXPECT_EQ(channelsAt(3), 1u << 15);
    EXPECT_EQ(channelsAt(2), 0x7FFFu);
    EXPECT_EQ(channels[15].priority, 3);
    EXPECT_EQ(voices[15].panRight, 0);
    EXPECT_EQ(left(b, 0), 32767);  // 16 x 6300, saturated
    EXPECT_EQ(right(b, 0), 32767);
}

TEST_F(Effects, StopsSilenceEveryEffectOfTheirPriority)
{
    bs_playSFX(one.data(), 4, 127, 127);
    bs_playSFX(two.data(), 4, 127, 127);
    bs_playSFX(one.data(), 7, 127, 127);
    tick();
    ASSERT_EQ(__builtin_popcount(channelsAt(4)), 3);
    bs_stopSFX(4);
    tick();
    EXPECT_EQ(channelsAt(4), 0u);
    EXPECT_EQ(__builtin_popcount(channelsAt(7)), 1);
    for (int i = 0; i < 16; ++i) {
        if (channels[i].priority == 0) {
            EXPECT_EQ(voices[i].mode, 0);
        }
    }
}

TEST_F(Effects, BadImagesAreIgnored)
{
    Image empty = effect({});
    Image wrongMagic = effect({{0, holdMacro(10)}});
    wrongMagic.bytes()[0] = 'X';
    bs_playSFX(empty.data(), 5, 127, 127);
    bs_playSFX(wrongMagic.data(), 5, 127, 127);
    bs_playSFXSized(two.data(), 8 + 8 * 2 - 1, 5, 127, 127);  // entry table cut off
    bs_playSFXSized(two.data(), 7, 5, 127, 127);
    tick();
    EXPECT_EQ(channelsAt(5), 0u);
    bs_playSFXSized(two.data(), two.size(), 5, 127, 127);
    tick();
    EXPECT_EQ(channelsAt(5), 3u << 14);
}

TEST_F(Effects, ASampleBeyondThePackPlaysSilenceAndHoldsTheChannel)
{
    Image ghost = effect({{9, holdMacro(3)}});
    bs_playSFX(ghost.data(), 5, 127, 127);
    EXPECT_TRUE(silent(tick()));
    EXPECT_EQ(voices[15].length, 0u);
    EXPECT_EQ(channels[15].priority, 5);
    ticks(3);
    EXPECT_EQ(channels[15].priority, 0);
}

TEST_F(Effects, SizedSamplePackGivesTheEmptySampleForDataOutside)
{
    Image pack = samplePack({flatSample(100, 50), flatSample(100, 50)});
    ASSERT_EQ(bs_initSized(pack.data(), pack.size() - 1, instruments.data(), instruments.size()), 0);
    Image both = effect({{0, holdMacro(10)}, {1, holdMacro(10)}});
    bs_playSFX(both.data(), 5, 127, 127);
    tick();
    EXPECT_EQ(voices[15].length, 50u);
    EXPECT_EQ(voices[14].length, 0u);  // its last byte lies outside the given size
}

using Tracks = std::vector<std::pair<int8_t, std::string>>;

class EffectsAndMusic : public Effects {
protected:
    // Tracks 0..count-1 at priority 2, each holding one long note.
    void playMusic(int count)
    {
        Music music;
        music.label("hold").use(0).note(69, 100000).end();
        song = music.build(std::vector<std::pair<int8_t, std::string>>(count, {2, "hold"}));
        bs_playMusic(song.data());
    }
    Image song;
};

TEST_F(EffectsAndMusic, ThirdPassTakesAChannelFromTheMusic)
{
    playMusic(4);
    Image twelve = effect(std::vector<EffectChannelDef>(12, EffectChannelDef{0, holdMacro(1000)}));
    bs_playSFX(twelve.data(), 5, 127, 127);
    tick();
    ASSERT_EQ(channelsAt(2), 0xFu);
    ASSERT_EQ(channelsAt(5), 0xFFF0u);
    Image brief = effect({{0, holdMacro(5)}});
    bs_playSFX(brief.data(), 3, 127, 127);
    tick();
    EXPECT_EQ(channelsAt(3), 1u << 3);
    EXPECT_EQ(channels[3].noteMode, 0);
    EXPECT_EQ(tracks[3].priority, 2);  // the track runs on
}

TEST_F(EffectsAndMusic, IdleChannelsUnderActiveTracksAreTakenLast)
{
    Music music;
    music.label("rest").wait(100000).end();
    std::vector<std::pair<int8_t, std::string>> entries(16, {2, "rest"});
    entries[14].first = 0;  // track 14 never plays
    song = music.build(entries);
    bs_playMusic(song.data());
    tick();
    bs_playSFX(one.data(), 1, 127, 127);
    tick();
    EXPECT_EQ(channelsAt(1), 1u << 14);  // pass 1: idle, and its track inactive
    bs_playSFX(one.data(), 1, 127, 127);
    tick();
    EXPECT_EQ(channelsAt(1), 3u << 14);  // pass 3: idle, under an active track
    // A negative priority takes only idle channels under inactive tracks.
    bs_playSFX(one.data(), -3, 127, 127);
    tick();
    EXPECT_EQ(channelsAt(-3), 0u);
}

TEST_F(EffectsAndMusic, WeakerChannelsUnderInactiveTracksComeBeforeMusic)
{
    Music music;
    music.label("idle").wait(1000).end().label("hold").use(0).note(69, 100000).end();
    Tracks entries(16, {0, "idle"});
    entries[15] = {2, "hold"};
    song = music.build(entries);
    bs_playMusic(song.data());
    tick();
    ASSERT_EQ(channels[15].priority, 2);
    Image fourteen = effect(std::vector<EffectChannelDef>(14, EffectChannelDef{0, holdMacro(1000)}));
    bs_playSFX(fourteen.data(), 9, 127, 127);
    bs_playSFX(one.data(), 1, 127, 127);
    tick();
    ASSERT_EQ(channels[0].priority, 1);
    bs_playSFX(one.data(), 3, 127, 127);
    tick();
    EXPECT_EQ(channelsAt(3), 1u);  // pass 2 found channel 0 before pass 3 would take 15
    EXPECT_EQ(channels[15].noteMode, -1);
}

TEST_F(EffectsAndMusic, StopsNeverTouchMusicNotes)
{
    playMusic(2);
    tick();
    ASSERT_EQ(channelsAt(2), 3u);
    bs_stopSFX(2);
    tick();
    EXPECT_EQ(channelsAt(2), 3u);
    EXPECT_EQ(voices[0].mode, 1);
}

TEST_F(EffectsAndMusic, MusicStopsLeaveEffectsAlone)
{
    playMusic(2);
    bs_playSFX(one.data(), 5, 127, 127);
    tick();
    bs_stopMusic();
    tick();
    EXPECT_EQ(channelsAt(2), 0u);
    EXPECT_EQ(voices[0].mode, 0);
    EXPECT_EQ(channelsAt(5), 1u << 15);
    bs_stopAll();
    tick();
    EXPECT_EQ(channelsAt(0), 0xFFFFu);
}

}  // namespace
