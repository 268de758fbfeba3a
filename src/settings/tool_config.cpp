#include "settings/tool_config.h"

#include <cstdio>
#include <cstring>

#include "platform/display.h"
#include "platform/icons/icon_store.h"
#include "settings/settings_reader.h"
#include "settings/tooltypes.h"
#include "state/program_state.h"
#include "text/strings.h"

ToolConfigRecord ToolConfig;
LoadFailure loadFailure;

namespace {

// Copies value into a field of the given size when it fits whole; a value too long
// for its field is ignored as if absent (a cut name would name another file).
bool CopyWhole(char *field, std::size_t size, const char *value)
{
    if (value == nullptr) {
        return false;
    }
    std::size_t length = std::strlen(value);
    if (length >= size) {
        return false;
    }
    std::memcpy(field, value, length + 1);
    return true;
}

// The tool's own icon. Returns true when it named an application.
bool ReadToolIcon()
{
    DiskObject *icon = GetDiskObject(TOOL_ICON);
    if (icon == nullptr) {
        if (IconReadProblem() != IconProblem::Absent) {
            loadFailure = {"Settings.info", IconReadProblem()};
        }
        return false;
    }
    char *none[] = {nullptr};
    char **toolTypes = icon->do_ToolTypes != nullptr ? icon->do_ToolTypes : none;

    if (!CopyWhole(ToolConfig.appName, sizeof ToolConfig.appName, FindToolType(toolTypes, KEY_APPLICATION))) {
        FreeDiskObject(icon);
        return false;
    }
    CopyWhole(ToolConfig.helpFile, sizeof ToolConfig.helpFile, FindToolType(toolTypes, KEY_HELP));
    if (FindToolType(toolTypes, KEY_HIDESOUND) != nullptr) {
        ToolConfig.hideSound = 1;
    }
    for (int i = 0; i < PLATFORM_ICON_COUNT; ++i) {
        CopyWhole(ToolConfig.platformIcons[i], sizeof ToolConfig.platformIcons[i],
                  FindToolType(toolTypes, PLATFORM_ICON_KEYS[i]));
    }
    FreeDiskObject(icon);
    return true;
}

}  // namespace

void LoadSettings()
{
    loadFailure = {};
    ReadScreenDefaults();
    if (!ReadToolIcon()) {
        return;
    }
    ReadApplicationSettings();
}

void LoadSettingsForRun()
{
    std::uint32_t lock = LockIBase(0);
    startScreen = ActiveScreen();
    UnlockIBase(lock);
    ToolConfig.helpFile[0] = '\0';
    std::snprintf(ToolConfig.appName, sizeof ToolConfig.appName, "%s", DefaultAppName().c_str());
    LoadSettings();
}

void ResetToolConfig()
{
    std::memset(&ToolConfig, 0, sizeof ToolConfig);
    loadFailure = {};
}
