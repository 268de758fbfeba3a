#include "gui/gadget_rules.h"

#include "gui/commands.h"
#include "gui/window_layout.h"
#include "platform/toolkit/toolkit.h"
#include "settings/tool_config.h"
#include "settings/tooltypes.h"

namespace {

IPTR ReadAttr(Tag attr, Object *obj)
{
    IPTR value = 0;
    GetAttr(attr, obj, &value);
    return value;
}

}  // namespace

void ApplyGadgetRules()
{
    // The frame rate only means something while the limit is on.
    SetAttrs(fpsSlider, MUIA_Disabled, ReadAttr(MUIA_Selected, fpsCheckmark) == 0);

    // The screen mode only for the manual full-screen mode.
    const bool noScreenMode = ReadAttr(MUIA_Cycle_Active, displayModeCycle) != DISPLAY_FULLSCREEN_MODE;
    SetAttrs(screenModeButton, MUIA_Disabled, noScreenMode);
    SetAttrs(screenModeText, MUIA_Disabled, noScreenMode);

    // The volume only while sound is on; nothing when the sound section is hidden.
    if (soundCheckmark != nullptr && volumeSlider != nullptr) {
        SetAttrs(volumeSlider, MUIA_Disabled, ReadAttr(MUIA_Selected, soundCheckmark) == 0);
    }

    // Help, its button, its menu item and their keys, only where the tool's icon names a document.
    const bool noHelp = ToolConfig.helpFile[0] == '\0';
    SetAttrs(helpButton, MUIA_Disabled, noHelp);
    if (menuStrip != nullptr) {
        SetAttrs(reinterpret_cast<Object *>(DoMethod(menuStrip, MUIM_FindUData, ID_HELP)), MUIA_Disabled, noHelp);
    }
}
