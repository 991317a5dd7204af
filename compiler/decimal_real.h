// Decimal numbers of the sample descriptor (sample rates and content frequencies).
#pragma once

// Reads a decimal floating-point number at the start of `token` (leading blanks, an optional
// sign, digits with an optional point, an optional exponent), stopping at the first character
// that cannot continue it, so "22050Hz" is 22050. Only this decimal form is taken: no
// hexadecimal, infinities or NaN. False when no digit can be read.
//
// The value is the double nearest to the decimal (ties to even), as a correctly rounding strtod
// gives it, but worked out in integers, so that every system's C library gives the same bits.
// Exact from 0.1 to below 100000, which takes in every accepted rate and frequency and the
// values that round into their range; below that the result is 0 and above it 1e6 (with the
// number's sign), which every range check refuses as it would the value itself.
bool readDecimalReal(const char* token, double* value);
