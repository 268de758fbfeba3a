// The command ids: what the buttons, the menu items and the window's
// notifications return to the command loop.
#pragma once

#include <cstdint>

enum : std::int32_t {
    ID_QUIT = -1,
    ID_SAVE = 1,
    ID_HELP = 2,
    ID_ABOUT = 3,
    ID_CANCEL = 4,
    ID_UPDATE_GADGETS = 5,
    ID_ABOUT_MUI = 6,
    ID_MUI_SETTINGS = 7,
    ID_MENU_PROJECT = 8,
    ID_MENU_PREFS = 9,
    ID_SCREEN_MODE = 10,
    ID_HELP_DONE = 11,
    ID_MENU_EDIT = 12,
    ID_RESET_DEFAULTS = 13,
    ID_LAST_SAVED = 14,
    ID_RESTORE = 15,
    ID_ICONS = 16,
    ID_ICONS_CLOSE = 17,
    ID_OPEN = 18,
    ID_MENU_OPEN_RECENT = 19,
    ID_STORED_CHANGED = 20,  // the application's icon or its drawer changed on disk
    ID_OPEN_RECENT = 21,     // to 28: Project > Open recent, the latest drawer first
};
