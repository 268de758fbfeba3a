// The notifications, the dispatch of every command id, and the input loop.
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "app/main_flow.h"
#include "platform/asl.h"
#include "platform/easy_request.h"
#include "gui/help_viewer.h"
#include "gui/screen_mode.h"
#include "gui/window_fixture.h"
#include "icon_maker.h"
#include "settings/settings_writer.h"

namespace {

using CommandLoopTest = WindowTest;

TEST_F(CommandLoopTest, EachNotificationProducesItsReturnId)
{
    BuildAndStart();
    ASSERT_TRUE(DrainReturnIds().empty());

    SetAttrs(mainWindow, MUIA_Window_CloseRequest, 1);
    EXPECT_EQ(DrainReturnIds(), std::vector<std::int32_t>{ID_QUIT});

    const std::pair<Object **, std::int32_t> buttons[] = {
        {&saveButton, ID_SAVE}, {&helpButton, ID_HELP}, {&aboutButton, ID_ABOUT},
        {&cancelButton, ID_CANCEL}, {&screenModeButton, ID_SCREEN_MODE}};
    for (const auto &[button, id] : buttons) {
        SCOPED_TRACE(id);
        // Pressing alone is no click; releasing over the button completes it.
        SetAttrs(*button, MUIA_Pressed, 1);
        EXPECT_TRUE(DrainReturnIds().empty());
        SetAttrs(*button, MUIA_Pressed, 0);
        EXPECT_EQ(DrainReturnIds(), std::vector<std::int32_t>{id});
    }

    // The checkmarks and the cycle report every change, either way.
    SetAttrs(fpsCheckmark, MUIA_Selected, 1);
    SetAttrs(fpsCheckmark, MUIA_Selected, 0);
    SetAttrs(soundCheckmark, MUIA_Selected, 0);
    SetAttrs(soundCheckmark, MUIA_Selected, 1);
    SetAttrs(displayModeCycle, MUIA_Cycle_Active, 2);
    SetAttrs(displayModeCycle, MUIA_Cycle_Active, 1);
    EXPECT_EQ(DrainReturnIds(), std::vector<std::int32_t>(6, ID_UPDATE_GADGETS));

    // Sliders and the screen mode text are read only when saving.
    SetAttrs(fpsSlider, MUIA_Numeric_Value, 20);
    SetAttrs(volumeSlider, MUIA_Numeric_Value, 20);
    SetAttrs(screenModeText, MUIA_Text_Contents, "PAL: High Res");
    EXPECT_TRUE(DrainReturnIds().empty());

    // Ids queued by anyone come out in order, one per input handling.
    DoMethod(app, MUIM_Application_ReturnID, ID_HELP_DONE);
    DoMethod(app, MUIM_Application_ReturnID, ID_MUI_SETTINGS);
    EXPECT_EQ(DrainReturnIds(), (std::vector<std::int32_t>{ID_HELP_DONE, ID_MUI_SETTINGS}));
}

TEST_F(CommandLoopTest, WithoutTheSoundSectionTheOtherNotificationsStillWork)
{
    ToolConfig.hideSound = 1;
    BuildAndStart();
    SetAttrs(fpsCheckmark, MUIA_Selected, 1);
    SetAttrs(saveButton, MUIA_Pressed, 1);
    SetAttrs(saveButton, MUIA_Pressed, 0);
    EXPECT_EQ(DrainReturnIds(), (std::vector<std::int32_t>{ID_UPDATE_GADGETS, ID_SAVE}));
}

TEST_F(CommandLoopTest, TheAboutMuiItemIsWatched)
{
    BuildAndStart();
    // The item carrying ID_ABOUT_MUI exists in the strip; the id it delivers does
    // nothing in the loop.
    EXPECT_NE(DoMethod(menuStrip, MUIM_FindUData, ID_ABOUT_MUI), 0);
    EXPECT_TRUE(DispatchCommand(ID_ABOUT_MUI));
    EXPECT_TRUE(requests.empty());
}

TEST_F(CommandLoopTest, AboutShowsTheTitleAndTheCreditText)
{
    std::snprintf(ToolConfig.appName, sizeof ToolConfig.appName, "Starfield");
    BuildAndStart();
    EXPECT_TRUE(DispatchCommand(ID_ABOUT));
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].title, "Starfield Settings");
    char credit[SCRATCH_BUFFER_SIZE];
    std::snprintf(credit, sizeof credit, GetString(MSG_ABOUT_TEXT), "Starfield");
    EXPECT_EQ(requests[0].body, std::string("\033c\033b\033uStarfield Settings\033n\n\n") + credit);
    EXPECT_NE(std::string(credit).find("Starfield"), std::string::npos);
}

