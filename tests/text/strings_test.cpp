#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "text/text_fixture.h"

namespace {

TEST_F(TextTest, WithoutACatalogTextsAreBuiltIn)
{
    OpenCatalogWith({});
    EXPECT_EQ(catalogHandle, nullptr);
    EXPECT_STREQ(GetString(MSG_MODE_FULLSCREEN_MANUAL), "Full screen (manual mode select)");
    EXPECT_EQ(std::string(GetString(MSG_MENU_SAVE), 12), std::string("S\0Save prefs\0", 12));
    EXPECT_EQ(GetString(STRING_COUNT), nullptr);
    EXPECT_EQ(GetString(-1), nullptr);
    // The built-in format texts pass the check a catalog's texts must pass.
    for (std::int32_t id : {MSG_ERR_OPEN_LIBRARY, MSG_ERR_OPEN_FILE, MSG_WINDOW_TITLE, MSG_ABOUT_TEXT,
                            MSG_ERR_WRITE_ICONS}) {
        const char *text = GetString(id);
        EXPECT_TRUE(CatalogTextFits(id, text, std::strlen(text))) << id;
    }
}

// Where it has a text, also for an id outside the table; empty texts count as
// untranslated.
TEST_F(TextTest, CatalogTextsReplaceBuiltInOnesWhereThereAreSome)
{
    OpenCatalogWith({{MSG_GROUP_DISPLAY, "Anzeige"},
                     {MSG_WINDOW_TITLE, "Einstellungen f\xFCr %s"},
                     {MSG_BUTTON_CANCEL, ""},
                     {77, "extra"}});
    ASSERT_NE(catalogHandle, nullptr);
    EXPECT_STREQ(GetString(MSG_GROUP_DISPLAY), "Anzeige");
    EXPECT_STREQ(GetString(MSG_WINDOW_TITLE), "Einstellungen f\xFCr %s");
    EXPECT_STREQ(GetString(MSG_LABEL_DISPLAY_MODE), "Display mode");  // not in the catalog
    EXPECT_STREQ(GetString(MSG_BUTTON_CANCEL), "Cancel");
    EXPECT_STREQ(GetString(77), "extra");
    EXPECT_EQ(GetString(78), nullptr);
    EXPECT_EQ(GetString(-1), nullptr);

    // Not while the locale library is closed, nor after the catalog is.
    Interface *iface = ILocale;
    ILocale = nullptr;
    EXPECT_STREQ(GetString(MSG_GROUP_DISPLAY), "Display settings");
    ILocale = iface;
    EXPECT_STREQ(GetString(MSG_GROUP_DISPLAY), "Anzeige");
    CloseCatalog(catalogHandle);
    catalogHandle = nullptr;
    EXPECT_STREQ(GetString(MSG_GROUP_DISPLAY), "Display settings");
}

// A format text is used only with exactly one %s and no other conversion.
TEST_F(TextTest, FormatTextsWithOtherConversionsAreNotUsed)
{
    OpenCatalogWith({
        {MSG_ERR_OPEN_LIBRARY, "%s %s"},            // two arguments
        {MSG_ERR_OPEN_FILE, "Datei %d"},             // another conversion
        {MSG_WINDOW_TITLE, "Einstellungen"},         // none
        {MSG_ABOUT_TEXT, "%s\n%n"},                  // a writing conversion
        {MSG_ERR_WRITE_ICONS, "100%% nicht in %s"},  // a literal percent: fine
        {MSG_ERR_NO_HELP, "Hilfe zu 100% %s"},       // never a format: as it is
        {MSG_ERR_CREATE_APP, "Fehler 100%"},         // not a format: as it is
    });
    EXPECT_STREQ(GetString(MSG_ERR_OPEN_LIBRARY), "Cannot open library %s !");
    EXPECT_STREQ(GetString(MSG_ERR_OPEN_FILE), "Cannot open file %s!");
    EXPECT_STREQ(GetString(MSG_WINDOW_TITLE), "%s Settings");
    EXPECT_STREQ(GetString(MSG_ABOUT_TEXT), builtInStrings[MSG_ABOUT_TEXT].text);
    EXPECT_STREQ(GetString(MSG_ERR_WRITE_ICONS), "100%% nicht in %s");
    EXPECT_STREQ(GetString(MSG_ERR_NO_HELP), "Hilfe zu 100% %s");
    EXPECT_STREQ(GetString(MSG_ERR_CREATE_APP), "Fehler 100%");

    // Flags, widths, a trailing percent; past a zero byte printf reads nothing.
    EXPECT_FALSE(CatalogTextFits(MSG_WINDOW_TITLE, "%-20s", 5));
    EXPECT_FALSE(CatalogTextFits(MSG_WINDOW_TITLE, "%.3s", 4));
    EXPECT_FALSE(CatalogTextFits(MSG_WINDOW_TITLE, "%s %", 4));
    EXPECT_TRUE(CatalogTextFits(MSG_WINDOW_TITLE, "%%%s%%", 6));
    EXPECT_TRUE(CatalogTextFits(MSG_WINDOW_TITLE, "%s\0%d", 5));
    EXPECT_TRUE(CatalogTextFits(MSG_LABEL_FPS, "%d %n", 5));
}

// A menu item's text is used only in the two-part form: never read past its end.
TEST_F(TextTest, MenuItemTextsNotOfTheTwoPartFormAreNotUsed)
{
    OpenCatalogWith({
        {MSG_MENU_SAVE, "Speichern"},             // no zero byte
        {MSG_MENU_HELP, "H"},                     // the label is missing
        {MSG_MENU_ABOUT, std::string("I\0", 2)},  // an empty label
        {MSG_MENU_ABOUT_MUI, MenuText('\0', "MUI")},
        {MSG_MENU_EXIT, MenuText('B', "Beenden")},
        {MSG_MENU_MUI_PREFS, MenuText(' ', "MUI...")},
        {MSG_MENU_PROJECT, "Projekt"},  // a title is a plain text
    });
    const std::pair<std::int32_t, std::string> expected[] = {
        {MSG_MENU_SAVE, MenuText('S', "Save prefs")}, {MSG_MENU_HELP, MenuText('H', "Help")},
        {MSG_MENU_ABOUT, MenuText('A', "About")},     {MSG_MENU_ABOUT_MUI, MenuText('M', "About MUI")},
        {MSG_MENU_EXIT, MenuText('B', "Beenden")},    {MSG_MENU_MUI_PREFS, MenuText(' ', "MUI...")}};
    for (const auto &[id, text] : expected) {
        EXPECT_EQ(std::string(GetString(id), text.size()), text) << id;
        EXPECT_EQ(GetString(id)[text.size()], '\0') << id;
    }
    EXPECT_STREQ(GetString(MSG_MENU_PROJECT), "Projekt");
}

}  // namespace
