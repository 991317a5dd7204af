// The music sequencer: starting an image, the track step, every music
// opcode, notes claiming channels, the shared loop/call stack, break, the
// music volume and the end of the music.
#include "engine_test.h"

namespace {

using Tracks = std::vector<std::pair<int8_t, std::string>>;

class Sequencer : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        const Macro held = Macro().singleshot().volume(127).loop(-1).wait(100000).endloop();
        std::vector<uint8_t> withRelease = Macro(held).volume(0).wait(2).end();
        adopt({flatSample(100, 30000)},
              {{0, withRelease, held.here()},
               {0, Macro().singleshot().volume(127).end()},
               {0, Macro().looping(0, 1000).volume(127).wait(100000)},
               {0, Macro().singleshot().volume(127).frequency(0x1000, 0x100).wait(100000)}});
    }
    void play(const Music& music, const Tracks& entries)
    {
        songs.push_back(std::make_unique<Image>(music.build(entries)));
        bs_playMusic(songs.back()->data());
    }
    std::vector<std::unique_ptr<Image>> songs;
};

TEST_F(Sequencer, EntryPriorityIsSignedAndPriorityCommandUnsigned)
{
    Music weak;
    weak.label("main").use(0).note(69, 10).end();
    play(weak, {{-1, "main"}});
    tick();
    EXPECT_EQ(tracks[0].priority, -1);
    EXPECT_EQ(channels[0].noteMode, 0);  // loses even to an idle channel
    EXPECT_EQ(voices[0].mode, 0);

    Image all = effect(std::vector<EffectChannelDef>(16, EffectChannelDef{0, holdMacro(1000)}));
    bs_playSFX(all.data(), 127, 127, 127);
    Music strong;
    strong.label("main").priority(0xFF).use(0).wait(1).note(69, 10).end();
    play(strong, {{1, "main"}});
    ticks(2);
    EXPECT_EQ(tracks[0].priority, 255);
    EXPECT_EQ(channels[0].priority, 255);  // won over the strongest effect
    EXPECT_EQ(channels[0].noteMode, -1);
}

TEST_F(Sequencer, AtMostSixteenTracksPlay)
{
    Music music;
    music.label("main").wait(50).end();
    play(music, Tracks(3, {4, "main"}));
    tick();
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(tracks[i].priority, i < 3 ? 4 : 0) << i;
    play(music, Tracks(20, {4, "main"}));
    tick();
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(tracks[i].priority, 4) << i;
        EXPECT_EQ(tracks[i].code, songs.back()->data() + 8 + 5 * 20);
    }
    EXPECT_EQ(bs_checkMusic(), 1);
}

TEST_F(Sequencer, AZeroPriorityTrackNeverPlays)
{
    Music music;
    music.label("a").use(0).note(60, 5).end().label("b").use(0).note(69, 5).end();
    play(music, {{0, "a"}, {3, "b"}});
    tick();
    EXPECT_EQ(channels[0].noteMode, 0);
    EXPECT_EQ(channels[1].noteMode, -1);
    // With no track active the music is over in the tick it started.
    play(music, {{0, "a"}, {0, "b"}});
    tick();
    EXPECT_EQ(bs_checkMusic(), 0);
    EXPECT_EQ(channels[1].noteMode, 0);
}

TEST_F(Sequencer, PlayingNewMusicRestartsEveryTrack)
{
    Music first;
    first.label("main").pan(10, 20).pitch(0x100, 0x10).use(2).note(60, 1000).end();
    play(first, {{3, "main"}, {3, "main"}});
    ticks(5);
    ASSERT_EQ(tracks[0].panLeft, 10);
    Music second;
    second.label("main").wait(1).use(0).note(69, 1000).end();
    play(second, {{4, "main"}});
    tick();
    EXPECT_EQ(voices[0].mode, 0);        // the old note stopped
    EXPECT_EQ(channels[1].priority, 0);  // so did the track beyond the new count
    EXPECT_EQ(tracks[1].priority, 0);
    EXPECT_EQ(tracks[0].panLeft, 127);
    EXPECT_EQ(tracks[0].panRight, 127);
    EXPECT_EQ(tracks[0].instrument, 2);  // kept until the code selects one
    tick();
    EXPECT_EQ(channels[0].noteStep, 0xFFFF);
    EXPECT_EQ(voices[0].phaseAdjust, 0xFFFFu);  // the old song's pitch offset and slide are gone
    EXPECT_EQ(voices[0].panLeft, 126);
}

