#include "platform/system/locale.h"

#include <iconv.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <sys/stat.h>

#include "platform/formats/catalog_file.h"
#include "platform/formats/charset.h"
#include "platform/system/program_folder.h"
#include "platform/system/whole_file.h"

#ifndef SETTINGS_DATA_DIR
#define SETTINGS_DATA_DIR "/usr/local/share/vellumine-settings"
#endif

struct Catalog {
    CatalogFile file;
    std::string path;
};

namespace {

struct LanguageName {
    const char *code;     // ISO 639-1
    const char *english;  // the English name, accepted too
    const char *amiga;    // the catalogs' folder (UTF-8 here; tried in ISO-8859-1 as well)
};

// A language's folder may also be spelt as its English name ("russian").
const LanguageName kLanguages[] = {
    {"ca", "catalan", "català"},      {"cs", "czech", "čeština"},        {"da", "danish", "dansk"},
    {"de", "german", "deutsch"},      {"el", "greek", "ελληνικά"},       {"es", "spanish", "español"},
    {"fi", "finnish", "suomi"},       {"fr", "french", "français"},      {"hr", "croatian", "hrvatski"},
    {"hu", "hungarian", "magyar"},    {"it", "italian", "italiano"},     {"nb", "norwegian", "norsk"},
    {"nl", "dutch", "nederlands"},    {"nn", "norwegian", "norsk"},      {"no", "norwegian", "norsk"},
    {"pl", "polish", "polski"},       {"pt", "portuguese", "português"}, {"ru", "russian", "русский"},
    {"sl", "slovenian", "slovensko"}, {"sr", "serbian", "srpski"},       {"sv", "swedish", "svenska"},
    {"tr", "turkish", "türkçe"},
};

// "de_DE.UTF-8@euro" -> "de"; "German" -> "german".
std::string LanguagePart(const std::string &code)
{
    std::string text = code.substr(0, code.find_first_of(".@"));
    text = text.substr(0, text.find_first_of("_-"));
    return AsciiLower(text);
}

bool MeansBuiltIn(const std::string &code)
{
    std::string language = LanguagePart(code);
    return language == "c" || language == "posix" || language == "en" || language == "english";
}

const char *Env(const char *name)
{
    const char *value = std::getenv(name);
    return value != nullptr && value[0] != '\0' ? value : nullptr;
}

std::vector<std::string> Split(const std::string &text, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t next = text.find(separator, start);
        std::string part = text.substr(start, next == std::string::npos ? std::string::npos : next - start);
        if (!part.empty()) {
            parts.push_back(part);
        }
        if (next == std::string::npos) {
            return parts;
        }
        start = next + 1;
    }
}

bool IsRegularFile(const std::string &path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The spellings of a language's folder: as given, in ISO-8859-1 when it differs,
// and the language's English name.
std::vector<std::string> FolderSpellings(const std::string &language)
{
    std::vector<std::string> spellings{language};
    std::string latin1 = Utf8ToLatin1(language);
    if (latin1 != language && latin1.find('?') == std::string::npos) {
        spellings.push_back(latin1);
    }
    for (const LanguageName &entry : kLanguages) {
        if (language == entry.amiga && language != entry.english) {
            spellings.push_back(entry.english);
            break;
        }
    }
    return spellings;
}

}  // namespace

std::string AmigaLanguageName(const std::string &code)
{
    if (MeansBuiltIn(code)) {
        return std::string();
    }
    std::string language = LanguagePart(code);
    std::string whole = AsciiLower(code);
    for (const LanguageName &entry : kLanguages) {
        if (language == entry.code || language == entry.english || whole == entry.amiga) {
            return entry.amiga;
        }
    }
    return std::string();
}

std::vector<std::string> UserLanguages()
{
    const char *localeName = Env("LC_ALL");
    if (localeName == nullptr) {
        localeName = Env("LC_MESSAGES");
    }
    if (localeName == nullptr) {
        localeName = Env("LANG");
    }
    // An explicit C or POSIX locale means the built-in texts, whatever LANGUAGE says.
    if (localeName != nullptr) {
        std::string language = LanguagePart(localeName);
        if (language == "c" || language == "posix") {
            return {};
        }
    }
    std::vector<std::string> codes;
    if (const char *list = Env("LANGUAGE")) {
        codes = Split(list, ':');
    } else if (localeName != nullptr) {
        codes.push_back(localeName);
    }
    std::vector<std::string> languages;
    for (const std::string &code : codes) {
        if (MeansBuiltIn(code)) {
            break;  // the built-in English texts are preferred to what follows
        }
        std::string name = AmigaLanguageName(code);
        if (!name.empty() && std::find(languages.begin(), languages.end(), name) == languages.end()) {
            languages.push_back(name);
        }
    }
    return languages;
}