TEST_F(CommandLoopTest, AboutWithTheLongestApplicationNameStaysInItsBuffers)
{
    std::string longName(APP_NAME_SIZE - 1, 'x');
    std::snprintf(ToolConfig.appName, sizeof ToolConfig.appName, "%s", longName.c_str());
    BuildAndStart();
    EXPECT_TRUE(DispatchCommand(ID_ABOUT));
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_LT(std::string(windowTitle).size(), static_cast<std::size_t>(WINDOW_TITLE_SIZE));
    EXPECT_NE(requests[0].body.find(longName), std::string::npos);
}

TEST_F(CommandLoopTest, CommandsThatDoNothingKeepTheLoopRunning)
{
    BuildAndStart();
    for (std::int32_t id : std::initializer_list<std::int32_t>{0, ID_ABOUT_MUI, ID_MENU_PROJECT, ID_MENU_PREFS, 12, -2, 0x7fffffff}) {
        SCOPED_TRACE(id);
        EXPECT_TRUE(DispatchCommand(id));
    }
    EXPECT_TRUE(requests.empty());
}

TEST_F(CommandLoopTest, UpdateGadgetsAppliesTheRules)
{
    BuildAndStart();
    ASSERT_TRUE(Disabled(screenModeButton));
    SetAttrs(displayModeCycle, MUIA_Cycle_Active, 2);
    SetAttrs(fpsCheckmark, MUIA_Selected, 1);
    SetAttrs(soundCheckmark, MUIA_Selected, 0);
    EXPECT_TRUE(DispatchCommand(ID_UPDATE_GADGETS));
    EXPECT_FALSE(Disabled(screenModeButton));
    EXPECT_FALSE(Disabled(screenModeText));
    EXPECT_FALSE(Disabled(fpsSlider));
    EXPECT_TRUE(Disabled(volumeSlider));
}

TEST_F(CommandLoopTest, ScreenModeShowsTheChosenModeAndKeepsItWhenCancelled)
{
    BuildAndStart();
    ShowScreenModeName();
    IPTR shown = 0;
    GetAttr(MUIA_Text_Contents, screenModeText, &shown);
    const std::string before = shown != 0 ? reinterpret_cast<const char *>(shown) : "";

    AslSetRequestHook([](AslScreenModeControl &) { return false; });
    EXPECT_TRUE(DispatchCommand(ID_SCREEN_MODE));
    GetAttr(MUIA_Text_Contents, screenModeText, &shown);
    EXPECT_EQ(std::string(shown != 0 ? reinterpret_cast<const char *>(shown) : ""), before);

    // Confirm a listed mode other than the current one.
    std::uint32_t chosen = 0;
    AslSetRequestHook([&chosen](AslScreenModeControl &control) {
        for (std::uint32_t id : control.ListedDisplayIds()) {
            if (id != AppSettings.modeId && control.SelectDisplayId(id)) {
                chosen = id;
                break;
            }
        }
        return true;
    });
    EXPECT_TRUE(DispatchCommand(ID_SCREEN_MODE));
    AslSetRequestHook(nullptr);
    ASSERT_NE(chosen, 0u);
    EXPECT_EQ(AppSettings.modeId, chosen);
    GetAttr(MUIA_Text_Contents, screenModeText, &shown);
    ASSERT_NE(shown, 0);
    EXPECT_NE(std::string(reinterpret_cast<const char *>(shown)), before);
    EXPECT_NE(std::string(reinterpret_cast<const char *>(shown)), "");
}

