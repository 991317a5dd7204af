// bsplay as users run it: its messages and exit statuses, playing through SDL's disk driver,
// the WAV log, keys through a pseudo-terminal, and the demo script.
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

#include "cli_support.h"
#include "package_builder.h"

using namespace cli_support;
using namespace testing_packages;

namespace {

constexpr uint16_t kSampleLength = 30000;

// Sample 0: 30000 bytes of noise at 48000 Hz, pitched at 440 Hz.
Bytes noisePack()
{
    std::vector<int8_t> noise(kSampleLength);
    uint32_t seed = 0x2545F491u;
    for (int8_t& value : noise) {
        seed = seed * 1664525u + 1013904223u;
        value = int8_t(seed >> 24);
    }
    return samplePack({{noise}});
}

// Instrument 0: sample 0 looping at full volume until note-off.
Bytes heldInstrument()
{
    testing_images::Macro code;
    code.looping(0, kSampleLength).volume(127).loop(-1).wait(100).endloop();
    const uint32_t noteOff = code.here();
    code.end();
    return instrumentPack({{0, code, noteOff}});
}

// One channel on sample 0 at 7/8 speed for `ticks` ticks.
Bytes loopingEffect(uint32_t ticks)
{
    testing_images::Macro code;
    code.looping(0, kSampleLength).volume(100).frequency(0xE000).wait(ticks).end();
    return soundEffect({{0, code}});
}

// One track: `notes` notes of 24 ticks on `instrument`, then the end.
Bytes tune(uint32_t notes, uint8_t instrument = 0)
{
    testing_images::Music music;
    music.label("tune").use(instrument);
    for (uint32_t i = 0; i < notes; ++i)
        music.note(uint8_t(57 + i % 12), 24);
    music.noteOff().end();
    return bytesOf(music.build({{10, "tune"}}));
}

bool isSilent(const std::vector<uint8_t>& bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0; });
}

class BsplayCli : public ScratchTest {
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        writeBytes(dir / "demo.smp", noisePack());
        writeBytes(dir / "demo.ins", heldInstrument());
        writeBytes(dir / "song.mus", tune(10));
        writeBytes(dir / "boom.sfx", loopingEffect(48));
        writeBytes(dir / "click.sfx", loopingEffect(24));
    }

    // bsplay on SDL's audio driver `driver`, the device's output going to `deviceFile`.
    ToolRun bsplay(std::vector<std::string> args, const std::string& driver = "disk",
                   const std::string& deviceFile = "/dev/null", const std::string& wrapper = "") const
    {
        args.insert(args.begin(), {"demo.smp", "demo.ins"});
        return run(BSPLAY_PATH, args, environment(driver, deviceFile) + " " + wrapper);
    }
    static std::string environment(const std::string& driver, const std::string& deviceFile = "/dev/null")
    {
        return "SDL_AUDIODRIVER=" + quote(driver) + " SDL_DISKAUDIOFILE=" + quote(deviceFile);
    }
};

}  // namespace

TEST_F(BsplayCli, CommandLineErrorsShowTheUsage)
{
    ToolRun r = run(BSPLAY_PATH, {});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("give a sample pack and an instrument pack"), std::string::npos);
    EXPECT_NE(r.err.find("usage: bsplay"), std::string::npos);
    r = bsplay({"--frobnicate"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("unknown option --frobnicate"), std::string::npos);
    r = bsplay({"-e", "boom.sfx@0"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("bad effect priority"), std::string::npos);
    // Nothing to play without a terminal: said before a log is begun, so none is left behind.
    r = bsplay({"-w", "idle.wav"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("nothing to play"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "idle.wav"));
    r = run(BSPLAY_PATH, {"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("exit status"), std::string::npos);
}

// The checks themselves are tested on their own (test_package_check, test_package_file,
// test_priority_header); here, that bsplay runs them and stops with status 2.
TEST_F(BsplayCli, BadFilesAreNamedAndStopIt)
{
    writeBytes(dir / "cut.mus", {'B', 'M', 'U', 'S', 2, 0, 0, 0, 10, 13});
    writeText(dir / "fx.h", "#define BPRI_boom\t\t7\n");
    writeText(dir / "bad.h", "#define BPRI_boom\t\tloud\n");
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"missing.mus"}, "bsplay: Can't open file : missing.mus (No such file or directory)\n"},
        {{"demo.smp"}, "bsplay: Not a music track: it is a sample pack : demo.smp\n"},
        {{"cut.mus"}, "bsplay: Entry table runs past the end of the file (2 tracks need 18 bytes, the file has 10) "
                      ": cut.mus\n"},
        {{"-e", "song.mus"}, "bsplay: Not a sound effect: it is a music track : song.mus\n"},
        {{"-p", "fx.h", "-e", "click.sfx"},
         "bsplay: No BPRI_click for click.sfx (give one as FILE@PRIORITY) : fx.h\n"},
        {{"-p", "bad.h", "-e", "boom.sfx"},
         "bsplay: No usable priority for BPRI_boom on line 1 (it takes a whole number from -128 to 127) : bad.h\n"},
    };
    for (const auto& c : cases) {
        const ToolRun r = bsplay(c.args);
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_EQ(r.err, c.message);
    }
    // The packs given the wrong way round.
    const ToolRun r = run(BSPLAY_PATH, {"demo.ins", "demo.smp"}, environment("disk"));
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "bsplay: Not a sample pack: it is an instrument pack : demo.ins\n");
}

