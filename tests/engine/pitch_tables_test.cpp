// The engine's two tables are built in integers (engine/pitch_tables.h): here they are checked
// against the double-precision formulas they stand for.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>

#include "engine/pitch_tables.h"

namespace {

using brimsel::kNoteFrequencyTable;
using brimsel::sampleRatio;

TEST(PitchTables, NoteFrequenciesAreTheFormulaInDoublePrecision)
{
    for (int n = 0; n < 128; ++n) {
        const double f = std::pow(2.0, (n - 69) * (1.0 / 12.0)) * 440.0;
        const double whole = std::floor(f);
        EXPECT_EQ(kNoteFrequencyTable[n], static_cast<uint32_t>(whole) << 16 | static_cast<uint32_t>((f - whole) * 65536.0))
            << "note " << n;
        // Out of reach of rounding: an A is exactly 440 x 2^k, and every other note lies far (in
        // 1/65536 Hz) from the next unit, so no pow within a million ulps could change its bits.
        const long double units = std::pow(2.0L, (n - 69) / 12.0L) * 440.0L * 65536.0L;
        if ((n - 69) % 12 == 0)
            EXPECT_EQ(units, static_cast<long double>(kNoteFrequencyTable[n])) << "note " << n;
        else
            EXPECT_GT(std::fabs(units - std::round(units)), 1e-4L) << "note " << n;
    }
}

uint64_t ratioByFormula(uint32_t sampleRate, uint32_t contentFrequency)
{
    const auto real = [](uint32_t v) { return static_cast<double>(v >> 16) + static_cast<double>(v & 0xFFFF) / 65536.0; };
    const double x = real(sampleRate) / (real(contentFrequency) * 48000.0);
    const double whole = std::floor(x);
    return static_cast<uint64_t>(whole) << 32 | static_cast<uint32_t>((x - whole) * 4294967296.0);
}

TEST(PitchTables, SampleRatiosAreTheDoubleDivisionBitForBit)
{
    constexpr uint32_t hz = 65536;
    EXPECT_EQ(sampleRatio(48000 * hz, 440 * hz), 0x94F209u);
    EXPECT_EQ(sampleRatio(48000 * hz, 1 * hz), uint64_t{1} << 32);
    EXPECT_EQ(sampleRatio(48000 * hz, 0), 0u);
    EXPECT_EQ(sampleRatio(0, 440 * hz), 0u);
    // Every size of quotient, the extremes, and exact and nearly exact quotients, where rounding
    // to 53 bits decides the last bit of the truncation.
    std::mt19937_64 random(12);
    for (int i = 0; i < 400000; ++i) {
        const uint32_t rate = static_cast<uint32_t>(random() >> (32 + random() % 32));
        uint32_t content = static_cast<uint32_t>(random() >> (32 + random() % 32)) | 1;
        if (i % 4 == 0 && rate / 48000 > 0)
            content = rate / 48000 + static_cast<uint32_t>(random() % 3) - 1;  // x near 1
        if (content == 0)
            continue;
        ASSERT_EQ(sampleRatio(rate, content), ratioByFormula(rate, content)) << rate << " / " << content;
    }
    for (const uint32_t rate : {1u, 65535u, 65536u, 0xFFFFFFFFu})
        for (const uint32_t content : {1u, 3u, 65536u, 48000u * 65536u / 7u, 0xFFFFFFFFu})
            EXPECT_EQ(sampleRatio(rate, content), ratioByFormula(rate, content)) << rate << " / " << content;
}

}  // namespace
