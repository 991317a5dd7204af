// The WAV log: header written at close, sizes, one log at a time, the 1 GiB
// cap, short writes, the state it reports, and what sox makes of the files.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

#include "formats/packages.h"
#include "fake_host.h"

namespace hosttest {
namespace {

class WavLogTest : public FakeHostTest {
protected:
    void SetUp() override
    {
        FakeHostTest::SetUp();
        ASSERT_EQ(start(), HX_S_OK);
    }
    // The first tick, then `blocks` more blocks rendered one per tick.
    void render(uint32_t blocks)
    {
        if (play_ == 0) {
            tickAt(0, 0);
            play_ = 3200;
            blocks = blocks >= 4 ? blocks - 4 : 0;
        }
        for (uint32_t i = 0; i < blocks; ++i) {
            play_ += kBlock;
            tickAt(play_, play_ + 960);
        }
    }
    std::string soxInfo(const std::string& option, const std::string& path)
    {
        std::string out = commandOutput("sox --i " + option + " '" + path + "' 2>&1");
        while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
            out.pop_back();
        return out;
    }

    uint32_t play_ = 0;
};

// Files may grow to `bytes` while it lives, as on a nearly full disk; writes
// beyond fail with EFBIG (and no signal).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        savedSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = saved_;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, savedSignal_);
    }

private:
    struct rlimit saved_;
    void (*savedSignal_)(int);
};

struct LogState {
    int32_t stop;
    int32_t open;
    uint32_t fileBytes;
    uint32_t blocks;
    int32_t error;
};

LogState logState()
{
    LogState state{};
    state.stop = hx_getLogState(&state.open, &state.fileBytes, &state.blocks, &state.error);
    return state;
}

// A figure from the report of sox's "stat" effect, or -1.
double statValue(const std::string& report, const std::string& name)
{
    size_t at = report.find(name);
    if (at == std::string::npos)
        return -1;
    return std::strtod(report.c_str() + at + name.size(), nullptr);
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
    EXPECT_EQ(soxInfo("-s", path), "0");
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
    EXPECT_EQ(soxInfo("-c", path), "2");
    EXPECT_EQ(soxInfo("-r", path), "48000");
    EXPECT_EQ(soxInfo("-b", path), "16");
    EXPECT_EQ(soxInfo("-s", path), "48000");
    EXPECT_EQ(soxInfo("-e", path), "Signed Integer PCM");
    // sox reads the audio back: the effect is loud, not silence.
    std::string stat = commandOutput("sox '" + path + "' -n stat 2>&1");
    EXPECT_EQ(statValue(stat, "Samples read:"), 96000.0) << stat;
    EXPECT_GT(statValue(stat, "Maximum amplitude:"), 0.1) << stat;
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
    hx_closeLog(); // no log, not running: nothing happens

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
    EXPECT_EQ(hx_logOutput(::testing::TempDir().c_str()), -1); // a directory

    // A named pipe: the header could never go back to the start, and with
    // nobody reading, opening it would block the host for good.  A reader is
    // present here so that a host that opened it would not hang this test.
    std::string fifo = tempPath("pipe.wav");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_EQ(hx_logOutput(fifo.c_str()), -1);
    EXPECT_EQ(logState().error, ESPIPE);
    char byte;
    EXPECT_LE(read(reader, &byte, 1), 0); // nothing was written into it
    close(reader);

    // A terminal cannot seek back either.
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    EXPECT_EQ(hx_logOutput(ptsname(master)), -1);
    close(master);

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
    EXPECT_EQ(soxInfo("-s", path), "2400");
}

TEST_F(WavLogTest, PausedTicksLogSilence)
{
    std::string path = tempPath("paused.wav");
    hx_playSFX(effect.data(), 5, 127, 127);
    render(8);
    hx_pause();
    render(1); // the pause reaches the engine with this block
    ASSERT_EQ(hx_logOutput(path.c_str()), 0);
    render(20);
    hx_resume();
    hx_closeLog();
    std::vector<uint8_t> file = readFile(path);
    ASSERT_EQ(file.size(), 44u + 20 * kBlock);
    EXPECT_TRUE(isSilent(std::vector<uint8_t>(file.begin() + 44, file.end())));
}

