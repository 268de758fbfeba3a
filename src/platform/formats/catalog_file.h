// Reading Amiga IFF "FORM CTLG" message catalogs held in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/formats/charset.h"

struct CatalogText {
    std::int32_t id;
    std::string text;  // in the catalog's character set; may hold zero bytes of its own
};

struct CatalogFile {
    std::string version;                      // FVER, without its zero
    std::string language;                     // LANG as stored (8-bit)
    std::uint32_t codeset = CODESET_DEFAULT;  // MIBenum of the texts' set
    std::vector<CatalogText> texts;           // ascending ids, each id once
};

enum class CatalogStatus {
    Ok,
    Malformed,       // not a well-formed CTLG: a length or a chunk is wrong
    UnknownCodeset,  // well-formed, in a character set without a name in CodesetName
};

// Parses a catalog held in memory; texts are kept in the catalog's character
// set. On any result but Ok, out is left empty.
CatalogStatus ParseCatalog(std::span<const std::uint8_t> bytes, CatalogFile *out);

// The text of id in a parsed catalog, or null.
const CatalogText *FindCatalogText(const CatalogFile &catalog, std::int32_t id);
