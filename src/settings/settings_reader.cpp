#include "settings/settings_reader.h"

#include "platform/display.h"
#include "platform/icons/icon_store.h"
#include "settings/app_settings.h"
#include "settings/settings_schema.h"
#include "settings/tool_config.h"
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
