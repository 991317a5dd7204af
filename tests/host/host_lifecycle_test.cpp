// hx_init and hx_close on the scripted platform: the order of the start, every
// failure leaving the host closed, and closing at any time.
#include <algorithm>

#include "fake_host.h"

namespace hosttest {
namespace {

using Events = std::vector<std::string>;

bool hostIsClosed(halvex::FakePlatform& platform)
{
    int32_t running = 1;
    hx_getState(nullptr, nullptr, nullptr, &running, nullptr, nullptr, nullptr);
    return running == 0 && platform.device == nullptr && platform.timer == nullptr &&
           platform.liveMutexes == 0;
}

class LifecycleTest : public FakeHostTest {};

TEST_F(LifecycleTest, StartsTheDeviceMutexesAndTimerInOrder)
{
    ASSERT_EQ(start(), HX_S_OK);
    EXPECT_EQ(platform.events(),
              (Events{"open", "lock 0 51200", "unlock", "setPosition 0", "mutex create",
                      "mutex create", "play", "timer start 4 2"}));
    EXPECT_EQ(platform.bufferBytes, 51200u);
    EXPECT_EQ(platform.format.frameRate, 48000u);
    EXPECT_EQ(platform.format.channels, 2);
    EXPECT_EQ(platform.format.bitsPerSample, 16);
    // The fake's buffer starts as 0xA5 garbage: hx_init clears it.
    EXPECT_TRUE(isSilent(device().buffer));
    EXPECT_TRUE(device().playing());

    int32_t running = 0;
    uint32_t rendered = 99;
    hx_getState(nullptr, nullptr, nullptr, &running, &rendered, nullptr, nullptr);
    EXPECT_EQ(running, -1);
    EXPECT_EQ(rendered, 0u);
}

TEST_F(LifecycleTest, ASuccessfulPlayResultIsReturned)
{
    platform.deviceResults.play = 1;  // success with a note, as some devices give
    EXPECT_EQ(start(), 1);
    int32_t running = 0;
    hx_getState(nullptr, nullptr, nullptr, &running, nullptr, nullptr, nullptr);
    EXPECT_EQ(running, -1);
}

TEST_F(LifecycleTest, MissingArgumentsFailBeforeAnythingOpens)
{
    EXPECT_EQ(halvex::initHost(platform, nullptr, samples.data(), instruments.data()), HX_E_FAIL);
    EXPECT_EQ(halvex::initHost(platform, &window, nullptr, instruments.data()), HX_E_FAIL);
    EXPECT_EQ(halvex::initHost(platform, &window, samples.data(), nullptr), HX_E_FAIL);
    EXPECT_TRUE(platform.events().empty());
    EXPECT_TRUE(hostIsClosed(platform));
}

TEST_F(LifecycleTest, WindowIsOptionalWherePlatformNeedsNone)
{
    platform.requireWindow = false;
    EXPECT_EQ(halvex::initHost(platform, nullptr, samples.data(), instruments.data()), HX_S_OK);
}

TEST_F(LifecycleTest, RejectedPackFailsBeforeTheDeviceIsTouched)
{
    std::vector<uint8_t> bad(samples.data(), samples.data() + samples.size());
    bad[0] = 'X';
    Image badSamples(bad);
    EXPECT_EQ(halvex::initHost(platform, &window, badSamples.data(), instruments.data()),
              HX_E_FAIL);
    EXPECT_TRUE(platform.events().empty());
    EXPECT_TRUE(hostIsClosed(platform));

    // The sized entry checks the image against its length as well.
    EXPECT_EQ(halvex::initHostSized(platform, &window, samples.data(), 20, instruments.data(),
                                    instruments.size()),
              HX_E_FAIL);
    EXPECT_TRUE(platform.events().empty());
    EXPECT_EQ(halvex::initHostSized(platform, &window, samples.data(), samples.size(),
                                    instruments.data(), instruments.size()),
              HX_S_OK);
}

TEST_F(LifecycleTest, EachFailureReturnsItsResultAndLeavesTheHostClosed)
{
    platform.openResult = HX_E_NODEVICE;
    EXPECT_EQ(start(), HX_E_NODEVICE);
    EXPECT_TRUE(hostIsClosed(platform));

    platform.openResult = 0;
    platform.mutexesBeforeFailure = 0;  // tickMutex refused
    EXPECT_EQ(start(), HX_E_FAIL);
    EXPECT_TRUE(hostIsClosed(platform));
    platform.mutexesBeforeFailure = 1;  // tickMutex made, engineMutex refused
    EXPECT_EQ(start(), HX_E_FAIL);
    EXPECT_TRUE(hostIsClosed(platform));
    EXPECT_EQ(platform.events().back(), "mutex close");

    platform.mutexesBeforeFailure = -1;
    platform.timerFails = true;
    platform.timerError = 8;  // a system code
    EXPECT_EQ(start(), HX_E_SYSTEM(8));
    EXPECT_EQ(start(), static_cast<HXRESULT>(0x80070008u));
    EXPECT_TRUE(hostIsClosed(platform));
    platform.timerError = 0x1002A;  // only the low 16 bits are carried
    EXPECT_EQ(start(), static_cast<HXRESULT>(0x8007002Au));
    EXPECT_TRUE(hostIsClosed(platform));

    // A timer that fails without a reason is still a failure: without it
    // nothing would ever render.
    platform.timerError = 0;
    EXPECT_EQ(start(), HX_E_FAIL);
    EXPECT_TRUE(hostIsClosed(platform));
}

TEST_F(LifecycleTest, DeviceOperationFailuresAreReturned)
{
    platform.deviceResults.lock = HX_E_ALLOCATED;
    EXPECT_EQ(start(), HX_E_ALLOCATED);
    EXPECT_TRUE(hostIsClosed(platform));

    platform.deviceResults.lock = 0;
    platform.deviceResults.unlock = HX_E_BADFORMAT;
    EXPECT_EQ(start(), HX_E_BADFORMAT);
    EXPECT_TRUE(hostIsClosed(platform));

    platform.deviceResults.unlock = 0;
    platform.deviceResults.play = HX_E_NODEVICE;
    EXPECT_EQ(start(), HX_E_NODEVICE);
    EXPECT_TRUE(hostIsClosed(platform));
    // Play comes after the mutexes: both were made and both are gone.
    Events events = platform.events();
    EXPECT_EQ(std::count(events.begin(), events.end(), "mutex close"), 2);
}

TEST_F(LifecycleTest, InitOnARunningHostClosesItFirst)
{
    ASSERT_EQ(start(), HX_S_OK);
    runBlocks(2);
    std::string firstLog = tempPath("first.wav");
    ASSERT_EQ(hx_logOutput(firstLog.c_str()), 0);
    platform.clearEvents();

    ASSERT_EQ(start(), HX_S_OK);
    Events events = platform.events();
    // The old device, timer, log and mutexes go before the new ones come.
    auto at = [&](const std::string& event) {
        return std::find(events.begin(), events.end(), event) - events.begin();
    };
    EXPECT_LT(at("stop"), at("open"));
    EXPECT_LT(at("timer cancel"), at("open"));
    EXPECT_LT(at("release"), at("open"));
    EXPECT_EQ(std::count(events.begin(), events.end(), "mutex close"), 2);
    EXPECT_EQ(platform.liveMutexes, 2);
    EXPECT_NE(platform.timer, nullptr);
    EXPECT_NE(platform.device, nullptr);
    // The first log was finished with its header, and the new host logs afresh.
    std::vector<uint8_t> log = readFile(firstLog);
    ASSERT_GE(log.size(), 44u);
    EXPECT_EQ(std::string(log.begin(), log.begin() + 4), "RIFF");
    EXPECT_EQ(blocksRendered(), 0u);
    EXPECT_EQ(hx_logOutput(tempPath("second.wav").c_str()), 0);
}

TEST_F(LifecycleTest, CloseReleasesEverythingInOrder)
{
    ASSERT_EQ(start(), HX_S_OK);
    runBlocks(1);
    platform.clearEvents();
    hx_close();
    EXPECT_EQ(platform.events(),
              (Events{"stop", "timer cancel", "release", "mutex close", "mutex close"}));
    EXPECT_TRUE(hostIsClosed(platform));
}

TEST_F(LifecycleTest, CloseIsSafeAtAnyTime)
{
    hx_close();  // never started
    EXPECT_TRUE(platform.events().empty());

    platform.openResult = HX_E_NODEVICE;
    EXPECT_EQ(start(), HX_E_NODEVICE);
    hx_close();  // after a failed start

    platform.openResult = 0;
    ASSERT_EQ(start(), HX_S_OK);
    hx_close();
    platform.clearEvents();
    hx_close();  // twice in a row: nothing left to release
    EXPECT_TRUE(platform.events().empty());
    EXPECT_TRUE(hostIsClosed(platform));
}

TEST_F(LifecycleTest, StateSurvivesCloseUntilTheNextInit)
{
    ASSERT_EQ(start(), HX_S_OK);
    runBlocks(3);
    uint32_t rendered = blocksRendered();
    EXPECT_EQ(rendered, 4u + 3u);
    hx_close();
    EXPECT_EQ(blocksRendered(), rendered);
}

}  // namespace
}  // namespace hosttest
