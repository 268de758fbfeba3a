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
    // Without an application named, the icon of the default name is the one Save
    // writes: what it holds is shown, never overwritten unseen.
    ReadToolIcon();
    const StoredSettings read = ToolIconFailure().problem == IconProblem::None ? ReadApplicationSettings(defaults)
                                                                               : StoredSettings{defaults, {}, {}};
    loadFailure = SaveRefusal(read);
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
