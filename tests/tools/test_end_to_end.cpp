// Scripts compiled by bscomp and rendered by bsrender, checked sample by sample against values
// worked out by hand from the engine's rules:
//   gain = (volume x level) >> 8, a music level = (attenuation x pan) >> 7,
//   a note's step = sample rate / (content frequency x 48000) x note frequency, truncated.
#include "cli_support.h"
#include "formats/packages.h"
#include "roundtrip_support.h"

using namespace cli_support;

namespace {

struct Wav {
    std::vector<int16_t> values;
    size_t frames() const { return values.size() / 2; }
    int left(size_t frame) const { return at(2 * frame); }
    int right(size_t frame) const { return at(2 * frame + 1); }
    int at(size_t index) const
    {
        if (index < values.size())
            return values[index];
        ADD_FAILURE() << "no value " << index << " in a render of " << values.size();
        return 0;
    }
};

class EndToEnd : public ScratchTest {
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        // ramp: 300 samples -50, -49, ... wrapping like int8; flat: 64 samples of 100.
        std::vector<uint8_t> ramp(300), flat(64, 100);
        for (size_t i = 0; i < ramp.size(); ++i)
            ramp[i] = uint8_t(int8_t(int(i) - 50));
        writeBytes(dir / "ramp.pcm", ramp);
        writeBytes(dir / "flat.pcm", flat);
        writeText(dir / "samples.txt",
                  "; both at 48000 Hz with a content of 440 Hz: a.5 plays them at one sample a frame\n"
                  "ramp: ramp.pcm (48000, 440)\n"
                  "flat: flat.pcm (48000, 440)\n");
        compile({"-smp", "demo.smp", "samples.txt"});
    }

    // Whatever a test compiled, bsinspect writes back as sources that compile to the same bytes.
    void TearDown() override
    {
        if (!HasFailure()) {
            std::vector<std::string> packages;
            for (const auto& entry : fs::directory_iterator(dir))
                if (entry.path().extension() == ".smp" || entry.path().extension() == ".ins" ||
                    entry.path().extension() == ".sfx" || entry.path().extension() == ".mus")
                    packages.push_back(entry.path().filename().string());
            roundtrip::expectRoundTrip(dir, packages, fs::exists(dir / "effects.h") ? "effects.h" : "");
        }
        ScratchTest::TearDown();
    }

    void compile(const std::vector<std::string>& args)
    {
        const ToolRun r = run(BSCOMP_PATH, args);
        ASSERT_EQ(r.status, 0) << r.out << r.err;
        ASSERT_EQ(r.err.find("ERROR- "), std::string::npos) << r.err;
    }

    Wav render(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"demo.smp", "demo.ins"});
        args.insert(args.end(), {"-o", "out.wav", "-q"});
        const ToolRun r = run(BSRENDER_PATH, args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        const std::vector<uint8_t> bytes = readBytes(dir / "out.wav");
        Wav wav;
        if (bytes.size() < 44)
            return wav;
        EXPECT_EQ(bs_readU32(bytes.data() + 40), bytes.size() - 44);
        for (size_t i = 44; i + 1 < bytes.size(); i += 2)
            wav.values.push_back(int16_t(bytes[i] | (bytes[i + 1] << 8)));
        return wav;
    }

    void instruments(const std::string& script)
    {
        writeText(dir / "instruments.txt", script);
        compile({"-ins", "demo.ins", "samples.txt", "instruments.txt"});
    }

    void effects(const std::string& script)
    {
        writeText(dir / "effects.txt", script);
        compile({"-sfx", "samples.txt", "effects.txt"});
    }

    void song(const std::vector<std::string>& channels)
    {
        std::vector<std::string> args = {"-mus", "song.mus", "instruments.txt"};
        for (size_t i = 0; i < channels.size(); ++i) {
            const std::string name = "channel" + std::to_string(i) + ".txt";
            writeText(dir / name, channels[i]);
            args.push_back(name);
        }
        compile(args);
    }

    static int rampAt(size_t index) { return int8_t(int(index) - 50); }
};

// An instrument that holds its note at full volume until released, then stops.
const char* const kHeldInstruments =
    "held\n"
    "    sample ramp\n"
    "    mode singleshot\n"
    "{\n"
    "    volume 127\n"
    "    loop -1\n"
    "    wait 240\n"
    "    endloop\n"
    "    noteoff\n"
    "    end\n"
    "}\n"
    "steady\n"
    "    sample flat\n"
    "    mode looping 0 64\n"
    "{\n"
    "    volume 127\n"
    "    loop -1\n"
    "    wait 240\n"
    "    endloop\n"
    "    noteoff\n"
    "    end\n"
    "}\n";

}  // namespace

