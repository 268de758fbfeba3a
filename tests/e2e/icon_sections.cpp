// Prints an icon file in parts: the bytes before its tooltype section (hex), each
// tooltype, each entry of a NewIcons image block, and the bytes after the section
// (hex); for a PNG icon, each chunk (hex), where the first icOn lies, each of its
// other tags (hex) and each tooltype. Exit value 1 when the file is not a
// well-formed icon or the first icOn's CRC is wrong.
#include <cstdio>
#include <fstream>
#include <iterator>

#include "icon_walk.h"

static std::string Hex(const std::string &part)
{
    std::string hex;
    for (unsigned char c : part) {
        hex += "0123456789abcdef"[c >> 4];
        hex += "0123456789abcdef"[c & 15];
    }
    return hex;
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s ICON.info\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (const std::optional<PngSections> png = WalkPngIcon(bytes)) {
        for (const std::string &chunk : png->chunks) {
            std::printf("chunk %s\n", Hex(chunk).c_str());
        }
        std::printf("icOn at %zu\n", png->icOnAt);
        for (const std::string &tag : png->tags) {
            std::printf("tag %s\n", Hex(tag).c_str());
        }
        for (const std::string &toolType : png->toolTypes) {
            std::printf("tooltype %s\n", toolType.c_str());
        }
        return png->crcOk ? 0 : 1;
    }
    const std::optional<IconSections> s = WalkIcon(bytes);
    if (!s) {
        return 1;
    }
    std::printf("before %s\n", Hex(bytes.substr(0, s->start)).c_str());
    for (std::size_t i = 0; i < s->entries.size(); ++i) {
        std::printf("%s %s\n", i < s->imageBlock ? "tooltype" : "image", s->entries[i].c_str());
    }
    std::printf("after %s\n", Hex(bytes.substr(s->end)).c_str());
    return 0;
}
