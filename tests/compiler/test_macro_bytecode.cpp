// The bytecode of every macro command, checked in packages that the real
// bscomp writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "script_test_support.h"

namespace {

using namespace script_test;

constexpr size_t kSingleInstrumentCode = 8 + 12;

// Compiles one instrument whose channel block holds `body` (a noteoff line
// at the end keeps it free of warnings) and returns its code.
std::string instrumentCode(const std::string& body)
{
    ScriptFolder folder;
    RunResult result = folder.instruments("lead\nsample piano\n{\n" + body + "noteoff\n}\n");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    std::string pack = folder.read("out.ins");
    return pack.size() >= kSingleInstrumentCode ? pack.substr(kSingleInstrumentCode) : "";
}

TEST(MacroBytecode, WaitRunsHoldSevenBitsPerByteLowestGroupFirst)
{
    // "end" between the waits keeps them in separate runs.
    std::string code = instrumentCode("wait 5\nend\nwait 200\nend\nwait 16384\nend\n"
                                      "wait 268435455\nend\nwait 127\nend\nwait 128\n");
    EXPECT_EQ(hex(code), hex(bytes({0x85, 0x00, 0xC8, 0x81, 0x00, 0x80, 0x80, 0x81, 0x00, 0xFF,
                                    0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0x00, 0x80, 0x81})));
}

TEST(MacroBytecode, ConsecutiveWaitsAndRestsJoinIntoOneRun)
{
    EXPECT_EQ(hex(instrumentCode("wait 100\nrest 100\n")), hex(bytes({0xC8, 0x81})));
    // A joined run that outgrows its length is re-encoded as a whole.
    EXPECT_EQ(hex(instrumentCode("w 100\nr 100\nw 16184\n")), hex(bytes({0x80, 0x80, 0x81})));
    EXPECT_EQ(hex(instrumentCode("wait 0\n")), "");
    EXPECT_EQ(hex(instrumentCode("wait 3\nwait 0\n")), hex(bytes({0x83})));
    EXPECT_EQ(hex(instrumentCode("wait 0\nwait 3\nend\nwait 0\n")), hex(bytes({0x83, 0x00})));
}

TEST(MacroBytecode, EveryOtherCommandClosesTheWaitRun)
{
    EXPECT_EQ(hex(instrumentCode("wait 4\nvolume 1\nwait 4\n")),
              hex(bytes({0x84, 0x03, 0x01, 0x00, 0x00, 0x84})));
    EXPECT_EQ(hex(instrumentCode("wait 4\nloop 2\nwait 4\nendloop\nwait 4\n")),
              hex(bytes({0x84, 0x05, 0x02, 0x84, 0x06, 0x84})));

    // "noteoff" emits nothing but still closes the run, so the note-off point
    // lies at the start of the second run.
    ScriptFolder folder;
    RunResult result = folder.instruments("lead\nsample piano\n{\nwait 4\nnoteoff\nwait 4\n}\n");
    ASSERT_EQ(result.status, 0) << result.err;
    std::string pack = folder.read("out.ins");
    EXPECT_EQ(hex(pack.substr(kSingleInstrumentCode)), hex(bytes({0x84, 0x84})));
    EXPECT_EQ(u32At(pack, 16), 1u);
}

TEST(MacroBytecode, WaitsBeyondTwentyEightBitsOrNegativeAreRefused)
{
    const char* const refused[] = {
        "wait 268435456\n",                 // a single wait too long for a run
        "wait 268435455\nrest 1\n",         // a joined run too long
        "wait 200000000\nwait 68435456\n",  // the same, from two large parts
        "wait -1\n",
        "rest $80000000\n",
    };
    for (const char* body : refused) {
        SCOPED_TRACE(body);
        ScriptFolder folder;
        std::string script = std::string("lead\nsample piano\n{\n") + body + "}\n";
        RunResult result = folder.instruments(script);
        int line = 4 + int(std::count(body, body + std::strlen(body), '\n')) - 1;
        EXPECT_EQ(result.err, "ERROR- Value out of range\nERROR- Invalid command syntax in : "
                              "instruments.txt," +
                                  std::to_string(line) + "\n");
        EXPECT_EQ(result.status, 1);
        EXPECT_FALSE(folder.exists("out.ins"));
    }
}

TEST(MacroBytecode, OperandsOfEachCommand)
{
    struct Case {
        const char* body;
        std::string code;
    };
    const Case cases[] = {
        {"loop -1\nendloop\nend\n", bytes({0x05, 0xFF, 0x06, 0x00})},
        {"l 127\nel\ne\n", bytes({0x05, 0x7F, 0x06, 0x00})},
        {"volume 64 1\n", bytes({0x03, 0x40, 0x00, 0x01})},
        // 8.8 values: fraction counts 1/256 units; -1.128 is -1.5.
        {"v -1.128 -1.128\n", bytes({0x03, 0xFE, 0x80, 0xFE})},
        {"volume 127 0.255\n", bytes({0x03, 0x7F, 0xFF, 0x00})},
        {"frequency 1\n", bytes({0x04, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00})},
        {"f $1.8000 -0.1\n", bytes({0x04, 0x00, 0x80, 0x01, 0x00, 0xFF, 0xFF, 0xFF, 0xFF})},
        {"mode looping 0 32768\n", bytes({0x02, 0x00, 0x00, 0x00, 0x80})},
        // Only the integer parts of the loop offsets count.
        {"m looping 1.65535 300.5\n", bytes({0x02, 0x01, 0x00, 0x2C, 0x01})},
        {"mode singleshot\n", bytes({0x01})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        EXPECT_EQ(hex(instrumentCode(c.body)), hex(c.code));
    }
}

TEST(MacroBytecode, InstrumentWithANoteOffPoint)
{
    ScriptFolder folder;
    RunResult result = folder.instruments(
        "lead\n{\n  sample piano\n  {\n    volume 127\n    wait 10\n    noteoff\n    volume 0\n"
        "    end\n  }\n}\n");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(hex(folder.read("out.ins")),
              hex("BINS" + bytes({1, 0, 0, 0, /* sample */ 0, 0, 0, 0, /* code */ 20, 0, 0, 0,
                                  /* note off */ 5, 0, 0, 0, 0x03, 0x7F, 0x00, 0x00, 0x8A, 0x03,
                                  0x00, 0x00, 0x00, 0x00})));
}

TEST(MacroBytecode, HeaderCommandsBeforeTheChannelBlockComeFirst)
{
    ScriptFolder folder;
    RunResult result = folder.effects("zap 50\n{\nsample piano\nmode singleshot\n{\nvolume 127\n"
                                      "frequency 1\nwait 30\nend\n}\n}\n");
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string code = bytes({0x01, 0x03, 0x7F, 0x00, 0x00, 0x04, 0x00, 0x00, 0x01, 0x00,
                                    0x00, 0x00, 0x00, 0x00, 0x9E, 0x00});
    EXPECT_EQ(hex(folder.read("zap.sfx")),
              hex("BSFX" + bytes({1, 0, 0, 0, 0, 0, 0, 0, 0x10, 0, 0, 0}) + code));
}

}  // namespace
