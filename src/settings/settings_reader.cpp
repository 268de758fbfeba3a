#include "settings/settings_reader.h"

#include <algorithm>

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

    // Written as signed decimal; the same 32 bits come back. No mode is no MODEID.
    const auto mode = static_cast<std::uint32_t>(ParseToolTypeNumber(modeId));
    const std::int32_t bits = ParseToolTypeNumber(depth);
    const bool depthValid = depth != nullptr && bits >= DEPTH_RANGE.min && bits <= DEPTH_RANGE.max;
    if (window != nullptr) {
        settings.displayMode = DISPLAY_WINDOW;
    } else if (fullScreen != nullptr) {
        if (modeId != nullptr && mode != INVALID_ID) {
            settings.displayMode = DISPLAY_FULLSCREEN_MODE;
            settings.modeId = mode;
            settings.depth = depthValid ? bits : settings.depth;
        } else {
            settings.displayMode = DISPLAY_FULLSCREEN_AUTO;
        }
    }

    if (fpsLimit != nullptr) {
        settings.fpsLimitEnabled = 1;
        settings.fpsLimit = std::clamp(ParseToolTypeNumber(fpsLimit), FPS_LIMIT_RANGE.min, FPS_LIMIT_RANGE.max);
    } else {
        settings.fpsLimitEnabled = 0;
    }
    if (masterVolume != nullptr) {
        settings.masterVolume =
            std::clamp(ParseToolTypeNumber(masterVolume), MASTER_VOLUME_RANGE.min, MASTER_VOLUME_RANGE.max);
    }
    if (noSound != nullptr) {
        settings.soundEnabled = 0;
    }
}

void ReadApplicationSettings()
{
    settingsFrom = {};
    if (ToolConfig.appName[0] == '\0') {
        return;  // an empty name names no icon
    }
    // What Save writes into every icon is read from the first that exists.
    for (const SaveIcon &saved : SaveIcons()) {
        std::string foundName;
        IconProblem problem;
        DiskObject *icon = FindSettingsIcon(saved.name, foundName, problem);
        if (problem == IconProblem::Absent) {
            continue;
        }
        if (icon == nullptr) {
            NoteLoadFailure(foundName + ".info", problem, IconReadError());
            return;
        }
        ReadSettingsToolTypes(icon->do_ToolTypes, AppSettings);
        FreeDiskObject(icon);
        settingsFrom = {saved.role, foundName + ".info"};
        return;
    }
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
