// Texts made safe for a line: control characters up to the bounds of each range,
// a backslash, and bytes that are no UTF-8; paths kept apart byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "text/line_text.h"

namespace {

TEST(LineText, ControlsToTheirBoundsBackslashesAndStrayBytesAreEscaped)
{
    const struct {
        std::string text, line, path, pathLine;
    } cases[] = {
        {"a\x1f b\x7f~\t", "a\\x1f b\\x7f~\\t", "a\x1f b\x7f~\t", "a\\x1f b\\x7f~\\t"},
        {"\xc2\x80\xc2\x9f\xc2\xa0", "\\x80\\x9f\xc2\xa0", "\xc2\x80\xc2\x9f\xc2\xa0", "\\xc2\\x80\\xc2\\x9f\xc2\xa0"},
        {"caf\xe9/caf\xc3\xa9\\x", "caf\\xe9/caf\xc3\xa9\\\\x", "caf\\xe9/caf\xc3\xa9\\\\x",
         "caf\\xe9/caf\xc3\xa9\\\\x"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(LineText(c.text), c.line);
        EXPECT_EQ(PathText(c.text), c.path);
        EXPECT_EQ(PathLineText(c.text), c.pathLine);
    }
}

}  // namespace
