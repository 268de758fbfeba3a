// Parses the input as an icon, classic or PNG. An icon that parses must build back
// byte for byte with its own list (a PNG icon's icOn CRC mended), and with another
// list build an icon that parses to that list and keeps everything else: a classic
// icon's NewIcons block, a PNG icon's other tags.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

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

void FuzzPng(const std::uint8_t *data, std::size_t size)
{
    PngIconLayout layout;
    if (!ParsePngIcon(data, size, layout)) {
        return;
    }
    std::vector<std::string> others, toolTypes;
    Split(layout, others, toolTypes);
    std::vector<const char *> own;
    for (const std::string &text : toolTypes) {
        own.push_back(text.c_str());
    }
    std::string out, expected(reinterpret_cast<const char *>(data), size);
    Check(BuildPngIcon(data, size, layout, own.data(), own.size(), out) && out.size() == size);
    if (layout.hasIcOn) {
        expected.replace(layout.icOnEnd - 4, 4, out, layout.icOnEnd - 4, 4);
    }
    Check(out == expected);

    Check(BuildPngIcon(data, size, layout, kOther, 3, out));
    PngIconLayout again;
    Check(ParsePngIcon(reinterpret_cast<const std::uint8_t *>(out.data()), out.size(), again) && again.hasIcOn &&
          again.icOnCrcValid);
    std::vector<std::string> othersAgain, toolTypesAgain;
    Split(again, othersAgain, toolTypesAgain);
    Check(othersAgain == others && toolTypesAgain == std::vector<std::string>(kOther, kOther + 3));
}

void FuzzClassic(const std::uint8_t *data, std::size_t size)
{
    IconLayout layout;
    if (!ParseIcon(data, size, layout)) {
        return;
    }
    std::vector<const char *> own;
    for (std::size_t i = 0; i < layout.imageBlockStart; ++i) {
        own.push_back(layout.entries[i].c_str());
    }
    std::string out;
    Check(BuildIcon(data, size, layout, own.data(), own.size(), out) && out.size() == size &&
          std::memcmp(out.data(), data, size) == 0);

    Check(BuildIcon(data, size, layout, kOther, 3, out));
    IconLayout again;
    Check(ParseIcon(reinterpret_cast<const std::uint8_t *>(out.data()), out.size(), again) &&
          again.imageBlockStart == 3 && again.entries.size() == 3 + layout.entries.size() - layout.imageBlockStart);
    for (std::size_t i = 0; i < again.entries.size(); ++i) {
        const std::string &want = i < 3 ? std::string(kOther[i]) : layout.entries[layout.imageBlockStart + i - 3];
        Check(again.entries[i] == want);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (IsPngIcon(data, size)) {
        FuzzPng(data, size);
    } else {
        FuzzClassic(data, size);
    }
    return 0;
}
