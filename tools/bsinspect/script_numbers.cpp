#include "tools/bsinspect/script_numbers.h"

namespace bsinspect {

namespace {

// A value of `unitBits` fraction bits as "-a.b", b counting units: bscomp reads "-a.b" as
// -(a + b units).
std::string unitsText(int64_t value, unsigned unitBits)
{
    const uint64_t magnitude = value < 0 ? uint64_t(-value) : uint64_t(value);
    const uint64_t fraction = magnitude & ((uint64_t(1) << unitBits) - 1);
    std::string text = value < 0 ? "-" : "";
    text += std::to_string(magnitude >> unitBits);
    if (fraction != 0)
        text.append(".").append(std::to_string(fraction));
    return text;
}

// "integer.fraction", the fraction of `digits` decimals without its trailing zeros.
std::string decimal(uint64_t integer, uint64_t fraction, unsigned digits)
{
    std::string text = std::to_string(integer);
    if (digits == 0)
        return text;
    std::string part = std::to_string(fraction);
    part.insert(0, digits - part.size(), '0');
    while (!part.empty() && part.back() == '0')
        part.pop_back();
    return part.empty() ? text : text + "." + part;
}

}  // namespace

std::string fixed16Text(int32_t value)
{
    return unitsText(value, 16);
}

std::string fixed8Text(int16_t value)
{
    return unitsText(value, 8);
}

std::string noteText(uint8_t note)
{
    static const char* const kNames[] = {"c.", "cs", "d.", "ds", "e.", "f.", "fs", "g.", "gs", "a.", "as", "b."};
    return kNames[note % 12] + std::to_string(note / 12);
}

std::string hertzText(uint32_t value)
{
    if ((value >> 16) == 0)
        return "";
    // bscomp stores a frequency F as floor(F x 65536): a decimal D gives `value` when
    // value <= D x 65536 < value + 1. Rounded up to a number of decimals, D is at least the
    // value; from 5 decimals on it is less than one unit above it, and fewer may do. D is then
    // the value itself or clear of both ends by far more than a double's rounding.
    uint64_t scale = 1;
    for (unsigned digits = 0; digits <= 5; ++digits, scale *= 10) {
        const uint64_t scaled = (uint64_t(value) * scale + 65535) / 65536;
        if (scaled * 65536 < (uint64_t(value) + 1) * scale)
            return decimal(scaled / scale, scaled % scale, digits);
    }
    return "";  // not reached: 5 decimals always do
}

}  // namespace bsinspect
