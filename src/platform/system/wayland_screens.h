// The host's screens as a Wayland compositor reports them, for the command line,
// which has no Qt application to ask; and whether the window takes it.
#pragma once

#include <vector>

#include "platform/system/display.h"

// Whether the window's Qt application runs on Wayland: its platform is asked for
// (QT_QPA_PLATFORM), or none is and the session is Wayland (or there is no X
// display); and the compositor answers at WAYLAND_DISPLAY (wayland-0 when unset)
// in XDG_RUNTIME_DIR.
bool WaylandSessionAnswers();

// The screens of that compositor: each output's current mode, turned as the
// output is, in the order it lists them; depth 24. Read once and remembered.
// False when it does not answer, or the program's Qt platform is another.
bool WaylandHostScreens(std::vector<HostScreen> &screens);
