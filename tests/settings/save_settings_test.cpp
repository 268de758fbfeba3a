#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>

#include "settings/settings_writer.h"
#include "settings/tooltypes.h"
#include "settings_fixture.h"

namespace {

// Every settings entry is written for this record.
const Settings kAllOn = {.displayMode = DISPLAY_FULLSCREEN_MODE,
                         .modeId = 0x50031303,
                         .depth = 24,
                         .fpsLimit = 25,
                         .fpsLimitEnabled = 1,
                         .masterVolume = 40,
                         .soundEnabled = 0};
const Entries kAllSettings = {"MASTERVOLUME=40",   "NOSOUND",  "FPSLIMIT=25",
                              "MODEID=1342378755", "DEPTH=24", "FULLSCREEN"};

Entries Concat(Entries a, const Entries &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// n entries of growing length.
Entries Many(int n)
{
    Entries many;
    for (int i = 0; i < n; ++i) {
        many.push_back("ENTRY" + std::to_string(i) + "=" + std::string(i, 'v'));
    }
    return many;
}

class SaveSettingsTest : public SettingsStoreTest {
protected:
    SaveSettingsTest() { AppSettings = kAllOn; }

    Entries Merge(const Entries &toolTypes)
    {
        MakeIcon("Starfield", toolTypes);
        EXPECT_EQ(WriteIconSettings("Starfield"), 1);
        return ReadToolTypes("Starfield");
    }
};

}  // namespace

// Entries whose key (after leading spaces, up to "=") is a managed keyword in any
// case are replaced; every other entry is kept in order, however many there are.
TEST_F(SaveSettingsTest, KeptEntriesComeFirstThenTheSettingsInTheirFixedOrder)
{
    const struct {
        Entries toolTypes, kept;
    } cases[] = {
        {{}, {}},
        {{"Window", "fullscreen", "ModeId=5", "depth=8", "FpsLimit=3", "nosound", "MasterVolume=2", "WINDOW="}, {}},
        {{"FULLSCREEN", "WINDOWTITLE=Starfield deluxe", "DEPTHCUE", "MODEIDS=1,2", "NOSOUNDFX", "(WINDOW)",
          "FULLSCREEN2=yes", "MODEID =5", "X=WINDOW", ""},
         {"WINDOWTITLE=Starfield deluxe", "DEPTHCUE", "MODEIDS=1,2", "NOSOUNDFX", "(WINDOW)", "FULLSCREEN2=yes",
          "MODEID =5", "X=WINDOW", ""}},
        // Leading spaces are dropped, tabs are not.
        {{"   DONOTWAIT", "\tWINDOW", " ", "  (FULLSCREEN)", "   depth=3"},
         {"DONOTWAIT", "\tWINDOW", "", "(FULLSCREEN)"}},
        {Concat(Many(120), {"WINDOW"}), Many(120)},
        {Many(3), Many(3)},  // the list is rebuilt from empty for every icon
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.toolTypes.size());
        EXPECT_EQ(Merge(c.toolTypes), Concat(c.kept, kAllSettings));
    }
}

TEST_F(SaveSettingsTest, EachSettingWritesItsOwnEntries)
{
    const Entries old = {"KEEP",   "MODEID=5",    "DEPTH=8",         "FULLSCREEN",
                         "WINDOW", "FPSLIMIT=50", "MASTERVOLUME=12", "NOSOUND"};
    const Settings windowed = {.displayMode = DISPLAY_WINDOW,
                               .modeId = 0x50031303,
                               .depth = 24,
                               .fpsLimit = 25,
                               .fpsLimitEnabled = 0,
                               .masterVolume = 40,
                               .soundEnabled = 1};
    auto inMode = [&windowed](std::int32_t displayMode) {
        Settings record = windowed;
        record.displayMode = displayMode;
        return record;
    };
    const struct {
        Settings record;
        std::int32_t hideSound;
        Entries written;
    } cases[] = {
        {windowed, 0, {"MASTERVOLUME=40", "WINDOW"}},
        {inMode(DISPLAY_FULLSCREEN_AUTO), 0, {"MASTERVOLUME=40", "FULLSCREEN"}},
        {inMode(7), 0, {"MASTERVOLUME=40"}},
        {{.displayMode = DISPLAY_FULLSCREEN_MODE,
          .modeId = 0x80000000,
          .depth = -1,
          .fpsLimit = 25,
          .fpsLimitEnabled = 0,
          .masterVolume = -5,
          .soundEnabled = 1},
         0,
         {"MASTERVOLUME=-5", "MODEID=-2147483648", "DEPTH=-1", "FULLSCREEN"}},
        // The hidden sound settings are removed and not written.
        {kAllOn, 1, {"FPSLIMIT=25", "MODEID=1342378755", "DEPTH=24", "FULLSCREEN"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.written));
        AppSettings = c.record;
        ToolConfig.hideSound = c.hideSound;
        EXPECT_EQ(Merge(old), Concat({"KEEP"}, c.written));
    }
}

