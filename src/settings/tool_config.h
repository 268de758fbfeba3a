// The tool's own configuration, read from the tooltypes of its icon "Settings".
#pragma once

#include <cstdint>
#include <string>

#include "platform/icons/icon_store.h"

constexpr int APP_NAME_SIZE = 128;
constexpr int HELP_FILE_SIZE = 128;
constexpr int PLATFORM_ICON_COUNT = 4;  // AMIGAOS3, MORPHOS, WARPOS, AMIGAOS4
constexpr int PLATFORM_ICON_SIZE = 80;

struct ToolConfigRecord {
    char appName[APP_NAME_SIZE];
    char helpFile[HELP_FILE_SIZE];
    std::int32_t hideSound;
    char platformIcons[PLATFORM_ICON_COUNT][PLATFORM_ICON_SIZE];
};

extern ToolConfigRecord ToolConfig;

// An icon LoadSettings found but could not read (the tool's or the application's),
// with ".info", and why; problem is None when every icon was read or is absent.
struct LoadFailure {
    std::string icon;
    IconProblem problem = IconProblem::None;
};
extern LoadFailure loadFailure;

// Screen defaults, then the tool's icon, then the application's icon. Silent but
// for loadFailure: the settings left are then the defaults.
void LoadSettings();

// The start of a run, with or without the window: the screen active now, the
// configuration's defaults (the default application name from the catalog), then
// LoadSettings.
void LoadSettingsForRun();

// Back to the initial, empty configuration, loadFailure cleared (for tests).
void ResetToolConfig();
