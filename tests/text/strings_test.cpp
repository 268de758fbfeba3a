// The texts by id: the built-in table, a catalog's texts where it has usable ones.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "app/libraries_setup.h"
#include "platform/libraries.h"
#include "platform/locale.h"
#include "state/commands.h"
#include "support/catalog_test_util.h"
#include "support/temp_dir.h"
#include "text/menu.h"
#include "text/strings.h"

namespace {

// With locale.library open and a catalog built from given texts.
class TextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetLibraryState();
        ResetMenuTable();
    }

    void TearDown() override
    {
        ResetMenuTable();
        ResetLibraryState();
    }

    // Opens the locale library and a catalog holding texts (none when empty).
    void OpenCatalogWith(const std::vector<std::pair<std::int32_t, std::string>> &texts, std::uint32_t codeset = 0)
    {
        if (!texts.empty()) {
            InstallCatalog(dir_.path(), "deutsch", MakeCatalogBytes(texts, codeset));
        }
        LocaleBase = OpenLibrary("locale.library", 39);
        ASSERT_NE(LocaleBase, nullptr);
        ILocale = GetInterface(LocaleBase, "main", 1, nullptr);
        ASSERT_NE(ILocale, nullptr);
        localeHandle = OpenLocale(nullptr);
        catalogHandle = OpenCatalog(localeHandle, "Vellumine/Settings.catalog", nullptr);
    }

    TempDir dir_;
    ScopedCatalogEnvironment environment_{dir_.path(), "de"};
};

// A menu text: shortcut, zero byte, label.
inline std::string MenuText(char key, const std::string &label)
{
    return std::string(1, key) + '\0' + label;
}

// Where the catalog has a text, also for an id outside the table; empty texts
// count as untranslated; without a catalog, or with the locale library closed,
// the built-in texts.
TEST_F(TextTest, CatalogTextsReplaceBuiltInOnesWhereThereAreSome)
{
    EXPECT_EQ(std::string(GetString(MSG_MENU_SAVE), 12), std::string("S\0Save prefs\0", 12));
    EXPECT_EQ(GetString(STRING_COUNT), nullptr);
    EXPECT_EQ(GetString(-1), nullptr);
    OpenCatalogWith({{MSG_GROUP_DISPLAY, "Anzeige"}, {MSG_BUTTON_CANCEL, ""}, {STRING_COUNT, "extra"}});
    ASSERT_NE(catalogHandle, nullptr);
    EXPECT_STREQ(GetString(MSG_GROUP_DISPLAY), "Anzeige");
    EXPECT_STREQ(GetString(MSG_LABEL_DISPLAY_MODE), "Display mode");  // not in the catalog
    EXPECT_STREQ(GetString(MSG_BUTTON_CANCEL), "Cancel");
    EXPECT_STREQ(GetString(STRING_COUNT), "extra");
    EXPECT_EQ(GetString(STRING_COUNT + 1), nullptr);

    Interface *iface = ILocale;
    ILocale = nullptr;
    EXPECT_STREQ(GetString(MSG_GROUP_DISPLAY), "Display settings");
    ILocale = iface;
    CloseCatalog(catalogHandle);
    catalogHandle = nullptr;
    EXPECT_STREQ(GetString(MSG_GROUP_DISPLAY), "Display settings");
}