TEST_F(Sequencer, NotesAreSkippedWhileAStrongerEffectHoldsTheChannel)
{
    Image all = effect(std::vector<EffectChannelDef>(16, EffectChannelDef{0, holdMacro(10)}));
    bs_playSFX(all.data(), 5, 127, 127);
    Music music;
    music.label("main").use(0).loop(-1).note(69, 4).endloop();
    play(music, {{2, "main"}});
    for (int t = 1; t <= 12; ++t) {
        tick();
        EXPECT_EQ(channels[0].noteMode, 0) << "tick " << t;
    }
    EXPECT_EQ(channels[0].priority, 0);  // the effect ended in tick 11
    tick();                              // the note of tick 13 sounds
    EXPECT_EQ(channels[0].noteMode, -1);
    EXPECT_EQ(channels[0].priority, 2);
}

TEST_F(Sequencer, AnEffectOfEqualPriorityKeepsTheChannel)
{
    Image all = effect(std::vector<EffectChannelDef>(16, EffectChannelDef{0, holdMacro(100)}));
    bs_playSFX(all.data(), 2, 127, 127);
    tick();
    Music music;
    music.label("main").use(0).note(69, 10).end();
    play(music, {{2, "main"}});
    tick();
    EXPECT_EQ(channels[0].noteMode, 0);
    EXPECT_EQ(channels[0].priority, 2);
}

TEST_F(Sequencer, ANoteTakesItsOwnChannelWhateverThePriority)
{
    Music music;
    music.label("main").use(0).note(69, 2).priority(1).note(72, 2).end();
    play(music, {{9, "main"}});
    ticks(3);
    EXPECT_EQ(channels[0].priority, 1);
    EXPECT_EQ(channels[0].noteMode, -1);
}

TEST_F(Sequencer, PanAndPriorityZeroReachTheVoiceOnlyThroughANote)
{
    // Priority 5 effects on every channel; track 0 (priority 9) takes its
    // channel with a note, track 1 (priority 2) does not.
    Image all = effect(std::vector<EffectChannelDef>(16, EffectChannelDef{0, holdMacro(1000)}));
    bs_playSFX(all.data(), 5, 100, 100);
    tick();
    Music music;
    music.label("a").use(0).note(69, 2).pan(20, 127).wait(2).end();
    music.label("b").use(0).note(69, 1).pan(30, 40).priority(0).wait(5).end();
    play(music, {{9, "a"}, {2, "b"}});
    ticks(2);
    EXPECT_EQ(channels[1].priority, 5);
    EXPECT_EQ(voices[1].panLeft, 100);  // the effect's levels: the track's pan does not touch them
    EXPECT_EQ(tracks[1].priority, 0);   // track 1 stopped and left the effect sounding
    EXPECT_EQ(voices[1].mode, 1);
    EXPECT_EQ(voices[0].panLeft, 126);
    tick();
    EXPECT_EQ(voices[0].panLeft, (127 * 20) >> 7);  // the sounding note follows "pan" at once
    EXPECT_EQ(voices[0].panRight, 126);
}

TEST_F(Sequencer, PausedMusicStandsStillWhileItsRequestsApply)
{
    Music music;
    music.label("main").use(0).note(69, 3).note(72, 3).end();
    play(music, {{3, "main"}});
    tick();
    const int32_t position = tracks[0].position;
    ASSERT_EQ(tracks[0].wait, 2);
    bs_pause();
    bs_attenMusic(64);
    ticks(10);
    EXPECT_EQ(tracks[0].position, position);
    EXPECT_EQ(tracks[0].wait, 2);
    EXPECT_EQ(tracks[0].attenuation, 64);  // copied at once, used when the track steps again
    EXPECT_EQ(tracks[0].outLeft, 126);
    EXPECT_EQ(bs_checkMusic(), 1);
    bs_resume();
    tick();
    EXPECT_EQ(voices[0].panLeft, 63);
    EXPECT_EQ(tracks[0].wait, 1);

    // A new song requested while paused replaces the old one at once but does not step.
    bs_pause();
    play(music, {{4, "main"}});
    tick();
    EXPECT_EQ(voices[0].mode, 0);
    EXPECT_EQ(tracks[0].priority, 4);
    EXPECT_EQ(tracks[0].position, 0);
    EXPECT_EQ(channels[0].noteMode, 0);
    EXPECT_EQ(bs_checkMusic(), 1);
    bs_resume();
    tick();
    EXPECT_EQ(channels[0].noteMode, -1);
}

