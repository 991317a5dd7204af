// bs_getInfo, pack adoption and the two fixed-point tables (note
// frequencies, sample ratios), observed through the note steps that music
// notes leave on their channels.
#include "engine_test.h"

namespace {

TEST(Info, ReportsTheFixedDimensions)
{
    uint32_t channels = 0, rate = 0, tickRate = 0, library = 0, maxLength = 0;
    bs_getInfo(&channels, &rate, &tickRate, &library, &maxLength);
    EXPECT_EQ(channels, 16u);
    EXPECT_EQ(rate, 48000u);
    EXPECT_EQ(tickRate, 240u);
    EXPECT_EQ(library, 256u);
    EXPECT_EQ(maxLength, 32768u);
    bs_getInfo(nullptr, nullptr, nullptr, nullptr, nullptr);
}

TEST(Info, StateTablesAreLinkedByIndex)
{
    Voice* v = nullptr;
    MacroChannel* c = nullptr;
    MusicTrack* t = nullptr;
    bs_getState(&v, &c, &t);
    bs_getState(nullptr, nullptr, nullptr);
    Image samples = samplePack({});
    Image instruments = instrumentPack({});
    ASSERT_EQ(bs_init(samples.data(), instruments.data()), 0);
    for (int i = 0; i < BS_CHANNELS; ++i) {
        EXPECT_EQ(c[i].voice, &v[i]);
        EXPECT_EQ(t[i].voice, &v[i]);
        EXPECT_EQ(t[i].channel, &c[i]);
    }
}

class Adoption : public EngineTest {};

TEST_F(Adoption, AcceptsEmptyPacksAndUpTo256Samples)
{
    Image noSamples = samplePack({});
    Image noInstruments = instrumentPack({});
    EXPECT_EQ(noSamples.size(), 8u);
    EXPECT_EQ(bs_init(noSamples.data(), noInstruments.data()), 0);
    Image full = samplePack(std::vector<SampleDef>(256, flatSample(1, 4)));
    EXPECT_EQ(bs_init(full.data(), noInstruments.data()), 0);
    EXPECT_EQ(bs_initSized(full.data(), full.size(), noInstruments.data(), noInstruments.size()), 0);
}

TEST_F(Adoption, RejectsBadPacksAndThenIgnoresRequests)
{
    Image tooMany = samplePack(std::vector<SampleDef>(257, flatSample(1, 4)));
    Image good = samplePack({flatSample(100)});
    Image instruments = instrumentPack({});
    Image fx = effect({{0, holdMacro(10)}});

    EXPECT_EQ(bs_init(tooMany.data(), instruments.data()), -1);
    EXPECT_EQ(bs_init(good.at(2), instruments.data()), -1);
    EXPECT_EQ(bs_init(good.data(), instruments.at(1)), -1);
    EXPECT_EQ(bs_init(instruments.data(), instruments.data()), -1);  // wrong magic
    EXPECT_EQ(bs_init(good.data(), good.data()), -1);
    EXPECT_EQ(bs_init(nullptr, instruments.data()), -1);

    // Not ready: requests change nothing and the tick renders silence.
    bs_playSFX(fx.data(), 5, 127, 127);
    bs_stopAll();
    bs_attenMusic(3);
    EXPECT_EQ(bs_checkMusic(), 0);
    EXPECT_TRUE(silent(tick()));
    EXPECT_EQ(channelsAt(5), 0u);

    // A good pair makes it ready again.
    ASSERT_EQ(bs_init(good.data(), instruments.data()), 0);
    bs_playSFX(fx.data(), 5, 127, 127);
    EXPECT_FALSE(silent(tick()));
}

TEST_F(Adoption, SizedPacksMustHoldTheirEntryTables)
{
    Image samples = samplePack({flatSample(1, 4), flatSample(2, 4)});
    Image instruments = instrumentPack({{0, Macro().end()}});
    EXPECT_EQ(bs_initSized(samples.data(), samples.size(), instruments.data(), instruments.size()), 0);
    EXPECT_EQ(bs_initSized(samples.data(), 7, instruments.data(), instruments.size()), -1);
    EXPECT_EQ(bs_initSized(samples.data(), 8 + 16 * 2 - 1, instruments.data(), instruments.size()), -1);
    EXPECT_EQ(bs_initSized(samples.data(), samples.size(), instruments.data(), 8 + 12 - 1), -1);
    EXPECT_EQ(bs_initSized(samples.data(), samples.size(), nullptr, 0), -1);
}

TEST_F(Adoption, InitDropsPendingRequestsAndResetsTheMusicVolume)
{
    adopt({flatSample(100)}, {{0, Macro().singleshot().volume(127).wait(1000)}});
    Image fx = effect({{0, holdMacro(1000)}});
    Music music;
    music.label("main").use(0).note(69, 1000).end();
    Image song = music.build({{3, "main"}});
    bs_attenMusic(10);
    tick();
    ASSERT_EQ(tracks[0].attenuation, 10);

    // Requests posted before bs_init are forgotten: none of them is carried out.
    bs_playSFX(fx.data(), 5, 127, 127);
    bs_stopSFX(6);
    bs_playMusic(song.data());
    ASSERT_EQ(bs_init(samples.data(), instruments.data()), 0);
    bs_playSFX(fx.data(), 6, 127, 127);
    tick();
    EXPECT_EQ(channelsAt(5), 0u);
    EXPECT_EQ(channelsAt(6), 1u << 15);  // not stopped by the forgotten stop
    EXPECT_EQ(bs_checkMusic(), 0);
    // The music volume is back at full and reaches every track at the first tick.
    for (int i = 0; i < BS_CHANNELS; ++i)
        EXPECT_EQ(tracks[i].attenuation, 127) << i;
    bs_playMusic(song.data());
    tick();
    EXPECT_EQ(voices[0].panLeft, 126);
}

TEST_F(Adoption, InitStopsEverythingButKeepsPause)
{
    adopt({flatSample(100)});
    Image fx = effect({{0, holdMacro(1000)}});
    bs_playSFX(fx.data(), 5, 127, 127);
    tick();
    ASSERT_EQ(channels[15].priority, 5);
    bs_pause();
    ASSERT_EQ(bs_init(samples.data(), instruments.data()), 0);
    EXPECT_EQ(channels[15].priority, 0);
    EXPECT_EQ(voices[15].mode, 0);
    bs_playSFX(fx.data(), 5, 127, 127);
    EXPECT_TRUE(silent(tick()));  // still paused
    bs_resume();
    EXPECT_FALSE(silent(tick()));
}

// Plays notes 0..127 on instrument `instrument`, one per tick, and returns
// the step each left on channel 0.
std::vector<uint32_t> stepsOf(MacroChannel* channels, uint8_t instrument)
{
    Music music;
    music.label("main").use(instrument);
    for (int n = 0; n < 128; ++n)
        music.note(static_cast<uint8_t>(n), 1);
    music.end();
    Image image = music.build({{10, "main"}});
    bs_playMusic(image.data());
    std::vector<uint32_t> steps;
    for (int n = 0; n < 128; ++n) {
        Block b;
        bs_update(b.data());
        steps.push_back(static_cast<uint32_t>(channels[0].noteStep));
    }
    return steps;
}

class Tables : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        const std::vector<uint8_t> hold = Macro().wait(100000);
        adopt({SampleDef{{1}, hz(48000), hz(1)},  // ratio exactly 1.0: the step is the note's frequency
               SampleDef{{1}, hz(48000), hz(440)},
               SampleDef{{1}, hz(22050), hz(440)},
               SampleDef{{1}, hz(48000), 0},  // no pitch to scale
               SampleDef{std::vector<int8_t>(0x10000 + 10, 1)}},
              {{0, hold}, {1, hold}, {2, hold}, {7, hold}, {3, hold}, {4, hold}});
    }
};

