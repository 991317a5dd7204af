// The bscomp command line, run as the real program: argument checks, usage text, mode
// banners, streams and exit statuses.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bscomp_test_support.h"

using bscomp_test::runBscomp;
using bscomp_test::RunResult;
using bscomp_test::TempDir;

namespace {

const std::string kUsage =
    "Usage :\n"
    "  bscomp (-smp/-sfx/-ins/-mus) [outfile] (source data)\n"
    " Where the specific syntax depends upon the operating mode, all of which are\n"
    " listed below...\n"
    "\n"
    "::Sample Pack Mode (-smp),\n"
    "  bscomp -smp output.smp samples.txt\n"
    " All samples in the sample descriptor file must be stored in 8-Bit Signed PCM\n"
    " with a frequency between 1.0Hz and 65535.99Hz\n"
    "\n"
    "::Sound Effect Mode (-sfx),\n"
    "  bscomp -sfx samples.txt sfx_scripts.txt\n"
    " Generated sound effect files (*.sfx) will be stored in the same directory as\n"
    " sfx_scripts.txt, with one sound effect file per ZOVA sound effect definition.\n"
    "\n"
    "::Instrument Pack Mode (-ins),\n"
    "  bscomp -ins output.ins samples.txt instruments.txt\n"
    "\n"
    "::Music Track Mode (-mus),\n"
    "  bscomp -mus output.mus instruments.txt channel_0.txt [channel_1.txt] [...]\n"
    " Music written with more channels than available on a particular target will\n"
    " have them dropped during playback rather than at compilation.\n"
    "\n";

class Driver : public ::testing::Test {
protected:
    RunResult run(const std::vector<std::string>& arguments) { return runBscomp(dir.path(), arguments); }

    void expectUsage(const std::vector<std::string>& arguments)
    {
        RunResult r = run(arguments);
        EXPECT_EQ(r.err, kUsage);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(dir.list(), before) << "a wrong argument list must create nothing";
    }

    void SetUp() override
    {
        dir.write("samples.txt", "a a.raw 100 100\n");
        dir.write("a.raw", "0123456789");
        dir.write("script.txt", "");
        before = dir.list();
    }

    TempDir dir;
    std::vector<std::string> before;
};

TEST_F(Driver, WrongArgumentListsPrintTheUsageText)
{
    expectUsage({});
    expectUsage({"-smp"});
    expectUsage({"-smp", "out.smp"});
    expectUsage({"-smp", "out.smp", "samples.txt", "extra.txt"});
    expectUsage({"-sfx", "samples.txt"});
    expectUsage({"-sfx", "samples.txt", "script.txt", "third.txt"});
    expectUsage({"-ins", "out.ins", "samples.txt"});
    expectUsage({"-mus", "out.mus", "script.txt"});
}

TEST_F(Driver, UnknownModesAreNamedExactlyAsTyped)
{
    for (const char* mode : {"-SMP", "smp", "-smpx", "", "-"}) {
        RunResult r = run({mode, "out.smp", "samples.txt"});
        EXPECT_EQ(r.err, std::string("ERROR- Invalid operating mode : ") + mode + "\n");
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.status, 1);
    }
    EXPECT_EQ(dir.list(), before);
}

TEST_F(Driver, MusicModeTakesAnyNumberOfChannelScripts)
{
    for (int channels = 1; channels <= 3; ++channels) {
        std::vector<std::string> arguments{"-mus", "out.mus", "script.txt"};
        for (int c = 0; c < channels; ++c) arguments.push_back("script.txt");
        RunResult r = run(arguments);
        EXPECT_EQ(r.out.rfind("MUS Mode...\n", 0), 0u) << r.out;
        EXPECT_EQ(r.err.find("Usage :"), std::string::npos);
    }
}

TEST_F(Driver, TheBannerFollowsTheOpeningOfEverySource)
{
    RunResult r = run({"-ins", "out.ins", "samples.txt", "missing.txt"});
    EXPECT_EQ(r.err, "ERROR- Can't open source file : missing.txt\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(dir.list(), before) << "no output file is left behind";

    // Sources open in argument order; the first failure stops the opening.
    r = run({"-mus", "out.mus", "script.txt", "gone1.txt", "gone2.txt"});
    EXPECT_EQ(r.err, "ERROR- Can't open source file : gone1.txt\n");

    r = run({"-sfx", "nothing.txt", "script.txt"});
    EXPECT_EQ(r.err, "ERROR- Can't open source file : nothing.txt\n");
    EXPECT_EQ(r.out, "");
}

TEST_F(Driver, FoldersAndDevicesAreNotSources)
{
    std::filesystem::create_directory(dir / "folder");
    RunResult r = run({"-smp", "out.smp", "folder"});
    EXPECT_EQ(r.err, "ERROR- Can't open source file : folder\n");
    EXPECT_EQ(r.status, 1);
#if defined(_WIN32)
    const std::string device = "NUL";
#else
    const std::string device = "/dev/zero";
#endif
    r = run({"-smp", "out.smp", device});
    EXPECT_EQ(r.err, "ERROR- Can't open source file : " + device + "\n");
    EXPECT_EQ(dir.list(), (std::vector<std::string>{"a.raw", "folder", "samples.txt", "script.txt"}));
}

// Sources are read as bytes on every system: a Ctrl-Z does not end one on Windows, and CR LF
// line ends read like LF.
TEST_F(Driver, EverySystemReadsTheWholeSource)
{
    dir.write("crlf.txt", "a a.raw 100 100 ; \x1a ends a text file on Windows\r\nb a.raw 200 200\r\n");
    RunResult r = run({"-smp", "out.smp", "crlf.txt"});
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("Total Samples : 2, Included Files : 1\n"), std::string::npos) << r.out;
}

