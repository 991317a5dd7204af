// The tick's cursor arithmetic on the scripted device: the first tick, whole
// blocks of progress, stalls, the guard against writing where the device
// reads, and blocks reaching the device one tick after they are rendered.
#include <algorithm>

#include "fake_host.h"

namespace hosttest {
namespace {

class TickTest : public FakeHostTest {
protected:
    void SetUp() override
    {
        FakeHostTest::SetUp();
        ASSERT_EQ(start(), HX_S_OK);
    }
    // Marks the device's buffer so that every copy shows.
    void poisonBuffer() { std::fill(device().buffer.begin(), device().buffer.end(), 0x5A); }
    std::vector<uint8_t> ringBytes()
    {
        int16_t* ring = nullptr;
        uint32_t length = 0;
        hx_getState(nullptr, nullptr, nullptr, nullptr, nullptr, &ring, &length);
        const uint8_t* bytes = reinterpret_cast<const uint8_t*>(ring);
        return {bytes, bytes + length * 2};
    }
};

TEST_F(TickTest, FirstTickWritesFourSilentBlocksClearOfTheWriteCursor)
{
    poisonBuffer();
    hx_playSFX(effect.data(), 5, 127, 127);
    tickAt(0, 0);
    // Gap 0: the start is the first boundary after 0 + 3200.
    EXPECT_EQ(device().lastLockOffset(), 4000u);
    EXPECT_EQ(device().lastLockBytes(), 3200u);
    EXPECT_TRUE(isSilent(deviceBytes(4000, 3200)));
    EXPECT_EQ(deviceBytes(3999, 1)[0], 0x5A);
    EXPECT_EQ(deviceBytes(7200, 1)[0], 0x5A);
    EXPECT_EQ(host().nextWritePos, 7200u);
    EXPECT_EQ(host().lastPlayPos, 3200u);
    EXPECT_EQ(host().firstTick, 0);
    // ...and renders four blocks, the effect among them.
    EXPECT_EQ(blocksRendered(), 4u);
    EXPECT_FALSE(isSilent(ringBytes()));
}

TEST_F(TickTest, FirstTickKeepsAWideGapAndAlignsThePlayCursor)
{
    // The device already holds 4000 bytes between its cursors.
    tickAt(1000, 5000);
    EXPECT_EQ(device().lastLockOffset(), 9600u);  // first boundary after 9000
    EXPECT_EQ(host().lastPlayPos, 800u + 3200u);
    EXPECT_EQ(host().nextWritePos, 9600u + 3200u);
}

TEST_F(TickTest, FirstTickWrapsPastTheEndOfTheBuffer)
{
    tickAt(50000, 51000);
    // (51000 + 3200) mod 51200 = 3000, next boundary 3200.
    EXPECT_EQ(device().lastLockOffset(), 3200u);
    EXPECT_EQ(host().lastPlayPos, (49600u + 3200u) % kBuffer);
    EXPECT_EQ(host().nextWritePos, 6400u);

    hx_close();
    ASSERT_EQ(start(), HX_S_OK);
    // A start on the last boundary of the buffer: the copy wraps round.
    tickAt(47000, 47100);
    EXPECT_EQ(device().lastLockOffset(), 50400u);
    EXPECT_EQ(host().nextWritePos, (50400u + 3200u) % kBuffer);

    hx_close();
    ASSERT_EQ(start(), HX_S_OK);
    // The boundary after 50700 is the end of the buffer, that is offset 0.
    tickAt(47500, 47500);
    EXPECT_EQ(device().lastLockOffset(), 0u);
    EXPECT_EQ(host().nextWritePos, 3200u);
}

TEST_F(TickTest, LessThanOneBlockPlayedDoesNothing)
{
    tickAt(0, 0);
    int locks = device().lockCount();
    // The first tick accounted up to 3200; until 4000 there is not a block.
    tickAt(3999, 4959);
    tickAt(3200, 4000);
    EXPECT_EQ(device().lockCount(), locks);
    EXPECT_EQ(blocksRendered(), 4u);
    EXPECT_EQ(host().lastPlayPos, 3200u);
}

TEST_F(TickTest, ThePlayCursorStillBehindTheAccountingLooksLikeAStall)
{
    tickAt(0, 0);
    int locks = device().lockCount();
    // Just after the first tick the device is behind lastPlayPos: the
    // progress, modulo the buffer, is huge.
    tickAt(960, 1920);
    tickAt(2880, 3840);
    EXPECT_EQ(device().lockCount(), locks);
    // Five blocks past the aligned start, one block moves.
    tickAt(4000, 4960);
    EXPECT_EQ(device().lockCount(), locks + 1);
    EXPECT_EQ(device().lastLockOffset(), 7200u);
    EXPECT_EQ(device().lastLockBytes(), 800u);
    EXPECT_EQ(blocksRendered(), 5u);
}

TEST_F(TickTest, MovesAsManyBlocksAsPlayedUpToFour)
{
    tickAt(0, 0);
    // Far enough ahead of the device that the guard stays out of the way.
    host().nextWritePos = 12000;
    tickAt(4000 + 3 * kBlock + 100, 4000 + 3 * kBlock + 1060);  // four blocks
    EXPECT_EQ(device().lastLockOffset(), 12000u);
    EXPECT_EQ(device().lastLockBytes(), 3200u);
    EXPECT_EQ(blocksRendered(), 8u);
    EXPECT_EQ(host().lastPlayPos, 3200u + 3200u);
    EXPECT_EQ(host().nextWritePos, 12000u + 3200u);
    // With the device's write cursor close behind, four blocks at once would
    // run into it: the guard moves the start on instead.
    tickAt(6400 + 3 * kBlock + 100, 6400 + 3 * kBlock + 1060);
    EXPECT_EQ(device().lastLockOffset(), 15200u);
}

TEST_F(TickTest, MoreThanFourBlocksPlayedDoesNothingUntilTheCursorComesRound)
{
    tickAt(0, 0);
    tickAt(4000, 4960);
    int locks = device().lockCount();
    uint32_t accounted = host().lastPlayPos;  // 4000
    // A stall: five blocks have played since the last tick.
    tickAt(accounted + 5 * kBlock, accounted + 5 * kBlock + 960);
    tickAt(accounted + 40 * kBlock, accounted + 40 * kBlock + 960);
    EXPECT_EQ(device().lockCount(), locks);
    EXPECT_EQ(host().lastPlayPos, accounted);
    EXPECT_EQ(blocksRendered(), 5u);
    // A full pass later the distance is one block again.
    tickAt(accounted + kBuffer + kBlock, accounted + kBuffer + kBlock + 960);
    EXPECT_EQ(device().lockCount(), locks + 1);
    EXPECT_EQ(blocksRendered(), 6u);
}

TEST_F(TickTest, GuardMovesTheStartPastTheWriteCursor)
{
    tickAt(0, 0);
    tickAt(4000, 4960);
    // A device whose write cursor leapt ahead of where the host writes next.
    ASSERT_EQ(host().nextWritePos, 8000u);
    tickAt(4800, 7300);
    // 8000 lies in [4800, 7300 + 800]: move to the first boundary after 10500.
    EXPECT_EQ(device().lastLockOffset(), 11200u);
    EXPECT_EQ(host().nextWritePos, 12000u);
    EXPECT_EQ(host().lastPlayPos, 4800u);

    // The far end of the span, one block past the write cursor, is included.
    tickAt(5600, 11200);
    EXPECT_EQ(device().lastLockOffset(), 15200u);

    // The boundary after 50700 is the end of the buffer, that is offset 0.
    host().lastPlayPos = 46400;
    host().nextWritePos = 47200;
    tickAt(47200, 47500);
    EXPECT_EQ(device().lastLockOffset(), 0u);
    EXPECT_EQ(host().nextWritePos, 800u);
}

TEST_F(TickTest, GuardCatchesAStartOnThePlayCursor)
{
    tickAt(0, 0);
    host().nextWritePos = 4800;
    tickAt(4800, 4800 + 960);
    EXPECT_EQ(device().lastLockOffset(), 9600u);  // first boundary after 5760 + 3200
}

TEST_F(TickTest, GuardSpanWrapsPastTheEndOfTheBuffer)
{
    tickAt(0, 0);
    // The play cursor near the end of the buffer, the write cursor wrapped
    // past its start: the span is [50400, 51200) and [0, 1800].
    const uint32_t caught[] = {50400, 50800, 0, 400, 1600};
    for (uint32_t start : caught) {
        host().lastPlayPos = 49600;
        host().nextWritePos = start;
        tickAt(50400, 1000);
        EXPECT_EQ(device().lastLockOffset(), 4800u) << "start " << start;
        EXPECT_EQ(host().lastPlayPos, 50400u);
    }
    // Outside the span the start stays.
    host().lastPlayPos = 49600;
    host().nextWritePos = 2400;
    tickAt(50400, 1000);
    EXPECT_EQ(device().lastLockOffset(), 2400u);
    // Each move was counted, for the measurements.
    EXPECT_EQ(host().guardMoves, 5u);
}

TEST_F(TickTest, BlocksReachTheDeviceOneTickAfterTheyAreRendered)
{
    std::string logPath = tempPath("stream.wav");
    ASSERT_EQ(hx_logOutput(logPath.c_str()), 0);
    hx_playMusic(music.data());
    hx_playSFX(effect.data(), 5, 100, 60);
    poisonBuffer();
    tickAt(0, 0);

    // Progress of 1 to 3 blocks per tick (the most that a write cursor 100
    // bytes ahead of the play cursor leaves room for), through more than a
    // buffer's length so that the copies wrap round its end.
    static const uint32_t steps[] = {1, 2, 1, 3, 1, 3, 1, 1, 2};
    uint32_t play = 3200;
    uint32_t moved = 0;
    for (int i = 0; moved < 80; ++i) {
        uint32_t step = steps[i % 9];
        uint32_t before = blocksRendered();
        play += step * kBlock;
        tickAt(play + 100, play + 200);
        // The blocks moved now are those rendered before this tick; the
        // ones rendered now wait in the ring for the next.
        ASSERT_EQ(blocksRendered(), before + step);
        moved += step;
        if (moved + 9 <= 64) {  // not yet written over: still the poison
            ASSERT_EQ(deviceBytes(7200 + moved * kBlock, 1)[0], 0x5A);
        }
    }
    std::vector<uint8_t> buffer = device().buffer;
    hx_close();

    std::vector<uint8_t> log = readFile(logPath);
    ASSERT_EQ(log.size(), 44u + (4 + moved) * kBlock);
    std::vector<uint8_t> rendered(log.begin() + 44, log.end());
    // What went out is exactly what the engine rendered, in order.
    struct Requests {
        const Image* music;
        const Image* effect;
    } requests{&music, &effect};
    std::vector<uint8_t> reference = engineReference(
        samples, instruments,
        [](const void* context) {
            const Requests* r = static_cast<const Requests*>(context);
            bs_playMusic(r->music->data());
            bs_playSFX(r->effect->data(), 5, 100, 60);
        },
        &requests, 4 + moved);
    EXPECT_TRUE(rendered == reference);
    EXPECT_FALSE(isSilent(reference));
    // The device holds the last 64 blocks it was given: four of silence and
    // rendered blocks 0 .. moved-1 went out from offset 4000 on.
    std::vector<uint8_t> stream(4 * kBlock, 0);
    stream.insert(stream.end(), rendered.begin(), rendered.begin() + moved * kBlock);
    std::vector<uint8_t> tail(stream.end() - kBuffer, stream.end());
    uint32_t end = (4000 + static_cast<uint32_t>(stream.size())) % kBuffer;
    std::rotate(buffer.begin(), buffer.begin() + end, buffer.end());
    EXPECT_TRUE(buffer == tail);
}

TEST_F(TickTest, AFailedPositionOrLockDropsTheTick)
{
    tickAt(0, 0);
    int locks = device().lockCount();
    device().results.position = HX_E_FAIL;
    tickAt(4000, 4960);
    EXPECT_EQ(device().lockCount(), locks);
    EXPECT_EQ(host().lastPlayPos, 3200u);

    device().results.position = 0;
    device().results.lock = HX_E_FAIL;
    tickAt(4000, 4960);
    // The accounting moved on (as a real device has played on), but nothing
    // was copied and nothing rendered.
    EXPECT_EQ(device().lockCount(), locks + 1);
    EXPECT_EQ(host().lastPlayPos, 4000u);
    EXPECT_EQ(blocksRendered(), 4u);

    device().results.lock = 0;
    device().results.unlock = HX_E_FAIL;
    tickAt(4800, 5760);
    EXPECT_EQ(blocksRendered(), 4u);

    // The block copied before the failed unlock left its ring slot free: the
    // next tick renders it along with its own.
    device().results.unlock = 0;
    tickAt(5600, 6560);
    EXPECT_EQ(blocksRendered(), 6u);
}

}  // namespace
}  // namespace hosttest
