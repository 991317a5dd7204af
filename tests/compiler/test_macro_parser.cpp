// Messages of the macro script parser, from the real bscomp: header lines, the
// structure of macros and channel blocks, and each command's checks.
#include <gtest/gtest.h>

#include "script_test_support.h"

namespace {

using namespace script_test;

struct MessageCase {
    const char* script;
    const char* messages;  // everything bscomp prints on standard error
};

void expectInstrumentMessages(const MessageCase& c, int status)
{
    SCOPED_TRACE(c.script);
    ScriptFolder folder;
    RunResult result = folder.instruments(c.script);
    EXPECT_EQ(result.err, c.messages);
    EXPECT_EQ(result.status, status);
    EXPECT_EQ(folder.exists("out.ins"), status == 0);
}

void expectEffectMessages(const MessageCase& c, int status)
{
    SCOPED_TRACE(c.script);
    ScriptFolder folder;
    RunResult result = folder.effects(c.script);
    EXPECT_EQ(result.err, c.messages);
    EXPECT_EQ(result.status, status);
    EXPECT_EQ(folder.exists("effects.h"), status == 0);
}

TEST(MacroParser, HeaderLineErrors)
{
    const MessageCase instruments[] = {
        {"lead 10\n", "ERROR- Priority assigned to instrument in : instruments.txt,1\n"},
        {"lead 300\n", "ERROR- Priority out of range in : instruments.txt,1\n"},
        {"lead\ns piano\n{\nn\n}\n\nlead\n",
         "ERROR- Macro already defined with label : lead in : instruments.txt,7\n"},
        {"lead\ns piano\n{\nn\n}\nlead extra words\n",
         "ERROR- Invalid macro label in : instruments.txt,6\n"},
    };
    for (const MessageCase& c : instruments)
        expectInstrumentMessages(c, 1);

    const MessageCase effects[] = {
        {"boom loud\n", "ERROR- Invalid macro label in : effects.txt,1\n"},
        {"boom 128\n", "ERROR- Priority out of range in : effects.txt,1\n"},
        {"  boom   -129 ; comment\n", "ERROR- Priority out of range in : effects.txt,1\n"},
        {"boom 5 extra\n", "ERROR- Garbage at end of line in : effects.txt,1\n"},
        // Labels name files beside the script.
        {"../../escape 5\n", "ERROR- Sound effect label must not name another folder : ../../escape in : effects.txt,1\n"},
        {"fx\\boom 5\n", "ERROR- Sound effect label must not name another folder : fx\\boom in : effects.txt,1\n"},
        {"c:boom 5\n", "ERROR- Sound effect label must not name another folder : c:boom in : effects.txt,1\n"},
        {"boom 1\ns piano\n{\ne\n}\nBOOM 2\n",
         "ERROR- Sound effect label differs only in case from another : BOOM in : effects.txt,6\n"},
    };
    for (const MessageCase& c : effects)
        expectEffectMessages(c, 1);
}

TEST(MacroParser, HeaderLinesThatAreAccepted)
{
    ScriptFolder folder;
    RunResult result = folder.effects("quiet -128\ns piano\n{\ne\n}\nloud 127\ns piano\n{\ne\n}\n"
                                      "odd 12abc\ns piano\n{\ne\n}\nSoft\ns piano\n{\ne\n}\n"
                                      "hit-2 3\ns piano\n{\ne\n}\n");
    ASSERT_EQ(result.status, 0) << result.err;
    // A missing priority is 127; a label the header cannot name in C is only a warning.
    EXPECT_EQ(result.err, "WARNING- No priority specified for sound effect : effects.txt,16\n"
                          "WARNING- Sound effect label is not a C identifier : hit-2 in : effects.txt,21\n");
    EXPECT_EQ(folder.readText("effects.h"), "#define BPRI_quiet\t\t-128\n#define BPRI_loud\t\t127\n"
                                            "#define BPRI_odd\t\t12\n#define BPRI_Soft\t\t127\n"
                                            "#define BPRI_hit-2\t\t3\n");
    EXPECT_TRUE(folder.exists("hit-2.sfx"));
    // Instruments are no files: labels differing in case are two macros.
    result = folder.instruments("lead\ns piano\n{\nn\n}\nLEAD\ns piano\n{\nn\n}\n");
    EXPECT_EQ(result.status, 0) << result.err;
}

TEST(MacroParser, StructureOfMacrosAndChannelBlocks)
{
    const MessageCase effects[] = {
        {"boom 1\n{\nwait 5\n",
         "ERROR- Flow command outside of script header : wait in : effects.txt,3\n"},
        {"boom 1\nend\n", "ERROR- Flow command outside of script header : end in : effects.txt,2\n"},
        {"boom 1\n{ volume 3\n", "ERROR- Garbage at end of line in : effects.txt,2\n"},
        {"boom 1\n{\n{\nsample piano\n{\n",
         "ERROR- Invalid command : { in : effects.txt,5\n"},
        {"boom 1\n{\n{\ns piano\nend\n} }\n", "ERROR- Garbage at end of line in : effects.txt,6\n"},
        {"boom 1\n{\njump 4\n", "ERROR- Invalid command : jump in : effects.txt,3\n"},
        {"boom 1\n}\n", "ERROR- Invalid command : } in : effects.txt,2\n"},
        {"boom 1\nVolume 3\n", "ERROR- Invalid command : Volume in : effects.txt,2\n"},
        // The line number one past the last line.
        {"boom 1\n{\n{\ns piano\nend\n}\n", "ERROR- Unexpected end of macro in : effects.txt,7\n"},
        {"boom 1\ns piano\n{\nend\n", "ERROR- Unexpected end of macro in : effects.txt,5\n"},
        {"boom 1", "ERROR- Unexpected end of macro in : effects.txt,2\n"},
    };
    for (const MessageCase& c : effects)
        expectEffectMessages(c, 1);

    const MessageCase instruments[] = {
        {"lead\n{\n{\ns piano\nn\n}\n{\n",
         "ERROR- Instrument uses more than one channel in : instruments.txt,7\n"},
        {"lead\n{\n{\ns piano\nn\n}\nvolume 2\n",
         "ERROR- Instrument uses more than one channel in : instruments.txt,7\n"},
    };
    for (const MessageCase& c : instruments)
        expectInstrumentMessages(c, 1);
}

TEST(MacroParser, ShortFormEndsWithItsChannelBlock)
{
    ScriptFolder folder;
    // After the block's brace the next line is a new header, not a second channel.
    RunResult result = folder.effects(
        "; two short-form effects\nboom 3\nsample piano\n{\nwait 2\nend\n}\n"
        "click 4\n  v 100\n  s bass\n  {\n    e\n  }\n");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(hex(folder.read("boom.sfx")),
              hex("BSFX" + bytes({1, 0, 0, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0x82, 0x00})));
    EXPECT_EQ(hex(folder.read("click.sfx")),
              hex("BSFX" + bytes({1, 0, 0, 0, 1, 0, 0, 0, 16, 0, 0, 0, 0x03, 100, 0, 0, 0x00})));
}

TEST(MacroParser, WarningsDoNotStopTheParse)
{
    ScriptFolder folder;
    RunResult result = folder.instruments("lead\n{\n{\nend\n}\n}\nbass\ns bass\n{\ne\n}\n");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "WARNING- No sample set for channel of : lead,0\n"
                          "WARNING- No note off point defined for instrument : lead\n"
                          "WARNING- No note off point defined for instrument : bass\n");
    EXPECT_EQ(u32At(folder.read("out.ins"), 4), 2u);
}

