#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/app_settings.h"
#include "settings/tool_config.h"
#include "settings_fixture.h"

namespace {

using LoadSettingsTest = SettingsStoreTest;

void ExpectDefaultRecord()
{
    EXPECT_EQ(AppSettings.displayMode, 0);
    EXPECT_EQ(AppSettings.modeId, kScreenModeId);
    EXPECT_EQ(AppSettings.depth, kScreenDepth);
    EXPECT_EQ(AppSettings.fpsLimit, 0);
    EXPECT_EQ(AppSettings.fpsLimitEnabled, 0);
    EXPECT_EQ(AppSettings.masterVolume, 40);
    EXPECT_EQ(AppSettings.soundEnabled, 1);
}

void ExpectInitialConfig()
{
    EXPECT_STREQ(ToolConfig.appName, "Application");
    EXPECT_STREQ(ToolConfig.helpFile, "");
    EXPECT_EQ(ToolConfig.hideSound, 0);
    for (const char *name : ToolConfig.platformIcons) {
        EXPECT_STREQ(name, "");
    }
}

}  // namespace

TEST_F(LoadSettingsTest, WithoutAToolIconOnlyTheScreenDefaultsAreTaken)
{
    MakeIcon("Application", {"FULLSCREEN", "NOSOUND"});
    LoadSettings();
    ExpectInitialConfig();
    ExpectDefaultRecord();
}

TEST_F(LoadSettingsTest, AToolIconWithoutApplicationIsLikeNoIcon)
{
    MakeIcon("Settings", {"HELP=Starfield.guide", "HIDESOUND", "MORPHOS=Starfield_MOS", "application_name=X"});
    MakeIcon("Application", {"FULLSCREEN", "NOSOUND"});
    LoadSettings();
    ExpectInitialConfig();
    ExpectDefaultRecord();
}

TEST_F(LoadSettingsTest, TheToolIconFillsTheConfiguration)
{
    MakeIcon("Settings", {"APPLICATION=Starfield", "HELP=docs/Star field.guide ", "HIDESOUND=NO",
                          "AMIGAOS3=Starfield_OS3", "MORPHOS", "WARPOS=Starfield_WOS", "AMIGAOS4=Starfield_OS4"});
    LoadSettings();
    EXPECT_STREQ(ToolConfig.appName, "Starfield");
    EXPECT_STREQ(ToolConfig.helpFile, "docs/Star field.guide ");  // values are not trimmed
    EXPECT_EQ(ToolConfig.hideSound, 1);                          // only the key's presence counts
    EXPECT_STREQ(ToolConfig.platformIcons[0], "Starfield_OS3");
    EXPECT_STREQ(ToolConfig.platformIcons[1], "");  // a bare key gives an empty entry
    EXPECT_STREQ(ToolConfig.platformIcons[2], "Starfield_WOS");
    EXPECT_STREQ(ToolConfig.platformIcons[3], "Starfield_OS4");
}

TEST_F(LoadSettingsTest, BareKeysGiveEmptyValues)
{
    MakeIcon("Settings", {"APPLICATION=Starfield", "HELP", "HIDESOUND"});
    LoadSettings();
    EXPECT_STREQ(ToolConfig.helpFile, "");
    EXPECT_EQ(ToolConfig.hideSound, 1);
}

TEST_F(LoadSettingsTest, ValuesTooLongForTheirFieldsAreIgnoredNotCut)
{
    const std::string name127(127, 'a');
    const std::string name79(79, 'p');
    MakeIcon("Settings", {"APPLICATION=" + name127, "HELP=" + std::string(128, 'h'), "AMIGAOS3=" + name79,
                          "MORPHOS=" + std::string(80, 'm'), "AMIGAOS4=" + std::string(500, 'x')});
    LoadSettings();
    EXPECT_EQ(ToolConfig.appName, name127);
    EXPECT_STREQ(ToolConfig.helpFile, "");
    EXPECT_EQ(ToolConfig.platformIcons[0], name79);
    EXPECT_STREQ(ToolConfig.platformIcons[1], "");
    EXPECT_STREQ(ToolConfig.platformIcons[3], "");
}

TEST_F(LoadSettingsTest, AnApplicationNameTooLongIsLikeNoApplicationKey)
{
    const std::string longName(128, 'a');
    MakeIcon("Settings", {"APPLICATION=" + longName, "HELP=Starfield.guide", "HIDESOUND", "WARPOS=Starfield_WOS"});
    MakeIcon(longName.substr(0, 127), {"FULLSCREEN"});
    MakeIcon("Application", {"FULLSCREEN"});
    LoadSettings();
    ExpectInitialConfig();
    ExpectDefaultRecord();
}

struct DisplayCase {
    std::vector<std::string> toolTypes;
    std::int32_t displayMode;
    std::uint32_t modeId;
    std::int32_t depth;
};

class DisplayModePrecedence : public SettingsStoreTest, public testing::WithParamInterface<DisplayCase> {};

