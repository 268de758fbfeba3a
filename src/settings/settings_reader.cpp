#include "settings/settings_reader.h"

#include "platform/icons/icon_store.h"
#include "platform/system/display.h"
#include "settings/settings_schema.h"
#include "settings/tool_config.h"
#include "state/program_state.h"

Settings ScreenDefaults()
{
    Settings settings = DEFAULT_SETTINGS;
    if (startScreen == nullptr) {
        return settings;
    }
    settings.modeId = GetVPModeID(&startScreen->ViewPort);
    if (startScreen->RastPort.BitMap != nullptr) {
        settings.depth = static_cast<std::int32_t>(GetBitMapAttr(startScreen->RastPort.BitMap, BMA_DEPTH));
    }
    return settings;
}

DiskObject *FindSettingsIcon(const char *name, std::string &foundName, IconProblem &problem)
{
    foundName = name;
    if (NameLeavesDrawer(name)) {
        problem = IconProblem::OutsideDrawer;  // a link changed since the tool's icon was read
        return nullptr;
    }
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

StoredSettings ReadApplicationSettings(const Settings &over)
{
    StoredSettings read = {over, {}, {}};
    if (ToolConfig.appName[0] == '\0') {
        return read;  // an empty name names no icon
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
            read.failure = ReadFailure(foundName + ".info", problem, IconReadError());
            return read;
        }
        ReadSettingsToolTypes(icon->do_ToolTypes, read.settings);
        FreeDiskObject(icon);
        read.from = {saved.role, foundName + ".info"};
        return read;
    }
    return read;
}

StoredSettings ReadStoredSettings()
{
    const StoredSettings read = ReadApplicationSettings(ScreenDefaults());
    settingsFrom = read.from;
    return read;
}

LoadFailure SaveRefusal(const StoredSettings &stored)
{
    return ToolIconFailure().problem != IconProblem::None ? ToolIconFailure() : stored.failure;
}