TEST_F(Tables, NoteFrequenciesAreTruncated16Dot16Hertz)
{
    const std::vector<uint32_t> words = stepsOf(channels, 0);
    EXPECT_EQ(words[69], 440u << 16);
    EXPECT_EQ(words[0], 8u << 16 | 0x2D01u);
    EXPECT_EQ(words[60], 261u << 16 | 0xA025u);
    EXPECT_EQ(words[127], 0x30FFu << 16 | 0xDA9Cu);
    EXPECT_EQ(words[81], 880u << 16);
    for (int n = 1; n < 128; ++n)
        EXPECT_LT(words[n - 1], words[n]) << "note " << n;
}

TEST_F(Tables, NoteStepsComeFromTheTruncatedRatio)
{
    const std::vector<uint32_t> words = stepsOf(channels, 0);
    const std::vector<uint32_t> steps = stepsOf(channels, 1);
    EXPECT_EQ(steps[69], 0xFFFFu);
    EXPECT_EQ(steps[81], 0x1FFFFu);
    EXPECT_EQ(steps[57], 0x7FFFu);
    // Every step is the 32.32 ratio 0x94F209 times the note's frequency.
    for (int n = 0; n < 128; ++n)
        EXPECT_EQ(steps[n], static_cast<uint32_t>((uint64_t{0x94F209} * words[n]) >> 32)) << "note " << n;
    EXPECT_EQ(stepsOf(channels, 2)[69], 0x7599u);
}

TEST_F(Tables, ASampleBeyondThePackHasStepZero)
{
    const std::vector<uint32_t> steps = stepsOf(channels, 3);
    EXPECT_EQ(steps[69], 0u);
    EXPECT_EQ(voices[0].length, 0u);
    EXPECT_EQ(stepsOf(channels, 4)[69], 0u);  // content frequency 0
}

TEST_F(Tables, OnlyTheLow16BitsOfASampleLengthCount)
{
    stepsOf(channels, 5);
    EXPECT_EQ(voices[0].length, 10u);
}

}  // namespace
