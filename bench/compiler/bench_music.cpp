// Music of many blocks and calls across 16 channel scripts: parsing every
// script and linking the track, the work of "-mus" without the disk.
#include <string>
#include <vector>

#include "bench_support.h"
#include "compiler/linker.h"
#include "compiler/macros.h"
#include "compiler/music.h"

namespace {

constexpr int kChannels = 16;

struct GeneratedMusic {
    std::string instruments;
    std::vector<std::string> channels;
    size_t bytes = 0;
};

// `blocks` blocks in all, each holding one call to a block of the next
// channel's script, so that half the calls point forwards in the stream and
// the others backwards; every main block adds one call more.
GeneratedMusic generateMusic(int blocks)
{
    GeneratedMusic music;
    music.instruments = "lead\ns piano\n{\nvolume 127\nnoteoff\nvolume 0\nend\n}\n"
                        "bass\ns bass\n{\nvolume 100\nnoteoff\nend\n}\n";
    const int perChannel = blocks / kChannels;
    for (int c = 0; c < kChannels; ++c) {
        const std::string next = std::to_string((c + 1) % kChannels);
        std::string script = "main" + std::to_string(c) + " 10\n{\n  using lead\n  pan 100 80\n"
                                                          "  loop -1\n  call riff" +
                             std::to_string(c) + "_0\n  endloop\n  end\n}\n";
        for (int i = 0; i < perChannel; ++i) {
            script += "riff" + std::to_string(c) + "_" + std::to_string(i) + "\n{\n";
            script += "  using bass\n  c.4 12\n  wait 6\n  rest 6\n  pitch 0.100 -1\n  ds5 24\n";
            script += "  call riff" + next + "_" + std::to_string((i + 1) % perChannel) + "\n";
            script += "  return\n}\n";
        }
        music.bytes += script.size();
        music.channels.push_back(std::move(script));
    }
    music.bytes += music.instruments.size();
    return music;
}

void BM_MusicScripts(benchmark::State& state)
{
    setUpCompilerBench();
    const GeneratedMusic music = generateMusic(int(state.range(0)));
    for (auto _ : state) {
        FILE* instruments = openText(music.instruments);
        bool ok = parseMacroScript(instruments, "instruments.txt", false, true) == 0;
        std::fclose(instruments);
        for (size_t c = 0; ok && c < music.channels.size(); ++c) {
            FILE* script = openText(music.channels[c]);
            ok = parseMusicScript(script, "channel.txt") == 0;
            std::fclose(script);
        }
        ok = ok && linkMusicTrack(nullOutput(), "/dev/null") == 0;
        if (!ok)
            state.SkipWithError("compile failed");
        releaseMusic();
        releaseMacros();
    }
    reportThroughput(state, music.bytes, size_t(state.range(0)));
}

}  // namespace

// 10x the input should take about 10x the time: compare the two lines, or the
// BigO/RMS estimate over all three.
BENCHMARK(BM_MusicScripts)->Arg(10000)->Arg(100000)->Arg(1000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
