#include "config/Timing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TZEMO Line(uint8_t baudIndex, uint32_t customBaud, uint8_t dataBits, uint8_t parity,
           uint8_t stopBits, uint32_t overhang)
{
    TZEMO config = DefaultModelConfig();
    config.BaudIndex = baudIndex;
    config.CustomBaud = customBaud;
    config.DataBitsIndex = dataBits;
    config.ParityIndex = parity;
    config.StopBitsIndex = stopBits;
    config.OverhangUs = overhang;
    return config;
}

TEST(Timing, BitTimesAreTheSinglePrecisionQuotients)
{
    const float table[] = {1666.6666f, 833.3333f, 416.66666f, 208.33333f, 104.166664f,
                           52.083332f, 26.041666f, 17.36111f, 8.680555f};
    for (uint8_t index = 0; index < 9; ++index)
        EXPECT_EQ(BitTimeUs(index, 1), table[index]) << int(index);
    EXPECT_EQ(BitTimeUs(9, 200000), 5.0f);
    EXPECT_EQ(BitTimeUs(200, 350), float(1000000.0 / 350));
    EXPECT_EQ(BitTimeUs(9, 0), std::numeric_limits<float>::infinity());
}

TEST(Timing, DerivedValuesOfTheDocumentedCases)
{
    struct Case {
        TZEMO config;
        float character;
        uint16_t characterWritten;
        float hold;
        uint16_t holdWritten;
    };
    const Case cases[] = {
        {Line(4, 0, 3, 1, 0, 200), 1093.75f, 1094, 252.08333f, 252},
        {Line(8, 0, 3, 1, 0, 0), 91.145828f, 91, 4.3402777f, 4},
        {Line(9, 200000, 0, 0, 0, 0), 32.5f, 32, 2.5f, 2},
        {Line(9, 200000, 0, 0, 0, 1), 32.5f, 32, 3.5f, 4},
        {Line(0, 0, 3, 1, 1, 31933), 19166.666f, 19167, 32766.334f, 32766},
        {Line(9, 351, 3, 1, 1, 0), 32763.533f, 32764, 1424.5014f, 1425},
    };
    for (const Case& c : cases) {
        const float character = CharacterTimeUs(c.config);
        const float hold = HoldTimeUs(c.config);
        EXPECT_FLOAT_EQ(character, c.character);
        EXPECT_FLOAT_EQ(hold, c.hold);
        ASSERT_TRUE(DerivedTimeInRange(character));
        ASSERT_TRUE(DerivedTimeInRange(hold));
        EXPECT_EQ(RoundHalfToEven(character), c.characterWritten);
        EXPECT_EQ(RoundHalfToEven(hold), c.holdWritten);
    }
}

TEST(Timing, RangeIsTestedOnTheSinglePrecisionValue)
{
    EXPECT_FALSE(DerivedTimeInRange(HoldTimeUs(Line(0, 0, 3, 1, 1, 31934)))); // 32767.334
    EXPECT_FLOAT_EQ(CharacterTimeUs(Line(9, 350, 3, 1, 1, 0)), 32857.143f);
    EXPECT_FALSE(DerivedTimeInRange(CharacterTimeUs(Line(9, 350, 3, 1, 1, 0))));
    EXPECT_FALSE(DerivedTimeInRange(CharacterTimeUs(Line(9, 0, 3, 1, 1, 0))));

    EXPECT_TRUE(DerivedTimeInRange(0.0f));
    EXPECT_TRUE(DerivedTimeInRange(32767.0f));
    EXPECT_FALSE(DerivedTimeInRange(std::nextafter(32767.0f, 40000.0f)));
    EXPECT_FALSE(DerivedTimeInRange(-0.5f));
    EXPECT_FALSE(DerivedTimeInRange(std::numeric_limits<float>::quiet_NaN()));
}

TEST(Timing, AHoldTimeJustAboveTheLimitInDoubleIsTheLimitInSinglePrecision)
{
    // 32766 µs plus half a bit at 499999 Bd: 32767.000002 µs, which single precision cannot
    // tell from 32767.
    const TZEMO config = Line(9, 499999, 3, 1, 0, 32766);
    const float bit = BitTimeUs(9, 499999);
    EXPECT_GT(32766.0 + 0.5 * double(bit), 32767.0);
    const float hold = HoldTimeUs(config);
    EXPECT_EQ(hold, 32767.0f);
    EXPECT_TRUE(DerivedTimeInRange(hold));
    EXPECT_EQ(RoundHalfToEven(hold), 32767);
    EXPECT_TRUE(DerivedTimeInRange(CharacterTimeUs(config)));
}

TEST(Timing, RoundingTiesGoToTheEvenNeighbour)
{
    EXPECT_EQ(RoundHalfToEven(0.5f), 0);
    EXPECT_EQ(RoundHalfToEven(1.5f), 2);
    EXPECT_EQ(RoundHalfToEven(2.5f), 2);
    EXPECT_EQ(RoundHalfToEven(2.5001f), 3);
    EXPECT_EQ(RoundHalfToEven(32766.5f), 32766);
    EXPECT_EQ(RoundHalfToEven(32767.0f), 32767);
}

} // namespace
