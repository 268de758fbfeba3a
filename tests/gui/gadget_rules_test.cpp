// The rules that ghost the controls whose settings mean nothing.
#include "gui/window_fixture.h"

namespace {

using GadgetRulesTest = WindowTest;

struct Controls {
    int fps;    // fpsCheckmark ticked
    int mode;   // displayModeCycle entry
    int sound;  // soundCheckmark ticked
};

void ExpectRulesFor(const Controls &c)
{
    SCOPED_TRACE(testing::Message() << "fps " << c.fps << ", mode " << c.mode << ", sound " << c.sound);
    EXPECT_EQ(WindowTest::Disabled(fpsSlider), c.fps == 0);
    EXPECT_EQ(WindowTest::Disabled(screenModeButton), c.mode != 2);
    EXPECT_EQ(WindowTest::Disabled(screenModeText), c.mode != 2);
    if (volumeSlider != nullptr) {
        EXPECT_EQ(WindowTest::Disabled(volumeSlider), c.sound == 0);
    }
}

std::vector<Controls> AllCombinations()
{
    std::vector<Controls> all;
    for (int fps : {0, 1}) {
        for (int mode : {0, 1, 2}) {
            for (int sound : {0, 1}) {
                all.push_back({fps, mode, sound});
            }
        }
    }
    return all;
}

// As the window opens: the rules follow the loaded settings.
TEST_F(GadgetRulesTest, TheWindowOpensWithTheRulesOfTheLoadedSettings)
{
    for (int hideSound : {0, 1}) {
        for (const Controls &c : AllCombinations()) {
            ResetAppSettings();
            ToolConfig.hideSound = hideSound;
            AppSettings.fpsLimitEnabled = c.fps;
            AppSettings.displayMode = c.mode;
            AppSettings.soundEnabled = c.sound;
            BuildAndStart();
            ExpectRulesFor(c);
            MUI_DisposeObject(app);
            ResetWindowHandles();
        }
    }
}

// While the window is open: the rules follow the controls from any state to any
// other, never the settings record.
TEST_F(GadgetRulesTest, TheRulesFollowTheControlsNotTheRecord)
{
    for (int hideSound : {0, 1}) {
        ToolConfig.hideSound = hideSound;
        BuildAndStart();
        for (const Controls &from : AllCombinations()) {
            for (const Controls &to : AllCombinations()) {
                for (const Controls &c : {from, to}) {
                    SetAttrs(fpsCheckmark, MUIA_Selected, c.fps);
                    SetAttrs(displayModeCycle, MUIA_Cycle_Active, c.mode);
                    if (soundCheckmark != nullptr) {
                        SetAttrs(soundCheckmark, MUIA_Selected, c.sound);
                    }
                    // The record says the opposite of the controls.
                    AppSettings.fpsLimitEnabled = !c.fps;
                    AppSettings.displayMode = 2 - c.mode;
                    AppSettings.soundEnabled = !c.sound;
                    ApplyGadgetRules();
                    ExpectRulesFor(c);
                }
            }
        }
        MUI_DisposeObject(app);
        ResetWindowHandles();
    }
}

TEST_F(GadgetRulesTest, GhostingKeepsTheSlidersPositions)
{
    AppSettings.fpsLimitEnabled = 1;
    AppSettings.fpsLimit = 25;
    AppSettings.masterVolume = 12;
    BuildAndStart();
    SetAttrs(fpsSlider, MUIA_Numeric_Value, 31);

    SetAttrs(fpsCheckmark, MUIA_Selected, 0);
    SetAttrs(soundCheckmark, MUIA_Selected, 0);
    ApplyGadgetRules();
    EXPECT_TRUE(Disabled(fpsSlider));
    EXPECT_TRUE(Disabled(volumeSlider));
    EXPECT_EQ(Attr(fpsSlider, MUIA_Numeric_Value), 31);
    EXPECT_EQ(Attr(volumeSlider, MUIA_Numeric_Value), 12);

    SetAttrs(fpsCheckmark, MUIA_Selected, 1);
    ApplyGadgetRules();
    EXPECT_FALSE(Disabled(fpsSlider));
    EXPECT_EQ(Attr(fpsSlider, MUIA_Numeric_Value), 31);
}

}  // namespace
