// Malformed icons: cut short in any section or with a corrupt length or count,
// they are not icons.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/formats/big_endian.h"
#include "platform/formats/icon_file.h"
#include "platform/formats/icon_maker.h"
#include "support/icon_test_util.h"

namespace {

bool Parses(const std::string &bytes, IconLayout *out = nullptr)
{
    IconLayout layout;
    return ParseIcon(BytesOf(bytes), out ? *out : layout);
}

std::string WithU32(std::string bytes, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) {
        bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (24 - 8 * i));
    }
    return bytes;
}

// An icon with every section: drawer data, two images, default tool, tooltypes
// with a NewIcons block, tool window, drawer data 2 and an OS 3.5 FORM.
IconSpec EverySection(bool os35 = true, std::uint8_t revision = 1)
{
    IconSpec spec;
    spec.type = ICON_DRAWER;
    spec.toolTypes = {"AB", "", "C"};
    spec.hasDefaultTool = spec.hasToolWindow = spec.drawerData = spec.selectImage = true;
    spec.os35 = os35;
    spec.revision = revision;  // 0: no drawer data 2
    spec.defaultTool = "TOOL";
    spec.toolWindow = "WIN";
    spec.newIconsLines = {"IM1=\xa0\xb0", "IM2=\xc0"};
    return spec;
}

// An OS 3.5 icon cut exactly after its classic part is a whole classic icon.
TEST(IconFile, EveryTruncationIsRefused)
{
    const std::string classic = MakeIcon(EverySection(false));
    for (const IconSpec &spec : {EverySection(), EverySection(false), IconSpec{}, EverySection(false, 0)}) {
        const std::string bytes = MakeIcon(spec);
        ASSERT_TRUE(Parses(bytes));
        for (std::size_t n = 0; n < bytes.size(); ++n) {
            EXPECT_EQ(Parses(bytes.substr(0, n)), spec.os35 && n == classic.size()) << n << " of " << bytes.size();
        }
    }
}

TEST(IconFile, CorruptLengthsAndCountsAreRefused)
{
    const std::string base = MakeIcon(EverySection());
    IconLayout layout;
    ASSERT_TRUE(Parses(base, &layout));
    const std::size_t count = layout.toolTypesStart, entry = count + 4, tool = count - 9;
    const std::size_t window = layout.toolTypesEnd, form = layout.toolTypesEnd + 8 + 6;
    const std::size_t image = kIconHeaderSize + kIconDrawerDataSize;
    ASSERT_EQ(base.substr(form, 4), "FORM");
    std::string magic = base, noZero = base, zeroInside = base, tall = base, deep = base;
    magic[1] = 0x11;
    noZero[entry + 4 + 2] = 'X';
    zeroInside[entry + 4 + 1] = 0;
    tall[image + 6] = char(0xFF);
    deep[image + 8] = char(0xFF);
    // clang-format off
    const std::pair<std::string, const char *> corrupt[] = {
        {magic, "magic"}, {noZero, "entry without its zero"}, {zeroInside, "entry with a zero inside"},
        {tall, "image height huge"}, {deep, "image depth huge"},
        {WithU32(base, count, 8 * 4 + 2), "count not a multiple of 4"}, {WithU32(base, count, 0), "count zero"},
        {WithU32(base, count, 20 * 4), "count past the end"}, {WithU32(base, entry, 0), "entry length zero"},
        {WithU32(base, entry, 2), "entry length one short"}, {WithU32(base, tool, 0x7FFFFFFF), "default tool huge"},
        {WithU32(base, window, 0xFFFFFFF0), "tool window huge"}, {WithU32(base, form + 4, 2), "FORM too small"},
        {WithU32(base, form + 4, 4 + 8 + 6 + 1), "FORM one byte longer than the file"},
        {WithU32(MakeIcon({}), kIconDefaultToolOffset, 1), "a default tool the file lacks"},
        {WithU32(MakeIcon({}), kIconSecondImageOffset, 1), "a second image the file lacks"},
        {WithU32(MakeIcon({}), kIconDrawerDataOffset, 1), "drawer data the file lacks"},
    };
    // clang-format on
    for (const auto &[bytes, what] : corrupt) {
        EXPECT_FALSE(Parses(bytes)) << what;
    }
}

}  // namespace
