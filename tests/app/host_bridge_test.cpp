// HostBridge: reading package files, the checked loads and their invariants,
// the guards, and shutdown.
#include <cstring>
#include <filesystem>

#include "core_test_support.h"
#include "tools/common/package_file.h"

namespace coretest {
namespace {

using testing_images::Macro;
using testing_images::Music;
using Outcome = LoadResult::Outcome;

class HostBridgeTest : public CoreTest {
protected:
    HostBridge& bridge() { return app->bridge(); }

    void expectInvariants()
    {
        EXPECT_TRUE(!bridge().running() || (bridge().samplesLoaded() && bridge().instrumentsLoaded()));
        EXPECT_TRUE(!bridge().logging() || bridge().running());
    }
};

TEST_F(HostBridgeTest, ReadPackageFileTakesWholeFilesUpToTheToolsCap)
{
    struct Case {
        const char* name;
        int64_t size;  // -1: no such file; -2: a folder; -3: a device that never ends
        HXRESULT status;
    };
    const Case cases[] = {
        {"missing", -1, kAccessDenied},
        {"a device", -3, kAccessDenied},
        {"folder", -2, kAccessDenied},
        {"empty", 0, kOk},
        {"five bytes", 5, kOk},
        {"exactly the cap", bs::kMaxPackageBytes, kOk},
        {"one byte over the cap", int64_t(bs::kMaxPackageBytes) + 1, kAccessDenied},
        {"over 4 GiB", int64_t(1) << 33, kAccessDenied},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = c.size == -3 ? "/dev/zero" : scratch("file");
        std::filesystem::remove_all(scratch("file"));
        if (c.size == -2)
            std::filesystem::create_directory(path);
        if (c.size >= 0) {
            writeBytes("file", {1, 2, 3, 4, 5});
            std::filesystem::resize_file(path, uintmax_t(c.size));  // sparse: nothing is written
        }
        PackageBuffer image;
        const HXRESULT status = HostBridge::readPackageFile(path, &image);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(image.empty(), HX_FAILED(status));
        if (HX_SUCCEEDED(status)) {
            EXPECT_EQ(image.size(), uint32_t(c.size));
            EXPECT_EQ(reinterpret_cast<uintptr_t>(image.data()) % 4, 0u);
            if (c.size == 5) {
                EXPECT_EQ(std::memcmp(image.data(), "\1\2\3\4\5", 5), 0);
            }
        }
    }
}

// Each load runs the tools' package checks: an invalid package is not loaded
// (and the one before it is gone), a questionable one loads with warnings.
TEST_F(HostBridgeTest, LoadsRunThePackageChecks)
{
    auto bytes = [](const hosttest::Image& image) { return std::vector<uint8_t>(image.data(), image.data() + image.size()); };
    struct Case {
        const char* name;
        Package package;
        std::vector<uint8_t> content;
        Outcome outcome;
        bool warns;
    };
    const Case cases[] = {
        {"sample pack", Package::Samples, bytes(samplesImage), Outcome::Loaded, false},
        {"WAV file as samples", Package::Samples, {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'}, Outcome::Invalid, false},
        {"cut sample pack", Package::Samples, {'B', 'S', 'M', 'P', 1, 0}, Outcome::Invalid, false},
        {"empty file", Package::Samples, {}, Outcome::Invalid, false},
        {"sample pack as instruments", Package::Instruments, bytes(samplesImage), Outcome::Invalid, false},
        {"instrument on a missing sample", Package::Instruments,
         bytes(testing_images::instrumentPack({{5, Macro().volume(127).wait(10).end(), 0}})), Outcome::Loaded, true},
        {"instrument pack", Package::Instruments, bytes(instrumentsImage), Outcome::Loaded, false},
        {"music track", Package::Music, bytes(musicImage), Outcome::Loaded, false},
        {"music on a missing instrument", Package::Music,
         bytes(Music().label("a").use(3).note(60, 24).end().build({{10, "a"}})), Outcome::Loaded, true},
        {"three bytes as music", Package::Music, {1, 2, 3}, Outcome::Invalid, false},
        {"effect", Package::Effect, bytes(effectImage), Outcome::Loaded, false},
        {"effect without channels", Package::Effect, bytes(testing_images::effect({})), Outcome::Invalid, false},
        {"effect on a missing sample", Package::Effect,
         bytes(testing_images::effect({{9, Macro().volume(100).wait(10).end()}})), Outcome::Loaded, true},
    };
    // Both packs first, so that the cross-checks have something to go by.
    ASSERT_EQ(bridge().loadSamples(samplesFile).outcome, Outcome::Loaded);
    ASSERT_EQ(bridge().loadInstruments(instrumentsFile).outcome, Outcome::Loaded);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LoadResult result = bridge().load(c.package, writeBytes("package", c.content));
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(result.outcome == Outcome::Invalid, !result.error.empty()) << result.error;
        EXPECT_EQ(!result.warnings.empty(), c.warns);
        EXPECT_EQ(bridge().loaded(c.package), c.outcome == Outcome::Loaded);
        expectInvariants();
        // Leave both packs in place for the next case.
        if (c.package == Package::Samples && c.outcome != Outcome::Loaded)
            bridge().loadSamples(samplesFile);
        if (c.package == Package::Instruments && c.outcome != Outcome::Loaded)
            bridge().loadInstruments(instrumentsFile);
    }
}

TEST_F(HostBridgeTest, WithoutThePackItIsCheckedAgainstOnlyErrorsCount)
{
    const std::string instruments =
        writeFile("lone.ins", testing_images::instrumentPack({{5, Macro().volume(127).wait(10).end(), 0}}));
    const LoadResult result = bridge().loadInstruments(instruments);
    EXPECT_EQ(result.outcome, Outcome::Loaded);
    EXPECT_TRUE(result.warnings.empty());
    EXPECT_EQ(bridge().loadMusic(writeFile("bad.mus", hosttest::Image({1, 2, 3}))).outcome, Outcome::Invalid);
}

TEST_F(HostBridgeTest, GuardsHoldBeforeTheHostRuns)
{
    EXPECT_EQ(bridge().startHost(), kFail);  // no packs
    ASSERT_EQ(bridge().loadSamples(samplesFile).outcome, Outcome::Loaded);
    EXPECT_EQ(bridge().startHost(), kFail);  // one pack
    ASSERT_EQ(bridge().loadSfx(effectFile).outcome, Outcome::Loaded);
    EXPECT_EQ(bridge().logOutput(scratch("log.wav")), kFail);
    EXPECT_EQ(bridge().closeLog(), kFail);
    bridge().playSfx(100, 127, 127);
    EXPECT_EQ(bridge().lastEffectPriority(), 0);  // not running: not even remembered
    EXPECT_FALSE(std::filesystem::exists(scratch("log.wav")));

    ASSERT_EQ(bridge().loadInstruments(instrumentsFile).outcome, Outcome::Loaded);
    ASSERT_EQ(bridge().startHost(), kOk);
    EXPECT_EQ(bridge().startHost(), kFail);  // already running
    bridge().playSfx(0, 127, 127);
    EXPECT_EQ(bridge().lastEffectPriority(), 0);  // priority 0 is no effect
    bridge().playSfx(-3, 127, 127);
    EXPECT_EQ(bridge().lastEffectPriority(), -3);
    expectInvariants();
}

TEST_F(HostBridgeTest, ShutdownClosesTheHostAndTheLogAndFreesEveryImage)
{
    openAll();
    ASSERT_EQ(bridge().logOutput(scratch("log.wav")), kOk);
    app->onCommand(ID_PLAYBACK_PLAYMUSIC);
    render(10);
    bridge().shutdown();
    EXPECT_EQ(platform.device, nullptr);
    EXPECT_FALSE(bridge().running());
    EXPECT_FALSE(bridge().logging());
    for (Package package : kPackages)
        EXPECT_FALSE(bridge().loaded(package));
    expectInvariants();
    // The log was finished by the host's close: its header counts the data.
    EXPECT_GT(std::filesystem::file_size(scratch("log.wav")), 44u);
}

TEST_F(HostBridgeTest, ReplacingTheEffectStopsItByItsPriorityAnd127)
{
    openAll();
    bridge().playSfx(60, 127, 127);
    render(2);
    auto effectChannels = [&] {
        int busy = 0;
        for (const MacroChannel& channel : channels())
            busy += channel.priority == 60;
        return busy;
    };
    ASSERT_EQ(effectChannels(), 1);
    ASSERT_EQ(bridge().loadSfx(effectFile).outcome, Outcome::Loaded);
    render(1);
    EXPECT_EQ(effectChannels(), 0);
    EXPECT_EQ(bridge().lastEffectPriority(), 127);  // until the next start
}

}  // namespace
}  // namespace coretest
