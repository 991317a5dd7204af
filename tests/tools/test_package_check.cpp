// What the tools say about broken or mismatched packages before the engine sees them.
#include <gtest/gtest.h>

#include "package_builder.h"
#include "tools/common/package_check.h"

using namespace bs;
using namespace testing_packages;

namespace {

CheckResult samples(const Bytes& b)
{
    return checkSamplePack(b.data(), uint32_t(b.size()));
}

Bytes twoSamples()
{
    return samplePack({{ramp(100)}, {ramp(40)}});
}

SampleTable tableOf(const Bytes& pack)
{
    return SampleTable{pack.data(), bs_readU32(pack.data() + 4)};
}

bool hasWarning(const CheckResult& r, const std::string& text)
{
    for (const std::string& w : r.warnings)
        if (w.find(text) != std::string::npos)
            return true;
    return false;
}

// mode looping START END, volume 100, wait 10, end
Bytes loopingCode(uint16_t start, uint16_t end)
{
    return {MACRO_LOOPING, uint8_t(start), uint8_t(start >> 8), uint8_t(end), uint8_t(end >> 8),
            MACRO_VOLUME, 100, 0, 0, 0x8A, MACRO_END};
}

}  // namespace

TEST(SamplePackCheck, AcceptsAGoodPackAndCountsItsSamples)
{
    const CheckResult r = samples(twoSamples());
    EXPECT_TRUE(r.ok()) << r.error;
    EXPECT_TRUE(r.warnings.empty());
    EXPECT_EQ(r.count, 2u);
    const Bytes empty = samplePack({});
    EXPECT_TRUE(samples(empty).ok());
}

TEST(SamplePackCheck, NamesTheKindOfFileItGotInstead)
{
    EXPECT_EQ(samples(instrumentPack({})).error, "Not a sample pack: it is an instrument pack");
    EXPECT_EQ(samples(musicTrack({})).error, "Not a sample pack: it is a music track");
    const Bytes wav = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    EXPECT_EQ(samples(wav).error, "Not a sample pack: it is a WAV file");
    const Bytes text = {'h', 'e', 'l', 'l', 'o', '\n', 0, 0};
    EXPECT_EQ(samples(text).error, "Not a sample pack: it begins with \"hell\", not \"BSMP\"");
    const Bytes binary = {0x00, '"', '\\', 0xFF, 0, 0, 0, 0};
    EXPECT_EQ(samples(binary).error, "Not a sample pack: it begins with \"\\x00\\x22\\x5C\\xFF\", not \"BSMP\"");
    const Bytes shortPack = {'B', 'S', 'M', 'P', 1};
    EXPECT_EQ(samples(shortPack).error, "Too short to be a sample pack (5 bytes)");
    const Bytes tiny = {'B'};
    EXPECT_EQ(samples(tiny).error, "Too short to be a sample pack (1 bytes)");
}

TEST(SamplePackCheck, RefusesTablesAndSamplesOutsideTheFile)
{
    Bytes pack = twoSamples();
    pack.resize(30);
    EXPECT_EQ(samples(pack).error, "Entry table runs past the end of the file (2 samples need 40 bytes, the file has 30)");
    const Bytes oneTrack = {'B', 'M', 'U', 'S', 1, 0, 0, 0, 10};
    EXPECT_EQ(checkMusicTrack(oneTrack.data(), uint32_t(oneTrack.size()), 1).error,
              "Entry table runs past the end of the file (1 track needs 13 bytes, the file has 9)");

    pack = twoSamples();
    bs_writeU32(pack.data() + 4, 0xFFFFFFFFu);  // a count whose table size overflows 32 bits
    EXPECT_FALSE(samples(pack).ok());

    pack = twoSamples();
    bs_writeU32(pack.data() + 8 + 16 + 4, 41);  // the last sample one byte too long
    EXPECT_EQ(samples(pack).error, "Sample 1 lies outside the file (offset 140, length 41, file size 180)");

    pack = twoSamples();
    bs_writeU32(pack.data() + 8, 0xFFFFFFF0u);  // offset + length wraps around 32 bits
    EXPECT_NE(samples(pack).error.find("Sample 0 lies outside the file"), std::string::npos);
}

TEST(SamplePackCheck, TakesAtMost256Samples)
{
    std::vector<Sample> many(256, Sample{ramp(1)});
    EXPECT_TRUE(samples(samplePack(many)).ok());
    many.push_back(Sample{ramp(1)});
    EXPECT_EQ(samples(samplePack(many)).error, "Holds 257 samples; the engine takes at most 256");
}

TEST(SamplePackCheck, RefusesFrequenciesBelowOneHertz)
{
    EXPECT_EQ(samples(samplePack({{ramp(4), 0x8000u, 440u << 16}})).error,
              "Sample 0 has a sample rate below 1 Hz (0x8000 in 16.16)");
    EXPECT_EQ(samples(samplePack({{ramp(4), 8000u << 16, 0}})).error,
              "Sample 0 has a content frequency below 1 Hz (0x0 in 16.16)");
}