TEST_F(Sequencer, CallAndReturn)
{
    Music music;
    music.label("main").use(0).call("riff").use(1).wait(5).end();
    music.label("riff").use(2).wait(1).ret();
    play(music, {{3, "main"}});
    tick();
    EXPECT_EQ(tracks[0].instrument, 2);
    EXPECT_EQ(tracks[0].stackDepth, 1u);
    EXPECT_EQ(tracks[0].stackCounts[0], -128);
    EXPECT_EQ(tracks[0].stackReturns[0], 7);  // just after the call's operand
    tick();
    EXPECT_EQ(tracks[0].instrument, 1);
    EXPECT_EQ(tracks[0].stackDepth, 0u);
}

TEST_F(Sequencer, ReturnUnderALoopFrameDoesNothing)
{
    Music music;
    music.label("main").loop(2).ret().wait(1).endloop().end();
    play(music, {{3, "main"}});
    tick();
    EXPECT_EQ(tracks[0].stackDepth, 1u);
    EXPECT_EQ(tracks[0].stackCounts[0], 2);
    tick();
    EXPECT_EQ(tracks[0].priority, 3);
    tick();
    EXPECT_EQ(tracks[0].priority, 0);
}

TEST_F(Sequencer, BreakReturnsEveryTrackFromItsCalls)
{
    Music music;
    music.label("t0").call("deep").use(7).wait(100).end();
    music.label("deep").call("deeper").ret();
    music.label("deeper").wait(100).ret();
    music.label("t2").wait(2).brk().wait(100).end();
    music.label("t5").loop(3).call("riff").endloop().end();
    music.label("riff").wait(100).ret();
    music.label("t7").loop(5).wait(100).endloop().end();
    music.label("idle").wait(1000).end();
    play(music, {{1, "t0"}, {1, "idle"}, {1, "t2"}, {1, "idle"}, {1, "idle"}, {1, "t5"}, {1, "idle"}, {1, "t7"}});
    ticks(2);
    ASSERT_EQ(tracks[0].stackDepth, 2u);
    ASSERT_EQ(tracks[5].stackDepth, 2u);
    const int32_t after0 = tracks[0].stackReturns[0];
    tick();  // track 2 breaks
    // Track 0 steps before track 2: it goes on at the next tick.
    EXPECT_EQ(tracks[0].stackDepth, 0u);
    EXPECT_EQ(tracks[0].position, after0);
    EXPECT_EQ(tracks[0].wait, 0);
    // Track 5 steps after track 2: it went on in the same tick, out of the
    // call, through "endloop" and into the next round's call.
    EXPECT_EQ(tracks[5].stackCounts[0], 2);
    EXPECT_EQ(tracks[5].stackDepth, 2u);
    EXPECT_EQ(tracks[5].wait, 99);
    // Track 7 had no call frame.
    EXPECT_EQ(tracks[7].stackDepth, 1u);
    EXPECT_EQ(tracks[7].stackCounts[0], 5);
    EXPECT_EQ(tracks[7].wait, 97);
    tick();
    EXPECT_EQ(tracks[0].instrument, 7);
}

