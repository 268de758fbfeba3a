// The settings window: its object tree, its notifications and the dispatch of
// every command id, the rules that ghost controls, the screen mode requester, the
// icons overview and help (its texts, names, place and keyboard order: the shown
// window's and the end-to-end tests).
#include <QStringList>
#include <QtGlobal>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>

#include "gui/edit_commands.h"
#include "gui/help_viewer.h"
#include "gui/icons_overview.h"
#include "gui/project_commands.h"
#include "gui/screen_mode.h"
#include "gui/window_fixture.h"
#include "platform/formats/icon_maker.h"
#include "platform/qt/file_watch.h"
#include "platform/qt/screen_mode_requester.h"
#include "platform/system/display.h"
#include "platform/system/dos.h"
#include "settings/load_settings.h"
#include "settings/settings_reader.h"
#include "support/icon_test_util.h"

namespace {

TEST_F(WindowTest, EachNotificationProducesItsReturnId)
{
    BuildAndStart();
    ASSERT_TRUE(DrainReturnIds(app).empty());
    SetAttrs(mainWindow, MUIA_Window_CloseRequest, 1);
    EXPECT_EQ(DrainReturnIds(app), Ids{ID_QUIT});
    const std::pair<Object *, IPTR> buttons[] = {{saveButton, ID_SAVE},
                                                 {helpButton, ID_HELP},
                                                 {aboutButton, ID_ABOUT},
                                                 {cancelButton, ID_CANCEL},
                                                 {screenModeButton, ID_SCREEN_MODE}};
    for (const auto &[button, id] : buttons) {
        // Pressing alone is no click; releasing over the button completes it.
        SetAttrs(button, MUIA_Pressed, 1);
        EXPECT_TRUE(DrainReturnIds(app).empty()) << id;
        SetAttrs(button, MUIA_Pressed, 0);
        EXPECT_EQ(DrainReturnIds(app), Ids{id});
    }
    // The checkmarks and the cycle report every change, either way; the sliders
    // and the screen mode text are read only when saving.
    for (Object *control : {fpsCheckmark, fpsCheckmark, soundCheckmark, soundCheckmark}) {
        SetAttrs(control, MUIA_Selected, !Attr(control, MUIA_Selected));
    }
    SetAttrs(displayModeCycle, MUIA_Cycle_Active, 2);
    SetAttrs(displayModeCycle, MUIA_Cycle_Active, 1);
    SetAttrs(fpsSlider, MUIA_Numeric_Value, 20);
    SetAttrs(screenModeText, MUIA_Text_Contents, "PAL: High Res");
    EXPECT_EQ(DrainReturnIds(app), Ids(6, ID_UPDATE_GADGETS));
}

// The menu's MUI... item opens the toolkit's settings window; the commands that
// do nothing here keep the loop running; About shows the title over the credit
// text, with the longest application name, which must stay within their buffers.
TEST_F(WindowTest, ThePrefsMenuAndAboutOpenTheirWindows)
{
    const std::string name(APP_NAME_SIZE - 1, 'x');
    SetAppName(name.c_str());
    BuildAndStart();
    SetAttrs(mainWindow, MUIA_Window_Open, 1);
    ASSERT_TRUE(MUI_SimulateInput(reinterpret_cast<Object *>(DoMethod(menuStrip, MUIM_FindUData, ID_MUI_SETTINGS))));
    const Ids ids = DrainReturnIds(app);
    ASSERT_EQ(ids, Ids{ID_MUI_SETTINGS});
    EXPECT_TRUE(DispatchCommand(ids[0]));
    EXPECT_EQ(MUI_ToolkitWindowCount(app), 1);
    MUI_CloseToolkitWindows(app);
    for (std::int32_t id :
         std::initializer_list<std::int32_t>{0, ID_ABOUT_MUI, ID_MENU_PROJECT, ID_MENU_PREFS, 12, -2, 0x7fffffff}) {
        EXPECT_TRUE(DispatchCommand(id)) << id;
    }
    EXPECT_EQ(MUI_ToolkitWindowCount(app), 0);
    EXPECT_TRUE(DispatchCommand(ID_ABOUT));
    const std::string title = windowTitle;
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].rfind(title + "|\033c\033b\033u" + title + "\033n\n\n", 0), 0u) << requests[0];
    EXPECT_NE(requests[0].find(name + "\n"), std::string::npos) << requests[0];
}

