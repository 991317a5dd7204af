// Runs the benchmark's workload for a fixed number of ticks, for counting
// instructions under callgrind (see callgrind.sh).  Prints how many
// voice-frames the ticks mixed.
#include <cstdio>
#include <cstdlib>

#include "scenario.h"

int main(int argc, char** argv)
{
    const long ticks = argc > 1 ? std::atol(argv[1]) : 2000;
    BusyScenario scenario;
    int16_t block[BS_BLOCK_VALUES];
    long long voiceFrames = 0;
    long long checksum = 0;
    for (long t = 0; t < ticks; ++t) {
        bs_update(block);
        // Voices still sounding after the tick mixed all of its frames;
        // those that ended within it are not counted (so the count errs low
        // and the per-frame figure high).
        voiceFrames += scenario.soundingVoices() * BS_FRAMES_PER_TICK;
        checksum += block[t % BS_BLOCK_VALUES];
        scenario.keepPlaying();
    }
    std::printf("ticks %ld voice-frames %lld checksum %lld\n", ticks, voiceFrames, checksum);
    return 0;
}
