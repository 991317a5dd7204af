// The render loop against the real engine, with packages built by hand and output samples
// worked out by hand from the engine's fixed-point rules.
#include <gtest/gtest.h>

#include "engine/engine.h"
#include "formats/opcodes.h"
#include "package_builder.h"
#include "tools/bsrender/renderer.h"

using namespace bsrender;
using namespace testing_packages;

namespace {

bs::PackageImage image(const Bytes& bytes)
{
    return bs::PackageImage("test", bytes.data(), bytes.size());
}

struct Rendered {
    RenderResult result;
    std::vector<int16_t> values;  // interleaved, left first

    int left(size_t frame) const { return at(2 * frame); }
    int right(size_t frame) const { return at(2 * frame + 1); }
    int at(size_t index) const
    {
        if (index < values.size())
            return values[index];
        ADD_FAILURE() << "no value " << index << " in a render of " << values.size();
        return 0;
    }
    size_t frames() const { return values.size() / 2; }
};

Rendered run(const RenderJob& job)
{
    Rendered r;
    r.result = render(job, [&](const int16_t* block) {
        r.values.insert(r.values.end(), block, block + BS_BLOCK_VALUES);
        return true;
    });
    return r;
}

// Sound-effect code: mode singleshot, volume 127, frequency 1.0, wait `ticks`, end.
Bytes oneShotEffect(uint8_t ticks)
{
    return {MACRO_SINGLESHOT, MACRO_VOLUME, 127, 0, 0, MACRO_FREQUENCY, 0, 0, 1, 0, 0, 0, 0, 0,
            uint8_t(BS_WAIT_FLAG | ticks), MACRO_END};
}

// Instrument code: mode singleshot, volume 127, then hold until released; the release ends.
Bytes heldInstrument()
{
    return {MACRO_SINGLESHOT, MACRO_VOLUME, 127, 0, 0, MACRO_LOOP, 0xFF, 0xF0, 0x81, MACRO_ENDLOOP, MACRO_END};
}
constexpr uint32_t kHeldNoteOff = 10;

class RendererTest : public ::testing::Test {
protected:
    // One sample: a 300-byte ramp at 48000 Hz with content 440 Hz, so that a.5 (note 69)
    // plays it at the step 0xFFFF, one unit below one sample a frame (both engine tables
    // truncate).
    bs::PackageImage samples = image(samplePack({{ramp(300)}}));
    bs::PackageImage instruments = image(instrumentPack({{0, heldInstrument(), kHeldNoteOff}}));
    bs::PackageImage effect = image(soundEffect({{0, oneShotEffect(30)}}));
};

}  // namespace

TEST_F(RendererTest, AnEffectPlaysItsSampleOnceAtTheRequestedLevels)
{
    RenderJob job;
    job.samples = &samples;
    job.instruments = &instruments;
    job.effects.push_back({&effect, 0, 5, 127, 0});
    const Rendered r = run(job);
    ASSERT_EQ(r.result.reason, StopReason::Finished);
    // "wait 30" holds the channel for 30 ticks; "end" frees it in the 31st.
    EXPECT_EQ(r.result.ticks, 31u);
    ASSERT_EQ(r.frames(), 31u * BS_FRAMES_PER_TICK);
    // Gains: (127 x 127) >> 8 = 63 on the left, 0 on the right; one sample a frame.
    for (size_t k = 0; k < 300; ++k) {
        ASSERT_EQ(r.left(k), int8_t(int(k) - 50) * 63) << k;  // the ramp wraps like int8
        ASSERT_EQ(r.right(k), 0) << k;
    }
    for (size_t k = 300; k < r.frames(); ++k)
        ASSERT_EQ(r.left(k), 0) << k;
}

TEST_F(RendererTest, EffectsStartAtTheTickOfTheirTime)
{
    RenderJob job;
    job.samples = &samples;
    job.instruments = &instruments;
    job.effects.push_back({&effect, 10, 5, 64, 64});
    const Rendered r = run(job);
    EXPECT_EQ(r.result.ticks, 41u);
    for (size_t k = 0; k < 10 * BS_FRAMES_PER_TICK; ++k)
        ASSERT_EQ(r.left(k), 0) << k;
    // Gain (127 x 64) >> 8 = 31 on both sides.
    EXPECT_EQ(r.left(2000), -50 * 31);
    EXPECT_EQ(r.right(2001), -49 * 31);
}

TEST_F(RendererTest, AMusicNotePlaysAtTheNotesStepThroughTheTracksLevels)
{
    // using 0, a.5 for 24 ticks, note-off (rest), then "end".
    const bs::PackageImage music = image(musicTrack({{10, {MUSIC_USING, 0, MUSIC_NOTE, 69, 0x98, MUSIC_NOTE_OFF, MUSIC_PRIORITY, 0}}}));
    RenderJob job;
    job.samples = &samples;
    job.instruments = &instruments;
    job.music = &music;
    const Rendered r = run(job);
    ASSERT_EQ(r.result.reason, StopReason::Finished);
    // Pan 127 at attenuation 127 gives the level (127 x 127) >> 7 = 126, and the mixer's gain
    // (127 x 126) >> 8 = 62. At the step 0xFFFF frame k reads sample k - 1 (frame 0 sample 0),
    // and the single-shot voice stops after reading sample 299 in frame 300.
    for (size_t k = 0; k <= 300; ++k) {
        const int expected = int8_t(int(k == 0 ? 0 : k - 1) - 50) * 62;
        ASSERT_EQ(r.left(k), expected) << k;
        ASSERT_EQ(r.right(k), expected) << k;
    }
    for (size_t k = 301; k < r.frames(); ++k)
        ASSERT_EQ(r.left(k), 0) << k;
    // The note is released after 24 ticks and "end" stops the track in the same step; the
    // instrument's release ends its macro in that tick too.
    EXPECT_EQ(r.result.musicEndTick, 25);
    EXPECT_EQ(r.result.ticks, 25u);
}

