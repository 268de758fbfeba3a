#include "gui/help_viewer.h"

#include <climits>
#include <cstdio>
#include <mutex>

#include "gui/command_loop.h"
#include "gui/window_layout.h"
#include "platform/formats/charset.h"
#include "platform/system/dos.h"
#include "platform/toolkit/toolkit.h"
#include "settings/tool_config.h"
#include "state/program_state.h"
#include "text/strings.h"

namespace {

constexpr const char *HELP_PROCESS_NAME = "Vellumine Settings subtask";
constexpr IPTR HELP_STACK_SIZE = 16384;

// The viewer and the document the help process hands to it: written before
// the process starts, read by it only.
char helpViewer[PATH_MAX];
bool helpViewerFound = false;
char helpDocument[HELP_FILE_SIZE];

// The application the help process posts to; null once it must post nothing.
std::mutex helpPostLock;
Object *helpPostTarget = nullptr;
// Set by the help process, under helpPostLock, when the viewer was not found,
// could not be run or failed: the window says so when it wakes.
bool helpViewerFailed = false;

void ShowHelpMessage(const char *text)
{
    MUI_Request(app, mainWindow, 0, windowTitle, GetString(MSG_REQ_OK), "%s", text);
}

}  // namespace

void HelpCommand()
{
    if (ToolConfig.helpFile[0] == '\0') {
        ShowHelpMessage(GetString(MSG_ERR_NO_HELP));
        return;
    }
    BPTR file = Open(ToolConfig.helpFile, MODE_OLDFILE);
    if (file == 0) {
        ShowHelpMessage(FormatText(MSG_ERR_OPEN_FILE, Latin1ToUtf8(ToolConfig.helpFile).c_str()).c_str());
        return;
    }
    Close(file);

    SetAttrs(mainWindow, MUIA_Window_Sleep, 1, TAG_DONE);
    helpViewerFound = FindViewerProgram(helpViewer, sizeof helpViewer);
    std::snprintf(helpDocument, sizeof helpDocument, "%s", ToolConfig.helpFile);
    {
        std::lock_guard<std::mutex> guard(helpPostLock);
        helpPostTarget = app;
    }
    if (StartHelpViewer() == nullptr) {
        // Nothing will post ID_HELP_DONE: wake the window at once, and say why.
        ReleaseHelpViewer();
        {
            std::lock_guard<std::mutex> guard(helpPostLock);
            helpViewerFailed = true;
        }
        HelpDoneCommand();
    }
}

void HelpDoneCommand()
{
    SetAttrs(mainWindow, MUIA_Window_Sleep, 0, TAG_DONE);
    bool failed = false;
    {
        std::lock_guard<std::mutex> guard(helpPostLock);
        failed = helpViewerFailed;
        helpViewerFailed = false;
    }
    if (failed) {
        ShowHelpMessage(FormatText(MSG_ERR_VIEWER, helpViewerFound ? helpViewer : "SettingsViewer").c_str());
    }
}

Process *StartHelpViewer()
{
    return CreateNewProcTags(NP_Entry, HelpViewerProcess, NP_Name, HELP_PROCESS_NAME, NP_StackSize, HELP_STACK_SIZE,
                             TAG_DONE);
}

void HelpViewerProcess()
{
    bool failed = !helpViewerFound;
    if (failed) {
        std::fprintf(stderr, "Settings: the document viewer SettingsViewer was not found\n");
    } else if (RunProgram(helpViewer, helpDocument) < 0) {
        std::fprintf(stderr, "Settings: the document viewer %s could not be run\n", helpViewer);
        failed = true;
    }

    std::lock_guard<std::mutex> guard(helpPostLock);
    helpViewerFailed = failed;
    if (helpPostTarget != nullptr) {
        DoMethod(helpPostTarget, MUIM_Application_ReturnID, ID_HELP_DONE);
        helpPostTarget = nullptr;
    }
}

void ReleaseHelpViewer()
{
    std::lock_guard<std::mutex> guard(helpPostLock);
    helpPostTarget = nullptr;
}
