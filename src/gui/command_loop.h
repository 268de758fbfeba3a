// Command ids, the notifications that produce them, and their dispatch.
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
};

// Attaches the notifications to the window, buttons, gadgets and the About MUI item.
void InstallNotifications();

// Runs the command of one return id; returns false when the loop must end.
bool DispatchCommand(std::int32_t id);

// The input loop: takes one return id at a time until a command ends it.
void RunCommandLoop();