// The controls show the record, the sliders in their ranges, and give it back.
TEST_F(WindowTest, TheControlsShowTheRecord)
{
    ASSERT_NE(Build(), nullptr);
    // clang-format off
    const Settings shown = {.displayMode = 2, .modeId = 0x00029000, .depth = 8, .fpsLimit = 33, .fpsLimitEnabled = 1,
                            .masterVolume = 17, .soundEnabled = 0};
    // clang-format on
    ShowSettingsInControls(shown);
    EXPECT_EQ(Attr(soundCheckmark, MUIA_Selected), 0u);
    EXPECT_EQ(Attr(fpsCheckmark, MUIA_Selected), 1u);
    for (const auto &[slider, min, max, value] : {std::tuple<Object *, IPTR, IPTR, IPTR>(volumeSlider, 0, 64, 17),
                                                  std::tuple<Object *, IPTR, IPTR, IPTR>(fpsSlider, 1, 50, 33)}) {
        EXPECT_EQ(std::tuple(Attr(slider, MUIA_Numeric_Min), Attr(slider, MUIA_Numeric_Max),
                             Attr(slider, MUIA_Numeric_Value)),
                  std::tuple(min, max, value));
    }
    EXPECT_TRUE(SettingsFromControls() == shown);
}

// Every object but the menu strip is needed: failing any other leaves no tree and
// no handle into it.
TEST_F(WindowTest, AFailureAnywhereInTheTreeLeavesNoHandle)
{
    for (int n = 2;; ++n) {
        MUI_FailObjectCreation(n);
        Object *built = Build();
        MUI_FailObjectCreation(0);
        if (built != nullptr) {
            EXPECT_GT(n, 20);
            break;
        }
        EXPECT_TRUE(mainWindow == nullptr && displayModeCycle == nullptr && soundCheckmark == nullptr &&
                    fpsSlider == nullptr && cancelButton == nullptr && menuStrip == nullptr)
            << "creation " << n;
    }
}

// The rules ghost the controls whose settings mean nothing, from every state of
// the controls to every other, whatever the record says (here always the
// opposite); ghosting keeps a slider's position.
TEST_F(WindowTest, TheRulesFollowTheControlsNotTheRecord)
{
    for (int hideSound : {0, 1}) {
        ToolConfig.hideSound = hideSound;
        BuildAndStart();
        SetAttrs(fpsSlider, MUIA_Numeric_Value, 31);
        for (int state = 0; state < 12 * 12; ++state) {
            for (int c : {state / 12, state % 12}) {
                const int fps = c & 1, sound = (c >> 1) & 1, mode = c >> 2;
                SCOPED_TRACE(testing::Message() << hideSound << fps << sound << mode);
                SetAttrs(fpsCheckmark, MUIA_Selected, fps);
                SetAttrs(displayModeCycle, MUIA_Cycle_Active, mode);
                SetAttrs(soundCheckmark, MUIA_Selected, sound);
                AppSettings = {.displayMode = 2 - mode, .fpsLimitEnabled = !fps, .soundEnabled = !sound};
                ApplyGadgetRules();
                EXPECT_EQ(Disabled(fpsSlider), fps == 0);
                EXPECT_EQ(Disabled(screenModeButton), mode != 2);
                EXPECT_EQ(Disabled(screenModeText), mode != 2);
                EXPECT_EQ(Attr(fpsSlider, MUIA_Numeric_Value), 31);
                EXPECT_TRUE(hideSound || Disabled(volumeSlider) == (sound == 0));
            }
        }
        Dispose();
    }
}

constexpr std::uint32_t PAL_HIRES_LACED = 0x00029004;
constexpr std::uint32_t NTSC_LORES = 0x00011000;

class ScreenModeTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        AppSettings.modeId = PAL_HIRES_LACED;
        AppSettings.depth = 8;
        BuildAndStart();
        SetAttrs(mainWindow, MUIA_Window_Open, 1, TAG_DONE);
    }
    void TearDown() override
    {
        AslSetRequestHook(nullptr);
        AslFailAllocation(false);
        WindowTest::TearDown();
    }

    // Answers the next requester: the mode and depth to confirm, or cancel.
    void Answer(bool confirm, std::uint32_t modeId = 0, std::uint16_t depth = 0)
    {
        AslSetRequestHook([this, confirm, modeId, depth](AslScreenModeControl &control) {
            ++shown;
            openedOn = control.SelectedDisplayId();
            openedDepth = control.SelectedDepth();
            EXPECT_TRUE(modeId == 0 || control.SelectDisplayId(modeId));
            EXPECT_TRUE(depth == 0 || control.SelectDepth(depth));
            control.ExposeParent();  // the window is repainted while the requester is open
            return confirm;
        });
    }

    int shown = 0;
    std::uint32_t openedOn = 0;
    std::uint16_t openedDepth = 0;
};

