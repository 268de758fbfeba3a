// A walk of the classic icon layout of its own, apart from the icon store's reader:
// where an icon's tooltype section lies and what it holds. For the tests that check
// that a write changed the tooltypes and nothing else.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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
