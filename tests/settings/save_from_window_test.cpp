// SaveSettings with the window built: the controls, not the record, hold the edits.
#include <gtest/gtest.h>

#include <optional>

#include "gui/window_fixture.h"
#include "platform/formats/icon_maker.h"
#include "settings/settings_writer.h"
#include "support/icon_test_util.h"

namespace {

class SaveFromWindowTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        cd_.emplace(dir_.path());
        std::snprintf(ToolConfig.appName, sizeof ToolConfig.appName, "Starfield");
        IconSpec spec;
        spec.toolTypes = {"DONOTWAIT"};
        WriteIcon(dir_.file("Starfield.info"), spec);
    }
    void TearDown() override
    {
        WindowTest::TearDown();
        cd_.reset();
    }

    TempDir dir_;
    std::optional<ScopedChdir> cd_;
};

}  // namespace

TEST_F(SaveFromWindowTest, EveryControlIsReadBackIntoTheRecord)
{
    AppSettings.modeId = 0x50031303;
    AppSettings.depth = 24;
    BuildAndStart();
    SetAttrs(displayModeCycle, MUIA_Cycle_Active, 2);
    SetAttrs(fpsCheckmark, MUIA_Selected, 1);
    SetAttrs(fpsSlider, MUIA_Numeric_Value, 33);
    SetAttrs(soundCheckmark, MUIA_Selected, 0);
    SetAttrs(volumeSlider, MUIA_Numeric_Value, 17);

    EXPECT_EQ(SaveSettings(), 0);
    EXPECT_EQ(ReadToolTypes("Starfield"), (std::vector<std::string>{"DONOTWAIT", "MASTERVOLUME=17", "NOSOUND",
                                                                    "FPSLIMIT=33", "MODEID=1342378755", "DEPTH=24",
                                                                    "FULLSCREEN"}));
}

TEST_F(SaveFromWindowTest, WithTheSoundHiddenTheSoundFieldsAreNeitherReadNorWritten)
{
    ToolConfig.hideSound = 1;
    AppSettings.masterVolume = 70;
    AppSettings.soundEnabled = 0;
    BuildAndStart();
    ASSERT_EQ(soundCheckmark, nullptr);
    SetAttrs(displayModeCycle, MUIA_Cycle_Active, 1);
    SetAttrs(fpsCheckmark, MUIA_Selected, 0);

    EXPECT_EQ(SaveSettings(), 0);
    EXPECT_EQ(AppSettings.masterVolume, 70);
    EXPECT_EQ(AppSettings.soundEnabled, 0);
    EXPECT_EQ(ReadToolTypes("Starfield"), (std::vector<std::string>{"DONOTWAIT", "FULLSCREEN"}));
}
