#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "settings_fixture.h"

namespace {

using LoadSettingsTest = SettingsStoreTest;

const Settings kDefaults = {.displayMode = 0,
                            .modeId = kScreenModeId,
                            .depth = kScreenDepth,
                            .fpsLimit = 0,
                            .fpsLimitEnabled = 0,
                            .masterVolume = 40,
                            .soundEnabled = 1};

// No tool icon, or one without a usable APPLICATION (a name one too long for its
// field is ignored, never cut): nothing else is taken, no application icon read.
TEST_F(LoadSettingsTest, WithoutANamedApplicationOnlyTheScreenDefaultsAreTaken)
{
    const std::string longName(128, 'a');
    MakeIcon("Application", {"FULLSCREEN", "NOSOUND"});
    MakeIcon(longName.substr(0, 127), {"FULLSCREEN"});
    for (const Entries &toolTypes :
         {Entries{}, Entries{"HELP=Starfield.guide", "HIDESOUND", "MORPHOS=Starfield_MOS", "application_name=X"},
          Entries{"APPLICATION=" + longName, "HELP=Starfield.guide", "WARPOS=W"}}) {
        SCOPED_TRACE(toolTypes.size());
        ResetAppSettings();
        ResetToolConfig();
        std::strcpy(ToolConfig.appName, "Application");
        if (!toolTypes.empty()) {
            MakeIcon("Settings", toolTypes);
        }
        LoadSettings();
        EXPECT_STREQ(ToolConfig.appName, "Application");
        EXPECT_STREQ(ToolConfig.helpFile, "");
        EXPECT_EQ(ToolConfig.hideSound, 0);
        for (const char *name : ToolConfig.platformIcons) {
            EXPECT_STREQ(name, "");
        }
        EXPECT_EQ(Fields(AppSettings), Fields(kDefaults));
    }
}

// Values are taken whole, untrimmed; a bare key gives an empty value, HIDESOUND
// counts by its presence; a value too long for its field is ignored, never cut.
TEST_F(LoadSettingsTest, TheToolIconFillsTheConfiguration)
{
    const std::string name127(127, 'a'), name79(79, 'p');
    MakeIcon("Settings", {"APPLICATION=" + name127, "HELP=" + std::string(128, 'h'), "HIDESOUND=NO",
                          "AMIGAOS3=" + name79, "MORPHOS", "WARPOS= Star field ", "AMIGAOS4=" + std::string(80, 'x')});
    LoadSettings();
    EXPECT_EQ(ToolConfig.appName, name127);
    EXPECT_STREQ(ToolConfig.helpFile, "");
    EXPECT_EQ(ToolConfig.hideSound, 1);
    EXPECT_EQ(ToolConfig.platformIcons[0], name79);
    EXPECT_STREQ(ToolConfig.platformIcons[1], "");
    EXPECT_STREQ(ToolConfig.platformIcons[2], " Star field ");
    EXPECT_STREQ(ToolConfig.platformIcons[3], "");
}

// The application icon's tooltypes over a record that starts with the defaults and
// a frame limit of 30 turned on; the script icon only when the name has none.
TEST_F(LoadSettingsTest, TheApplicationIconSetsTheRecord)
{
    const struct {
        Entries toolTypes;
        Settings expected;
        const char *icon = "Starfield";
    } cases[] = {
        // The display mode: WINDOW, then FULLSCREEN, then FULLSCREEN with MODEID (and DEPTH).
        {{}, {0, kScreenModeId, kScreenDepth, 30, 0, 40, 1}},
        {{"FULLSCREEN", "MODEID=1342378755", "DEPTH=24", "WINDOW"}, {0, kScreenModeId, kScreenDepth, 30, 0, 40, 1}},
        {{"DEPTH=24", "FULLSCREEN"}, {1, kScreenModeId, kScreenDepth, 30, 0, 40, 1}},
        {{"MODEID=1342378755", "FULLSCREEN"}, {2, 0x50031303, kScreenDepth, 30, 0, 40, 1}},
        {{"MODEID=1342378755", "DEPTH=24", "FULLSCREEN"}, {2, 0x50031303, 24, 30, 0, 40, 1}},
        {{"MODEID=1342378755", "DEPTH=24"}, {0, kScreenModeId, kScreenDepth, 30, 0, 40, 1}},
        {{"MODEID=-1", "DEPTH=", "FULLSCREEN"}, {2, 0xFFFFFFFF, 0, 30, 0, 40, 1}},
        // Frame limit and sound: a bare FPSLIMIT turns the limit on at 0; no range check.
        {{"FPSLIMIT= 25fps", "MASTERVOLUME=-5", "NOSOUND"}, {0, kScreenModeId, kScreenDepth, 25, 1, -5, 0}},
        {{"FPSLIMIT", "MASTERVOLUME=70"}, {0, kScreenModeId, kScreenDepth, 0, 1, 70, 1}},
        {{"FULLSCREEN", "NOSOUND"}, {1, kScreenModeId, kScreenDepth, 30, 0, 40, 0}, "Starfield.vls"},
    };
    MakeIcon("Settings", {"APPLICATION=Starfield", "HIDESOUND"});  // sound values are read even when hidden
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.toolTypes));
        ResetAppSettings();
        AppSettings.fpsLimit = 30;
        AppSettings.fpsLimitEnabled = 1;
        std::remove("Starfield.info");
        MakeIcon(c.icon, c.toolTypes);
        LoadSettings();
        EXPECT_EQ(Fields(AppSettings), Fields(c.expected));
    }
    MakeIcon("Starfield", {"WINDOW"});  // the icon of the name wins over the script's
    LoadSettings();
    EXPECT_EQ(AppSettings.displayMode, 0);
}

}  // namespace
