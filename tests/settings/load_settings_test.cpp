#include <gtest/gtest.h>

#include <string>

#include "settings_fixture.h"

namespace {

using LoadSettingsTest = SettingsStoreTest;

const Settings kDefaults = {0, kScreenModeId, kScreenDepth, 0, 0, 40, 1};

}  // namespace

// Without a usable APPLICATION the tool icon gives nothing and no application icon is read.
TEST_F(LoadSettingsTest, WithoutANamedApplicationOnlyTheScreenDefaultsAreTaken)
{
    const std::string longName(128, 'a');  // one too long for its field: ignored, never cut
    const Entries toolIcons[] = {
        {},
        {"HELP=Starfield.guide", "HIDESOUND", "MORPHOS=Starfield_MOS", "application_name=X"},
        {"APPLICATION=" + longName, "HELP=Starfield.guide", "HIDESOUND", "WARPOS=Starfield_WOS"},
    };
    MakeIcon("Application", {"FULLSCREEN", "NOSOUND"});
    MakeIcon(longName.substr(0, 127), {"FULLSCREEN"});
    for (const Entries &toolTypes : toolIcons) {
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

    MakeIcon("Settings", {"APPLICATION=Starfield", "HELP=docs/Star field.guide"});
    LoadSettings();
    EXPECT_STREQ(ToolConfig.appName, "Starfield");
    EXPECT_STREQ(ToolConfig.helpFile, "docs/Star field.guide");
}

// The application icon's tooltypes over a record that starts with the defaults and
// a frame limit of 30 turned on.
TEST_F(LoadSettingsTest, TheApplicationIconSetsTheRecord)
{
    const struct {
        Entries toolTypes;
        Settings expected;
    } cases[] = {
        // The display mode: WINDOW, then FULLSCREEN, then FULLSCREEN with MODEID (and DEPTH).
        {{}, {0, kScreenModeId, kScreenDepth, 30, 0, 40, 1}},
        {{"FULLSCREEN", "MODEID=1342378755", "DEPTH=24", "WINDOW"}, {0, kScreenModeId, kScreenDepth, 30, 0, 40, 1}},
        {{"DEPTH=24", "FULLSCREEN"}, {1, kScreenModeId, kScreenDepth, 30, 0, 40, 1}},
        {{"MODEID=1342378755", "FULLSCREEN"}, {2, 0x50031303, kScreenDepth, 30, 0, 40, 1}},
        {{"MODEID=1342378755", "DEPTH=24", "FULLSCREEN"}, {2, 0x50031303, 24, 30, 0, 40, 1}},
        {{"MODEID=1342378755", "DEPTH=24"}, {0, kScreenModeId, kScreenDepth, 30, 0, 40, 1}},
        {{"MODEID=0x50031303", "FULLSCREEN"}, {2, 0, kScreenDepth, 30, 0, 40, 1}},
        {{"MODEID=-2147483648", "FULLSCREEN"}, {2, 0x80000000, kScreenDepth, 30, 0, 40, 1}},
        {{"MODEID=-1", "DEPTH=", "FULLSCREEN"}, {2, 0xFFFFFFFF, 0, 30, 0, 40, 1}},
        // Frame limit and sound: a bare FPSLIMIT turns the limit on at 0; no range check.
        {{"FPSLIMIT= 25fps", "MASTERVOLUME=-5", "NOSOUND"}, {0, kScreenModeId, kScreenDepth, 25, 1, -5, 0}},
        {{"FPSLIMIT", "MASTERVOLUME=70"}, {0, kScreenModeId, kScreenDepth, 0, 1, 70, 1}},
    };
    MakeIcon("Settings", {"APPLICATION=Starfield", "HIDESOUND"});  // sound values are read even when hidden
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.toolTypes));
        ResetAppSettings();
        AppSettings.fpsLimit = 30;
        AppSettings.fpsLimitEnabled = 1;
        MakeIcon("Starfield", c.toolTypes);
        LoadSettings();
        EXPECT_EQ(Fields(AppSettings), Fields(c.expected));
    }
}

TEST_F(LoadSettingsTest, TheScriptIconIsReadOnlyWhenTheApplicationHasNoIcon)
{
    MakeIcon("Settings", {"APPLICATION=Starfield"});
    MakeIcon("Starfield.vls", {"FULLSCREEN", "NOSOUND"});
    LoadSettings();
    EXPECT_EQ(AppSettings.displayMode, 1);
    EXPECT_EQ(AppSettings.soundEnabled, 0);

    ResetAppSettings();
    MakeIcon("Starfield", {"WINDOW"});
    LoadSettings();
    EXPECT_EQ(AppSettings.displayMode, 0);
    EXPECT_EQ(AppSettings.soundEnabled, 1);
}

TEST_F(LoadSettingsTest, AMalformedApplicationIconLeavesTheDefaults)
{
    MakeIcon("Settings", {"APPLICATION=Starfield", "MORPHOS=Starfield_MOS"});
    WriteFileBytes(dir_.file("Starfield.info"), "not an icon at all");
    LoadSettings();
    EXPECT_STREQ(ToolConfig.appName, "Starfield");
    EXPECT_STREQ(ToolConfig.platformIcons[1], "Starfield_MOS");
    EXPECT_EQ(Fields(AppSettings), Fields(kDefaults));
}
