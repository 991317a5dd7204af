// The WAV log where POSIX systems can make it fail or check it: file size
// limits standing in for a full disk, pipes, terminals, links, and what sox
// makes of the files.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

#include "wav_log_fixture.h"

namespace hosttest {
namespace {

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

// A figure from the report of sox's "stat" effect, or -1.
double statValue(const std::string& report, const std::string& name)
{
    size_t at = report.find(name);
    if (at == std::string::npos)
        return -1;
    return std::strtod(report.c_str() + at + name.size(), nullptr);
}

std::string soxInfo(const std::string& option, const std::string& path)
{
    std::string out = commandOutput("sox --i " + option + " '" + path + "' 2>&1");
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
}

TEST_F(WavLogTest, SoxReadsTheLogs)
{
    std::string empty = tempPath("empty.wav");
    ASSERT_EQ(hx_logOutput(empty.c_str()), 0);
    hx_closeLog();
    EXPECT_EQ(soxInfo("-s", empty), "0");

    std::string path = tempPath("second.wav");
    ASSERT_EQ(hx_logOutput(path.c_str()), 0);
    hx_playSFX(effect.data(), 5, 127, 127);
    render(240);
    hx_closeLog();
    EXPECT_EQ(soxInfo("-c", path), "2");
    EXPECT_EQ(soxInfo("-r", path), "48000");
    EXPECT_EQ(soxInfo("-b", path), "16");
    EXPECT_EQ(soxInfo("-s", path), "48000");
    EXPECT_EQ(soxInfo("-e", path), "Signed Integer PCM");
    // sox reads the audio back: the effect is loud, not silence.
    std::string stat = commandOutput("sox '" + path + "' -n stat 2>&1");
    EXPECT_EQ(statValue(stat, "Samples read:"), 96000.0) << stat;
    EXPECT_GT(statValue(stat, "Maximum amplitude:"), 0.1) << stat;
}

TEST_F(WavLogTest, PipesAndTerminalsAreRefused)
{
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
    EXPECT_LE(read(reader, &byte, 1), 0);  // nothing was written into it
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
    EXPECT_EQ(logState().stop, HX_LOG_WRITE_FAILED);  // still told after closing
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

}  // namespace
}  // namespace hosttest
