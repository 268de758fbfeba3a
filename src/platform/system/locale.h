// locale.library: the user's languages and the message catalogs.
//
// A locale is the user's list of preferred languages, taken from LANGUAGE,
// LC_ALL, LC_MESSAGES and LANG and mapped to Amiga language names ("deutsch",
// "français", ...). English, C and POSIX mean the built-in texts. A catalog
// "NAME" is looked for, language by language, as
// Catalogs/<language>/NAME beside the program, then under
// ../share/vellumine-settings from the program (an installation, wherever it was
// moved), then under the data folder it was built for; in builds made for
// tests SETTINGS_CATALOG_ROOTS (colon-separated folders) replaces those.
// The first well-formed catalog found whose texts convert to UTF-8 is used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/formats/catalog_file.h"
#include "platform/system/tags.h"

struct Locale {
    std::vector<std::string> preferredLanguages;  // Amiga names, most wanted first
};

struct Catalog;

// null name: the user's default locale. Never null for that.
Locale *OpenLocale(const char *name);
void CloseLocale(Locale *locale);

// The catalog for the locale's languages, or null when none is installed.
// tags: OC_Language names a language tried before the locale's.
constexpr Tag OC_Language = 0x8009000A;
Catalog *OpenCatalog(const Locale *locale, const char *name, const TagItem *tags);
void CloseCatalog(Catalog *catalog);

// The catalog's text for id, or defaultText when the catalog is null or lacks it.
// Texts are UTF-8, whatever set the catalog is in, and may hold zero bytes of
// their own (see GetCatalogStrLength); they stay valid while the catalog is open.
const char *GetCatalogStr(const Catalog *catalog, std::int32_t id, const char *defaultText);
// The length of the catalog's text for id, zero bytes within included; 0 when absent.
std::size_t GetCatalogStrLength(const Catalog *catalog, std::int32_t id);

// The catalog's text for id, or the built-in table's (entries of id and text) where
// the catalog has none or an empty one: an empty catalog text is an untranslated one.
template <typename Entry, std::size_t N>
const char *CatalogTextOr(const Catalog *catalog, std::int32_t id, const Entry (&builtInTable)[N])
{
    const char *builtIn = "";
    for (const Entry &entry : builtInTable) {
        if (entry.id == id) {
            builtIn = entry.text;
        }
    }
    return GetCatalogStrLength(catalog, id) == 0 ? builtIn : GetCatalogStr(catalog, id, builtIn);
}

// The file the catalog came from.
const char *CatalogPath(const Catalog *catalog);

// Catalog files larger than this are not read.
constexpr std::size_t kMaxCatalogFileSize = 16u << 20;

// Reads and parses a catalog file and converts its texts to UTF-8; a file that
// cannot be read is Malformed, one whose set cannot be converted or whose texts
// do not decode in it is UnknownCodeset.
CatalogStatus ReadCatalogFile(const std::string &path, CatalogFile *out);
// Converts a parsed catalog's texts from its character set to UTF-8; false, and
// the texts untouched, when the set is unknown or a text does not decode in it.
bool ConvertCatalogTexts(CatalogFile *catalog);

// Amiga language names for the user's languages in the environment, in order
// of preference; empty when the built-in texts are wanted.
std::vector<std::string> UserLanguages();
// The Amiga language name for a locale code ("de", "de_DE.UTF-8", "german"),
// empty for English/C/POSIX and for unknown codes.
std::string AmigaLanguageName(const std::string &code);
// Folders where catalogs are searched for, in order.
std::vector<std::string> CatalogRoots();

// UTF-8 text for a terminal with no line wider than width columns (a character
// a column): a longer line is broken at spaces, its further lines indented as
// its text after the first gap of two spaces (an option's description), else as
// the line itself.
std::string WrapToColumns(const std::string &text, int width);
