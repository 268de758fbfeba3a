// The rules that ghost the controls whose settings mean nothing.
#include "gui/window_fixture.h"

namespace {

using GadgetRulesTest = WindowTest;

// From every state of the controls to every other, whatever the record says
// (here always the opposite); ghosting keeps a slider's position.
TEST_F(GadgetRulesTest, TheRulesFollowTheControlsNotTheRecord)
{
    for (int hideSound : {0, 1}) {
        ToolConfig.hideSound = hideSound;
        BuildAndStart();
        SetAttrs(fpsSlider, MUIA_Numeric_Value, 31);
        for (int state = 0; state < 12 * 12; ++state) {
            for (int c : {state / 12, state % 12}) {
                const int fps = c & 1, sound = (c >> 1) & 1, mode = c >> 2;
                SCOPED_TRACE(testing::Message() << hideSound << fps << sound << mode);
                SetAttrs(fpsCheckmark, MUIA_Selected, fps);
                SetAttrs(displayModeCycle, MUIA_Cycle_Active, mode);
                SetAttrs(soundCheckmark, MUIA_Selected, sound);
                AppSettings = {2 - mode, 0, 0, 0, !fps, 0, !sound};
                ApplyGadgetRules();
                EXPECT_EQ(Disabled(fpsSlider), fps == 0);
                EXPECT_EQ(Disabled(screenModeButton), mode != 2);
                EXPECT_EQ(Disabled(screenModeText), mode != 2);
                EXPECT_EQ(Attr(fpsSlider, MUIA_Numeric_Value), 31);
                EXPECT_TRUE(hideSound || Disabled(volumeSlider) == (sound == 0));
            }
        }
        Dispose();
    }
}

}  // namespace
