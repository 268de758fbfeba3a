#include <gtest/gtest.h>

#include <string>

#include "text/text_fixture.h"

namespace {

struct Shown {
    std::uint8_t type;
    std::string label;  // "---" for a bar
    std::string key;    // empty for none
    IPTR userData;
};

std::vector<Shown> ShownMenu()
{
    std::vector<Shown> shown;
    for (const NewMenu *entry = menuTable; entry->nm_Type != NM_END; ++entry) {
        Shown s{entry->nm_Type, "---", "", reinterpret_cast<IPTR>(entry->nm_UserData)};
        if (entry->nm_Label != NM_BARLABEL) {
            s.label = entry->nm_Label;
        }
        if (entry->nm_CommKey != nullptr) {
            s.key = entry->nm_CommKey;
        }
        shown.push_back(s);
    }
    return shown;
}

TEST_F(TextTest, TableAsWrittenHoldsIdsBarsAndCommandIds)
{
    EXPECT_EQ(menuTable[0].nm_Type, NM_TITLE);
    EXPECT_EQ(reinterpret_cast<IPTR>(menuTable[0].nm_Label), MSG_MENU_PROJECT);
    EXPECT_EQ(menuTable[2].nm_Label, NM_BARLABEL);
    EXPECT_EQ(reinterpret_cast<IPTR>(menuTable[10].nm_Label), MSG_MENU_MUI_PREFS);
    EXPECT_EQ(menuTable[11].nm_Type, NM_END);
    for (const NewMenu &entry : menuTable) {
        EXPECT_EQ(entry.nm_CommKey, nullptr);
        EXPECT_EQ(entry.nm_Flags, 0);
        EXPECT_EQ(entry.nm_MutualExclude, 0);
    }
}

TEST_F(TextTest, LocalizeMenusWithBuiltInTexts)
{
    LocalizeMenus();
    const std::vector<Shown> expected = {
        {NM_TITLE, "Project", "", 8},   {NM_ITEM, "Save prefs", "S", 1}, {NM_ITEM, "---", "", 0},
        {NM_ITEM, "Help", "H", 2},      {NM_ITEM, "---", "", 0},         {NM_ITEM, "About", "A", 3},
        {NM_ITEM, "About MUI", "M", 6}, {NM_ITEM, "---", "", 0},         {NM_ITEM, "Exit", "E", 4},
        {NM_TITLE, "Prefs", "", 9},     {NM_ITEM, "MUI...", "X", 7},
    };
    std::vector<Shown> shown = ShownMenu();
    ASSERT_EQ(shown.size(), expected.size());
    for (std::size_t i = 0; i < shown.size(); ++i) {
        EXPECT_EQ(shown[i].type, expected[i].type) << i;
        EXPECT_EQ(shown[i].label, expected[i].label) << i;
        EXPECT_EQ(shown[i].key, expected[i].key) << i;
        EXPECT_EQ(shown[i].userData, expected[i].userData) << i;
    }
    EXPECT_EQ(menuTable[4].nm_Label, NM_BARLABEL);
    EXPECT_EQ(menuTable[4].nm_CommKey, nullptr);
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
    std::vector<Shown> shown = ShownMenu();
    EXPECT_EQ(shown[0].label, "Projekt");
    EXPECT_EQ(shown[1].label, "Speichern");
    EXPECT_EQ(shown[1].key, "P");
    EXPECT_EQ(shown[3].label, "Hilfe");
    EXPECT_EQ(menuTable[3].nm_CommKey, nullptr);
    EXPECT_EQ(shown[8].label, "Exit");
    EXPECT_EQ(shown[8].key, "E");
    EXPECT_EQ(shown[9].label, "Prefs");
    EXPECT_EQ(menuTable[2].nm_Label, NM_BARLABEL);
}

TEST_F(TextTest, LocalizeMenusRunsOnceUntilTheTableIsReset)
{
    LocalizeMenus();
    const char *label = menuTable[1].nm_Label;
    LocalizeMenus();  // would read text pointers as ids
    EXPECT_EQ(menuTable[1].nm_Label, label);
    EXPECT_STREQ(menuTable[1].nm_Label, "Save prefs");

    ResetMenuTable();
    EXPECT_EQ(reinterpret_cast<IPTR>(menuTable[1].nm_Label), MSG_MENU_SAVE);
    EXPECT_EQ(menuTable[1].nm_CommKey, nullptr);
    LocalizeMenus();
    EXPECT_STREQ(menuTable[1].nm_Label, "Save prefs");
}

}  // namespace
