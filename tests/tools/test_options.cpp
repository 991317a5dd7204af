// bsrender's command line: times, effect requests, and the errors a user meets.
#include <gtest/gtest.h>

#include <vector>

#include "tools/bsrender/options.h"

using namespace bsrender;

namespace {

struct Parsed {
    bool ok;
    Options options;
    std::string error;
};

Parsed parse(std::vector<const char*> args)
{
    args.insert(args.begin(), "bsrender");
    Parsed p;
    p.ok = parseOptions(int(args.size()), args.data(), &p.options, &p.error);
    return p;
}

uint32_t ticks(const char* text)
{
    uint32_t t = 12345;
    EXPECT_TRUE(parseTime(text, &t)) << text;
    return t;
}

}  // namespace

TEST(BsrenderTime, ReadsSecondsMillisecondsAndTicksRoundedToTheNearestTick)
{
    EXPECT_EQ(ticks("2"), 480u);
    EXPECT_EQ(ticks("1.5"), 360u);
    EXPECT_EQ(ticks("1.5s"), 360u);
    EXPECT_EQ(ticks(".5"), 120u);
    EXPECT_EQ(ticks("250ms"), 60u);
    EXPECT_EQ(ticks("120t"), 120u);
    EXPECT_EQ(ticks("2m"), 28800u);
    EXPECT_EQ(ticks("1.5h"), 1296000u);
    EXPECT_EQ(ticks("0"), 0u);
    // 1 ms is 0.24 ticks, 3 ms 0.72: rounded to 0 and 1.
    EXPECT_EQ(ticks("1ms"), 0u);
    EXPECT_EQ(ticks("3ms"), 1u);
    // Digits beyond the ninth after the point cannot change the tick.
    EXPECT_EQ(ticks("0.0041666666666666"), 1u);
}

TEST(BsrenderTime, RefusesWhatIsNoTime)
{
    uint32_t t = 0;
    for (const char* text : {"", "s", "-1", "1.5x", "1 s", "1e3", "abc", "1.2.3", "999999999999", "2min", "1hs"})
        EXPECT_FALSE(parseTime(text, &t)) << text;
}