#if !defined(_WIN32)
TEST_F(Driver, APipeWithoutWriterReadsAsEmptyInsteadOfWaiting)
{
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0644), 0);
    RunResult r = run({"-smp", "out.smp", "pipe"});
    EXPECT_EQ(r.err, "WARNING- No samples defined, are you sure about this?\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(dir.read("out.smp"), std::string("BSMP\0\0\0\0", 8));
}
#endif

TEST_F(Driver, ASourceThatCannotBeReadThroughFailsTheRun)
{
    // A regular file whose reads fail (EIO at offset 0): it must not pass for an empty source.
    struct stat info;
    if (stat("/proc/self/mem", &info) != 0) GTEST_SKIP() << "no /proc/self/mem";
    // No warning about an empty source comes first: the source was not read to its end.
    const std::string unreadable = "ERROR- Can't read source file : /proc/self/mem\n";
    RunResult r = run({"-smp", "out.smp", "/proc/self/mem"});
    EXPECT_EQ(r.err, unreadable);
    EXPECT_EQ(r.status, 1);
    r = run({"-ins", "out.ins", "samples.txt", "/proc/self/mem"});
    EXPECT_EQ(r.err, unreadable);
    EXPECT_EQ(r.status, 1);
    r = run({"-mus", "out.mus", "script.txt", "script.txt", "/proc/self/mem"});
    EXPECT_EQ(r.err, "WARNING- No macros defined, are you sure about this?\n"
                     "WARNING- No main block found for channel : script.txt\n" +
                         unreadable);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(dir.list(), before);
}

TEST_F(Driver, TheDestinationIsCheckedBeforeAnySource)
{
    // The sources are missing too, but only the destination is reported.
    RunResult r = run({"-smp", "no/such/folder/out.smp", "missing.txt"});
    EXPECT_EQ(r.err, "ERROR- Can't write to destination file : no/such/folder/out.smp\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.status, 1);

    std::filesystem::create_directory(dir / "taken");
    r = run({"-ins", "taken", "missing.txt", "missing.txt"});
    EXPECT_EQ(r.err, "ERROR- Can't write to destination file : taken\n");
    EXPECT_EQ(r.status, 1);
}

TEST_F(Driver, SuccessAndFailureHaveTheirOwnExitStatus)
{
    RunResult ok = run({"-smp", "out.smp", "samples.txt"});
    EXPECT_EQ(ok.status, 0) << ok.err;
    EXPECT_EQ(ok.err, "");

    dir.write("bad.txt", "a a.raw 100\n");
    RunResult failed = run({"-smp", "out2.smp", "bad.txt"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.err, "ERROR- No content frequency for definition of : a in : bad.txt,1\n");
}

TEST_F(Driver, MessagesKeepTheirOrderWhenBothStreamsGoToOneFile)
{
    dir.write("bad.txt", "lead\n{\nwiat 3\n");
    RunResult r = runBscomp(dir.path(), {"-ins", "out.ins", "samples.txt", "bad.txt"}, true);
    EXPECT_EQ(r.out, "INS Mode...\nParsing sample descriptor file : samples.txt\n"
                     "Parsing macro script file : bad.txt\n"
                     "ERROR- Invalid command : wiat in : bad.txt,3\n");
    EXPECT_EQ(r.status, 1);

    dir.write("fx.txt", "boom\ns a\n{\ne\n}\n");
    r = runBscomp(dir.path(), {"-sfx", "samples.txt", "fx.txt"}, true);
    EXPECT_EQ(r.out, "SFX Mode...\nParsing sample descriptor file : samples.txt\n"
                     "Parsing macro script file : fx.txt\n"
                     "WARNING- No priority specified for sound effect : fx.txt,1\n"
                     "Saving sound effect binary to : boom.sfx\n"
                     "\nPriority definitions saved to : fx.h\nTotal Sound Effects : 1\n");
    EXPECT_EQ(r.status, 0);
}

}  // namespace
