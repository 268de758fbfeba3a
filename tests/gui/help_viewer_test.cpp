#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "gui/help_viewer.h"
#include "gui/window_fixture.h"
#include "platform/dos.h"

namespace {

class HelpTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        BuildAndStart();
        SetAttrs(mainWindow, MUIA_Window_Open, 1, TAG_DONE);
        chdir_ = std::make_unique<ScopedChdir>(drawer_.path());
    }
    void TearDown() override
    {
        WriteFileBytes(dir_.file("release"), "");
        ReleaseHelpViewer();
        EXPECT_TRUE(WaitForProcesses(10000));
        DosFailProcessCreation(false);
        chdir_.reset();
        WindowTest::TearDown();
    }

    // A stand-in viewer: logs its argument count and arguments, one a line; with
    // hold set it stays open until the file "release" exists beside it.
    void UseViewer(bool hold)
    {
        std::string script = "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" >> '" + dir_.file("log") + "'\n";
        if (hold) {
            script += "while [ ! -e '" + dir_.file("release") + "' ]; do sleep 0.02; done\n";
        }
        WriteFileBytes(dir_.file("viewer.sh"), script);
        chmod(dir_.file("viewer.sh").c_str(), 0755);
        viewer_.emplace("SETTINGS_VIEWER", dir_.file("viewer.sh"));
    }

    // A help document that exists, named in the configuration.
    void SetHelpDocument(const std::string &name = "Starfield.md")
    {
        WriteFileBytes(drawer_.file(name), "# Help\n");
        std::snprintf(ToolConfig.helpFile, sizeof ToolConfig.helpFile, "%s", name.c_str());
    }

    static bool Asleep() { return Attr(mainWindow, MUIA_Window_Sleep) != 0; }

    // Runs the loop's input handling until id arrives (true) or the time is up;
    // any other id fails the test.
    static bool AwaitReturnId(IPTR id, int timeoutMs = 10000)
    {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < end) {
            std::uint32_t signals = 0;
            const IPTR got = DoMethod(app, MUIM_Application_NewInput, &signals);
            if (got == id) {
                return true;
            }
            EXPECT_EQ(got, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    std::string Log() { return access(dir_.file("log").c_str(), F_OK) == 0 ? ReadFileBytes(dir_.file("log")) : ""; }

    TempDir dir_;     // the viewer and its log
    TempDir drawer_;  // the current folder, with the help documents
    std::unique_ptr<ScopedChdir> chdir_;
    std::optional<ScopedEnvVar> viewer_;
};

// No HELP, a missing file, a folder, the longest path the configuration holds.
TEST_F(HelpTest, WithoutAHelpFileTheRequesterSaysSoAndTheWindowStaysAwake)
{
    UseViewer(false);
    mkdir("Folder.md", 0755);
    const std::string longName(HELP_FILE_SIZE - 1, 'h');
    for (const std::string &help : {std::string(), std::string("Missing Help.md"), std::string("Folder.md"), longName}) {
        requests.clear();
        std::snprintf(ToolConfig.helpFile, sizeof ToolConfig.helpFile, "%s", help.c_str());
        EXPECT_TRUE(DispatchCommand(ID_HELP));
        EXPECT_EQ(requests, std::vector<std::string>{"Application Settings|" +
                                                     (help.empty() ? "Help is not available!"
                                                                   : "Cannot open file " + help + "!")});
        EXPECT_FALSE(Asleep());
    }
    EXPECT_EQ(RunningProcessCount(), 0);
    EXPECT_EQ(Log(), "");
}

// A path that a shell would split or run: one argument. While the viewer is open
// the window sleeps and takes no input; Help works again once it woke.
TEST_F(HelpTest, TheViewerGetsThePathAsOneArgumentWhileTheWindowSleeps)
{
    UseViewer(true);
    const std::string name = "Star field; touch RAN $(touch RAN2) `touch RAN3` & *.md";
    SetHelpDocument(name);
    EXPECT_TRUE(DispatchCommand(ID_HELP));
    EXPECT_EQ(helpDoneId, ID_HELP_DONE);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(MUI_SimulateInput(cancelButton));
    EXPECT_FALSE(AwaitReturnId(ID_HELP_DONE, 200));
    EXPECT_TRUE(Asleep());

    WriteFileBytes(dir_.file("release"), "");  // from now on the viewer ends at once
    for (int round = 0; round < 2; ++round) {
        if (round > 0) {
            ASSERT_TRUE(MUI_SimulateInput(helpButton));
            ASSERT_TRUE(AwaitReturnId(ID_HELP));
            EXPECT_TRUE(DispatchCommand(ID_HELP));
        }
        ASSERT_TRUE(AwaitReturnId(ID_HELP_DONE));
        EXPECT_TRUE(Asleep()) << "until the loop handles ID_HELP_DONE";
        EXPECT_TRUE(DispatchCommand(ID_HELP_DONE));
        EXPECT_FALSE(Asleep());
    }
    EXPECT_EQ(Log(), "1\n" + name + "\n1\n" + name + "\n");
    EXPECT_TRUE(requests.empty());
    for (const char *ran : {"RAN", "RAN2", "RAN3"}) {
        EXPECT_NE(access(ran, F_OK), 0) << ran;
    }
}

// A viewer that is missing, and a help process that cannot start.
TEST_F(HelpTest, TheWindowWakesWhenTheViewerCannotRun)
{
    SetHelpDocument();
    viewer_.emplace("SETTINGS_VIEWER", dir_.file("no-such-viewer"));
    HelpCommand();
    ASSERT_TRUE(AwaitReturnId(ID_HELP_DONE));
    DispatchCommand(ID_HELP_DONE);
    EXPECT_FALSE(Asleep());

    UseViewer(false);
    DosFailProcessCreation(true);
    HelpCommand();
    EXPECT_FALSE(Asleep());
    DosFailProcessCreation(false);
    EXPECT_FALSE(AwaitReturnId(ID_HELP_DONE, 200));
    EXPECT_EQ(Log(), "");
    EXPECT_TRUE(requests.empty());
}

// The loop has ended another way: shutdown releases the help process and
// disposes of the application while the viewer is still open.
TEST_F(HelpTest, AfterReleaseTheViewerEndingPostsNothing)
{
    UseViewer(true);
    SetHelpDocument();
    HelpCommand();
    EXPECT_TRUE(Asleep());
    Shutdown(0);
    EXPECT_EQ(app, nullptr);
    WriteFileBytes(dir_.file("release"), "");
    EXPECT_TRUE(WaitForProcesses(10000));  // the late post touches nothing
    EXPECT_EQ(Log(), "1\nStarfield.md\n");
}

}  // namespace
