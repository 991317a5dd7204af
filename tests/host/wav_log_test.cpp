// The WAV log: header written at close, sizes, one log at a time, the 1 GiB
// cap and the state it reports, on every system.
#include "wav_log_fixture.h"

#include "formats/packages.h"

namespace hosttest {

LogState logState()
{
    LogState state{};
    state.stop = hx_getLogState(&state.open, &state.fileBytes, &state.blocks, &state.error);
    return state;
}

void expectHeader(const std::vector<uint8_t>& file, uint32_t dataBytes)
{
    ASSERT_GE(file.size(), 44u);
    const uint8_t* h = file.data();
    EXPECT_EQ(std::string(h, h + 4), "RIFF");
    EXPECT_EQ(bs_readU32(h + 4), dataBytes + 36);
    EXPECT_EQ(std::string(h + 8, h + 16), "WAVEfmt ");
    EXPECT_EQ(bs_readU32(h + 16), 16u);
    EXPECT_EQ(bs_readU16(h + 20), 1u);
    EXPECT_EQ(bs_readU16(h + 22), 2u);
    EXPECT_EQ(bs_readU32(h + 24), 48000u);
    EXPECT_EQ(bs_readU32(h + 28), 192000u);
    EXPECT_EQ(bs_readU16(h + 32), 4u);
    EXPECT_EQ(bs_readU16(h + 34), 16u);
    EXPECT_EQ(std::string(h + 36, h + 40), "data");
    EXPECT_EQ(bs_readU32(h + 40), dataBytes);
}

namespace {

TEST_F(WavLogTest, ClosedAtOnceGivesAnEmptyWave)
{
    std::string path = tempPath("empty.wav");
    ASSERT_EQ(hx_logOutput(path.c_str()), 0);
    // Until it is closed the header is left as zeros.
    std::vector<uint8_t> open = readFile(path);
    hx_closeLog();
    std::vector<uint8_t> file = readFile(path);
    ASSERT_EQ(file.size(), 44u);
    expectHeader(file, 0);
    EXPECT_TRUE(open.empty() || isSilent(open));
}

TEST_F(WavLogTest, OneSecondOfBlocks)
{
    std::string path = tempPath("second.wav");
    ASSERT_EQ(hx_logOutput(path.c_str()), 0);
    hx_playSFX(effect.data(), 5, 127, 127);
    render(240);
    hx_closeLog();
    std::vector<uint8_t> file = readFile(path);
    ASSERT_EQ(file.size(), 192044u);
    EXPECT_EQ(bs_readU32(file.data() + 4), 192036u);
    EXPECT_EQ(bs_readU32(file.data() + 40), 192000u);
    expectHeader(file, 192000);
    // Logging goes on no longer than asked: more ticks leave the file alone.
    render(10);
    EXPECT_EQ(readFile(path).size(), 192044u);
    LogState state = logState();
    EXPECT_EQ(state.stop, HX_LOG_COMPLETE);
    EXPECT_EQ(state.open, 0);
    EXPECT_EQ(state.fileBytes, 192044u);
    EXPECT_EQ(state.blocks, 240u);
    EXPECT_EQ(state.error, 0);
}

TEST_F(WavLogTest, RefusedWhenNotRunningOrAlreadyLogging)
{
    hx_close();
    std::string early = tempPath("early.wav");
    EXPECT_EQ(hx_logOutput(early.c_str()), -1);
    EXPECT_FALSE(fileExists(early));
    hx_closeLog();  // no log, not running: nothing happens

    ASSERT_EQ(start(), HX_S_OK);
    EXPECT_EQ(hx_logOutput(nullptr), -1);
    std::string first = tempPath("first.wav");
    std::string second = tempPath("second.wav");
    ASSERT_EQ(hx_logOutput(first.c_str()), 0);
    render(4);
    EXPECT_EQ(hx_logOutput(second.c_str()), -1);
    EXPECT_FALSE(fileExists(second));
    render(6);
    hx_closeLog();
    expectHeader(readFile(first), 6 * kBlock + 4 * kBlock);
    // With the first closed, a new log may start.
    EXPECT_EQ(hx_logOutput(second.c_str()), 0);
}

TEST_F(WavLogTest, FilesThatCannotHoldAWaveAreRefused)
{
    std::string dir = ::testing::TempDir() + "halvex-no-such-dir/x.wav";
    EXPECT_EQ(hx_logOutput(dir.c_str()), -1);
    EXPECT_EQ(hx_logOutput(::testing::TempDir().c_str()), -1);  // a directory

    // Nothing is left open: a good path works.
    EXPECT_EQ(hx_logOutput(tempPath("good.wav").c_str()), 0);
}

TEST_F(WavLogTest, CloseWhileLoggingFinishesTheFile)
{
    std::string path = tempPath("closed.wav");
    ASSERT_EQ(hx_logOutput(path.c_str()), 0);
    render(12);
    hx_close();
    std::vector<uint8_t> file = readFile(path);
    ASSERT_EQ(file.size(), 44u + 12 * kBlock);
    expectHeader(file, 12 * kBlock);
}

TEST_F(WavLogTest, PausedTicksLogSilence)
{
    std::string path = tempPath("paused.wav");
    hx_playSFX(effect.data(), 5, 127, 127);
    render(8);
    hx_pause();
    render(1);  // the pause reaches the engine with this block
    ASSERT_EQ(hx_logOutput(path.c_str()), 0);
    render(20);
    hx_resume();
    hx_closeLog();
    std::vector<uint8_t> file = readFile(path);
    ASSERT_EQ(file.size(), 44u + 20 * kBlock);
    EXPECT_TRUE(isSilent(std::vector<uint8_t>(file.begin() + 44, file.end())));
}

// Names are UTF-8 on every system (wide-character calls on Windows).
TEST_F(WavLogTest, ANameInAnyLanguageIsCreatedAsGiven)
{
    std::string path = tempPath("\xc3\xa9t\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac.wav");
    ASSERT_EQ(hx_logOutput(path.c_str()), 0);
    render(4);
    hx_closeLog();
    std::vector<uint8_t> file = readFile(path);
    ASSERT_EQ(file.size(), 44u + 4 * kBlock);
    expectHeader(file, 4 * kBlock);
}

TEST_F(WavLogTest, StopsGrowingAtOneGibibyte)
{
    std::string path = tempPath("capped.wav");
    ASSERT_EQ(hx_logOutput(path.c_str()), 0);
    render(4);
    // Pretend the log has grown to just below the cap.
    host().logBytes = HX_LOG_LIMIT - 100;
    render(1);  // still below: this block is written, and crosses the cap
    EXPECT_EQ(host().logBytes, static_cast<uint32_t>(HX_LOG_LIMIT) + 700u);
    EXPECT_EQ(logState().stop, HX_LOG_COMPLETE);
    render(5);  // at or above: nothing more
    EXPECT_EQ(host().logBytes, static_cast<uint32_t>(HX_LOG_LIMIT) + 700u);
    EXPECT_EQ(logState().stop, HX_LOG_CAPPED);
    host().logBytes = HX_LOG_LIMIT;  // exactly 1 GiB is no longer below it
    render(1);
    EXPECT_EQ(host().logBytes, static_cast<uint32_t>(HX_LOG_LIMIT));
    host().logBytes = HX_LOG_LIMIT + 700u;
    hx_closeLog();
    std::vector<uint8_t> file = readFile(path);
    EXPECT_EQ(file.size(), 44u + 5 * kBlock);
    EXPECT_EQ(bs_readU32(file.data() + 40), static_cast<uint32_t>(HX_LOG_LIMIT) + 700u - 44u);
}

}  // namespace
}  // namespace hosttest
