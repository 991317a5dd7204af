// The macro interpreter: waits, loops, every opcode, slides, restart and
// note-off, and code that is cut off or misbehaves.
#include "engine_test.h"

#include <memory>

namespace {

class Macros : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        adopt({flatSample(100, 30000)});
    }
    // Starts `code` as a one-channel effect; it plays on channel 15.
    void start(const std::vector<uint8_t>& code, int8_t priority = 5)
    {
        effects.push_back(std::make_unique<Image>(effect({{0, code}})));
        bs_playSFX(effects.back()->data(), priority, 127, 127);
    }
    // Ticks until channel 15 goes idle; the number of ticks, at most `limit`.
    int ticksUntilIdle(int limit = 100000)
    {
        for (int n = 1; n <= limit; ++n) {
            tick();
            if (channels[15].priority == 0)
                return n;
        }
        return -1;
    }
    MacroChannel& c = channels_()[15];
    Voice& v = voices_()[15];
    std::vector<std::unique_ptr<Image>> effects;

private:
    static MacroChannel* channels_()
    {
        MacroChannel* table;
        bs_getState(nullptr, &table, nullptr);
        return table;
    }
    static Voice* voices_()
    {
        Voice* table;
        bs_getState(&table, nullptr, nullptr);
        return table;
    }
};

TEST_F(Macros, WaitsHoldTheChannelForTheirTicks)
{
    start(Macro().wait(5).end());
    EXPECT_EQ(ticksUntilIdle(), 6);  // "end" runs five ticks after the wait was read
    start(Macro().raw({0x81, 0x81}).end());
    EXPECT_EQ(ticksUntilIdle(), 130);
    start(Macro().raw({0x80}).end());  // a wait of 0 is passed over
    EXPECT_EQ(ticksUntilIdle(), 1);
    start(Macro().raw({0xFF, 0xFF, 0xFF, 0xFF, 0x82}).end());  // a fifth byte starts a new wait
    tick();
    EXPECT_EQ(c.wait, 0x0FFFFFFF - 1);
    EXPECT_EQ(c.position, 4);
}

TEST_F(Macros, LoopsRunTheirBodyCountTimes)
{
    for (const auto& [count, runs] : std::vector<std::pair<int8_t, int>>{{3, 3}, {1, 1}, {0, 1}, {2, 2}}) {
        start(Macro().loop(count).wait(10).endloop().end());
        EXPECT_EQ(ticksUntilIdle(), 10 * runs + 1) << "count " << int(count);
    }
    start(Macro().loop(-1).wait(10).endloop().end());
    EXPECT_EQ(ticksUntilIdle(5000), -1);
    bs_stopSFX(5);
    tick();
}

TEST_F(Macros, LoopsNestFourDeepAndAFifthRunsOnce)
{
    start(Macro().loop(2).loop(2).loop(2).loop(2).wait(1).endloop().endloop().endloop().endloop().end());
    EXPECT_EQ(ticksUntilIdle(), 16 + 1);
    // The fifth "loop" takes its count byte (3, which read as an opcode would
    // be "volume") and repeats nothing: its body runs 16 times, not 48; the
    // fifth "endloop" finds no loop left.
    start(Macro().loop(2).loop(2).loop(2).loop(2).loop(3).wait(1).endloop().endloop().endloop().endloop().endloop().end());
    EXPECT_EQ(ticksUntilIdle(), 16 + 1);
}

TEST_F(Macros, EndloopWithoutLoopDoesNothing)
{
    start(Macro().endloop().wait(2).end());
    EXPECT_EQ(ticksUntilIdle(), 3);
}

TEST_F(Macros, EffectExamplePlaysSixtyTicks)
{
    start(Macro().singleshot().volume(127).frequency(0x10000).wait(60).end());
    Block b = tick();
    EXPECT_EQ(v.mode, 1);
    EXPECT_EQ(v.phaseAdjust, 0x10000u);
    EXPECT_EQ(v.volume, 127);
    EXPECT_EQ(left(b, 0), 6300);
    ticks(59);
    EXPECT_EQ(c.priority, 5);
    b = tick();
    EXPECT_EQ(c.priority, 0);
    EXPECT_EQ(v.mode, 0);
    EXPECT_TRUE(silent(b));
}

