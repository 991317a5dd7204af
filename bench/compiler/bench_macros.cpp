// Macro scripts with many macros: parsing plus building the packages, the work
// of "-ins" and "-sfx" without the disk.
#include <string>

#include "bench_support.h"
#include "compiler/macro_writers.h"
#include "compiler/macros.h"

namespace {

std::string instrumentScript(int count)
{
    std::string script;
    for (int i = 0; i < count; ++i) {
        script += "lead" + std::to_string(i) + "\n";
        script += "{\n  sample piano\n  mode looping 0 1000\n  {\n    volume 127 -1.128\n"
                  "    frequency 0.512 1\n    wait 10\n    w 5\n    noteoff\n    volume 64 -2\n"
                  "    wait 20\n    end\n  }\n}\n";
    }
    return script;
}

std::string soundEffectScript(int count)
{
    std::string script;
    for (int i = 0; i < count; ++i) {
        script += "effect" + std::to_string(i) + " " + std::to_string(i % 100) + "\n";
        script += "{\n  sample bass\n  mode singleshot\n  {\n    volume 127\n    frequency 1.0 -16\n"
                  "    loop 4\n    wait 3\n    endloop\n    end\n  }\n  {\n    sample piano\n"
                  "    volume 90 -1\n    wait 30\n    end\n  }\n}\n";
    }
    return script;
}

void BM_InstrumentScript(benchmark::State& state)
{
    setUpCompilerBench();
    const std::string script = instrumentScript(int(state.range(0)));
    for (auto _ : state) {
        FILE* file = openText(script);
        if (parseMacroScript(file, "instruments.txt", false, false) != 0 ||
            writeInstrumentPack(nullOutput(), "/dev/null") != 0)
            state.SkipWithError("compile failed");
        std::fclose(file);
        releaseMacros();
    }
    reportThroughput(state, script.size(), size_t(state.range(0)));
}

void BM_SoundEffectScript(benchmark::State& state)
{
    setUpCompilerBench();
    const std::string script = soundEffectScript(int(state.range(0)));
    for (auto _ : state) {
        FILE* file = openText(script);
        if (parseMacroScript(file, "effects.txt", true, false) != 0)
            state.SkipWithError("compile failed");
        for (uint32_t i = 0; i < macroCount(); ++i) {
            uint8_t* image = nullptr;
            uint32_t size = 0;
            if (buildSoundEffect(i, &image, &size) != 0)
                state.SkipWithError("build failed");
            benchmark::DoNotOptimize(image);
            free(image);
        }
        std::fclose(file);
        releaseMacros();
    }
    reportThroughput(state, script.size(), size_t(state.range(0)));
}

}  // namespace

BENCHMARK(BM_InstrumentScript)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(BM_SoundEffectScript)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
