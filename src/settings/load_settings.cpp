#include "settings/load_settings.h"

#include <cstdint>
#include <cstdio>

#include "platform/system/display.h"
#include "settings/app_settings.h"
#include "settings/settings_reader.h"
#include "settings/tool_config.h"
#include "state/program_state.h"
#include "text/strings.h"

Settings LoadSettings()
{
    loadFailure = {};
    settingsFrom = {};
    const Settings defaults = ScreenDefaults();
    if (!ReadToolIcon()) {
        return defaults;
    }
    const StoredSettings read = ReadApplicationSettings(defaults);
    loadFailure = read.failure;
    settingsFrom = read.from;
    return read.settings;
}

Settings LoadSettingsForRun()
{
    std::uint32_t lock = LockIBase(0);
    startScreen = ActiveScreen();
    UnlockIBase(lock);
    ToolConfig.helpFile[0] = '\0';
    std::snprintf(ToolConfig.appName, sizeof ToolConfig.appName, "%s", DefaultAppName().c_str());
    return LoadSettings();
}
