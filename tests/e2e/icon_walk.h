// A walk of the icon layouts of its own, apart from the icon store's reader: where
// an icon's tooltypes lie and what they are. For the tests that check that a write
// changed the tooltypes and nothing else.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <zlib.h>

inline std::uint32_t BigEndian(const std::string &b, std::size_t at, int size)
{
    std::uint32_t value = 0;
    for (int i = 0; i < size; ++i) {
        value = value << 8 | static_cast<std::uint8_t>(b[at + i]);
    }
    return value;
}

struct IconSections {
    std::size_t start = 0, end = 0;  // [start, end); empty when there is no section
    std::vector<std::string> entries;  // the NewIcons image block included
    std::size_t imageBlock = 0;        // index of the image block's first entry
};

// Nothing when the bytes are not a well-formed icon.
inline std::optional<IconSections> WalkIcon(const std::string &b)
{
    if (b.size() < 78 || BigEndian(b, 0, 2) != 0xE310) {
        return std::nullopt;
    }
    std::size_t at = BigEndian(b, 66, 4) != 0 ? 78 + 56 : 78;
    auto take = [&](std::size_t n) {
        if (at > b.size() || n > b.size() - at) {
            return false;
        }
        at += n;
        return true;
    };
    // A text with its length; an entry's must end with its zero byte.
    auto text = [&](std::string *entry) {
        if (!take(4)) {
            return false;
        }
        const std::size_t length = BigEndian(b, at - 4, 4);
        if (!take(length)) {
            return false;
        }
        if (entry != nullptr) {
            if (length == 0 || b[at - 1] != '\0') {
                return false;
            }
            *entry = b.substr(at - length, length - 1);
        }
        return true;
    };
    for (std::size_t image : {22, 26}) {
        if (BigEndian(b, image, 4) != 0) {
            if (!take(20) || !take((BigEndian(b, at - 16, 2) + 15) / 16 * 2 * BigEndian(b, at - 14, 2) *
                                   BigEndian(b, at - 12, 2))) {
                return std::nullopt;
            }
        }
    }
    if (BigEndian(b, 50, 4) != 0 && !text(nullptr)) {
        return std::nullopt;
    }
    IconSections s;
    s.start = at;
    if (BigEndian(b, 54, 4) != 0) {
        if (!take(4) || BigEndian(b, at - 4, 4) < 4 || BigEndian(b, at - 4, 4) % 4 != 0) {
            return std::nullopt;
        }
        for (std::size_t i = 1, count = BigEndian(b, at - 4, 4) / 4; i < count; ++i) {
            if (!text(&s.entries.emplace_back())) {
                return std::nullopt;
            }
        }
    }
    s.end = at;
    // The image block: from its marker, with the " " entry usually before it, to the end.
    s.imageBlock = s.entries.size();
    for (std::size_t i = 0; i < s.entries.size(); ++i) {
        if (s.entries[i] == "*** DON'T EDIT THE FOLLOWING LINES!! ***") {
            s.imageBlock = i > 0 && s.entries[i - 1] == " " ? i - 1 : i;
            break;
        }
    }
    return s;
}

// The same for a PNG icon: every chunk kept as bytes but the first image's first
// icOn, of which its tags other than tooltypes (as bytes) and its tooltypes count.
struct PngSections {
    std::vector<std::string> chunks;  // signatures, chunks, trailing bytes; not that icOn
    std::size_t icOnAt = 0;           // its place among them, or before the first IEND
    bool hasIcOn = false, crcOk = true;
    std::size_t crcAt = 0;            // its CRC's offset
    std::vector<std::string> tags, toolTypes;
    std::uint32_t type = 0;           // its type tag's value
};

// Nothing when the bytes are not a PNG icon made of whole chunks.
inline std::optional<PngSections> WalkPngIcon(const std::string &b)
{
    const std::string signature("\x89PNG\r\n\x1a\n", 8);
    if (b.compare(0, 8, signature) != 0) {
        return std::nullopt;
    }
    PngSections s;
    bool inImage = false, firstDone = false;
    for (std::size_t at = 0; at < b.size();) {
        if (!inImage && b.compare(at, 8, signature) != 0) {
            s.chunks.push_back(b.substr(at));  // bytes after the images
            break;
        }
        if (!inImage) {
            s.chunks.push_back(signature);
            at += 8;
            inImage = true;
            continue;
        }
        if (b.size() - at < 12 || b.size() - at - 12 < BigEndian(b, at, 4)) {
            return std::nullopt;
        }
        const std::size_t length = BigEndian(b, at, 4), end = at + 12 + length;
        const std::string type = b.substr(at + 4, 4);
        if (type == "icOn" && !firstDone && !s.hasIcOn) {
            s.hasIcOn = true;
            s.icOnAt = s.chunks.size();
            s.crcAt = end - 4;
            s.crcOk = BigEndian(b, end - 4, 4) ==
                      crc32(0, reinterpret_cast<const Bytef *>(b.data() + at + 4), static_cast<uInt>(length + 4));
            for (std::size_t t = at + 8; t < end - 4;) {
                const std::uint32_t tag = end - 4 - t >= 4 ? BigEndian(b, t, 4) : 0;
                const bool text = tag == 0x8000100a || tag == 0x80001008 || tag == 0x8000100b;
                const std::size_t zero = text ? b.find('\0', t + 4) : t + 7;
                if (tag == 0 || zero >= end - 4) {
                    return std::nullopt;
                }
                if (tag == 0x8000100b) {
                    s.toolTypes.push_back(b.substr(t + 4, zero - t - 4));
                } else {
                    s.tags.push_back(b.substr(t, zero + 1 - t));
                }
                s.type = tag == 0x8000100f ? BigEndian(b, t + 4, 4) : s.type;
                t = zero + 1;
            }
        } else {
            if (type == "IEND" && !firstDone) {
                s.icOnAt = s.hasIcOn ? s.icOnAt : s.chunks.size();
                firstDone = true;
            }
            inImage = type != "IEND";
            s.chunks.push_back(b.substr(at, end - at));
        }
        at = end;
    }
    return inImage ? std::nullopt : std::optional<PngSections>(s);
}
