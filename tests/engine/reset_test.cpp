// bs_reset: a played engine, reset and given the same packs, renders what a fresh one does.
#include "engine_test.h"

namespace {

class Reset : public EngineTest {};

std::vector<Block> render(int count)
{
    std::vector<Block> blocks(count);
    for (Block& block : blocks)
        bs_update(block.data());
    return blocks;
}

TEST_F(Reset, GivesTheSameBlocksAsAFreshEngine)
{
    // The song picks instrument 1 and a pitch before its first note, and leaves both set.
    const Macro held = Macro().looping(0, 64).volume(100).wait(100000);
    adopt({flatSample(90, 64), flatSample(-70, 64)}, {{0, held}, {1, held}});
    Music song;
    song.label("main").pitch(0x800, 0x10).use(1).note(69, 30).end();
    Image music = song.build({{10, "main"}});
    Music plain;
    plain.label("main").note(69, 30).end();
    Image plainMusic = plain.build({{10, "main"}});

    bs_reset();
    ASSERT_EQ(bs_init(samples.data(), instruments.data()), 0);
    bs_playMusic(plainMusic.data());
    const std::vector<Block> fresh = render(40);

    bs_playMusic(music.data());
    render(40);
    bs_pause();
    bs_reset();
    ASSERT_EQ(bs_init(samples.data(), instruments.data()), 0);
    bs_playMusic(plainMusic.data());
    EXPECT_EQ(render(40), fresh);
}

TEST_F(Reset, ForgetsThePacksAndEveryRequest)
{
    adopt({flatSample(90)});
    Image fx = effect({{0, holdMacro(100)}});
    bs_playSFX(fx.data(), 5, 127, 127);
    tick();
    bs_playSFX(fx.data(), 6, 127, 127);  // still queued
    bs_reset();
    EXPECT_EQ(channelsAt(5) | channelsAt(6), 0u);
    EXPECT_EQ(channels[0].voice, &voices[0]);
    EXPECT_TRUE(silent(tick()));
    bs_playSFX(fx.data(), 5, 127, 127);  // not ready: ignored
    EXPECT_TRUE(silent(tick()));
}

}  // namespace
