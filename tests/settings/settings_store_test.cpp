// The settings store: the tool's configuration and the application's settings read
// from their icons, and the settings merged back into every icon of the application.
// Each test runs in a fresh folder as current directory, program state reset, with
// a test screen to take the default mode from.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/command_line_modes.h"
#include "cli/show_settings.h"
#include "gui/command_loop.h"
#include "platform/formats/icon_maker.h"
#include "platform/system/display.h"
#include "settings/app_settings.h"
#include "settings/load_settings.h"
#include "settings/settings_reader.h"
#include "settings/settings_schema.h"
#include "settings/settings_writer.h"
#include "settings/tool_config.h"
#include "settings/tooltypes.h"
#include "support/icon_test_util.h"
#include "support/temp_dir.h"
#include "window/program_reset.h"

namespace {

constexpr std::uint32_t kScreenModeId = 0x00029004;
constexpr std::int32_t kScreenDepth = 8;

using Entries = std::vector<std::string>;

// The defaults a run starts with on the test screen.
// clang-format off
const Settings kDefaults = {.displayMode = DISPLAY_WINDOW, .modeId = kScreenModeId, .depth = kScreenDepth,
                            .fpsLimit = 50, .fpsLimitEnabled = 0, .masterVolume = 40, .soundEnabled = 1};
// clang-format on

// The fields of settings that differ from those of base, "name=value" by the
// schema's names; empty when none does.
std::string Changes(const Settings &settings, const Settings &base = kDefaults)
{
    std::string changes;
    for (const SettingsFieldRow &row : SETTINGS_FIELDS) {
        if (FieldValue(settings, row) != FieldValue(base, row)) {
            changes +=
                (changes.empty() ? "" : " ") + std::string(row.name) + "=" + std::to_string(FieldValue(settings, row));
        }
    }
    return changes;
}

class SettingsStoreTest : public testing::Test {
protected:
    SettingsStoreTest() : cd_(dir_.path())
    {
        ResetProgramState();
        startScreen = &screen_;
        std::strcpy(ToolConfig.appName, "Application");  // as the main flow leaves it
    }
    ~SettingsStoreTest() override { ResetProgramState(); }

    // Writes "name.info" with the given tooltypes, a classic or a PNG icon.
    void MakeIcon(const std::string &name, const Entries &toolTypes, bool png = false)
    {
        WriteIcon(dir_.file(name + ".info"),
                  {.type = ICON_PROJECT, .toolTypes = toolTypes, .toolTypeSection = true, .png = png});
    }