TEST_F(BsplayCli, WarnsButPlaysWhenPackagesDoNotMatch)
{
    writeBytes(dir / "other.mus", tune(2, 4));
    const ToolRun r = bsplay({"other.mus", "-q", "--seconds", "0.1"});
    EXPECT_EQ(r.status, 0) << r.err;
    // (SDL's disk driver says what it is doing after that.)
    EXPECT_EQ(r.err.rfind("bsplay: warning: Uses instrument 4, but the instrument pack has only 1 (were both built "
                          "from the same instruments file?) : other.mus\n",
                          0),
              0u)
        << r.err;
}

TEST_F(BsplayCli, NoSoundDeviceIsReportedWithItsOwnStatus)
{
    ToolRun r = bsplay({"song.mus"}, "halvex-no-such-driver");
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("no sound device: no sound output device could be opened"), std::string::npos) << r.err;

    r = run(PLAY_DEMO_PATH, {BSPLAY_PATH, "demo.smp", "demo.ins", "song.mus", "boom.sfx"},
            environment("halvex-no-such-driver"));
    EXPECT_EQ(r.status, 3);
    EXPECT_NE((r.out + r.err).find("play-demo: no sound device could be opened"), std::string::npos) << r.err;
}

TEST_F(BsplayCli, PlaysTheMusicToItsEndAndLogsIt)
{
    const auto started = std::chrono::steady_clock::now();
    const ToolRun r = bsplay({"song.mus", "-w", "out.wav"}, "disk", (dir / "device.raw").string());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("played 0:01."), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("wrote out.wav"), std::string::npos) << r.out;
    // The tune lasts 240 ticks: one second, played in real time.
    EXPECT_GE(seconds, 1.0);
    const std::vector<uint8_t> log = readBytes(dir / "out.wav");
    ASSERT_GT(log.size(), 44u + 192000u);
    EXPECT_EQ(bs_readU32(log.data() + 40), log.size() - 44);
    if (haveProgram("sox")) {
        const ToolRun info = run("sox", {"--i", "-s", "out.wav"});
        EXPECT_EQ(std::stoul(info.out), (log.size() - 44) / 4);
    }
    EXPECT_FALSE(isSilent(std::vector<uint8_t>(log.begin() + 44, log.end())));
    EXPECT_FALSE(isSilent(readBytes(dir / "device.raw")));
}

