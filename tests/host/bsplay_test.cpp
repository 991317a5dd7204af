// bsplay from the outside: its messages and exit statuses, playing through
// SDL's disk driver, the WAV log, keys through a pseudo-terminal, and the
// demo script.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fake_host.h"
#include "formats/packages.h"

namespace hosttest {
namespace {

// A path in single quotes, for the shell.
std::string quote(const std::string& path)
{
    std::string quoted = "'";
    quoted += path;
    quoted += "'";
    return quoted;
}

struct Outcome {
    int status = -1;
    std::string out; // standard output and standard error together
};

// Runs a shell command line with SDL's driver chosen by `driver`.
Outcome runCommand(const std::string& command, const std::string& driver,
               const std::string& deviceFile = "/dev/null")
{
    std::string line = "SDL_AUDIODRIVER=" + quote(driver) + " SDL_DISKAUDIOFILE=" +
                       quote(deviceFile) + " " + command + " 2>&1; echo \"<status $?>\"";
    Outcome run;
    run.out = commandOutput(line);
    size_t at = run.out.rfind("<status ");
    if (at != std::string::npos) {
        run.status = std::atoi(run.out.c_str() + at + 8);
        run.out.erase(at);
    }
    return run;
}

class BsplayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = ::testing::TempDir() + "bsplay_" + std::to_string(getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_EQ(std::system(("mkdir -p " + quote(dir_)).c_str()), 0);
        ASSERT_TRUE(samplePack().save(file("demo.smp")));
        ASSERT_TRUE(instrumentPack().save(file("demo.ins")));
        ASSERT_TRUE(tune(10).save(file("song.mus")));
        ASSERT_TRUE(loopingEffect(48).save(file("boom.sfx")));
        ASSERT_TRUE(loopingEffect(24).save(file("click.sfx")));
    }
    void TearDown() override { std::system(("rm -rf " + quote(dir_)).c_str()); }
    std::string file(const std::string& name) { return dir_ + "/" + name; }
    std::string bsplay(const std::string& args) { return std::string(BSPLAY_PATH) + " " + args; }
    std::string packs() { return quote(file("demo.smp")) + " " + quote(file("demo.ins")); }

    std::string dir_;
};

TEST_F(BsplayTest, CommandLineErrorsShowTheUsage)
{
    Outcome run = runCommand(bsplay(""), "disk");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("give a sample pack and an instrument pack"), std::string::npos);
    EXPECT_NE(run.out.find("usage: bsplay"), std::string::npos);

    run = runCommand(bsplay(packs() + " --frobnicate"), "disk");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("unknown option --frobnicate"), std::string::npos);

    run = runCommand(bsplay(packs() + " -e boom.sfx@0"), "disk");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("bad effect priority"), std::string::npos);

    run = runCommand(bsplay("--help"), "disk");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("exit status"), std::string::npos);
}

TEST_F(BsplayTest, BadPackagesAreNamedClearly)
{
    Outcome run = runCommand(bsplay(quote(file("missing.smp")) + " " + quote(file("demo.ins"))),
                         "disk");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.out.find("cannot open " + file("missing.smp")), std::string::npos) << run.out;

    // The packs given the wrong way round.
    run = runCommand(bsplay(quote(file("demo.ins")) + " " + quote(file("demo.smp"))), "disk");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.out.find("is not a sample pack: it begins with \"BINS\", not \"BSMP\""),
              std::string::npos)
        << run.out;

    // A music track cut off inside its entry table.
    std::vector<uint8_t> cut = tune(4).bytes();
    cut.resize(10);
    ASSERT_TRUE(Image(cut).save(file("cut.mus")));
    run = runCommand(bsplay(packs() + " " + quote(file("cut.mus"))), "disk");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.out.find("is cut short"), std::string::npos) << run.out;

    // An effect whose priority the header does not give.
    std::FILE* header = std::fopen(file("fx.h").c_str(), "w");
    ASSERT_NE(header, nullptr);
    std::fputs("#define BPRI_boom\t\t7\n", header);
    std::fclose(header);
    run = runCommand(bsplay(packs() + " -p " + quote(file("fx.h")) + " -e " + quote(file("click.sfx")) +
                            " --seconds 0.1"),
                     "disk");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.out.find("gives no usable priority for BPRI_click"), std::string::npos)
        << run.out;
}

TEST_F(BsplayTest, NoSoundDeviceIsReportedWithItsOwnStatus)
{
    Outcome run = runCommand(bsplay(packs() + " " + quote(file("song.mus"))), "halvex-no-such-driver");
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.out.find("no sound device: no sound output device could be opened"),
              std::string::npos)
        << run.out;

    run = runCommand(std::string(PLAY_DEMO_PATH) + " " + BSPLAY_PATH + " " + packs() + " " +
                         quote(file("song.mus")) + " " + quote(file("boom.sfx")),
                     "halvex-no-such-driver");
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.out.find("play-demo: no sound device could be opened"), std::string::npos)
        << run.out;
}

