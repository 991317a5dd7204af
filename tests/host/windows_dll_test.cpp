// Halvex.dll as a program binds it: through its import library, with its
// version resource, and refusing to start without the window.
#include <gtest/gtest.h>

#include "host/host.h"
#include "test_packages.h"
#include "test_programs.h"

namespace {

TEST(HalvexDll, NamesItselfAndItsVersion)
{
    const std::string dll = test_programs::loadedModule("Halvex.dll");
    ASSERT_NE(dll, "");
    EXPECT_EQ(test_programs::versionValue(dll, "OriginalFilename"), "Halvex.dll");
    EXPECT_EQ(test_programs::versionValue(dll, "FileVersion"), BS_PROJECT_VERSION);
    EXPECT_EQ(test_programs::versionValue(dll, "ProductName"), "Brimsel toolchain");
    // It bound the engine's DLL at load time.
    EXPECT_NE(test_programs::loadedModule("Brimsel.dll"), "");
}

TEST(HalvexDll, NeedsTheWindowToStart)
{
    // With packs that the engine takes, only the missing window stops it.
    hosttest::Image samples = hosttest::samplePack();
    hosttest::Image instruments = hosttest::instrumentPack();
    EXPECT_EQ(hx_init(nullptr, samples.data(), instruments.data()), HX_E_FAIL);
    int32_t running = -1;
    hx_getState(nullptr, nullptr, nullptr, &running, nullptr, nullptr, nullptr);
    EXPECT_EQ(running, 0);
    EXPECT_EQ(hx_getInfo(nullptr, nullptr, nullptr, nullptr, nullptr), 0);
}

}  // namespace
