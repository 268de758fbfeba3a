#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/command_loop.h"
#include "text/text_fixture.h"

namespace {

// The menu strip in order: each entry's kind, string id (-1 for a bar) and command.
struct Entry {
    int type;
    std::int32_t text;
    std::int32_t command;
};
const Entry kMenu[] = {
    {NM_TITLE, MSG_MENU_PROJECT, ID_MENU_PROJECT}, {NM_ITEM, MSG_MENU_SAVE, ID_SAVE},
    {NM_ITEM, -1, 0},                              {NM_ITEM, MSG_MENU_HELP, ID_HELP},
    {NM_ITEM, -1, 0},                              {NM_ITEM, MSG_MENU_ABOUT, ID_ABOUT},
    {NM_ITEM, MSG_MENU_ABOUT_MUI, ID_ABOUT_MUI},   {NM_ITEM, -1, 0},
    {NM_ITEM, MSG_MENU_EXIT, ID_CANCEL},           {NM_TITLE, MSG_MENU_PREFS, ID_MENU_PREFS},
    {NM_ITEM, MSG_MENU_MUI_PREFS, ID_MUI_SETTINGS},
};

// The localised table against kMenu, with the texts GetString gives now (the
// catalog's where it has them): a title's whole text, an item's label after its
// shortcut (none when blank).
void ExpectLocalisedMenu()
{
    ASSERT_EQ(menuTable[std::size(kMenu)].nm_Type, NM_END);
    for (std::size_t i = 0; i < std::size(kMenu); ++i) {
        const NewMenu &entry = menuTable[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(entry.nm_Type, kMenu[i].type);
        EXPECT_EQ(reinterpret_cast<IPTR>(entry.nm_UserData), kMenu[i].command);
        if (kMenu[i].text < 0) {
            EXPECT_EQ(entry.nm_Label, NM_BARLABEL);
            continue;
        }
        const char *text = GetString(kMenu[i].text);
        const bool item = kMenu[i].type == NM_ITEM;
        EXPECT_STREQ(entry.nm_Label, item ? text + 2 : text);
        EXPECT_EQ(entry.nm_CommKey, item && text[0] != ' ' ? text : nullptr);
    }
}

// Localised once: a second call would read text pointers as ids; a reset
// table is localised again.
TEST_F(TextTest, LocalizeMenusWithBuiltInTextsRunsOnceUntilTheTableIsReset)
{
    LocalizeMenus();
    LocalizeMenus();
    ExpectLocalisedMenu();
    ResetMenuTable();
    EXPECT_EQ(reinterpret_cast<IPTR>(menuTable[1].nm_Label), MSG_MENU_SAVE);
    LocalizeMenus();
    ExpectLocalisedMenu();
}

}  // namespace
