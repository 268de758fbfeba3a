// The bytes of an Amiga .info icon: parsed into the places of its sections, and
// put together again with a new tooltype list. Pure C++, no file access.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Offsets into the 78-byte DiskObject header.
constexpr std::size_t kIconHeaderSize = 78;
constexpr std::size_t kIconTypeOffset = 48;
constexpr std::size_t kIconDefaultToolOffset = 50;
constexpr std::size_t kIconToolTypesOffset = 54;
constexpr std::size_t kIconDrawerDataOffset = 66;
constexpr std::size_t kIconToolWindowOffset = 70;
constexpr std::size_t kIconCurrentXOffset = 58;
constexpr std::size_t kIconCurrentYOffset = 62;
constexpr std::size_t kIconStackSizeOffset = 74;
constexpr std::size_t kIconFirstImageOffset = 22;
constexpr std::size_t kIconSecondImageOffset = 26;
constexpr std::size_t kIconUserDataOffset = 44;
constexpr std::size_t kIconDrawerDataSize = 56;
constexpr std::size_t kIconDrawerData2Size = 6;
constexpr std::size_t kIconImageHeaderSize = 20;

// The entry that starts a NewIcons image block.
constexpr const char *kNewIconsMarker = "*** DON'T EDIT THE FOLLOWING LINES!! ***";

// Icons larger than this are not read (real icons are a few kilobytes).
constexpr std::size_t kIconMaxFileSize = 16u << 20;

struct IconLayout {
    std::uint8_t type = 0;
    bool hasDefaultTool = false;
    std::string defaultTool;  // up to its first zero
    std::int32_t currentX = 0, currentY = 0, stackSize = 0;
    bool hasToolTypes = false;         // the tooltypes pointer is non-zero
    std::size_t toolTypesStart = 0;    // where the tooltype section starts (or would start)
    std::size_t toolTypesEnd = 0;      // where it ends; == toolTypesStart when there is none
    std::vector<std::string> entries;  // every entry of the section, without its zero
    std::size_t imageBlockStart = 0;   // index of the NewIcons block in entries (== size when none)
    bool iconForm = false;             // an OS 3.5 FORM ICON follows the classic part
};

// Parses an icon. Returns false, leaving layout unspecified, when the bytes are not
// a well-formed icon: a bad magic, any section running past the end, a tooltype
// count that is not (entries + 1) * 4, an entry whose length does not cover exactly
// its text and one terminating zero, a truncated drawer data 2 or OS 3.5 FORM.
bool ParseIcon(std::span<const std::uint8_t> bytes, IconLayout &layout);

// Puts into out the icon's bytes with the tooltype list replaced by list (count
// texts, each zero-terminated) followed by the layout's NewIcons block; every other
// byte as it was. An icon without a tooltype section gets one (and a non-zero
// pointer) only when the new list is not empty. False when the list cannot be
// stored (a count or length beyond 32 bits).
bool BuildIcon(std::span<const std::uint8_t> bytes, const IconLayout &layout, const char *const *list,
               std::size_t count, std::string &out);
