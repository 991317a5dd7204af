#include "engine/mixer.h"

namespace brimsel {

namespace {

// (volume x level) >> 8, formed in 16 bits and taken as int8.
int32_t gain(int8_t volume, int8_t level)
{
    return static_cast<int8_t>(static_cast<int16_t>(volume * level) >> 8);
}

// Adds `count` frames read at pos, pos + step, ...; the caller has made
// sure that none of these positions reaches the voice's next event.
uint32_t addFrames(int64_t* mix, const int8_t* data, uint32_t pos, uint32_t step, int64_t gains,
                   uint32_t count)
{
    uint32_t k = 0;
    for (; k + 4 <= count; k += 4) {
        mix[k] += data[pos >> 16] * gains;
        pos += step;
        mix[k + 1] += data[pos >> 16] * gains;
        pos += step;
        mix[k + 2] += data[pos >> 16] * gains;
        pos += step;
        mix[k + 3] += data[pos >> 16] * gains;
        pos += step;
    }
    for (; k < count; ++k) {
        mix[k] += data[pos >> 16] * gains;
        pos += step;
    }
    return pos;
}

int16_t saturate(int64_t value)
{
    return static_cast<int16_t>(value < -32768 ? -32768 : value > 32767 ? 32767 : value);
}

} // namespace

void mixVoice(Voice& v, int64_t mix[kFrames])
{
    const int64_t gains = gain(v.volume, v.panLeft) + gain(v.volume, v.panRight) * (int64_t{1} << 32);
    const uint32_t length = v.length;
    const uint32_t step = v.phaseAdjust;
    uint32_t pos = v.phase;

    // A loop never reaches past the sample; one that has nothing left inside
    // it plays the sample once, like a single-shot.
    uint32_t loopStart = static_cast<uint16_t>(v.loopStart);
    uint32_t loopEnd = static_cast<uint16_t>(v.loopEnd);
    if (loopEnd > length)
        loopEnd = length;
    const bool looping = v.mode == 2 && loopStart < loopEnd;
    const uint32_t loopLength = loopEnd - loopStart;
    // The event ahead: the end of the sample, or of the loop.
    const uint64_t eventAt = uint64_t{looping ? loopEnd : length} << 16;
    const uint64_t lengthAt = uint64_t{length} << 16;
    // Back into the loop, as often as needed; the fraction stays.
    auto wrap = [&](uint32_t p) {
        const uint32_t index = p >> 16;
        return (loopStart + (index - loopStart) % loopLength) << 16 | (p & 0xFFFF);
    };

    uint32_t k = 0;
    while (k < kFrames) {
        if (pos >= lengthAt) { // nothing to read here
            if (!looping) {
                v.mode = 0;
                v.phaseAdjust = 0;
                break;
            }
            pos = wrap(pos);
            continue;
        }
        uint32_t run = kFrames - k;
        if (pos >= eventAt) {
            run = 1; // a looping voice past its loop end: one frame, then back
        } else if (step != 0) {
            const uint64_t untilEvent = (eventAt - pos + step - 1) / step;
            if (untilEvent < run)
                run = static_cast<uint32_t>(untilEvent);
        }
        pos = addFrames(mix + k, v.data, pos, step, gains, run);
        k += run;
        // The sum may also have wrapped past 2^32 and come out below the event.
        if (pos >= eventAt) {
            if (!looping) {
                v.mode = 0;
                v.phaseAdjust = 0;
                break;
            }
            pos = wrap(pos);
        }
    }
    v.phase = pos;
}

void writeBlock(const int64_t mix[kFrames], int16_t* block)
{
    for (int k = 0; k < kFrames; ++k) {
        const int64_t left = static_cast<int32_t>(static_cast<uint32_t>(mix[k]));
        const int64_t right = (mix[k] - left) >> 32;
        block[2 * k] = saturate(left);
        block[2 * k + 1] = saturate(right);
    }
}

} // namespace brimsel