    TempDir dir_;
    ScopedChdir cd_;
    BitMap bitMap_{static_cast<std::uint32_t>(kScreenDepth)};
    Screen screen_{{kScreenModeId}, {&bitMap_}};
};

// The tool's icon: values taken whole, untrimmed; a bare key gives an empty value,
// HIDESOUND counts by its presence; keys match in any case and the first entry of
// a key is its value; a value too long for its field is never cut: a help file is
// ignored, a name is left empty and named. No tool icon, or one without a usable
// APPLICATION: nothing else is taken, no application icon read.
TEST_F(SettingsStoreTest, TheToolIconFillsTheConfiguration)
{
    const std::string name127(127, 'a'), name79(79, 'p');
    MakeIcon("Application", {"FULLSCREEN", "NOSOUND"});
    MakeIcon(name127, {"FULLSCREEN"});
    const Entries none = {"Application", "", "0", "", "", "", ""};
    const struct {
        Entries toolTypes, config;  // the application, help, HIDESOUND and the four platform icons
        std::string changes = "";   // without an application named, the default one's icon is read
        std::string failure = "";
    } cases[] = {
        {{}, none, "displayMode=1 soundEnabled=0"},
        {{"HELP=Starfield.guide", "HIDESOUND", "MORPHOS=Starfield_MOS"}, none, "displayMode=1 soundEnabled=0"},
        {{"APPLICATION=" + name127 + "a", "HELP=Starfield.guide", "WARPOS=W"},
         {"", "", "0", "", "", "", ""},
         "",
         "Settings.info: APPLICATION is too long"},
        {{"APPLICATION=" + name127, "HELP=" + std::string(128, 'h'), "help=Second.guide", "HideSound=NO",
          "AMIGAOS3=" + name79, "morphos", "WARPOS= Star field "},
         {name127, "", "1", name79, "", " Star field ", ""},
         "displayMode=1"},
        {{"APPLICATION=Starfield", "AMIGAOS4=" + std::string(80, 'x')},
         {"Starfield", "", "0", "", "", "", ""},
         "",
         "Settings.info: AMIGAOS4 is too long"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.toolTypes.size());
        ResetToolConfig();
        std::strcpy(ToolConfig.appName, "Application");
        if (!c.toolTypes.empty()) {
            MakeIcon("Settings", c.toolTypes);
        }
        const Settings loaded = LoadSettings();
        const auto &icons = ToolConfig.platformIcons;
        EXPECT_EQ((Entries{ToolConfig.appName, ToolConfig.helpFile, std::to_string(ToolConfig.hideSound), icons[0],
                           icons[1], icons[2], icons[3]}),
                  c.config);
        EXPECT_EQ(LoadFailureText(), c.failure);
        EXPECT_EQ(Changes(loaded), c.changes);
    }
}

// The application icon's tooltypes over the defaults; the script icon only when
// the name has none. A key matches an entry's whole key, in any case; the value
// follows the first "=". Numbers are signed decimal after any white space, up to
// the first other character, brought into their ranges; a mode id is their 32
// bits, and an invalid one (-1) or a depth out of its range counts as absent.
// Each field of the schema, in the rows with JSON, against real icons: it shows
// so in --show --json under its name; the words the icons overview lists against
// a record that differs in every field, set by --save over it, give what an icon
// holds; a save writes what reads back the same. (The words and entries as
// written: the overview's and the writer's tests.)
TEST_F(SettingsStoreTest, TheApplicationIconSetsTheRecordAsTheSchemaSays)
{
    // clang-format off
    const struct {
        Entries toolTypes;
        const char *changes;         // of the defaults
        const char *json = nullptr;  // members of "settings"
        const char *icon = "Starfield";
    } cases[] = {
        // The display mode: WINDOW, then FULLSCREEN, then FULLSCREEN with MODEID (and DEPTH).
        {{}, "", R"({"displayMode": 0, "displayModeName": "window", "fpsLimitEnabled": false, "soundEnabled": true})"},
        {{"MODEID=-2147315712", "DEPTH=16", "FULLSCREEN"}, "displayMode=2 modeId=2147651584 depth=16",
         R"({"displayModeName": "fullscreen-manual", "modeId": 2147651584, "depth": 16})"},
        {{"FULLSCREEN", "MODEID=1342378755", "DEPTH=24", "WINDOW"}, ""},
        {{"WINDOWTITLE=Demo", "WIN", "DEPTH=24", "FULLSCREEN"}, "displayMode=1"},
        {{"MODEID=1342378755", "FULLSCREEN"}, "displayMode=2 modeId=1342378755"},
        {{"MODEID=1342378755", "DEPTH=24"}, ""},
        {{"MODEID=-1=5", "DEPTH=", "FULLSCREEN"}, "displayMode=1"},
        {{"MODEID=5", "DEPTH=33", "FULLSCREEN"}, "displayMode=2 modeId=5"},
        // Frame limit and sound: a bare FPSLIMIT turns the limit on at its lowest.
        {{"FPSLIMIT=-3"}, "fpsLimit=1 fpsLimitEnabled=1", R"({"fpsLimit": 1, "fpsLimitEnabled": true})"},
        {{"MASTERVOLUME=99", "NOSOUND"}, "masterVolume=64 soundEnabled=0",
         R"({"masterVolume": 64, "soundEnabled": false})"},
        {{"FPSLIMIT= 25fps", "MASTERVOLUME=-5"}, "fpsLimit=25 fpsLimitEnabled=1 masterVolume=0"},
        {{"fpslimit", "MasterVolume=70"}, "fpsLimit=1 fpsLimitEnabled=1 masterVolume=64"},
        {{"FULLSCREEN", "NOSOUND"}, "displayMode=1 soundEnabled=0", nullptr, "Starfield.vls"},
        {{"MODEID=2147483648", "DEPTH=0x18", "FPSLIMIT=\t\n\v\f\r +7", "MASTERVOLUME=- 3", "FULLSCREEN"},
         "displayMode=2 modeId=2147483647 fpsLimit=7 fpsLimitEnabled=1 masterVolume=0"},
        {{"MODEID=-2147483649", "DEPTH=99999999999999999999", "MASTERVOLUME=-99999999999999999999", "FULLSCREEN"},
         "displayMode=2 modeId=2147483648 masterVolume=0"},
        {{"MODEID=-2147483648", "FPSLIMIT=12 34", "MASTERVOLUME=3.9", "FULLSCREEN"},
         "displayMode=2 modeId=2147483648 fpsLimit=12 fpsLimitEnabled=1 masterVolume=3"},
    };
    const Settings other = {.displayMode = 1, .modeId = 5, .depth = 24, .fpsLimit = 25, .fpsLimitEnabled = 1,
                            .masterVolume = 10, .soundEnabled = 0};  // every field differs from the defaults
    // clang-format on
    MakeIcon("Settings", {"APPLICATION=Starfield", "HIDESOUND"});  // sound values are read even when hidden
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.toolTypes));
        std::remove("Starfield.info");
        MakeIcon(c.icon, c.toolTypes);
        const Settings read = LoadSettings();
        EXPECT_EQ(Changes(read), c.changes);
        if (c.json == nullptr) {
            continue;
        }
        char *text = nullptr;
        std::size_t size = 0;
        std::FILE *out = open_memstream(&text, &size);
        EXPECT_EQ(ShowSettingsJson(out), 0);
        std::fclose(out);
        startScreen = &screen_;  // the run's start screen is the host's
        const auto shown = nlohmann::json::parse(std::string(text, size))["settings"];
        std::free(text);
        auto expected = shown;  // with the case's members
        expected.update(nlohmann::json::parse(c.json));
        EXPECT_EQ(shown, expected);

        std::vector<SettingsWord> parsed;
        std::istringstream words(SettingsWords(read, DifferingFields(read, other)));
        ASSERT_TRUE(ParseSettingsWords({std::istream_iterator<std::string>(words), {}}, parsed));
        Settings set = other;
        ApplySettingsWords(parsed, set);
        EXPECT_EQ(Changes(WrittenForm(set, false), WrittenForm(read, false)), "");
        EXPECT_GT(WriteIconSettings("Starfield", read), 0);
        EXPECT_EQ(Changes(LoadSettings(), read), "");
    }
    // Over a record with the limit on: an absent FPSLIMIT turns it off, its rate kept.
    Settings over = kDefaults;
    over.fpsLimit = 30;
    over.fpsLimitEnabled = 1;
    MakeIcon("Starfield", {});
    EXPECT_EQ(Changes(ReadApplicationSettings(over).settings, over), "fpsLimitEnabled=0");
    MakeIcon("Starfield", {"WINDOW"});  // the icon of the name wins over the script's
    EXPECT_EQ(LoadSettings().displayMode, 0);
    EXPECT_EQ(settingsFrom.file, "Starfield.info");

    // Without the application's icon, the first platform icon that exists, in
    // Save's order; one that cannot be read stops there and is named.
    MakeIcon("Settings", {"APPLICATION=Starfield", "AMIGAOS3=Starfield_OS3", "MORPHOS=Starfield_MOS"});
    std::remove("Starfield.info");
    std::remove("Starfield.vls.info");
    MakeIcon("Starfield_MOS", {"FULLSCREEN"});
    MakeIcon("Starfield_OS3.vls", {"NOSOUND"});
    EXPECT_EQ(Changes(LoadSettings()), "soundEnabled=0");
    EXPECT_EQ(settingsFrom.file + LoadFailureText(), "Starfield_OS3.vls.info");
    WriteFileBytes(dir_.file("Starfield_OS3.vls.info"), "not an icon");
    LoadSettings();
    EXPECT_EQ(settingsFrom.file + LoadFailureText(), "Starfield_OS3.vls.info: is not an icon or is damaged");
}

