#include "platform/catalog_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::size_t kMaxCatalogFileSize = 16u << 20;

std::uint32_t ReadU32(const unsigned char *p)
{
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}

bool IsId(const unsigned char *p, const char *id)
{
    return std::memcmp(p, id, 4) == 0;
}

// A zero-terminated text in a chunk; without a zero, the whole chunk.
std::string ChunkText(const unsigned char *data, std::size_t size)
{
    const void *zero = std::memchr(data, 0, size);
    std::size_t length = zero != nullptr ? static_cast<const unsigned char *>(zero) - data : size;
    return std::string(reinterpret_cast<const char *>(data), length);
}

// STRS: id, length, text padded with zeros to a multiple of 4, repeated.
bool ParseStrings(const unsigned char *data, std::size_t size, std::vector<CatalogText> *texts)
{
    std::size_t pos = 0;
    while (pos < size) {
        if (size - pos < 8) {
            return false;
        }
        auto id = static_cast<std::int32_t>(ReadU32(data + pos));
        std::uint32_t length = ReadU32(data + pos + 4);
        pos += 8;
        if (length > size - pos) {
            return false;
        }
        const unsigned char *text = data + pos;
        std::size_t padded = (static_cast<std::size_t>(length) + 3) & ~static_cast<std::size_t>(3);
        // The last text's padding may be missing.
        pos = padded <= size - pos ? pos + padded : size;
        std::size_t kept = length;
        if (kept > 0 && text[kept - 1] == 0) {
            --kept;  // a terminating zero counted in the length
        }
        texts->push_back({id, std::string(reinterpret_cast<const char *>(text), kept)});
    }
    return true;
}

}  // namespace

std::string Utf8ToLatin1(const std::string &text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        int follow;
        std::uint32_t code;
        std::uint32_t minimum;
        if ((c & 0xE0) == 0xC0) {
            follow = 1;
            code = c & 0x1F;
            minimum = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            follow = 2;
            code = c & 0x0F;
            minimum = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            follow = 3;
            code = c & 0x07;
            minimum = 0x10000;
        } else {
            out.push_back('?');  // a stray continuation byte or an invalid lead
            ++i;
            continue;
        }
        int taken = 0;
        while (taken < follow && i + 1 + taken < n &&
               (static_cast<unsigned char>(text[i + 1 + taken]) & 0xC0) == 0x80) {
            code = (code << 6) | (static_cast<unsigned char>(text[i + 1 + taken]) & 0x3F);
            ++taken;
        }
        if (taken < follow) {
            out.push_back('?');  // cut short: the bytes read so far stand for one character
            i += 1 + taken;
            continue;
        }
        i += 1 + follow;
        bool valid = code >= minimum && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
        out.push_back(valid && code <= 0xFF ? static_cast<char>(code) : '?');
    }
    return out;
}

std::string Windows1252ToLatin1(const std::string &text)
{
    // Every character of 0x80-0x9F in windows-1252 lies outside ISO-8859-1.
    std::string out = text;
    for (char &c : out) {
        auto u = static_cast<unsigned char>(c);
        if (u >= 0x80 && u <= 0x9F) {
            c = '?';
        }
    }
    return out;
}

CatalogStatus ParseCatalog(const unsigned char *data, std::size_t size, CatalogFile *out)
{
    *out = CatalogFile{};
    if (data == nullptr || size < 12 || !IsId(data, "FORM") || !IsId(data + 8, "CTLG")) {
        return CatalogStatus::Malformed;
    }
    std::uint32_t formSize = ReadU32(data + 4);
    if (formSize < 4 || formSize > size - 8) {
        return CatalogStatus::Malformed;
    }
    const std::size_t end = 8 + static_cast<std::size_t>(formSize);
    CatalogFile parsed;
    std::size_t pos = 12;
    while (pos < end) {
        if (end - pos < 8) {
            return CatalogStatus::Malformed;
        }
        const unsigned char *header = data + pos;
        std::uint32_t chunkSize = ReadU32(header + 4);
        pos += 8;
        if (chunkSize > end - pos) {
            return CatalogStatus::Malformed;
        }
        const unsigned char *body = data + pos;
        if (IsId(header, "FVER")) {
            parsed.version = ChunkText(body, chunkSize);
        } else if (IsId(header, "LANG")) {
            parsed.language = ChunkText(body, chunkSize);
        } else if (IsId(header, "CSET")) {
            if (chunkSize < 4) {
                return CatalogStatus::Malformed;
            }
            parsed.codeset = ReadU32(body);
        } else if (IsId(header, "STRS")) {
            if (!ParseStrings(body, chunkSize, &parsed.texts)) {
                return CatalogStatus::Malformed;
            }
        }
        // Other chunks (AUTH, ...) carry nothing the program uses.
        std::size_t padded = static_cast<std::size_t>(chunkSize) + (chunkSize & 1);
        pos = padded <= end - pos ? pos + padded : end;
    }

    switch (parsed.codeset) {
    case CATALOG_CODESET_DEFAULT:
    case CATALOG_CODESET_ASCII:
    case CATALOG_CODESET_LATIN1:
        break;
    case CATALOG_CODESET_UTF8:
        for (CatalogText &t : parsed.texts) {
            t.text = Utf8ToLatin1(t.text);
        }
        break;
    case CATALOG_CODESET_WINDOWS1252:
        for (CatalogText &t : parsed.texts) {
            t.text = Windows1252ToLatin1(t.text);
        }
        break;
    default:
        return CatalogStatus::UnknownCodeset;
    }

    // Ascending ids; where an id repeats, its first text counts.
    std::stable_sort(parsed.texts.begin(), parsed.texts.end(),
                     [](const CatalogText &a, const CatalogText &b) { return a.id < b.id; });
    auto last = std::unique(parsed.texts.begin(), parsed.texts.end(),
                            [](const CatalogText &a, const CatalogText &b) { return a.id == b.id; });
    parsed.texts.erase(last, parsed.texts.end());
    *out = std::move(parsed);
    return CatalogStatus::Ok;
}

CatalogStatus ReadCatalogFile(const std::string &path, CatalogFile *out)
{
    *out = CatalogFile{};
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return CatalogStatus::Malformed;
    }
    std::vector<unsigned char> bytes;
    unsigned char chunk[4096];
    bool tooBig = false;
    for (;;) {
        std::size_t got = std::fread(chunk, 1, sizeof chunk, file);
        if (got == 0) {
            break;
        }
        if (bytes.size() + got > kMaxCatalogFileSize) {
            tooBig = true;
            break;
        }
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed || tooBig) {
        return CatalogStatus::Malformed;
    }
    return ParseCatalog(bytes.data(), bytes.size(), out);
}

const CatalogText *FindCatalogText(const CatalogFile &catalog, std::int32_t id)
{
    auto it = std::lower_bound(catalog.texts.begin(), catalog.texts.end(), id,
                               [](const CatalogText &t, std::int32_t wanted) { return t.id < wanted; });
    return it != catalog.texts.end() && it->id == id ? &*it : nullptr;
}
