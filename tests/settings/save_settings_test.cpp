#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "settings/app_settings.h"
#include "settings/settings_writer.h"
#include "settings/tool_config.h"
#include "settings_fixture.h"

namespace {

using Entries = std::vector<std::string>;

class SaveSettingsTest : public SettingsStoreTest {
protected:
    SaveSettingsTest()
    {
        // The worked example's record: every settings entry is written.
        AppSettings.displayMode = 2;
        AppSettings.modeId = 0x50031303;
        AppSettings.depth = 24;
        AppSettings.fpsLimit = 25;
        AppSettings.fpsLimitEnabled = 1;
        AppSettings.masterVolume = 40;
        AppSettings.soundEnabled = 0;
    }

    Entries Merge(const Entries &toolTypes)
    {
        MakeIcon("Starfield", toolTypes);
        EXPECT_EQ(WriteIconSettings("Starfield"), 0);
        return ToolTypesOf("Starfield");
    }
};

const Entries kAllSettings = {"MASTERVOLUME=40", "NOSOUND",  "FPSLIMIT=25",
                              "MODEID=1342378755", "DEPTH=24", "FULLSCREEN"};

Entries Concat(Entries a, const Entries &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

TEST_F(SaveSettingsTest, KeptEntriesComeFirstThenTheSettingsInTheirFixedOrder)
{
    EXPECT_EQ(Merge({"A", "  WINDOW", "MASTERVOLUME=30"}), Concat({"A"}, kAllSettings));
    EXPECT_EQ(Merge({}), kAllSettings);
}

TEST_F(SaveSettingsTest, ManagedEntriesAreRecognisedInAnyLetterCase)
{
    EXPECT_EQ(Merge({"Window", "window", "fullscreen", "ModeId=5", "depth=8", "FpsLimit=3", "nosound",
                     "MasterVolume=2", "WINDOW="}),
              kAllSettings);
}

TEST_F(SaveSettingsTest, OnlyEntriesWhoseKeyIsAManagedKeywordAreReplaced)
{
    const Entries others = {"WINDOWTITLE=Starfield deluxe", "DEPTHCUE", "MODEIDS=1,2", "NOSOUNDFX",
                            "(WINDOW)", "FULLSCREEN2=yes", "MODEID =5", "X=WINDOW", ""};
    EXPECT_EQ(Merge(Concat({"FULLSCREEN"}, others)), Concat(others, kAllSettings));
}

TEST_F(SaveSettingsTest, LeadingSpacesAreDroppedButNotTabs)
{
    EXPECT_EQ(Merge({"   DONOTWAIT", "\tWINDOW", " ", "  (FULLSCREEN)", "   depth=3"}),
              Concat({"DONOTWAIT", "\tWINDOW", "", "(FULLSCREEN)"}, kAllSettings));
}

TEST_F(SaveSettingsTest, HiddenSoundSettingsAreRemovedAndNotWritten)
{
    ToolConfig.hideSound = 1;
    EXPECT_EQ(Merge({"MASTERVOLUME=12", "NOSOUND", "KEEP"}),
              (Entries{"KEEP", "FPSLIMIT=25", "MODEID=1342378755", "DEPTH=24", "FULLSCREEN"}));
}

TEST_F(SaveSettingsTest, EachDisplayModeWritesItsOwnEntries)
{
    const Entries old = {"MODEID=5", "DEPTH=8", "FULLSCREEN", "WINDOW"};
    AppSettings.soundEnabled = 1;
    AppSettings.fpsLimitEnabled = 0;
    AppSettings.displayMode = 0;
    EXPECT_EQ(Merge(old), (Entries{"MASTERVOLUME=40", "WINDOW"}));
    AppSettings.displayMode = 1;
    EXPECT_EQ(Merge(old), (Entries{"MASTERVOLUME=40", "FULLSCREEN"}));
    AppSettings.displayMode = 2;
    EXPECT_EQ(Merge(old), (Entries{"MASTERVOLUME=40", "MODEID=1342378755", "DEPTH=24", "FULLSCREEN"}));
    AppSettings.displayMode = 7;
    EXPECT_EQ(Merge(old), (Entries{"MASTERVOLUME=40"}));
}

TEST_F(SaveSettingsTest, WithTheLimitOffNoFpsLimitIsWritten)
{
    AppSettings.fpsLimitEnabled = 0;
    AppSettings.fpsLimit = 25;
    EXPECT_EQ(Merge({"FPSLIMIT=50"}), (Entries{"MASTERVOLUME=40", "NOSOUND", "MODEID=1342378755", "DEPTH=24",
                                               "FULLSCREEN"}));
}

TEST_F(SaveSettingsTest, ModeIdsAbove31BitsAreWrittenNegative)
{
    AppSettings.modeId = 0x80000000;
    EXPECT_EQ(Merge({})[3], "MODEID=-2147483648");
    AppSettings.modeId = 0xFFFFFFFF;
    EXPECT_EQ(Merge({})[3], "MODEID=-1");
}

TEST_F(SaveSettingsTest, NoKeptEntryIsDroppedHoweverLongTheList)
{
    Entries many;
    for (int i = 0; i < 120; ++i) {
        many.push_back("ENTRY" + std::to_string(i) + "=" + std::string(i, 'v'));
    }
    EXPECT_EQ(Merge(Concat(many, {"WINDOW"})), Concat(many, kAllSettings));
    // Twice in a row: the list is rebuilt from empty for every icon.
    EXPECT_EQ(Merge(many), Concat(many, kAllSettings));
}

TEST_F(SaveSettingsTest, AnIconFoundOnlyUnderItsScriptNameIsWrittenThere)
{
    MakeIcon("Starfield.vls", {"A"});
    EXPECT_EQ(WriteIconSettings("Starfield"), 0);
    EXPECT_FALSE(std::filesystem::exists(dir_.file("Starfield.info")));
    EXPECT_EQ(ToolTypesOf("Starfield.vls"), Concat({"A"}, kAllSettings));
}

TEST_F(SaveSettingsTest, TheApplicationIconIsWrittenRatherThanTheScriptIcon)
{
    MakeIcon("Starfield", {"A"});
    MakeIcon("Starfield.vls", {"B"});
    EXPECT_EQ(WriteIconSettings("Starfield"), 0);
    EXPECT_EQ(ToolTypesOf("Starfield"), Concat({"A"}, kAllSettings));
    EXPECT_EQ(ToolTypesOf("Starfield.vls"), Entries{"B"});
}

TEST_F(SaveSettingsTest, ScriptIconOfTheLongestConfiguredName)
{
    const std::string name(127, 'n');
    MakeIcon(name + ".vls", {"A"});
    EXPECT_EQ(WriteIconSettings(name.c_str()), 0);
    EXPECT_EQ(ToolTypesOf(name + ".vls"), Concat({"A"}, kAllSettings));
}

TEST_F(SaveSettingsTest, AFileThatIsNotAnIconIsLeftAlone)
{
    WriteFileBytes(dir_.file("Starfield.info"), "garbage");
    EXPECT_EQ(WriteIconSettings("Starfield"), 0);
    EXPECT_EQ(ReadFileBytes(dir_.file("Starfield.info")), "garbage");
    EXPECT_FALSE(std::filesystem::exists(dir_.file("Starfield.vls.info")));
}

TEST_F(SaveSettingsTest, SaveWritesTheApplicationAndEveryPlatformIconThatExists)
{
    std::strcpy(ToolConfig.appName, "Starfield");
    std::strcpy(ToolConfig.platformIcons[0], "Starfield_OS3");
    std::strcpy(ToolConfig.platformIcons[1], "Missing_MOS");
    std::strcpy(ToolConfig.platformIcons[3], "Starfield_OS4");
    MakeIcon("Starfield", {"A"});
    MakeIcon("Starfield_OS3", {"B", "WINDOW"});
    MakeIcon("Starfield_OS4.vls", {"C"});
    EXPECT_EQ(SaveSettings(), 0);
    EXPECT_STREQ(failedIcons, "");
    EXPECT_EQ(ToolTypesOf("Starfield"), Concat({"A"}, kAllSettings));
    EXPECT_EQ(ToolTypesOf("Starfield_OS3"), Concat({"B"}, kAllSettings));
    EXPECT_EQ(ToolTypesOf("Starfield_OS4.vls"), Concat({"C"}, kAllSettings));
    EXPECT_FALSE(std::filesystem::exists(dir_.file("Missing_MOS.info")));
    EXPECT_FALSE(std::filesystem::exists(dir_.file("Missing_MOS.vls.info")));
}

TEST_F(SaveSettingsTest, IconsThatCannotBeWrittenAreReportedAndTheOthersStillWritten)
{
    std::strcpy(ToolConfig.appName, "Starfield");
    std::strcpy(ToolConfig.platformIcons[0], "Starfield_OS3");
    std::strcpy(ToolConfig.platformIcons[2], "Starfield_WOS");
    MakeIcon("Starfield", {"A"});
    MakeIcon("Starfield_OS3", {"B"});
    MakeIcon("Starfield_WOS.vls", {"C"});
    chmod(dir_.file("Starfield.info").c_str(), 0444);
    chmod(dir_.file("Starfield_WOS.vls.info").c_str(), 0444);
    const std::string before = ReadFileBytes(dir_.file("Starfield.info"));

    EXPECT_EQ(SaveSettings(), 2);
    EXPECT_STREQ(failedIcons, "Starfield, Starfield_WOS");
    EXPECT_EQ(ReadFileBytes(dir_.file("Starfield.info")), before);
    EXPECT_EQ(ToolTypesOf("Starfield_WOS.vls"), Entries{"C"});
    EXPECT_EQ(ToolTypesOf("Starfield_OS3"), Concat({"B"}, kAllSettings));

    // The next save reports afresh.
    chmod(dir_.file("Starfield.info").c_str(), 0644);
    chmod(dir_.file("Starfield_WOS.vls.info").c_str(), 0644);
    EXPECT_EQ(SaveSettings(), 0);
    EXPECT_STREQ(failedIcons, "");
}

TEST_F(SaveSettingsTest, WithoutTheWindowTheRecordIsWrittenAsItIs)
{
    std::strcpy(ToolConfig.appName, "Starfield");
    MakeIcon("Starfield", {});
    AppSettings.masterVolume = 70;  // beyond the slider's range: written unchanged
    SaveSettings();
    EXPECT_EQ(ToolTypesOf("Starfield"), (Entries{"MASTERVOLUME=70", "NOSOUND", "FPSLIMIT=25",
                                                 "MODEID=1342378755", "DEPTH=24", "FULLSCREEN"}));
}

struct RoundTripCase {
    Settings written;
    std::int32_t hideSound;
};

class ReadingBackWhatWasWritten : public SettingsStoreTest, public testing::WithParamInterface<RoundTripCase> {};

TEST_P(ReadingBackWhatWasWritten, RestoresEveryWrittenField)
{
    const Settings &w = GetParam().written;
    MakeIcon("Settings", {"APPLICATION=Starfield"});
    MakeIcon("Starfield", {"UNRELATED"});
    AppSettings = w;
    ToolConfig.hideSound = GetParam().hideSound;
    std::strcpy(ToolConfig.appName, "Starfield");
    ASSERT_EQ(SaveSettings(), 0);

    ResetAppSettings();
    ToolConfig.hideSound = 0;
    LoadSettings();
    const Settings &r = AppSettings;
    EXPECT_EQ(r.displayMode, w.displayMode);
    EXPECT_EQ(r.modeId, w.displayMode == 2 ? w.modeId : kScreenModeId);
    EXPECT_EQ(r.depth, w.displayMode == 2 ? w.depth : kScreenDepth);
    EXPECT_EQ(r.fpsLimitEnabled != 0, w.fpsLimitEnabled != 0);
    if (w.fpsLimitEnabled != 0) {
        EXPECT_EQ(r.fpsLimit, w.fpsLimit);
    }
    if (GetParam().hideSound == 0) {
        EXPECT_EQ(r.masterVolume, w.masterVolume);
        EXPECT_EQ(r.soundEnabled != 0, w.soundEnabled != 0);
    } else {
        EXPECT_EQ(r.masterVolume, 40);
        EXPECT_EQ(r.soundEnabled, 1);
    }
}

INSTANTIATE_TEST_SUITE_P(SaveSettings, ReadingBackWhatWasWritten,
                         testing::Values(RoundTripCase{{0, 0x50031303, 24, 25, 1, 0, 0}, 0},
                                         RoundTripCase{{1, 0x50031303, 24, 1, 0, 64, 1}, 0},
                                         RoundTripCase{{2, 0x50031303, 24, 50, 1, 0, 1}, 0},
                                         RoundTripCase{{2, 0x80000000, 32, 25, 0, 13, 5}, 0},
                                         RoundTripCase{{2, 0xFFFFFFFF, -1, -7, 1, -5, 0}, 0},
                                         RoundTripCase{{2, 0x00029004, 16, 30, 1, 10, 0}, 1}));
