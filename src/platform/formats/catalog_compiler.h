// The catalog compiler: catalog sources (a description NAME.cd and a
// translation LANG/NAME.ct) to an Amiga IFF "FORM CTLG" catalog.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CatalogSourceEntry {
    std::string label;
    std::int32_t id = 0;          // from the description; unused in a translation
    std::int32_t minLength = -1;  // -1: no bound
    std::int32_t maxLength = -1;
    std::string text;  // escapes resolved; may hold zero bytes
    int line = 0;      // line of the label in the source
};

// A catalog description (.cd): labels with their ids and the original texts.
struct CatalogDescription {
    std::vector<CatalogSourceEntry> entries;
};

// A catalog translation (.ct): the "##" directives and the translated texts.
struct CatalogTranslation {
    std::string version;   // "## version", empty when absent
    std::string language;  // "## language"
    std::uint32_t codeset = 0;
    std::vector<std::pair<std::string, std::string>> chunks;  // "## chunk ID text"
    std::vector<CatalogSourceEntry> entries;
};

// Both parsers return false with a message naming the line when the source is
// not well formed.
bool ParseCatalogDescription(const std::string &source, CatalogDescription *out, std::string *error);
bool ParseCatalogTranslation(const std::string &source, CatalogTranslation *out, std::string *error);

// Resolves the backslash escapes of one source text (\n, \t, \e, \c, \\, \xHH,
// octal \ooo, ...).
std::string ResolveEscapes(const std::string &text);

// The catalog file: FVER (when the translation has a version), LANG, the extra
// chunks, CSET (32 bytes) and STRS in id order, each length counting the text's
// terminating zero. A translation identical to the original, or for a label the
// description lacks, is left out (an empty one is kept, as other compilers do);
// warnings tells about the last, about texts outside MINLEN/MAXLEN, texts of a
// UTF-8 translation that are not UTF-8, and a codeset the reader cannot convert.
std::string BuildCatalog(const CatalogDescription &description, const CatalogTranslation &translation,
                         std::vector<std::string> *warnings);

// The description as C++, as Amiga programs build their string headers: a header
// with the MSG_ ids, STRING_COUNT, StringEntry and the declaration of
// builtInStrings, and a source (including header, as the program names it) that
// holds builtInStrings with every text of the description, in its order.
// A non-empty space puts all of it in that namespace.
std::string BuildStringHeader(const CatalogDescription &description, const std::string &space = "");
std::string BuildStringTable(const CatalogDescription &description, const std::string &header,
                             const std::string &space = "");
