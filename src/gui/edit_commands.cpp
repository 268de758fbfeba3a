#include "gui/edit_commands.h"

#include <string>

#include "gui/settings_controls.h"
#include "gui/window_handles.h"
#include "gui/window_layout.h"
#include "platform/formats/charset.h"
#include "platform/toolkit/toolkit.h"
#include "settings/settings_reader.h"
#include "settings/tool_config.h"
#include "state/program_state.h"
#include "text/icon_problem_text.h"
#include "text/strings.h"

namespace {

Settings openingSettings = {};

}  // namespace

void RememberOpeningSettings(const Settings &values)
{
    openingSettings = values;
}

void ResetToDefaultsCommand()
{
    ShowSettingsInControls(ScreenDefaults());
}

void TellLoadFailure(Object *window)
{
    if (loadFailure.problem == IconProblem::None) {
        return;
    }
    const std::string icon = LoadFailureText();
    MUI_Request(app, window, 0, windowTitle, GetString(MSG_REQ_OK), GetString(MSG_ERR_READ_ICON), icon.c_str());
}

void LastSavedCommand()
{
    const StoredSettings read = ReadApplicationSettings(ScreenDefaults());
    loadFailure = read.failure;
    settingsFrom = read.from;
    ShowSettingsInControls(read.settings);
    MarkSettingsStored();
    TellLoadFailure(mainWindow);
}

void RestoreCommand()
{
    ShowSettingsInControls(openingSettings);
}
