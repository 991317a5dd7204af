// Runs the host on the scripted platform: the test moves the device's cursors
// and fires the timer itself, so every tick is deterministic.
#ifndef HALVEX_TESTS_FAKE_HOST_H
#define HALVEX_TESTS_FAKE_HOST_H

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "host/host.h"
#include "host/host_start.h"
#include "host/host_state.h"
#include "host/platform/fake/fake_platform.h"
#include "test_packages.h"

namespace hosttest {

constexpr uint32_t kBlock = 800;
constexpr uint32_t kBuffer = 51200;

class FakeHostTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // hx_init on the fake platform with the test packs.
    HXRESULT start();
    halvex::FakeDevice& device() { return *platform.device; }
    halvex::HostState& host() { return halvex::hostState(); }

    // Sets the cursors and fires one tick.
    void tickAt(uint32_t play, uint32_t write);
    // The first tick with both cursors at 0, then `blocks` ticks that each
    // find one more block played (the write cursor 960 bytes ahead, as SDL's
    // 240-frame callbacks leave it).  Returns the play cursor reached.
    uint32_t runBlocks(uint32_t blocks);

    uint32_t blocksRendered();
    // `count` bytes of the device's buffer from `offset`, wrapping.
    std::vector<uint8_t> deviceBytes(uint32_t offset, uint32_t count);

    std::string tempPath(const std::string& name);

    halvex::FakePlatform platform;
    int window = 0;  // stands in for the application's window
    Image samples = samplePack();
    Image instruments = instrumentPack();
    Image effect = loopingEffect(2000);
    Image music = tune(10);

private:
    std::vector<std::string> tempFiles_;
};

// The bytes of a file; empty when it cannot be read.
std::vector<uint8_t> readFile(const std::string& path);
bool fileExists(const std::string& path);
// What the engine renders by itself from a fresh bs_init on the test packs,
// after `requests` ran before the first tick: `blocks` blocks of 800 bytes.
std::vector<uint8_t> engineReference(const Image& samples, const Image& instruments,
                                     void (*requests)(const void* context), const void* context,
                                     uint32_t blocks);
bool isSilent(const std::vector<uint8_t>& bytes);
// Output of a shell command (standard output only).
std::string commandOutput(const std::string& command);

}  // namespace hosttest

#endif
