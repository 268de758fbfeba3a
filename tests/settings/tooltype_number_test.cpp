#include <gtest/gtest.h>

#include <cstdint>

#include "settings/tooltype_number.h"

TEST(ToolTypeNumber, SignedDecimalWithoutHexClampedToThe32BitRange)
{
    // clang-format off
    const struct {
        const char *text;
        std::int32_t value;
    } cases[] = {
        {"25", 25}, {"+25", 25}, {"-5", -5}, {"007", 7}, {"-0", 0},
        // Leading white space of every kind; none between the sign and the digits.
        {" \t\n\v\f\r42", 42}, {"\t-3", -3}, {"- 3", 0},
        // The number ends at the first non-digit; no digits read as zero.
        {" 25fps", 25}, {"12 34", 12}, {"3.9", 3}, {"1e3", 1},
        {"", 0}, {"   ", 0}, {"+", 0}, {"-", 0}, {"fps", 0}, {nullptr, 0},
        {"0x50031303", 0}, {"0X1F", 0}, {"1F", 1},
        // Clamped, never wrapped; -2147483648 is the mode id 0x80000000 written negative.
        {"2147483647", INT32_MAX}, {"2147483648", INT32_MAX}, {"4294967296", INT32_MAX},
        {"99999999999999999999999999", INT32_MAX}, {"-2147483648", INT32_MIN}, {"-2147483649", INT32_MIN},
        {"-99999999999999999999999999", INT32_MIN},
    };
    // clang-format on
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text != nullptr ? c.text : "(null)");
        EXPECT_EQ(ParseToolTypeNumber(c.text), c.value);
    }
}
