// The whole run as a person starts it in the drawer: what is loaded and shown
// when the window opens, the controls answering, the exit value 1 when it cannot start.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

#include "gui/commands.h"
#include "gui/window_layout.h"
#include "platform/formats/icon_maker.h"
#include "platform/toolkit/testing/toolkit_testing.h"
#include "support/catalog_test_util.h"
#include "support/icon_test_util.h"
#include "support/temp_dir.h"
#include "support/toolkit_util.h"
#include "window/main_flow.h"
#include "window/program_reset.h"

namespace {

using Texts = std::vector<std::string>;

class MainFlowTest : public ::testing::Test {
protected:
    // A requester no test expects fails the test rather than waiting for a click.
    void SetUp() override
    {
        ResetProgramState();
        MUI_SetRequestHook([](const char *, const char *body) {
            ADD_FAILURE() << "unexpected requester: " << body;
            return 0;
        });
    }
    void TearDown() override
    {
        MUI_SetRequestHook(nullptr);
        ResetProgramState();
    }

    static void Icon(const char *name, Texts toolTypes)
    {
        WriteIcon(std::string(name) + ".info", {.toolTypes = std::move(toolTypes)});
    }

    // Runs the tool; once its loop waits for input, look() sees the window as it
    // came up and then acts on it, as a person would, to end the run.
    static void RunAndLook(const std::function<void()> &look, bool drawerNamed = true)
    {
        static int argc = 1;
        static char name[] = "main_flow_test";
        static char *argv[] = {name, nullptr};
        bool looked = false, hung = false;
        QApplication application(argc, argv);  // kept by the libraries: its timers run in the loop
        QTimer::singleShot(0, [&] {
            looked = true;
            look();
        });
        QTimer::singleShot(5000, [&] {
            hung = true;
            DoMethod(app, MUIM_Application_ReturnID, -1);
        });
        EXPECT_EQ(SettingsMain(drawerNamed), 0);
        EXPECT_TRUE(looked);
        EXPECT_FALSE(hung) << "the window did not answer";
        EXPECT_EQ(app, nullptr);
    }

