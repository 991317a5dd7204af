// Fixture for tests of the engine through its C ABI.  The engine keeps
// process-wide state, so every test starts with bs_resume and bs_init.
#ifndef BRIMSEL_TESTS_ENGINE_TEST_H
#define BRIMSEL_TESTS_ENGINE_TEST_H

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "engine/engine.h"
#include "package_images.h"

using namespace testing_images;

using Block = std::array<int16_t, BS_BLOCK_VALUES>;

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        bs_resume();
        bs_getState(&voices, &channels, &tracks);
    }

    // Adopts `samples` and `instruments` (kept alive by the fixture).
    void adopt(Image samplePackImage, Image instrumentPackImage)
    {
        samples = std::move(samplePackImage);
        instruments = std::move(instrumentPackImage);
        ASSERT_EQ(bs_init(samples.data(), instruments.data()), 0);
    }
    // A sample pack of `sampleDefs` and an instrument pack of `instrumentDefs`.
    void adopt(const std::vector<SampleDef>& sampleDefs, const std::vector<InstrumentDef>& instrumentDefs = {})
    {
        adopt(samplePack(sampleDefs), instrumentPack(instrumentDefs));
    }

    Block tick()
    {
        Block block;
        block.fill(0x5555);  // every value must be written
        bs_update(block.data());
        return block;
    }
    void ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            tick();
    }

    static int16_t left(const Block& b, int frame) { return b[2 * frame]; }
    static int16_t right(const Block& b, int frame) { return b[2 * frame + 1]; }
    static bool silent(const Block& b)
    {
        for (int16_t v : b)
            if (v != 0)
                return false;
        return true;
    }

    // The channels holding an effect or note of `priority`, as a bit set.
    uint32_t channelsAt(int32_t priority) const
    {
        uint32_t set = 0;
        for (int i = 0; i < BS_CHANNELS; ++i)
            if (channels[i].priority == priority)
                set |= 1u << i;
        return set;
    }

    Voice* voices = nullptr;
    MacroChannel* channels = nullptr;
    MusicTrack* tracks = nullptr;
    Image samples;
    Image instruments;
};

// A constant sample of `length` bytes of `value`.
inline SampleDef flatSample(int8_t value, size_t length = 1000)
{
    return SampleDef{std::vector<int8_t>(length, value)};
}

// An effect macro that plays its sample single-shot at step 1.0 and `volume`
// for `ticks` ticks, then ends.
inline std::vector<uint8_t> holdMacro(uint32_t ticks, uint8_t volume = 127)
{
    return Macro().singleshot().volume(volume).frequency(0x10000).wait(ticks).end();
}

#endif
