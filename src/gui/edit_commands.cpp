#include "gui/edit_commands.h"

#include <string>

#include "gui/settings_controls.h"
#include "gui/window_handles.h"
#include "gui/window_layout.h"
#include "platform/formats/charset.h"
#include "platform/toolkit/toolkit.h"
#include "settings/app_settings.h"
#include "settings/settings_reader.h"
#include "settings/tool_config.h"
#include "state/program_state.h"
#include "text/icon_problem_text.h"
#include "text/strings.h"

namespace {

Settings openingSettings = {};

}  // namespace

void RememberOpeningSettings()
{
    openingSettings = AppSettings;
}

void ResetToDefaultsCommand()
{
    ResetAppSettings();
    ReadScreenDefaults();
    ShowSettingsInControls(AppSettings);
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
    ResetAppSettings();
    ReadScreenDefaults();
    loadFailure = {};
    ReadApplicationSettings();
    ShowSettingsInControls(AppSettings);
    MarkSettingsStored();
    TellLoadFailure(mainWindow);
}

void RestoreCommand()
{
    ShowSettingsInControls(openingSettings);
}
