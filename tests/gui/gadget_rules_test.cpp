// The rules that ghost the controls whose settings mean nothing.
#include "gui/window_fixture.h"

namespace {

using GadgetRulesTest = WindowTest;

// The rules follow the controls from any state to any other, never the
// settings record, and ghosting keeps a slider's position.
TEST_F(GadgetRulesTest, TheRulesFollowTheControlsNotTheRecord)
{
    for (int hideSound : {0, 1}) {
        ToolConfig.hideSound = hideSound;
        BuildAndStart();
        SetAttrs(fpsSlider, MUIA_Numeric_Value, 31);
        if (volumeSlider != nullptr) {
            SetAttrs(volumeSlider, MUIA_Numeric_Value, 12);
        }
        for (int state = 0; state < 12 * 12; ++state) {
            for (int c : {state / 12, state % 12}) {
                const int fps = c & 1, sound = (c >> 1) & 1, mode = c >> 2;
                SCOPED_TRACE(testing::Message() << "hideSound " << hideSound << ", fps " << fps << ", mode "
                                                << mode << ", sound " << sound);
                SetAttrs(fpsCheckmark, MUIA_Selected, fps);
                SetAttrs(displayModeCycle, MUIA_Cycle_Active, mode);
                if (soundCheckmark != nullptr) {
                    SetAttrs(soundCheckmark, MUIA_Selected, sound);
                }
                // The record says the opposite of the controls.
                AppSettings.fpsLimitEnabled = !fps;
                AppSettings.displayMode = 2 - mode;
                AppSettings.soundEnabled = !sound;
                ApplyGadgetRules();
                EXPECT_EQ(Disabled(fpsSlider), fps == 0);
                EXPECT_EQ(Disabled(screenModeButton), mode != 2);
                EXPECT_EQ(Disabled(screenModeText), mode != 2);
                EXPECT_EQ(Attr(fpsSlider, MUIA_Numeric_Value), 31);
                if (volumeSlider != nullptr) {
                    EXPECT_EQ(Disabled(volumeSlider), sound == 0);
                    EXPECT_EQ(Attr(volumeSlider, MUIA_Numeric_Value), 12);
                }
            }
        }
        Dispose();
    }
}

}  // namespace
