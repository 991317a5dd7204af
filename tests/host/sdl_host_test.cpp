// The SDL2 device and the whole host on it, through SDL's disk driver, which
// writes every byte the device takes to a file.
#include <stdlib.h>

#include <chrono>
#include <algorithm>
#include <cstring>
#include <thread>

#include "fake_host.h"
#include "watched_platform.h"
#include "formats/packages.h"
#include "host/platform/linux/linux_platform.h"
#include "host/platform/linux/sdl_device.h"

namespace hosttest {
namespace {

using namespace std::chrono_literals;

class SdlTest : public ::testing::Test {
protected:
    void SetUp() override { hx_close(); }
    void TearDown() override
    {
        hx_close();
        unsetenv("SDL_AUDIODRIVER");
        unsetenv("SDL_DISKAUDIOFILE");
        unsetenv("SDL_DISKAUDIODELAY");
        for (const std::string& path : files_)
            std::remove(path.c_str());
    }
    std::string path(const std::string& name)
    {
        std::string p = ::testing::TempDir() + "halvex_sdl_" + std::to_string(getpid()) + "_" +
                        ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
                        name;
        std::remove(p.c_str());
        files_.push_back(p);
        return p;
    }
    void useDisk(const std::string& file, bool paced)
    {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
        if (paced)
            unsetenv("SDL_DISKAUDIODELAY");
        else
            setenv("SDL_DISKAUDIODELAY", "0", 1);
    }

private:
    std::vector<std::string> files_;
};

constexpr halvex::OutputFormat kFormat{48000, 2, 16};

struct Observed {
    std::mutex mutex;
    std::vector<uint8_t> bytes;
    uint64_t expectedBefore = 0;
    bool ordered = true;
};

size_t firstSound(const std::vector<uint8_t>& bytes, size_t from)
{
    size_t i = from;
    while (i < bytes.size() && bytes[i] == 0)
        ++i;
    return i;
}

// SDL's audio thread goes on writing silence while the device is paused, so
// the file holds what the device took while playing with silence around it.
bool fileHoldsTheTakenStream(const std::vector<uint8_t>& file, const std::vector<uint8_t>& taken,
                             std::string* why)
{
    size_t inTaken = firstSound(taken, 0);
    size_t inFile = firstSound(file, 0);
    if (inTaken == taken.size() || inFile < inTaken || file.size() - (inFile - inTaken) < taken.size()) {
        *why = "the device's file does not hold what the device took";
        return false;
    }
    size_t at = inFile - inTaken;
    if (!std::equal(taken.begin(), taken.end(), file.begin() + at) ||
        !isSilent(std::vector<uint8_t>(file.begin() + at + taken.size(), file.end()))) {
        *why = "the device's file differs from what the device took";
        return false;
    }
    return true;
}

TEST_F(SdlTest, DeviceTakesTheLoopingBufferInOrder)
{
    std::string file = path("device.raw");
    useDisk(file, false);  // unpaced: as fast as the file takes it
    halvex::SdlOutputDevice* opened = nullptr;
    ASSERT_EQ(halvex::SdlOutputDevice::open(kFormat, kBuffer, &opened), HX_S_OK) << SDL_GetError();
    std::unique_ptr<halvex::SdlOutputDevice> device(opened);

    uint32_t play = 1;
    uint32_t write = 1;
    ASSERT_EQ(device->position(&play, &write), HX_S_OK);
    EXPECT_EQ(play, 0u);
    EXPECT_EQ(write, 0u);

    // A pattern that shows every byte's place in the buffer.
    halvex::DeviceRegion regions[2];
    ASSERT_EQ(device->lock(0, kBuffer, regions), HX_S_OK);
    EXPECT_EQ(regions[0].bytes, kBuffer);
    EXPECT_EQ(regions[1].data, nullptr);
    for (uint32_t i = 0; i < kBuffer; ++i)
        regions[0].data[i] = static_cast<uint8_t>(i % 251);
    ASSERT_EQ(device->unlock(regions), HX_S_OK);

    Observed observed;
    device->setTakeObserver(
        [](void* context, const uint8_t* bytes, uint32_t count, uint64_t before) {
            Observed* o = static_cast<Observed*>(context);
            std::lock_guard<std::mutex> lock(o->mutex);
            if (before != o->expectedBefore)
                o->ordered = false;
            o->expectedBefore = before + count;
            o->bytes.insert(o->bytes.end(), bytes, bytes + count);
        },
        &observed);

    ASSERT_EQ(device->play(), HX_S_OK);
    auto deadline = std::chrono::steady_clock::now() + 10s;
    while (device->statistics().bytesTaken < 2 * kBuffer + 4000 &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    ASSERT_EQ(device->stop(), HX_S_OK);
    halvex::SdlOutputDevice::Statistics stats = device->statistics();
    ASSERT_GE(stats.bytesTaken, 2u * kBuffer + 4000u);
    // One callback takes 240 frames: the play cursor is where the last began.
    ASSERT_EQ(device->position(&play, &write), HX_S_OK);
    EXPECT_EQ(write, stats.bytesTaken % kBuffer);
    EXPECT_EQ((write + kBuffer - play) % kBuffer, 960u);
    // Every block taken after the first pass had not been rewritten.
    uint64_t replayed = (stats.bytesTaken - kBuffer) / 800u;
    EXPECT_GE(stats.underruns, replayed);
    EXPECT_LE(stats.underruns, replayed + 1);

    device.reset();  // closes the file
    std::lock_guard<std::mutex> lock(observed.mutex);
    EXPECT_TRUE(observed.ordered);
    const std::vector<uint8_t>& taken = observed.bytes;
    ASSERT_EQ(taken.size(), stats.bytesTaken);
    for (size_t i = 0; i < taken.size(); ++i)
        ASSERT_EQ(taken[i], static_cast<uint8_t>((i % kBuffer) % 251)) << "byte " << i;
    // The card (here the file) got exactly that, with silence around it.
    std::string why;
    EXPECT_TRUE(fileHoldsTheTakenStream(readFile(file), taken, &why)) << why;
}

TEST_F(SdlTest, LockSplitsARangeThatWrapsAndRewrittenBlocksAreNoUnderrun)
{
    useDisk(path("wrap.raw"), false);
    halvex::SdlOutputDevice* opened = nullptr;
    ASSERT_EQ(halvex::SdlOutputDevice::open(kFormat, kBuffer, &opened), HX_S_OK) << SDL_GetError();
    std::unique_ptr<halvex::SdlOutputDevice> device(opened);
    halvex::DeviceRegion regions[2];
    ASSERT_EQ(device->lock(50400, 3200, regions), HX_S_OK);
    EXPECT_EQ(regions[0].bytes, 800u);
    EXPECT_EQ(regions[1].bytes, 2400u);
    ASSERT_EQ(device->unlock(regions), HX_S_OK);
    EXPECT_NE(device->lock(51200, 800, regions), HX_S_OK);
    EXPECT_NE(device->lock(0, kBuffer + 1, regions), HX_S_OK);
    EXPECT_NE(device->setPosition(kBuffer), HX_S_OK);
}

TEST_F(SdlTest, MissingDeviceIsReported)
{
    setenv("SDL_AUDIODRIVER", "halvex-no-such-driver", 1);
    halvex::SdlOutputDevice* opened = nullptr;
    EXPECT_EQ(halvex::SdlOutputDevice::open(kFormat, kBuffer, &opened), HX_E_NODEVICE);
    EXPECT_EQ(opened, nullptr);

    Image samples = samplePack();
    Image instruments = instrumentPack();
    EXPECT_EQ(hx_init(nullptr, samples.data(), instruments.data()), HX_E_NODEVICE);
    int32_t running = 1;
    hx_getState(nullptr, nullptr, nullptr, &running, nullptr, nullptr, nullptr);
    EXPECT_EQ(running, 0);
    EXPECT_EQ(hx_logOutput(path("never.wav").c_str()), -1);
}

// Finds where the log's audio begins in what the device took: both begin with
// silence, the device's longer by the blocks it played before the log began
// and by the buffer's silence ahead of the first block the host wrote.
// `takenBefore` counts the bytes the device took before `taken` begins.
bool streamsAgree(const std::vector<uint8_t>& taken, uint64_t takenBefore,
                  const std::vector<uint8_t>& log, std::string* why)
{
    size_t inDevice = firstSound(taken, 0);
    size_t inLog = firstSound(log, 44);
    if (inDevice == taken.size() || inLog == log.size()) {
        *why = "no sound in the device's stream or the log";
        return false;
    }
    inLog -= 44;
    if (inDevice < inLog || (takenBefore + inDevice - inLog) % 800 != 0) {
        *why = "the first sound is not on a block boundary of the device's stream";
        return false;
    }
    size_t offset = inDevice - inLog;  // where log byte 0 went out
    size_t overlap = std::min(taken.size() - offset, log.size() - 44);
    if (overlap < 150000) {
        *why = "less than 0.8 s of audio to compare: " + std::to_string(overlap);
        return false;
    }
    for (size_t i = 0; i < overlap; ++i) {
        if (taken[offset + i] != log[44 + i]) {
            *why = "device and log differ at log byte " + std::to_string(i) + " (block " +
                   std::to_string(i / 800) + ")";
            return false;
        }
    }
    return true;
}

using hosttest::WatchedPlatform;

TEST_F(SdlTest, DeviceReceivesExactlyTheEngineBlocksThatTheLogHolds)
{
    Image samples = samplePack();
    Image instruments = instrumentPack();
    Image effect = loopingEffect(2000);
    Image music = tune(40);
    WatchedPlatform platform;
    std::string why;
    // The check needs over a second of audio without an underrun, which a
    // machine loaded hard enough can deny (the timer thread late by three
    // blocks): such a run is tried again.  A difference without an underrun
    // fails at once.
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::string deviceFile = path("stream" + std::to_string(attempt) + ".raw");
        std::string logFile = path("stream" + std::to_string(attempt) + ".wav");
        useDisk(deviceFile, true);
        ASSERT_GE(halvex::initHost(platform, nullptr, samples.data(), instruments.data()), 0)
            << SDL_GetError();
        ASSERT_NE(platform.opened, nullptr);
        ASSERT_EQ(hx_logOutput(logFile.c_str()), 0);
        Observed observed;
        platform.opened->setTakeObserver(
            [](void* context, const uint8_t* bytes, uint32_t count, uint64_t before) {
                Observed* o = static_cast<Observed*>(context);
                std::lock_guard<std::mutex> lock(o->mutex);
                if (o->bytes.empty())
                    o->expectedBefore = before;  // where watching began
                o->bytes.insert(o->bytes.end(), bytes, bytes + count);
            },
            &observed);
        hx_playSFX(effect.data(), 5, 127, 90);
        hx_playMusic(music.data());
        std::this_thread::sleep_for(1200ms);
        EXPECT_EQ(hx_checkMusic(), 1);
        platform.opened->stop();
        uint64_t underruns = platform.opened->statistics().underruns;
        hx_close();

        std::vector<uint8_t> device = readFile(deviceFile);
        std::vector<uint8_t> log = readFile(logFile);
        ASSERT_GT(log.size(), 44u);
        EXPECT_EQ(bs_readU32(log.data() + 40), log.size() - 44);
        EXPECT_EQ((log.size() - 44) % 800, 0u);
        std::lock_guard<std::mutex> lock(observed.mutex);
        ASSERT_TRUE(fileHoldsTheTakenStream(device, observed.bytes, &why)) << why;
        if (streamsAgree(observed.bytes, observed.expectedBefore, log, &why)) {
            EXPECT_EQ(underruns, 0u);
            return;
        }
        ASSERT_GT(underruns, 0u) << why;
        std::printf("attempt %d: %s after %llu underruns\n", attempt + 1, why.c_str(),
                    static_cast<unsigned long long>(underruns));
    }
    FAIL() << why;
}

TEST_F(SdlTest, ExportedInitPlaysThroughTheDefaultDevice)
{
    std::string deviceFile = path("default.raw");
    useDisk(deviceFile, true);
    Image samples = samplePack();
    Image instruments = instrumentPack();
    Image effect = loopingEffect(2000);
    ASSERT_GE(hx_initSized(nullptr, samples.data(), samples.size(), instruments.data(),
                           instruments.size()),
              0)
        << SDL_GetError();
    hx_playSFX(effect.data(), 5, 127, 127);
    std::this_thread::sleep_for(300ms);
    uint32_t rendered = 0;
    int32_t running = 0;
    hx_getState(nullptr, nullptr, nullptr, &running, &rendered, nullptr, nullptr);
    hx_close();
    EXPECT_EQ(running, -1);
    EXPECT_GT(rendered, 4u);
    std::vector<uint8_t> device = readFile(deviceFile);
    EXPECT_GT(device.size(), 10000u);
    EXPECT_FALSE(isSilent(device));
}

}  // namespace
}  // namespace hosttest
