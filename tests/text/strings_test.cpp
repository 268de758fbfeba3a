// The texts by id: the built-in table, a catalog's texts where it has usable ones.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "gui/commands.h"
#include "gui/menu.h"
#include "platform/formats/charset.h"
#include "platform/system/libraries.h"
#include "platform/system/locale.h"
#include "support/catalog_test_util.h"
#include "support/temp_dir.h"
#include "text/strings.h"
#include "window/libraries_setup.h"
#include "window/program_reset.h"

namespace {

// A catalog built from given texts, opened with the libraries.
class TextTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        Shutdown(0);
        ResetProgramState();
    }

    void OpenCatalogWith(const std::vector<std::pair<std::int32_t, std::string>> &texts)
    {
        InstallCatalog(dir_.path(), "deutsch", MakeCatalogBytes(texts, CODESET_UTF8));
        ASSERT_EQ(OpenLibraries(), 0);
    }

    TempDir dir_;
    ScopedCatalogEnvironment environment_{dir_.path(), "de"};
};

// The text GetString gives, with a menu item's label after its zero byte.
std::string Shown(std::int32_t id)
{
    const std::string text = GetString(id);
    return !text.empty() && Utf8CharLength(text) == text.size() ? text + '\0' + (GetString(id) + text.size() + 1)
                                                                : text;
}

// A catalog text is used where it has the form its id needs: not empty; a
// format text with exactly as many %s as its use fills and no other conversion;
// a menu item's text a shortcut, a zero byte and a label (never read past its
// end); none longer than 4 KiB or 16 times its built-in text. Texts of ids outside
// the table are used; the others give way to the built-in ones.
TEST_F(TextTest, CatalogTextsReplaceBuiltInOnesWhereTheyFit)
{
    const struct {
        std::int32_t id;
        std::string text;
        bool used;
    } cases[] = {
        {MSG_GROUP_DISPLAY, "Anzeige", true},
        {MSG_BUTTON_CANCEL, "", false},
        {STRING_COUNT, "extra", true},
        {MSG_ERR_READ_ICON, "Piktogramm f\xC3\xBCr %s", true},
        {MSG_ERR_OPEN_LIBRARY, "%s %s", false},  // two arguments
        {MSG_WINDOW_TITLE, "Einstellungen", false},
        {MSG_ERR_OPEN_FILE, "Datei %d", false},
        {MSG_ABOUT_TEXT, "%s\n%n", false},
        {MSG_CLI_TRY_HELP, "%-20s", false},
        {MSG_CLI_NOT_A_WORD, "%s %", false},
        {MSG_ERR_WRITE_ICONS, "100%% nicht in %s", true},
        {MSG_ERR_NO_HELP, "Hilfe zu 100% %s", true},  // never a format
        {MSG_MENU_SAVE, "Speichern", false},
        {MSG_MENU_HELP, "H", false},
        {MSG_MENU_ABOUT, std::string("I\0\0A", 4), false},
        {MSG_MENU_ABOUT_MUI, std::string("\0\0MUI", 5), false},
        {MSG_MENU_EXIT, std::string("\xC3\x84\0Ende", 7), true},  // a key of two bytes
        {MSG_MENU_MUI_PREFS, std::string(" \0MUI...", 8), true},
        {MSG_MENU_PROJECT, "Projekt", true},  // a title is a plain text
        {MSG_DEFAULT_APP_NAME, "Anwendung \xC3\xA4", true},
        {MSG_ICONS_ROLE, std::string(80, 'r'), true},  // "Icon"
        {MSG_MODE_WINDOW, std::string(321, 'w'), false},
        {MSG_CLI_DESCRIPTION, std::string(4097, 'd'), false},
    };
    std::vector<std::pair<std::int32_t, std::string>> texts;
    std::vector<std::string> expected;
    for (const auto &c : cases) {
        texts.emplace_back(c.id, c.text);
        expected.push_back(c.used ? c.text : Shown(c.id));
    }
    OpenCatalogWith(texts);
    ASSERT_NE(catalogHandle, nullptr);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(Shown(texts[i].first), expected[i]) << texts[i].first;
    }
    EXPECT_STREQ(GetString(MSG_LABEL_DISPLAY_MODE), "Display mode");  // not in the catalog
    EXPECT_EQ(DefaultAppName(), "Anwendung \xE4");                    // held as icons hold names, in ISO-8859-1
    EXPECT_EQ(GetString(STRING_COUNT + 1), nullptr);
    for (const StringEntry &entry : builtInStrings) {  // a menu item's: shortcut, zero byte, label
        std::size_t length = std::strlen(entry.text);
        length += length == 1 ? 1 + std::strlen(entry.text + 2) : 0;
        EXPECT_TRUE(CatalogTextFits(entry.id, entry.text, length)) << entry.id;
        // Every text used as a format is checked as one.
        EXPECT_TRUE(std::strstr(entry.text, "%s") == nullptr || !CatalogTextFits(entry.id, "%n", 2)) << entry.id;
    }
    EXPECT_TRUE(CatalogTextFits(MSG_WINDOW_TITLE, "%s\0%d", 5));  // printf reads nothing past a zero byte
}

// A default name that has no form in ISO-8859-1 gives way to the built-in one.
TEST_F(TextTest, ADefaultAppNameWithoutLatin1FormIsNotUsed)
{
    OpenCatalogWith({{MSG_DEFAULT_APP_NAME, "\xD0\x9F\xD1\x80\xD0\xBE"}});
    EXPECT_EQ(DefaultAppName(), "Application");
}

// Localised once: a second call would read text pointers as ids; a reset
// table is localised again. An item's label follows its shortcut key.
TEST_F(TextTest, LocalizeMenusRunsOnceUntilTheTableIsReset)
{
    LocalizeMenus();
    LocalizeMenus();
    EXPECT_STREQ(menuTable[1].nm_Label, "Save prefs");
    EXPECT_STREQ(menuTable[1].nm_CommKey, "S");
    ResetMenuTable();
    EXPECT_EQ(reinterpret_cast<IPTR>(menuTable[1].nm_Label), MSG_MENU_SAVE);
    LocalizeMenus();
    EXPECT_STREQ(menuTable[1].nm_Label, "Save prefs");
}

}  // namespace