// The requester opens on the mode and depth held; a confirmed mode and depth are
// stored and the name shown follows them; a cancel, or a requester that cannot
// be made, changes nothing.
TEST_F(ScreenModeTest, ConfirmStoresModeAndDepthAndTheNameFollowsOnlyThen)
{
    Answer(true, HostModeId(800, 600), 16);
    ASSERT_TRUE(DispatchCommand(ID_SCREEN_MODE));
    EXPECT_EQ(openedOn, PAL_HIRES_LACED);
    EXPECT_EQ(AppSettings.modeId, HostModeId(800, 600));
    EXPECT_EQ(AppSettings.depth, 16);
    EXPECT_EQ(Text(screenModeText), "Display:800x600");

    AppSettings.depth = 24;  // not the deepest the mode offers
    Answer(false, NTSC_LORES, 8);
    ASSERT_TRUE(DispatchCommand(ID_SCREEN_MODE));
    EXPECT_EQ(openedDepth, 24);
    Answer(true, NTSC_LORES);
    AslFailAllocation(true);
    ScreenModeCommand();
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(AppSettings.modeId, HostModeId(800, 600));
    EXPECT_EQ(AppSettings.depth, 24);
    EXPECT_EQ(Text(screenModeText), "Display:800x600");
    EXPECT_EQ(Attr(mainWindow, MUIA_Window_Sleep), 0);
}

// The texts of the overview's table, a row of five a line, "|" between them.
std::string Rows()
{
    std::string rows;
    int cells = 0;
    std::istringstream tree(MUI_DescribeTree(iconsWindow));
    for (std::string line; std::getline(tree, line);) {
        line = line.substr(line.find_first_not_of(' '));
        if (line.starts_with("Text ")) {
            rows += line.substr(6, line.find('"', 6) - 6) + (++cells % 5 == 0 ? "\n" : "|");
        }
    }
    return rows;
}

// On a drawer with every kind of icon, one that cannot be written, absent ones
// (the application's among them: its settings come from the first platform icon)
// and builds with settings of their own, in the words of --save.
TEST_F(WindowTest, EachIconSaveWritesInItsOrderWithKindWritabilityAndOwnSettings)
{
    TempDir drawer;
    ScopedChdir inDrawer(drawer.path());
    IconSpec appIcon{.toolTypes = {"FULLSCREEN", "MODEID=-2147315712", "MASTERVOLUME=40"}};
    WriteIcon(drawer.file("Star_OS3.info"),
              {.toolTypes = {"WINDOW", "NOSOUND", "FPSLIMIT=25"}, .newIconsLines = SampleNewIconsLines()});
    WriteIcon(drawer.file("Star_MOS.info"), {.toolTypes = appIcon.toolTypes, .os35 = true});
    chmod(drawer.file("Star_MOS.info").c_str(), 0444);
    WriteIcon(drawer.file("Star_OS4.info"), {.toolTypes = appIcon.toolTypes, .png = true});
    SetAppName("Starfield");
    const char *platforms[] = {"Star_OS3", "Star_MOS", "Star_WOS", "Star_OS4"};
    for (int i = 0; i < 4; ++i) {
        std::snprintf(ToolConfig.platformIcons[i], sizeof ToolConfig.platformIcons[i], "%s", platforms[i]);
    }
    const StoredSettings read = ReadApplicationSettings(ScreenDefaults());
    settingsFrom = read.from;
    BuildAndStart();
    ShowSettingsInControls(read.settings);

    DispatchCommand(ID_ICONS);
    EXPECT_EQ(Attr(iconsWindow, MUIA_Window_Open), 1u);
    EXPECT_EQ(Rows(), "\\ebIcon|\\ebFile|\\ebKind|\\ebCan be written|\\ebSettings of its own\n"
                      "Application|none||no: does not exist|\n"
                      "AmigaOS 3|Star_OS3.info|NewIcons|yes|the settings shown are read from it\n"
                      "MorphOS|Star_MOS.info|OS 3.5|no: permission denied (read-only)|"
                      "FULLSCREEN MODEID=-2147315712 NOFPSLIMIT SOUND\n"
                      "WarpOS|none||no: does not exist|\n"
                      "AmigaOS 4|Star_OS4.info|PNG|yes|FULLSCREEN MODEID=-2147315712 NOFPSLIMIT SOUND\n");
    // Its close gadget (Escape and its Close button too) closes it.
    ASSERT_TRUE(MUI_SimulateInput(iconsWindow));
    for (IPTR id : DrainReturnIds(app)) {
        DispatchCommand(static_cast<std::int32_t>(id));
    }
    EXPECT_EQ(Attr(iconsWindow, MUIA_Window_Open), 0u);
    // Shown again, it is the same window.
    Object *shown = iconsWindow;
    DispatchCommand(ID_ICONS);
    EXPECT_EQ(iconsWindow, shown);
    EXPECT_EQ(Attr(iconsWindow, MUIA_Window_Open), 1u);
}

