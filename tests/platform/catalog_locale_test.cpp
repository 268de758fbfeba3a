#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/locale.h"
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
    EXPECT_EQ(AmigaLanguageName("German"), "deutsch");
    EXPECT_EQ(AmigaLanguageName("deutsch"), "deutsch");
    EXPECT_EQ(AmigaLanguageName("nb_NO"), "norsk");
    EXPECT_EQ(AmigaLanguageName("../../etc"), "");
    EXPECT_EQ(LanguagesFor(nullptr, nullptr, nullptr, nullptr), Languages{});
    EXPECT_EQ(LanguagesFor(nullptr, nullptr, nullptr, "de_AT.UTF-8@euro"), Languages{"deutsch"});
    EXPECT_EQ(LanguagesFor(nullptr, nullptr, "it_IT", "de_DE"), Languages{"italiano"});
    EXPECT_EQ(LanguagesFor(nullptr, "sv_SE", "it_IT", "de_DE"), Languages{"svenska"});
    EXPECT_EQ(LanguagesFor("", "", "", "nl_NL"), Languages{"nederlands"});
    EXPECT_EQ(LanguagesFor("xx:fr:de_CH:de", nullptr, nullptr, "it_IT.UTF-8"),
              (Languages{"fran\xC3\247ais", "deutsch"}));
    EXPECT_EQ(LanguagesFor("de:en:fr", nullptr, nullptr, "de_DE"), Languages{"deutsch"});
    EXPECT_EQ(LanguagesFor("en_US:de", nullptr, nullptr, "de_DE"), Languages{});
    EXPECT_EQ(LanguagesFor("de", "C", nullptr, nullptr), Languages{});
    EXPECT_EQ(LanguagesFor("de", nullptr, "POSIX.UTF-8", "de_DE"), Languages{});
    Locale *given = OpenLocale("hu:en:de");
    EXPECT_EQ(given->preferredLanguages, Languages{"magyar"});
    CloseLocale(given);
}

class CatalogSearch : public ::testing::Test {
protected:
    Catalog *Open(const std::string &languages)
    {
        ScopedCatalogEnvironment env(first_.path() + ":" + second_.path(), languages);
        Locale *locale = OpenLocale(nullptr);
        Catalog *catalog = OpenCatalog(locale, "Vellumine/Settings.catalog", nullptr);
        CloseLocale(locale);
        return catalog;
    }
    // The text of id 1 in the catalog for languages, then closes it.
    std::string TextFor(const std::string &languages)
    {
        Catalog *catalog = Open(languages);
        std::string text = catalog != nullptr ? GetCatalogStr(catalog, 1, "<default>") : "<none>";
        CloseCatalog(catalog);
        return text;
    }
    TempDir first_;   // stands for the program's folder
    TempDir second_;  // stands for the installed data folder
};

// Each language in turn, in both folders, the program's first; malformed catalogs
// and unknown character sets count as absent; French has two spellings.
TEST_F(CatalogSearch, LanguagesInTurnEachInBothFolders)
{
    InstallCatalog(first_.path(), "italiano", MakeCatalogBytes({{1, "uno"}}));
    EXPECT_EQ(TextFor("de"), "<none>");
    EXPECT_EQ(TextFor(""), "<none>");
    InstallCatalog(second_.path(), "deutsch", MakeCatalogBytes({{1, "data deutsch"}}));
    EXPECT_EQ(TextFor("de:it"), "data deutsch");
    InstallCatalog(first_.path(), "deutsch", MakeCatalogBytes({{1, "program deutsch"}}));
    EXPECT_EQ(TextFor("de:it"), "program deutsch");
    Catalog *catalog = Open("de");
    EXPECT_EQ(std::string(CatalogPath(catalog)), first_.path() + "/Catalogs/deutsch/Vellumine/Settings.catalog");
    EXPECT_STREQ(GetCatalogStr(catalog, 2, "<default>"), "<default>");
    CloseCatalog(catalog);

    InstallCatalog(first_.path(), "dansk", "FORM garbage");
    InstallCatalog(second_.path(), "dansk", MakeCatalogBytes({{1, "x"}}, 9999));
    InstallCatalog(second_.path(), "svenska", MakeCatalogBytes({{1, "en"}}, 0, "svenska"));
    EXPECT_EQ(TextFor("da:sv"), "en");
    InstallCatalog(second_.path(), "fran\347ais", MakeCatalogBytes({{1, "latin"}}));
    EXPECT_EQ(TextFor("fr"), "latin");
    InstallCatalog(first_.path(), "fran\xC3\247ais", MakeCatalogBytes({{1, "utf"}}));
    EXPECT_EQ(TextFor("fr_FR.UTF-8"), "utf");

    // The language tag is tried first.
    ScopedCatalogEnvironment env(first_.path(), "de");
    const TagItem tags[] = {{OC_Language, reinterpret_cast<IPTR>("italiano")}, {TAG_DONE, 0}};
    catalog = OpenCatalog(nullptr, "Vellumine/Settings.catalog", tags);
    EXPECT_STREQ(GetCatalogStr(catalog, 1, "<default>"), "uno");
    CloseCatalog(catalog);
}

}  // namespace
