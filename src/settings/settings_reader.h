// The stages of LoadSettings that concern AppSettings (internal to the settings store).
#pragma once

#include <string>

#include "platform/icons/icon_store.h"

struct Settings;

// modeId and depth from the screen that was active at start (kept when there is none).
void ReadScreenDefaults();

// The application's icon, appName or else "appName.vls", into AppSettings; when
// neither exists, the first platform icon that does, in Save's order (noted in
// settingsFrom). Silent when none exists; an icon that exists but cannot be read
// is noted in loadFailure.
void ReadApplicationSettings();

// What the application's icon holds now, read as the start reads it (over the
// defaults and the start screen's mode); problem, when given, why an icon that is
// there could not be read (the settings are then the defaults). AppSettings and
// loadFailure are kept.
Settings ReadStoredSettings(IconProblem *problem = nullptr);

// The icon that holds an application's settings: "name", else "name.vls" when no
// file has the name. foundName is the name it was found under (without ".info"),
// or the one that failed; problem why there is no icon (Absent when neither name
// has a file).
DiskObject *FindSettingsIcon(const char *name, std::string &foundName, IconProblem &problem);