// A name in the tool's icon too long to be read, or leading outside the drawer,
// names no icon: Save writes none, not even the icons that are named, and says
// which key.
TEST_F(WindowTest, SaveWritesNothingWhileTheToolIconNamesAnIconTooLongOrOutside)
{
    TempDir dir;
    ASSERT_EQ(mkdir(dir.file("drawer").c_str(), 0755), 0);
    ScopedChdir inDrawer(dir.file("drawer"));
    WriteIcon("Os3.info", {.toolTypes = {"WINDOW"}});
    WriteIcon(dir.file("Other.info"), {.toolTypes = {"WINDOW"}});
    const std::string before = ReadFileBytes("Os3.info"), other = ReadFileBytes(dir.file("Other.info"));
    for (const auto &[name, said] : {std::pair<std::string, std::string>{"APPLICATION=" + std::string(200, 'a'),
                                                                         "Settings.info: APPLICATION is too long"},
                                     {"MORPHOS=../Other", "Settings.info: MORPHOS leads outside the drawer"}}) {
        WriteIcon("Settings.info", {.toolTypes = {name, "APPLICATION=Os3", "AMIGAOS3=Os3"}});
        LoadSettings();
        BuildAndStart();
        SetAttrs(displayModeCycle, MUIA_Cycle_Active, DISPLAY_FULLSCREEN_AUTO);
        requests.clear();
        EXPECT_FALSE(SaveCommand());
        EXPECT_EQ(ReadFileBytes("Os3.info"), before);
        EXPECT_EQ(ReadFileBytes(dir.file("Other.info")), other);
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_NE(requests[0].find(said), std::string::npos) << requests[0];
        Dispose();
        ResetToolConfig();
    }
}

// While another program holds the drawer's lock, Save says so in a requester whose
// Cancel ends the wait: nothing is written.
TEST_F(WindowTest, SaveSaysItWaitsForAnotherProgramsLockAndCancelEndsTheWait)
{
    TempDir drawer;
    ScopedChdir inDrawer(drawer.path());
    WriteIcon("Settings.info", {.toolTypes = {"APPLICATION=Os3"}});
    WriteIcon("Os3.info", {.toolTypes = {"WINDOW"}});
    const std::string before = ReadFileBytes("Os3.info");
    LoadSettings();
    BuildAndStart();
    SetAttrs(displayModeCycle, MUIA_Cycle_Active, DISPLAY_FULLSCREEN_AUTO);
    const int held = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    requests.clear();
    EXPECT_FALSE(SaveCommand());
    close(held);
    EXPECT_EQ(ReadFileBytes("Os3.info"), before);
    ASSERT_FALSE(requests.empty());
    EXPECT_NE(requests[0].find("another program holds the lock of this folder"), std::string::npos) << requests[0];
}

// A path the system will not watch leaves no word of Qt's on standard error, and
// the others are watched all the same.
TEST_F(WindowTest, APathTheSystemWillNotWatchIsNotSaidByQt)
{
    BuildAndStart();
    TempDir drawer;
    const std::string file = drawer.file("Starfield.info");
    WriteFileBytes(file, "old");
    static QStringList said;
    const QtMessageHandler before =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &text) { said << text; });
    WatchPaths(app, {file + "/not-a-folder", file}, ID_STORED_CHANGED);
    WriteFileBytes(file, "new");
    const bool told = AwaitReturnId(ID_STORED_CHANGED);
    StopWatching();
    qInstallMessageHandler(before);
    EXPECT_TRUE(said.isEmpty()) << said.join('\n').toStdString();
    EXPECT_TRUE(told);
}