TEST_F(RendererTest, MusicAttenuationScalesTheTrackLevels)
{
    const bs::PackageImage music = image(musicTrack({{10, {MUSIC_USING, 0, MUSIC_NOTE, 69, 0x98, MUSIC_PRIORITY, 0}}}));
    RenderJob job;
    job.samples = &samples;
    job.instruments = &instruments;
    job.music = &music;
    job.attenuation = 64;
    const Rendered r = run(job);
    // Level (64 x 127) >> 7 = 63, gain (127 x 63) >> 8 = 31.
    EXPECT_EQ(r.left(0), -50 * 31);
    EXPECT_EQ(r.right(2), -49 * 31);
}

TEST_F(RendererTest, MusicThatNeverEndsStopsAtTheLimit)
{
    // using 0, then for ever: a.5 for 100 ticks.
    const bs::PackageImage music = image(musicTrack({{10, {MUSIC_USING, 0, MUSIC_LOOP, 0xFF, MUSIC_NOTE, 69, 0xE4, MUSIC_ENDLOOP}}}));
    RenderJob job;
    job.samples = &samples;
    job.instruments = &instruments;
    job.music = &music;
    job.limitTicks = 500;
    const Rendered r = run(job);
    EXPECT_EQ(r.result.reason, StopReason::LimitReached);
    EXPECT_EQ(r.result.ticks, 500u);
    EXPECT_EQ(r.result.musicEndTick, -1);
    // Every 100 ticks the note starts again from the first sample.
    EXPECT_EQ(r.left(100 * BS_FRAMES_PER_TICK), -50 * 62);
    EXPECT_EQ(r.left(400 * BS_FRAMES_PER_TICK + 2), -49 * 62);
}

TEST_F(RendererTest, WaitsForEveryEffectEvenWhenTheMusicEndsFirst)
{
    const bs::PackageImage music = image(musicTrack({{10, {MUSIC_USING, 0, MUSIC_NOTE, 69, 0x84, MUSIC_PRIORITY, 0}}}));
    RenderJob job;
    job.samples = &samples;
    job.instruments = &instruments;
    job.music = &music;
    job.effects.push_back({&effect, 100, 5, 127, 127});
    const Rendered r = run(job);
    EXPECT_EQ(r.result.musicEndTick, 5);
    EXPECT_EQ(r.result.ticks, 131u);
}

TEST_F(RendererTest, TheSameJobGivesTheSameBlocksEveryTime)
{
    // The first render leaves the track on instrument 1 and its channel with a pitch offset;
    // a music track that names no instrument must still play the same afterwards.
    const bs::PackageImage twoInstruments = image(instrumentPack({{0, heldInstrument(), kHeldNoteOff},
                                                                  {0, oneShotEffect(5)}}));
    const bs::PackageImage first = image(musicTrack({{10, {MUSIC_USING, 1, MUSIC_PITCH, 0, 1, 0, 0, 0, 0, 0, 0, MUSIC_NOTE, 60, 0x84, MUSIC_PRIORITY, 0}}}));
    const bs::PackageImage second = image(musicTrack({{10, {MUSIC_NOTE, 69, 0x90, MUSIC_PRIORITY, 0}}}));
    RenderJob job;
    job.samples = &samples;
    job.instruments = &twoInstruments;
    job.music = &second;
    const Rendered before = run(job);
    job.music = &first;
    run(job);
    job.music = &second;
    const Rendered after = run(job);
    EXPECT_EQ(before.values, after.values);
    EXPECT_EQ(before.left(3), (2 - 50) * 62);  // instrument 0 at a.5, no pitch offset
}

TEST_F(RendererTest, StopsWhenTheSinkRefusesABlock)
{
    RenderJob job;
    job.samples = &samples;
    job.instruments = &instruments;
    job.effects.push_back({&effect, 0, 5, 127, 127});
    int blocks = 0;
    const RenderResult result = render(job, [&](const int16_t*) { return ++blocks < 3; });
    EXPECT_EQ(result.reason, StopReason::SinkFailed);
    EXPECT_EQ(result.ticks, 3u);
}

TEST_F(RendererTest, ReportsPacksTheEngineRefuses)
{
    const bs::PackageImage notSamples = image(instrumentPack({}));
    RenderJob job;
    job.samples = &notSamples;
    job.instruments = &instruments;
    job.effects.push_back({&effect, 0, 5, 127, 127});
    EXPECT_EQ(render(job, [](const int16_t*) { return true; }).reason, StopReason::EngineRefused);
}
