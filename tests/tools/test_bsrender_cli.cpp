// bsrender as users run it: exit statuses, messages naming the file at fault, the WAV file it
// writes, and what it leaves alone when it fails.
#include "cli_support.h"
#include "formats/opcodes.h"
#include "package_builder.h"

using namespace cli_support;
using namespace testing_packages;

namespace {

class BsrenderCli : public ScratchTest {
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        // A 300-byte ramp; an effect that plays it once (30 ticks); an instrument that holds a
        // note; a one-note song.
        writeBytes(dir / "t.smp", samplePack({{ramp(300)}}));
        writeBytes(dir / "t.ins",
                   instrumentPack({{0,
                                    {MACRO_SINGLESHOT, MACRO_VOLUME, 127, 0, 0, MACRO_LOOP, 0xFF, 0xF0, 0x81,
                                     MACRO_ENDLOOP, MACRO_END},
                                    10}}));
        writeBytes(dir / "blip.sfx", soundEffect({{0,
                                                   {MACRO_SINGLESHOT, MACRO_VOLUME, 127, 0, 0, MACRO_FREQUENCY, 0,
                                                    0, 1, 0, 0, 0, 0, 0, 0x9E, MACRO_END}}}));
        writeBytes(dir / "song.mus",
                   musicTrack({{10, {MUSIC_USING, 0, MUSIC_NOTE, 69, 0xF0, 0x81, MUSIC_NOTE_OFF, MUSIC_PRIORITY, 0}}}));
    }

    ToolRun bsrender(const std::vector<std::string>& args) const { return run(BSRENDER_PATH, args); }
};

}  // namespace

