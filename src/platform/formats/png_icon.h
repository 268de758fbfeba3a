// PNG icons of AmigaOS 4 and MorphOS: one PNG image, or two (the selected image
// straight after the first one's IEND), whose icOn chunk holds the icon's
// attributes as big-endian tags. Parsed into the places of its parts, and put
// together again with a new tooltype list. Pure C++, no file access.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The tags of an icOn chunk. Each is followed by a 32-bit value, except the
// default tool, the tool window and a tooltype: a zero-terminated ISO-8859-1 text.
enum PngIconTag : std::uint32_t {
    ATTR_ICONX = 0x80001001,
    ATTR_ICONY = 0x80001002,
    ATTR_DRAWERX = 0x80001003,
    ATTR_DRAWERY = 0x80001004,
    ATTR_DRAWERWIDTH = 0x80001005,
    ATTR_DRAWERHEIGHT = 0x80001006,
    ATTR_DRAWERFLAGS = 0x80001007,
    ATTR_TOOLWINDOW = 0x80001008,
    ATTR_STACKSIZE = 0x80001009,
    ATTR_DEFAULTTOOL = 0x8000100a,
    ATTR_TOOLTYPE = 0x8000100b,
    ATTR_VIEWMODES = 0x8000100c,
    ATTR_DD_CURRENTX = 0x8000100d,
    ATTR_DD_CURRENTY = 0x8000100e,
    ATTR_TYPE = 0x8000100f,
    ATTR_FRAMELESS = 0x80001010,
    ATTR_DRAWERFLAGS2 = 0x80001011,
    ATTR_VIEWMODES2 = 0x80001012,
    ATTR_DRAWERFLAGS3 = 0x80001107,
};

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Bounds: icons larger than this are not read (real ones are a few tens of
// kilobytes), nor icOn chunks with more tags.
constexpr std::size_t kPngIconMaxFileSize = 16u << 20;
constexpr std::size_t kPngIconMaxTags = 4096;

// The PNG chunk CRC-32 of the bytes, continuing from crc (0 to start).
std::uint32_t PngCrc32(std::uint32_t crc, std::span<const std::uint8_t> bytes);

// One tag of the first image's icOn chunk, where its bytes lie in the file (the
// tag word and its value, or its text with the zero).
struct PngIconTagEntry {
    std::uint32_t tag = 0;
    std::size_t start = 0, end = 0;
    std::uint32_t value = 0;  // a value tag's value
    std::string text;         // a text tag's text, without its zero
};

struct PngIconLayout {
    bool hasIcOn = false;            // the first image has an icOn chunk
    bool icOnCrcValid = false;       // and its CRC is right
    std::size_t icOnStart = 0;       // its length word
    std::size_t icOnEnd = 0;         // after its CRC
    std::size_t firstIendStart = 0;  // the first image's IEND chunk: where a new icOn goes
    std::vector<PngIconTagEntry> tags;
};

// True when the bytes start with the PNG signature.
bool IsPngIcon(std::span<const std::uint8_t> bytes);

// Parses a PNG icon: the chunks of the first image and, when one follows, of the
// second, each to its IEND; bytes after the last image are kept as they are.
// False, leaving layout unspecified, when the bytes are not a well-formed icon: a
// bad signature, a chunk running past the end, a type not of four letters, a wrong
// CRC on a chunk other than icOn, an image without IEND, a second image cut short,
// an icOn tag or value running past the chunk's end, a text without its zero, more
// than kPngIconMaxTags tags, a file over the bound.
bool ParsePngIcon(std::span<const std::uint8_t> bytes, PngIconLayout &layout);

// Puts into out the icon's bytes with the first icOn's tooltype tags replaced by
// list (count texts, zero-terminated): the i-th text takes the place of the i-th
// tooltype tag, texts beyond the old ones follow the last of them, or the other
// tags when there were none; the chunk's length and CRC are new, every other byte
// as it was. An icon without icOn gets one, holding just the list, before the
// first IEND, unless the list is empty. False when the result would break a bound.
bool BuildPngIcon(std::span<const std::uint8_t> bytes, const PngIconLayout &layout, const char *const *list,
                  std::size_t count, std::string &out);
