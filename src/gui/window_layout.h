// The settings window: the object tree and its named handles.
#pragma once

#include <cstdint>
#include <string>

#include "gui/window_handles.h"

// Where the fps slider stands for a rate: the full rate when there is none yet
// (the limit was never on).
std::int32_t FpsSliderValue(std::int32_t fpsLimit);

// Builds the whole tree; returns app, or null when any object could not be made.
Object *BuildSettingsWindow();

// The sound area: a gap when hideSound is set, else the sound section.
Object *BuildSoundGroup();