TEST_F(BsrenderCli, WritesTheWavFileAndSaysHowLongItIs)
{
    const ToolRun r = bsrender({"t.smp", "t.ins", "-m", "song.mus", "-e", "blip.sfx@0.5", "-o", "out.wav"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    // The note is 240 ticks long and "end" follows its release: 241 ticks in all.
    EXPECT_EQ(r.out, "out.wav : 1.004 s, the music ended at 1.004 s\n");
    const std::vector<uint8_t> wav = readBytes(dir / "out.wav");
    ASSERT_EQ(wav.size(), 44u + 241u * 800u);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(bs_readU32(wav.data() + 4), wav.size() - 8);
    EXPECT_EQ(bs_readU32(wav.data() + 24), 48000u);
    EXPECT_EQ(bs_readU32(wav.data() + 40), 241u * 800u);
    if (haveProgram("sox")) {
        const ToolRun info = run("sox", {"--i", "out.wav"});
        ASSERT_EQ(info.status, 0) << info.err;
        EXPECT_NE(info.out.find("Channels       : 2"), std::string::npos) << info.out;
        EXPECT_NE(info.out.find("Sample Rate    : 48000"), std::string::npos);
        EXPECT_NE(info.out.find("Precision      : 16-bit"), std::string::npos);
        EXPECT_NE(info.out.find("48200 samples"), std::string::npos);
    }
}

TEST_F(BsrenderCli, SameInputsGiveTheSameBytesAlsoOnStandardOutput)
{
    const std::vector<std::string> job = {"t.smp", "t.ins", "-m", "song.mus", "-e", "blip.sfx@10t,3,127,20",
                                          "-e", "blip.sfx@0.1,4,0,127"};
    std::vector<std::string> a = job, b = job, c = job;
    a.insert(a.end(), {"-o", "a.wav"});
    b.insert(b.end(), {"-o", "b.wav"});
    c.insert(c.end(), {"-o", "-"});
    ASSERT_EQ(bsrender(a).status, 0);
    ASSERT_EQ(bsrender(b).status, 0);
    const ToolRun toStdout = bsrender(c);
    ASSERT_EQ(toStdout.status, 0) << toStdout.err;
    const std::vector<uint8_t> first = readBytes(dir / "a.wav");
    EXPECT_EQ(first, readBytes(dir / "b.wav"));
    EXPECT_EQ(std::vector<uint8_t>(toStdout.outBytes.begin(), toStdout.outBytes.end()), first);
    // With the audio on standard output the summary goes to standard error.
    EXPECT_EQ(toStdout.err, "standard output : 1.004 s, the music ended at 1.004 s\n");
#if !defined(_WIN32)
    // Standard output by its device name works the same (here it is redirected to a file).
    std::vector<std::string> d = job;
    d.insert(d.end(), {"-o", "/dev/stdout"});
    const ToolRun devStdout = bsrender(d);
    ASSERT_EQ(devStdout.status, 0) << devStdout.err;
    EXPECT_EQ(std::vector<uint8_t>(devStdout.out.begin(), devStdout.out.end()), first);
    EXPECT_EQ(devStdout.err, "/dev/stdout : 1.004 s, the music ended at 1.004 s\n");
#endif
}

TEST_F(BsrenderCli, NamesTheFileAndWhatIsWrongWithIt)
{
    writeBytes(dir / "short.mus", {'B', 'M', 'U', 'S', 2, 0, 0, 0, 10});
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"missing.smp", "t.ins", "-m", "song.mus", "-o", "o.wav"},
         "ERROR- Can't open file : missing.smp (No such file or directory)\n"},
        {{"t.ins", "t.smp", "-m", "song.mus", "-o", "o.wav"}, "ERROR- Not a sample pack: it is an instrument pack : t.ins\n"},
        {{"t.smp", "t.ins", "-m", "blip.sfx", "-o", "o.wav"}, "ERROR- Not a music track: it is a sound effect : blip.sfx\n"},
        {{"t.smp", "t.ins", "-m", "short.mus", "-o", "o.wav"},
         "ERROR- Entry table runs past the end of the file (2 tracks need 18 bytes, the file has 9) : short.mus\n"},
        {{"t.smp", "t.ins", "-e", "song.mus", "-o", "o.wav"}, "ERROR- Not a sound effect: it is a music track : song.mus\n"},
#if defined(_WIN32)
        {{"t.smp", "t.ins", "-e", ".", "-o", "o.wav"}, "ERROR- Can't open file : . (Is a directory)\n"},
#else
        {{"t.smp", "t.ins", "-e", ".", "-o", "o.wav"}, "ERROR- Can't read file : . (Is a directory)\n"},
#endif
        {{"t.smp", "t.ins", "-e", "blip.sfx", "-o", "no/such/dir/o.wav"},
         "ERROR- Can't write to destination file : no/such/dir/o.wav (No such file or directory)\n"},
    };
    for (const auto& c : cases) {
        const ToolRun r = bsrender(c.args);
        EXPECT_EQ(r.status, 1) << c.message;
        EXPECT_EQ(r.err, c.message);
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(fs::exists(dir / "o.wav"));
    }
}

TEST_F(BsrenderCli, AFailedRunLeavesAnEarlierOutputAlone)
{
    writeText(dir / "o.wav", "an earlier render");
    writeBytes(dir / "bad.smp", {'B', 'S', 'M', 'P'});
    const ToolRun r = bsrender({"bad.smp", "t.ins", "-m", "song.mus", "-o", "o.wav"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(readText(dir / "o.wav"), "an earlier render");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 6);
}

TEST_F(BsrenderCli, NeverWritesOverOneOfItsInputs)
{
    writeText(dir / "prio.h", "#define BPRI_blip\t\t5\n");
    fs::create_hard_link(dir / "t.ins", dir / "hard.ins");
    std::vector<std::string> outputs = {"song.mus", "hard.ins", "t.smp", "blip.sfx", "prio.h"};
#if defined(_WIN32)
    // Other spellings of the same files: another case, backslashes, the whole path.
    outputs.insert(outputs.end(), {"SONG.MUS", ".\\Blip.sfx", fs::path(dir / "prio.h").make_preferred().string()});
#else
    fs::create_symlink("song.mus", dir / "song.lnk");
    outputs.push_back("./song.lnk");
#endif
    for (const std::string& output : outputs) {
        const std::vector<uint8_t> before = readBytes(dir / output);
        const ToolRun r = bsrender({"t.smp", "t.ins", "-m", "song.mus", "-e", "blip.sfx", "-p", "prio.h", "-o", output});
        EXPECT_EQ(r.status, 1) << output;
        EXPECT_EQ(r.err, "ERROR- The output would overwrite one of the input files : " + output + "\n");
        EXPECT_EQ(readBytes(dir / output), before);
    }
#if defined(_WIN32)
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 6);
#else
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 7);
#endif
}

