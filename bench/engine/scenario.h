// The benchmark's workload: all 16 channels playing sound effects, half of
// them looping and half single-shot (started again whenever they end), at
// steps between 0.5 and 2.0.
#ifndef BRIMSEL_BENCH_SCENARIO_H
#define BRIMSEL_BENCH_SCENARIO_H

#include <cstdint>
#include <vector>

#include "engine/engine.h"

class BusyScenario {
public:
    // Builds the packages and adopts them; the engine then plays them from
    // the first bs_update on.
    BusyScenario();
    // Starts again the single-shot effects whose channel has gone idle.
    void keepPlaying();
    // Voices sounding right now (each mixes 200 frames in a full tick).
    int soundingVoices() const;

private:
    std::vector<uint32_t> samples_;
    std::vector<uint32_t> instruments_;
    std::vector<std::vector<uint32_t>> effects_;
    MacroChannel* channels_ = nullptr;
    Voice* voices_ = nullptr;
};

#endif