TEST_F(Sequencer, StackHoldsFourFramesAndAFifthIsPassedOver)
{
    Music music;
    music.label("main").call("a").end();
    music.label("a").call("b").ret();
    music.label("b").call("c").ret();
    music.label("c").call("d").ret();
    music.label("d").call("e").use(9).wait(1).ret();  // the fifth call is passed over
    music.label("e").use(5).wait(1).ret();
    play(music, {{3, "main"}});
    tick();
    EXPECT_EQ(tracks[0].stackDepth, 4u);
    EXPECT_EQ(tracks[0].instrument, 9);
    ticks(2);
    EXPECT_EQ(tracks[0].priority, 0);

    Music loops;
    loops.label("main").loop(2).loop(2).loop(2).loop(2).loop(3).wait(1);
    for (int i = 0; i < 5; ++i)
        loops.endloop();
    loops.end();
    play(loops, {{3, "main"}});
    int ticksPlayed = 0;
    do {
        tick();
        ++ticksPlayed;
    } while (tracks[0].priority != 0 && ticksPlayed < 100);
    EXPECT_EQ(ticksPlayed, 17);  // 16 rounds, not 48
}

TEST_F(Sequencer, UndefinedOpcodesEndTheTrack)
{
    Music music;
    music.label("main").use(0).note(69, 1).raw({0x0B}).wait(1).raw({0x0C}).wait(10).end();
    play(music, {{3, "main"}});
    tick();
    EXPECT_EQ(voices[0].mode, 1);
    tick();  // the no-op, then a wait
    EXPECT_EQ(tracks[0].priority, 3);
    tick();
    EXPECT_EQ(tracks[0].priority, 0);
    EXPECT_EQ(voices[0].mode, 0);  // its note went silent with it
    EXPECT_EQ(channels[0].priority, 0);
}

TEST_F(Sequencer, CodeThatNeverWaitsCannotHoldTheTick)
{
    Music music;
    music.label("spin").loop(-1).endloop();
    music.label("main").use(0).note(69, 2).note(72, 2).end();
    play(music, {{3, "spin"}, {3, "main"}});
    ticks(3);
    EXPECT_EQ(tracks[0].priority, 3);  // goes on where it left off, tick after tick
    EXPECT_EQ(tracks[0].stackDepth, 1u);
    EXPECT_EQ(channels[1].noteStep, 0x1306F);  // the other track kept its time: note 72 in tick 3
}

TEST_F(Sequencer, EffectsStartAfterTheMusicStep)
{
    // Every track holds its channel with a long wait except track 14, which
    // ends in its first step: an effect requested in the same tick finds its
    // channel idle under an inactive track (pass 1), not channel 15 (pass 3).
    Music music;
    music.label("hold").wait(1000).end().label("short").end();
    Tracks entries(16, {1, "hold"});
    entries[14].second = "short";
    play(music, entries);
    Image one = effect({{0, holdMacro(100)}});
    bs_playSFX(one.data(), 3, 127, 127);
    tick();
    EXPECT_EQ(channelsAt(3), 1u << 14);
}

TEST_F(Sequencer, NoteOffMovesTheInstrumentToItsRelease)
{
    Music music;
    music.label("main").use(0).note(69, 5).noteOff().wait(10).use(1).note(69, 1).noteOff().wait(5).end();
    play(music, {{3, "main"}});
    ticks(5);
    EXPECT_EQ(voices[0].volume, 127);
    ASSERT_EQ(channels[0].loopDepth, 1u);
    tick();  // note-off while the instrument waits in its loop: the release runs at once
    EXPECT_EQ(voices[0].volume, 0);
    EXPECT_EQ(channels[0].loopDepth, 0u);  // out of the sustain loop
    EXPECT_EQ(channels[0].priority, 3);
    ticks(2);
    EXPECT_EQ(channels[0].priority, 0);  // the release ended
    ticks(8);
    // Instrument 1 ends in its first tick; a note-off after that changes nothing.
    EXPECT_EQ(channels[0].noteMode, 0);
    const int32_t position = channels[0].position;
    tick();
    EXPECT_EQ(channels[0].position, position);
}

TEST_F(Sequencer, PitchOffsetAndSlideAddToTheNoteStep)
{
    Music music;
    music.label("main").pitch(0x100, 0x10).use(0).note(69, 10).end();
    play(music, {{3, "main"}});
    tick();
    EXPECT_EQ(voices[0].phaseAdjust, 0xFFFFu + 0x110u);
    tick();
    EXPECT_EQ(voices[0].phaseAdjust, 0xFFFFu + 0x120u);
    // The instrument's own frequency and slide add to both.
    Music offset;
    offset.label("main").pitch(0x100, 0x10).use(3).note(69, 10).end();
    play(offset, {{3, "main"}});
    tick();
    EXPECT_EQ(voices[0].phaseAdjust, 0xFFFFu + 0x110u + 0x1100u);
    tick();
    EXPECT_EQ(voices[0].phaseAdjust, 0xFFFFu + 0x120u + 0x1200u);
}

