// SaveSettings with the window built: the controls, not the record, hold the
// edits; with the sound hidden its fields are neither read nor written.
#include "gui/window_fixture.h"
#include "platform/formats/icon_maker.h"
#include "settings/settings_writer.h"
#include "support/icon_test_util.h"

namespace {

using SaveFromWindowTest = WindowTest;

TEST_F(SaveFromWindowTest, EveryControlIsReadBackIntoTheRecord)
{
    TempDir dir;
    ScopedChdir here(dir.path());
    SetAppName("Starfield");
    for (int hideSound : {0, 1}) {
        IconSpec spec;
        spec.toolTypes = {"DONOTWAIT"};
        WriteIcon("Starfield.info", spec);
        ToolConfig.hideSound = hideSound;
        AppSettings = {0, 0x50031303, 24, 1, 0, 70, 1};
        BuildAndStart();
        SetAttrs(displayModeCycle, MUIA_Cycle_Active, 2);
        SetAttrs(fpsCheckmark, MUIA_Selected, 1);
        SetAttrs(fpsSlider, MUIA_Numeric_Value, 33);
        SetAttrs(soundCheckmark, MUIA_Selected, 0);
        SetAttrs(volumeSlider, MUIA_Numeric_Value, 17);
        EXPECT_EQ(SaveSettings(), 0);
        std::vector<std::string> written = {"DONOTWAIT", "MASTERVOLUME=17", "NOSOUND", "FPSLIMIT=33",
                                            "MODEID=1342378755", "DEPTH=24", "FULLSCREEN"};
        if (hideSound != 0) {
            written.erase(written.begin() + 1, written.begin() + 3);
        }
        EXPECT_EQ(ReadToolTypes("Starfield"), written);
        EXPECT_EQ(AppSettings.masterVolume, hideSound ? 70 : 17);
        Dispose();
    }
}

}  // namespace