// Without APPLICATION the default application's icon is read, shown and watched
// (replaced by a rename, then written in place); the line says what holds now and
// goes on reload. A limit that is off is not compared: Save does not write it.
TEST_F(WindowTest, TheIconSaveWritesIsShownWatchedAndToldOf)
{
    TempDir drawer;
    ScopedChdir inDrawer(drawer.path());
    const std::string icon = drawer.file("Application.info");
    WriteIcon(drawer.file("Settings.info"), {});
    WriteIcon(icon, {.toolTypes = {"FULLSCREEN", "FPSLIMIT=10"}});
    const Settings loaded = LoadSettings();
    BuildAndStart();
    ShowSettingsInControls(loaded);
    MarkSettingsStored();
    WatchStoredSettings();
    EXPECT_EQ(Attr(displayModeCycle, MUIA_Cycle_Active), DISPLAY_FULLSCREEN_AUTO);
    WriteIcon(drawer.file("New.info"), {.toolTypes = {"WINDOW", "FPSLIMIT=10"}});
    ASSERT_EQ(rename(drawer.file("New.info").c_str(), icon.c_str()), 0);
    EXPECT_TRUE(AwaitReturnId(ID_STORED_CHANGED)) << "replaced";
    StoredChangedCommand();
    EXPECT_EQ(Text(noteText), GetString(MSG_SHOWN_OTHER_CHANGE));
    EXPECT_EQ(Attr(displayModeCycle, MUIA_Cycle_Active), DISPLAY_WINDOW);
    SetAttrs(displayModeCycle, MUIA_Cycle_Active, DISPLAY_FULLSCREEN_AUTO);
    WriteIcon(icon, {.toolTypes = {"WINDOW", "FPSLIMIT=20"}});
    EXPECT_TRUE(AwaitReturnId(ID_STORED_CHANGED)) << "written in place after the rename";
    StoredChangedCommand();
    EXPECT_EQ(Text(noteText), GetString(MSG_CHANGED_WITH_EDITS));
    StopWatching();
    LastSavedCommand();
    EXPECT_EQ(Text(noteText), "");

    SetAttrs(fpsCheckmark, MUIA_Selected, 0);
    requests.clear();
    EXPECT_TRUE(SaveCommand());
    SetAttrs(displayModeCycle, MUIA_Cycle_Active, DISPLAY_FULLSCREEN_AUTO);
    EXPECT_TRUE(SaveCommand());
    EXPECT_EQ(requests, std::vector<std::string>{});
}

class HelpTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        BuildAndStart();
        SetAttrs(mainWindow, MUIA_Window_Open, 1);
    }
    void TearDown() override
    {
        WriteFileBytes(dir_.file("release"), "");
        ReleaseHelpViewer();
        EXPECT_TRUE(WaitForProcesses(10000));
        DosFailProcessCreation(false);
        WindowTest::TearDown();
    }

    static bool Asleep() { return Attr(mainWindow, MUIA_Window_Sleep) != 0; }

    TempDir dir_;  // the viewer and its log; the drawer is the current folder
    TempDir drawer_;
    ScopedChdir here_{drawer_.path()};
};

// Without HELP the Help button, the menu item and its keys are ghosted. A missing
// file, a folder, a FIFO, the longest path the configuration holds: the requester
// names the file and why, and the window stays awake.
TEST_F(HelpTest, WithoutAHelpFileTheRequesterSaysSo)
{
    auto *item = reinterpret_cast<Object *>(DoMethod(menuStrip, MUIM_FindUData, ID_HELP));
    for (const char *help : {"", "Starfield.guide", ""}) {
        std::snprintf(ToolConfig.helpFile, sizeof ToolConfig.helpFile, "%s", help);
        ApplyGadgetRules();
        EXPECT_EQ(MUI_DrawnDisabled(helpButton), help[0] == '\0') << help;
        EXPECT_EQ(MUI_SimulateInput(item), help[0] != '\0') << help;
    }
    DrainReturnIds(app);
    mkdir("Folder.md", 0755);
    mkfifo("Pipe.md", 0600);
    const std::pair<std::string, std::string> cases[] = {{"", "Help is not available!"},
                                                         {"Missing Help.md", ": does not exist"},
                                                         {"Folder.md", ": is a folder"},
                                                         {"Pipe.md", ": Invalid argument"},
                                                         {std::string(HELP_FILE_SIZE - 1, 'h'), ": does not exist"}};
    for (const auto &[help, why] : cases) {
        requests.clear();
        std::snprintf(ToolConfig.helpFile, sizeof ToolConfig.helpFile, "%s", help.c_str());
        EXPECT_TRUE(DispatchCommand(ID_HELP));
        EXPECT_EQ(requests, std::vector<std::string>{"Application Settings|" +
                                                     (help.empty() ? why : "Cannot open file " + help + why)});
        EXPECT_FALSE(Asleep());
    }
}

