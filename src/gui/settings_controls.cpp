#include "gui/settings_controls.h"

#include "gui/gadget_rules.h"
#include "gui/notice.h"
#include "gui/screen_mode.h"
#include "gui/window_layout.h"
#include "platform/toolkit/toolkit.h"
#include "settings/settings_schema.h"
#include "settings/settings_writer.h"
#include "settings/tool_config.h"

namespace {

// What the controls stood for, and what the application's icon held, when the
// settings were last loaded, reloaded or saved.
Settings controlsBaseline = {};
Settings storedBaseline = {};

// Each control and the field of the record it shows (a checkmark: on or off).
const struct {
    Object **control;  // null while the window is not built, or the sound section is hidden
    Tag attribute;
    std::int32_t Settings::*member;
} kBindings[] = {
    {&displayModeCycle, MUIA_Cycle_Active, &Settings::displayMode},
    {&fpsCheckmark, MUIA_Selected, &Settings::fpsLimitEnabled},
    {&fpsSlider, MUIA_Numeric_Value, &Settings::fpsLimit},
    {&soundCheckmark, MUIA_Selected, &Settings::soundEnabled},
    {&volumeSlider, MUIA_Numeric_Value, &Settings::masterVolume},
};

// The settings the window holds: those shown last, with the screen mode chosen
// since (no control holds the mode id and depth). The window's one writer of AppSettings.
void Hold(const Settings &values)
{
    AppSettings = values;
}

int SaveChecked(const Settings *expected)
{
    const Settings values = SettingsFromControls();
    Hold(values);
    const int result = WriteAllIconSettings(values, expected);
    if (result != SAVE_CONFLICT && writtenIcons > 0) {
        MarkSettingsStored();
    }
    return result;
}

}  // namespace

void ShowSettingsInControls(const Settings &values)
{
    Hold(values);
    for (const auto &binding : kBindings) {
        const std::int32_t value = values.*binding.member;
        if (*binding.control != nullptr) {
            SetAttrs(*binding.control, binding.attribute, binding.attribute == MUIA_Selected ? value != 0 : value);
        }
    }
    ShowScreenModeName(values.modeId);
    ApplyGadgetRules();
}

Settings SettingsFromControls()
{
    Settings values = AppSettings;
    for (const auto &binding : kBindings) {
        IPTR value = 0;
        const bool kept = FieldOf(binding.member).iconsOwn && ToolConfig.hideSound != 0;
        if (*binding.control != nullptr && !kept && GetAttr(binding.attribute, *binding.control, &value) != 0) {
            values.*binding.member = static_cast<std::int32_t>(value);
        }
    }
    return values;
}

void ScreenModeCommand()
{
    Settings values = AppSettings;
    if (ChooseScreenMode(values.modeId, values.depth) != 0) {
        Hold(values);
        ShowScreenModeName(values.modeId);
    }
}

void MarkSettingsStored()
{
    storedBaseline = AppSettings;
    controlsBaseline = SettingsFromControls();
    SetNotice(Notice::None);  // the window and the icons agree again
}

bool StoredSettingsDiffer(const Settings &stored)
{
    const bool kept = ToolConfig.hideSound != 0;
    return WrittenForm(stored, kept) != WrittenForm(storedBaseline, kept);
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
