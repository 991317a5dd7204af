// Messages of the music script parser, from the real bscomp in "-mus" mode.
#include <gtest/gtest.h>

#include "script_test_support.h"

namespace {

using namespace script_test;

const char kInstruments[] = "lead\ns piano\n{\nvolume 127\nnoteoff\nvolume 0\nend\n}\n";

struct MessageCase {
    std::vector<std::string> channels;
    std::string messages;  // everything bscomp prints on standard error
};

void expectFailure(const MessageCase& c)
{
    SCOPED_TRACE(c.channels.back());
    ScriptFolder folder;
    RunResult result = folder.music(kInstruments, c.channels);
    EXPECT_EQ(result.err, c.messages);
    EXPECT_EQ(result.status, 1);
    EXPECT_FALSE(folder.exists("out.mus"));
    EXPECT_EQ(result.out.find("Linking"), std::string::npos);
}

TEST(MusicParser, LabelLinesAndBlockStructure)
{
    const MessageCase cases[] = {
        {{"main x\n"}, "ERROR- Invalid music block label in : channel0.txt,1\n"},
        {{"main 128\n"}, "ERROR- Music block priority out of range in : channel0.txt,1\n"},
        {{"main -129\n"}, "ERROR- Music block priority out of range in : channel0.txt,1\n"},
        {{"main 1 2\n"}, "ERROR- Garbage at end of line in : channel0.txt,1\n"},
        {{"main 1\n{\nend\n}\n\nother 2\n"},
         "ERROR- Second main block declaration in : channel0.txt,6\n"},
        // Labels are unique across all channel scripts.
        {{"main 1\n{\nend\n}\nriff\n{\nreturn\n}\n", "main 1\n{\nend\n}\n"},
         "ERROR- Block already defined with label : main in : channel1.txt,1\n"},
        {{"main 1\n{\nend\n}\nmain\n"},
         "ERROR- Block already defined with label : main in : channel0.txt,5\n"},
        {{"main 1\n{ using lead\n"}, "ERROR- Garbage at end of line in : channel0.txt,2\n"},
        {{"main 1\nusing lead\n"}, "ERROR- Expecting '{' at block start : channel0.txt,2\n"},
        {{"main 1\n\n; brace next\n}\n"}, "ERROR- Expecting '{' at block start : channel0.txt,4\n"},
        {{"main 1\n{\nend\n} x\n"}, "ERROR- Garbage at end of line in : channel0.txt,4\n"},
        // The line number one past the last line.
        {{"main 1\n{\nend\n"}, "ERROR- Unexpected end of music block in : channel0.txt,4\n"},
        {{"main 1"}, "ERROR- Unexpected end of music block in : channel0.txt,2\n"},
    };
    for (const MessageCase& c : cases)
        expectFailure(c);
}

TEST(MusicParser, NotesAndTheirRange)
{
    const std::string syntax = "ERROR- Invalid command syntax in : channel0.txt,3\n";
    const MessageCase cases[] = {
        {{"main 1\n{\ngs10 1\n"}, "ERROR- Note frequency out of range (c.0 to g.10)\n"},
        {{"main 1\n{\nc.11 1\n"}, "ERROR- Note frequency out of range (c.0 to g.10)\n"},
        {{"main 1\n{\nc.-1 1\n"}, "ERROR- Note frequency out of range (c.0 to g.10)\n"},
        // An octave so large that 12 octaves wrap around 32 bits is still refused.
        {{"main 1\n{\nc.357913942 1\n"}, "ERROR- Note frequency out of range (c.0 to g.10)\n"},
        {{"main 1\n{\ncs 1\n"}, "ERROR- Unable to parse note : cs\n"},
        {{"main 1\n{\ndb4 1\n"}, "ERROR- Unable to parse note : db4\n"},
        {{"main 1\n{\nC.4 1\n"}, "ERROR- Unable to parse note : C.4\n"},
        {{"main 1\n{\ngs.4 1\n"}, "ERROR- Unable to parse note : gs.4\n"},
        {{"main 1\n{\nc.x 1\n"}, "ERROR- Unable to parse note : c.x\n"},
        // A word that is no command is read as a note.
        {{"main 1\n{\nvolume 100\n"}, "ERROR- Unable to parse note : volume\n"},
        {{"main 1\n{\nc.4\n"}, syntax},
        {{"main 1\n{\nc.4 -1\n"}, "ERROR- Value out of range\n" + syntax},
        {{"main 1\n{\nc.4 x\n"}, "ERROR- Unable to parse numeric : x\n" + syntax},
        {{"main 1\n{\nc.4 1 2\n"}, "ERROR- Garbage at end of line in : channel0.txt,3\n"},
    };
    for (const MessageCase& c : cases)
        expectFailure(c);
}

TEST(MusicParser, CommandChecks)
{
    const std::string syntax = "ERROR- Invalid command syntax in : channel0.txt,3\n";
    const MessageCase cases[] = {
        {{"main 1\n{\nusing flute\n"}, "ERROR- Instrument not found : flute\n"},
        {{"main 1\n{\nusing Lead\n"}, "ERROR- Instrument not found : Lead\n"},
        {{"main 1\n{\nusing\n"}, syntax},
        {{"main 1\n{\npriority 128\n"}, "ERROR- Value out of range\n" + syntax},
        {{"main 1\n{\npan 10\n"}, syntax},
        {{"main 1\n{\npan 10 -129\n"}, "ERROR- Value out of range\n" + syntax},
        {{"main 1\n{\npan %2 0\n"}, "ERROR- Invalid binary value : %2\n" + syntax},
        {{"main 1\n{\npitch\n"}, syntax},
        {{"main 1\n{\npitch 1 .5\n"}, "ERROR- Unable to parse numeric : .5\n" + syntax},
        {{"main 1\n{\nloop -129\n"}, "ERROR- Value out of range\n" + syntax},
        {{"main 1\n{\ncall\n"}, syntax},
        {{"main 1\n{\ncall riff extra\n"}, "ERROR- Garbage at end of line in : channel0.txt,3\n"},
        {{"main 1\n{\nreturn now\n"}, "ERROR- Garbage at end of line in : channel0.txt,3\n"},
        {{"main 1\n{\nwait -1\n"}, "ERROR- Value out of range\n" + syntax},
        {{"main 1\n{\nwait 268435456\n"}, "ERROR- Value out of range\n" + syntax},
        {{"main 1\n{\nrest\n"}, syntax},
        // The joined run of a note's length and the waits after it is limited too.
        {{"main 1\n{\nc.4 268435455\nwait 1\n"},
         "ERROR- Value out of range\nERROR- Invalid command syntax in : channel0.txt,4\n"},
    };
    for (const MessageCase& c : cases)
        expectFailure(c);
}

TEST(MusicParser, WarningsLetTheTrackBuild)
{
    ScriptFolder folder;
    RunResult result = folder.music(kInstruments, {"riff\n{\nloop -128\nc.4 1\nendloop\nend\n}\n"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "WARNING- Loop count of -128 reserved for CALLs\n"
                          "WARNING- No main block found for channel : channel0.txt\n");
    EXPECT_EQ(hex(folder.read("out.mus").substr(13)),
              hex(bytes({0x06, 0x80, 0x03, 0x30, 0x81, 0x07, 0x04, 0x00, 0x00})));
}

TEST(MusicParser, TheFirstFailingScriptStopsTheRun)
{
    ScriptFolder folder;
    folder.write("out.mus", "previous track");
    RunResult result = folder.music(
        kInstruments, {"a 1\n{\nend\n}\n", "b 1\n{\njump\n}\n", "c 1\n{\nend\n}\n"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "ERROR- Unable to parse note : jump\n");
    EXPECT_EQ(result.out, "MUS Mode...\nParsing macro script file : instruments.txt\n"
                          "Parsing music script file : channel0.txt\n"
                          "Parsing music script file : channel1.txt\n");
    EXPECT_EQ(folder.read("out.mus"), "previous track");
}

TEST(MusicParser, InstrumentsFileIsReadWithoutSampleLookup)
{
    ScriptFolder folder;
    // No sample descriptor in "-mus": any sample name is accepted.
    RunResult result = folder.music("lead\nsample nowhere\n{\nnoteoff\n}\n",
                                    {"main 1\n{\nusing lead\nend\n}\n"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");

    // Its own errors stop the run before any music script.
    result = folder.music("lead 5\n", {"main 1\n{\nend\n}\n"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "ERROR- Priority assigned to instrument in : instruments.txt,1\n");
    EXPECT_EQ(result.out.find("channel0.txt"), std::string::npos);
}

}  // namespace
