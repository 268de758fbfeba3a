// Loading the settings a run starts with: the tool's configuration, then the
// application's settings.
#pragma once

// Screen defaults, then the tool's icon, then the application's icon (or the first
// platform icon). Silent but for loadFailure: the settings left are then the
// defaults, and a name too long for its field is left empty (it names no icon).
void LoadSettings();

// The start of a run, with or without the window: the screen active now, the
// configuration's defaults (the default application name from the catalog), then
// LoadSettings.
void LoadSettingsForRun();
