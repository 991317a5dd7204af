// The mixer's reference: the straightforward loop, one frame at a time with
// the end and wrap checks inside, summed in wide integers and saturated.
// The engine's mixer must give the same block and leave the same voices.
#ifndef BRIMSEL_TESTS_REFERENCE_MIXER_H
#define BRIMSEL_TESTS_REFERENCE_MIXER_H

#include <algorithm>
#include <cstdint>

#include "engine/engine.h"

inline int32_t referenceGain(int8_t volume, int8_t level)
{
    return static_cast<int8_t>(static_cast<int16_t>(volume * level) >> 8);
}

inline void referenceMix(Voice* voices, int16_t* block)
{
    int32_t left[BS_FRAMES_PER_TICK] = {};
    int32_t right[BS_FRAMES_PER_TICK] = {};
    for (int i = 0; i < BS_CHANNELS; ++i) {
        Voice& v = voices[i];
        if (v.mode == 0)
            continue;
        const int32_t gainLeft = referenceGain(v.volume, v.panLeft);
        const int32_t gainRight = referenceGain(v.volume, v.panRight);
        const uint32_t length = v.length;
        const uint32_t loopStart = static_cast<uint16_t>(v.loopStart);
        const uint32_t loopEnd = std::min<uint32_t>(static_cast<uint16_t>(v.loopEnd), length);
        const bool looping = v.mode == 2 && loopStart < loopEnd;
        for (int k = 0; k < BS_FRAMES_PER_TICK; ++k) {
            if ((v.phase >> 16) >= length) {
                if (!looping) {
                    v.mode = 0;
                    v.phaseAdjust = 0;
                    break;
                }
                while ((v.phase >> 16) >= loopEnd)
                    v.phase -= (loopEnd - loopStart) << 16;
            }
            const int32_t s = v.data[v.phase >> 16];
            left[k] += s * gainLeft;
            right[k] += s * gainRight;
            v.phase += v.phaseAdjust;
            if (!looping) {
                if ((v.phase >> 16) >= length) {
                    v.mode = 0;
                    v.phaseAdjust = 0;
                    break;
                }
            } else {
                while ((v.phase >> 16) >= loopEnd)
                    v.phase -= (loopEnd - loopStart) << 16;
            }
        }
    }
    for (int k = 0; k < BS_FRAMES_PER_TICK; ++k) {
        block[2 * k] = static_cast<int16_t>(std::clamp(left[k], -32768, 32767));
        block[2 * k + 1] = static_cast<int16_t>(std::clamp(right[k], -32768, 32767));
    }
}

#endif
