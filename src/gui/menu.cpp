#include "gui/menu.h"

#include <cstring>

#include "gui/commands.h"
#include "text/strings.h"

namespace {

// A string id in the label field of the table as written.
const char *Id(std::int32_t id)
{
    return reinterpret_cast<const char *>(static_cast<IPTR>(id));
}

void *UserData(std::int32_t commandId)
{
    return reinterpret_cast<void *>(static_cast<IPTR>(commandId));
}

// The label of an item the window names while it runs (or hides).
const char kSetAtRunTime[] = "";

const NewMenu kMenuTemplate[MENU_TABLE_SIZE] = {
    {NM_TITLE, Id(MSG_MENU_PROJECT), nullptr, 0, 0, UserData(ID_MENU_PROJECT)},
    {NM_ITEM, Id(MSG_MENU_SAVE), nullptr, 0, 0, UserData(ID_SAVE)},
    {NM_ITEM, Id(MSG_MENU_OPEN), nullptr, 0, 0, UserData(ID_OPEN)},
    {NM_ITEM, Id(MSG_MENU_OPEN_RECENT), nullptr, 0, 0, UserData(ID_MENU_OPEN_RECENT)},
    {NM_SUB, kSetAtRunTime, nullptr, 0, 0, UserData(ID_OPEN_RECENT)},
    {NM_SUB, kSetAtRunTime, nullptr, 0, 0, UserData(ID_OPEN_RECENT + 1)},
    {NM_SUB, kSetAtRunTime, nullptr, 0, 0, UserData(ID_OPEN_RECENT + 2)},
    {NM_SUB, kSetAtRunTime, nullptr, 0, 0, UserData(ID_OPEN_RECENT + 3)},
    {NM_SUB, kSetAtRunTime, nullptr, 0, 0, UserData(ID_OPEN_RECENT + 4)},
    {NM_SUB, kSetAtRunTime, nullptr, 0, 0, UserData(ID_OPEN_RECENT + 5)},
    {NM_SUB, kSetAtRunTime, nullptr, 0, 0, UserData(ID_OPEN_RECENT + 6)},
    {NM_SUB, kSetAtRunTime, nullptr, 0, 0, UserData(ID_OPEN_RECENT + 7)},
    {NM_ITEM, Id(MSG_MENU_ICONS), nullptr, 0, 0, UserData(ID_ICONS)},
    {NM_ITEM, NM_BARLABEL, nullptr, 0, 0, nullptr},
    {NM_ITEM, Id(MSG_MENU_HELP), nullptr, 0, 0, UserData(ID_HELP)},
    {NM_ITEM, NM_BARLABEL, nullptr, 0, 0, nullptr},
    {NM_ITEM, Id(MSG_MENU_ABOUT), nullptr, 0, 0, UserData(ID_ABOUT)},
    {NM_ITEM, Id(MSG_MENU_ABOUT_MUI), nullptr, 0, 0, UserData(ID_ABOUT_MUI)},
    {NM_ITEM, NM_BARLABEL, nullptr, 0, 0, nullptr},
    {NM_ITEM, Id(MSG_MENU_EXIT), nullptr, 0, 0, UserData(ID_CANCEL)},
    {NM_TITLE, Id(MSG_MENU_EDIT), nullptr, 0, 0, UserData(ID_MENU_EDIT)},
    {NM_ITEM, Id(MSG_MENU_RESET_DEFAULTS), nullptr, 0, 0, UserData(ID_RESET_DEFAULTS)},
    {NM_ITEM, Id(MSG_MENU_LAST_SAVED), nullptr, 0, 0, UserData(ID_LAST_SAVED)},
    {NM_ITEM, Id(MSG_MENU_RESTORE), nullptr, 0, 0, UserData(ID_RESTORE)},
    {NM_TITLE, Id(MSG_MENU_PREFS), nullptr, 0, 0, UserData(ID_MENU_PREFS)},
    {NM_ITEM, Id(MSG_MENU_MUI_PREFS), nullptr, 0, 0, UserData(ID_MUI_SETTINGS)},
    {NM_END, nullptr, nullptr, 0, 0, nullptr},
};

// The labels hold texts once localised; a second pass would read them as ids.
bool localized = false;

}  // namespace

NewMenu menuTable[MENU_TABLE_SIZE] = {
    kMenuTemplate[0],  kMenuTemplate[1],  kMenuTemplate[2],  kMenuTemplate[3],  kMenuTemplate[4],  kMenuTemplate[5],
    kMenuTemplate[6],  kMenuTemplate[7],  kMenuTemplate[8],  kMenuTemplate[9],  kMenuTemplate[10], kMenuTemplate[11],
    kMenuTemplate[12], kMenuTemplate[13], kMenuTemplate[14], kMenuTemplate[15], kMenuTemplate[16], kMenuTemplate[17],
    kMenuTemplate[18], kMenuTemplate[19], kMenuTemplate[20], kMenuTemplate[21], kMenuTemplate[22], kMenuTemplate[23],
    kMenuTemplate[24], kMenuTemplate[25], kMenuTemplate[26],
};

void LocalizeMenus()
{
    if (localized) {
        return;
    }
    localized = true;
    for (NewMenu *entry = menuTable; entry->nm_Type != NM_END; ++entry) {
        if (entry->nm_Label == NM_BARLABEL || entry->nm_Label == kSetAtRunTime) {
            continue;  // a bar, or a label set at run time
        }
        auto id = static_cast<std::int32_t>(reinterpret_cast<IPTR>(entry->nm_Label));
        const char *text = GetString(id);
        if (text == nullptr) {
            entry->nm_Label = "";
            continue;
        }
        if (entry->nm_Type == NM_TITLE) {
            entry->nm_Label = text;
            continue;
        }
        // Item: shortcut character, zero byte, label (GetString keeps that form).
        entry->nm_CommKey = text[0] == ' ' ? nullptr : text;
        entry->nm_Label = text + std::strlen(text) + 1;
    }
}

void ResetMenuTable()
{
    for (int i = 0; i < MENU_TABLE_SIZE; ++i) {
        menuTable[i] = kMenuTemplate[i];
    }
    localized = false;
}
