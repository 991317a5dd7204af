#include "compiler/numbers.h"

#include <cctype>
#include <cstdio>

#include "compiler/messages.h"
#include "compiler/source.h"

namespace {

// A number read the way the C library reads one: leading white space, an optional sign,
// digits of the given base; reading stops at the first character that cannot continue it.
struct Scanned {
    bool ok = false;            // at least one digit was read
    bool negative = false;      // a minus sign was read
    bool nonzero = false;       // some digit was not zero
    uint64_t magnitude = 0;     // saturates at kSaturated
    uint32_t low32 = 0;         // the magnitude reduced to 32 bits, exactly
    const char* end = nullptr;  // first character not taken
};

constexpr uint64_t kSaturated = UINT64_C(1) << 40;

int digitValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

Scanned scan(const char* p, int base, bool hexPrefix)
{
    Scanned s;
    s.end = p;
    while (isspace(static_cast<unsigned char>(*p))) ++p;
    if (*p == '+' || *p == '-') {
        s.negative = *p == '-';
        ++p;
    }
    if (hexPrefix && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && digitValue(p[2]) < base) p += 2;
    for (; digitValue(*p) < base; ++p) {
        unsigned d = static_cast<unsigned>(digitValue(*p));
        s.ok = true;
        if (d) s.nonzero = true;
        s.low32 = s.low32 * static_cast<uint32_t>(base) + d;
        if (s.magnitude < kSaturated) s.magnitude = s.magnitude * static_cast<uint64_t>(base) + d;
    }
    if (s.ok) s.end = p;
    return s;
}

int64_t signedValue(const Scanned& s)
{
    int64_t m = static_cast<int64_t>(s.magnitude < kSaturated ? s.magnitude : kSaturated);
    return s.negative ? -m : m;
}

int failNumeric(const char* token)
{
    printMessage(stderr, kFormatSubject, kUnableToParseNumeric, token);
    return -1;
}

}  // namespace

int parseInteger(const char* token, int32_t* result)
{
    if (!token || !result) {
        printMessage(stderr, kFormatMessage, kUnexpectedNull);
        return -1;
    }
    if (token[0] == '%') {
        uint32_t value = 0;
        int digits = 0;
        for (const char* p = token + 1; *p != '\0' && digits < 32; ++p, ++digits) {
            if (*p != '0' && *p != '1') {
                printMessage(stderr, kFormatSubject, kInvalidBinaryValue, token);
                return -1;
            }
            value = (value << 1) | static_cast<uint32_t>(*p - '0');
        }
        if (digits == 0) {
            printMessage(stderr, kFormatSubject, kInvalidBinaryValue, token);
            return -1;
        }
        *result = static_cast<int32_t>(value);
        return 0;
    }

    if (token[0] == '$') {
        // Hexadecimal is a 32-bit pattern: $FFFFFFFF is -1.
        Scanned s = scan(token + 1, 16, true);
        if (!s.ok) return failNumeric(token);
        if (s.magnitude > UINT32_MAX) {
            printMessage(stderr, kFormatMessage, kValueOutOfRange);
            return -1;
        }
        uint32_t bits = static_cast<uint32_t>(s.magnitude);
        if (s.negative) bits = 0u - bits;
        *result = static_cast<int32_t>(bits);
        return 0;
    }

    Scanned s = scan(token, 10, false);
    if (!s.ok) return failNumeric(token);
    int64_t value = signedValue(s);
    if (value < INT32_MIN || value > INT32_MAX) {
        printMessage(stderr, kFormatMessage, kValueOutOfRange);
        return -1;
    }
    *result = static_cast<int32_t>(value);
    return 0;
}

bool scanDecimal(const char* text, int64_t* value)
{
    const Scanned s = scan(text, 10, false);
    if (!s.ok) return false;
    *value = signedValue(s);
    return true;
}

int parseFixed16(uint32_t* result, const char* token)
{
    if (!token || !result) {
        printMessage(stderr, kFormatMessage, kUnexpectedNull);
        return -1;
    }
    if (token[0] == '\0') return failNumeric(token);

    int64_t integer = 0;
    uint32_t fraction = 0;  // exact low 32 bits of the fraction part
    bool fractionNonzero = false;

    if (token[0] == '%') {
        // The binary form is accepted and reads as zero.
    } else {
        const bool hex = token[0] == '$';
        const int base = hex ? 16 : 10;
        const char* p = hex ? token + 1 : token;
        const char* rest = p;
        while (isspace(static_cast<unsigned char>(*rest))) ++rest;
        // A lone "$" (nothing after it) reads as zero without complaint.
        if (!(hex && *rest == '\0')) {
            Scanned whole = scan(p, base, hex);
            if (!whole.ok) return failNumeric(token);
            integer = signedValue(whole);
            if (*whole.end == '.') {
                Scanned part = scan(whole.end + 1, base, hex);
                if (part.ok) {
                    if (part.negative && part.nonzero) return failNumeric(token);
                    fraction = part.negative ? 0u - part.low32 : part.low32;
                    fractionNonzero = part.nonzero;
                }
            }
            // Decimal "-a.b" is the two's complement of a + b/65536.
            if (!hex && token[0] == '-' && fractionNonzero) integer -= 1;
        }
    }

    uint32_t integerHalf;
    uint32_t fractionHalf;
    if (integer > 65535) {
        integerHalf = 0xFFFF;
        fractionHalf = fraction & 0xFFFF;
    } else {
        if (integer < -32768) integer = -32768;
        fractionHalf = integer < 0 ? (65536u - (fraction & 0xFFFF)) & 0xFFFF : fraction & 0xFFFF;
        integerHalf = static_cast<uint32_t>(integer) & 0xFFFF;
    }
    *result = (integerHalf << 16) | fractionHalf;
    return 0;
}

int parseFixed8(uint32_t* result, const char* token)
{
    uint32_t value = 0;
    if (!result) {
        printMessage(stderr, kFormatMessage, kUnexpectedNull);
        return -1;
    }
    if (parseFixed16(&value, token) != 0) return -1;
    *result = value & 0xFFFF00FFu;
    return 0;
}

int readValueAndSlide(SourcePosition& at, int (*parse)(uint32_t*, const char*), uint32_t* value, uint32_t* slide)
{
    const char* valueToken = at.nextOperand();
    if (!valueToken || parse(value, valueToken) != 0) return 1;
    *slide = 0;
    const char* slideToken = at.nextOperand();
    if (slideToken && parse(slide, slideToken) != 0) return 1;
    return 0;
}

int readInteger(SourcePosition& at, int32_t* value)
{
    const char* token = at.nextOperand();
    if (!token || parseInteger(token, value) != 0) return 1;
    return 0;
}

int readSignedByte(SourcePosition& at, int8_t* value)
{
    int32_t number = 0;
    if (readInteger(at, &number) != 0) return 1;
    if (number < -128 || number > 127) {
        printMessage(stderr, kFormatMessage, kValueOutOfRange);
        return 1;
    }
    *value = static_cast<int8_t>(number);
    return 0;
}
