// The help process posts ID_HELP_DONE to the application from its own thread:
// while the loop waits for input, while the post target is released, and after
// the application is gone. Run under ThreadSanitizer, which ends it with 66 on
// a race; 1 when a help process does not end.
#include <sys/stat.h>

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "gui/command_loop.h"
#include "gui/help_viewer.h"
#include "gui/notice.h"
#include "gui/window_layout.h"
#include "platform/icons/image_drawer.h"
#include "platform/system/dos.h"
#include "platform/toolkit/toolkit.h"
#include "settings/tool_config.h"
#include "state/program_state.h"
#include "text/icon_problem_text.h"
#include "text/line_text.h"
#include "text/strings.h"

// What the help command uses of the rest of the program.
Object *app = nullptr;
Object *mainWindow = nullptr;
char scratchBuffer[SCRATCH_BUFFER_SIZE];
char windowTitle[WINDOW_TITLE_SIZE] = "Handover Settings";
ToolConfigRecord ToolConfig;

const ImageDrawerPlace *CurrentImageDrawer()
{
    return nullptr;
}
bool ReadImageDrawerFile(const char *, std::size_t, std::string &)
{
    return false;
}

const char *GetString(std::int32_t)
{
    return "%s";
}
const char *SystemErrorText(int)
{
    return "";
}
std::string PathLineText(std::string_view path)
{
    return std::string(path);
}
void ShowHelpWaiting(bool) {}

int main(int argc, char **argv)
{
    char pattern[] = "/tmp/tsan-help-XXXXXX";
    const std::string dir = mkdtemp(pattern);
    setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    QApplication application(argc, argv);
    Object *group = MUI_NewObject(MUIC_Group, MUIA_Group_Child, MUI_NewObject(MUIC_Text, TAG_DONE), TAG_DONE);
    mainWindow = MUI_NewObject(MUIC_Window, MUIA_Window_Title, windowTitle, MUIA_Window_RootObject, group, TAG_DONE);
    app = MUI_NewObject(MUIC_Application, MUIA_Application_Title, "Handover", MUIA_Application_Base, "HANDOVER",
                        MUIA_Application_Window, mainWindow, TAG_DONE);
    SetAttrs(mainWindow, MUIA_Window_Open, 1, TAG_DONE);
    // A viewer that ends at once, one that waits for "release", and the help document.
    std::ofstream(dir + "/quick.sh") << "#!/bin/sh\n";
    std::ofstream(dir + "/held.sh") << "#!/bin/sh\nwhile [ ! -e '" << dir << "/release' ]; do sleep 0.01; done\n";
    chmod((dir + "/quick.sh").c_str(), 0755);
    chmod((dir + "/held.sh").c_str(), 0755);
    std::ofstream(dir + "/Help file.md") << "# Help\n";
    std::snprintf(ToolConfig.helpFile, sizeof ToolConfig.helpFile, "%s/Help file.md", dir.c_str());
    setenv("SETTINGS_VIEWER", (dir + "/quick.sh").c_str(), 1);

    // A viewer that ends at once: its post races with the loop's waiting for
    // input, every third round with the release of the post target.
    bool ended = app != nullptr;
    for (int round = 0; ended && round < 60; ++round) {
        HelpCommand();
        if (round % 3 == 2) {
            ReleaseHelpViewer();
            ended = WaitForProcesses(30000);
        }
        for (std::uint32_t signalSet = 0;;) {
            const IPTR id = DoMethod(app, MUIM_Application_NewInput, &signalSet);
            if (id == ID_HELP_DONE || (id == 0 && round % 3 == 2)) {
                break;
            }
            Wait(signalSet);
        }
        HelpDoneCommand();
    }

    // The application disposed of while the viewer is still open.
    setenv("SETTINGS_VIEWER", (dir + "/held.sh").c_str(), 1);
    HelpCommand();
    ReleaseHelpViewer();
    MUI_DisposeObject(app);
    std::ofstream(dir + "/release");
    ended = ended && WaitForProcesses(30000);
    std::filesystem::remove_all(dir);
    std::printf("help hand-over: %s\n", ended ? "all rounds passed" : "a help process did not end");
    return ended ? 0 : 1;
}