TEST(SamplePackCheck, WarnsAboutLengthsTheEngineCannotPlayWhole)
{
    EXPECT_TRUE(hasWarning(samples(samplePack({{{}}})), "Sample 0 is empty"));
    EXPECT_TRUE(hasWarning(samples(samplePack({{std::vector<int8_t>(40000)}})),
                           "Sample 0 has 40000 samples, more than the maximum of 32768 the engine reports; it "
                           "plays all of them, but bscomp's loop points reach only the first 32768"));
    EXPECT_TRUE(hasWarning(samples(samplePack({{std::vector<int8_t>(70000)}})),
                           "the engine plays only the first 4464"));
    EXPECT_TRUE(samples(samplePack({{std::vector<int8_t>(32768)}})).warnings.empty());
}

TEST(InstrumentPackCheck, AcceptsInstrumentsWithEmptyCodeAtTheEnd)
{
    const Bytes smp = twoSamples();
    const Bytes pack = instrumentPack({{0, loopingCode(0, 100), 9}, {1, {}}});
    const CheckResult r = checkInstrumentPack(pack.data(), uint32_t(pack.size()), tableOf(smp));
    EXPECT_TRUE(r.ok()) << r.error;
    EXPECT_TRUE(r.warnings.empty()) << r.warnings[0];
    EXPECT_EQ(r.count, 2u);
}

TEST(InstrumentPackCheck, RefusesCodeAndNoteOffPointsOutsideTheFile)
{
    const Bytes smp = twoSamples();
    Bytes pack = instrumentPack({{0, loopingCode(0, 100)}});
    bs_writeU32(pack.data() + 8 + 4, 12);  // points into its own entry table
    EXPECT_EQ(checkInstrumentPack(pack.data(), uint32_t(pack.size()), tableOf(smp)).error,
              "Instrument 0's code offset 12 lies outside the code area (20 to 31)");
    pack = instrumentPack({{0, loopingCode(0, 100)}});
    bs_writeU32(pack.data() + 8 + 4, 32);
    EXPECT_FALSE(checkInstrumentPack(pack.data(), uint32_t(pack.size()), tableOf(smp)).ok());
    pack = instrumentPack({{0, loopingCode(0, 100), 12}});
    EXPECT_EQ(checkInstrumentPack(pack.data(), uint32_t(pack.size()), tableOf(smp)).error,
              "Instrument 0's note-off point (12 bytes into its code) lies past the end of the file");
}

TEST(InstrumentPackCheck, WarnsAboutMissingSamplesLoopsBeyondThemAndOddCode)
{
    const Bytes smp = twoSamples();
    const Bytes pack = instrumentPack({
        {2, loopingCode(0, 10)},               // no sample 2
        {1, loopingCode(0, 41)},               // sample 1 has 40 samples
        {0, {MACRO_VOLUME, 100, 0, 0, 0x42}},  // opcode 0x42 does not exist
        {0, {MACRO_END, MACRO_FREQUENCY, 0}},  // code ends inside "frequency"
    });
    const CheckResult r = checkInstrumentPack(pack.data(), uint32_t(pack.size()), tableOf(smp));
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_TRUE(hasWarning(r, "Instrument 0 uses sample 2, but the sample pack has only 2: it plays silence"));
    EXPECT_TRUE(hasWarning(r, "Instrument 1 loops up to offset 41, beyond the end of its sample (40 samples)"));
    EXPECT_TRUE(hasWarning(r, "Instrument 2: unknown opcode 0x42"));
    EXPECT_TRUE(hasWarning(r, "Instrument 3: its code ends inside an instruction"));
}

TEST(InstrumentPackCheck, LimitsTheNumberOfWarnings)
{
    const Bytes smp = twoSamples();
    const Bytes pack = instrumentPack(std::vector<Macro>(20, Macro{9, loopingCode(0, 10)}));
    const CheckResult r = checkInstrumentPack(pack.data(), uint32_t(pack.size()), tableOf(smp));
    ASSERT_EQ(r.warnings.size(), 9u);
    EXPECT_EQ(r.warnings.back(), "(further warnings not shown)");
}

TEST(SoundEffectCheck, RefusesAnEffectWithoutChannels)
{
    const Bytes smp = twoSamples();
    const Bytes empty = soundEffect({});
    EXPECT_EQ(checkSoundEffect(empty.data(), uint32_t(empty.size()), tableOf(smp)).error,
              "Has no channels (the engine ignores such an effect)");
}

TEST(SoundEffectCheck, ChecksEveryChannel)
{
    const Bytes smp = twoSamples();
    Bytes fx = soundEffect({{0, loopingCode(0, 50)}, {5, loopingCode(0, 20)}});
    CheckResult r = checkSoundEffect(fx.data(), uint32_t(fx.size()), tableOf(smp));
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_TRUE(hasWarning(r, "Channel 1 uses sample 5"));
    bs_writeU32(fx.data() + 8 + 8 + 4, 1000);
    r = checkSoundEffect(fx.data(), uint32_t(fx.size()), tableOf(smp));
    EXPECT_EQ(r.error, "Channel 1's code offset 1000 lies outside the code area (24 to 46)");
    fx = soundEffect(std::vector<Macro>(17, Macro{0, {MACRO_END}}));
    r = checkSoundEffect(fx.data(), uint32_t(fx.size()), tableOf(smp));
    EXPECT_TRUE(hasWarning(r, "Uses 17 channels; the engine has 16"));
}

