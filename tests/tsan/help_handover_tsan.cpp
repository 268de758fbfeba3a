// The help process posts ID_HELP_DONE to the application from its own thread
// while the loop waits for input; run under ThreadSanitizer. Exits 0 when every
// round went through, 1 on a failed check (ThreadSanitizer ends it with 66 on a race).
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "gui/command_loop.h"
#include "gui/help_viewer.h"
#include "gui/window_layout.h"
#include "platform/dos.h"
#include "platform/toolkit/toolkit.h"
#include "settings/tool_config.h"
#include "state/program_state.h"
#include "text/strings.h"

// What the help command uses of the rest of the program.
Object *app = nullptr;
Object *mainWindow = nullptr;
char scratchBuffer[SCRATCH_BUFFER_SIZE];
char windowTitle[WINDOW_TITLE_SIZE] = "Handover Settings";
ToolConfigRecord ToolConfig;

const char *GetString(std::int32_t id)
{
    switch (id) {
    case MSG_REQ_OK:
        return "OK";
    case MSG_ERR_OPEN_FILE:
        return "Cannot open file %s!";
    default:
        return "Help is not available!";
    }
}

namespace {

int failures = 0;

void Check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "FAILED: %s\n", what);
        ++failures;
    }
}

bool Asleep()
{
    IPTR sleep = 0;
    GetAttr(MUIA_Window_Sleep, mainWindow, &sleep);
    return sleep != 0;
}

// The command loop's shape, until ID_HELP_DONE has been handled.
void RunUntilHelpDone()
{
    for (;;) {
        std::uint32_t signalSet = 0;
        auto id = static_cast<std::int32_t>(DoMethod(app, MUIM_Application_NewInput, &signalSet));
        if (id == ID_HELP_DONE) {
            HelpDoneCommand();
            return;
        }
        if (signalSet != 0) {
            Wait(signalSet);
        }
    }
}

void WriteScript(const std::string &path, const std::string &body)
{
    FILE *file = std::fopen(path.c_str(), "w");
    std::fprintf(file, "#!/bin/sh\n%s\n", body.c_str());
    std::fclose(file);
    chmod(path.c_str(), 0755);
}

}  // namespace

int main(int argc, char **argv)
{
    char pattern[] = "/tmp/tsan-help-XXXXXX";
    const std::string dir = mkdtemp(pattern);
    setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    QApplication application(argc, argv);

    Object *text = MUI_NewObject(MUIC_Text, MUIA_Text_Contents, "help", TAG_DONE);
    Object *group = MUI_NewObject(MUIC_Group, MUIA_Group_Child, text, TAG_DONE);
    mainWindow = MUI_NewObject(MUIC_Window, MUIA_Window_Title, windowTitle, MUIA_Window_RootObject, group, TAG_DONE);
    app = MUI_NewObject(MUIC_Application, MUIA_Application_Title, "Handover", MUIA_Application_Base, "HANDOVER",
                        MUIA_Application_Window, mainWindow, TAG_DONE);
    if (app == nullptr) {
        std::fprintf(stderr, "FAILED: no application object\n");
        return 1;
    }
    SetAttrs(mainWindow, MUIA_Window_Open, 1, TAG_DONE);

    const std::string help = dir + "/Help file.md";
    WriteScript(help, "# Help");
    std::snprintf(ToolConfig.helpFile, sizeof ToolConfig.helpFile, "%s", help.c_str());

    // A viewer that ends at once: the post races with the loop's waiting.
    WriteScript(dir + "/quick.sh", "exit 0");
    setenv("SETTINGS_VIEWER", (dir + "/quick.sh").c_str(), 1);
    for (int round = 0; round < 40; ++round) {
        HelpCommand();
        Check(Asleep(), "the window sleeps while the viewer runs");
        RunUntilHelpDone();
        Check(!Asleep(), "ID_HELP_DONE wakes the window");
    }

    // Released while the viewer ends: the post is made or dropped, never torn.
    for (int round = 0; round < 20; ++round) {
        HelpCommand();
        ReleaseHelpViewer();
        Check(WaitForProcesses(30000), "the help process ends");
        HelpDoneCommand();
        std::uint32_t signalSet = 0;
        while (DoMethod(app, MUIM_Application_NewInput, &signalSet) != 0) {
        }
    }

    // The application disposed of while the viewer is still open.
    WriteScript(dir + "/held.sh", "while [ ! -e '" + dir + "/release' ]; do sleep 0.01; done");
    setenv("SETTINGS_VIEWER", (dir + "/held.sh").c_str(), 1);
    HelpCommand();
    ReleaseHelpViewer();
    MUI_DisposeObject(app);
    app = nullptr;
    mainWindow = nullptr;
    WriteScript(dir + "/release", "");
    Check(WaitForProcesses(30000), "the held help process ends");

    std::string cleanup = "rm -rf '" + dir + "'";
    Check(std::system(cleanup.c_str()) == 0, "clean up");
    std::printf("%s\n", failures == 0 ? "help hand-over: all rounds passed" : "help hand-over: FAILED");
    return failures == 0 ? 0 : 1;
}