// Every settings entry is written for this record.
// clang-format off
const Settings kAllOn = {.displayMode = DISPLAY_FULLSCREEN_MODE, .modeId = 0x50031303, .depth = 24, .fpsLimit = 25,
                         .fpsLimitEnabled = 1, .masterVolume = 40, .soundEnabled = 0};
// clang-format on
const Entries kAllSettings = {"MASTERVOLUME=40",   "NOSOUND",  "FPSLIMIT=25",
                              "MODEID=1342378755", "DEPTH=24", "FULLSCREEN"};

Entries Concat(Entries a, const Entries &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Entries whose key (after leading spaces, up to "=") is a managed keyword in any
// case are replaced: the first of a key the settings write, in its place, by its
// new form, the others dropped; every other entry is kept in order, however many
// there are; then the settings the icon lacked, in a fixed order.
TEST_F(SettingsStoreTest, EntriesKeepTheirPlacesAndNewSettingsFollowInFixedOrder)
{
    const Entries old = {"KEEP",   "MODEID=5",    "DEPTH=8",         "FULLSCREEN",
                         "WINDOW", "FPSLIMIT=50", "MASTERVOLUME=12", "NOSOUND"};
    const struct {
        Entries toolTypes, written;
        Settings record = kAllOn;
        std::int32_t hideSound = 0;
    } cases[] = {
        {{}, kAllSettings},
        {{"Window", "fullscreen", "ModeId=5", "depth=8", "FpsLimit=3", "nosound", "MasterVolume=2", "WINDOW="},
         {"FULLSCREEN", "MODEID=1342378755", "DEPTH=24", "FPSLIMIT=25", "NOSOUND", "MASTERVOLUME=40"}},
        {{"FULLSCREEN", "WINDOWTITLE=Starfield deluxe", "DEPTHCUE", "MODEIDS=1,2", "NOSOUNDFX", "(WINDOW)",
          "FULLSCREEN2=yes", "MODEID =5", "X=WINDOW", ""},
         {"FULLSCREEN", "WINDOWTITLE=Starfield deluxe", "DEPTHCUE", "MODEIDS=1,2", "NOSOUNDFX", "(WINDOW)",
          "FULLSCREEN2=yes", "MODEID =5", "X=WINDOW", "", "MASTERVOLUME=40", "NOSOUND", "FPSLIMIT=25",
          "MODEID=1342378755", "DEPTH=24"}},
        // Leading spaces are dropped, tabs are not.
        {{"   DONOTWAIT", "\tWINDOW", " ", "  (FULLSCREEN)", "   depth=3"},
         Concat({"DONOTWAIT", "\tWINDOW", "", "(FULLSCREEN)", "DEPTH=24"},
                {"MASTERVOLUME=40", "NOSOUND", "FPSLIMIT=25", "MODEID=1342378755", "FULLSCREEN"})},
        {Concat(Entries(120, "ENTRY=value"), {"WINDOW"}), Concat(Entries(120, "ENTRY=value"), kAllSettings)},
        {{"AGAIN"}, Concat({"AGAIN"}, kAllSettings)},  // the list is rebuilt from empty for every icon
        {old,
         {"KEEP", "FULLSCREEN", "MASTERVOLUME=40"},
         {.displayMode = DISPLAY_FULLSCREEN_AUTO, .masterVolume = 40, .soundEnabled = 1}},
        {{"WINDOW", "DONOTWAIT", "MASTERVOLUME=12"},
         {"WINDOW", "DONOTWAIT", "MASTERVOLUME=40"},
         {.displayMode = DISPLAY_WINDOW, .masterVolume = 40, .soundEnabled = 1}},
        {old,
         {"KEEP", "MODEID=-2147483648", "DEPTH=-1", "FULLSCREEN", "MASTERVOLUME=-5", "NOSOUND"},
         {.displayMode = DISPLAY_FULLSCREEN_MODE, .modeId = 0x80000000, .depth = -1, .masterVolume = -5}},
        // The hidden sound settings are kept as the icon holds them.
        {old,
         {"KEEP", "MODEID=1342378755", "DEPTH=24", "FULLSCREEN", "FPSLIMIT=25", "MASTERVOLUME=12", "NOSOUND"},
         kAllOn,
         1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.toolTypes) + " " + testing::PrintToString(c.written));
        ToolConfig.hideSound = c.hideSound;
        MakeIcon("Starfield", c.toolTypes);
        EXPECT_EQ(WriteIconSettings("Starfield", c.record), 1);
        EXPECT_EQ(ReadToolTypes("Starfield"), c.written);
    }
}

