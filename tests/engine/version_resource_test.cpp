// The Windows DLL carries the version resource that Explorer and installers read.
#include <gtest/gtest.h>

#include "test_programs.h"

namespace {

TEST(VersionResource, BrimselDllNamesItselfAndItsVersion)
{
    // Bound through the import library, the DLL is loaded from the start.
    const std::string dll = test_programs::loadedModule("Brimsel.dll");
    ASSERT_NE(dll, "");
    EXPECT_EQ(test_programs::versionValue(dll, "OriginalFilename"), "Brimsel.dll");
    EXPECT_EQ(test_programs::versionValue(dll, "FileVersion"), BS_PROJECT_VERSION);
    EXPECT_EQ(test_programs::versionValue(dll, "ProductName"), "Brimsel toolchain");
}

}  // namespace
