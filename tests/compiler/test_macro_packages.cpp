// Instrument packs, sound-effect files and the priority header, as the real
// bscomp writes them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "compiler/macro_writers.h"
#include "script_test_support.h"

namespace {

using namespace script_test;

TEST(InstrumentPack, EntriesFollowDefinitionOrderWithCodeBackToBack)
{
    ScriptFolder folder;
    RunResult result = folder.instruments(
        "; three instruments with 10, 0 and 4 bytes of code\n"
        "lead\n{\nsample drum\n{\nvolume 127\nwait 10\nnoteoff\nvolume 0\nend\n}\n}\n"
        "silent\nsample piano\n{\nnoteoff\n}\n"
        "pluck\nsample bass\n{\nvolume 9\n}\n");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "INS Mode...\nParsing sample descriptor file : samples.txt\n"
                          "Parsing macro script file : instruments.txt\n"
                          "Saving instrument package to : out.ins\n"
                          "\nSuccess! 58 Bytes written to : out.ins\n"
                          "Total Macro Instruments : 3\n");
    // An instrument without a note-off point is only warned about; its entry holds 0.
    EXPECT_EQ(result.err, "WARNING- No note off point defined for instrument : pluck\n");

    std::string pack = folder.read("out.ins");
    ASSERT_EQ(pack.size(), 58u);
    EXPECT_EQ(pack.substr(0, 4), "BINS");
    EXPECT_EQ(u32At(pack, 4), 3u);
    const uint32_t entries[3][3] = {{2, 44, 5}, {0, 54, 0}, {1, 54, 0}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(u32At(pack, 8 + 12 * i), entries[i][0]);
        EXPECT_EQ(u32At(pack, 12 + 12 * i), entries[i][1]);
        EXPECT_EQ(u32At(pack, 16 + 12 * i), entries[i][2]);
    }
    EXPECT_EQ(hex(pack.substr(54)), hex(bytes({0x03, 0x09, 0x00, 0x00})));
}

TEST(InstrumentPack, EmptyScriptGivesAnEmptyPack)
{
    ScriptFolder folder;
    RunResult result = folder.instruments("; nothing yet\n\n   \t\n");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "WARNING- No macros defined, are you sure about this?\n");
    EXPECT_EQ(hex(folder.read("out.ins")), hex("BINS" + bytes({0, 0, 0, 0})));
}

TEST(MacroPackages, ChannelWithoutSampleGetsTheEmptySampleIndex)
{
    ScriptFolder folder;
    RunResult result = folder.instruments("lead\n{\n{\nnoteoff\nend\n}\n}\n");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "WARNING- No sample set for channel of : lead,0\n");
    EXPECT_EQ(u32At(folder.read("out.ins"), 8), 0xFFFFFFFFu);

    result = folder.effects("duo 3\n{\n{\nsample bass\nend\n}\n{\nend\n}\n}\n");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "WARNING- No sample set for channel of : duo,1\n");
    std::string effect = folder.read("duo.sfx");
    EXPECT_EQ(u32At(effect, 8), 1u);
    EXPECT_EQ(u32At(effect, 16), 0xFFFFFFFFu);
}

TEST(SoundEffects, TwoChannelsWithTheirCodeBackToBack)
{
    ScriptFolder folder;
    RunResult result = folder.effects(
        "duo 20\n{\n{\nsample piano\nvolume 1\nwait 1\nend\n}\n{\nsample drum\nwait 9\nend\n"
        "wait 1\n}\n}\n");
    ASSERT_EQ(result.status, 0) << result.err;
    std::string effect = folder.read("duo.sfx");
    EXPECT_EQ(hex(effect), hex("BSFX" + bytes({2, 0, 0, 0, 0, 0, 0, 0, 24, 0, 0, 0, 2, 0, 0, 0, 30,
                                               0, 0, 0, 0x03, 0x01, 0x00, 0x00, 0x81, 0x00,
                                               0x89, 0x00, 0x81})));
    EXPECT_EQ(effect.size(), 33u);
}

