// bsplay.exe under Wine, without a console (what a test can give it): its
// command line, and the demo played on DirectSound into a null sink with the
// WAV log on.  Run inside with_null_sink.sh.  Arguments: the demo's folder and
// a scratch folder.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "formats/packages.h"
#include "test_programs.h"

namespace {

std::string demo;
std::string scratch;

test_programs::ProgramRun bsplay(const std::vector<std::string>& arguments)
{
    return test_programs::runProgram(test_programs::builtProgram("bsplay.exe"), arguments, scratch);
}

TEST(BsplayOnWindows, CommandLineAndBadFiles)
{
    const struct {
        std::vector<std::string> arguments;
        int status;
        std::string message;  // in standard error, or in standard output for status 0
    } cases[] = {
        {{}, 1, "usage: bsplay"},
        {{"--help"}, 0, "exit status"},
        {{"--frobnicate"}, 1, "unknown option --frobnicate"},
        // No console: nothing to play without music, effects or a time.
        {{demo + "/demo.smp", demo + "/demo.ins"}, 1, "nothing to play"},
        {{demo + "/demo.smp", demo + "/missing.ins", "-t", "1"}, 2, "missing.ins"},
        {{demo + "/demo.ins", demo + "/demo.ins", "-t", "1"}, 2, "Not a sample pack"},
    };
    for (const auto& c : cases) {
        test_programs::ProgramRun run = bsplay(c.arguments);
        EXPECT_EQ(run.status, c.status) << run.err;
        const std::string& text = c.status == 0 ? run.out : run.err;
        EXPECT_NE(text.find(c.message), std::string::npos) << text;
    }
}

TEST(BsplayOnWindows, PlaysTheDemoWithAWaveLog)
{
    const std::string log = scratch + "/bsplay_demo.wav";
    std::remove(log.c_str());
    test_programs::ProgramRun run = bsplay({demo + "/demo.smp", demo + "/demo.ins", demo + "/song.mus",
                                            "-e", demo + "/coin.sfx@60", "-t", "1", "-w", log});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("played 0:00."), std::string::npos) << run.out;
    std::FILE* file = std::fopen(log.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    std::vector<uint8_t> bytes(1 << 20);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    std::fclose(file);
    std::remove(log.c_str());
    // Most of a second of audio (the device's start holds the first ticks back
    // by about a quarter of a second under Wine), with its header written.
    ASSERT_GT(bytes.size(), 44u + 120u * 800u);
    EXPECT_EQ((bytes.size() - 44) % 800, 0u);
    EXPECT_EQ(bs_readU32(bytes.data() + 4), bytes.size() - 8);
    EXPECT_EQ(bs_readU32(bytes.data() + 40), bytes.size() - 44);
}

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s demo-folder scratch-folder\n", argv[0]);
        return 2;
    }
    demo = argv[1];
    scratch = argv[2];
    return RUN_ALL_TESTS();
}
