// Sample rates and content frequencies are read into the double nearest to the decimal, in
// integers, so that every system's bscomp writes the same 16.16 values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "compiler/decimal_real.h"

namespace {

double read(const std::string& text)
{
    double value = -123.0;
    EXPECT_TRUE(readDecimalReal(text.c_str(), &value)) << text;
    return value;
}

TEST(DecimalReal, ReadsTheDecimalFormAndStopsWhereItEnds)
{
    EXPECT_EQ(read("22050"), 22050.0);
    EXPECT_EQ(read("22050Hz"), 22050.0);
    EXPECT_EQ(read("  261.63"), 261.63);
    EXPECT_EQ(read("+1e3"), 1000.0);
    EXPECT_EQ(read("1e"), 1.0);
    EXPECT_EQ(read(".5e1x"), 5.0);
    EXPECT_EQ(read("440."), 440.0);
    EXPECT_EQ(read("0x10"), 0.0);
    EXPECT_EQ(read("65535.99"), 65535.99);
    EXPECT_EQ(read("0.000440e6"), 440.0);
    EXPECT_EQ(read("-3"), -3.0);
    double value = 0;
    for (const char* text : {"", "Hz", ".", "-", "+.e5", "inf", "nan"})
        EXPECT_FALSE(readDecimalReal(text, &value)) << text;
}

TEST(DecimalReal, RoundsToNearestTiesToEven)
{
    // 1 + 2^-53 lies halfway between 1 and the next double: to even, 1. Three halves of an ulp
    // round up to 1 + 2^-51; a digit beyond the halfway point rounds up too.
    EXPECT_EQ(read("1.00000000000000011102230246251565404236316680908203125"), 1.0);
    EXPECT_EQ(read("1.00000000000000011102230246251565404236316680908203126"), 1.0 + 0x1p-52);
    EXPECT_EQ(read("1.000000000000000333066907387546962127089500427246093750"), 1.0 + 0x1p-51);
    EXPECT_EQ(read("1.00000000000000011102230246251565404236316680908203124999"), 1.0);
    // Values that round into the accepted range, or out of it.
    EXPECT_EQ(read("0.99999999999999999999"), 1.0);
    EXPECT_EQ(read("65535.999999999999999"), 65536.0);
    EXPECT_EQ(read("65535.99999999999"), 65535.99999999999);
    // A line's worth of digits.
    EXPECT_EQ(read("4" + std::string(2000, '0') + "e-2000"), 4.0);
    EXPECT_EQ(read("0." + std::string(1500, '0') + "1e1502"), 10.0);
}

TEST(DecimalReal, FarOutsideTheRangeStandsInWithTheSign)
{
    EXPECT_EQ(read("0"), 0.0);
    EXPECT_EQ(read("0.0999"), 0.0);
    EXPECT_EQ(read("1e-99999999999"), 0.0);
    EXPECT_EQ(read("100000"), 1e6);
    EXPECT_EQ(read("1e99999999999"), 1e6);
    EXPECT_EQ(read("-100000"), -1e6);
    EXPECT_EQ(read("99999.99"), 99999.99);
}

#if defined(__GLIBC__)
// The C library of Linux rounds correctly: the two agree on any number of the range.
TEST(DecimalReal, AgreesWithACorrectlyRoundingStrtod)
{
    std::mt19937 random(7);
    for (int i = 0; i < 200000; ++i) {
        std::string text = std::to_string(random() % 100000);
        text += '.';
        const int digits = static_cast<int>(random() % 30);
        for (int d = 0; d < digits; ++d)
            text += static_cast<char>('0' + random() % 10);
        if (random() % 4 == 0)
            text += "e" + std::to_string(static_cast<int>(random() % 11) - 5);
        const double expected = std::strtod(text.c_str(), nullptr);
        double value = 0;
        ASSERT_TRUE(readDecimalReal(text.c_str(), &value));
        if (expected >= 0.1 && expected < 100000.0)
            ASSERT_EQ(value, expected) << text;
    }
    // Exactly halfway between two doubles, and a hair either side of it, written out in full.
    for (int i = 0; i < 20000; ++i) {
        const double low = std::uniform_real_distribution<double>(0.1, 99999.0)(random);
        const long double halfway = (static_cast<long double>(low) + std::nextafter(low, 1e6)) / 2;
        char exact[128];
        std::snprintf(exact, sizeof exact, "%.70Lf", halfway);
        std::string text = exact;
        text.erase(text.find_last_not_of('0') + 1);
        for (const std::string& variant : {text, text + "1", text.substr(0, text.size() - 1)}) {
            double value = 0;
            ASSERT_TRUE(readDecimalReal(variant.c_str(), &value));
            ASSERT_EQ(value, std::strtod(variant.c_str(), nullptr)) << variant;
        }
    }
}
#endif

}  // namespace