TEST(SoundEffects, HeaderCommandsAfterAClosedBlockStartTheNextChannel)
{
    ScriptFolder folder;
    RunResult result = folder.effects("duo 20\n{\nvolume 5\n{\nsample piano\nend\n}\n"
                                      "sample bass\nvolume 6\n{\nend\n}\n}\n");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(hex(folder.read("duo.sfx")),
              hex("BSFX" + bytes({2, 0, 0, 0, 0, 0, 0, 0, 24, 0, 0, 0, 1, 0, 0, 0, 29, 0, 0, 0,
                                  0x03, 0x05, 0x00, 0x00, 0x00, 0x03, 0x06, 0x00, 0x00, 0x00})));
}

TEST(SoundEffects, FilesGoBesideTheScriptWithThePriorityHeader)
{
    ScriptFolder folder;
    std::filesystem::create_directory(folder / "fx");
    folder.write("fx/sounds.txt", "boom -5\ns drum\n{\nend\n}\n"
                                  "click\n{\nsample piano\n{\nend\n}\n}\n"
                                  "tick 12abc\ns bass\n{\nend\n}\n");
    RunResult result = folder.run({"-sfx", "samples.txt", "fx/sounds.txt"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "SFX Mode...\nParsing sample descriptor file : samples.txt\n"
                          "Parsing macro script file : fx/sounds.txt\n"
                          "Saving sound effect binary to : fx/boom.sfx\n"
                          "Saving sound effect binary to : fx/click.sfx\n"
                          "Saving sound effect binary to : fx/tick.sfx\n"
                          "\nPriority definitions saved to : fx/sounds.h\n"
                          "Total Sound Effects : 3\n");
    EXPECT_EQ(result.err, "WARNING- No priority specified for sound effect : fx/sounds.txt,6\n");
    EXPECT_EQ(folder.readText("fx/sounds.h"),
              "#define BPRI_boom\t\t-5\n#define BPRI_click\t\t127\n#define BPRI_tick\t\t12\n");
    EXPECT_EQ(hex(folder.read("fx/boom.sfx")),
              hex("BSFX" + bytes({1, 0, 0, 0, 2, 0, 0, 0, 16, 0, 0, 0, 0})));
    EXPECT_EQ(folder.list(), (std::vector<std::string>{"fx", "piano.raw", "samples.txt"}));
    EXPECT_FALSE(folder.exists("boom.sfx"));

    // A script in the current folder writes there.
    result = folder.effects("boom 1\ns drum\n{\nend\n}\n", "sounds.txt");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(folder.exists("boom.sfx"));
    EXPECT_EQ(folder.readText("sounds.h"), "#define BPRI_boom\t\t1\n");
}

TEST(SoundEffects, ScriptWithoutEffectsWritesAnEmptyHeader)
{
    ScriptFolder folder;
    RunResult result = folder.effects("; to do\n");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "WARNING- No macros defined, are you sure about this?\n");
    EXPECT_TRUE(folder.exists("effects.h"));
    EXPECT_EQ(folder.read("effects.h"), "");
    EXPECT_NE(result.out.find("Total Sound Effects : 0\n"), std::string::npos);
    for (const std::string& name : folder.list())
        EXPECT_EQ(name.find(".sfx"), std::string::npos) << name;
}

TEST(SoundEffects, TheScriptIsNeverOverwritten)
{
    ScriptFolder folder;
    // A script named *.h: the effects are written, the header is refused.
    const std::string script = "boom 1\ns drum\n{\nend\n}\n";
    RunResult result = folder.effects(script, "effects.h");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "ERROR- Can't create priority definition file\n");
    EXPECT_TRUE(folder.exists("boom.sfx"));
    EXPECT_EQ(folder.read("effects.h"), script);

    // An effect file or the header that is one of the run's inputs under any name (the script,
    // the descriptor, a PCM file; by name or through a link) refuses the run before any file is
    // written.
    const std::string samples = folder.read("samples.txt");
    std::filesystem::create_directory(folder / "fx");
    folder.write("fx/sounds.txt", script);
    folder.write("fx/other.txt", "other 2\ns drum\n{\nend\n}\n" + script);
    std::filesystem::create_hard_link(folder / "samples.txt", folder / "fx/other.h");
    struct Case {
        std::vector<std::string> arguments;
        std::string refused;
    };
    std::vector<Case> cases = {
        {{"-sfx", "samples.txt", "boom.sfx"}, "boom.sfx"},
        {{"-sfx", "boom.sfx", "effects.txt"}, "boom.sfx"},
        {{"-sfx", "samples.txt", "fx/other.txt"}, "fx/other.h"},
    };
