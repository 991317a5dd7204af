// The two tables the engine builds at initialisation, in integer arithmetic, so that every
// system and compiler gives the same bits (a maths library's pow, or x87 arithmetic, could move
// a truncated value by one unit and with it the pitch of every note that uses it).
//
// - Note frequencies, 16.16 Hz: floor(2^((n - 69) / 12) x 440) in the high word and the fraction
//   x 65536, truncated, in the low word. The constants below are that formula evaluated in double
//   precision; tests/engine/pitch_tables_test.cpp checks them against it, and that no value lies
//   within reach of rounding.
// - Sample ratios, 32.32: sampleRate / (contentFrequency x 48000), both 16.16, as one double
//   division (rounded to nearest, ties to even) truncated to 32 fraction bits. The division is
//   carried out here on integers, bit for bit.
#pragma once

#include <cstdint>

namespace brimsel {

inline constexpr uint32_t kNoteFrequencyTable[128] = {
    0x00082D01, 0x0008A976, 0x00092D51, 0x0009B904, 0x000A4D05, 0x000AE9D3,
    0x000B8FF4, 0x000C3FF6, 0x000CFA70, 0x000DC000, 0x000E914F, 0x000F6F11,
    0x00105A02, 0x001152EC, 0x00125AA2, 0x00137208, 0x00149A0A, 0x0015D3A6,
    0x00171FE9, 0x00187FED, 0x0019F4E0, 0x001B8000, 0x001D229E, 0x001EDE22,
    0x0020B404, 0x0022A5D8, 0x0024B545, 0x0026E410, 0x00293414, 0x002BA74D,
    0x002E3FD2, 0x0030FFDA, 0x0033E9C0, 0x00370000, 0x003A453D, 0x003DBC44,
    0x00416809, 0x00454BB0, 0x00496A8B, 0x004DC820, 0x00526829, 0x00574E9B,
    0x005C7FA4, 0x0061FFB5, 0x0067D380, 0x006E0000, 0x00748A7B, 0x007B7888,
    0x0082D012, 0x008A9760, 0x0092D517, 0x009B9041, 0x00A4D053, 0x00AE9D36,
    0x00B8FF49, 0x00C3FF6A, 0x00CFA700, 0x00DC0000, 0x00E914F6, 0x00F6F110,
    0x0105A025, 0x01152EC0, 0x0125AA2E, 0x01372082, 0x0149A0A7, 0x015D3A6D,
    0x0171FE92, 0x0187FED4, 0x019F4E00, 0x01B80000, 0x01D229EC, 0x01EDE220,
    0x020B404A, 0x022A5D81, 0x024B545C, 0x026E4104, 0x0293414F, 0x02BA74DA,
    0x02E3FD24, 0x030FFDA9, 0x033E9C01, 0x03700000, 0x03A453D8, 0x03DBC440,
    0x04168094, 0x0454BB03, 0x0496A8B8, 0x04DC8208, 0x0526829E, 0x0574E9B5,
    0x05C7FA49, 0x061FFB53, 0x067D3802, 0x06E00000, 0x0748A7B1, 0x07B78880,
    0x082D0128, 0x08A97607, 0x092D5171, 0x09B90410, 0x0A4D053C, 0x0AE9D36B,
    0x0B8FF493, 0x0C3FF6A7, 0x0CFA7005, 0x0DC00000, 0x0E914F62, 0x0F6F1100,
    0x105A0250, 0x1152EC0E, 0x125AA2E3, 0x13720820, 0x149A0A79, 0x15D3A6D6,
    0x171FE927, 0x187FED4E, 0x19F4E00A, 0x1B800000, 0x1D229EC4, 0x1EDE2200,
    0x20B404A1, 0x22A5D81C, 0x24B545C7, 0x26E41040, 0x293414F2, 0x2BA74DAC,
    0x2E3FD24F, 0x30FFDA9C};

// The ratio of a sample pack entry, integer word in the high 32 bits; 0 for a content frequency of
// 0, which has no pitch to scale.
constexpr uint64_t sampleRatio(uint32_t sampleRate, uint32_t contentFrequency)
{
    if (contentFrequency == 0 || sampleRate == 0)
        return 0;
    // x = sampleRate / (contentFrequency x 48000), the 65536 of both 16.16 values cancelling.
    const uint64_t n = sampleRate;
    const uint64_t d = uint64_t{contentFrequency} * 48000;  // below 2^48
    int nBits = 0, dBits = 0;
    for (uint64_t v = n; v; v >>= 1)
        ++nBits;
    for (uint64_t v = d; v; v >>= 1)
        ++dBits;
    // Below 2^-27, rounding to 53 bits moves x by less than 2^-49 units of 2^-32, while x is at
    // least 1/d (over 2^-48 units) away from the next multiple of 2^-32 unless it is one: the
    // truncation of x itself is the answer.
    if (nBits - dBits <= -28)
        return (n << 32) / d;
    // q = floor(n 2^shift / d) has 53 or 54 bits; rounding it to 53 gives the double's significand.
    const int shift = 53 - (nBits - dBits);
    const unsigned __int128 scaled = static_cast<unsigned __int128>(n) << shift;
    const uint64_t q = static_cast<uint64_t>(scaled / d);
    const uint64_t r = static_cast<uint64_t>(scaled % d);
    const int extra = q >> 53 ? 1 : 0;
    uint64_t significand = q >> extra;
    bool roundBit = false;
    bool sticky = false;
    if (extra) {
        roundBit = q & 1;
        sticky = r != 0;
    } else {
        roundBit = 2 * r >= d;
        sticky = 2 * r != d;
    }
    int exponent = shift - extra;  // x = significand / 2^exponent
    if (roundBit && (sticky || (significand & 1))) {
        if (++significand >> 53) {
            significand >>= 1;
            --exponent;
        }
    }
    return exponent >= 32 ? significand >> (exponent - 32) : significand << (32 - exponent);
}

}  // namespace brimsel
