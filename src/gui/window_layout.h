// The settings window: the object tree and its named handles.
#pragma once

#include "state/window_handles.h"

// "$VER: name version (date)", kept as plain text in the program.
extern const char versionString[];

// Builds the whole tree; returns app, or null when any object could not be made.
Object *BuildSettingsWindow();

// The sound area: a gap when hideSound is set, else the sound section.
Object *BuildSoundGroup();