// Save writes the application's icon and every platform icon that exists, classic
// or PNG, under its name or its script's (without the window, from the record as it
// is). An icon that exists but cannot be read or written, or whose list lost a text
// that could not be copied, is named with why and left as it was; the others are
// still written, a name with no file is silent, and each save reports afresh.
TEST_F(SettingsStoreTest, SaveWritesEveryIconAndNamesThoseThatCannotBeWritten)
{
    std::strcpy(ToolConfig.appName, "Starfield");
    const char *platformIcons[] = {"Starfield_OS3", "Missing_MOS", "Starfield_WOS", "Starfield_OS4"};
    for (int i = 0; i < PLATFORM_ICON_COUNT; ++i) {
        std::strcpy(ToolConfig.platformIcons[i], platformIcons[i]);
    }
    MakeIcon("Starfield", {"A"});
    WriteFileBytes(dir_.file("Starfield_OS3.info"), "not an icon");
    symlink("Gone.info", dir_.file("Starfield_WOS.vls.info").c_str());
    MakeIcon("Starfield_OS4.vls", {"D"}, true);
    chmod(dir_.file("Starfield.info").c_str(), 0444);
    const std::string before = ReadFileBytes(dir_.file("Starfield.info"));
    const std::string unwritable = "Starfield_OS3.info: is not an icon or is damaged\n"
                                   "Starfield_WOS.vls.info: could not be read\n";

    EXPECT_EQ(WriteAllIconSettings(kAllOn), 3);
    EXPECT_EQ(FailedIconReasons(), "Starfield.info: permission denied (read-only)\n" + unwritable);
    EXPECT_EQ(writtenIcons, 1);
    EXPECT_EQ(ReadToolTypes("Starfield_OS4.vls"), Concat({"D"}, kAllSettings));
    EXPECT_FALSE(std::filesystem::exists(dir_.file("Missing_MOS.vls.info")));

    chmod(dir_.file("Starfield.info").c_str(), 0644);
    FailToolTypeCopy(2);
    EXPECT_EQ(WriteAllIconSettings(kAllOn), 3);
    EXPECT_EQ(FailedIconReasons(), "Starfield.info: could not be written\n" + unwritable);
    EXPECT_EQ(ReadFileBytes(dir_.file("Starfield.info")), before);
    EXPECT_EQ(ReadFileBytes(dir_.file("Starfield_OS3.info")), "not an icon");
    EXPECT_EQ(WriteAllIconSettings(kAllOn), 2);
    EXPECT_EQ(FailedIconNames(), "Starfield_OS3.info, Starfield_WOS.vls.info");
    EXPECT_EQ(ReadToolTypes("Starfield"), Concat({"A"}, kAllSettings));

    // Icon names are ISO-8859-1; the requester's texts are UTF-8.
    failedIcons = {{"Gr\xFCn.info", IconProblem::Folder}};
    EXPECT_EQ(FailedIconNames() + "|" + FailedIconReasons(), "Gr\u00FCn.info|Gr\u00FCn.info: is a folder\n");
}

