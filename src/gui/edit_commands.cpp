#include "gui/edit_commands.h"

#include <string>

#include "gui/gadget_rules.h"
#include "gui/screen_mode.h"
#include "gui/window_layout.h"
#include "platform/formats/charset.h"
#include "platform/toolkit/toolkit.h"
#include "settings/app_settings.h"
#include "settings/settings_reader.h"
#include "settings/tool_config.h"
#include "state/program_state.h"
#include "state/window_handles.h"
#include "text/icon_problem_text.h"
#include "text/strings.h"

namespace {

Settings openingSettings = {};

// AppSettings, which holds the mode id and depth, and the controls take values.
void ShowSettings(const Settings &values)
{
    AppSettings = values;
    SetAttrs(displayModeCycle, MUIA_Cycle_Active, values.displayMode);
    SetAttrs(fpsCheckmark, MUIA_Selected, values.fpsLimitEnabled != 0);
    SetAttrs(fpsSlider, MUIA_Numeric_Value, FpsSliderValue(values.fpsLimit));
    if (soundCheckmark != nullptr && volumeSlider != nullptr) {
        SetAttrs(soundCheckmark, MUIA_Selected, values.soundEnabled != 0);
        SetAttrs(volumeSlider, MUIA_Numeric_Value, values.masterVolume);
    }
    ShowScreenModeName();
    ApplyGadgetRules();
}

}  // namespace

void RememberOpeningSettings()
{
    openingSettings = AppSettings;
}

void ResetToDefaultsCommand()
{
    ResetAppSettings();
    ReadScreenDefaults();
    ShowSettings(AppSettings);
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
    ShowSettings(AppSettings);
    TellLoadFailure(mainWindow);
}

void RestoreCommand()
{
    ShowSettings(openingSettings);
}