TEST_F(BsplayCli, WithoutATerminalTheEffectsPlayInTurn)
{
    writeText(dir / "fx.h", "#define BPRI_boom\t\t7\n#define BPRI_click\t\t-3\n");
    const ToolRun r = bsplay({"-q", "-p", "fx.h", "-e", "boom.sfx", "-e", "click.sfx", "-w", "fx.wav"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find("played"), std::string::npos) << r.out;  // quiet
    // 48 + 24 ticks of effects, one after the other.
    EXPECT_GT(readBytes(dir / "fx.wav").size(), 44u + 72u * 800u);
}

TEST_F(BsplayCli, StopsAfterTheGivenTimeAndOnInterrupt)
{
    ToolRun r = bsplay({"--seconds", "0.3"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("played 0:00."), std::string::npos) << r.out;

    // Interrupted while a long tune plays: the log is still finished.
    writeBytes(dir / "long.mus", tune(400));
    r = bsplay({"long.mus", "-w", "long.wav"}, "disk", "/dev/null", "timeout --preserve-status -s INT 0.6");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("interrupted"), std::string::npos) << r.out;
    const std::vector<uint8_t> log = readBytes(dir / "long.wav");
    ASSERT_GT(log.size(), 44u);
    EXPECT_EQ(bs_readU32(log.data() + 40), log.size() - 44);
}

// A WAV log named as one of the run's own inputs, however spelt, is refused before anything is
// written or played.
TEST_F(BsplayCli, RefusesALogThatWouldReplaceAnInput)
{
    writeText(dir / "fx.h", "#define BPRI_boom\t\t7\n");
    fs::create_symlink("song.mus", dir / "link.wav");
    fs::create_hard_link(dir / "boom.sfx", dir / "hard.wav");
    const struct {
        std::vector<std::string> args;
        std::string log;
        std::string input;
    } cases[] = {
        {{"-w", "demo.ins"}, "demo.ins", "demo.ins"},
        {{"-w", "./demo.smp"}, "./demo.smp", "demo.smp"},
        {{"song.mus", "-w", "link.wav"}, "link.wav", "song.mus"},
        {{"-e", "boom.sfx@5", "-w", "hard.wav"}, "hard.wav", "boom.sfx@5"},
        {{"-p", "fx.h", "-e", "boom.sfx", "-w", "fx.h"}, "fx.h", "fx.h"},
    };
    for (const auto& c : cases) {
        std::vector<std::vector<uint8_t>> before;
        for (const char* name : {"demo.smp", "demo.ins", "song.mus", "boom.sfx", "fx.h"})
            before.push_back(readBytes(dir / name));
        const ToolRun r = bsplay(c.args);
        EXPECT_EQ(r.status, 1) << c.log;
        const std::string input = c.input.substr(0, c.input.find('@'));
        EXPECT_EQ(r.err, "bsplay: the WAV log " + c.log + " would overwrite the input file " + input + "\n");
        std::vector<std::vector<uint8_t>> after;
        for (const char* name : {"demo.smp", "demo.ins", "song.mus", "boom.sfx", "fx.h"})
            after.push_back(readBytes(dir / name));
        EXPECT_EQ(before, after) << c.log;
    }
}

// On a full disk (here a file size limit) the log keeps what fitted, whole blocks with a true
// header, and bsplay says so and fails; a log with no audio in it is not left behind.
TEST_F(BsplayCli, ReportsALogThatAFullDiskCutShort)
{
    const struct {
        size_t room;
        std::string message;
        size_t kept;  // bytes of the log left, 0: none
    } cases[] = {
        {44 + 50 * 800 + 300, "bsplay: warning: the WAV log out.wav was cut short (File too large): it holds the first "
                              "0:00.20 of the 0:01.",
         44 + 50 * 800},
        {44 + 300, "bsplay: warning: the WAV log out.wav was removed: no audio could be written to it (File too large)",
         0},
        {30, "bsplay: cannot create the WAV log out.wav (File too large)", 0},
    };
    for (const auto& c : cases) {
        // SIGXFSZ ignored, so that writes fail as on a full disk; bsplay's output goes through a
        // pipe, which the limit does not cut, and its status follows it.
        const std::string script = "trap '' XFSZ; (prlimit --fsize=" + std::to_string(c.room) +
                                   " \"$@\" 2>&1; echo \"exit $?\") | cat";
        const ToolRun r = run("sh", {"-c", script, "sh", BSPLAY_PATH, "demo.smp", "demo.ins", "song.mus", "-w", "out.wav"},
                              environment("disk"));
        EXPECT_NE(r.out.find(c.message), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("\nexit 2\n"), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("wrote"), std::string::npos) << r.out;
        const std::vector<uint8_t> log = readBytes(dir / "out.wav");
        EXPECT_EQ(log.size(), c.kept);
        if (c.kept != 0) {
            EXPECT_EQ(bs_readU32(log.data() + 40), c.kept - 44);
            EXPECT_FALSE(isSilent(std::vector<uint8_t>(log.begin() + 44, log.end())));
        }
        fs::remove(dir / "out.wav");
    }
}

// bsplay on a pseudo-terminal: keys fire effects and quit, the status line shows.
TEST_F(BsplayCli, KeysInATerminal)
{
    int master = -1;
    const pid_t child = forkpty(&master, nullptr, nullptr, nullptr);
    ASSERT_GE(child, 0);
    if (child == 0) {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
        const std::string boom = (dir / "boom.sfx").string() + "@9";
        const std::string wav = (dir / "keys.wav").string();
        execl(BSPLAY_PATH, "bsplay", (dir / "demo.smp").c_str(), (dir / "demo.ins").c_str(), "-e", boom.c_str(),
              "-w", wav.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string screen;
    auto readFor = [&](int ms) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < until) {
            pollfd in{master, POLLIN, 0};
            if (poll(&in, 1, 20) > 0) {
                char chunk[512];
                const ssize_t got = read(master, chunk, sizeof chunk);
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
        FAIL() << "bsplay did not quit on q:\n"
               << screen;
    }
    close(master);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << screen;
    EXPECT_NE(screen.find("keys: 1-1 effects"), std::string::npos) << screen;
    EXPECT_NE(screen.find("busy 1/16"), std::string::npos) << screen;  // while boom plays
    EXPECT_NE(screen.find("ticks "), std::string::npos) << screen;
    const std::vector<uint8_t> log = readBytes(dir / "keys.wav");
    ASSERT_GT(log.size(), 44u);
    EXPECT_FALSE(isSilent(std::vector<uint8_t>(log.begin() + 44, log.end())));
}
