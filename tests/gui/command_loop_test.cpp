// The notifications, the dispatch of every command id, and the input loop.
#include <sys/stat.h>

#include "app/main_flow.h"
#include "gui/window_fixture.h"
#include "platform/easy_request.h"
#include "platform/formats/icon_maker.h"
#include "support/icon_test_util.h"

namespace {

using CommandLoopTest = WindowTest;

TEST_F(CommandLoopTest, EachNotificationProducesItsReturnId)
{
    for (int hideSound : {0, 1}) {
        SCOPED_TRACE(hideSound);
        ToolConfig.hideSound = hideSound;
        BuildAndStart();
        ASSERT_TRUE(DrainReturnIds().empty());

        SetAttrs(mainWindow, MUIA_Window_CloseRequest, 1);
        EXPECT_EQ(DrainReturnIds(), std::vector<std::int32_t>{ID_QUIT});
        const std::pair<Object *, std::int32_t> buttons[] = {
            {saveButton, ID_SAVE}, {helpButton, ID_HELP}, {aboutButton, ID_ABOUT},
            {cancelButton, ID_CANCEL}, {screenModeButton, ID_SCREEN_MODE}};
        for (const auto &[button, id] : buttons) {
            // Pressing alone is no click; releasing over the button completes it.
            SetAttrs(button, MUIA_Pressed, 1);
            EXPECT_TRUE(DrainReturnIds().empty()) << id;
            SetAttrs(button, MUIA_Pressed, 0);
            EXPECT_EQ(DrainReturnIds(), std::vector<std::int32_t>{id});
        }

        // The checkmarks and the cycle report every change, either way.
        SetAttrs(fpsCheckmark, MUIA_Selected, 1);
        SetAttrs(fpsCheckmark, MUIA_Selected, 0);
        SetAttrs(displayModeCycle, MUIA_Cycle_Active, 2);
        SetAttrs(displayModeCycle, MUIA_Cycle_Active, 1);
        if (soundCheckmark != nullptr) {
            SetAttrs(soundCheckmark, MUIA_Selected, 0);
            SetAttrs(soundCheckmark, MUIA_Selected, 1);
        }
        EXPECT_EQ(DrainReturnIds(), std::vector<std::int32_t>(hideSound ? 4 : 6, ID_UPDATE_GADGETS));

        // Sliders and the screen mode text are read only when saving.
        SetAttrs(fpsSlider, MUIA_Numeric_Value, 20);
        SetAttrs(screenModeText, MUIA_Text_Contents, "PAL: High Res");
        if (volumeSlider != nullptr) {
            SetAttrs(volumeSlider, MUIA_Numeric_Value, 20);
        }
        EXPECT_TRUE(DrainReturnIds().empty());
        Dispose();
    }
}

// Also with the longest application name, which must stay within its buffers.
TEST_F(CommandLoopTest, AboutShowsTheTitleAndTheCreditText)
{
    for (const std::string &name : {std::string("Starfield"), std::string(APP_NAME_SIZE - 1, 'x')}) {
        SetAppName(name.c_str());
        requests.clear();
        BuildAndStart();
        EXPECT_TRUE(DispatchCommand(ID_ABOUT));
        ASSERT_EQ(requests.size(), 1u);
        const std::string title = (name + " Settings").substr(0, WINDOW_TITLE_SIZE - 1);
        EXPECT_EQ(requests[0].title, title);
        char credit[SCRATCH_BUFFER_SIZE];
        std::snprintf(credit, sizeof credit, GetString(MSG_ABOUT_TEXT), name.c_str());
        EXPECT_EQ(requests[0].body, "\033c\033b\033u" + title + "\033n\n\n" + credit);
        EXPECT_NE(std::string(credit).find(name), std::string::npos);
        Dispose();
    }
}

TEST_F(CommandLoopTest, CommandsThatDoNothingKeepTheLoopRunning)
{
    BuildAndStart();
    for (std::int32_t id : std::initializer_list<std::int32_t>{0, ID_ABOUT_MUI, ID_MENU_PROJECT, ID_MENU_PREFS, 12, -2,
                                                                0x7fffffff}) {
        EXPECT_TRUE(DispatchCommand(id)) << id;
    }
    EXPECT_TRUE(requests.empty());
}

// A drawer with the tool's application icon and two platform icons.
class SaveCommandTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        SetAppName("Starfield");
        for (int i = 0; i < 3; ++i) {
            if (i > 0) {
                std::snprintf(ToolConfig.platformIcons[i - 1], PLATFORM_ICON_SIZE, "%s", names_[i]);
            }
            IconSpec spec;
            spec.toolTypes = {"DONOTWAIT", "WINDOW"};
            WriteIcon(Icon(i), spec);
            before_.push_back(ReadFileBytes(Icon(i)));
        }
        BuildAndStart();
        SetAttrs(displayModeCycle, MUIA_Cycle_Active, 1);  // the user's edit
    }

    std::string Icon(int i) const { return dir_.file(std::string(names_[i]) + ".info"); }

    // How many of the three icons differ from their bytes before.
    int ChangedIcons() const
    {
        int changed = 0;
        for (int i = 0; i < 3; ++i) {
            changed += ReadFileBytes(Icon(i)) != before_[i];
        }
        return changed;
    }

    TempDir dir_;
    ScopedChdir chdir_{dir_.path()};
    const char *names_[3] = {"Starfield", "Starfield_OS3", "Starfield_MOS"};
    std::vector<std::string> before_;
};

