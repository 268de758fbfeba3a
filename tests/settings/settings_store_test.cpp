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
#include <tuple>
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

// A record's fields, for comparing and printing whole records.
auto Fields(const Settings &s)
{
    return std::tuple(s.displayMode, s.modeId, s.depth, s.fpsLimit, s.fpsLimitEnabled, s.masterVolume, s.soundEnabled);
}

// The defaults with the test screen's mode, changed.
using Change = void (*)(Settings &);
Settings With(Change change, Settings s = {.displayMode = DISPLAY_WINDOW,
                                           .modeId = kScreenModeId,
                                           .depth = kScreenDepth,
                                           .fpsLimit = 50,
                                           .fpsLimitEnabled = 0,
                                           .masterVolume = 40,
                                           .soundEnabled = 1})
{
    change(s);
    return s;
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
        std::int32_t displayMode = 0;
        std::string failure = "";
    } cases[] = {
        {{}, none},
        {{"HELP=Starfield.guide", "HIDESOUND", "MORPHOS=Starfield_MOS"}, none},
        {{"APPLICATION=" + name127 + "a", "HELP=Starfield.guide", "WARPOS=W"},
         {"", "", "0", "", "", "", ""},
         0,
         "Settings.info: APPLICATION is too long"},
        {{"APPLICATION=" + name127, "HELP=" + std::string(128, 'h'), "help=Second.guide", "HideSound=NO",
          "AMIGAOS3=" + name79, "morphos", "WARPOS= Star field "},
         {name127, "", "1", name79, "", " Star field ", ""},
         1},
        {{"APPLICATION=Starfield", "AMIGAOS4=" + std::string(80, 'x')},
         {"Starfield", "", "0", "", "", "", ""},
         0,
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
        Settings expected = With([](Settings &) {});
        expected.displayMode = c.displayMode;
        EXPECT_EQ(Fields(loaded), Fields(expected));
    }
}

// The application icon's tooltypes over a record that starts with the defaults and
// a frame limit of 30 turned on; the script icon only when the name has none.
// A key matches an entry's whole key, in any case; the value follows the first "=".
// Numbers are signed decimal after any white space, up to the first other
// character, brought into their ranges; a mode id is their 32 bits, and an invalid
// one (-1) or a depth out of its range counts as absent.
TEST_F(SettingsStoreTest, TheApplicationIconSetsTheRecord)
{
    const struct {
        Entries toolTypes;
        Change change;  // what the icon changes of the record read over
        const char *icon = "Starfield";
    } cases[] = {
        // The display mode: WINDOW, then FULLSCREEN, then FULLSCREEN with MODEID (and DEPTH).
        {{}, [](Settings &s) { s.fpsLimitEnabled = 0; }},
        {{"FULLSCREEN", "MODEID=1342378755", "DEPTH=24", "WINDOW"}, [](Settings &s) { s.fpsLimitEnabled = 0; }},
        {{"WINDOWTITLE=Demo", "WIN", "DEPTH=24", "FULLSCREEN"},
         [](Settings &s) { s.displayMode = 1, s.fpsLimitEnabled = 0; }},
        {{"MODEID=1342378755", "FULLSCREEN"},
         [](Settings &s) { s.displayMode = 2, s.modeId = 0x50031303, s.fpsLimitEnabled = 0; }},
        {{"MODEID=1342378755", "DEPTH=24", "FULLSCREEN"},
         [](Settings &s) { s.displayMode = 2, s.modeId = 0x50031303, s.depth = 24, s.fpsLimitEnabled = 0; }},
        {{"MODEID=1342378755", "DEPTH=24"}, [](Settings &s) { s.fpsLimitEnabled = 0; }},
        {{"MODEID=-1=5", "DEPTH=", "FULLSCREEN"}, [](Settings &s) { s.displayMode = 1, s.fpsLimitEnabled = 0; }},
        {{"MODEID=5", "DEPTH=33", "FULLSCREEN"},
         [](Settings &s) { s.displayMode = 2, s.modeId = 5, s.fpsLimitEnabled = 0; }},
        // Frame limit and sound: a bare FPSLIMIT turns the limit on at its lowest.
        {{"FPSLIMIT= 25fps", "MASTERVOLUME=-5", "NOSOUND"},
         [](Settings &s) { s.fpsLimit = 25, s.masterVolume = 0, s.soundEnabled = 0; }},
        {{"fpslimit", "MasterVolume=70"}, [](Settings &s) { s.fpsLimit = 1, s.masterVolume = 64; }},
        {{"FULLSCREEN", "NOSOUND"},
         [](Settings &s) { s.displayMode = 1, s.fpsLimitEnabled = 0, s.soundEnabled = 0; },
         "Starfield.vls"},
        {{"MODEID=2147483648", "DEPTH=0x18", "FPSLIMIT=\t\n\v\f\r +7", "MASTERVOLUME=- 3", "FULLSCREEN"},
         [](Settings &s) { s.displayMode = 2, s.modeId = 0x7FFFFFFF, s.fpsLimit = 7, s.masterVolume = 0; }},
        {{"MODEID=-2147483649", "DEPTH=99999999999999999999", "MASTERVOLUME=-99999999999999999999", "FULLSCREEN"},
         [](Settings &s) { s.displayMode = 2, s.modeId = 0x80000000, s.fpsLimitEnabled = 0, s.masterVolume = 0; }},
        {{"MODEID=-2147483648", "FPSLIMIT=12 34", "MASTERVOLUME=3.9", "FULLSCREEN"},
         [](Settings &s) { s.displayMode = 2, s.modeId = 0x80000000, s.fpsLimit = 12, s.masterVolume = 3; }},
    };
    MakeIcon("Settings", {"APPLICATION=Starfield", "HIDESOUND"});  // sound values are read even when hidden
    ASSERT_TRUE(ReadToolIcon());
    const Settings over = With([](Settings &s) { s.fpsLimit = 30, s.fpsLimitEnabled = 1; });
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.toolTypes));
        std::remove("Starfield.info");
        MakeIcon(c.icon, c.toolTypes);
        EXPECT_EQ(Fields(ReadApplicationSettings(over).settings), Fields(With(c.change, over)));
    }
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
    EXPECT_EQ(Fields(LoadSettings()), Fields(With([](Settings &s) { s.soundEnabled = 0; })));
    EXPECT_EQ(settingsFrom.file + LoadFailureText(), "Starfield_OS3.vls.info");
    WriteFileBytes(dir_.file("Starfield_OS3.vls.info"), "not an icon");
    LoadSettings();
    EXPECT_EQ(settingsFrom.file + LoadFailureText(), "Starfield_OS3.vls.info: is not an icon or is damaged");
}

