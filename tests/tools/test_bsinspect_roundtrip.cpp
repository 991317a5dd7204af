// bsinspect's disassembly compiled again by bscomp gives the same packages, byte for byte: the
// demo, the compiler's test scripts, and scripts that use every corner of the languages.
#include <algorithm>

#include "roundtrip_support.h"

using namespace cli_support;
using roundtrip::expectRoundTrip;

namespace {

class RoundTrip : public ScratchTest {
protected:
    void compile(const std::vector<std::string>& args)
    {
        const ToolRun r = run(BSCOMP_PATH, args);
        ASSERT_EQ(r.status, 0) << r.out << r.err;
    }

    // The sound effects bscomp wrote into the scratch folder.
    std::vector<std::string> effectFiles() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.path().extension() == ".sfx")
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

// Instruments for music compiled without their pack: every number music can use.
std::string numberedInstruments()
{
    std::string text;
    for (int i = 0; i < 256; ++i)
        text += "instrument_" + std::to_string(i) + "\n{\n{\n}\n}\n";
    return text;
}

TEST_F(RoundTrip, TheDemo)
{
    fs::create_directory(dir / "samples");
    ASSERT_EQ(run(BS_MAKE_SAMPLES_PATH, {(dir / "samples").string()}).status, 0);
    const fs::path demo = DEMO_SOURCE_DIR;
    for (const char* name : {"samples.txt", "instruments.txt", "effects.txt"})
        fs::copy_file(demo / name, dir / name);
    std::vector<std::string> mus = {"-mus", "song.mus", "instruments.txt"};
    fs::create_directory(dir / "song");
    for (const auto& entry : fs::directory_iterator(demo / "song")) {
        fs::copy_file(entry.path(), dir / "song" / entry.path().filename());
        mus.push_back("song/" + entry.path().filename().string());
    }
    std::sort(mus.begin() + 3, mus.end());
    compile({"-smp", "demo.smp", "samples.txt"});
    compile({"-ins", "demo.ins", "samples.txt", "instruments.txt"});
    compile({"-sfx", "samples.txt", "effects.txt"});
    compile(mus);
    std::vector<std::string> packages = {"demo.smp", "demo.ins", "song.mus"};
    for (const std::string& effect : effectFiles())
        packages.push_back(effect);
    ASSERT_GT(packages.size(), 3u);
    expectRoundTrip(dir, packages, "effects.h");
}

// The scripts of the compiler's fuzz corpus, each compiled the way its fuzz target reads it:
// macro scripts after a byte that picks the dialect, music as an instruments file and channel
// scripts between lines "----". Those bscomp refuses are passed over.
TEST_F(RoundTrip, TheCompilersTestScripts)
{
    writeText(dir / "samples.txt", "piano piano.raw 22050 261.63\nbass bass.raw 8000 55 0 100\n"
                                   "drum piano.raw 11025 440\nflute bass.raw 44100 880\n");
    writeBytes(dir / "piano.raw", std::vector<uint8_t>(3000, 7));
    writeBytes(dir / "bass.raw", std::vector<uint8_t>(200, 250));
    compile({"-smp", "t.smp", "samples.txt"});
    int rebuilt = 0;
    for (const auto& entry : fs::directory_iterator(fs::path(COMPILER_CORPUS_DIR) / "fuzz_macros")) {
        const std::string bytes = readText(entry.path());
        if (bytes.empty() || (bytes[0] & 2))
            continue;  // sample lookup off: instruments of music, which has no pack of them
        const bool effects = bytes[0] & 1;
        for (const auto& old : fs::directory_iterator(dir))
            if (old.path().extension() == ".sfx")
                fs::remove(old.path());
        writeText(dir / "script.txt", bytes.substr(1));
        const ToolRun r = effects ? run(BSCOMP_PATH, {"-sfx", "samples.txt", "script.txt"})
                                  : run(BSCOMP_PATH, {"-ins", "t.ins", "samples.txt", "script.txt"});
        if (r.status != 0)
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        std::vector<std::string> packages = {"t.smp"};
        for (const std::string& effect : effects ? effectFiles() : std::vector<std::string>{"t.ins"})
            packages.push_back(effect);
        expectRoundTrip(dir, packages, effects ? "script.h" : "");
        ++rebuilt;
    }
    for (const auto& entry : fs::directory_iterator(fs::path(COMPILER_CORPUS_DIR) / "fuzz_music")) {
        std::string text = readText(entry.path());
        std::vector<std::string> args = {"-mus", "t.mus", "part0.txt"};
        for (size_t part = 0, at = 0;; ++part) {
            const size_t separator = text.find("\n----\n", at);
            writeText(dir / ("part" + std::to_string(part) + ".txt"), text.substr(at, separator - at + 1));
            if (part > 0)
                args.push_back("part" + std::to_string(part) + ".txt");
            if (separator == std::string::npos)
                break;
            at = separator + 6;
        }
        if (args.size() < 4 || run(BSCOMP_PATH, args).status != 0)
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        expectRoundTrip(dir, {"t.mus"}, "", {{"instruments.txt", numberedInstruments()}});
        ++rebuilt;
    }
    EXPECT_GE(rebuilt, 4);
}

struct Sources {
    const char* what;
    const char* samples;                // a descriptor of the PCM files made below
    const char* instruments;            // an instrument script, or null
    const char* effects;                // a sound-effect script, or null
    std::vector<const char*> channels;  // music scripts (with the instruments)
};

// Every corner that bsinspect must find a way to write: wait runs that only a "noteoff" or a
// "sample" line keeps apart, commands with nothing to emit, samples sharing files at offsets,
// blocks nothing calls, main blocks without code, calls back and forth, releases and ends.
const Sources kCorners[] = {
    {"samples on shared files, at offsets, and longer than an offset reaches",
     "kick:   kick.raw   (22050, 261.63)\n"
     "snare:  snare.raw  (22050, 440)\n"
     "hat:    snare.raw  (22050, 440)   [1200, 1800]\n"
     "bass:   bass.raw   (8000.5, 55)   [0, 4000]\n"
     "big:    big.raw    (22050.5, 1e3)\n"
     "part:   big.raw    (11025, 3.3)   [100, 200]\n"
     "tail:   big.raw    (11025, 3.3)   [30000]\n"
     "head:   kick.raw   (1.00002, 65535.99) [2999]\n",
     nullptr,
     nullptr,
     {}},
    {"instruments: waits kept apart by noteoff, joined waits, no code, no sample",
     "kick: kick.raw 22050 261.63\nsnare: snare.raw 22050 440\n",
     "lead\n    sample kick\n{\n    wait 268435455\n    noteoff\n    wait 5\n    end\n}\n"
     "pad\n{\n    sample snare\n    {\n        volume 100 -1.128\n        frequency -1.32768 0.5\n"
     "        wait 100\n        rest 100\n        loop 3\n        wait 0\n        endloop\n    }\n}\n"
     "empty\n{\n    {\n    }\n}\n"
     "early\n    sample snare\n{\n    noteoff\n    mode singleshot\n    volume 255 -128\n}\n"
     "late\n    sample kick\n{\n    mode looping 0 32768\n    wait 7\n    noteoff\n}\n",
     nullptr,
     {}},
    {"effects: a sample line between two waits, channels without samples",
     "kick: kick.raw 22050 261.63\nsnare: snare.raw 22050 440\n",
     nullptr,
     "boom -5\n{\n    {\n        wait 268435455\n        sample snare\n        wait 5\n"
     "        mode singleshot\n        end\n    }\n    sample kick\n    mode looping 0 32768\n"
     "    {\n        volume 3\n        wait 3\n    }\n    {\n        frequency $FFFF.FFFF $-1.0\n    }\n}\n"
     "click 0\n{\n    {\n    }\n}\n"
     "zap\n    sample kick\n{\n    volume -1 -0.1\n    frequency 32767.65535 -32768\n    end\n}\n",
     {}},
    {"music: notes, rests and ends, blocks without a main one, calls back and forth",
     "kick: kick.raw 22050 261.63\n",
     "lead\n    sample kick\n{\n    volume 90\n    noteoff\n    end\n}\n"
     "other\n    sample kick\n{\n    end\n}\n",
     nullptr,
     {"main 10\n{\n    using lead\n    c.4 12\n    wait 3\n    rest 12\n    c.5 0\n    rest 0\n"
      "    g.10 268435455\n    end\n}\ntail\n{\n    wait 5\n}\n",
      "start\n{\n    wait 3\n    call later\n    call tail\n    c.0 1\n    priority 0\n    c.0 1\n"
      "    end\n    return\n}\n",
      "m2 -128\n{\n}\n",
      "m3 127\n{\n    loop -128\n    call start\n    break\n    pitch -32768 32767.65535\n"
      "    pan -128 127\n    using other\n    endloop\n}\nlater\n{\n    return\n}\natend\n{\n}\n"}},
    {"music: main blocks at the same place, a call to the end, waits across blocks",
     "kick: kick.raw 22050 261.63\n",
     "lead\n    sample kick\n{\n    end\n}\n",
     nullptr,
     {"first 1\n{\n}\n",
      "second 2\n{\n    wait 268435455\n}\nnext\n{\n    wait 268435455\n}\nlast\n{\n    wait 1\n    call void\n}\n",
      "third 3\n{\n    call void\n    c.4 268435455\n}\nalso\n{\n    wait 9\n    rest 1\n}\nvoid\n{\n}\n"}},
};

TEST_F(RoundTrip, EveryCornerOfTheLanguages)
{
    std::vector<uint8_t> big(40000);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = uint8_t(i * 11);
    writeBytes(dir / "kick.raw", std::vector<uint8_t>(3000, 0x11));
    writeBytes(dir / "snare.raw", std::vector<uint8_t>(2000, 0x22));
    writeBytes(dir / "bass.raw", std::vector<uint8_t>(6000, 0x33));
    writeBytes(dir / "big.raw", big);
    for (const Sources& sources : kCorners) {
        SCOPED_TRACE(sources.what);
        for (const auto& old : fs::directory_iterator(dir))
            if (old.path().extension() == ".sfx")
                fs::remove(old.path());
        writeText(dir / "samples.txt", sources.samples);
        compile({"-smp", "t.smp", "samples.txt"});
        std::vector<std::string> packages = {"t.smp"};
        if (sources.instruments) {
            writeText(dir / "instruments.txt", sources.instruments);
            compile({"-ins", "t.ins", "samples.txt", "instruments.txt"});
            packages.push_back("t.ins");
        }
        if (sources.effects) {
            writeText(dir / "effects.txt", sources.effects);
            compile({"-sfx", "samples.txt", "effects.txt"});
            for (const std::string& effect : effectFiles())
                packages.push_back(effect);
        }
        if (!sources.channels.empty()) {
            std::vector<std::string> args = {"-mus", "t.mus", "instruments.txt"};
            for (size_t c = 0; c < sources.channels.size(); ++c) {
                args.push_back(std::string("c").append(std::to_string(c)).append(".txt"));
                writeText(dir / args.back(), sources.channels[c]);
            }
            compile(args);
            packages.push_back("t.mus");
        }
        expectRoundTrip(dir, packages, sources.effects ? "effects.h" : "");
    }
}

}  // namespace