// Save writes the application's icon and every platform icon that exists, classic
// or PNG (without the window, from the record as it is); icons that exist but
// cannot be written are named, the others still written, and each save reports afresh.
TEST_F(SaveSettingsTest, SaveWritesEveryIconAndNamesThoseThatCannotBeWritten)
{
    std::strcpy(ToolConfig.appName, "Starfield");
    const char *platformIcons[] = {"Starfield_OS3", "Missing_MOS", "Starfield_WOS", "Starfield_OS4"};
    for (int i = 0; i < PLATFORM_ICON_COUNT; ++i) {
        std::strcpy(ToolConfig.platformIcons[i], platformIcons[i]);
    }
    MakeIcon("Starfield", {"A"});
    MakeIcon("Starfield_OS3", {"B", "WINDOW"});
    MakeIcon("Starfield_WOS.vls", {"C"});
    MakeIcon("Starfield_OS4.vls", {"D"}, true);
    chmod(dir_.file("Starfield.info").c_str(), 0444);
    chmod(dir_.file("Starfield_WOS.vls.info").c_str(), 0444);
    const std::string before = ReadFileBytes(dir_.file("Starfield.info"));

    EXPECT_EQ(SaveSettings(), 2);
    EXPECT_EQ(FailedIconReasons(), "Starfield.info: permission denied (read-only)\n"
                                   "Starfield_WOS.vls.info: permission denied (read-only)\n");
    EXPECT_EQ(ReadFileBytes(dir_.file("Starfield.info")), before);
    EXPECT_EQ(ReadToolTypes("Starfield_WOS.vls"), Entries{"C"});
    EXPECT_EQ(ReadToolTypes("Starfield_OS3"), Concat({"B"}, kAllSettings));
    EXPECT_EQ(ReadToolTypes("Starfield_OS4.vls"), Concat({"D"}, kAllSettings));
    EXPECT_FALSE(std::filesystem::exists(dir_.file("Missing_MOS.vls.info")));

    chmod(dir_.file("Starfield.info").c_str(), 0644);
    chmod(dir_.file("Starfield_WOS.vls.info").c_str(), 0644);
    EXPECT_EQ(SaveSettings(), 0);
    EXPECT_EQ(FailedIconNames(), "");
    EXPECT_EQ(ReadToolTypes("Starfield"), Concat({"A"}, kAllSettings));

    // Icon names are ISO-8859-1; the requester's texts are UTF-8.
    failedIcons = {{"Gr\xFCn.info", IconProblem::Folder}};
    EXPECT_EQ(FailedIconNames() + "|" + FailedIconReasons(), "Gr\u00FCn.info|Gr\u00FCn.info: is a folder\n");
}

// An icon found under one of its names that holds no readable icon, or whose list
// lost a text that could not be copied, is named like one that cannot be written
// and left as it was; the others are still written. A name with no file is silent.
TEST_F(SaveSettingsTest, IconsThatCannotBeReadOrWhoseListLostATextAreNamed)
{
    MakeIcon("Lost", {"A"});
    const std::string lost = ReadFileBytes(dir_.file("Lost.info"));
    WriteFileBytes(dir_.file("Bad.info"), "not an icon");
    WriteFileBytes(dir_.file("GARBLED.INFO"), "not an icon either");
    mkdir(dir_.file("Folder.info").c_str(), 0755);
    mkfifo(dir_.file("Pipe.vls.info").c_str(), 0644);
    symlink("Gone.info", dir_.file("Dangling.info").c_str());
    symlink("Loop.info", dir_.file("Loop.info").c_str());
    std::strcpy(ToolConfig.platformIcons[0], "Starfield");
    std::strcpy(ToolConfig.platformIcons[1], "Missing");
    const std::pair<const char *, const char *> kinds[] = {{"Bad", "Bad.info: is not an icon or is damaged"},
                                                           {"Garbled", "Garbled.info: is not an icon or is damaged"},
                                                           {"Folder", "Folder.info: is a folder"},
                                                           {"Pipe", "Pipe.vls.info: is not an icon or is damaged"},
                                                           {"Dangling", "Dangling.info: could not be read"},
                                                           {"Loop", "Loop.info: could not be read"},
                                                           {"Lost", "Lost.info: could not be written"}};
    for (auto [kind, reason] : kinds) {
        SCOPED_TRACE(kind);
        MakeIcon("Starfield", {"A"});
        std::strcpy(ToolConfig.appName, kind);
        FailToolTypeCopy(std::strcmp(kind, "Lost") == 0 ? 2 : 0);
        EXPECT_EQ(SaveSettings(), 1);
        EXPECT_EQ(FailedIconReasons(), std::string(reason) + "\n");
        EXPECT_EQ(writtenIcons, 1);
        EXPECT_EQ(ReadToolTypes("Starfield"), Concat({"A"}, kAllSettings));
    }
    EXPECT_EQ(ReadFileBytes(dir_.file("Lost.info")), lost);
    EXPECT_EQ(ReadFileBytes(dir_.file("Bad.info")), "not an icon");
    EXPECT_FALSE(std::filesystem::exists(dir_.file("Missing.info")));
}
