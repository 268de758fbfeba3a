// The settings window: the object tree and its named handles.
#pragma once

#include "gui/window_handles.h"

// Builds the whole tree, the controls without values (ShowSettingsInControls
// gives them theirs); returns app, or null when any object could not be made.
Object *BuildSettingsWindow();
