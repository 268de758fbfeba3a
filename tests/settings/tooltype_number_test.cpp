#include <gtest/gtest.h>

#include <cstdint>

#include "settings/tooltype_number.h"

TEST(ToolTypeNumber, DigitsWithOptionalSign)
{
    EXPECT_EQ(ParseToolTypeNumber("25"), 25);
    EXPECT_EQ(ParseToolTypeNumber("+25"), 25);
    EXPECT_EQ(ParseToolTypeNumber("-5"), -5);
    EXPECT_EQ(ParseToolTypeNumber("007"), 7);
    EXPECT_EQ(ParseToolTypeNumber("-0"), 0);
}

TEST(ToolTypeNumber, LeadingWhiteSpaceOfEveryKindIsSkipped)
{
    EXPECT_EQ(ParseToolTypeNumber(" \t\n\v\f\r42"), 42);
    EXPECT_EQ(ParseToolTypeNumber("\t-3"), -3);
    // White space between the sign and the digits ends the number.
    EXPECT_EQ(ParseToolTypeNumber("- 3"), 0);
}

TEST(ToolTypeNumber, TheNumberEndsAtTheFirstNonDigit)
{
    EXPECT_EQ(ParseToolTypeNumber(" 25fps"), 25);
    EXPECT_EQ(ParseToolTypeNumber("12 34"), 12);
    EXPECT_EQ(ParseToolTypeNumber("3.9"), 3);
    EXPECT_EQ(ParseToolTypeNumber("1e3"), 1);
}

TEST(ToolTypeNumber, NoDigitsReadsAsZero)
{
    EXPECT_EQ(ParseToolTypeNumber(""), 0);
    EXPECT_EQ(ParseToolTypeNumber("   "), 0);
    EXPECT_EQ(ParseToolTypeNumber("+"), 0);
    EXPECT_EQ(ParseToolTypeNumber("-"), 0);
    EXPECT_EQ(ParseToolTypeNumber("fps"), 0);
    EXPECT_EQ(ParseToolTypeNumber(nullptr), 0);
}

TEST(ToolTypeNumber, NoHexadecimalForm)
{
    EXPECT_EQ(ParseToolTypeNumber("0x50031303"), 0);
    EXPECT_EQ(ParseToolTypeNumber("0X1F"), 0);
    EXPECT_EQ(ParseToolTypeNumber("1F"), 1);
}

TEST(ToolTypeNumber, ClampedAtTheSigned32BitLimits)
{
    EXPECT_EQ(ParseToolTypeNumber("2147483647"), INT32_MAX);
    EXPECT_EQ(ParseToolTypeNumber("2147483648"), INT32_MAX);
    EXPECT_EQ(ParseToolTypeNumber("99999999999999999999999999"), INT32_MAX);
    EXPECT_EQ(ParseToolTypeNumber("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseToolTypeNumber("-2147483649"), INT32_MIN);
    EXPECT_EQ(ParseToolTypeNumber("-99999999999999999999999999"), INT32_MIN);
    EXPECT_EQ(ParseToolTypeNumber("4294967296"), INT32_MAX);  // not wrapped to 0
}

TEST(ToolTypeNumber, ModeIdsAbove31BitsRoundTripThroughSignedDecimal)
{
    // 0x80000000 and 0xFFFFFFFF are written as negative numbers and read back as the same bits.
    EXPECT_EQ(static_cast<std::uint32_t>(ParseToolTypeNumber("-2147483648")), 0x80000000u);
    EXPECT_EQ(static_cast<std::uint32_t>(ParseToolTypeNumber("-1")), 0xFFFFFFFFu);
    EXPECT_EQ(static_cast<std::uint32_t>(ParseToolTypeNumber("-1073741824")), 0xC0000000u);
}
