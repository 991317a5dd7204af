// Integer and fixed-point notations, their clamps and their messages.
#include <gtest/gtest.h>

#include <string>

#include "bscomp_test_support.h"
#include "compiler/numbers.h"

using bscomp_test::MessageCapture;

namespace {

constexpr int32_t kUntouched = 0x5A5A5A5A;

struct IntegerCase {
    const char* token;
    int32_t value;
};

TEST(ParseInteger, ReadsEveryNotation)
{
    // clang-format off
    const IntegerCase cases[] = {
        {"0", 0},           {"-7", -7},         {"+12", 12},          {"12abc", 12},
        {"1.5", 1},         {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN},
        {"$ff", 255},       {"$FF", 255},       {"$FFFFFFFF", -1},    {"$0x10", 16},
        {"$-1", -1},        {"$7fg", 127},      {"%1010", 10},        {"%0", 0},
        {"%11111111111111111111111111111111", -1},
    };
    // clang-format on
    for (const IntegerCase& c : cases) {
        MessageCapture messages;
        int32_t value = kUntouched;
        EXPECT_EQ(parseInteger(c.token, &value), 0) << c.token;
        EXPECT_EQ(value, c.value) << c.token;
        EXPECT_EQ(messages.err(), "") << c.token;
    }
}

TEST(ParseInteger, BinaryTakesTheFirst32DigitsAndIgnoresTheRest)
{
    int32_t value = 0;
    std::string forty = "%" + std::string(31, '0') + "1" + "11111111";
    EXPECT_EQ(parseInteger(forty.c_str(), &value), 0);
    EXPECT_EQ(value, 1);
    std::string trailing = "%" + std::string(32, '1') + "xyz";
    EXPECT_EQ(parseInteger(trailing.c_str(), &value), 0);
    EXPECT_EQ(value, -1);
}

struct FailureCase {
    const char* token;
    const char* message;
};

TEST(ParseInteger, RejectsUnreadableTokensWithTheirMessage)
{
    const FailureCase cases[] = {
        {"%102", "ERROR- Invalid binary value : %102\n"},
        {"%", "ERROR- Invalid binary value : %\n"},
        {"%2", "ERROR- Invalid binary value : %2\n"},
        {"x1", "ERROR- Unable to parse numeric : x1\n"},
        {"", "ERROR- Unable to parse numeric : \n"},
        {"-", "ERROR- Unable to parse numeric : -\n"},
        {"$", "ERROR- Unable to parse numeric : $\n"},
        {"$g", "ERROR- Unable to parse numeric : $g\n"},
        // Beyond 32 bits a value is out of range rather than silently wrapped.
        {"2147483648", "ERROR- Value out of range\n"},
        {"-99999999999999999999999", "ERROR- Value out of range\n"},
        {"$100000000", "ERROR- Value out of range\n"},
    };
    for (const FailureCase& c : cases) {
        MessageCapture messages;
        int32_t value = kUntouched;
        EXPECT_EQ(parseInteger(c.token, &value), -1) << c.token;
        EXPECT_EQ(value, kUntouched) << c.token;
        EXPECT_EQ(messages.err(), c.message) << c.token;
        EXPECT_TRUE(errorReported());
    }
    MessageCapture messages;
    int32_t value = 0;
    EXPECT_EQ(parseInteger(nullptr, &value), -1);
    EXPECT_EQ(parseInteger("1", nullptr), -1);
    EXPECT_EQ(messages.err(), "ERROR- Unexpected NULL.\nERROR- Unexpected NULL.\n");
}

struct FixedCase {
    const char* token;
    uint32_t word;  // integer half << 16 | fraction half
};

constexpr uint32_t fixed(int integer, uint32_t fraction)
{
    return (static_cast<uint32_t>(integer) << 16) | fraction;
}

// The one decimal scanner of priorities, offsets and octaves: a "%d" scan that saturates far
// outside every range the languages accept, and prints nothing.
TEST(ScanDecimal, ReadsLeadingDigitsAndSaturates)
{
    constexpr int64_t kSaturated = INT64_C(1) << 40;
    // clang-format off
    const struct {
        const char* text;
        bool ok;
        int64_t value;
    } cases[] = {
        {"0", true, 0},        {" \t-12x", true, -12},  {"+7", true, 7},   {"-0", true, 0},
        {"127", true, 127},    {"4294967296", true, INT64_C(4294967296)},
        {"99999999999999999999", true, kSaturated}, {"-99999999999999999999", true, -kSaturated},
        {"", false, 0},        {"-", false, 0},          {"x1", false, 0},  {"$10", false, 0},
        {"- 1", false, 0},
    };
    // clang-format on
    for (const auto& c : cases) {
        MessageCapture messages;
        int64_t value = kUntouched;
        EXPECT_EQ(scanDecimal(c.text, &value), c.ok) << c.text;
        EXPECT_EQ(value, c.ok ? c.value : kUntouched) << c.text;
        EXPECT_EQ(messages.err(), "") << c.text;
    }
}

TEST(ParseFixed16, ReadsIntegerAndFractionUnits)
{
    const FixedCase cases[] = {
        {"1", fixed(1, 0)},
        {"1.", fixed(1, 0)},
        {"1.32768", fixed(1, 32768)},  // 1.5
        {"1.5", fixed(1, 5)},          // 1 + 5/65536: the fraction counts units
        {"0.65535", fixed(0, 65535)},
        {"1.65536", fixed(1, 0)},  // the fraction keeps its low 16 bits
        {"1.70000", fixed(1, 70000 & 0xFFFF)},
        {"-5", fixed(-5, 0)},
        {"-1.32768", fixed(-2, 32768)},  // -1.5
        {"-0.1", fixed(-1, 65535)},
        {"-1.0", fixed(-1, 0)},
        {"70000.0", fixed(0xFFFF, 0)},
        {"70000.7", fixed(0xFFFF, 7)},
        {"-40000", fixed(-32768, 0)},
        {"-32768", fixed(-32768, 0)},
        {"65535.1", fixed(0xFFFF, 1)},
        {"$1.8000", fixed(1, 0x8000)},  // 1.5
        {"$20", fixed(32, 0)},
        {"$-1.8000", fixed(-1, 0x8000)},  // -0.5: no lowering in hexadecimal
        {"$", 0},                         // a lone dollar sign is zero, silently
        {"%", 0},                         // the binary form is accepted and reads as zero
        {"%1011.1", 0},
        {"12abc", fixed(12, 0)},
    };
    for (const FixedCase& c : cases) {
        MessageCapture messages;
        uint32_t word = 0x5A5A5A5A;
        EXPECT_EQ(parseFixed16(&word, c.token), 0) << c.token;
        EXPECT_EQ(word, c.word) << c.token << std::hex << " got 0x" << word;
        EXPECT_EQ(messages.err(), "") << c.token;
    }
}

TEST(ParseFixed16, RejectsMissingIntegerPartsAndNegativeFractions)
{
    const char* const tokens[] = {"", ".5", "1.-5", "-", "x", "$g", "$1.-8000"};
    for (const char* token : tokens) {
        MessageCapture messages;
        uint32_t word = 0x5A5A5A5A;
        EXPECT_EQ(parseFixed16(&word, token), -1) << token;
        EXPECT_EQ(word, 0x5A5A5A5Au) << token;
        EXPECT_EQ(messages.err(), std::string("ERROR- Unable to parse numeric : ") + token + "\n");
    }
}

TEST(ParseFixed8, KeepsTheLowEightBitsOfTheFraction)
{
    const FixedCase cases[] = {
        {"1.128", fixed(1, 0x80)},    // 1.5
        {"-1.128", fixed(-2, 0x80)},  // -1.5
        {"3", fixed(3, 0)},
        {"1.256", fixed(1, 0)},
        {"$2.C0", fixed(2, 0xC0)},
    };
    for (const FixedCase& c : cases) {
        uint32_t word = 0;
        EXPECT_EQ(parseFixed8(&word, c.token), 0) << c.token;
        EXPECT_EQ(word, c.word) << c.token;
    }
    MessageCapture messages;
    uint32_t word = 7;
    EXPECT_EQ(parseFixed8(&word, ".5"), -1);
    EXPECT_EQ(word, 7u);
    EXPECT_EQ(messages.err(), "ERROR- Unable to parse numeric : .5\n");
}

}  // namespace
