#include "examples/samplegen/recipes.h"

#include "examples/samplegen/synth.h"

namespace samplegen {

namespace {

// A decay of time constant `samples` as a per-sample Q16 factor, e^(-1/samples), from the
// series 1 - x + x^2/2 (exact enough for x below 0.01).
uint32_t decayQ16(uint32_t samples)
{
    const uint64_t one = uint64_t(1) << 32;
    const uint64_t x = one / samples;                   // Q32
    const uint64_t factor = one - x + ((x * x) >> 33);  // Q32
    return static_cast<uint32_t>(factor >> 16);
}

// Sum of harmonics `first`..`last` of a wave of `cycles` cycles per `span` samples, harmonic n
// weighted 1/n (a saw), only odd ones when `oddOnly` (a square).
int64_t harmonics(uint32_t index, uint32_t first, uint32_t last, uint32_t cycles, uint32_t span, bool oddOnly)
{
    int64_t sum = 0;
    for (uint32_t n = first; n <= last; ++n) {
        if (oddOnly && n % 2 == 0)
            continue;
        sum += sineQ15(cyclePhase(index, n, cycles, span)) / int32_t(n);
    }
    return sum;
}

}  // namespace

std::vector<int8_t> makeLead()
{
    std::vector<int64_t> wave(kLeadLength);
    for (uint32_t i = 0; i < kLeadLength; ++i) {
        // Steady tone: a saw and a square, 3 to 2.
        int64_t v = 3 * harmonics(i, 1, 8, 1, kLeadPeriod, false) + 2 * harmonics(i, 1, 7, 1, kLeadPeriod, true);
        // The attack adds high harmonics that die away before the loop starts.
        if (i < kLeadLoopStart) {
            const int64_t bright = 4 * harmonics(i, 9, 16, 1, kLeadPeriod, false);
            v += bright * int64_t(kLeadLoopStart - i) / kLeadLoopStart;
        }
        wave[i] = v;
    }
    return toPcm(wave, 30000);
}

std::vector<int8_t> makeBass()
{
    std::vector<int64_t> wave(kBassLength);
    for (uint32_t i = 0; i < kBassLength; ++i) {
        // A soft square with a strong fundamental.
        int64_t v = 3 * harmonics(i, 1, 7, 1, kBassPeriod, true) + 2 * sineQ15(cyclePhase(i, 1, 1, kBassPeriod));
        if (i < kBassLoopStart) {
            const int64_t growl = 2 * harmonics(i, 2, 12, 1, kBassPeriod, false);
            v += growl * int64_t(kBassLoopStart - i) / kBassLoopStart;
        }
        wave[i] = v;
    }
    return toPcm(wave, 30000);
}

std::vector<int8_t> makePad()
{
    std::vector<int64_t> wave(kPadLength);
    for (uint32_t i = 0; i < kPadLength; ++i)
        wave[i] = harmonics(i, 1, 6, 100, kPadLength, false) + harmonics(i, 1, 6, 101, kPadLength, false);
    return toPcm(wave, 30000);
}

std::vector<int8_t> makePluck()
{
    // Karplus-Strong: a 64-sample delay line of noise, averaged with its neighbour on every
    // pass; the averaging adds half a sample of delay, so the pitch is 32000 / 64.5 Hz.
    constexpr uint32_t kDelay = 64;
    Noise noise(0x5EED1u);
    std::vector<int32_t> line(kDelay);
    int32_t previous = 0;
    for (int32_t& v : line) {
        const int32_t n = noise.next();
        v = (n + previous) / 2;  // a softer pluck than raw noise
        previous = n;
    }
    const uint32_t damping = 65340;  // a little loss on every pass
    std::vector<int64_t> wave(kPluckLength);
    for (uint32_t i = 0; i < kPluckLength; ++i) {
        const uint32_t at = i % kDelay;
        const int32_t out = line[at];
        wave[i] = out;
        line[at] = scaleQ16((out + line[(at + 1) % kDelay]) / 2, damping);
    }
    fadeOut(wave, 1024);
    return toPcm(wave, 31000);
}

std::vector<int8_t> makeDrums()
{
    std::vector<int8_t> pcm;
    pcm.reserve(kKickLength + kSnareLength + kHatLength);
    auto append = [&pcm](const std::vector<int8_t>& part) { pcm.insert(pcm.end(), part.begin(), part.end()); };

    // Kick: a sine falling from 150 Hz to 45 Hz, with a click of noise on top of its start.
    {
        Noise noise(0xB00Du);
        std::vector<int64_t> kick(kKickLength);
        int64_t sweepQ16 = int64_t(105) << 16;  // Hz above the 45 Hz floor
        int32_t amp = 32767;
        uint32_t phase = 0;
        for (uint32_t i = 0; i < kKickLength; ++i) {
            const uint64_t hzQ16 = (uint64_t(45) << 16) + uint64_t(sweepQ16);
            phase += static_cast<uint32_t>((hzQ16 << 16) / kRate);
            int64_t v = int64_t(sineQ15(phase)) * amp / 32767;
            if (i < 96)
                v += noise.next() * int64_t(96 - i) / 192;
            kick[i] = v;
            sweepQ16 = scaleQ16(static_cast<int32_t>(sweepQ16), decayQ16(900));
            amp = scaleQ16(amp, decayQ16(2600));
        }
        fadeOut(kick, 400);
        append(toPcm(kick, 32000));
    }
    // Snare: noise and a 185 Hz body, the body dying faster.
    {
        Noise noise(0x5A4Eu);
        std::vector<int64_t> snare(kSnareLength);
        int32_t noiseAmp = 32767;
        int32_t bodyAmp = 32767;
        for (uint32_t i = 0; i < kSnareLength; ++i) {
            const int64_t body = int64_t(sineQ15(cyclePhase(i, 1, 185, kRate))) * bodyAmp / 32767;
            snare[i] = 7 * int64_t(noise.next()) * noiseAmp / 32767 / 10 + body / 2;
            noiseAmp = scaleQ16(noiseAmp, decayQ16(1500));
            bodyAmp = scaleQ16(bodyAmp, decayQ16(900));
        }
        fadeOut(snare, 400);
        append(toPcm(snare, 30000));
    }
    // Hi-hat: the difference of successive noise values (only the highs), dying fast.
    {
        Noise noise(0x4A7u);
        std::vector<int64_t> hat(kHatLength);
        int32_t previous = 0;
        int32_t amp = 32767;
        for (uint32_t i = 0; i < kHatLength; ++i) {
            const int32_t n = noise.next();
            hat[i] = int64_t(n - previous) * amp / 32767;
            previous = n;
            amp = scaleQ16(amp, decayQ16(420));
        }
        fadeOut(hat, 200);
        append(toPcm(hat, 24000));
    }
    return pcm;
}

std::vector<int8_t> makeCrash()
{
    Noise noise(0xC4A5u);
    std::vector<int64_t> wave(kCrashLength);
    int32_t previous = 0;
    int32_t amp = 32767;
    for (uint32_t i = 0; i < kCrashLength; ++i) {
        const int32_t n = noise.next();
        // Mostly highs, with some of the full noise for body.
        wave[i] = (int64_t(n - previous) * 3 / 4 + n / 4) * amp / 32767;
        previous = n;
        amp = scaleQ16(amp, decayQ16(7000));
    }
    fadeOut(wave, 3000);
    return toPcm(wave, 26000);
}

std::vector<int8_t> makeNoise()
{
    Noise noise(0x0153u);
    std::vector<int64_t> wave(kNoiseLength);
    for (int64_t& v : wave)
        v = noise.next();
    return toPcm(wave, 30000);
}

std::vector<int8_t> makeSquare()
{
    std::vector<int8_t> pcm(kSquareLength);
    for (uint32_t i = 0; i < kSquareLength; ++i)
        pcm[i] = i < kSquareLength / 2 ? 96 : -96;
    return pcm;
}

}  // namespace samplegen
