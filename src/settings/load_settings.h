// Loading the settings a run starts with: the tool's configuration, then the
// application's settings.
#pragma once

#include "settings/app_settings.h"

// Screen defaults, then the tool's icon into ToolConfig, then the application's
// icon (or the first platform icon; the icon of the name ToolConfig holds when
// the tool's icon names no application or is absent): the settings read, noting
// settingsFrom, and in loadFailure why Save would write nothing (SaveRefusal).
// Silent but for loadFailure: the settings are then the defaults, and a name too
// long for its field is left empty (it names no icon).
Settings LoadSettings();

// The start of a run, with or without the window: the screen active now, the
// configuration's defaults (the default application name from the catalog), then
// LoadSettings.
Settings LoadSettingsForRun();
