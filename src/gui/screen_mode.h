// Choosing the full-screen mode, and showing its name.
#pragma once

#include "settings/tooltypes.h"

struct Hook;

// The depths the requester offers.
constexpr int SCREEN_MODE_MIN_DEPTH = DEPTH_RANGE.min;
constexpr int SCREEN_MODE_MAX_DEPTH = DEPTH_RANGE.max;

// Shows the name of AppSettings.modeId in screenModeText.
void ShowScreenModeName();

// Runs the screen mode requester; 1 when a mode was confirmed and stored, else 0.
int ChooseScreenMode();

// The requester's message hook: on a refresh message for the settings window,
// asks the application (the requester's user data) to redraw.
extern Hook RequesterRefreshHook;