TEST_F(BsplayTest, PlaysTheMusicToItsEndAndLogsIt)
{
    std::string wav = file("out.wav");
    auto started = std::chrono::steady_clock::now();
    Outcome run = runCommand(bsplay(packs() + " " + quote(file("song.mus")) + " -w " + quote(wav)), "disk",
                         file("device.raw"));
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("played 0:01."), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("wrote " + wav), std::string::npos) << run.out;
    // The tune lasts 240 ticks: one second, played in real time.
    EXPECT_GE(seconds, 1.0);
    std::vector<uint8_t> log = readFile(wav);
    ASSERT_GT(log.size(), 44u + 192000u);
    EXPECT_EQ(bs_readU32(log.data() + 40), log.size() - 44);
    std::string samples = commandOutput("sox --i -s " + quote(wav));
    EXPECT_EQ(std::stoul(samples), (log.size() - 44) / 4);
    EXPECT_FALSE(isSilent(std::vector<uint8_t>(log.begin() + 44, log.end())));
    EXPECT_FALSE(isSilent(readFile(file("device.raw"))));
}

TEST_F(BsplayTest, WithoutATerminalTheEffectsPlayInTurn)
{
    std::FILE* header = std::fopen(file("fx.h").c_str(), "w");
    ASSERT_NE(header, nullptr);
    std::fputs("#define BPRI_boom\t\t7\n#define BPRI_click\t\t-3\n", header);
    std::fclose(header);
    std::string wav = file("fx.wav");
    Outcome run = runCommand(bsplay(packs() + " -q -p " + quote(file("fx.h")) + " -e " +
                                       quote(file("boom.sfx")) + " -e " + quote(file("click.sfx")) +
                                       " -w " + quote(wav) + " </dev/null"),
                         "disk");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out.find("played"), std::string::npos) << run.out; // quiet
    // 48 + 24 ticks of effects, one after the other.
    std::vector<uint8_t> log = readFile(wav);
    ASSERT_GT(log.size(), 44u + 72u * 800u);
}

TEST_F(BsplayTest, StopsAfterTheGivenTimeAndOnInterrupt)
{
    Outcome run = runCommand(bsplay(packs() + " --seconds 0.3 </dev/null"), "disk");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("played 0:00."), std::string::npos) << run.out;

    // Interrupted while a long tune plays: the log is still finished.
    ASSERT_TRUE(tune(400).save(file("long.mus")));
    std::string wav = file("long.wav");
    run = runCommand("timeout --preserve-status -s INT 0.6 " + bsplay(packs() + " " + quote(file("long.mus")) + " -w " + quote(wav)),
                     "disk");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("interrupted"), std::string::npos) << run.out;
    std::vector<uint8_t> log = readFile(wav);
    ASSERT_GT(log.size(), 44u);
    EXPECT_EQ(bs_readU32(log.data() + 40), log.size() - 44);
}

// bsplay on a pseudo-terminal: keys fire effects and quit, the status line
// shows, and the terminal is left as it was found.
TEST_F(BsplayTest, KeysInATerminal)
{
    int master = -1;
    pid_t child = forkpty(&master, nullptr, nullptr, nullptr);
    ASSERT_GE(child, 0);
    if (child == 0) {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
        std::string boom = file("boom.sfx") + "@9";
        std::string wav = file("keys.wav");
        execl(BSPLAY_PATH, "bsplay", file("demo.smp").c_str(), file("demo.ins").c_str(), "-e",
              boom.c_str(), "-w", wav.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string screen;
    auto readFor = [&](int ms) {
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < until) {
            pollfd in{master, POLLIN, 0};
            if (poll(&in, 1, 20) > 0) {
                char chunk[512];
                ssize_t got = read(master, chunk, sizeof chunk);
                if (got <= 0)
                    break;
                screen.append(chunk, static_cast<size_t>(got));
            }
        }
    };
    readFor(500);
    ASSERT_EQ(write(master, "1", 1), 1);
    readFor(400);
    ASSERT_EQ(write(master, "q", 1), 1);
    readFor(500);
    int status = -1;
    pid_t reaped = 0;
    for (int i = 0; i < 200 && (reaped = waitpid(child, &status, WNOHANG)) == 0; ++i) {
        readFor(50);
        usleep(50000);
    }
    if (reaped != child) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        FAIL() << "bsplay did not quit on q:\n" << screen;
    }
    close(master);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << screen;
    EXPECT_NE(screen.find("keys: 1-1 effects"), std::string::npos) << screen;
    EXPECT_NE(screen.find("busy 1/16"), std::string::npos) << screen; // while boom plays
    EXPECT_NE(screen.find("ticks "), std::string::npos) << screen;
    std::vector<uint8_t> log = readFile(file("keys.wav"));
    ASSERT_GT(log.size(), 44u);
    EXPECT_FALSE(isSilent(std::vector<uint8_t>(log.begin() + 44, log.end())));
}

} // namespace
} // namespace hosttest