TEST(BsrenderOptions, TakesPacksOutputMusicAndEffects)
{
    const Parsed p = parse({"a.smp", "b.ins", "-o", "out.wav", "--music=song.mus", "-a", "64", "-e",
                            "boom.sfx@1.5,20,127,0", "--sfx", "fx/click.sfx", "--limit", "10s", "-q"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.samplePath, "a.smp");
    EXPECT_EQ(p.options.instrumentPath, "b.ins");
    EXPECT_EQ(p.options.outputPath, "out.wav");
    EXPECT_EQ(p.options.musicPath, "song.mus");
    EXPECT_EQ(p.options.attenuation, 64);
    EXPECT_EQ(p.options.limitTicks, 2400u);
    EXPECT_TRUE(p.options.limitGiven);
    EXPECT_TRUE(p.options.quiet);
    ASSERT_EQ(p.options.effects.size(), 2u);
    const EffectRequest& boom = p.options.effects[0];
    EXPECT_EQ(boom.path, "boom.sfx");
    EXPECT_EQ(boom.tick, 360u);
    ASSERT_TRUE(boom.priority.has_value());
    EXPECT_EQ(*boom.priority, 20);
    EXPECT_EQ(boom.left, 127);
    EXPECT_EQ(boom.right, 0);
    const EffectRequest& click = p.options.effects[1];
    EXPECT_EQ(click.path, "fx/click.sfx");
    EXPECT_EQ(click.tick, 0u);
    EXPECT_FALSE(click.priority.has_value());
    EXPECT_EQ(click.left, 127);
    EXPECT_EQ(click.right, 127);
}

TEST(BsrenderOptions, EffectFieldsLeftEmptyKeepTheirDefaults)
{
    const Parsed p = parse({"a.smp", "b.ins", "-o", "o.wav", "-e", "x.sfx@,,-5,100", "-e", "y.sfx@2,-3"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.effects[0].tick, 0u);
    EXPECT_FALSE(p.options.effects[0].priority.has_value());
    EXPECT_EQ(p.options.effects[0].left, -5);
    EXPECT_EQ(p.options.effects[0].right, 100);
    EXPECT_EQ(*p.options.effects[1].priority, -3);
}

TEST(BsrenderOptions, AtSignsInFileNamesStayInTheName)
{
    const Parsed p = parse({"a.smp", "b.ins", "-o", "o.wav", "-e", "takes@home/x.sfx", "-e", "v@2/y.sfx@1t"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.effects[0].path, "takes@home/x.sfx");
    EXPECT_EQ(p.options.effects[1].path, "v@2/y.sfx");
    EXPECT_EQ(p.options.effects[1].tick, 1u);
}

TEST(BsrenderOptions, DefaultsWithoutOptions)
{
    const Parsed p = parse({"a.smp", "b.ins", "-o", "o.wav", "-m", "m.mus"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.attenuation, 127);
    EXPECT_EQ(p.options.limitTicks, kDefaultLimitTicks);
    EXPECT_FALSE(p.options.limitGiven);
    EXPECT_FALSE(p.options.quiet);
}

TEST(BsrenderOptions, HelpAndVersionNeedNothingElse)
{
    EXPECT_TRUE(parse({"--help"}).options.showHelp);
    EXPECT_TRUE(parse({"-h"}).ok);
    EXPECT_TRUE(parse({"--version"}).options.showVersion);
    EXPECT_NE(std::string(usageText()).find("--sfx"), std::string::npos);
}

TEST(BsrenderOptions, ExplainsWhatIsWrong)
{
    const struct {
        std::vector<const char*> args;
        const char* expected;
    } cases[] = {
        {{"a.smp", "-o", "o.wav", "-m", "m"}, "Name a sample pack and an instrument pack"},
        {{"a.smp", "b.ins", "c", "-o", "o.wav", "-m", "m"}, "Unexpected argument c"},
        {{"a.smp", "b.ins", "-m", "m"}, "Name the WAV file to write with -o"},
        {{"a.smp", "b.ins", "-o", "o.wav"}, "Nothing to render"},
        {{"a.smp", "b.ins", "-o"}, "Option -o needs a value"},
        {{"a.smp", "b.ins", "-o", "o.wav", "-m", "m", "--bogus"}, "Unknown option --bogus"},
        {{"a.smp", "b.ins", "-o", "o.wav", "-m", "m", "--quiet=yes"}, "Option --quiet takes no value"},
        {{"a.smp", "b.ins", "-o", "o.wav", "-a", "128", "-m", "m"}, "The attenuation must be a whole number from -128 to 127"},
        {{"a.smp", "b.ins", "-o", "o.wav", "-l", "0", "-m", "m"}, "The limit must be a time from 1t to 6 hours"},
        {{"a.smp", "b.ins", "-o", "o.wav", "-l", "6.01h", "-m", "m"}, "The limit must be"},
        {{"a.smp", "b.ins", "-o", "o.wav", "-l", "21601", "-m", "m"}, "The limit must be"},
        {{"a.smp", "b.ins", "-o", "o.wav", "-e", "x.sfx@2,0"}, "PRIORITY 0 is not allowed"},
        {{"a.smp", "b.ins", "-o", "o.wav", "-e", "x.sfx@2,200"}, "PRIORITY must be a whole number"},
        {{"a.smp", "b.ins", "-o", "o.wav", "-e", "x.sfx@2,5,127"}, "LEFT needs RIGHT after it"},
        {{"a.smp", "b.ins", "-o", "o.wav", "-e", "x.sfx@2,5,1,2,3"}, "too many fields"},
        {{"a.smp", "b.ins", "-o", "o.wav", "-e", "x.sfx@2q"}, "\"2q\" is not a time"},
        {{"a.smp", "b.ins", "-o", "o.wav", "-e", "@2"}, "names no file"},
        {{"a.smp", "b.ins", "-o", "", "-m", "m"}, "needs a file name"},
    };
    for (const auto& c : cases) {
        const Parsed p = parse(c.args);
        EXPECT_FALSE(p.ok) << c.expected;
        EXPECT_NE(p.error.find(c.expected), std::string::npos) << "got: " << p.error;
    }
}

TEST(BsrenderOptions, DoubleDashEndsOptions)
{
    const Parsed p = parse({"-o", "o.wav", "-m", "m.mus", "--", "-odd.smp", "b.ins"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.samplePath, "-odd.smp");
}