TEST_F(Sequencer, MusicVolumeScalesThePans)
{
    Music music;
    music.label("main").pan(127, 0).use(0).note(69, 1000).end();
    play(music, {{3, "main"}});
    bs_attenMusic(64);
    const Block b = tick();
    EXPECT_EQ(tracks[0].outLeft, 63);
    EXPECT_EQ(tracks[0].outRight, 0);
    EXPECT_EQ(left(b, 0), 100 * ((127 * 63) >> 8));
    EXPECT_EQ(right(b, 0), 0);
    bs_attenMusic(127);
    const Block c = tick();
    EXPECT_EQ(voices[0].panLeft, 126);  // the sounding note follows at once
    EXPECT_EQ(left(c, 0), 6200);
    // The volume outlives the song: the next one starts at it.
    bs_attenMusic(64);
    tick();
    play(music, {{3, "main"}});
    tick();
    EXPECT_EQ(voices[0].panLeft, 63);
}

TEST_F(Sequencer, FullVolumeNoteOutputs6200)
{
    Music music;
    music.label("main").use(0).note(69, 1000).end();
    play(music, {{3, "main"}});
    const Block b = tick();
    EXPECT_EQ(tracks[0].outLeft, 126);
    for (int k = 0; k < 200; ++k) {
        ASSERT_EQ(left(b, k), 6200);
        ASSERT_EQ(right(b, k), 6200);
    }
}

TEST_F(Sequencer, MusicEndsWhenItsLastTrackEnds)
{
    Music music;
    music.label("short").use(0).note(60, 2).noteOff().end();
    music.label("long").use(0).note(64, 5).end();
    play(music, {{3, "short"}, {3, "long"}});
    ticks(5);
    EXPECT_EQ(bs_checkMusic(), 1);
    EXPECT_EQ(tracks[0].priority, 0);
    EXPECT_EQ(voices[0].mode, 0);
    tick();
    EXPECT_EQ(bs_checkMusic(), 0);
    EXPECT_EQ(voices[1].mode, 0);
}

TEST_F(Sequencer, ABadImageStopsTheOldMusic)
{
    Music music;
    music.label("main").use(0).note(69, 1000).end();
    play(music, {{3, "main"}});
    tick();
    Image bad = music.build({{3, "main"}});
    bad.bytes()[3] = 'X';
    bs_playMusic(bad.data());
    tick();
    EXPECT_EQ(bs_checkMusic(), 0);
    EXPECT_EQ(voices[0].mode, 0);
}

TEST_F(Sequencer, SizedImagesAreReadOnlyInside)
{
    Music music;
    music.label("main").use(0).note(69, 2).use(0);
    Image image = music.build({{3, "main"}});
    bs_playMusicSized(image.data(), image.size() - 1);  // the second "using" is cut off
    ticks(2);
    EXPECT_EQ(tracks[0].priority, 3);
    EXPECT_EQ(voices[0].mode, 1);
    tick();
    EXPECT_EQ(tracks[0].priority, 0);  // stopped as "end" stops it
    EXPECT_EQ(voices[0].mode, 0);
    EXPECT_EQ(bs_checkMusic(), 0);

    bs_playMusicSized(image.data(), 8 + 5 - 1);  // the track table does not fit
    tick();
    EXPECT_EQ(bs_checkMusic(), 0);
    EXPECT_EQ(tracks[0].priority, 0);
}

TEST_F(Sequencer, NotesWithoutInstrumentOrNoteAreSkipped)
{
    Music music;
    music.label("main").use(4).note(69, 1).use(0).note(128, 1).note(69, 1).end();
    play(music, {{3, "main"}});
    tick();
    EXPECT_EQ(channels[0].noteMode, 0);  // instrument 4 is beyond the pack's count
    tick();
    EXPECT_EQ(channels[0].noteMode, 0);  // no note 128
    tick();
    EXPECT_EQ(channels[0].noteMode, -1);
}

}  // namespace
