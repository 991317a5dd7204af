// The DirectSound backend on a real device (a null sink under Wine in CI):
// the play cursor advances at the output rate, and its first step after Play,
// which the host's first ticks have to live with, is printed.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "hidden_window.h"
#include "host/host_state.h"
#include "host/platform/windows/directsound_device.h"

namespace {

using halvex::DirectSoundDevice;

double seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

TEST(DirectSoundDevice, PlayCursorRunsAtTheOutputRate)
{
    hosttest::HiddenWindow window;
    ASSERT_NE(window.handle(), nullptr);
    DirectSoundDevice* opened = nullptr;
    HRESULT result = DirectSoundDevice::open(window.handle(), halvex::kOutputFormat,
                                             halvex::kBufferBytes, &opened);
    ASSERT_TRUE(SUCCEEDED(result)) << std::hex << result;
    std::unique_ptr<DirectSoundDevice> device(opened);
    ASSERT_EQ(device->setPosition(0), 0);
    ASSERT_TRUE(SUCCEEDED(device->play()));

    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    uint32_t last = 0;
    uint64_t advanced = 0;
    uint32_t firstStep = 0;
    double firstStepAt = -1;
    // The rate is measured over the last 1.5 s: a new stream on a sink that
    // was idle takes a while to settle.
    double measuredFrom = -1;
    uint64_t advancedAtMeasureStart = 0;
    double lastStepAt = 0;
    uint64_t advancedAtLastStep = 0;
    double elapsed = 0;
    int steps = 0;
    while (elapsed < 2.5) {
        uint32_t play = 0;
        uint32_t write = 0;
        ASSERT_EQ(device->position(&play, &write), 0);
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        elapsed = seconds(start, now);
        uint32_t step = (play + halvex::kBufferBytes - last) % halvex::kBufferBytes;
        if (step != 0) {
            if (steps == 0) {
                firstStep = step;
                firstStepAt = elapsed;
            }
            ++steps;
            advanced += step;
            last = play;
            if (measuredFrom < 0 && elapsed >= 1.0) {
                measuredFrom = elapsed;
                advancedAtMeasureStart = advanced;
            }
            lastStepAt = elapsed;
            advancedAtLastStep = advanced;
        }
        Sleep(1);
    }
    ASSERT_GT(steps, 1);
    ASSERT_GT(lastStepAt, measuredFrom);
    double rate = static_cast<double>(advancedAtLastStep - advancedAtMeasureStart) / 4.0 /
                  (lastStepAt - measuredFrom);
    std::printf("first play-cursor step: %u bytes (%.1f blocks) after %.1f ms; "
                "%.0f frames/s from 1 s on; %d steps in %.1f s\n",
                firstStep, firstStep / 800.0, firstStepAt * 1000, rate, steps, elapsed);
    EXPECT_NEAR(rate, 48000.0, 4800.0);
    EXPECT_EQ(device->restores(), 0u);
}

}  // namespace