// Each field of the schema against real icons: an application's icon holding the
// entries reads as the record (numbers brought into their ranges) and shows so in
// --show --json under the fields' names; the words the icons overview lists
// against a record that differs in every field, set by --save over it, give what
// an icon holds; a save writes back the entries.
TEST_F(SettingsStoreTest, EachFieldIsReadShownWordedAndWrittenAsTheSchemaSays)
{
    const Settings other = {.displayMode = 1,
                            .modeId = 5,
                            .depth = 24,
                            .fpsLimit = 25,
                            .fpsLimitEnabled = 1,
                            .masterVolume = 10,
                            .soundEnabled = 0};
    const struct {
        Entries toolTypes;
        Change change;
        const char *json;  // members of "settings"
        const char *words;
        Entries written;
    } cases[] = {
        {{},
         [](Settings &) {},
         R"({"displayMode": 0, "displayModeName": "window", "fpsLimit": 50, "fpsLimitEnabled": false,
             "masterVolume": 40, "soundEnabled": true})",
         "WINDOW NOFPSLIMIT MASTERVOLUME=40 SOUND",
         {"MASTERVOLUME=40", "WINDOW"}},
        {{"MODEID=-2147315712", "DEPTH=16", "FULLSCREEN"},
         [](Settings &s) { s.displayMode = 2, s.modeId = 0x80029000, s.depth = 16; },
         R"({"displayMode": 2, "displayModeName": "fullscreen-manual", "modeId": 2147651584, "depth": 16})",
         "FULLSCREEN MODEID=-2147315712 DEPTH=16 NOFPSLIMIT MASTERVOLUME=40 SOUND",
         {"MASTERVOLUME=40", "MODEID=-2147315712", "DEPTH=16", "FULLSCREEN"}},
        {{"FPSLIMIT=-3"},
         [](Settings &s) { s.fpsLimit = 1, s.fpsLimitEnabled = 1; },
         R"({"fpsLimit": 1, "fpsLimitEnabled": true})",
         "WINDOW FPSLIMIT=1 MASTERVOLUME=40 SOUND",
         {"MASTERVOLUME=40", "FPSLIMIT=1", "WINDOW"}},
        {{"MASTERVOLUME=99", "NOSOUND"},
         [](Settings &s) { s.masterVolume = 64, s.soundEnabled = 0; },
         R"({"masterVolume": 64, "soundEnabled": false})",
         "WINDOW NOFPSLIMIT MASTERVOLUME=64",
         {"MASTERVOLUME=64", "NOSOUND", "WINDOW"}},
    };
    MakeIcon("Settings", {"APPLICATION=Application"});
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.toolTypes));
        MakeIcon("Application", c.toolTypes);
        const Settings read = LoadSettings();
        EXPECT_EQ(Fields(read), Fields(With(c.change)));

        char *text = nullptr;
        std::size_t size = 0;
        std::FILE *out = open_memstream(&text, &size);
        EXPECT_EQ(ShowSettingsJson(out), 0);
        std::fclose(out);
        startScreen = &screen_;  // the run's start screen is the host's
        const auto shown = nlohmann::json::parse(std::string(text, size))["settings"];
        std::free(text);
        const auto expected = nlohmann::json::parse(c.json);
        for (const auto &[name, value] : expected.items()) {
            EXPECT_EQ(shown[name], value) << name;
        }

        const std::string words = SettingsWords(read, DifferingFields(read, other));
        EXPECT_EQ(words, c.words);
        std::vector<SettingsWord> parsed;
        std::istringstream split(words);
        ASSERT_TRUE(ParseSettingsWords({std::istream_iterator<std::string>(split), {}}, parsed));
        Settings set = other;
        ApplySettingsWords(parsed, set);
        EXPECT_EQ(Fields(WrittenForm(set, false)), Fields(WrittenForm(read, false)));

        EXPECT_EQ(WriteIconSettings("Application", read), 1);
        EXPECT_EQ(ReadToolTypes("Application"), c.written);
        EXPECT_EQ(Fields(LoadSettings()), Fields(read));
    }
}

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

