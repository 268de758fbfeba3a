// Parses the input as an icon, classic or PNG. An icon that parses must build back
// byte for byte with its own list (a PNG icon's icOn CRC mended), and with another
// list build an icon that parses to that list and keeps everything else: a classic
// icon's NewIcons block, a PNG icon's other tags.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "platform/formats/big_endian.h"
#include "platform/formats/icon_file.h"
#include "platform/formats/png_icon.h"

namespace {

const char *const kOther[] = {"WINDOW", "", "MASTERVOLUME=40"};

void Check(bool ok)
{
    if (!ok) {
        std::abort();
    }
}

// The tags of a layout but its tooltypes, and its tooltypes.
void Split(const PngIconLayout &layout, std::vector<std::string> &others, std::vector<std::string> &toolTypes)
{
    for (const PngIconTagEntry &tag : layout.tags) {
        if (tag.tag == ATTR_TOOLTYPE) {
            toolTypes.push_back(tag.text);
        } else {
            others.push_back(std::to_string(tag.tag) + ":" + std::to_string(tag.value) + ":" + tag.text);
        }
    }
}

void FuzzPng(std::span<const std::uint8_t> bytes)
{
    PngIconLayout layout;
    if (!ParsePngIcon(bytes, layout)) {
        return;
    }
    std::vector<std::string> others, toolTypes;
    Split(layout, others, toolTypes);
    std::vector<const char *> own;
    for (const std::string &text : toolTypes) {
        own.push_back(text.c_str());
    }
    std::string out, expected(reinterpret_cast<const char *>(bytes.data()), bytes.size());
    Check(BuildPngIcon(bytes, layout, own.data(), own.size(), out) && out.size() == bytes.size());
    if (layout.hasIcOn) {
        expected.replace(layout.icOnEnd - 4, 4, out, layout.icOnEnd - 4, 4);
    }
    Check(out == expected);

    Check(BuildPngIcon(bytes, layout, kOther, 3, out));
    PngIconLayout again;
    Check(ParsePngIcon(BytesOf(out), again) && again.hasIcOn && again.icOnCrcValid);
    std::vector<std::string> othersAgain, toolTypesAgain;
    Split(again, othersAgain, toolTypesAgain);
    Check(othersAgain == others && toolTypesAgain == std::vector<std::string>(kOther, kOther + 3));
}

void FuzzClassic(std::span<const std::uint8_t> bytes)
{
    IconLayout layout;
    if (!ParseIcon(bytes, layout)) {
        return;
    }
    std::vector<const char *> own;
    for (std::size_t i = 0; i < layout.imageBlockStart; ++i) {
        own.push_back(layout.entries[i].c_str());
    }
    std::string out;
    Check(BuildIcon(bytes, layout, own.data(), own.size(), out) && out.size() == bytes.size() &&
          std::memcmp(out.data(), bytes.data(), bytes.size()) == 0);

    Check(BuildIcon(bytes, layout, kOther, 3, out));
    IconLayout again;
    Check(ParseIcon(BytesOf(out), again) && again.imageBlockStart == 3 &&
          again.entries.size() == 3 + layout.entries.size() - layout.imageBlockStart);
    for (std::size_t i = 0; i < again.entries.size(); ++i) {
        const std::string &want = i < 3 ? std::string(kOther[i]) : layout.entries[layout.imageBlockStart + i - 3];
        Check(again.entries[i] == want);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    if (IsPngIcon(bytes)) {
        FuzzPng(bytes);
    } else {
        FuzzClassic(bytes);
    }
    return 0;
}
