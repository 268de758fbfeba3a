// Reading Amiga IFF "FORM CTLG" message catalogs held in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Character sets by IANA MIBenum, as the CSET chunk names them.
constexpr std::uint32_t CATALOG_CODESET_DEFAULT = 0;  // ISO-8859-1
constexpr std::uint32_t CATALOG_CODESET_ASCII = 3;
constexpr std::uint32_t CATALOG_CODESET_LATIN1 = 4;
constexpr std::uint32_t CATALOG_CODESET_UTF8 = 106;
constexpr std::uint32_t CATALOG_CODESET_WINDOWS1252 = 2252;

struct CatalogText {
    std::int32_t id;
    std::string text;  // ISO-8859-1; may hold zero bytes of its own
};

struct CatalogFile {
    std::string version;   // FVER, without its zero
    std::string language;  // LANG as stored (8-bit)
    std::uint32_t codeset = CATALOG_CODESET_DEFAULT;
    std::vector<CatalogText> texts;  // ascending ids, each id once
};

enum class CatalogStatus {
    Ok,
    Malformed,       // not a well-formed CTLG: a length or a chunk is wrong
    UnknownCodeset,  // well-formed, in a character set that cannot be converted
};

// Parses a catalog held in memory; texts are converted to ISO-8859-1. On any
// result but Ok, out is left empty.
CatalogStatus ParseCatalog(const unsigned char *data, std::size_t size, CatalogFile *out);

// The text of id in a parsed catalog, or null.
const CatalogText *FindCatalogText(const CatalogFile &catalog, std::int32_t id);

// Text conversion to ISO-8859-1; characters it lacks become '?'.
std::string Utf8ToLatin1(const std::string &text);
std::string Windows1252ToLatin1(const std::string &text);