// Entries whose key (after leading spaces, up to "=") is a managed keyword in any
// case are replaced; every other entry is kept in order, however many there are;
// then each setting writes its own entries, in a fixed order.
TEST_F(SettingsStoreTest, KeptEntriesComeFirstThenTheSettingsInTheirFixedOrder)
{
    const Entries old = {"KEEP",   "MODEID=5",    "DEPTH=8",         "FULLSCREEN",
                         "WINDOW", "FPSLIMIT=50", "MASTERVOLUME=12", "NOSOUND"};
    const struct {
        Entries toolTypes, kept;
        Settings record = kAllOn;
        Entries written = kAllSettings;
        std::int32_t hideSound = 0;
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
        {Concat(Entries(120, "ENTRY=value"), {"WINDOW"}), Entries(120, "ENTRY=value")},
        {{"AGAIN"}, {"AGAIN"}},  // the list is rebuilt from empty for every icon
        {old, {"KEEP"}, With([](Settings &s) { s.displayMode = DISPLAY_WINDOW; }), {"MASTERVOLUME=40", "WINDOW"}},
        {old,
         {"KEEP"},
         With([](Settings &s) { s.displayMode = DISPLAY_FULLSCREEN_AUTO; }),
         {"MASTERVOLUME=40", "FULLSCREEN"}},
        {old,
         {"KEEP"},
         With([](Settings &s) { s.displayMode = 2, s.modeId = 0x80000000, s.depth = -1, s.masterVolume = -5; }),
         {"MASTERVOLUME=-5", "MODEID=-2147483648", "DEPTH=-1", "FULLSCREEN"}},
        // The hidden sound settings are kept as the icon holds them.
        {old,
         {"KEEP", "MASTERVOLUME=12", "NOSOUND"},
         kAllOn,
         {"FPSLIMIT=25", "MODEID=1342378755", "DEPTH=24", "FULLSCREEN"},
         1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.toolTypes) + " " + testing::PrintToString(c.written));
        ToolConfig.hideSound = c.hideSound;
        MakeIcon("Starfield", c.toolTypes);
        EXPECT_EQ(WriteIconSettings("Starfield", c.record), 1);
        EXPECT_EQ(ReadToolTypes("Starfield"), Concat(c.kept, c.written));
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
    EXPECT_EQ(ReadToolTypes("Application"), (Entries{"MASTERVOLUME=30", "WINDOW"}));
}

}  // namespace