std::vector<std::string> CatalogRoots()
{
#ifdef SETTINGS_TEST_SWITCHES
    if (const char *roots = Env("SETTINGS_CATALOG_ROOTS")) {
        return Split(roots, ':');
    }
#endif
    std::vector<std::string> roots;
    std::string folder = ProgramFolder();
    if (!folder.empty()) {
        roots.push_back(folder);
    }
    // The data folder of the installation the program runs from, which may have
    // been moved elsewhere (cmake --install --prefix, a package), before the one
    // it was built for.
    if (!folder.empty()) {
        std::string relocated = NormalPath(ProgramsFolder() + "/../share/vellumine-settings");
        if (std::string(SETTINGS_DATA_DIR) != relocated) {
            roots.push_back(relocated);
        }
    }
    roots.push_back(SETTINGS_DATA_DIR);
    return roots;
}

Locale *OpenLocale(const char *name)
{
    auto *locale = new Locale;
    if (name == nullptr) {
        locale->preferredLanguages = UserLanguages();
        return locale;
    }
    for (const std::string &code : Split(name, ':')) {
        if (MeansBuiltIn(code)) {
            break;
        }
        std::string language = AmigaLanguageName(code);
        if (!language.empty()) {
            locale->preferredLanguages.push_back(language);
        }
    }
    return locale;
}

void CloseLocale(Locale *locale)
{
    delete locale;
}

Catalog *OpenCatalog(const Locale *locale, const char *name, const TagItem *tags)
{
    if (name == nullptr || name[0] == '\0') {
        return nullptr;
    }
    std::vector<std::string> languages;
    auto chosen = reinterpret_cast<const char *>(GetTagData(OC_Language, 0, tags));
    if (chosen != nullptr) {
        std::string language = AmigaLanguageName(chosen);
        if (!language.empty()) {
            languages.push_back(language);
        }
    }
    const std::vector<std::string> preferred = locale != nullptr ? locale->preferredLanguages : UserLanguages();
    languages.insert(languages.end(), preferred.begin(), preferred.end());

    const std::vector<std::string> roots = CatalogRoots();
    for (const std::string &language : languages) {
        for (const std::string &root : roots) {
            for (const std::string &folder : FolderSpellings(language)) {
                std::string path = root + "/Catalogs/" + folder + "/" + name;
                if (!IsRegularFile(path)) {
                    continue;
                }
                auto *catalog = new Catalog;
                if (ReadCatalogFile(path, &catalog->file) == CatalogStatus::Ok) {
                    catalog->path = path;
                    return catalog;
                }
                delete catalog;  // malformed or in an unknown character set: as if absent
            }
        }
    }
    return nullptr;
}

void CloseCatalog(Catalog *catalog)
{
    delete catalog;
}

const char *GetCatalogStr(const Catalog *catalog, std::int32_t id, const char *defaultText)
{
    if (catalog == nullptr) {
        return defaultText;
    }
    const CatalogText *text = FindCatalogText(catalog->file, id);
    return text != nullptr ? text->text.c_str() : defaultText;
}

std::size_t GetCatalogStrLength(const Catalog *catalog, std::int32_t id)
{
    if (catalog == nullptr) {
        return 0;
    }
    const CatalogText *text = FindCatalogText(catalog->file, id);
    return text != nullptr ? text->text.size() : 0;
}

const char *CatalogPath(const Catalog *catalog)
{
    return catalog != nullptr ? catalog->path.c_str() : nullptr;
}

namespace {

// text in the decoder's set as UTF-8; false at a byte the set does not define.
bool DecodeText(iconv_t decoder, const std::string &text, std::string &utf8)
{
    iconv(decoder, nullptr, nullptr, nullptr, nullptr);
    utf8.resize(text.size() * 4 + 4);
    char *in = const_cast<char *>(text.data());
    std::size_t inLeft = text.size();
    char *out = utf8.data();
    std::size_t outLeft = utf8.size();
    if (iconv(decoder, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1) ||
        iconv(decoder, nullptr, nullptr, &out, &outLeft) == static_cast<std::size_t>(-1)) {
        return false;
    }
    utf8.resize(utf8.size() - outLeft);
    return true;
}

}  // namespace