TEST_F(CommandLoopTest, HelpWithoutAHelpFileIsReportedAndTheLoopGoesOn)
{
    BuildAndStart();
    EXPECT_TRUE(DispatchCommand(ID_HELP));
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].title, "Application Settings");
    EXPECT_EQ(Attr(mainWindow, MUIA_Window_Sleep), 0);
}

TEST_F(CommandLoopTest, HelpDoneWakesTheWindow)
{
    BuildAndStart();
    SetAttrs(mainWindow, MUIA_Window_Sleep, 1);
    EXPECT_TRUE(DispatchCommand(ID_HELP_DONE));
    EXPECT_EQ(Attr(mainWindow, MUIA_Window_Sleep), 0);
}

// A drawer with the tool's application icon and two platform icons.
class SaveCommandTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        chdir_ = std::make_unique<ScopedChdir>(dir_.path());
        std::snprintf(ToolConfig.appName, sizeof ToolConfig.appName, "Starfield");
        std::snprintf(ToolConfig.platformIcons[0], PLATFORM_ICON_SIZE, "Starfield_OS3");
        std::snprintf(ToolConfig.platformIcons[1], PLATFORM_ICON_SIZE, "Starfield_MOS");
        for (const char *name : {"Starfield", "Starfield_OS3", "Starfield_MOS"}) {
            IconSpec spec;
            spec.toolTypes = {"DONOTWAIT", "WINDOW"};
            ASSERT_TRUE(WriteIcon(dir_.file(std::string(name) + ".info"), spec));
            before_.push_back(ReadFileBytes(dir_.file(std::string(name) + ".info")));
        }
        BuildAndStart();
        SetAttrs(displayModeCycle, MUIA_Cycle_Active, 1);  // the user's edit
    }
    void TearDown() override
    {
        WindowTest::TearDown();
        chdir_.reset();
    }

    // How many of the three icons differ from their bytes before.
    int ChangedIcons() const
    {
        int changed = 0;
        const char *names[] = {"Starfield", "Starfield_OS3", "Starfield_MOS"};
        for (int i = 0; i < 3; ++i) {
            changed += ReadFileBytes(dir_.file(std::string(names[i]) + ".info")) != before_[i];
        }
        return changed;
    }

    TempDir dir_;
    std::unique_ptr<ScopedChdir> chdir_;
    std::vector<std::string> before_;
};

TEST_F(SaveCommandTest, SaveWritesEveryIconAndEndsTheLoop)
{
    EXPECT_FALSE(DispatchCommand(ID_SAVE));
    EXPECT_TRUE(requests.empty());
    EXPECT_EQ(ChangedIcons(), 3);
    EXPECT_EQ(AppSettings.displayMode, 1);
}

TEST_F(SaveCommandTest, CancelAndCloseEndTheLoopWithoutWriting)
{
    EXPECT_FALSE(DispatchCommand(ID_CANCEL));
    EXPECT_FALSE(DispatchCommand(ID_QUIT));
    EXPECT_EQ(ChangedIcons(), 0);
    EXPECT_TRUE(requests.empty());
}

TEST_F(SaveCommandTest, AnIconThatCannotBeWrittenIsReportedAndTheWindowStaysOpen)
{
    ASSERT_EQ(chmod(dir_.file("Starfield_OS3.info").c_str(), 0444), 0);
    EXPECT_TRUE(DispatchCommand(ID_SAVE));
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].title, "Starfield Settings");
    char expected[256];
    std::snprintf(expected, sizeof expected, GetString(MSG_ERR_WRITE_ICONS), "Starfield_OS3");
    EXPECT_EQ(requests[0].body, expected);
    EXPECT_EQ(ChangedIcons(), 2);
    // The edits are still in the controls; once the icon may be written, Save ends.
    EXPECT_EQ(Attr(displayModeCycle, MUIA_Cycle_Active), 1);
    ASSERT_EQ(chmod(dir_.file("Starfield_OS3.info").c_str(), 0644), 0);
    EXPECT_FALSE(DispatchCommand(ID_SAVE));
    EXPECT_EQ(requests.size(), 1u);
    EXPECT_EQ(ChangedIcons(), 3);
}