// A format text is used only with exactly as many %s as its use fills and no
// other conversion; every built-in text passes the check of its id.
TEST_F(TextTest, FormatTextsWithOtherConversionsAreNotUsed)
{
    OpenCatalogWith({
        {MSG_ERR_OPEN_LIBRARY, "%s %s"},                // two arguments
        {MSG_ERR_OPEN_FILE, "Datei %d"},                // another conversion
        {MSG_WINDOW_TITLE, "Einstellungen f\xFCr %s"},  // fine
        {MSG_ABOUT_TEXT, "%s\n%n"},                     // a writing conversion
        {MSG_ERR_WRITE_ICONS, "100%% nicht in %s"},     // a literal percent: fine
        {MSG_ERR_NO_HELP, "Hilfe zu 100% %s"},          // never a format: as it is
        {MSG_ERR_CREATE_APP, "Fehler 100%"},            // not a format: as it is
    });
    EXPECT_STREQ(GetString(MSG_ERR_OPEN_LIBRARY), "Cannot open library %s !");
    EXPECT_STREQ(GetString(MSG_ERR_OPEN_FILE), "Cannot open file %s!");
    EXPECT_STREQ(GetString(MSG_WINDOW_TITLE), "Einstellungen f\xC3\xBCr %s");  // as UTF-8
    EXPECT_STREQ(GetString(MSG_ABOUT_TEXT), builtInStrings[MSG_ABOUT_TEXT].text);
    EXPECT_STREQ(GetString(MSG_ERR_WRITE_ICONS), "100%% nicht in %s");
    EXPECT_STREQ(GetString(MSG_ERR_NO_HELP), "Hilfe zu 100% %s");
    EXPECT_STREQ(GetString(MSG_ERR_CREATE_APP), "Fehler 100%");
    for (const StringEntry &entry : builtInStrings) {  // a menu item's: shortcut, zero byte, label
        std::size_t length = std::strlen(entry.text);
        length += length == 1 ? 1 + std::strlen(entry.text + 2) : 0;
        EXPECT_TRUE(CatalogTextFits(entry.id, entry.text, length)) << entry.id;
    }
    // Flags, widths, a trailing percent; past a zero byte printf reads nothing.
    EXPECT_FALSE(CatalogTextFits(MSG_WINDOW_TITLE, "%-20s", 5));
    EXPECT_FALSE(CatalogTextFits(MSG_WINDOW_TITLE, "%s %", 4));
    EXPECT_TRUE(CatalogTextFits(MSG_WINDOW_TITLE, "%s\0%d", 5));
    EXPECT_TRUE(CatalogTextFits(MSG_LABEL_FPS, "%d %n", 5));
}

// A menu item's text is used only in the two-part form: never read past its end.
TEST_F(TextTest, MenuItemTextsNotOfTheTwoPartFormAreNotUsed)
{
    OpenCatalogWith({
        {MSG_MENU_SAVE, "Speichern"},                // no zero byte
        {MSG_MENU_HELP, "H"},                        // the label is missing
        {MSG_MENU_ABOUT, std::string("I\0\0A", 4)},  // an empty label
        {MSG_MENU_ABOUT_MUI, MenuText('\0', "MUI")},
        {MSG_MENU_EXIT, MenuText('\xC4', "Ende")},  // a key of two bytes in UTF-8
        {MSG_MENU_MUI_PREFS, MenuText(' ', "MUI...")},
        {MSG_MENU_PROJECT, "Projekt"},  // a title is a plain text
    });
    const std::pair<std::int32_t, std::string> expected[] = {
        {MSG_MENU_SAVE, MenuText('S', "Save prefs")},      {MSG_MENU_HELP, MenuText('H', "Help")},
        {MSG_MENU_ABOUT, MenuText('A', "About")},          {MSG_MENU_ABOUT_MUI, MenuText('M', "About MUI")},
        {MSG_MENU_EXIT, std::string("\xC3\x84\0Ende", 7)}, {MSG_MENU_MUI_PREFS, MenuText(' ', "MUI...")}};
    for (const auto &[id, text] : expected) {
        const char *got = GetString(id);
        EXPECT_EQ(std::string(got) + '\0' + (got + std::strlen(got) + 1), text) << id;
    }
    EXPECT_STREQ(GetString(MSG_MENU_PROJECT), "Projekt");
}

// The default name is held as icons hold names, in ISO-8859-1; a name that
// has no form there gives way to the built-in one.
TEST_F(TextTest, TheDefaultAppNameIsHeldInLatin1)
{
    OpenCatalogWith({{MSG_DEFAULT_APP_NAME, "Anwendung \xC3\xA4"}}, CODESET_UTF8);
    EXPECT_EQ(DefaultAppName(), "Anwendung \xE4");
    CloseCatalog(catalogHandle);
    CloseLocale(localeHandle);
    OpenCatalogWith({{MSG_DEFAULT_APP_NAME, "\xD0\x9F\xD1\x80\xD0\xBE"}}, CODESET_UTF8);
    EXPECT_EQ(DefaultAppName(), "Application");
}

// Localised once: a second call would read text pointers as ids; a reset
// table is localised again. An item's label follows its shortcut key.
TEST_F(TextTest, LocalizeMenusRunsOnceUntilTheTableIsReset)
{
    for (int pass = 0; pass < 2; ++pass) {
        LocalizeMenus();
        LocalizeMenus();
        EXPECT_STREQ(menuTable[1].nm_Label, "Save prefs");
        EXPECT_STREQ(menuTable[1].nm_CommKey, "S");
        ResetMenuTable();
        EXPECT_EQ(reinterpret_cast<IPTR>(menuTable[1].nm_Label), MSG_MENU_SAVE);
    }
}

}  // namespace