TEST_F(BsrenderCli, WarnsButRendersWhenPackagesDoNotMatch)
{
    writeBytes(dir / "other.mus", musicTrack({{10, {MUSIC_USING, 4, MUSIC_NOTE, 69, 0x84, MUSIC_PRIORITY, 0}}}));
    const ToolRun r = bsrender({"t.smp", "t.ins", "-m", "other.mus", "-o", "o.wav"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "WARNING- Uses instrument 4, but the instrument pack has only 1 (were both built from the same "
                     "instruments file?) : other.mus\n");
}

TEST_F(BsrenderCli, TakesEffectPrioritiesFromTheHeader)
{
    writeText(dir / "fx.h", "#define BPRI_blip\t\t9\n#define BPRI_zero\t\t0\n");
    fs::copy_file(dir / "blip.sfx", dir / "zero.sfx");
    fs::copy_file(dir / "blip.sfx", dir / "unnamed.sfx");
    ToolRun r = bsrender({"t.smp", "t.ins", "-p", "fx.h", "-e", "blip.sfx", "-o", "o.wav", "-q"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    r = bsrender({"t.smp", "t.ins", "-p", "fx.h", "-e", "unnamed.sfx", "-o", "o.wav"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "ERROR- No BPRI_unnamed for unnamed.sfx (give a priority after its time) : fx.h\n");
    r = bsrender({"t.smp", "t.ins", "-p", "fx.h", "-e", "zero.sfx", "-o", "o.wav"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "ERROR- BPRI_zero is 0, which plays nothing (give a priority after its time) : fx.h\n");
    r = bsrender({"t.smp", "t.ins", "-p", "fx.h", "-e", "zero.sfx@0,7", "-o", "o.wav"});
    EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(BsrenderCli, RefusesMoreEffectsInOneTickThanTheEngineQueues)
{
    std::vector<std::string> args = {"t.smp", "t.ins", "-o", "o.wav"};
    for (int i = 0; i < 32; ++i)
        args.insert(args.end(), {"-e", "blip.sfx@1t"});
    const ToolRun r = bsrender(args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "ERROR- More than 31 sound effects start at 0.004 s; the engine takes at most that many in one tick\n");
    args.resize(4 + 62);
    EXPECT_EQ(bsrender(args).status, 0);
}

TEST_F(BsrenderCli, ReportsTheLimitItStoppedAt)
{
    writeBytes(dir / "forever.mus",
               musicTrack({{10, {MUSIC_USING, 0, MUSIC_LOOP, 0xFF, MUSIC_NOTE, 69, 0xE4, MUSIC_ENDLOOP}}}));
    ToolRun r = bsrender({"t.smp", "t.ins", "-m", "forever.mus", "-l", "2s", "-o", "o.wav"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "o.wav : 2.000 s, stopped at the limit, the music still playing\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(fs::file_size(dir / "o.wav"), 44u + 480u * 800u);
    r = bsrender({"t.smp", "t.ins", "-e", "blip.sfx@3s", "-l", "2s", "-o", "o.wav"});
    EXPECT_EQ(r.err, "WARNING- Starts at or after the limit of 2.000 s and is never heard : blip.sfx\n");
}

TEST_F(BsrenderCli, UsageErrorsAndHelp)
{
    ToolRun r = bsrender({});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "ERROR- Name a sample pack and an instrument pack\nTry \"bsrender --help\".\n");
    r = bsrender({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("Usage : bsrender [options] samples.smp instruments.ins -o output.wav\n", 0), 0u);
    r = bsrender({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("bsrender ", 0), 0u);
}
