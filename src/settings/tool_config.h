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

// A name of an icon in the tool's icon that is refused: too long for its field (a
// cut name would name another file), or leading outside the drawer. Save would
// miss that icon or write another program's, so it writes none.
enum class NameRefusal { None, TooLong, OutsideDrawer };
struct RefusedName {
    const char *key = nullptr;  // APPLICATION, AMIGAOS3, ...
    NameRefusal why = NameRefusal::None;
};

// An icon LoadSettings found but could not read (the tool's or the application's),
// with ".info", and why; problem is None when every icon was read or is absent.
// A refused name in the tool's icon is named by its key (refused); an icon that
// cannot be read because its drawer cannot be read names the drawer.
struct LoadFailure {
    std::string icon;
    IconProblem problem = IconProblem::None;
    int error = 0;        // the system's error number, when known
    RefusedName refused;  // the name the tool's icon holds that is refused
    bool drawer = false;  // icon names the drawer, which cannot be read
};
extern LoadFailure loadFailure;

// An icon that exists but could not be read, with the system's error number (0:
// none known), as loadFailure names it.
LoadFailure ReadFailure(const std::string &icon, IconProblem problem, int error);

// "icon: why" for a failure (by default loadFailure), in the catalog's words
// (UTF-8; the names as given).
std::string LoadFailureText(const LoadFailure &failure = loadFailure);

// The icon the settings were read from, with ".info", and its role: the
// application's, or when it is absent the first platform icon that exists, in
// Save's order. Empty when none was read.
struct SettingsSource {
    IconRole role = IconRole::Application;
    std::string file;
};
extern SettingsSource settingsFrom;

// The tool's own icon into ToolConfig. True when it named an application and
// was read whole; else ToolIconFailure says why (None when there is no icon or
// it names no application).
bool ReadToolIcon();
// Why the last ReadToolIcon could not take the tool's icon whole: it is there but
// cannot be read, or a name in it is refused (too long for its field, or leading
// outside the drawer). Save then writes nothing.
const LoadFailure &ToolIconFailure();

// "KEY is too long", "KEY leads outside the drawer", in the catalog's words.
std::string RefusedNameText(const RefusedName &name);

// Whether an icon's name, as the tool's icon holds it, leads outside the drawer
// (the current folder): an absolute name, a volume ("DH0:x"), a parent (".." or,
// as the Amiga reads a name, a "/" that begins it or follows another), or a folder
// or icon file reached through a link that leaves it. A name into a subdrawer
// ("OS3/Game") stays.
bool NameLeavesDrawer(const char *name);

// Whether the tool's icon, as last read, named the application (else appName
// holds the default name).
bool ApplicationNamed();

// Back to the initial, empty configuration, loadFailure cleared (for tests).
void ResetToolConfig();
