// Runs a workload for a fixed number of ticks, for counting instructions
// under callgrind (see callgrind.sh).  Prints how many voice-frames the
// ticks mixed.
//
//   engine_update_profile [ticks] [effects | notes | steps-to-1.0 | steps-above-1.0 | short-loops]
//                         [bs_update | scalar | ssse3 | avx2 | neon]
//
// The effects run only through bs_update; notes also through the mixer
// linked on its own, at a chosen level (counted in profiledTick).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/mixer_levels.h"
#include "notes.h"
#include "scenario.h"
#include "tests/engine/mix_tick.h"

namespace {

int sounding(const Voice* voices)
{
    int n = 0;
    for (int i = 0; i < BS_CHANNELS; ++i)
        n += voices[i].mode != 0;
    return n;
}

[[noreturn]] void usage()
{
    std::fprintf(stderr, "usage: engine_update_profile [ticks] [effects|notes|steps-to-1.0|steps-above-1.0|short-loops] "
                         "[bs_update|scalar|ssse3|avx2|neon]\n");
    std::exit(2);
}

}  // namespace

// One tick of the mixer at the chosen level: what callgrind.sh counts
// besides bs_update.
extern "C" __attribute__((noinline)) void profiledTick(Voice* voices, int16_t* block)
{
    mixTick(voices, BS_CHANNELS, block);
}

int main(int argc, char** argv)
{
    const long ticks = argc > 1 ? std::atol(argv[1]) : 2000;
    const std::string workload = argc > 2 ? argv[2] : "effects";
    const std::string path = argc > 3 ? argv[3] : "bs_update";
    if (ticks <= 0)
        usage();
    int16_t block[BS_BLOCK_VALUES];
    long long voiceFrames = 0;
    long long checksum = 0;
    // Voices still sounding after the tick mixed all of its frames; those
    // that ended within it are not counted (so the count errs low and the
    // per-frame figure high).
    auto count = [&](const Voice* voices, long t) {
        voiceFrames += sounding(voices) * BS_FRAMES_PER_TICK;
        checksum += block[t % BS_BLOCK_VALUES];
    };
    if (workload == "effects") {
        if (path != "bs_update")
            usage();
        BusyScenario scenario;
        Voice* voices = nullptr;
        bs_getState(&voices, nullptr, nullptr);
        for (long t = 0; t < ticks; ++t) {
            bs_update(block);
            count(voices, t);
            scenario.keepPlaying();
        }
    } else {
        const NoteRange* range = nullptr;
        for (const NoteRange& r : kNoteRanges)
            if (workload == r.name)
                range = &r;
        if (range == nullptr)
            usage();
        NoteWorkload notes(*range);
        if (path == "bs_update") {
            Voice* voices = engineVoicesForNotes();
            for (long t = 0; t < ticks; ++t) {
                notes.tick(voices);
                bs_update(block);
                count(voices, t);
            }
        } else {
            bool known = false;
            for (brimsel::MixerLevel level : brimsel::kMixerLevels)
                if (path == brimsel::mixerLevelName(level)) {
                    known = true;
                    if (!brimsel::useMixerLevel(level)) {
                        std::fprintf(stderr, "no %s level in this build or on this processor\n", path.c_str());
                        return 1;
                    }
                }
            if (!known)
                usage();
            Voice voices[BS_CHANNELS] = {};
            for (long t = 0; t < ticks; ++t) {
                notes.tick(voices);
                profiledTick(voices, block);
                count(voices, t);
            }
        }
    }
    std::printf("ticks %ld voice-frames %lld checksum %lld\n", ticks, voiceFrames, checksum);
    return 0;
}