TEST_F(EndToEnd, AnEffectPlaysItsSampleOnceAtOneSampleAFrame)
{
    instruments(kHeldInstruments);
    effects("blip 5\n"
            "    sample ramp\n"
            "    mode singleshot\n"
            "{\n"
            "    volume 127\n"
            "    frequency 1\n"
            "    wait 30\n"
            "    end\n"
            "}\n");
    const Wav wav = render({"-e", "blip.sfx@0,5,127,0"});
    // "wait 30" holds the channel; "end" frees it in the 31st tick.
    ASSERT_EQ(wav.frames(), 31u * 200u);
    // Gain (127 x 127) >> 8 = 63 on the left, 0 on the right.
    for (size_t k = 0; k < 300; ++k) {
        ASSERT_EQ(wav.left(k), rampAt(k) * 63) << k;
        ASSERT_EQ(wav.right(k), 0) << k;
    }
    for (size_t k = 300; k < wav.frames(); ++k)
        ASSERT_EQ(wav.left(k), 0) << k;
}

TEST_F(EndToEnd, EffectFrequencyIsTheStepAndVolumeSlidesStartAtOnce)
{
    instruments(kHeldInstruments);
    effects("half 7\n"
            "    sample ramp\n"
            "    mode singleshot\n"
            "{\n"
            "    volume 100 -1\n"
            "    frequency 0.32768     ; half a sample a frame\n"
            "    wait 2\n"
            "    end\n"
            "}\n");
    const Wav wav = render({"-e", "half.sfx@0,7,127,127"});
    ASSERT_EQ(wav.frames(), 3u * 200u);
    // The slide applies in the tick of the command: volume 99, then 98. Gains (99 x 127) >> 8
    // = 49 and (98 x 127) >> 8 = 48. At half a sample a frame, frame k plays sample k / 2.
    for (size_t k = 0; k < 200; ++k)
        ASSERT_EQ(wav.left(k), rampAt(k / 2) * 49) << k;
    for (size_t k = 200; k < 400; ++k)
        ASSERT_EQ(wav.right(k), rampAt(k / 2) * 48) << k;
    // "end" in the third tick silences it before that tick's frames.
    for (size_t k = 400; k < 600; ++k)
        ASSERT_EQ(wav.left(k), 0) << k;
}

TEST_F(EndToEnd, EffectPrioritiesComeFromTheGeneratedHeader)
{
    instruments(kHeldInstruments);
    effects("low 3\n"
            "    sample flat\n"
            "    mode looping 0 64\n"
            "{\n"
            "    volume 127\n"
            "    frequency 1\n"
            "    wait 20\n"
            "    end\n"
            "}\n");
    EXPECT_EQ(readText(dir / "effects.h"), "#define BPRI_low\t\t3\n");
    // 17 copies of one effect at once: 16 take a channel each, the 17th finds none free.
    std::vector<std::string> args = {"-p", "effects.h"};
    for (int i = 0; i < 17; ++i)
        args.insert(args.end(), {"-e", "low.sfx"});
    const Wav wav = render(args);
    ASSERT_EQ(wav.frames(), 21u * 200u);
    // 16 voices of 100 x 63 = 6300 each add up to 100800, beyond 16 bits: the engine clips.
    EXPECT_EQ(wav.left(0), 32767);
    // Six of them at half level fit: 6 x 100 x 31 = 18600.
    args = {"-p", "effects.h"};
    for (int i = 0; i < 6; ++i)
        args.insert(args.end(), {"-e", "low.sfx@0,,64,64"});
    EXPECT_EQ(render(args).right(5), 18600);
}

TEST_F(EndToEnd, AMusicNotePlaysThroughItsInstrumentAtTheNotesPitch)
{
    instruments(kHeldInstruments);
    song({"tune 10\n"
          "{\n"
          "    using held\n"
          "    a.5 24\n"
          "    rest 6\n"
          "    end\n"
          "}\n"});
    const Wav wav = render({"-m", "song.mus"});
    // The 440 Hz note on a 48000 Hz sample of 440 Hz steps 0xFFFF a frame (both tables
    // truncate), so frame k plays sample k - 1 and frame 0 sample 0. Level (127 x 127) >> 7 =
    // 126, gain (127 x 126) >> 8 = 62. The single-shot sample ends after frame 300.
    for (size_t k = 0; k <= 300; ++k) {
        ASSERT_EQ(wav.left(k), rampAt(k == 0 ? 0 : k - 1) * 62) << k;
        ASSERT_EQ(wav.right(k), wav.left(k)) << k;
    }
    // The rest releases the note at tick 24 (its release is "end"); the song's "end" follows
    // 6 ticks later and the render stops after that tick.
    EXPECT_EQ(wav.frames(), 31u * 200u);
}

