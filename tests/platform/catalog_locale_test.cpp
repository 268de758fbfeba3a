// The user's languages from the environment, and where their catalogs are found.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/system/locale.h"
#include "platform/system/program_folder.h"
#include "support/catalog_test_util.h"
#include "support/temp_dir.h"

namespace {

using Languages = std::vector<std::string>;

// The languages for the given LANGUAGE, LC_ALL, LC_MESSAGES and LANG (null: unset).
Languages LanguagesFor(const char *language, const char *all, const char *messages, const char *lang)
{
    auto value = [](const char *text) { return text != nullptr ? std::optional<std::string>(text) : std::nullopt; };
    ScopedEnvVar a("LANGUAGE", value(language)), b("LC_ALL", value(all)), c("LC_MESSAGES", value(messages)),
        d("LANG", value(lang));
    return UserLanguages();
}

// Codes with region, encoding and modifier, English and Amiga names; nothing else.
// LANGUAGE, a list, comes first (unknown codes skipped, repeats dropped, English
// before others wants the built-in texts), then LC_ALL, LC_MESSAGES, LANG; an
// explicit C or POSIX locale wins over LANGUAGE.
TEST(CatalogLocale, LanguagesComeFromTheEnvironmentInTheUsualOrder)
{
    EXPECT_EQ(LanguagesFor(nullptr, nullptr, nullptr, nullptr), Languages{});
    EXPECT_EQ(LanguagesFor(nullptr, nullptr, nullptr, "de_AT.UTF-8@euro"), Languages{"deutsch"});
    EXPECT_EQ(LanguagesFor(nullptr, nullptr, "it_IT", "de_DE"), Languages{"italiano"});
    EXPECT_EQ(LanguagesFor(nullptr, "sv_SE", "it_IT", "de_DE"), Languages{"svenska"});
    EXPECT_EQ(LanguagesFor("", "", "", "nl_NL"), Languages{"nederlands"});
    EXPECT_EQ(LanguagesFor("xx:../../etc:deutsch:French:de_CH:nb_NO", nullptr, nullptr, "it_IT.UTF-8"),
              (Languages{"deutsch", "fran\xC3\247ais", "norsk"}));
    EXPECT_EQ(LanguagesFor("de:en_US:fr", nullptr, nullptr, "de_DE"), Languages{"deutsch"});
    EXPECT_EQ(LanguagesFor("de", "C", nullptr, nullptr), Languages{});
    EXPECT_EQ(LanguagesFor("de", nullptr, "POSIX.UTF-8", "de_DE"), Languages{});
}

// Each language in turn, in both folders, the program's first; malformed catalogs
// and unknown character sets count as absent; French has two spellings; the
// language tag is tried first. Texts are read as UTF-8.
TEST(CatalogLocale, CatalogsAreSoughtForEachLanguageInBothFolders)
{
    TempDir first, second;  // the program's folder, the installed data folder
    auto textFor = [&](const std::string &languages, const char *tag = nullptr) {
        ScopedCatalogEnvironment env(first.path() + ":" + second.path(), languages);
        const TagItem tags[] = {{OC_Language, reinterpret_cast<IPTR>(tag)}, {TAG_DONE, 0}};
        Catalog *catalog = OpenCatalog(nullptr, "Vellumine/Settings.catalog", tags);
        std::string text = catalog != nullptr ? GetCatalogStr(catalog, 1, "<default>") : "<none>";
        CloseCatalog(catalog);
        return text;
    };
    InstallCatalog(first.path(), "italiano", MakeCatalogBytes({{1, "uno"}}));
    EXPECT_EQ(textFor("de"), "<none>");
    InstallCatalog(second.path(), "deutsch", MakeCatalogBytes({{1, "data deutsch"}}));
    EXPECT_EQ(textFor("de:it"), "data deutsch");
    InstallCatalog(first.path(), "deutsch", MakeCatalogBytes({{1, "program deutsch"}}));
    EXPECT_EQ(textFor("de:it"), "program deutsch");
    EXPECT_EQ(textFor("de", "italiano"), "uno");

    InstallCatalog(first.path(), "dansk", "FORM garbage");
    InstallCatalog(second.path(), "dansk", MakeCatalogBytes({{1, "x"}}, 9999));
    InstallCatalog(second.path(), "svenska", MakeCatalogBytes({{1, "en"}}, 0, "svenska"));
    EXPECT_EQ(textFor("da:sv"), "en");
    InstallCatalog(second.path(), "fran\347ais", MakeCatalogBytes({{1, "lat\xEEn"}}));
    EXPECT_EQ(textFor("fr"), "lat\xC3\xAEn");  // read as UTF-8
    InstallCatalog(first.path(), "fran\xC3\247ais", MakeCatalogBytes({{1, "utf"}}));
    EXPECT_EQ(textFor("fr_FR.UTF-8"), "utf");
}

// The folders the program makes from its own are shown by name, without "." and
// "name/.." steps or doubled slashes; a relative path keeps the ".." it starts with.
TEST(CatalogLocale, APathTheProgramMakesIsNormalByName)
{
    const std::pair<const char *, const char *> paths[] = {
        {"/usr/bin/../share/vellumine-settings", "/usr/share/vellumine-settings"},
        {"/usr/libexec/vellumine-settings/../../bin/", "/usr/bin"},
        {"//a/./b//c/.", "/a/b/c"},
        {"/../a", "/a"},
        {"a/../../b/..", ".."},
        {"a/..", "."},
        {"", ""}};
    for (const auto &[path, normal] : paths) {
        EXPECT_EQ(NormalPath(path), normal) << path;
    }
}

}  // namespace
