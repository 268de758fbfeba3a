// Reads the input as a tooltype value; the result must equal the C library's
// decimal reading of the same text clamped to 32 bits.
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

#include "settings/tooltype_number.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::string text(reinterpret_cast<const char *>(data), size);
    text = text.c_str();  // a tooltype value ends at its first zero
    errno = 0;
    long long reference = std::strtoll(text.c_str(), nullptr, 10);
    if (reference > std::numeric_limits<std::int32_t>::max()) {
        reference = std::numeric_limits<std::int32_t>::max();
    } else if (reference < std::numeric_limits<std::int32_t>::min()) {
        reference = std::numeric_limits<std::int32_t>::min();
    }
    if (ParseToolTypeNumber(text.c_str()) != reference) {
        std::abort();
    }
    return 0;
}
