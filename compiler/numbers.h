// Number notations of the source languages.
//
// Integers: "$" hexadecimal, "%" binary (up to 32 digits), otherwise decimal.
// Fixed point: integer part, optionally "." and a fraction part that counts units
// (1/65536 for parseFixed16, 1/256 for parseFixed8), not decimal digits.
#pragma once

#include <cstdint>

// Reads a 32-bit integer. 0, or -1 after its own message (the result is then unchanged).
int parseInteger(const char* token, int32_t* result);

// Reads a 16.16 value into *result: integer half in bits 16-31, fraction in bits 0-15.
// 0, or -1 after its own message (the result is then unchanged).
int parseFixed16(uint32_t* result, const char* token);

// As parseFixed16, keeping only the low 8 bits of the fraction half (units of 1/256).
int parseFixed8(uint32_t* result, const char* token);
