// Reading the application's settings from its icons: each reader returns what
// it read, and the caller decides what becomes of it.
#pragma once

#include <string>

#include "platform/icons/icon_store.h"
#include "settings/app_settings.h"
#include "settings/tool_config.h"

// The defaults, with the mode id and depth of the screen that was active at start
// (0 when there is none).
Settings ScreenDefaults();

// What the application's icons hold: the settings read over those given, the
// icon they were read from (empty when none was) and why an icon that exists could
// not be read (problem None when none).
struct StoredSettings {
    Settings settings;
    SettingsSource from;
    LoadFailure failure;
};

// The application's icon, appName or else "appName.vls"; when neither exists, the
// first platform icon that does, in Save's order. An icon that exists but cannot
// be read stops there: the settings given come back.
StoredSettings ReadApplicationSettings(const Settings &over);

// What the application's icons hold now, read as the start reads them (over the
// defaults and the start screen's mode); settingsFrom follows them, loadFailure is
// kept.
StoredSettings ReadStoredSettings();

// The one decision both front ends take before a save writes anything: why nothing
// may be written in the drawer, or problem None. The tool's icon could not be
// taken whole (ToolIconFailure: there but unreadable, a name in it too long), or
// the icon the settings are read from is there but cannot be read (stored.failure,
// read under the save's locks).
LoadFailure SaveRefusal(const StoredSettings &stored);

// The icon that holds an application's settings: "name", else "name.vls" when no
// file has the name. foundName is the name it was found under (without ".info"),
// or the one that failed; problem why there is no icon (Absent when neither name
// has a file, OutsideDrawer when the name leads outside the drawer).
DiskObject *FindSettingsIcon(const char *name, std::string &foundName, IconProblem &problem);
