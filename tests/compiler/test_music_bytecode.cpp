// The bytecode of music commands and notes, checked in tracks that the real
// bscomp writes.
#include <gtest/gtest.h>

#include "script_test_support.h"

namespace {

using namespace script_test;

const char kInstruments[] = "lead\ns piano\n{\nvolume 127\nnoteoff\nvolume 0\nend\n}\n";

// Compiles one channel whose main block holds `body` and returns the code.
std::string mainBlockCode(const std::string& body)
{
    ScriptFolder folder;
    RunResult result = folder.music(kInstruments, {"main 10\n{\n" + body + "}\n"});
    EXPECT_EQ(result.status, 0) << result.err;
    std::string track = folder.read("out.mus");
    constexpr size_t kCodeStart = 8 + 5;
    return track.size() >= kCodeStart ? track.substr(kCodeStart) : "";
}

TEST(MusicBytecode, OperandsOfEachCommand)
{
    struct Case {
        const char* body;
        std::string code;
    };
    const Case cases[] = {
        {"using lead\nu lead\n", bytes({0x02, 0x00, 0x02, 0x00})},
        {"priority 5\npr -1\n", bytes({0x00, 0x05, 0x00, 0xFF})},
        {"pan -128 127\np $10, 0\n", bytes({0x01, 0x80, 0x7F, 0x01, 0x10, 0x00})},
        {"pitch 1\n", bytes({0x05, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00})},
        {"pt -0.1 $0.8000\n", bytes({0x05, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x80, 0x00, 0x00})},
        {"loop 3\nendloop\nl -1\nel\n", bytes({0x06, 0x03, 0x07, 0x06, 0xFF, 0x07})},
        {"return\nrt\nbreak\nb\n", bytes({0x09, 0x09, 0x0A, 0x0A})},
        {"end\n", bytes({0x00, 0x00})},
        {"e\n", bytes({0x00, 0x00})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        EXPECT_EQ(hex(mainBlockCode(c.body)), hex(c.code));
    }
}

TEST(MusicBytecode, NotesAreNumberedBySemitoneAndOctave)
{
    EXPECT_EQ(hex(mainBlockCode("c.4 12\nas0 1\ng.10 1\nc.0 1\nb.9 1\na.5 1\n")),
              hex(bytes({0x03, 48, 0x8C, 0x03, 10, 0x81, 0x03, 127, 0x81, 0x03, 0, 0x81, 0x03,
                         119, 0x81, 0x03, 69, 0x81})));
    // Anything after the octave's digits is ignored.
    EXPECT_EQ(hex(mainBlockCode("cs5x 2\n")), hex(bytes({0x03, 61, 0x82})));
    // A note without a length is a note with no wait after it.
    EXPECT_EQ(hex(mainBlockCode("c.4 0\nd.4 1\n")),
              hex(bytes({0x03, 48, 0x03, 50, 0x81})));
}

TEST(MusicBytecode, WaitRunStaysOpenAcrossANotesLengthAndFollowingWaits)
{
    struct Case {
        const char* body;
        std::string code;
    };
    const Case cases[] = {
        // The note's length and the waits after it are one run.
        {"c.4 12\nwait 4\n", bytes({0x03, 0x30, 0x90})},
        {"c.4 100\nw 20\nw 8\n", bytes({0x03, 0x30, 0x80, 0x81})},
        // Without a sounding note a rest is a wait and joins the run.
        {"rest 4\nrest 4\n", bytes({0x88})},
        {"wait 1\nrest 1\nwait 1\n", bytes({0x83})},
        // A rest releases the sounding note first; the next rest is a plain wait.
        {"c.4 12\nrest 12\n", bytes({0x03, 0x30, 0x8C, 0x04, 0x8C})},
        {"c.4 1\nrest 2\nrest 3\n", bytes({0x03, 0x30, 0x81, 0x04, 0x85})},
        {"c.4 2\nwait 3\nrest 4\n", bytes({0x03, 0x30, 0x85, 0x04, 0x84})},
        // A note closes the run before it; a new note does not release the old one.
        {"wait 2\nc.4 1\nd.4 1\n", bytes({0x82, 0x03, 0x30, 0x81, 0x03, 0x32, 0x81})},
        {"c.4 0\nwait 3\n", bytes({0x03, 0x30, 0x83})},
        // Every other command closes the run.
        {"wait 2\npan 1 1\nwait 2\n", bytes({0x82, 0x01, 0x01, 0x01, 0x82})},
        // "end" releases a sounding note, but not one already released.
        {"c.4 1\nend\n", bytes({0x03, 0x30, 0x81, 0x04, 0x00, 0x00})},
        {"c.4 1\nrest 1\nend\n", bytes({0x03, 0x30, 0x81, 0x04, 0x81, 0x00, 0x00})},
        {"wait 268435455\n", bytes({0xFF, 0xFF, 0xFF, 0xFF})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        EXPECT_EQ(hex(mainBlockCode(c.body)), hex(c.code));
    }
}

TEST(MusicBytecode, ABlockLabelEndsTheSoundingNote)
{
    ScriptFolder folder;
    // "end" in the second block emits no note-off: the note belongs to the first.
    RunResult result = folder.music(kInstruments, {"main 1\n{\nc.4 1\n}\nlast\n{\nrest 2\nend\n}\n"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(hex(folder.read("out.mus").substr(13)),
              hex(bytes({0x03, 0x30, 0x81, 0x82, 0x00, 0x00})));
}

TEST(MusicBytecode, NoteOffFromTheFirstScriptDoesNotLeakIntoTheNext)
{
    ScriptFolder folder;
    RunResult result = folder.music(kInstruments, {"a 1\n{\nc.4 1\n}\n", "b 1\n{\nend\n}\n"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(hex(folder.read("out.mus").substr(18)),
              hex(bytes({0x03, 0x30, 0x81, 0x00, 0x00})));
}

}  // namespace
