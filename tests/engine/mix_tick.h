// The mixing half of bs_update, on voices of the caller's, through the mixer
// linked on its own (whose level the tests and benchmarks can choose).
#ifndef BRIMSEL_TESTS_MIX_TICK_H
#define BRIMSEL_TESTS_MIX_TICK_H

#include <cstring>

#include "engine/mixer.h"

// Mixes every sounding voice of `voices` in order into `block`.
inline void mixTick(Voice* voices, int count, int16_t* block)
{
    static brimsel::MixBuffer mix;
    mix.clear();
    bool mixed = false;
    for (int i = 0; i < count; ++i)
        if (voices[i].mode != 0) {
            brimsel::mixVoice(voices[i], mix);
            mixed = true;
        }
    if (mixed)
        brimsel::writeBlock(mix, block);
    else
        std::memset(block, 0, BS_BLOCK_BYTES);
}

#endif
