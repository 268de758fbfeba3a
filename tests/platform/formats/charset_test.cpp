#include <gtest/gtest.h>

#include <numeric>

#include "platform/formats/charset.h"

namespace {

// Broken UTF-8 (cut short, overlong, a surrogate, stray bytes, beyond Unicode)
// is refused and read as '?'; Latin-1 makes the round trip. Texts compare as
// the Amiga's locale folds Latin-1: the accented letters but the sharp s, and
// not the division sign.
TEST(Charset, Utf8IsCheckedLatin1RoundTripsAndFolds)
{
    const std::pair<const char *, const char *> broken[] = {
        {"a\xC3", "a?"},         {"\xC3x", "?x"},    {"\xC0\x80", "??"},
        {"\xED\xA0\x80", "???"}, {"\x80\xFF", "??"}, {"\xF4\x90\x80\x80", "????"},
    };
    for (const auto &[in, out] : broken) {
        EXPECT_FALSE(IsUtf8(in)) << in;
        EXPECT_EQ(Utf8ToLatin1(in), out) << in;
    }
    EXPECT_EQ(Utf8ToLatin1("Gr\xC3\xB6\xC3\x9F"
                           "e \xE2\x82\xAC \xF0\x9F\x98\x80"),
              "Gr\xF6\xDF"
              "e ? ?");
    std::string all(255, '\0');
    std::iota(all.begin(), all.end(), '\1');  // every byte but zero
    EXPECT_TRUE(IsUtf8(Latin1ToUtf8(all)));
    EXPECT_EQ(Utf8ToLatin1(Latin1ToUtf8(all)), all);
    EXPECT_EQ(CompareNoCase("abc\xE9x", "ABC\xC9y", 4), 0);
    EXPECT_LT(CompareNoCase("abc", "abd", 3), 0);
    EXPECT_NE(CompareNoCase("\xF7", "\xD7", 1), 0);
    EXPECT_NE(CompareNoCase("\xFF", "\xDF", 1), 0);
}

}  // namespace
