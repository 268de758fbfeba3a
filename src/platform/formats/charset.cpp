#include "platform/formats/charset.h"

#include <array>
#include <cstring>

const char *CodesetName(std::uint32_t mibEnum)
{
    // MIBenum 0 is no IANA number: it stands for a catalog that names no set.
    if (mibEnum >= 4 && mibEnum <= 12) {
        static const char *const kIso8859[] = {"ISO-8859-1", "ISO-8859-2", "ISO-8859-3", "ISO-8859-4", "ISO-8859-5",
                                               "ISO-8859-6", "ISO-8859-7", "ISO-8859-8", "ISO-8859-9"};
        return kIso8859[mibEnum - 4];
    }
    if (mibEnum >= 2250 && mibEnum <= 2258) {
        static const char *const kWindows[] = {"windows-1250", "windows-1251", "windows-1252",
                                               "windows-1253", "windows-1254", "windows-1255",
                                               "windows-1256", "windows-1257", "windows-1258"};
        return kWindows[mibEnum - 2250];
    }
    switch (mibEnum) {
    // clang-format off
    case CODESET_DEFAULT: return "ISO-8859-1";
    case CODESET_ASCII: return "US-ASCII";
    case 13: return "ISO-8859-10";
    case CODESET_UTF8: return "UTF-8";
    case 109: return "ISO-8859-13";
    case 110: return "ISO-8859-14";
    case 111: return "ISO-8859-15";
    case 112: return "ISO-8859-16";
    case 2084: return "KOI8-R";
    case 2088: return "KOI8-U";
    case CODESET_AMIGA1251: return "Amiga-1251";
    // clang-format on
    default:
        return nullptr;
    }
}

std::string Latin1ToUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out.push_back(ch);
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

namespace {

// Amiga-1251, the Cyrillic set of AmigaOS 4: ISO-8859-1 but for the euro sign,
// Yo, yo and the numero sign, with A to ya in 0xC0-0xFF, as in windows-1251.
constexpr auto kAmiga1251High = [] {
    std::array<char16_t, 128> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i] = char16_t(i < 0x40 ? 0x80 + i : 0x0410 + (i - 0x40));
    }
    table[0xA4 - 0x80] = 0x20AC;
    table[0xA8 - 0x80] = 0x0401;
    table[0xAA - 0x80] = 0x2116;
    table[0xB8 - 0x80] = 0x0451;
    return table;
}();

}  // namespace

std::string Amiga1251ToUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size() * 2);
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        const char16_t code = c < 0x80 ? c : kAmiga1251High[c - 0x80];
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (code >> 12)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return out;
}

std::size_t Utf8CharLength(std::string_view text)
{
    if (text.empty()) {
        return 0;
    }
    auto c = static_cast<unsigned char>(text[0]);
    if (c < 0x80) {
        return 1;
    }
    std::size_t length;
    std::uint32_t least;
    std::uint32_t code;
    if ((c & 0xE0) == 0xC0) {
        length = 2, least = 0x80, code = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        length = 3, least = 0x800, code = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        length = 4, least = 0x10000, code = c & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        auto follow = static_cast<unsigned char>(text[k]);
        if ((follow & 0xC0) != 0x80) {
            return 0;
        }
        code = code << 6 | (follow & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return 0;
    }
    return length;
}

bool IsUtf8(std::string_view text)
{
    while (!text.empty()) {
        std::size_t length = Utf8CharLength(text);
        if (length == 0) {
            return false;
        }
        text.remove_prefix(length);
    }
    return true;
}

std::string Utf8ToLatin1(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        std::size_t length = Utf8CharLength(text);
        if (length == 0) {
            out.push_back('?');
            text.remove_prefix(1);
            continue;
        }
        auto lead = static_cast<unsigned char>(text[0]);
        if (length == 1) {
            out.push_back(text[0]);
        } else if (length == 2 && lead <= 0xC3) {
            out.push_back(static_cast<char>((lead & 0x1F) << 6 | (static_cast<unsigned char>(text[1]) & 0x3F)));
        } else {
            out.push_back('?');
        }
        text.remove_prefix(length);
    }
    return out;
}

unsigned char FoldLatin1(unsigned char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) {
        return static_cast<unsigned char>(c - 0x20);
    }
    return c;
}

std::string AsciiLower(std::string_view text)
{
    std::string lower(text);
    for (char &c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

bool EqualNoCaseAscii(std::string_view a, std::string_view b)
{
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

std::string FoldUtf8Latin1(std::string_view text)
{
    std::string folded(text);
    for (std::size_t i = 0; i < folded.size(); ++i) {
        const auto c = static_cast<unsigned char>(folded[i]);
        if (c < 0x80) {
            folded[i] = static_cast<char>(FoldLatin1(c));
        } else if (c == 0xC3 && i + 1 < folded.size()) {
            // U+00C0 to U+00FF: the second byte carries the low six bits.
            const auto next = static_cast<unsigned char>(folded[i + 1]);
            if (next >= 0x80 && next <= 0xBF) {
                const unsigned char upper = FoldLatin1(static_cast<unsigned char>(0xC0 + (next - 0x80)));
                folded[i + 1] = static_cast<char>(0x80 + (upper - 0xC0));
            }
            ++i;
        }
    }
    return folded;
}

int CompareNoCase(const char *a, const char *b, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i) {
        int ca = FoldLatin1(static_cast<unsigned char>(a[i]));
        int cb = FoldLatin1(static_cast<unsigned char>(b[i]));
        if (ca != cb || ca == 0) {
            return ca - cb;
        }
    }
    return 0;
}

const char *ToolTypeValue(const char *toolType, const char *key)
{
    const std::size_t length = std::strcspn(toolType, "=");
    if (std::strlen(key) != length || CompareNoCase(toolType, key, length) != 0) {
        return nullptr;
    }
    return toolType[length] == '=' ? toolType + length + 1 : toolType + length;
}