TEST_F(SaveCommandTest, IconsThatDoNotExistAreSkippedSilently)
{
    std::snprintf(ToolConfig.platformIcons[3], PLATFORM_ICON_SIZE, "Starfield_OS4");
    EXPECT_FALSE(DispatchCommand(ID_SAVE));
    EXPECT_TRUE(requests.empty());
    EXPECT_EQ(ChangedIcons(), 3);
}

TEST_F(SaveCommandTest, TheLoopRunsUntilACommandEndsIt)
{
    ASSERT_EQ(chmod(dir_.file("Starfield.info").c_str(), 0444), 0);
    for (std::int32_t id : {ID_UPDATE_GADGETS, ID_ABOUT, ID_SAVE, ID_ABOUT_MUI, ID_CANCEL, ID_SAVE}) {
        DoMethod(app, MUIM_Application_ReturnID, id);
    }
    RunCommandLoop();
    // About, then the failed save; Cancel ended the loop before the last Save.
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_NE(requests[1].body.find("Starfield"), std::string::npos);
    EXPECT_EQ(ChangedIcons(), 2);
    std::uint32_t signals = 0;
    EXPECT_EQ(DoMethod(app, MUIM_Application_NewInput, &signals), ID_SAVE);
}

TEST_F(CommandLoopTest, AnIdFromAnotherThreadWakesTheWaitingLoop)
{
    BuildAndStart();
    for (int round = 0; round < 20; ++round) {
        std::thread poster([round] {
            std::this_thread::sleep_for(std::chrono::milliseconds(round % 4 * 5));
            DoMethod(app, MUIM_Application_ReturnID, ID_HELP_DONE);
            DoMethod(app, MUIM_Application_ReturnID, ID_CANCEL);
        });
        const auto start = std::chrono::steady_clock::now();
        RunCommandLoop();
        poster.join();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    }
}

// The whole run with the object tree failing: the failure is reported through
// code 2 and the exit value is 0.
TEST_F(CommandLoopTest, AnObjectThatCannotBeMadeEndsTheRunWithCode2)
{
    // How many objects the toolkit makes for the window: past the last one, the
    // build succeeds with its menu.
    int creations = 0;
    for (int n = 1; n < 1000; ++n) {
        MUI_FailObjectCreation(n);
        Object *built = Build();
        MUI_FailObjectCreation(0);
        const bool complete = built != nullptr && menuStrip != nullptr;
        MUI_DisposeObject(built);
        ResetWindowHandles();
        if (complete) {
            creations = n - 1;
            break;
        }
    }
    ASSERT_GT(creations, 10);
    Shutdown(0);

    TempDir drawer;
    ScopedChdir inDrawer(drawer.path());
    std::vector<std::string> errors;
    SetEasyRequestHook([&errors](const char *, const char *body, const char *) {
        errors.emplace_back(body);
        return 0;
    });
    // The application, the window, a control in the middle of the tree.
    for (int n : {creations, creations - 1, creations / 2}) {
        SCOPED_TRACE(n);
        ResetProgramState();
        errors.clear();
        MUI_FailObjectCreation(n);
        EXPECT_EQ(SettingsMain(), 0);
        MUI_FailObjectCreation(0);
        EXPECT_EQ(errors, std::vector<std::string>{"Error creating application!"});
        EXPECT_EQ(app, nullptr);
    }
    SetEasyRequestHook(nullptr);
    ResetProgramState();
    ASSERT_EQ(OpenLibraries(), 0);  // for the fixture's shutdown
}

}  // namespace
