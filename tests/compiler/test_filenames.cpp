// Output names derived from source names.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "bscomp_test_support.h"
#include "compiler/filenames.h"

using bscomp_test::MessageCapture;

namespace {

std::string derived(const char* path, const char* suffix = ".h", const char* separators = "\\/>")
{
    char* name = nullptr;
    if (deriveFileName(path, &name, suffix, separators) != 0) return "<failed>";
    std::string result(name);
    free(name);
    return result;
}

TEST(DeriveFileName, ReplacesTheExtensionOfTheLastPathPart)
{
    EXPECT_EQ(derived("sfx\\scripts.txt"), "sfx\\scripts.h");
    EXPECT_EQ(derived("dir.d/effects"), "dir.d/effects.h");
    EXPECT_EQ(derived("a.b.c"), "a.b.h");
    EXPECT_EQ(derived(".txt"), ".txt.h");
    EXPECT_EQ(derived("x"), "x.h");
    EXPECT_EQ(derived("x."), "x.h");
    EXPECT_EQ(derived("dir/.hidden"), "dir/.h");
    EXPECT_EQ(derived("drive>name.txt"), "drive>name.h");
    EXPECT_EQ(derived("effects.txt", ".sfx"), "effects.sfx");
    EXPECT_EQ(derived("a.b/c", ".h", ""), "a.h");  // no separators: the dot before the slash counts
    EXPECT_EQ(derived("a.b/c", ".h", nullptr), "a.h");
}

TEST(DeriveFileName, FailsOnEmptyAndMissingArguments)
{
    MessageCapture messages;
    char* name = nullptr;
    EXPECT_EQ(deriveFileName("", &name, ".h", "/"), -1);
    EXPECT_EQ(messages.err(), "");  // an empty path fails silently
    EXPECT_EQ(deriveFileName(nullptr, &name, ".h", "/"), -1);
    EXPECT_EQ(deriveFileName("a.txt", nullptr, ".h", "/"), -1);
    EXPECT_EQ(deriveFileName("a.txt", &name, nullptr, "/"), -1);
    EXPECT_EQ(name, nullptr);
    EXPECT_EQ(messages.err(),
              "ERROR- Unexpected NULL.\nERROR- Unexpected NULL.\nERROR- Unexpected NULL.\n");
}

}  // namespace
