#include "settings/tool_config.h"

#include <cstring>

#include "platform/icon_store.h"
#include "settings/settings_reader.h"

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
    DiskObject *icon = GetDiskObject("Settings");
    if (icon == nullptr) {
        if (IconReadProblem() != IconProblem::Absent) {
            loadFailure = {"Settings.info", IconReadProblem()};
        }
        return false;
    }
    char *none[] = {nullptr};
    char **toolTypes = icon->do_ToolTypes != nullptr ? icon->do_ToolTypes : none;

    if (!CopyWhole(ToolConfig.appName, sizeof ToolConfig.appName, FindToolType(toolTypes, "APPLICATION"))) {
        FreeDiskObject(icon);
        return false;
    }
    CopyWhole(ToolConfig.helpFile, sizeof ToolConfig.helpFile, FindToolType(toolTypes, "HELP"));
    if (FindToolType(toolTypes, "HIDESOUND") != nullptr) {
        ToolConfig.hideSound = 1;
    }
    static const char *const platformKeys[PLATFORM_ICON_COUNT] = {"AMIGAOS3", "MORPHOS", "WARPOS", "AMIGAOS4"};
    for (int i = 0; i < PLATFORM_ICON_COUNT; ++i) {
        CopyWhole(ToolConfig.platformIcons[i], sizeof ToolConfig.platformIcons[i],
                  FindToolType(toolTypes, platformKeys[i]));
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

void ResetToolConfig()
{
    std::memset(&ToolConfig, 0, sizeof ToolConfig);
    loadFailure = {};
}
