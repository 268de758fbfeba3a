#include "gui/edit_commands.h"

#include "gui/gadget_rules.h"
#include "gui/screen_mode.h"
#include "gui/window_layout.h"
#include "platform/toolkit/toolkit.h"
#include "settings/app_settings.h"
#include "settings/settings_reader.h"

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

void LastSavedCommand()
{
    ResetAppSettings();
    ReadScreenDefaults();
    ReadApplicationSettings();
    ShowSettings(AppSettings);
}

void RestoreCommand()
{
    ShowSettings(openingSettings);
}
