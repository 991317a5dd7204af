// Music tracks as the real bscomp links and writes them: the layout, the
// call operands and the resolution of labels across channel scripts.
#include <gtest/gtest.h>

#include <map>

#include "script_test_support.h"

namespace {

using namespace script_test;

const char kInstruments[] = "lead\ns piano\n{\nvolume 127\nnoteoff\nvolume 0\nend\n}\n";

int32_t i32At(const std::string& data, size_t offset)
{
    return static_cast<int32_t>(u32At(data, offset));
}

TEST(MusicTrack, OneChannelWithANoteAndARest)
{
    ScriptFolder folder;
    RunResult result = folder.music(
        kInstruments, {"; the whole song\nmain 10\n{\n  using lead\n  c.4 12\n  rest 12\n  end\n}\n"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, "MUS Mode...\nParsing macro script file : instruments.txt\n"
                          "Parsing music script file : channel0.txt\n"
                          "Linking and saving music track to : out.mus\n"
                          "\nSuccess! 22 Bytes written to : out.mus\n"
                          "Total Tracks 1, Total Blocks : 1\n");
    EXPECT_EQ(hex(folder.read("out.mus")),
              hex("BMUS" + bytes({1, 0, 0, 0, 0x0A, 0x0D, 0, 0, 0, 0x02, 0x00, 0x03, 0x30, 0x8C,
                                  0x04, 0x8C, 0x00, 0x00})));
}

TEST(MusicTrack, CallOperandsCountFromTheEndOfTheOperand)
{
    ScriptFolder folder;
    RunResult result = folder.music(
        kInstruments, {"main 10\n{\ncall riff\nend\n}\nriff\n{\nwait 1\nreturn\n}\n"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("Total Tracks 1, Total Blocks : 2\n"), std::string::npos);
    EXPECT_EQ(hex(folder.read("out.mus").substr(13)),
              hex(bytes({0x08, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x81, 0x09})));

    // A block earlier in the stream gets a negative offset; the main block
    // need not come first.
    result = folder.music(kInstruments,
                          {"riff\n{\nwait 1\nreturn\n}\nmain 10\n{\nc riff\nc riff\ne\n}\n"});
    ASSERT_EQ(result.status, 0) << result.err;
    std::string track = folder.read("out.mus");
    EXPECT_EQ(hex(track.substr(8, 5)), hex(bytes({0x0A, 15, 0, 0, 0})));
    EXPECT_EQ(hex(track.substr(13)),
              hex(bytes({0x81, 0x09, 0x08, 0xF9, 0xFF, 0xFF, 0xFF, 0x08, 0xF4, 0xFF, 0xFF, 0xFF,
                         0x00, 0x00})));
    // A block may call itself.
    result = folder.music(kInstruments, {"main 10\n{\nc main\n}\n"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(i32At(folder.read("out.mus"), 14), -5);
}

TEST(MusicTrack, TwoChannelsShareOneCodeStream)
{
    ScriptFolder folder;
    // Channel 0 calls a block that only channel 1's script defines.
    RunResult result = folder.music(
        kInstruments, {"main0 20\n{\ncall shared\nend\n}\nintro\n{\nwait 3\nreturn\n}\n",
                       "main1 -3\n{\ncall intro\nend\n}\nshared\n{\nbreak\nreturn\n}\n"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("\nSuccess! 36 Bytes written to : out.mus\nTotal Tracks 2, Total "
                              "Blocks : 4\n"),
              std::string::npos);
    std::string track = folder.read("out.mus");
    ASSERT_EQ(track.size(), 36u);
    EXPECT_EQ(u32At(track, 4), 2u);
    // Entries: priority and offset; the stream starts at 8 + 2 * 5 = 18.
    EXPECT_EQ(hex(track.substr(8, 10)), hex(bytes({20, 18, 0, 0, 0, 0xFD, 27, 0, 0, 0})));
    // Stream: main0 (0-6), intro (7-8), main1 (9-15), shared (16-17).
    EXPECT_EQ(i32At(track, 18 + 1), 16 - 5);
    EXPECT_EQ(i32At(track, 18 + 10), 7 - 14);
    EXPECT_EQ(hex(track.substr(18 + 16)), hex(bytes({0x0A, 0x09})));
}

TEST(MusicTrack, ChannelWithoutAMainBlock)
{
    ScriptFolder folder;
    RunResult result = folder.music(kInstruments,
                                    {"main 5\n{\nend\n}\n", "riff\n{\nreturn\n}\n", "; empty\n"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "WARNING- No main block found for channel : channel1.txt\n"
                          "WARNING- No main block found for channel : channel2.txt\n");
    std::string track = folder.read("out.mus");
    const size_t header = 8 + 3 * 5;
    EXPECT_EQ(hex(track.substr(8, 15)),
              hex(bytes({5, header, 0, 0, 0, 0, header, 0, 0, 0, 0, header, 0, 0, 0})));
    EXPECT_EQ(hex(track.substr(header)), hex(bytes({0x00, 0x00, 0x09})));
}

TEST(MusicTrack, UnresolvedCallWritesNothing)
{
    ScriptFolder folder;
    folder.write("out.mus", "previous track");
    RunResult result = folder.music(
        kInstruments, {"main 5\n{\ncall riff\nend\n}\nriff\n{\nreturn\n}\n",
                       "other 5\n{\n\ncall Riff\nend\n}\n"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "ERROR- Unable to resolve reference to block : Riff in : channel1.txt,4\n");
    EXPECT_NE(result.out.find("Linking and saving music track to : out.mus\n"), std::string::npos);
    EXPECT_EQ(result.out.find("Success"), std::string::npos);
    EXPECT_EQ(folder.read("out.mus"), "previous track");
}

TEST(MusicTrack, InstrumentNumbersAreTheirPositionsUpTo255)
{
    std::string instruments;
    for (int i = 0; i < 300; ++i)
        instruments.append("i").append(std::to_string(i)).append("\ns piano\n{\nn\n}\n");
    ScriptFolder folder;
    RunResult result = folder.music(instruments, {"main 1\n{\nusing i0\nu i1\nu i255\nend\n}\n"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(hex(folder.read("out.mus").substr(13)),
              hex(bytes({0x02, 0x00, 0x02, 0x01, 0x02, 0xFF, 0x00, 0x00})));

    // Instrument 256 and later do not fit the one-byte operand.
    result = folder.music(instruments, {"main 1\n{\nusing i299\nend\n}\n"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "ERROR- Value out of range\nERROR- Invalid command syntax in : channel0.txt,3\n");
}

TEST(MusicTrack, ManyBlocksCallsAndChannels)
{
    // Enough of everything to grow every list several times.
    constexpr int kScripts = 9;
    constexpr int kBlocks = 150;
    std::vector<std::string> scripts;
    auto label = [](int s, int b) { return std::string("b") + std::to_string(s) + "_" + std::to_string(b); };
    for (int s = 0; s < kScripts; ++s) {
        std::string script = std::string("main") + std::to_string(s) + " " + std::to_string(s + 1);
        script += "\n{\ncall " + label(s, 0) + "\nend\n}\n";
        for (int b = 0; b < kBlocks; ++b) {
            // Each block calls the same block of the next script: forwards and backwards.
            script += label(s, b);
            script += "\n{\ncall ";
            script += label((s + 1) % kScripts, b);
            script += "\nreturn\n}\n";
        }
        scripts.push_back(script);
    }
    ScriptFolder folder;
    RunResult result = folder.music(kInstruments, scripts);
    ASSERT_EQ(result.status, 0) << result.err;

    // main: 08 xx xx xx xx 00 00 (7 bytes); each block: 08 xx xx xx xx 09 (6 bytes).
    const size_t header = 8 + 5 * kScripts;
    const size_t scriptLength = 7 + 6 * kBlocks;
    auto blockStart = [&](int s, int b) { return s * scriptLength + 7 + 6 * size_t(b); };
    std::string track = folder.read("out.mus");
    ASSERT_EQ(track.size(), header + kScripts * scriptLength);
    for (int s = 0; s < kScripts; ++s) {
        SCOPED_TRACE(s);
        EXPECT_EQ(uint8_t(track[8 + 5 * s]), s + 1);
        EXPECT_EQ(u32At(track, 9 + 5 * s), header + s * scriptLength);
        size_t operand = s * scriptLength + 1;
        EXPECT_EQ(int64_t(operand + 4) + i32At(track, header + operand), int64_t(blockStart(s, 0)));
        for (int b = 0; b < kBlocks; ++b) {
            operand = blockStart(s, b) + 1;
            ASSERT_EQ(int64_t(operand + 4) + i32At(track, header + operand),
                      int64_t(blockStart((s + 1) % kScripts, b)))
                << "block " << b;
        }
    }
}

}  // namespace
