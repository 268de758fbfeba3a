#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/locale.h"
#include "support/catalog_test_util.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"

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

TEST(CatalogLocale, LanguageCodesMapToAmigaNames)
{
    // Codes with region, encoding and modifier, English names, Amiga names; nothing else.
    EXPECT_EQ(AmigaLanguageName("de_AT.UTF-8@euro"), "deutsch");
    EXPECT_EQ(AmigaLanguageName("German"), "deutsch");
    EXPECT_EQ(AmigaLanguageName("deutsch"), "deutsch");
    EXPECT_EQ(AmigaLanguageName("nb_NO"), "norsk");
    EXPECT_EQ(AmigaLanguageName("en_GB"), "");
    EXPECT_EQ(AmigaLanguageName("C.UTF-8"), "");
    EXPECT_EQ(AmigaLanguageName("../../etc"), "");
}

TEST(CatalogLocale, LanguagesComeFromTheEnvironmentInTheUsualOrder)
{
    EXPECT_EQ(LanguagesFor(nullptr, nullptr, nullptr, nullptr), Languages{});
    EXPECT_EQ(LanguagesFor(nullptr, nullptr, nullptr, "de_DE.UTF-8"), Languages{"deutsch"});
    EXPECT_EQ(LanguagesFor(nullptr, nullptr, "it_IT", "de_DE"), Languages{"italiano"});
    EXPECT_EQ(LanguagesFor(nullptr, "sv_SE", "it_IT", "de_DE"), Languages{"svenska"});
    EXPECT_EQ(LanguagesFor("", "", "", "nl_NL"), Languages{"nederlands"});  // empty counts as unset
    // LANGUAGE, a list, comes first; unknown codes are skipped, repeats dropped.
    EXPECT_EQ(LanguagesFor("xx:fr:de_CH:de", nullptr, nullptr, "it_IT.UTF-8"),
              (Languages{"fran\xC3\xA7" "ais", "deutsch"}));
    // English before others: the built-in texts are wanted.
    EXPECT_EQ(LanguagesFor("de:en:fr", nullptr, nullptr, "de_DE"), Languages{"deutsch"});
    EXPECT_EQ(LanguagesFor("en_US:de", nullptr, nullptr, "de_DE"), Languages{});
    // An explicit C or POSIX locale wins over LANGUAGE.
    EXPECT_EQ(LanguagesFor("de", "C", nullptr, nullptr), Languages{});
    EXPECT_EQ(LanguagesFor("de", nullptr, "POSIX", "de_DE"), Languages{});
}

TEST(CatalogLocale, OpenLocaleTakesTheUserLanguagesOrTheGivenOnes)
{
    ScopedCatalogEnvironment env("", "fi:pl");
    Locale *user = OpenLocale(nullptr);
    EXPECT_EQ(user->preferredLanguages, (Languages{"suomi", "polski"}));
    CloseLocale(user);
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

    static std::string TextOf(Catalog *catalog, std::int32_t id) { return GetCatalogStr(catalog, id, "<default>"); }

    TempDir first_;   // stands for the program's folder
    TempDir second_;  // stands for the installed data folder
};

TEST_F(CatalogSearch, LanguagesInTurnEachInBothFolders)
{
    InstallCatalog(first_.path(), "italiano", MakeCatalogBytes({{1, "uno"}}));
    EXPECT_EQ(Open("de"), nullptr);
    EXPECT_EQ(Open(""), nullptr);
    EXPECT_EQ(GetCatalogStr(nullptr, 1, "one"), std::string("one"));

    InstallCatalog(second_.path(), "deutsch", MakeCatalogBytes({{1, "data deutsch"}}));
    Catalog *catalog = Open("de:it");
    ASSERT_NE(catalog, nullptr);
    EXPECT_EQ(TextOf(catalog, 1), "data deutsch");  // the first language wins over the first folder
    EXPECT_EQ(TextOf(catalog, 2), "<default>");
    CloseCatalog(catalog);

    InstallCatalog(first_.path(), "deutsch", MakeCatalogBytes({{1, "program deutsch"}}));
    catalog = Open("de:it");
    EXPECT_EQ(TextOf(catalog, 1), "program deutsch");  // beside the program before the data folder
    EXPECT_EQ(std::string(CatalogPath(catalog)), first_.path() + "/Catalogs/deutsch/Vellumine/Settings.catalog");
    CloseCatalog(catalog);
}

TEST_F(CatalogSearch, MalformedCatalogsCountAsAbsentAndFrenchHasTwoSpellings)
{
    InstallCatalog(first_.path(), "deutsch", "FORM garbage");
    InstallCatalog(second_.path(), "deutsch", MakeCatalogBytes({{1, "x"}}, 9999));
    InstallCatalog(second_.path(), "dansk", MakeCatalogBytes({{1, "en"}}, 0, "dansk"));
    Catalog *catalog = Open("de:da");
    ASSERT_NE(catalog, nullptr);
    EXPECT_EQ(TextOf(catalog, 1), "en");
    EXPECT_STREQ(CatalogLanguage(catalog), "dansk");
    CloseCatalog(catalog);

    // The French folder in either spelling.
    InstallCatalog(second_.path(), "fran\xE7" "ais", MakeCatalogBytes({{1, "latin"}}));
    catalog = Open("fr");
    ASSERT_NE(catalog, nullptr);
    EXPECT_EQ(TextOf(catalog, 1), "latin");
    CloseCatalog(catalog);

    InstallCatalog(first_.path(), "fran\xC3\xA7" "ais", MakeCatalogBytes({{1, "utf"}}));
    catalog = Open("fr_FR.UTF-8");
    EXPECT_EQ(TextOf(catalog, 1), "utf");
    CloseCatalog(catalog);
}

TEST_F(CatalogSearch, LanguageTagIsTriedFirst)
{
    InstallCatalog(first_.path(), "deutsch", MakeCatalogBytes({{1, "eins"}}));
    InstallCatalog(first_.path(), "svenska", MakeCatalogBytes({{1, "ett"}}));
    ScopedCatalogEnvironment env(first_.path(), "de");
    const TagItem tags[] = {{OC_Language, reinterpret_cast<IPTR>("svenska")}, {TAG_DONE, 0}};
    Catalog *catalog = OpenCatalog(nullptr, "Vellumine/Settings.catalog", tags);
    EXPECT_EQ(TextOf(catalog, 1), "ett");
    CloseCatalog(catalog);
}

TEST(CatalogLocale, DefaultRootsAreTheProgramFolderThenTheDataFolders)
{
    ScopedEnvVar roots("SETTINGS_CATALOG_ROOTS", std::nullopt);
    std::vector<std::string> found = CatalogRoots();
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0], std::string(kBuildDir) + "/tests");  // where the test program lives
    EXPECT_EQ(found[1], std::string(kBuildDir) + "/tests/../share/vellumine-settings");
    EXPECT_NE(found[2].find("vellumine-settings"), std::string::npos);
}

}  // namespace
