// Safe writing: a package replaces its output only once complete; a failed run leaves the
// previous file (or none) and no temporary file behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#if !defined(_WIN32)
#  include <fcntl.h>
#  include <sys/stat.h>
#  include <unistd.h>
#endif

#include "bscomp_test_support.h"
#include "compiler/linker.h"
#include "compiler/macro_writers.h"
#include "compiler/macros.h"
#include "compiler/music.h"
#include "compiler/output.h"
#include "compiler/samples.h"

using bscomp_test::memorySource;
using bscomp_test::MessageCapture;
using bscomp_test::runBscomp;
using bscomp_test::RunResult;
using bscomp_test::TempDir;
using bscomp_test::u32At;

namespace fs = std::filesystem;

namespace {

#if !defined(_WIN32)
mode_t modeOf(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}
#endif

class SafeOutput : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.write("a.raw", "abcdefghij");
        dir.write("good.txt", "a a.raw 100 100\n");
        dir.write("bad.txt", "a a.raw 100 100\nb missing.raw 100 100\n");
    }
    RunResult run(const std::vector<std::string>& arguments) { return runBscomp(dir.path(), arguments); }

    TempDir dir;
};

TEST_F(SafeOutput, AFailedRunKeepsThePreviousPackage)
{
    ASSERT_EQ(run({"-smp", "out.smp", "good.txt"}).status, 0);
    const std::string good = dir.read("out.smp");
    ASSERT_EQ(good.size(), 8u + 16 + 10);

    RunResult r = run({"-smp", "out.smp", "bad.txt"});
    EXPECT_EQ(r.err, "ERROR- Can't open source file : missing.raw\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(dir.read("out.smp"), good);
    EXPECT_EQ(dir.list(), (std::vector<std::string>{"a.raw", "bad.txt", "good.txt", "out.smp"}));

    r = run({"-smp", "out.smp", "missing.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(dir.read("out.smp"), good);
}

TEST_F(SafeOutput, AFailedFirstRunCreatesNothing)
{
    RunResult r = run({"-smp", "out.smp", "bad.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(dir.list(), (std::vector<std::string>{"a.raw", "bad.txt", "good.txt"}));
}

TEST_F(SafeOutput, ASecondRunReplacesThePackage)
{
    ASSERT_EQ(run({"-smp", "out.smp", "good.txt"}).status, 0);
    dir.write("two.txt", "a a.raw 100 100\nb a.raw 200 200\n");
    RunResult r = run({"-smp", "out.smp", "two.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(u32At(dir.read("out.smp"), 4), 2u);
    EXPECT_EQ(dir.list(), (std::vector<std::string>{"a.raw", "bad.txt", "good.txt", "out.smp", "two.txt"}));
}

// Names are UTF-8 on every system (on Windows they go through the wide-character calls).
TEST_F(SafeOutput, NamesInAnyLanguage)
{
    const fs::path folder(dir.path());
    const auto utf8 = [](const std::string& name) { return fs::path(std::u8string(name.begin(), name.end())); };
    const std::string pcm = "s\xC3\xB6n.raw";  // an o with umlaut
    const std::string descriptor = "\xC3\xA9"
                                   "chantillons.txt";  // an e with acute
    const std::string pack = "\xE9\x9F\xB3.smp";       // a CJK character
    std::ofstream(folder / utf8(pcm), std::ios::binary) << "abcdefghij";
    std::ofstream(folder / utf8(descriptor), std::ios::binary) << "a " + pcm + " 100 100\n";
    std::string longName;  // its temporary file's name is cut short between two characters
    for (int i = 0; i < 33; ++i) longName += "\xC3\xA9";
    for (const std::string& name : {pack, "a" + longName + ".smp"}) {
        RunResult r = run({"-smp", name, descriptor});
        EXPECT_EQ(r.err, "");
        EXPECT_NE(r.out.find("Parsing sample descriptor file : " + descriptor + "\n"), std::string::npos) << r.out;
        EXPECT_EQ(fs::file_size(folder / utf8(name)), 8u + 16 + 10);
    }
    // The same file under its own name is still refused as an output.
    RunResult r = run({"-smp", pcm, descriptor});
    EXPECT_EQ(r.err, "ERROR- Destination file would overwrite a source file : " + pcm + "\n");
}

#if !defined(_WIN32)
TEST_F(SafeOutput, ASuccessfulRunReplacesTheOutputAndKeepsItsPermissions)
{
    dir.write("out.smp", "old contents");
    chmod((dir / "out.smp").c_str(), 0640);
    ASSERT_EQ(run({"-smp", "out.smp", "good.txt"}).status, 0);
    EXPECT_EQ(dir.read("out.smp").substr(0, 4), "BSMP");
    EXPECT_EQ(modeOf(dir / "out.smp"), 0640u);

    // A new file gets the usual permissions of a new file, not those of a private temporary.
    mode_t mask = umask(022);
    ASSERT_EQ(run({"-smp", "new.smp", "good.txt"}).status, 0);
    umask(mask);
    EXPECT_EQ(modeOf(dir / "new.smp"), 0644u);
}

TEST_F(SafeOutput, WritingThroughASymbolicLinkUpdatesItsTarget)
{
    mkdir((dir / "packs").c_str(), 0755);
    ASSERT_EQ(symlink("packs/real.smp", (dir / "link.smp").c_str()), 0);
    ASSERT_EQ(run({"-smp", "link.smp", "good.txt"}).status, 0);
    struct stat info;
    ASSERT_EQ(lstat((dir / "link.smp").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(dir.read("packs/real.smp").substr(0, 4), "BSMP");
}
#endif

TEST_F(SafeOutput, ASourceNamedAsTheOutputIsNeverReplaced)
{
    dir.write("lead.txt", "lead\ns a\n{\nn\n}\n");
    fs::create_directory(dir / "sub");
    fs::create_hard_link(dir / "good.txt", dir / "hard.txt");
    struct Case {
        std::vector<std::string> arguments;
        std::string output;
    };
    std::vector<Case> cases = {
        {{"-smp", "good.txt", "good.txt"}, "good.txt"},
        {{"-smp", "./hard.txt", "good.txt"}, "./hard.txt"},
        {{"-ins", "sub/../lead.txt", "good.txt", "lead.txt"}, "sub/../lead.txt"},
        {{"-mus", "out.mus", "lead.txt", "a.raw", "./out.mus"}, "out.mus"},
    };
#if defined(_WIN32)
    // Windows spellings: backslashes, another case, the whole path.
    const std::string whole = fs::path(dir / "good.txt").make_preferred().string();
    cases.insert(cases.end(), {
                                  {{"-smp", ".\\GOOD.TXT", "good.txt"}, ".\\GOOD.TXT"},
                                  {{"-ins", "sub\\..\\Lead.txt", "good.txt", "lead.txt"}, "sub\\..\\Lead.txt"},
                                  {{"-smp", whole, "hard.txt"}, whole},
                              });
#else
    ASSERT_EQ(symlink("../lead.txt", (dir / "sub/link.txt").c_str()), 0);
    cases.push_back({{"-ins", "sub/link.txt", "good.txt", "lead.txt"}, "sub/link.txt"});
#endif
    dir.write("out.mus", "main 1\n{\nend\n}\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output);
        const std::vector<std::string> before = dir.list();
        RunResult r = run(c.arguments);
        EXPECT_EQ(r.err, "ERROR- Destination file would overwrite a source file : " + c.output + "\n");
        EXPECT_EQ(r.out, "") << "no stage runs";
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(dir.list(), before);
    }
    // A PCM file is read (or only named, in "-ins") once the stages run: the package is refused
    // before it is written, by name or through a link.
    std::vector<Case> late = {
        {{"-smp", "a.raw", "good.txt"}, "SMP Mode...\nParsing sample descriptor file : good.txt\nSaving sample package to : a.raw\n"},
        {{"-ins", "a.raw", "good.txt", "lead.txt"}, "INS Mode...\nParsing sample descriptor file : good.txt\n"
                                                    "Parsing macro script file : lead.txt\nSaving instrument package to : a.raw\n"},
    };
#if !defined(_WIN32)
    ASSERT_EQ(symlink("a.raw", (dir / "pcm.lnk").c_str()), 0);
    late.push_back({{"-ins", "pcm.lnk", "good.txt", "lead.txt"}, "INS Mode...\nParsing sample descriptor file : good.txt\n"
                                                                 "Parsing macro script file : lead.txt\nSaving instrument package to : pcm.lnk\n"});
#endif
    for (const Case& c : late) {
        SCOPED_TRACE(c.arguments[1]);
        RunResult r = run(c.arguments);
        EXPECT_EQ(r.err, "ERROR- Destination file would overwrite a source file : " + c.arguments[1] + "\n");
        EXPECT_EQ(r.out, c.output);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(dir.read("a.raw"), "abcdefghij");
    }

    EXPECT_EQ(dir.read("good.txt"), "a a.raw 100 100\n");
    EXPECT_EQ(dir.read("lead.txt"), "lead\ns a\n{\nn\n}\n");
    EXPECT_EQ(dir.read("out.mus"), "main 1\n{\nend\n}\n");
}

// A pipe or a device cannot be replaced by renaming a file over it: the package is written into it.
TEST_F(SafeOutput, PipesAndDevicesAreWrittenIntoNotReplaced)
{
    ASSERT_EQ(run({"-smp", "reference.smp", "good.txt"}).status, 0);
#if defined(_WIN32)
    RunResult r = run({"-smp", "NUL", "good.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(dir.list(), (std::vector<std::string>{"a.raw", "bad.txt", "good.txt", "reference.smp"}));
}
#else
    const std::string pack = dir.read("reference.smp");

    // A named pipe with a reader (opened first, so that bscomp's open does not wait).
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0644), 0);
    int reader = open((dir / "fifo").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    RunResult r = run({"-smp", "fifo", "good.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    std::string received(pack.size() + 16, '\0');
    ssize_t got = read(reader, received.data(), received.size());
    close(reader);
    EXPECT_EQ(received.substr(0, got > 0 ? size_t(got) : 0), pack);
    struct stat info;
    ASSERT_EQ(lstat((dir / "fifo").c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode)) << "the pipe is still a pipe";

    // An unnamed pipe reached through /dev/fd, as a shell's process substitution gives it.
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    r = run({"-smp", "/dev/fd/" + std::to_string(ends[1]), "good.txt"});
    close(ends[1]);
    EXPECT_EQ(r.status, 0) << r.err;
    got = read(ends[0], received.data(), received.size());
    close(ends[0]);
    EXPECT_EQ(received.substr(0, got > 0 ? size_t(got) : 0), pack);

    // A device: written into, and still the device afterwards.
    r = run({"-smp", "/dev/null", "good.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(lstat("/dev/null", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
    EXPECT_EQ(dir.list(), (std::vector<std::string>{"a.raw", "bad.txt", "fifo", "good.txt", "reference.smp"}));
}
#endif

TEST_F(SafeOutput, AReadOnlyOutputIsNotReplaced)
{
#if !defined(_WIN32)
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
#endif
    dir.write("locked.smp", "keep me");
    fs::permissions(dir / "locked.smp", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    RunResult r = run({"-smp", "locked.smp", "good.txt"});
    EXPECT_EQ(r.err, "ERROR- Can't write to destination file : locked.smp\n");
    EXPECT_EQ(dir.read("locked.smp"), "keep me");
}

TEST(OutputFile, CommitPutsTheFileInPlaceAndDiscardLeavesNoTrace)
{
    TempDir dir;
    const std::string path = dir / "text.h";
    OutputFile out;
    ASSERT_EQ(openOutputFile(&out, path.c_str(), false), 0);
    fputs("#define X 1\n", out.stream);
    EXPECT_FALSE(dir.exists("text.h")) << "nothing appears before the commit";
    ASSERT_EQ(dir.list().size(), 1u);
    EXPECT_EQ(dir.list()[0].rfind(".text.h.bscomp-", 0), 0u) << dir.list()[0];
    EXPECT_EQ(commitOutputFile(&out), 0);
    EXPECT_EQ(out.stream, nullptr);
    EXPECT_EQ(dir.readText("text.h"), "#define X 1\n");
    EXPECT_EQ(dir.list(), std::vector<std::string>{"text.h"});

    ASSERT_EQ(openOutputFile(&out, path.c_str(), true), 0);
    fputs("half", out.stream);
    discardOutputFile(&out);
    discardOutputFile(&out);  // a second discard does nothing
    EXPECT_EQ(dir.readText("text.h"), "#define X 1\n");
    EXPECT_EQ(dir.list(), std::vector<std::string>{"text.h"});
}

TEST(OutputFile, OpeningFailsQuietlyWhereNoFileCanBeWritten)
{
    TempDir dir;
    MessageCapture messages;
    OutputFile out;
    EXPECT_EQ(openOutputFile(&out, (dir / "none/x.smp").c_str(), true), -1);
    EXPECT_EQ(openOutputFile(&out, dir.path().c_str(), true), -1);
    EXPECT_EQ(openOutputFile(&out, "", true), -1);
    // A name longer than the file system allows cannot be created, although its temporary can.
    EXPECT_EQ(openOutputFile(&out, (dir / std::string(300, 'n')).c_str(), true), -1);
    EXPECT_EQ(out.stream, nullptr);
    EXPECT_EQ(dir.list(), std::vector<std::string>{}) << "no temporary file is left";
    EXPECT_EQ(messages.err(), "");
}

TEST(OutputFile, ALongNameStillGetsATemporaryFile)
{
    TempDir dir;
    const std::string name(250, 'n');
    OutputFile out;
    ASSERT_EQ(openOutputFile(&out, (dir / name).c_str(), true), 0);
    EXPECT_EQ(commitOutputFile(&out), 0);
    EXPECT_TRUE(dir.exists(name));
}

TEST(OutputFile, AFailedCommitIsReportedAndCleanedUp)
{
    TempDir dir;
    MessageCapture messages;
    fs::create_directory(dir / "sub");
    const std::string path = dir / "sub/out.smp";
    OutputFile out;
    ASSERT_EQ(openOutputFile(&out, path.c_str(), true), 0);
    // The target turns into a folder meanwhile: the rename cannot replace it.
    fs::create_directory(path);
    dir.write("sub/out.smp/inside", "x");
    EXPECT_EQ(commitOutputFile(&out), -1);
    EXPECT_EQ(messages.err(), "ERROR- Couldn't write to output file : " + path + "\n");
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir / "sub"))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"out.smp"});
}

#if !defined(_WIN32)
// A package whose bytes cannot be written (a full disk) is reported, never announced as a success.
TEST(PackageWriters, AFullDiskIsReportedInsteadOfSuccess)
{
    FILE* full = fopen("/dev/full", "wb");
    if (!full) GTEST_SKIP() << "no /dev/full";
    TempDir dir;
    dir.write("a.raw", "abcdefghij");
    {
        MessageCapture messages;
        FILE* descriptor = memorySource("a " + (dir / "a.raw") + " 100 100\n");
        ASSERT_EQ(parseSampleDescriptor(descriptor, "samples.txt"), 0);
        fclose(descriptor);
        EXPECT_EQ(writeSamplePack(full, "out.smp"), -1);
        EXPECT_EQ(messages.out(), "Parsing sample descriptor file : samples.txt\nSaving sample package to : out.smp\n");
        EXPECT_EQ(messages.err(), "ERROR- Couldn't write to sample pack file : out.smp\n");
        freeSamples();
    }
    clearerr(full);
    {
        MessageCapture messages;
        FILE* script = memorySource("lead\ns any\n{\nn\nend\n}\n");
        ASSERT_EQ(parseMacroScript(script, "instruments.txt", false, true), 0);
        fclose(script);
        EXPECT_EQ(writeInstrumentPack(full, "out.ins"), -1);
        EXPECT_EQ(messages.out(), "Parsing macro script file : instruments.txt\nSaving instrument package to : out.ins\n");
        EXPECT_EQ(messages.err(), "ERROR- Couldn't write to output file : out.ins\n");

        clearerr(full);
        FILE* channel = memorySource("main 1\n{\nusing lead\nc.4 12\nend\n}\n");
        ASSERT_EQ(parseMusicScript(channel, "channel0.txt"), 0);
        fclose(channel);
        EXPECT_EQ(linkMusicTrack(full, "out.mus"), -1);
        EXPECT_EQ(messages.err(), "ERROR- Couldn't write to output file : out.ins\n"
                                  "ERROR- Couldn't write to output file : out.mus\n");
        EXPECT_EQ(messages.out().find("Success"), std::string::npos) << messages.out();
        releaseMusic();
        releaseMacros();
    }
    fclose(full);
}
#endif

}  // namespace
