#include <sys/stat.h>

#include <chrono>
#include <filesystem>
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

    // Runs the loop's input handling until id arrives or the time is up.
    static bool AwaitReturnId(IPTR id, int timeoutMs = 10000)
    {
        for (auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
             std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(std::chrono::milliseconds(5))) {
            std::uint32_t sigs = 0;
            if (DoMethod(app, MUIM_Application_NewInput, &sigs) == id) {
                return true;
            }
        }
        return false;
    }

    TempDir dir_;  // the viewer and its log; the drawer is the current folder
    TempDir drawer_;
    ScopedChdir here_{drawer_.path()};
};

// No HELP, a missing file, a folder, a FIFO, the longest path the configuration holds:
// the requester says so and the window stays awake.
TEST_F(HelpTest, WithoutAHelpFileTheRequesterSaysSo)
{
    mkdir("Folder.md", 0755);
    mkfifo("Pipe.md", 0600);
    for (const std::string &help : {std::string(), std::string("Missing Help.md"), std::string("Folder.md"),
                                    std::string("Pipe.md"), std::string(HELP_FILE_SIZE - 1, 'h')}) {
        requests.clear();
        std::snprintf(ToolConfig.helpFile, sizeof ToolConfig.helpFile, "%s", help.c_str());
        EXPECT_TRUE(DispatchCommand(ID_HELP));
        EXPECT_EQ(requests, std::vector<std::string>{
                                "Application Settings|" +
                                (help.empty() ? "Help is not available!" : "Cannot open file " + help + "!")});
        EXPECT_FALSE(Asleep());
    }
}

// The path as one argument (no shell: see the dos tests). While the viewer is
// open the window sleeps and takes no input, and wakes when the loop handles
// ID_HELP_DONE, twice. A viewer that is missing wakes the window through
// ID_HELP_DONE too; a help process that cannot start, at once.
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
        EXPECT_EQ(AwaitReturnId(ID_HELP_DONE, 200), round == 2);  // the missing one posts at once
        WriteFileBytes(dir_.file("release"), "");
        ASSERT_TRUE(round == 2 || AwaitReturnId(ID_HELP_DONE));
        EXPECT_TRUE(Asleep()) << "until the loop handles ID_HELP_DONE";
        EXPECT_TRUE(DispatchCommand(ID_HELP_DONE));
        EXPECT_FALSE(Asleep());
    }
    EXPECT_EQ(ReadFileBytes(dir_.file("log")), "1\n" + name + "\n1\n" + name + "\n");
    DosFailProcessCreation(true);
    HelpCommand();
    EXPECT_FALSE(Asleep());
    EXPECT_FALSE(AwaitReturnId(ID_HELP_DONE, 200));
    EXPECT_TRUE(requests.empty());
}

}  // namespace