TEST_F(Macros, SlidesTakeEffectInTheTickOfTheirCommand)
{
    start(Macro().singleshot().volume(100, -256).frequency(0x10000, 0x100).wait(100).end());
    tick();
    EXPECT_EQ(v.volume, 99);
    EXPECT_EQ(v.phaseAdjust, 0x10100u);
    tick();
    EXPECT_EQ(v.volume, 98);
    EXPECT_EQ(v.phaseAdjust, 0x10200u);
    // The 8.8 volume wraps: no clamping.
    bs_stopSFX(5);
    tick();
    start(Macro().volume(0, -1).wait(100).end(), 6);
    tick();
    EXPECT_EQ(c.volume, 0xFFFF);
    EXPECT_EQ(v.volume, -1);
}

TEST_F(Macros, ModesAndLoopPoints)
{
    start(Macro().looping(100, 0x8000).volume(127).frequency(0x10000).wait(3).singleshot().wait(3).end());
    tick();
    EXPECT_EQ(v.mode, 2);
    EXPECT_EQ(v.loopStart, 100);
    EXPECT_EQ(v.loopEnd, static_cast<int16_t>(0x8000));
    ticks(3);
    EXPECT_EQ(v.mode, 1);
    EXPECT_EQ(v.phase, 4u * 200u << 16);  // changing the mode leaves the phase alone
}

TEST_F(Macros, RestartClearsTheChannel)
{
    start(Macro().loop(3).volume(50, 3).frequency(7, 1).wait(50).endloop().end());
    ticks(2);
    bs_stopSFX(5);
    tick();
    ASSERT_EQ(c.loopDepth, 1u);  // left behind on the idle channel
    start(Macro().wait(5).end(), 6);
    tick();
    EXPECT_EQ(c.priority, 6);
    EXPECT_EQ(c.loopDepth, 0u);
    EXPECT_EQ(c.frequency, 0);
    EXPECT_EQ(c.volume, 0);
    EXPECT_EQ(v.mode, 0);
    EXPECT_EQ(v.phase, 0u);
    EXPECT_EQ(c.position, 1);
}

TEST_F(Macros, UndefinedOpcodesEndTheChannel)
{
    for (uint8_t op : {0x08, 0x20, 0x7F}) {
        start(Macro().singleshot().volume(127).frequency(0x10000).raw({op}).wait(10).end());
        EXPECT_EQ(ticksUntilIdle(), 1) << int(op);
        EXPECT_EQ(v.mode, 0);
    }
    start(Macro().raw({0x07}).wait(3).end());  // the no-op
    EXPECT_EQ(ticksUntilIdle(), 4);
}

TEST_F(Macros, CodeThatNeverWaitsCannotHoldTheTick)
{
    start(Macro().loop(-1).endloop());
    tick();
    EXPECT_EQ(c.priority, 5);
    tick();  // goes on where it left off
    EXPECT_EQ(c.priority, 5);
    EXPECT_EQ(c.loopDepth, 1u);
}

TEST_F(Macros, SizedEffectCodeStopsAtTheEndOfTheImage)
{
    // The code's last instruction is cut: "frequency" needs eight bytes.
    Image fx = effect({{0, Macro().singleshot().volume(127).wait(2).frequency(0x10000)}});
    bs_playSFXSized(fx.data(), fx.size() - 3, 5, 127, 127);
    EXPECT_EQ(ticksUntilIdle(), 3);
    // A wait run at the very end is still a wait; then the code runs out.
    Image fx2 = effect({{0, Macro().singleshot().wait(3)}});
    bs_playSFXSized(fx2.data(), fx2.size(), 5, 127, 127);
    EXPECT_EQ(ticksUntilIdle(), 4);
    // The same image with a trusting caller reads on (here into the next
    // word of the test's buffer, which is zero: "end").
    bs_playSFX(fx2.data(), 5, 127, 127);
    EXPECT_EQ(ticksUntilIdle(), 4);
}

}  // namespace
