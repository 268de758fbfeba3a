// The tool's own configuration, read from the tooltypes of its icon "Settings".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/icons/icon_store.h"
#include "settings/tooltypes.h"

constexpr int APP_NAME_SIZE = 128;
constexpr int HELP_FILE_SIZE = 128;
constexpr int PLATFORM_ICON_SIZE = 80;

struct ToolConfigRecord {
    char appName[APP_NAME_SIZE];
    char helpFile[HELP_FILE_SIZE];
    std::int32_t hideSound;
    char platformIcons[PLATFORM_ICON_COUNT][PLATFORM_ICON_SIZE];
};

extern ToolConfigRecord ToolConfig;

// The application's icon, then the platform icons in the order of PLATFORM_ICONS.
enum class IconRole { Application, AmigaOS3, MorphOS, WarpOS, AmigaOS4 };

// An icon Save writes: its role and its name as configured.
struct SaveIcon {
    IconRole role;
    const char *name;  // in ToolConfig
};
// The icons Save writes, in the order it writes them: the application's (its name
// may be empty: it names no icon), then each configured platform icon.
std::vector<SaveIcon> SaveIcons();

// An icon LoadSettings found but could not read (the tool's or the application's),
// with ".info", and why; problem is None when every icon was read or is absent.
// A name in the tool's icon too long for its field is named by its key (tooLong);
// an icon that cannot be read because its drawer cannot be read names the drawer.
struct LoadFailure {
    std::string icon;
    IconProblem problem = IconProblem::None;
    int error = 0;                  // the system's error number, when known
    const char *tooLong = nullptr;  // the key whose value is too long
    bool drawer = false;            // icon names the drawer, which cannot be read
};
extern LoadFailure loadFailure;

// An icon that exists but could not be read, with the system's error number (0:
// none known), as loadFailure names it.
LoadFailure ReadFailure(const std::string &icon, IconProblem problem, int error);

// "icon: why" for loadFailure, in the catalog's words (UTF-8; the names as given).
std::string LoadFailureText();

// The icon the settings were read from, with ".info", and its role: the
// application's, or when it is absent the first platform icon that exists, in
// Save's order. Empty when none was read.
struct SettingsSource {
    IconRole role = IconRole::Application;
    std::string file;
};
extern SettingsSource settingsFrom;

// The tool's own icon into ToolConfig. True when it named an application and
// was read whole; else loadFailure says why (silent when there is no icon).
bool ReadToolIcon();

// Whether the tool's icon, as last read, named the application (else appName
// holds the default name).
bool ApplicationNamed();

// The key (APPLICATION, AMIGAOS3, ...) whose name of an icon the tool's icon
// holds too long to be read, or null: Save would miss that icon, so it writes none.
const char *ToolConfigNameTooLong();

// Back to the initial, empty configuration, loadFailure cleared (for tests).
void ResetToolConfig();
