// Number notations of the source languages.
//
// Integers: "$" hexadecimal, "%" binary (up to 32 digits), otherwise decimal.
// Fixed point: integer part, optionally "." and a fraction part that counts units
// (1/65536 for parseFixed16, 1/256 for parseFixed8), not decimal digits.
#pragma once

#include <cstdint>

struct SourcePosition;

// Reads a 32-bit integer. 0, or -1 after its own message (the result is then unchanged).
int parseInteger(const char* token, int32_t* result);

// Reads a 16.16 value into *result: integer half in bits 16-31, fraction in bits 0-15.
// 0, or -1 after its own message (the result is then unchanged).
int parseFixed16(uint32_t* result, const char* token);

// As parseFixed16, keeping only the low 8 bits of the fraction half (units of 1/256).
int parseFixed8(uint32_t* result, const char* token);

// Reads a decimal integer at the start of `text` the way a formatted "%d" scan does: leading
// white space, an optional sign, then digits; whatever follows the digits is ignored. Values far
// beyond 32 bits saturate (at 2^40, with the sign), outside every range the languages accept.
// False when there is no digit.
bool scanDecimal(const char* text, int64_t* value);

// The line's next operand as an integer (parseInteger). 0, or 1 when it is missing or does not
// parse (after the parser's message).
int readInteger(SourcePosition& at, int32_t* value);

// As readInteger, for a value from -128 to 127; 1 after "ERROR- Value out of range" outside it.
int readSignedByte(SourcePosition& at, int8_t* value);

// The operands "VALUE [SLIDE]" of a line: a required value and an optional slide (0 when not
// given), each read with `parse` (parseFixed16 or parseFixed8). 0, or 1 when the value is missing
// or either does not parse (after the parser's message).
int readValueAndSlide(SourcePosition& at, int (*parse)(uint32_t*, const char*), uint32_t* value, uint32_t* slide);
