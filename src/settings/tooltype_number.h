// The number syntax of the settings tooltypes.
#pragma once

#include <cstdint>

// Reads a tooltype value as a signed decimal number: leading white space (space,
// \t \n \v \f \r), an optional '+' or '-', then decimal digits up to the first other
// character. No digits read as 0; values beyond the signed 32-bit range are clamped
// to its limits. There is no hexadecimal form. A null text reads as 0.
std::int32_t ParseToolTypeNumber(const char *text);
