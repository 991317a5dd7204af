#include "compiler/decimal_real.h"

#include <cctype>
#include <cstdint>

namespace {

bool isDigit(char c)
{
    return isdigit(static_cast<unsigned char>(c)) != 0;
}

// The digits of a number as written, with the decimal point between the integer and the fraction
// digits; digit k counts from the first integer digit.
struct Digits {
    const char* integer;
    int64_t integerCount;
    const char* fraction;
    int64_t fractionCount;

    int64_t count() const { return integerCount + fractionCount; }
    int at(int64_t k) const { return (k < integerCount ? integer[k] : fraction[k - integerCount]) - '0'; }
};

// The magnitude 0.d1 d2 ... dL x 10^point, with d1 not zero and 0 <= point <= 5, rounded to the
// nearest double, ties to even.
double roundToDouble(const Digits& digits, int64_t first, int64_t point)
{
    // v x 2^56 = whole x 2^56 + the fraction part f x 2^56, the latter worked out from its last
    // digit forward: each step multiplies one digit by 2^56 and carries the tens, so that the
    // final carry is floor(f x 2^56) and the digits left behind are the fraction of f x 2^56.
    constexpr int kScale = 56;
    const int64_t last = digits.count();
    uint64_t whole = 0;
    for (int64_t k = 0; k < point; ++k)
        whole = whole * 10 + static_cast<uint64_t>(first + k < last ? digits.at(first + k) : 0);
    uint64_t carry = 0;
    int leading = 0;    // the first digit of what is left of f x 2^56
    bool rest = false;  // any other digit of it not zero
    for (int64_t k = last - 1; k >= first + point; --k) {
        const uint64_t product = static_cast<uint64_t>(digits.at(k)) * (uint64_t{1} << kScale) + carry;
        const int digit = static_cast<int>(product % 10);
        carry = product / 10;
        if (k > first + point)
            rest = rest || digit != 0;
        else
            leading = digit;
    }
    // v is at least 0.1, so q has at least 53 bits, and below 10^5, so at most 73.
    const unsigned __int128 q = (static_cast<unsigned __int128>(whole) << kScale) + carry;
    int bits = 0;
    for (unsigned __int128 v = q; v; v >>= 1)
        ++bits;
    int shift = bits - 53;
    uint64_t significand = static_cast<uint64_t>(q >> shift);
    bool up;
    if (shift > 0) {
        const uint64_t dropped = static_cast<uint64_t>(q & ((static_cast<unsigned __int128>(1) << shift) - 1));
        const uint64_t half = uint64_t{1} << (shift - 1);
        const bool beyond = leading != 0 || rest;
        up = dropped > half || (dropped == half && (beyond || (significand & 1)));
    } else {
        up = leading > 5 || (leading == 5 && (rest || (significand & 1)));
    }
    if (up && ++significand >> 53) {
        significand >>= 1;
        ++shift;
    }
    // Both factors are exact doubles (the scale a power of two), and so is their product.
    return static_cast<double>(significand) / static_cast<double>(uint64_t{1} << (kScale - shift));
}

}  // namespace

bool readDecimalReal(const char* token, double* value)
{
    const char* p = token;
    while (isspace(static_cast<unsigned char>(*p))) ++p;
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    Digits digits{p, 0, p, 0};
    while (isDigit(*p)) ++p, ++digits.integerCount;
    if (*p == '.') {
        digits.fraction = ++p;
        while (isDigit(*p)) ++p, ++digits.fractionCount;
    }
    if (digits.count() == 0) return false;
    int64_t exponent = 0;
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        const bool negativeExponent = *q == '-';
        if (*q == '+' || *q == '-') ++q;
        // Far beyond any digit count, so a saturated exponent decides the same.
        for (; isDigit(*q); ++q) {
            if (exponent < 100000000) exponent = exponent * 10 + (*q - '0');
        }
        if (negativeExponent) exponent = -exponent;
    }

    int64_t first = 0;
    while (first < digits.count() && digits.at(first) == 0) ++first;
    double magnitude;
    if (first == digits.count()) {
        magnitude = 0.0;
    } else {
        // Where the point falls counted from the first significant digit: the value is
        // 0.d1 d2 ... x 10^point.
        const int64_t point = digits.integerCount - first + exponent;
        if (point < 0)
            magnitude = 0.0;  // below 0.1
        else if (point > 5)
            magnitude = 1e6;  // 100000 or more
        else
            magnitude = roundToDouble(digits, first, point);
    }
    *value = negative ? -magnitude : magnitude;
    return true;
}