TEST_F(WavLogTest, AShortWriteEndsTheLogAtTheLastWholeBlock)
{
    std::string path = tempPath("short.wav");
    ASSERT_EQ(hx_logOutput(path.c_str()), 0);
    {
        // Room for two blocks and a bit: the third is cut short, as on a
        // full disk.
        FileSizeLimit limit(44 + 2 * kBlock + 300);
        render(6);
    }
    // Room again: a log that went on growing would now put every block out
    // of step with its channels.
    render(4);
    LogState state = logState();
    EXPECT_EQ(state.stop, HX_LOG_WRITE_FAILED);
    EXPECT_EQ(state.open, -1);
    EXPECT_EQ(state.fileBytes, 44u + 2 * kBlock);
    EXPECT_EQ(state.blocks, 10u);
    EXPECT_EQ(state.error, EFBIG);
    hx_closeLog();
    std::vector<uint8_t> file = readFile(path);
    ASSERT_EQ(file.size(), 44u + 2 * kBlock);
    expectHeader(file, 2 * kBlock);
    EXPECT_EQ(logState().stop, HX_LOG_WRITE_FAILED); // still told after closing
}

// A log that a full disk stops before it holds any audio leaves no file.
TEST_F(WavLogTest, ALogThatCannotHoldAudioLeavesNoFile)
{
    const struct {
        rlim_t room;
        int32_t started;
        uint32_t blocks;
    } cases[] = {
        {20, -1, 0},  // not even the header fits
        {344, 0, 4},  // the header fits, the first block does not
    };
    for (const auto& c : cases) {
        std::string path = tempPath("nothing.wav");
        {
            FileSizeLimit limit(c.room);
            ASSERT_EQ(hx_logOutput(path.c_str()), c.started) << c.room;
            render(c.blocks);
        }
        hx_closeLog();
        EXPECT_FALSE(fileExists(path)) << c.room;
        LogState state = logState();
        EXPECT_EQ(state.stop, HX_LOG_WRITE_FAILED) << c.room;
        EXPECT_EQ(state.fileBytes, 0u) << c.room;
        EXPECT_EQ(state.blocks, c.blocks) << c.room;
        EXPECT_EQ(state.error, EFBIG) << c.room;
    }
    // A file reached through a link is the user's: it stays.
    std::string target = tempPath("target.wav");
    std::string link = tempPath("link.wav");
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    {
        FileSizeLimit limit(20);
        EXPECT_EQ(hx_logOutput(link.c_str()), -1);
    }
    EXPECT_TRUE(fileExists(target));
}

TEST_F(WavLogTest, StopsGrowingAtOneGibibyte)
{
    std::string path = tempPath("capped.wav");
    ASSERT_EQ(hx_logOutput(path.c_str()), 0);
    render(4);
    // Pretend the log has grown to just below the cap.
    host().logBytes = HX_LOG_LIMIT - 100;
    render(1); // still below: this block is written, and crosses the cap
    EXPECT_EQ(host().logBytes, static_cast<uint32_t>(HX_LOG_LIMIT) + 700u);
    EXPECT_EQ(logState().stop, HX_LOG_COMPLETE);
    render(5); // at or above: nothing more
    EXPECT_EQ(host().logBytes, static_cast<uint32_t>(HX_LOG_LIMIT) + 700u);
    EXPECT_EQ(logState().stop, HX_LOG_CAPPED);
    host().logBytes = HX_LOG_LIMIT; // exactly 1 GiB is no longer below it
    render(1);
    EXPECT_EQ(host().logBytes, static_cast<uint32_t>(HX_LOG_LIMIT));
    host().logBytes = HX_LOG_LIMIT + 700u;
    hx_closeLog();
    std::vector<uint8_t> file = readFile(path);
    EXPECT_EQ(file.size(), 44u + 5 * kBlock);
    EXPECT_EQ(bs_readU32(file.data() + 40), static_cast<uint32_t>(HX_LOG_LIMIT) + 700u - 44u);
}

} // namespace
} // namespace hosttest