// An icon that exists under neither name is skipped silently.
TEST_F(SaveCommandTest, SaveWritesEveryIconThatExistsAndEndsTheLoop)
{
    std::snprintf(ToolConfig.platformIcons[3], PLATFORM_ICON_SIZE, "Starfield_OS4");
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
    ASSERT_EQ(chmod(Icon(1).c_str(), 0444), 0);
    EXPECT_TRUE(DispatchCommand(ID_SAVE));
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].title, "Starfield Settings");
    char expected[256];
    std::snprintf(expected, sizeof expected, GetString(MSG_ERR_WRITE_ICONS), "Starfield_OS3");
    EXPECT_EQ(requests[0].body, expected);
    EXPECT_EQ(ChangedIcons(), 2);
    // The edits are still in the controls; once the icon may be written, Save ends.
    EXPECT_EQ(Attr(displayModeCycle, MUIA_Cycle_Active), 1);
    ASSERT_EQ(chmod(Icon(1).c_str(), 0644), 0);
    EXPECT_FALSE(DispatchCommand(ID_SAVE));
    EXPECT_EQ(requests.size(), 1u);
    EXPECT_EQ(ChangedIcons(), 3);
}

TEST_F(SaveCommandTest, TheLoopRunsUntilACommandEndsIt)
{
    ASSERT_EQ(chmod(Icon(0).c_str(), 0444), 0);
    ASSERT_TRUE(Disabled(screenModeButton));
    SetAttrs(displayModeCycle, MUIA_Cycle_Active, 2);  // queues ID_UPDATE_GADGETS
    for (std::int32_t id : {ID_ABOUT, ID_SAVE, ID_ABOUT_MUI, ID_CANCEL, ID_SAVE}) {
        DoMethod(app, MUIM_Application_ReturnID, id);
    }
    RunCommandLoop();
    EXPECT_FALSE(Disabled(screenModeButton));
    // About, then the failed save; Cancel ended the loop before the last Save.
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_NE(requests[1].body.find("Starfield"), std::string::npos);
    EXPECT_EQ(ChangedIcons(), 2);
    std::uint32_t signals = 0;
    EXPECT_EQ(DoMethod(app, MUIM_Application_NewInput, &signals), ID_SAVE);
}

// The whole run with the object tree failing: the failure is reported through
// code 2 and the exit value is 0.
TEST_F(CommandLoopTest, AnObjectThatCannotBeMadeEndsTheRunWithCode2)
{
    const int creations = CountCreations();
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
        ResetProgramState();
        errors.clear();
        MUI_FailObjectCreation(n);
        EXPECT_EQ(SettingsMain(), 0) << n;
        MUI_FailObjectCreation(0);
        EXPECT_EQ(errors, std::vector<std::string>{"Error creating application!"}) << n;
        EXPECT_EQ(app, nullptr);
    }
    SetEasyRequestHook(nullptr);
    ResetProgramState();
    ASSERT_EQ(OpenLibraries(), 0);  // for the fixture's shutdown
}

}  // namespace
