// The notifications that produce the command ids, and their dispatch.
#pragma once

#include <cstdint>

#include "gui/commands.h"

// Attaches the notifications to the window, buttons, gadgets and the About MUI item.
void InstallNotifications();

// Runs the command of one return id; returns false when the loop must end (for
// Open and Open recent, with drawerToOpen set).
bool DispatchCommand(std::int32_t id);

// The input loop: takes one return id at a time until a command ends it.
void RunCommandLoop();
