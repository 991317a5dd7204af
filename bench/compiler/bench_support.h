// Helpers shared by the compiler benchmarks: in-memory sources, a sink for
// output files, and the throughput counters every benchmark reports.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

// Silences the compiler's messages and parses a small sample descriptor once.
void setUpCompilerBench();

// A read-only stream over `text`; the caller closes it.
FILE* openText(const std::string& text);

// A stream that discards what is written to it.
FILE* nullOutput();

// Reports the script's size, the throughput in megabytes of script per second,
// and the item count for the growth estimate (BigO and RMS lines).
void reportThroughput(benchmark::State& state, size_t scriptBytes, size_t items);
