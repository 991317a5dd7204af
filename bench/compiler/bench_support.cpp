#include "bench_support.h"

#include <cstdlib>

#include "compiler/messages.h"
#include "compiler/samples.h"

void setUpCompilerBench()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    setMessageStreams(nullOutput(), nullOutput());
    static const std::string descriptor = "piano piano.raw 22050 261.63\nbass bass.raw 8000 55\n";
    FILE* file = openText(descriptor);
    if (parseSampleDescriptor(file, "samples.txt") != 0)
        std::abort();
    std::fclose(file);
}

FILE* openText(const std::string& text)
{
    FILE* file = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    if (!file)
        std::abort();
    return file;
}

FILE* nullOutput()
{
    static FILE* sink = std::fopen("/dev/null", "wb");
    return sink;
}

void reportThroughput(benchmark::State& state, size_t scriptBytes, size_t items)
{
    // Shown as "MB_script=<megabytes of script per second>/s".
    state.counters["MB_script"] = benchmark::Counter(double(scriptBytes) / 1e6,
                                                     benchmark::Counter::kIsIterationInvariantRate);
    state.counters["script_MB"] = double(scriptBytes) / 1e6;
    state.SetComplexityN(int64_t(items));
}
