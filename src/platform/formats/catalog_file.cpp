#include "platform/formats/catalog_file.h"

#include <algorithm>
#include <cstring>

#include "platform/formats/big_endian.h"
#include "platform/formats/iff.h"

namespace {

// A zero-terminated text in a chunk; without a zero, the whole chunk.
std::string ChunkText(std::span<const std::uint8_t> data)
{
    const auto zero = std::find(data.begin(), data.end(), 0);
    return std::string(reinterpret_cast<const char *>(data.data()), static_cast<std::size_t>(zero - data.begin()));
}

// STRS: id, length, text padded with zeros to a multiple of 4, repeated.
bool ParseStrings(std::span<const std::uint8_t> data, std::vector<CatalogText> *texts)
{
    ByteReader strs{data.data(), data.size(), 0};
    while (strs.Left() > 0) {
        std::uint32_t rawId = 0;
        std::uint32_t length = 0;
        if (!strs.U32(rawId) || !strs.U32(length) || length > strs.Left()) {
            return false;
        }
        auto id = static_cast<std::int32_t>(rawId);
        const unsigned char *text = strs.Take(length);
        // The last text's padding may be missing.
        if (!strs.Skip((4 - length % 4) % 4)) {
            strs.pos = strs.size;
        }
        std::size_t kept = length;
        if (kept > 0 && text[kept - 1] == 0) {
            --kept;  // a terminating zero counted in the length
        }
        texts->push_back({id, std::string(reinterpret_cast<const char *>(text), kept)});
    }
    return true;
}

}  // namespace

CatalogStatus ParseCatalog(std::span<const std::uint8_t> bytes, CatalogFile *out)
{
    *out = CatalogFile{};
    IffReader form;
    if (!form.Open(bytes, "CTLG")) {
        return CatalogStatus::Malformed;
    }
    CatalogFile parsed;
    IffChunk chunk;
    while (form.Next(chunk)) {
        if (chunk.Is("FVER")) {
            parsed.version = ChunkText(chunk.data);
        } else if (chunk.Is("LANG")) {
            parsed.language = ChunkText(chunk.data);
        } else if (chunk.Is("CSET")) {
            if (chunk.data.size() < 4) {
                return CatalogStatus::Malformed;
            }
            parsed.codeset = ReadBE32(chunk.data.data());
        } else if (chunk.Is("STRS")) {
            if (!ParseStrings(chunk.data, &parsed.texts)) {
                return CatalogStatus::Malformed;
            }
        }
        // Other chunks (AUTH, ...) carry nothing the program uses.
    }
    if (form.Malformed()) {
        return CatalogStatus::Malformed;
    }

    if (CodesetName(parsed.codeset) == nullptr) {
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

const CatalogText *FindCatalogText(const CatalogFile &catalog, std::int32_t id)
{
    auto it = std::lower_bound(catalog.texts.begin(), catalog.texts.end(), id,
                               [](const CatalogText &t, std::int32_t wanted) { return t.id < wanted; });
    return it != catalog.texts.end() && it->id == id ? &*it : nullptr;
}
