// Values written as the scripts write them, so that bscomp reads back the very bits the package
// holds.
#pragma once

#include <cstdint>
#include <string>

namespace bsinspect {

// A 16.16 value: the integer part, then the fraction in units of 1/65536 ("1.32768" is 1.5,
// "-0.5" is -5/65536).
std::string fixed16Text(int32_t value);
// An 8.8 value (a volume slide): the fraction in units of 1/256 ("-0.192" is -0.75).
std::string fixed8Text(int16_t value);
// A note: its name and octave ("c.4", "gs10"); note 0 is c.0.
std::string noteText(uint8_t note);
// A sample descriptor frequency (16.16 Hz) in the fewest decimals that bscomp stores as the
// same bits ("261.63"); empty for one below 1 Hz, which a descriptor cannot give.
std::string hertzText(uint32_t value);

}  // namespace bsinspect
