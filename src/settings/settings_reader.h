// The stages of LoadSettings that concern AppSettings (internal to the settings store).
#pragma once

// modeId and depth from the screen that was active at start (kept when there is none).
void ReadScreenDefaults();

// The application's icon, appName or else "appName.vls", into AppSettings. Silent.
void ReadApplicationSettings();
