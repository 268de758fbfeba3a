// MUI_Request's body: printf-style formatting from an argument array.
#pragma once

#include <cstddef>
#include <string>

#include "platform/toolkit/toolkit.h"

namespace toolkit {

// The format filled from at most count arguments (missing ones read as empty
// or 0); widths and the result are bounded.
std::string FormatArgs(const char *format, const IPTR *args, std::size_t count);

}  // namespace toolkit
