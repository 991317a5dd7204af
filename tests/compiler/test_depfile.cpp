// "-MF FILE": the dependency file that build tools read to rebuild a package exactly when one of
// its sources or sample files changes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bscomp_test_support.h"

using bscomp_test::runBscomp;
using bscomp_test::TempDir;

namespace {

class DependencyFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A folder whose name needs quoting in a Makefile: a space and '#' behind a
        // backslash, '$' doubled.
        std::filesystem::create_directory(dir / "my $#game");
        dir.write("my $#game/a.raw", "abcdefghij");
        dir.write("my $#game/b.raw", "abcdefghij");
        dir.write("my $#game/samples.txt", "a a.raw 100 100\nb b.raw 100 100\n");
        dir.write("my $#game/fx.txt", "boom 10\ns a\n{\ne\n}\n");
        dir.write("my $#game/instruments.txt", "lead\ns b\n{\ne\n}\n");
        dir.write("my $#game/ch0.txt", "m0 10\n{\nusing lead\nend\n}\n");
        dir.write("my $#game/ch1.txt", "m1 10\n{\nend\n}\n");
        // The names bscomp writes: absolute, with '/' between folders.
        base = std::filesystem::path(dir.path()).generic_string() + "/my\\ $$\\#game/";
    }
    auto run(const std::vector<std::string>& arguments) const
    {
        return runBscomp(dir / "my $#game", arguments);
    }
    std::string read(const std::string& name) const { return dir.readText("my $#game/" + name); }
    std::string rule(const std::string& target, const std::vector<std::string>& inputs) const
    {
        std::string text = base + target + ":";
        for (const std::string& input : inputs) text += " \\\n  " + base + input;
        return text + "\n";
    }

    TempDir dir;
    std::string base;
};

TEST_F(DependencyFile, NamesTheOutputAndEveryFileTheModeRead)
{
    struct Case {
        std::vector<std::string> arguments;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {{"-smp", "out.smp", "samples.txt"}, rule("out.smp", {"samples.txt", "a.raw", "b.raw"})},
        // -ins and -sfx read the descriptor for the samples' names only, not the PCM files.
        {{"-ins", "out.ins", "samples.txt", "instruments.txt"},
         rule("out.ins", {"samples.txt", "instruments.txt"})},
        {{"-sfx", "samples.txt", "fx.txt"}, rule("fx.h", {"samples.txt", "fx.txt"})},
        {{"-mus", "song.mus", "instruments.txt", "ch0.txt", "ch1.txt"},
         rule("song.mus", {"instruments.txt", "ch0.txt", "ch1.txt"})},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = {"-MF", "deps.d"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const auto result = run(arguments);
        ASSERT_EQ(result.status, 0) << c.arguments[0] << ": " << result.err;
        EXPECT_EQ(read("deps.d"), c.expected) << c.arguments[0];
    }
}

TEST_F(DependencyFile, FailedRunOrMissingNameWritesNone)
{
    dir.write("my $#game/bad.txt", "a a.raw 100 100\nb missing.raw 100 100\n");
    auto result = run({"-MF", "deps.d", "-smp", "out.smp", "bad.txt"});
    EXPECT_EQ(result.status, 1);
    EXPECT_FALSE(dir.exists("my $#game/deps.d"));

    result = run({"-MF"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "ERROR- Missing dependency file name after : -MF\n");
}

TEST_F(DependencyFile, NeverReplacesASource)
{
    const auto result = run({"-MF", "a.raw", "-smp", "out.smp", "samples.txt"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "ERROR- Destination file would overwrite a source file : a.raw\n");
    EXPECT_EQ(read("a.raw"), "abcdefghij");
}

}  // namespace
