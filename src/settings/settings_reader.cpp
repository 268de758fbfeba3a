#include "settings/settings_reader.h"

#include "platform/display.h"
#include "platform/icons/icon_store.h"
#include "settings/app_settings.h"
#include "settings/tool_config.h"
#include "settings/tooltype_number.h"
#include "settings/tooltypes.h"
#include "state/program_state.h"

void ReadScreenDefaults()
{
    if (startScreen == nullptr) {
        return;
    }
    AppSettings.modeId = GetVPModeID(&startScreen->ViewPort);
    if (startScreen->RastPort.BitMap != nullptr) {
        AppSettings.depth = static_cast<std::int32_t>(GetBitMapAttr(startScreen->RastPort.BitMap, BMA_DEPTH));
    }
}

DiskObject *FindSettingsIcon(const char *name, std::string &foundName, IconProblem &problem)
{
    foundName = name;
    DiskObject *icon = GetDiskObject(name);
    if (icon == nullptr && IconReadProblem() == IconProblem::Absent) {
        foundName += ".vls";
        icon = GetDiskObject(foundName.c_str());
        if (icon == nullptr && IconReadProblem() == IconProblem::Absent) {
            foundName = name;
        }
    }
    problem = IconReadProblem();
    return icon;
}

void ReadSettingsToolTypes(char **toolTypes, Settings &settings)
{
    char *none[] = {nullptr};
    toolTypes = toolTypes != nullptr ? toolTypes : none;

    const char *window = FindToolType(toolTypes, KEY_WINDOW);
    const char *fullScreen = FindToolType(toolTypes, KEY_FULLSCREEN);
    const char *modeId = FindToolType(toolTypes, KEY_MODEID);
    const char *depth = FindToolType(toolTypes, KEY_DEPTH);
    const char *fpsLimit = FindToolType(toolTypes, KEY_FPSLIMIT);
    const char *masterVolume = FindToolType(toolTypes, KEY_MASTERVOLUME);
    const char *noSound = FindToolType(toolTypes, KEY_NOSOUND);

    if (window != nullptr) {
        settings.displayMode = DISPLAY_WINDOW;
    } else if (fullScreen != nullptr) {
        if (modeId != nullptr) {
            settings.displayMode = DISPLAY_FULLSCREEN_MODE;
            // Written as signed decimal; the same 32 bits come back.
            settings.modeId = static_cast<std::uint32_t>(ParseToolTypeNumber(modeId));
            if (depth != nullptr) {
                settings.depth = ParseToolTypeNumber(depth);
            }
        } else {
            settings.displayMode = DISPLAY_FULLSCREEN_AUTO;
        }
    }

    if (fpsLimit != nullptr) {
        settings.fpsLimitEnabled = 1;
        settings.fpsLimit = ParseToolTypeNumber(fpsLimit);
    } else {
        settings.fpsLimitEnabled = 0;
    }
    if (masterVolume != nullptr) {
        settings.masterVolume = ParseToolTypeNumber(masterVolume);
    }
    if (noSound != nullptr) {
        settings.soundEnabled = 0;
    }
}

void ReadApplicationSettings()
{
    if (ToolConfig.appName[0] == '\0') {
        return;  // an empty name names no icon
    }
    std::string foundName;
    IconProblem problem;
    DiskObject *icon = FindSettingsIcon(ToolConfig.appName, foundName, problem);
    if (icon == nullptr) {
        if (problem != IconProblem::Absent) {
            loadFailure = {foundName + ".info", problem};
        }
        return;
    }
    ReadSettingsToolTypes(icon->do_ToolTypes, AppSettings);
    FreeDiskObject(icon);
}

Settings ReadStoredSettings(IconProblem *problem)
{
    const Settings shown = AppSettings;
    const LoadFailure failure = loadFailure;
    ResetAppSettings();
    ReadScreenDefaults();
    loadFailure = {};
    ReadApplicationSettings();
    const Settings stored = AppSettings;
    if (problem != nullptr) {
        *problem = loadFailure.problem;
    }
    AppSettings = shown;
    loadFailure = failure;
    return stored;
}
