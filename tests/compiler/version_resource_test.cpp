// bscomp.exe carries the version resource that Explorer and installers read.
#include <gtest/gtest.h>

#include "test_programs.h"

namespace {

TEST(VersionResource, BscompNamesItselfAndItsVersion)
{
    const std::string program = test_programs::builtProgram(BSCOMP_PATH);
    EXPECT_EQ(test_programs::versionValue(program, "OriginalFilename"), "bscomp.exe");
    EXPECT_EQ(test_programs::versionValue(program, "FileVersion"), BS_PROJECT_VERSION);
    EXPECT_EQ(test_programs::versionValue(program, "FileDescription"), "Brimsel package compiler");
}

}  // namespace