TEST(MusicTrackCheck, AcceptsCallsBackwardsAndForwards)
{
    // Track 0: call riff (forward), end. riff: wait 1, call back to the start of track 0's code
    // would loop; here riff calls nothing and returns. Track 1 calls riff backwards.
    Bytes t0 = {MUSIC_CALL, 2, 0, 0, 0, MUSIC_PRIORITY, 0};  // riff follows these 7 bytes
    Bytes riff = {0x81, MUSIC_RETURN};
    t0.insert(t0.end(), riff.begin(), riff.end());
    const int32_t back = -(7 + 2 + 5) + 7;  // from the end of track 1's operand to riff
    Bytes t1 = {MUSIC_CALL, uint8_t(back), uint8_t(back >> 8), uint8_t(back >> 16), uint8_t(back >> 24),
                MUSIC_PRIORITY, 0};
    const Bytes mus = musicTrack({{10, t0}, {10, t1}});
    const CheckResult r = checkMusicTrack(mus.data(), uint32_t(mus.size()), 1);
    EXPECT_TRUE(r.ok()) << r.error;
    EXPECT_TRUE(r.warnings.empty());
    EXPECT_EQ(r.count, 2u);
}

TEST(MusicTrackCheck, RefusesCallsAndTracksOutsideTheCode)
{
    Bytes mus = musicTrack({{10, {MUSIC_CALL, 0x10, 0, 0, 0, MUSIC_PRIORITY, 0}}});
    EXPECT_EQ(checkMusicTrack(mus.data(), uint32_t(mus.size()), 1).error,
              "The call at file offset 13 leads outside the code (to 34)");
    mus = musicTrack({{10, {MUSIC_CALL, 0xF0, 0xFF, 0xFF, 0xFF, MUSIC_PRIORITY, 0}}});
    EXPECT_NE(checkMusicTrack(mus.data(), uint32_t(mus.size()), 1).error.find("leads outside the code"),
              std::string::npos);
    mus = musicTrack({{10, {MUSIC_PRIORITY, 0}}});
    bs_writeU32(mus.data() + 9, 100);
    EXPECT_EQ(checkMusicTrack(mus.data(), uint32_t(mus.size()), 1).error,
              "Track 0's code offset 100 lies outside the code area (13 to 15)");
}

TEST(MusicTrackCheck, WarnsAboutInstrumentsTheInstrumentPackLacks)
{
    const Bytes mus = musicTrack({{10, {MUSIC_USING, 3, MUSIC_NOTE, 69, 0x81, MUSIC_USING, 0, MUSIC_USING, 3, MUSIC_PRIORITY, 0}}});
    const CheckResult r = checkMusicTrack(mus.data(), uint32_t(mus.size()), 2);
    ASSERT_TRUE(r.ok());
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_EQ(r.warnings[0],
              "Uses instrument 3, but the instrument pack has only 2 (were both built from the same instruments file?)");
}

TEST(MusicTrackCheck, WarnsAboutTracksThatNeverPlay)
{
    EXPECT_TRUE(hasWarning(checkMusicTrack(musicTrack({{0, {}}}).data(), 13, 1), "No track has a priority"));
    const Bytes many = musicTrack(std::vector<Track>(17, Track{5, {MUSIC_PRIORITY, 0}}));
    EXPECT_TRUE(hasWarning(checkMusicTrack(many.data(), uint32_t(many.size()), 1),
                           "Has 17 tracks; the engine plays the first 16 and drops the rest"));
}

TEST(InstrumentPackCheck, ReadsCodeSharedByManyEntriesOnce)
{
    // 200000 instruments on one long piece of code: reading it once per entry, or looking
    // through the whole table for each entry's end, would take hours.
    const uint32_t count = 200000;
    Bytes code(100000, 0x81);  // waits
    code.push_back(MACRO_END);
    Bytes pack = instrumentPack({{0, code}});
    bs_writeU32(pack.data() + 4, count);
    Bytes entries;
    for (uint32_t i = 0; i < count; ++i) {
        putU32(entries, 0);
        putU32(entries, BS_HEADER_SIZE + count * BS_INSTRUMENT_ENTRY_SIZE);
        putU32(entries, 0);
    }
    pack.erase(pack.begin() + BS_HEADER_SIZE, pack.begin() + BS_HEADER_SIZE + BS_INSTRUMENT_ENTRY_SIZE);
    pack.insert(pack.begin() + BS_HEADER_SIZE, entries.begin(), entries.end());
    const Bytes smp = twoSamples();
    const CheckResult r = checkInstrumentPack(pack.data(), uint32_t(pack.size()), tableOf(smp));
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.count, count);
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_EQ(r.warnings[0], "Holds 200000 instruments; music can choose only the first 256");
}
