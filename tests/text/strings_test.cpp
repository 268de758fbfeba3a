#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "text/text_fixture.h"

namespace {

std::string Label(const char *menuText)
{
    return menuText + 2;
}

TEST_F(TextTest, BuiltInTableHasEveryIdInOrder)
{
    for (int i = 0; i < STRING_COUNT; ++i) {
        EXPECT_EQ(builtInStrings[i].id, i);
        ASSERT_NE(builtInStrings[i].text, nullptr);
    }
    EXPECT_STREQ(GetString(MSG_MENU_PROJECT), "Project");
    EXPECT_STREQ(GetString(MSG_MODE_FULLSCREEN_MANUAL), "Full screen (manual mode select)");
    EXPECT_STREQ(GetString(MSG_ERR_WRITE_ICONS), "Cannot save the settings into %s!");
    EXPECT_EQ(GetString(STRING_COUNT), nullptr);
    EXPECT_EQ(GetString(-1), nullptr);
}

TEST_F(TextTest, BuiltInMenuItemsAreTwoPart)
{
    const std::pair<std::int32_t, const char *> items[] = {
        {MSG_MENU_SAVE, "SSave prefs"}, {MSG_MENU_HELP, "HHelp"},      {MSG_MENU_ABOUT, "AAbout"},
        {MSG_MENU_ABOUT_MUI, "MAbout MUI"}, {MSG_MENU_EXIT, "EExit"}, {MSG_MENU_MUI_PREFS, "XMUI..."},
    };
    for (const auto &[id, expected] : items) {
        const char *text = GetString(id);
        EXPECT_EQ(text[0], expected[0]) << id;
        EXPECT_EQ(text[1], '\0') << id;
        EXPECT_EQ(Label(text), std::string(expected + 1)) << id;
    }
}

TEST_F(TextTest, BuiltInFormatsHoldOneStringConversion)
{
    char title[128];
    std::snprintf(title, sizeof title, GetString(MSG_WINDOW_TITLE), "Demo");
    EXPECT_STREQ(title, "Demo Settings");

    const char *about = GetString(MSG_ABOUT_TEXT);
    EXPECT_EQ(std::strncmp(about, "%s", 2), 0);
    EXPECT_EQ(std::count(about, about + std::strlen(about), '\n'), 3);
    EXPECT_NE(std::strstr(about, "Vellumine multimedia layer"), nullptr);
    for (std::int32_t id : {MSG_ERR_OPEN_LIBRARY, MSG_ERR_OPEN_FILE, MSG_WINDOW_TITLE, MSG_ABOUT_TEXT,
                            MSG_ERR_WRITE_ICONS}) {
        const char *text = GetString(id);
        EXPECT_TRUE(CatalogTextFits(id, text, std::strlen(text))) << id;
    }
}

TEST_F(TextTest, CatalogTextsReplaceBuiltInOnesWhereThereAreSome)
{
    OpenCatalogWith({{MSG_GROUP_DISPLAY, "Anzeige"}, {MSG_WINDOW_TITLE, "Einstellungen f\xFCr %s"}});
    ASSERT_NE(catalogHandle, nullptr);
    EXPECT_STREQ(GetString(MSG_GROUP_DISPLAY), "Anzeige");
    EXPECT_STREQ(GetString(MSG_WINDOW_TITLE), "Einstellungen f\xFCr %s");
    EXPECT_STREQ(GetString(MSG_LABEL_DISPLAY_MODE), "Display mode");  // not in the catalog
    EXPECT_EQ(GetString(-1), nullptr);
}

TEST_F(TextTest, CatalogTextForAnIdOutsideTheTableIsReturned)
{
    OpenCatalogWith({{77, "extra"}});
    EXPECT_STREQ(GetString(77), "extra");
    EXPECT_EQ(GetString(78), nullptr);
}

TEST_F(TextTest, WithoutCatalogOrAfterClosingItTextsAreBuiltIn)
{
    OpenCatalogWith({});
    EXPECT_EQ(catalogHandle, nullptr);
    EXPECT_STREQ(GetString(MSG_BUTTON_SAVE), "Save");

    ResetLibraryState();
    OpenCatalogWith({{MSG_ERR_OPEN_LIBRARY, "Bibliothek %s fehlt!"}});
    EXPECT_STREQ(GetString(MSG_ERR_OPEN_LIBRARY), "Bibliothek %s fehlt!");
    CloseTheCatalog();
    EXPECT_STREQ(GetString(MSG_ERR_OPEN_LIBRARY), "Cannot open library %s !");
}

TEST_F(TextTest, CatalogIsNotConsultedWhileLocaleLibraryIsClosed)
{
    OpenCatalogWith({{MSG_BUTTON_SAVE, "Speichern"}});
    Interface *iface = ILocale;
    ILocale = nullptr;
    EXPECT_STREQ(GetString(MSG_BUTTON_SAVE), "Save");
    ILocale = iface;
    EXPECT_STREQ(GetString(MSG_BUTTON_SAVE), "Speichern");
}

TEST_F(TextTest, FormatTextsWithOtherConversionsAreNotUsed)
{
    OpenCatalogWith({
        {MSG_ERR_OPEN_LIBRARY, "%s %s"},            // two arguments
        {MSG_ERR_OPEN_FILE, "Datei %d"},             // another conversion
        {MSG_WINDOW_TITLE, "Einstellungen"},         // none
        {MSG_ABOUT_TEXT, "%s\n%n"},                  // a writing conversion
        {MSG_ERR_WRITE_ICONS, "100%% nicht in %s"},  // a literal percent: fine
        {MSG_ERR_NO_HELP, "Hilfe %s"},               // shown without arguments
        {MSG_ERR_CREATE_APP, "Fehler 100%"},         // not a format: as it is
    });
    EXPECT_STREQ(GetString(MSG_ERR_OPEN_LIBRARY), "Cannot open library %s !");
    EXPECT_STREQ(GetString(MSG_ERR_OPEN_FILE), "Cannot open file %s!");
    EXPECT_STREQ(GetString(MSG_WINDOW_TITLE), "%s Settings");
    EXPECT_STREQ(GetString(MSG_ABOUT_TEXT), builtInStrings[MSG_ABOUT_TEXT].text);
    EXPECT_STREQ(GetString(MSG_ERR_WRITE_ICONS), "100%% nicht in %s");
    EXPECT_STREQ(GetString(MSG_ERR_NO_HELP), "Help is not available!");
    EXPECT_STREQ(GetString(MSG_ERR_CREATE_APP), "Fehler 100%");
}

TEST_F(TextTest, FormatCheckCoversFlagsWidthsAndTrailingPercent)
{
    EXPECT_FALSE(CatalogTextFits(MSG_WINDOW_TITLE, "%-20s", 5));
    EXPECT_FALSE(CatalogTextFits(MSG_WINDOW_TITLE, "%.3s", 4));
    EXPECT_FALSE(CatalogTextFits(MSG_WINDOW_TITLE, "%s %", 4));
    EXPECT_TRUE(CatalogTextFits(MSG_WINDOW_TITLE, "%%%s%%", 6));
    // Past a zero byte printf reads nothing: only what precedes it counts.
    EXPECT_TRUE(CatalogTextFits(MSG_WINDOW_TITLE, "%s\0%d", 5));
    EXPECT_TRUE(CatalogTextFits(MSG_LABEL_FPS, "%d %n", 5));
}

TEST_F(TextTest, MenuItemTextsNotOfTheTwoPartFormAreNotUsed)
{
    OpenCatalogWith({
        {MSG_MENU_SAVE, "Speichern"},           // no zero byte
        {MSG_MENU_HELP, "H"},                    // the label is missing
        {MSG_MENU_ABOUT, std::string("I\0", 2)},  // an empty label
        {MSG_MENU_ABOUT_MUI, MenuText('\0', "MUI")},
        {MSG_MENU_EXIT, MenuText('B', "Beenden")},
        {MSG_MENU_MUI_PREFS, MenuText(' ', "MUI...")},
        {MSG_MENU_PROJECT, "Projekt"},  // a title is a plain text
    });
    EXPECT_EQ(Label(GetString(MSG_MENU_SAVE)), "Save prefs");
    EXPECT_EQ(Label(GetString(MSG_MENU_HELP)), "Help");
    EXPECT_EQ(Label(GetString(MSG_MENU_ABOUT)), "About");
    EXPECT_EQ(Label(GetString(MSG_MENU_ABOUT_MUI)), "About MUI");
    EXPECT_EQ(GetString(MSG_MENU_EXIT)[0], 'B');
    EXPECT_EQ(Label(GetString(MSG_MENU_EXIT)), "Beenden");
    EXPECT_EQ(GetString(MSG_MENU_MUI_PREFS)[0], ' ');
    EXPECT_STREQ(GetString(MSG_MENU_PROJECT), "Projekt");
}

TEST_F(TextTest, EmptyCatalogTextCountsAsUntranslated)
{
    OpenCatalogWith({{MSG_BUTTON_CANCEL, ""}, {MSG_BUTTON_HELP, "Hilfe"}});
    EXPECT_STREQ(GetString(MSG_BUTTON_CANCEL), "Cancel");
    EXPECT_STREQ(GetString(MSG_BUTTON_HELP), "Hilfe");
}

}  // namespace
