// bsinspect run as a user runs it: its command line, the summary and its problems, JSON, the
// scripts on standard output and in a folder.
#include <algorithm>

#include "cli_support.h"
#include "package_builder.h"

using namespace cli_support;
using namespace testing_packages;

namespace {

class BsinspectCli : public ScratchTest {
protected:
    ToolRun inspect(const std::vector<std::string>& args) const { return run(BSINSPECT_PATH, args); }

    void writePackages()
    {
        writeBytes(dir / "t.smp", samplePack({{ramp(100)}, {ramp(40)}}));
        writeBytes(dir / "t.ins", instrumentPack({{1, {MACRO_LOOPING, 0, 0, 40, 0, MACRO_VOLUME, 100, 0, 0, MACRO_END}}}));
        writeBytes(dir / "t.mus", musicTrack({{10, {MUSIC_USING, 0, MUSIC_NOTE, 60, 0x8C, MUSIC_PRIORITY, 0}}}));
        writeBytes(dir / "boom.sfx", soundEffect({{0, {MACRO_SINGLESHOT, 0x85, MACRO_END}}}));
    }
};

TEST_F(BsinspectCli, AWrongCommandLineSaysWhatIsWrong)
{
    writePackages();
    writeBytes(dir / "u.smp", samplePack({}));
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "Name at least one package"},
        {{"--frobnicate", "t.smp"}, "Unknown option --frobnicate"},
        {{"t.smp", "-x"}, "Option -x needs a value"},
        {{"--json=yes", "t.smp"}, "Option --json takes no value"},
        {{"--extract=", "t.smp"}, "Option --extract needs a name"},
        {{"-d", "t.smp", "u.smp"}, "Disassemble one sample pack at a time"},
    };
    for (const auto& [args, message] : cases) {
        const ToolRun r = inspect(args);
        EXPECT_EQ(r.status, 2) << message;
        EXPECT_NE(r.err.find("ERROR- " + message), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    const ToolRun help = inspect({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage : bsinspect [options] FILE...\n", 0), 0u) << help.out;
}

TEST_F(BsinspectCli, SummarisesEachKindFromItsMagic)
{
    writePackages();
    fs::rename(dir / "boom.sfx", dir / "boom.bin");  // the name does not matter
    const ToolRun r = inspect({"t.mus", "t.smp", "t.ins", "boom.bin"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              "t.mus: music track, 1 track, 20 bytes\n"
              "  track priority code offset\n"
              "      0       10          13\n"
              "\n"
              "t.smp: sample pack, 2 samples, 180 bytes\n"
              "  sample offset length  rate content PCM file\n"
              "       0     40    100 48000     440 sample_0.raw\n"
              "       1    140     40 48000     440 sample_1.raw\n"
              "\n"
              "t.ins: instrument pack, 1 instrument, 30 bytes\n"
              "  instrument sample code offset code size note-off\n"
              "           0      1          20        10        -\n"
              "\n"
              "boom.bin: sound effect, 1 channel, 19 bytes\n"
              "  channel sample code offset code size\n"
              "        0      0          16         3\n");
}

TEST_F(BsinspectCli, ListsEveryProblemAndFailsWithThem)
{
    writePackages();
    writeBytes(dir / "wrong.mus", musicTrack({{10, {MUSIC_USING, 7, MUSIC_PRIORITY, 0}}}));
    writeText(dir / "notes.txt", "hello there");
    const ToolRun r = inspect({"t.smp", "t.ins", "wrong.mus", "notes.txt", "missing.smp"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("wrong.mus: music track, 1 track, 17 bytes\n  track priority code offset\n      0       10"
                         "          13\n  warning: Uses instrument 7, but the instrument pack has only 1"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("notes.txt: not a package\n  error: Not a package: it begins with \"hell\"\n"),
              std::string::npos);
    EXPECT_NE(r.out.find("missing.smp: not read\n  error: Can't open file : missing.smp"), std::string::npos);
    // Alone, the instrument pack is not checked against a sample pack: nothing to say.
    EXPECT_EQ(inspect({"t.ins"}).status, 0);
    EXPECT_EQ(inspect({"t.ins", "t.smp"}).status, 0);
}

TEST_F(BsinspectCli, JsonHoldsTheSameSummary)
{
    writePackages();
    writeText(dir / "notes.txt", "a \"quoted\"\ttext\n");
    const ToolRun r = inspect({"--json", "t.smp", "t.mus", "notes.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("\"file\": \"t.smp\",\n      \"kind\": \"samples\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("{\"offset\": 40, \"length\": 100, \"sampleRate\": \"48000\""), std::string::npos);
    EXPECT_NE(r.out.find("{\"priority\": 10, \"codeOffset\": 13}"), std::string::npos);
    EXPECT_NE(r.out.find("\"message\": \"Not a package: it begins with \\\"a \\\\x22q\\\"\""), std::string::npos)
        << r.out;
    if (!haveProgram("python3"))
        GTEST_SKIP() << "no python3 to read the JSON with";
    writeText(dir / "report.json", inspect({"-j", "-d", "t.smp", "t.ins", "t.mus", "boom.sfx"}).out);
    const ToolRun parsed = run("python3", {"-c",
                                           "import json; r = json.load(open('report.json')); "
                                           "print(len(r['packages']), len(r['scripts']), r['commands'][0][1])"});
    EXPECT_EQ(parsed.out, "4 4 -smp\n") << parsed.err;
}

TEST_F(BsinspectCli, DisassemblesToStandardOutputOrIntoAFolder)
{
    writePackages();
    ToolRun r = inspect({"-d", "t.ins"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("; ==== instruments.txt ====\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("instrument_0\n{\n    sample sample_1\n    {\n        mode looping 0 40\n"
                         "        volume 100\n        end\n    }\n}\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(";   bscomp -ins t.ins samples.txt instruments.txt\n"), std::string::npos);
    EXPECT_NE(r.out.find("; bscomp -ins and -sfx read samples.txt"), std::string::npos);

    r = inspect({"-x", "out/src", "t.smp", "t.ins", "t.mus", "boom.sfx"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Wrote 4 scripts and 2 PCM files to out/src\n"
                     "There, bscomp compiles the packages with:\n"
                     "  bscomp -smp t.smp samples.txt\n"
                     "  bscomp -ins t.ins samples.txt instruments.txt\n"
                     "  bscomp -sfx samples.txt effects.txt\n"
                     "  bscomp -mus t.mus instruments.txt t/00.txt\n");
    EXPECT_EQ(readBytes(dir / "out/src/sample_1.raw").size(), 40u);
    EXPECT_NE(readText(dir / "out/src/t/00.txt").find("track_0 10\n{\n    using instrument_0\n    c.5 12\n    priority 0\n}\n"),
              std::string::npos);
    // Without its priority header an effect's priority is not known: it is said, not made up.
    EXPECT_NE(readText(dir / "out/src/effects.txt").find("give its priority header with -p.\nboom\n{\n"),
              std::string::npos);
    // An input is never overwritten, whatever its name.
    writeBytes(dir / "samples.txt", samplePack({}));
    r = inspect({"-x", ".", "samples.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("ERROR- The output would overwrite one of the input files : "), std::string::npos) << r.err;
    EXPECT_EQ(readBytes(dir / "samples.txt"), samplePack({}));
}

// The tools' fuzz corpus, hostile packages of every kind, read in one run: no fault, and a
// problem said for every package that has one.
TEST_F(BsinspectCli, SaysWhatIsWrongWithEveryHostilePackage)
{
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(PACKAGE_CORPUS_DIR))
        files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    const ToolRun r = inspect(files);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "");
    size_t sections = 0, withProblems = 0;
    for (size_t at = 0; at < r.out.size();) {
        const size_t end = std::min(r.out.find("\n\n", at), r.out.size());
        const std::string section = r.out.substr(at, end - at);
        EXPECT_EQ(section.find(files[sections] + ": "), 0u) << section;
        ++sections;
        if (section.find("\n  error: ") != std::string::npos || section.find("\n  warning: ") != std::string::npos)
            ++withProblems;
        at = end + 2;
    }
    EXPECT_EQ(sections, files.size());
    EXPECT_GT(withProblems, files.size() / 2);
}

}  // namespace