TEST(MacroParser, CommandChecksAreFollowedByTheSyntaxMessage)
{
    const char* const syntax = "ERROR- Invalid command syntax in : instruments.txt,4\n";
    struct Case {
        const char* line;
        std::string refusal;  // printed before the syntax message
    };
    const Case cases[] = {
        {"sample flute", "ERROR- Unable to locate sample with name : flute in : instruments.txt,4\n"},
        {"sample bass", "ERROR- Multiple sample assignments to one channel of : lead in : "
                        "instruments.txt,4\n"},
        {"sample", ""},
        {"mode looping 0 32769", "ERROR- Value out of range\n"},
        {"mode looping 32768 32768", "ERROR- Value out of range\n"},
        {"mode looping -1 10", "ERROR- Value out of range\n"},
        {"mode looping 5 5", "ERROR- Sample loop end offset must be greater than the start\n"},
        {"mode looping 6.1 5", "ERROR- Sample loop end offset must be greater than the start\n"},
        {"mode looping", "ERROR- Sample loop missing start offset\n"},
        {"mode looping 0", "ERROR- Sample loop missing end offset\n"},
        {"mode looping x 10", "ERROR- Unable to parse numeric : x\n"},
        {"mode bounce", "ERROR- Invalid sampling mode : bounce\n"},
        {"mode", ""},
        {"frequency", ""},
        {"frequency .5", "ERROR- Unable to parse numeric : .5\n"},
        {"volume 1 1.-5", "ERROR- Unable to parse numeric : 1.-5\n"},
        {"loop 128", "ERROR- Value out of range\n"},
        {"loop -129", "ERROR- Value out of range\n"},
        {"loop %102", "ERROR- Invalid binary value : %102\n"},
        {"wait", ""},
        {"wait x1", "ERROR- Unable to parse numeric : x1\n"},
        {"noteoff\nnoteoff", "ERROR- Multiple note off assignments for : lead\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        ScriptFolder folder;
        std::string script = std::string("lead\nsample piano\n{\n") + c.line + "\n}\n";
        RunResult result = folder.instruments(script);
        std::string where = syntax;
        if (std::string(c.line).find('\n') != std::string::npos)
            where = "ERROR- Invalid command syntax in : instruments.txt,5\n";
        EXPECT_EQ(result.err, c.refusal + where);
        EXPECT_EQ(result.status, 1);
    }
}

TEST(MacroParser, DialectSpecificRefusals)
{
    expectEffectMessages({"boom 1\n{\n{\ns piano\nnoteoff\n",
                          "ERROR- Note off assigned for sound effect : boom\n"
                          "ERROR- Invalid command syntax in : effects.txt,5\n"},
                         1);
    expectEffectMessages({"boom 1\n{\nmode singleshot\n",
                          "ERROR- Sample mode cannot be set until a sample has been assigned\n"
                          "ERROR- Invalid command syntax in : effects.txt,3\n"},
                         1);
}

TEST(MacroParser, LongLinesAndCarriageReturns)
{
    ScriptFolder folder;
    // CR LF line ends read like LF; a 3000-character line counts as two lines.
    std::string blank = std::string(3000, ' ') + "\r\n";
    RunResult result = folder.effects("boom 1\r\n" + blank + "jump\r\n");
    EXPECT_EQ(result.err, "ERROR- Invalid command : jump in : effects.txt,4\n");
}

}  // namespace
