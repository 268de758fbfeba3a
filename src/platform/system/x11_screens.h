// The host's screens as the X server reports them, for the command line, which
// has no Qt application to ask.
#pragma once

#include <vector>

#include "platform/system/display.h"

// The screens Qt's X11 platform would make of DISPLAY: each active monitor of
// RandR (the primary first), else the root window; its depth the root's. Read
// once and remembered. False when DISPLAY is not set, cannot be opened, or the
// program's Qt platform is another (QT_QPA_PLATFORM other than xcb).
bool X11HostScreens(std::vector<HostScreen> &screens);