TEST_P(DisplayModePrecedence, FollowsWindowThenFullScreenThenModeId)
{
    MakeIcon("Settings", {"APPLICATION=Starfield"});
    MakeIcon("Starfield", GetParam().toolTypes);
    LoadSettings();
    EXPECT_EQ(AppSettings.displayMode, GetParam().displayMode);
    EXPECT_EQ(AppSettings.modeId, GetParam().modeId);
    EXPECT_EQ(AppSettings.depth, GetParam().depth);
}

INSTANTIATE_TEST_SUITE_P(
    LoadSettings, DisplayModePrecedence,
    testing::Values(
        DisplayCase{{}, 0, kScreenModeId, kScreenDepth},
        DisplayCase{{"FULLSCREEN", "MODEID=1342378755", "DEPTH=24", "WINDOW"}, 0, kScreenModeId, kScreenDepth},
        DisplayCase{{"FULLSCREEN"}, 1, kScreenModeId, kScreenDepth},
        DisplayCase{{"DEPTH=24", "FULLSCREEN"}, 1, kScreenModeId, kScreenDepth},
        DisplayCase{{"MODEID=1342378755", "FULLSCREEN"}, 2, 0x50031303, kScreenDepth},
        DisplayCase{{"MODEID=1342378755", "DEPTH=24", "FULLSCREEN"}, 2, 0x50031303, 24},
        DisplayCase{{"MODEID=1342378755", "DEPTH=24"}, 0, kScreenModeId, kScreenDepth},
        DisplayCase{{"MODEID=0x50031303", "FULLSCREEN"}, 2, 0, kScreenDepth},
        DisplayCase{{"MODEID=-2147483648", "FULLSCREEN"}, 2, 0x80000000, kScreenDepth},
        DisplayCase{{"MODEID=-1", "DEPTH=", "FULLSCREEN"}, 2, 0xFFFFFFFF, 0}));

TEST_F(LoadSettingsTest, FrameLimitAndSoundValuesAreTakenAsParsed)
{
    MakeIcon("Settings", {"APPLICATION=Starfield", "HIDESOUND"});
    MakeIcon("Starfield", {"FPSLIMIT= 25fps", "MASTERVOLUME=-5", "NOSOUND"});
    LoadSettings();
    EXPECT_EQ(AppSettings.fpsLimitEnabled, 1);
    EXPECT_EQ(AppSettings.fpsLimit, 25);
    EXPECT_EQ(AppSettings.masterVolume, -5);  // no range check; read even with the sound hidden
    EXPECT_EQ(AppSettings.soundEnabled, 0);
}

TEST_F(LoadSettingsTest, BareFpsLimitTurnsTheLimitOnAtZero)
{
    MakeIcon("Settings", {"APPLICATION=Starfield"});
    MakeIcon("Starfield", {"FPSLIMIT", "MASTERVOLUME=70"});
    AppSettings.fpsLimit = 30;
    LoadSettings();
    EXPECT_EQ(AppSettings.fpsLimitEnabled, 1);
    EXPECT_EQ(AppSettings.fpsLimit, 0);
    EXPECT_EQ(AppSettings.masterVolume, 70);
    EXPECT_EQ(AppSettings.soundEnabled, 1);
}

TEST_F(LoadSettingsTest, NoFpsLimitTurnsTheLimitOffAndKeepsTheValue)
{
    MakeIcon("Settings", {"APPLICATION=Starfield"});
    MakeIcon("Starfield", {"WINDOW"});
    AppSettings.fpsLimitEnabled = 1;
    AppSettings.fpsLimit = 30;
    LoadSettings();
    EXPECT_EQ(AppSettings.fpsLimitEnabled, 0);
    EXPECT_EQ(AppSettings.fpsLimit, 30);
}

TEST_F(LoadSettingsTest, TheScriptIconIsReadWhenTheApplicationHasNoIcon)
{
    MakeIcon("Settings", {"APPLICATION=Starfield"});
    MakeIcon("Starfield.vls", {"FULLSCREEN", "NOSOUND"});
    LoadSettings();
    EXPECT_EQ(AppSettings.displayMode, 1);
    EXPECT_EQ(AppSettings.soundEnabled, 0);
}

TEST_F(LoadSettingsTest, TheApplicationIconComesBeforeTheScriptIcon)
{
    MakeIcon("Settings", {"APPLICATION=Starfield"});
    MakeIcon("Starfield", {"FULLSCREEN"});
    MakeIcon("Starfield.vls", {"NOSOUND", "FPSLIMIT=10"});
    LoadSettings();
    EXPECT_EQ(AppSettings.displayMode, 1);
    EXPECT_EQ(AppSettings.soundEnabled, 1);
    EXPECT_EQ(AppSettings.fpsLimitEnabled, 0);
}

TEST_F(LoadSettingsTest, AMissingOrMalformedApplicationIconLeavesTheDefaults)
{
    MakeIcon("Settings", {"APPLICATION=Starfield", "MORPHOS=Starfield_MOS"});
    WriteFileBytes(dir_.file("Starfield.info"), "not an icon at all");
    LoadSettings();
    EXPECT_STREQ(ToolConfig.appName, "Starfield");
    EXPECT_STREQ(ToolConfig.platformIcons[1], "Starfield_MOS");
    ExpectDefaultRecord();
}