TEST_F(EndToEnd, PanAndMusicVolumeSetTheLevels)
{
    instruments(kHeldInstruments);
    song({"tune 10\n"
          "{\n"
          "    using steady\n"
          "    pan 127 32\n"
          "    a.5 10\n"
          "    end\n"
          "}\n"});
    Wav wav = render({"-m", "song.mus"});
    // Levels (127 x 127) >> 7 = 126 and (127 x 32) >> 7 = 31; gains 62 and 15.
    EXPECT_EQ(wav.left(100), 100 * 62);
    EXPECT_EQ(wav.right(100), 100 * 15);
    wav = render({"-m", "song.mus", "-a", "64"});
    // Levels (64 x 127) >> 7 = 63 and (64 x 32) >> 7 = 16; gains 31 and 7.
    EXPECT_EQ(wav.left(100), 100 * 31);
    EXPECT_EQ(wav.right(100), 100 * 7);
    EXPECT_EQ(wav.frames(), 10u * 200u + 200u);
}

TEST_F(EndToEnd, CallsLoopsAndBreakAcrossChannels)
{
    instruments(kHeldInstruments);
    // Channel 0 lets 100 ticks pass, then breaks. Channel 1 loops for ever inside a block
    // defined in channel 0's script, until the break sends it on to its last note.
    song({"leader 10\n"
          "{\n"
          "    wait 100\n"
          "    break\n"
          "    end\n"
          "}\n"
          "pulse\n"
          "{\n"
          "    loop -1\n"
          "    a.5 20\n"
          "    rest 20\n"
          "    endloop\n"
          "}\n",
          "follower 10\n"
          "{\n"
          "    using steady\n"
          "    call pulse\n"
          "    pan 0 127\n"
          "    a.5 50\n"
          "    end\n"
          "}\n"});
    const Wav wav = render({"-m", "song.mus"});
    // Ticks 0-19 sound, 20-39 are released (silent), 40-59 sound, ... on both sides; from the
    // break at tick 100 the last note sounds on the right only, for 50 ticks.
    auto tickLevel = [&](size_t tick, bool left) { return left ? wav.left(tick * 200 + 10) : wav.right(tick * 200 + 10); };
    for (size_t tick = 0; tick < 100; ++tick) {
        const int expected = (tick / 20) % 2 == 0 ? 100 * 62 : 0;
        ASSERT_EQ(tickLevel(tick, true), expected) << tick;
    }
    for (size_t tick = 100; tick < 150; ++tick) {
        ASSERT_EQ(tickLevel(tick, true), 0) << tick;
        ASSERT_EQ(tickLevel(tick, false), 100 * 62) << tick;
    }
    EXPECT_EQ(wav.frames(), 151u * 200u);
}

TEST_F(EndToEnd, PitchOffsetsAddToTheNotesStep)
{
    instruments(kHeldInstruments);
    // An offset of 1.0 on top of the note's 0xFFFF: 0x1FFFF, almost two samples a frame.
    song({"tune 10\n"
          "{\n"
          "    using held\n"
          "    pitch 1 0\n"
          "    a.5 4\n"
          "    end\n"
          "}\n"});
    const Wav wav = render({"-m", "song.mus"});
    // Frame k reads sample floor(k x 0x1FFFF / 65536) = 2k - 1 (frame 0 sample 0).
    for (size_t k = 0; k < 150; ++k)
        ASSERT_EQ(wav.left(k), rampAt(k == 0 ? 0 : 2 * k - 1) * 62) << k;
    // The sample ends after reading its last index: from frame 150 on it is silent.
    for (size_t k = 151; k < wav.frames(); ++k)
        ASSERT_EQ(wav.left(k), 0) << k;
}

TEST_F(EndToEnd, PitchSlidesChangeTheStepEveryTick)
{
    instruments(kHeldInstruments);
    // The offset starts at 0 and grows by 1024/65536 a tick, from the tick of the command on.
    song({"tune 10\n"
          "{\n"
          "    using held\n"
          "    pitch 0 0.1024\n"
          "    a.5 4\n"
          "    end\n"
          "}\n"});
    const Wav wav = render({"-m", "song.mus"});
    // Tick t plays at the step 0xFFFF + 1024 x (t + 1); the phase carries over from tick to
    // tick, and the single-shot voice stops once it has read the last of its 300 samples.
    uint32_t phase = 0;
    size_t frame = 0;
    for (uint32_t tick = 0; tick < 4 && (phase >> 16) < 300; ++tick) {
        const uint32_t step = 0xFFFF + 1024 * (tick + 1);
        for (int k = 0; k < 200 && (phase >> 16) < 300; ++k, ++frame) {
            ASSERT_EQ(wav.left(frame), rampAt(phase >> 16) * 62) << frame;
            phase += step;
        }
    }
    EXPECT_GT(frame, 250u);
    EXPECT_LT(frame, 300u);
    for (; frame < wav.frames(); ++frame)
        ASSERT_EQ(wav.left(frame), 0) << frame;
}