// The path as one argument (no shell: see the dos tests). While the viewer is
// open the window sleeps and takes no input, and wakes when the loop handles
// ID_HELP_DONE, twice. A viewer that is missing wakes the window through
// ID_HELP_DONE too; a help process that cannot start, at once; both are said.
TEST_F(HelpTest, TheViewerGetsThePathWhileTheWindowSleeps)
{
    const std::string name = "Star field; $(help) *.md";
    WriteFileBytes(name, "# Help\n");
    std::snprintf(ToolConfig.helpFile, sizeof ToolConfig.helpFile, "%s", name.c_str());
    // A stand-in viewer that logs its arguments, one a line, and stays open until "release" exists.
    WriteFileBytes(dir_.file("viewer.sh"), "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" >> '" + dir_.file("log") +
                                               "'\nwhile [ ! -e '" + dir_.file("release") +
                                               "' ]; do sleep 0.02; done\n");
    chmod(dir_.file("viewer.sh").c_str(), 0755);
    ScopedEnvVar viewer("SETTINGS_VIEWER", dir_.file("viewer.sh"));
    for (int round = 0; round < 3; ++round) {
        if (round == 2) {
            setenv("SETTINGS_VIEWER", dir_.file("no-such-viewer").c_str(), 1);
        }
        std::filesystem::remove(dir_.file("release"));
        EXPECT_TRUE(DispatchCommand(ID_HELP));
        EXPECT_FALSE(MUI_SimulateInput(cancelButton));
        EXPECT_TRUE(MUI_DrawnDisabled(saveButton));
        EXPECT_EQ(Text(noteText), "The manual is open: this window waits until its viewer is closed.");
        EXPECT_EQ(AwaitReturnId(ID_HELP_DONE, 200), round == 2);  // the missing one posts at once
        WriteFileBytes(dir_.file("release"), "");
        ASSERT_TRUE(round == 2 || AwaitReturnId(ID_HELP_DONE));
        EXPECT_TRUE(Asleep()) << "until the loop handles ID_HELP_DONE";
        EXPECT_TRUE(DispatchCommand(ID_HELP_DONE));
        EXPECT_FALSE(Asleep());
        EXPECT_FALSE(MUI_DrawnDisabled(saveButton));
        EXPECT_EQ(requests.size(), round == 2 ? 1u : 0u);
    }
    EXPECT_EQ(ReadFileBytes(dir_.file("log")), "1\n" + name + "\n1\n" + name + "\n");
    EXPECT_NE(requests.at(0).find("could not be started"), std::string::npos) << requests[0];
    // Killed, failing without a word of its own, or not to be run: said so when the window wakes.
    for (const char *script : {"#!/bin/sh\nkill -9 $$\n", "#!/bin/sh\nexit 3\n", "#!/no/such/shell\n"}) {
        WriteFileBytes(dir_.file("ends.sh"), script);
        chmod(dir_.file("ends.sh").c_str(), 0755);
        setenv("SETTINGS_VIEWER", dir_.file("ends.sh").c_str(), 1);
        requests.clear();
        EXPECT_TRUE(DispatchCommand(ID_HELP));
        ASSERT_TRUE(AwaitReturnId(ID_HELP_DONE));
        EXPECT_TRUE(DispatchCommand(ID_HELP_DONE));
        EXPECT_NE(requests.at(0).find(script[3] == 'n' ? "could not be started" : "ended unexpectedly"),
                  std::string::npos)
            << requests[0];
    }
    DosFailProcessCreation(true);
    HelpCommand();
    EXPECT_FALSE(Asleep());
    EXPECT_FALSE(AwaitReturnId(ID_HELP_DONE, 200));
    EXPECT_EQ(requests.size(), 2u);
}

}  // namespace