    TempDir drawer_;
    ScopedChdir here_{drawer_.path()};
    ScopedCatalogEnvironment builtInTexts_{drawer_.path(), ""};
};

// The controls set from the loaded settings (their values: the window's tests),
// the mode's name shown.
TEST_F(MainFlowTest, TheWindowOpensWithTheLoadedSettings)
{
    Icon("Settings", {"APPLICATION=Starfield"});
    Icon("Starfield", {"FULLSCREEN", "MODEID=167940", "DEPTH=8"});  // PAL:HighRes Laced
    RunAndLook([] {
        EXPECT_EQ(Attr(displayModeCycle, MUIA_Cycle_Active), 2);
        EXPECT_EQ(Text(screenModeText), "PAL:HighRes Laced");
        EXPECT_TRUE(MUI_SimulateInput(cancelButton));
    });
}

// A tool icon without APPLICATION: the default name, whose icon Save still writes
// (in Russian too, where the name shown has no form an icon's name can take);
// the start screen's mode and its name; the rules ghost what means nothing.
TEST_F(MainFlowTest, WithoutApplicationTheDefaultNameIsConfigured)
{
    Icon("Settings", {"HELP=Starfield.md", "HIDESOUND"});
    for (const auto &[language, title] :
         {std::pair("", "Application Settings"), std::pair("ru", "Настройки Приложение")}) {
        ScopedCatalogEnvironment texts(BUILD_DIR, language);
        Icon("Application", {"DONOTWAIT"});
        RunAndLook([title = title] {
            EXPECT_STREQ(windowTitle, title);
            EXPECT_EQ(Text(screenModeText).rfind("Display:", 0), 0u) << Text(screenModeText);
            EXPECT_NE(Attr(fpsSlider, MUIA_Disabled), 0);
            EXPECT_NE(Attr(screenModeButton, MUIA_Disabled), 0);
            EXPECT_TRUE(MUI_SimulateInput(saveButton));
        });
        EXPECT_EQ(ReadToolTypes("Application"), (Texts{"DONOTWAIT", "MASTERVOLUME=40", "WINDOW"}));
        ResetProgramState();
    }
}

// An application's icon that is there but cannot be read: a requester says so
// before the window opens with the defaults and again at Last saved; Save names
// it with why, and the window stays open.
TEST_F(MainFlowTest, AnIconThatCannotBeReadIsToldBeforeTheWindowOpens)
{
    Icon("Settings", {"APPLICATION=Starfield"});
    WriteFileBytes("Starfield.info", "damaged");
    Texts requests;
    MUI_SetRequestHook([&requests](const char *, const char *body) {
        requests.emplace_back(std::string(body) + (Attr(mainWindow, MUIA_Window_Open) != 0 ? " (open)" : ""));
        return 0;
    });
    RunAndLook([] {
        DoMethod(app, MUIM_Application_ReturnID, ID_LAST_SAVED);
        EXPECT_TRUE(MUI_SimulateInput(saveButton));
        EXPECT_TRUE(MUI_SimulateInput(cancelButton));
    });
    const std::string unread = "Cannot read the settings from Starfield.info: is not an icon or is damaged!\n"
                               "The values shown are the defaults.";
    EXPECT_EQ(requests, (Texts{unread, unread + " (open)",
                               "Starfield.info: is not an icon or is damaged\nnothing was written (open)"}));
}

// Outside a drawer the chooser asks (a folder named is first said to be none); a
// folder without Settings.info is said so and the chooser comes back; the drawer
// chosen opens. Cancelled, the run ends with no window. In a drawer, nothing is asked.
TEST_F(MainFlowTest, OutsideADrawerTheChooserAsksForOne)
{
    mkdir(drawer_.file("Starfield").c_str(), 0755);
    WriteIcon(drawer_.file("Starfield/Settings.info"), {.toolTypes = {"APPLICATION=Starfield"}});
    setenv("SETTINGS_DRAWER_ANSWER", (drawer_.path() + ":" + drawer_.file("Starfield")).c_str(), 1);
    Texts requests;
    MUI_SetRequestHook([&requests](const char *, const char *body) {
        requests.emplace_back(body);
        return 0;
    });
    RunAndLook([] { EXPECT_TRUE(MUI_SimulateInput(cancelButton)); });
    EXPECT_STREQ(windowTitle, "Starfield Settings");
    const std::string none = " holds no Settings.info: choose the drawer of the application to configure.";
    EXPECT_EQ(requests, (Texts{drawer_.path() + none, drawer_.path() + none}));
    ResetProgramState();
    ASSERT_EQ(chdir(drawer_.path().c_str()), 0);
    setenv("SETTINGS_DRAWER_ANSWER", "", 1);
    EXPECT_EQ(SettingsMain(false), 0);  // cancelled
    EXPECT_EQ(app, nullptr);
    EXPECT_STREQ(windowTitle, "");
    ASSERT_EQ(chdir(drawer_.file("Starfield").c_str()), 0);
    RunAndLook([] { EXPECT_TRUE(MUI_SimulateInput(cancelButton)); }, false);
    unsetenv("SETTINGS_DRAWER_ANSWER");
}

// An object that cannot be made: the failure reported through code 2.
TEST_F(MainFlowTest, AnObjectThatCannotBeMadeEndsTheRunWithCode2)
{
    Texts errors;
    SetEasyRequestHook([&errors](const char *, const char *body, const char *) {
        errors.emplace_back(body);
        return 0;
    });
    Icon("Settings", {});
    MUI_FailObjectCreation(2);  // the first after the menu strip
    EXPECT_EQ(SettingsMain(), 1);
    MUI_FailObjectCreation(0);
    EXPECT_EQ(errors, Texts{"Error creating application!"});
    EXPECT_EQ(app, nullptr);
}

}  // namespace