bool ConvertCatalogTexts(CatalogFile *catalog)
{
    const std::uint32_t set = catalog->codeset;
    std::vector<std::string> converted;
    converted.reserve(catalog->texts.size());
    if (set == CODESET_DEFAULT || set == CODESET_ASCII || set == CODESET_LATIN1) {
        // ASCII catalogs with 8-bit texts are read as the Amiga's own set.
        for (const CatalogText &text : catalog->texts) {
            converted.push_back(Latin1ToUtf8(text.text));
        }
    } else if (set == CODESET_AMIGA1251) {
        for (const CatalogText &text : catalog->texts) {
            converted.push_back(Amiga1251ToUtf8(text.text));
        }
    } else if (set == CODESET_UTF8) {
        for (const CatalogText &text : catalog->texts) {
            if (!IsUtf8(text.text)) {
                return false;
            }
            converted.push_back(text.text);
        }
    } else {
        const char *name = CodesetName(set);
        if (name == nullptr) {
            return false;
        }
        iconv_t decoder = iconv_open("UTF-8", name);
        if (decoder == reinterpret_cast<iconv_t>(-1)) {
            return false;
        }
        bool decoded = true;
        for (const CatalogText &text : catalog->texts) {
            std::string utf8;
            if (!DecodeText(decoder, text.text, utf8)) {
                decoded = false;
                break;
            }
            converted.push_back(std::move(utf8));
        }
        iconv_close(decoder);
        if (!decoded) {
            return false;
        }
    }
    for (std::size_t i = 0; i < converted.size(); ++i) {
        catalog->texts[i].text = std::move(converted[i]);
    }
    return true;
}

CatalogStatus ReadCatalogFile(const std::string &path, CatalogFile *out)
{
    *out = CatalogFile{};
    std::vector<std::uint8_t> bytes;
    if (ReadWholeFile(path.c_str(), kMaxCatalogFileSize, bytes) != FileReadStatus::Ok) {
        return CatalogStatus::Malformed;
    }
    const CatalogStatus status = ParseCatalog(bytes, out);
    if (status == CatalogStatus::Ok && !ConvertCatalogTexts(out)) {
        *out = CatalogFile{};
        return CatalogStatus::UnknownCodeset;
    }
    return status;
}

namespace {

// The characters of a UTF-8 line, one string each.
std::vector<std::string> Characters(const std::string &line)
{
    std::vector<std::string> out;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if ((static_cast<unsigned char>(line[i]) & 0xC0) == 0x80 && !out.empty()) {
            out.back() += line[i];
        } else {
            out.emplace_back(1, line[i]);
        }
    }
    return out;
}

std::size_t LeadingSpaces(const std::vector<std::string> &line)
{
    std::size_t n = 0;
    while (n < line.size() && line[n] == " ") {
        ++n;
    }
    return n;
}

void WrapLine(std::vector<std::string> line, std::size_t width, std::string &out)
{
    // Further lines start where the text after the first gap of two spaces does.
    std::size_t indent = LeadingSpaces(line);
    for (std::size_t i = indent; i + 1 < line.size(); ++i) {
        if (line[i] == " " && line[i + 1] == " ") {
            std::vector<std::string> after(line.begin() + static_cast<std::ptrdiff_t>(i), line.end());
            indent = i + LeadingSpaces(after);
            break;
        }
    }
    indent = indent * 2 < width ? indent : 0;
    while (line.size() > width) {
        const std::size_t lead = LeadingSpaces(line);
        std::size_t end = width;
        while (end > lead && line[end] != " ") {
            --end;
        }
        std::size_t next = end;
        if (end <= lead || end <= indent) {
            end = next = width;  // no space to break at: the word is cut
        }
        while (end > 0 && line[end - 1] == " ") {
            --end;
        }
        for (std::size_t i = 0; i < end; ++i) {
            out += line[i];
        }
        out += '\n';
        next += LeadingSpaces(std::vector<std::string>(line.begin() + static_cast<std::ptrdiff_t>(next), line.end()));
        std::vector<std::string> rest(indent, " ");
        rest.insert(rest.end(), line.begin() + static_cast<std::ptrdiff_t>(next), line.end());
        line = std::move(rest);
    }
    for (const std::string &c : line) {
        out += c;
    }
}

}  // namespace

std::string WrapToColumns(const std::string &text, int width)
{
    std::string out;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        WrapLine(Characters(text.substr(start, end == std::string::npos ? std::string::npos : end - start)),
                 static_cast<std::size_t>(std::max(width, 8)), out);
        if (end == std::string::npos) {
            break;
        }
        out += '\n';
        start = end + 1;
    }
    return out;
}
