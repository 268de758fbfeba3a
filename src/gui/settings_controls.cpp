#include "gui/settings_controls.h"

#include "gui/gadget_rules.h"
#include "gui/screen_mode.h"
#include "gui/window_layout.h"
#include "platform/toolkit/toolkit.h"
#include "settings/settings_writer.h"
#include "settings/tool_config.h"

namespace {

// What the controls stood for, and what the application's icon held, when the
// settings were last loaded, reloaded or saved.
Settings controlsBaseline = {};
Settings storedBaseline = {};

// Takes one control's value into a record field when the control exists (the
// window has been built) and knows the attribute.
void ReadControl(Tag attribute, Object *control, std::int32_t *field)
{
    if (control == nullptr) {
        return;
    }
    IPTR value = 0;
    if (GetAttr(attribute, control, &value) != 0) {
        *field = static_cast<std::int32_t>(value);
    }
}

int SaveChecked(const Settings *expected)
{
    AppSettings = SettingsFromControls();
    const int result = WriteAllIconSettings(expected);
    if (result != SAVE_CONFLICT && writtenIcons > 0) {
        MarkSettingsStored();
    }
    return result;
}

}  // namespace

void ShowSettingsInControls(const Settings &values)
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

Settings SettingsFromControls()
{
    Settings values = AppSettings;
    ReadControl(MUIA_Cycle_Active, displayModeCycle, &values.displayMode);
    ReadControl(MUIA_Selected, fpsCheckmark, &values.fpsLimitEnabled);
    ReadControl(MUIA_Numeric_Value, fpsSlider, &values.fpsLimit);
    if (ToolConfig.hideSound == 0) {
        ReadControl(MUIA_Selected, soundCheckmark, &values.soundEnabled);
        ReadControl(MUIA_Numeric_Value, volumeSlider, &values.masterVolume);
    }
    return values;
}

void MarkSettingsStored()
{
    storedBaseline = AppSettings;
    controlsBaseline = SettingsFromControls();
}

bool StoredSettingsDiffer(const Settings &stored)
{
    return WrittenForm(stored) != WrittenForm(storedBaseline);
}

bool HasUnsavedChanges()
{
    return SettingsFromControls() != controlsBaseline;
}

int SaveSettings()
{
    return SaveChecked(&storedBaseline);
}

int SaveSettingsOverOthers()
{
    return SaveChecked(nullptr);
}
