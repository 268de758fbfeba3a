// The notifications that produce the command ids, and their dispatch.
#pragma once

#include <cstdint>

#include "state/commands.h"

// Reads the window's controls into AppSettings (when the window exists) and writes
// every icon. Returns the number of icons in failedIcons.
int SaveSettings();

// Attaches the notifications to the window, buttons, gadgets and the About MUI item.
void InstallNotifications();

// Runs the command of one return id; returns false when the loop must end.
bool DispatchCommand(std::int32_t id);

// The input loop: takes one return id at a time until a command ends it.
void RunCommandLoop();