// A save given the settings the window read compares them with the icon's under
// the drawer's lock: a writer holding the lock when the save starts, and changing
// the icon before it lets go, is seen; nothing is written over its change. Without
// them the save writes over it. Values the icon does not write (the fps limit
// while it is off, the mode id of a window) are no change.
TEST_F(SettingsStoreTest, SaveWritesNothingOverAnotherWritersChange)
{
    MakeIcon("Application", {"WINDOW", "MASTERVOLUME=30"});
    const Settings stored = ReadApplicationSettings(ScreenDefaults()).settings;
    Settings read = stored;
    read.fpsLimit = 50;
    read.modeId = 1;
    EXPECT_EQ(WriteAllIconSettings(stored, &read), 0);

    const int folder = open(".", O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(flock(folder, LOCK_EX), 0);
    int result = 0;
    std::thread save([&] { result = WriteAllIconSettings(stored, &read); });
    usleep(200000);
    MakeIcon("Application", {"WINDOW", "MASTERVOLUME=9"});
    flock(folder, LOCK_UN);
    close(folder);
    save.join();
    EXPECT_EQ(result, SAVE_CONFLICT);
    EXPECT_EQ(ReadToolTypes("Application"), (Entries{"WINDOW", "MASTERVOLUME=9"}));
    EXPECT_EQ(WriteAllIconSettings(stored), 0);
    EXPECT_EQ(ReadToolTypes("Application"), (Entries{"WINDOW", "MASTERVOLUME=30"}));
}

}  // namespace