#if !defined(_WIN32)  // no symbolic links there
    std::filesystem::create_symlink("sounds.txt", folder / "fx/boom.sfx");
    cases.push_back({{"-sfx", "samples.txt", "fx/sounds.txt"}, "fx/boom.sfx"});
#endif
    for (const Case& c : cases) {
        SCOPED_TRACE(c.refused);
        if (c.arguments[1] == "boom.sfx") {
            folder.write("boom.sfx", samples);
            folder.write("effects.txt", script);
        } else if (c.arguments[2] == "boom.sfx") {
            folder.write("boom.sfx", script);
        }
        const std::vector<std::string> before = folder.list();
        result = folder.run(c.arguments);
        EXPECT_EQ(result.err, "ERROR- Destination file would overwrite a source file : " + c.refused + "\n");
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(folder.list(), before);
    }
    EXPECT_EQ(folder.read("fx/sounds.txt"), script);
    EXPECT_EQ(folder.read("samples.txt"), samples);
    // A PCM file named like an effect.
    folder.write("samples.txt", "drum boom.sfx 11025 100\n");
    folder.write("boom.sfx", "pcm");
    result = folder.effects(script);
    EXPECT_EQ(result.err, "ERROR- Destination file would overwrite a source file : boom.sfx\n");
    EXPECT_EQ(folder.read("boom.sfx"), "pcm");
}

TEST(SoundEffects, AFailedFileLeavesEarlierFilesAndThePreviousHeader)
{
    ScriptFolder folder;
    folder.write("effects.h", "#define BPRI_old\t\t1\n");
    folder.write("click.sfx", "previous click");
    std::filesystem::create_directory(folder / "clack.sfx");
    RunResult result = folder.effects("boom 1\ns drum\n{\nend\n}\nclick 2\ns drum\n{\nend\n}\n"
                                      "clack 3\ns drum\n{\nend\n}\nlast 4\ns drum\n{\nend\n}\n");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "ERROR- Can't write to destination file : clack.sfx\n");
    EXPECT_TRUE(folder.exists("boom.sfx"));
    EXPECT_EQ(folder.read("click.sfx").substr(0, 4), "BSFX");
    EXPECT_FALSE(folder.exists("last.sfx"));
    EXPECT_EQ(folder.read("effects.h"), "#define BPRI_old\t\t1\n");
    // No temporary file is left behind.
    EXPECT_EQ(folder.list(), (std::vector<std::string>{"boom.sfx", "clack.sfx", "click.sfx",
                                                       "effects.h", "effects.txt", "piano.raw",
                                                       "samples.txt"}));
}

TEST(SoundEffects, EffectFilesAreNamedInTheScriptsFolder)
{
    struct Case {
        const char* script;
        const char* file;
    };
    const Case cases[] = {
        {"sounds.txt", "boom.sfx"},
        {"fx/sounds.txt", "fx/boom.sfx"},
        {"fx\\sounds.txt", "fx\\boom.sfx"},
        {"a/b.c/sounds", "a/b.c/boom.sfx"},
        // A script at the root of the file system keeps its effects there.
        {"/sounds.txt", "/boom.sfx"},
        {"\\sounds.txt", "\\boom.sfx"},
    };
    for (const Case& c : cases) {
        char* name = effectFileName(c.script, "boom");
        ASSERT_NE(name, nullptr);
        EXPECT_STREQ(name, c.file) << c.script;
        std::free(name);
    }
}

}  // namespace
