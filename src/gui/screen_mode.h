// Choosing the full-screen mode, and showing its name.
#pragma once

#include <cstdint>

#include "settings/tooltypes.h"

struct Hook;

// The depths the requester offers.
constexpr int SCREEN_MODE_MIN_DEPTH = DEPTH_RANGE.min;
constexpr int SCREEN_MODE_MAX_DEPTH = DEPTH_RANGE.max;

// Shows the name of the mode in screenModeText.
void ShowScreenModeName(std::uint32_t modeId);

// Runs the screen mode requester on the mode and depth given; 1 when a mode was
// confirmed (and is in them), else 0.
int ChooseScreenMode(std::uint32_t &modeId, std::int32_t &depth);

// The requester's message hook: on a refresh message for the settings window,
// asks the application (the requester's user data) to redraw.
extern Hook RequesterRefreshHook;
