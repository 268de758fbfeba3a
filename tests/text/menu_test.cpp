#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "text/text_fixture.h"

namespace {

// Each entry as type, label ("---" for a bar), shortcut ("" for none), user data.
using Shown = std::tuple<int, std::string, std::string, IPTR>;

std::vector<Shown> ShownMenu()
{
    std::vector<Shown> shown;
    for (const NewMenu *entry = menuTable; entry->nm_Type != NM_END; ++entry) {
        shown.emplace_back(entry->nm_Type, entry->nm_Label != NM_BARLABEL ? entry->nm_Label : "---",
                           entry->nm_CommKey != nullptr ? entry->nm_CommKey : "",
                           reinterpret_cast<IPTR>(entry->nm_UserData));
    }
    return shown;
}

const std::vector<Shown> kBuiltInMenu = {
    {NM_TITLE, "Project", "", 8},   {NM_ITEM, "Save prefs", "S", 1}, {NM_ITEM, "---", "", 0},
    {NM_ITEM, "Help", "H", 2},      {NM_ITEM, "---", "", 0},         {NM_ITEM, "About", "A", 3},
    {NM_ITEM, "About MUI", "M", 6}, {NM_ITEM, "---", "", 0},         {NM_ITEM, "Exit", "E", 4},
    {NM_TITLE, "Prefs", "", 9},     {NM_ITEM, "MUI...", "X", 7},
};

// Localised once: a second call would read text pointers as ids; a reset
// table is localised again.
TEST_F(TextTest, LocalizeMenusWithBuiltInTextsRunsOnceUntilTheTableIsReset)
{
    LocalizeMenus();
    EXPECT_EQ(ShownMenu(), kBuiltInMenu);
    LocalizeMenus();
    EXPECT_EQ(ShownMenu(), kBuiltInMenu);
    ResetMenuTable();
    EXPECT_EQ(reinterpret_cast<IPTR>(menuTable[1].nm_Label), MSG_MENU_SAVE);
    LocalizeMenus();
    EXPECT_EQ(ShownMenu(), kBuiltInMenu);
}

TEST_F(TextTest, LocalizeMenusWithTranslatedTexts)
{
    OpenCatalogWith({
        {MSG_MENU_PROJECT, "Projekt"},
        {MSG_MENU_SAVE, MenuText('P', "Speichern")},  // another shortcut
        {MSG_MENU_HELP, MenuText(' ', "Hilfe")},      // no shortcut
        {MSG_MENU_EXIT, "Beenden"},                   // not two-part: the built-in text
    });
    LocalizeMenus();
    std::vector<Shown> expected = kBuiltInMenu;
    expected[0] = {NM_TITLE, "Projekt", "", 8};
    expected[1] = {NM_ITEM, "Speichern", "P", 1};
    expected[3] = {NM_ITEM, "Hilfe", "", 2};
    EXPECT_EQ(ShownMenu(), expected);
}

}  // namespace
