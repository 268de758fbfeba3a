#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "state/commands.h"
#include "text/text_fixture.h"

namespace {

// Where the catalog has a text, also for an id outside the table; empty texts
// count as untranslated; without a catalog, or with the locale library closed,
// the built-in texts.
TEST_F(TextTest, CatalogTextsReplaceBuiltInOnesWhereThereAreSome)
{
    EXPECT_EQ(std::string(GetString(MSG_MENU_SAVE), 12), std::string("S\0Save prefs\0", 12));
    EXPECT_EQ(GetString(STRING_COUNT), nullptr);
    EXPECT_EQ(GetString(-1), nullptr);
    OpenCatalogWith({{MSG_GROUP_DISPLAY, "Anzeige"}, {MSG_BUTTON_CANCEL, ""}, {77, "extra"}});
    ASSERT_NE(catalogHandle, nullptr);
    EXPECT_STREQ(GetString(MSG_GROUP_DISPLAY), "Anzeige");
    EXPECT_STREQ(GetString(MSG_LABEL_DISPLAY_MODE), "Display mode");  // not in the catalog
    EXPECT_STREQ(GetString(MSG_BUTTON_CANCEL), "Cancel");
    EXPECT_STREQ(GetString(77), "extra");
    EXPECT_EQ(GetString(78), nullptr);

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
    EXPECT_STREQ(GetString(MSG_WINDOW_TITLE), "Einstellungen f\xFCr %s");
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
        {MSG_MENU_EXIT, MenuText('B', "Beenden")},
        {MSG_MENU_MUI_PREFS, MenuText(' ', "MUI...")},
        {MSG_MENU_PROJECT, "Projekt"},  // a title is a plain text
    });
    const std::pair<std::int32_t, std::string> expected[] = {
        {MSG_MENU_SAVE, MenuText('S', "Save prefs")}, {MSG_MENU_HELP, MenuText('H', "Help")},
        {MSG_MENU_ABOUT, MenuText('A', "About")},     {MSG_MENU_ABOUT_MUI, MenuText('M', "About MUI")},
        {MSG_MENU_EXIT, MenuText('B', "Beenden")},    {MSG_MENU_MUI_PREFS, MenuText(' ', "MUI...")}};
    for (const auto &[id, text] : expected) {
        EXPECT_EQ(std::string(GetString(id), text.size() + 1), text + '\0') << id;
    }
    EXPECT_STREQ(GetString(MSG_MENU_PROJECT), "Projekt");
}

// Localised once: a second call would read text pointers as ids; a reset
// table is localised again. Each entry gets its id's text: a title the whole
// text, an item the label after its shortcut (none when blank); bars stay.
TEST_F(TextTest, LocalizeMenusWithBuiltInTextsRunsOnceUntilTheTableIsReset)
{
    const std::vector<NewMenu> written(menuTable, menuTable + MENU_TABLE_SIZE);
    auto expectLocalised = [&written] {
        for (std::size_t i = 0; i < written.size(); ++i) {
            SCOPED_TRACE(i);
            const NewMenu &entry = menuTable[i];
            EXPECT_EQ(entry.nm_UserData, written[i].nm_UserData);
            if (entry.nm_Type == NM_END || written[i].nm_Label == NM_BARLABEL) {
                EXPECT_EQ(entry.nm_Label, written[i].nm_Label);
                continue;
            }
            const char *text = GetString(static_cast<std::int32_t>(reinterpret_cast<IPTR>(written[i].nm_Label)));
            const bool item = entry.nm_Type == NM_ITEM;
            EXPECT_STREQ(entry.nm_Label, item ? text + 2 : text);
            EXPECT_EQ(entry.nm_CommKey, item && text[0] != ' ' ? text : nullptr);
        }
    };
    LocalizeMenus();
    LocalizeMenus();
    expectLocalised();
    ResetMenuTable();
    EXPECT_EQ(reinterpret_cast<IPTR>(menuTable[1].nm_Label), MSG_MENU_SAVE);
    LocalizeMenus();
    expectLocalised();
}

}  // namespace
