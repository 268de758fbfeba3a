#include "gui/help_viewer.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>
#include <unistd.h>

#include "gui/command_loop.h"
#include "gui/notice.h"
#include "gui/window_layout.h"
#include "platform/formats/charset.h"
#include "platform/icons/image_drawer.h"
#include "platform/system/dos.h"
#include "platform/toolkit/toolkit.h"
#include "settings/tool_config.h"
#include "state/program_state.h"
#include "text/icon_problem_text.h"
#include "text/line_text.h"
#include "text/strings.h"

namespace {

constexpr const char *HELP_PROCESS_NAME = "Vellumine Settings subtask";
constexpr IPTR HELP_STACK_SIZE = 16384;
// The viewer's exit status for a document it refused, after saying why itself.
constexpr int VIEWER_REFUSED = 1;

// What became of the viewer.
enum class ViewerOutcome { Closed, NotStarted, EndedUnexpectedly };

// The viewer and the document the help process hands to it: written before
// the process starts, read by it only.
char helpViewer[PATH_MAX];
bool helpViewerFound = false;
char helpDocument[PATH_MAX];
// A document read out of a disk image for the viewer: its folder, removed once the
// viewer has ended (empty when the document is the drawer's own file).
char helpCopyFolder[PATH_MAX];

void RemoveHelpCopy();

// The help document of a drawer in a disk image, copied under its own name into a
// new folder of the user's temporary files, for the viewer. False when it cannot be.
bool CopyHelpFromImage()
{
    std::string bytes;
    const char *folder = std::getenv("XDG_RUNTIME_DIR");
    std::snprintf(helpCopyFolder, sizeof helpCopyFolder, "%s/vellumine-settings-help-XXXXXX",
                  folder != nullptr && folder[0] == '/' ? folder : "/tmp");
    const char *name = std::strrchr(ToolConfig.helpFile, '/');
    name = name != nullptr ? name + 1 : ToolConfig.helpFile;
    if (!ReadImageDrawerFile(ToolConfig.helpFile, 64u << 20, bytes) || mkdtemp(helpCopyFolder) == nullptr) {
        helpCopyFolder[0] = '\0';
        return false;
    }
    const int length = std::snprintf(helpDocument, sizeof helpDocument, "%s/%s", helpCopyFolder, name);
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof helpDocument) {
        rmdir(helpCopyFolder);
        helpCopyFolder[0] = '\0';
        return false;
    }
    std::ofstream copy(helpDocument, std::ios::binary);
    copy.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    copy.close();
    if (!copy) {
        RemoveHelpCopy();
        return false;
    }
    return true;
}

// The application the help process posts to; null once it must post nothing.
std::mutex helpPostLock;
Object *helpPostTarget = nullptr;
// Set by the help process, under helpPostLock, when the viewer was not found or
// could not be run, or ended by a signal or with an error it did not tell: the
// window says so when it wakes.
ViewerOutcome helpOutcome = ViewerOutcome::Closed;

void RemoveHelpCopy()
{
    if (helpCopyFolder[0] != '\0') {
        unlink(helpDocument);
        rmdir(helpCopyFolder);
        helpCopyFolder[0] = '\0';
    }
}

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
    // A drawer in a disk image: the document is read out of the image.
    const bool inImage = CurrentImageDrawer() != nullptr;
    BPTR file = inImage ? 0 : Open(ToolConfig.helpFile, MODE_OLDFILE);
    const int error = errno;
    if (inImage ? !CopyHelpFromImage() : file == 0) {
        // Which file, and why: the system's reason, or the image's.
        const char *why = inImage ? GetString(MSG_ICON_UNREADABLE) : SystemErrorText(error);
        ShowHelpMessage(
            FormatText(MSG_ERR_OPEN_HELP, PathLineText(Latin1ToUtf8(ToolConfig.helpFile)).c_str(), why).c_str());
        return;
    }
    Close(file);

    SetAttrs(mainWindow, MUIA_Window_Sleep, 1, TAG_DONE);
    ShowHelpWaiting(true);
    helpViewerFound = FindViewerProgram(helpViewer, sizeof helpViewer);
    if (helpCopyFolder[0] == '\0') {
        std::snprintf(helpDocument, sizeof helpDocument, "%s", ToolConfig.helpFile);
    }
    {
        std::lock_guard<std::mutex> guard(helpPostLock);
        helpPostTarget = app;
    }
    if (StartHelpViewer() == nullptr) {
        // Nothing will post ID_HELP_DONE: wake the window at once, and say why.
        ReleaseHelpViewer();
        RemoveHelpCopy();
        {
            std::lock_guard<std::mutex> guard(helpPostLock);
            helpOutcome = ViewerOutcome::NotStarted;
        }
        HelpDoneCommand();
    }
}

void HelpDoneCommand()
{
    SetAttrs(mainWindow, MUIA_Window_Sleep, 0, TAG_DONE);
    ShowHelpWaiting(false);
    ViewerOutcome outcome = ViewerOutcome::Closed;
    {
        std::lock_guard<std::mutex> guard(helpPostLock);
        outcome = helpOutcome;
        helpOutcome = ViewerOutcome::Closed;
    }
    if (outcome == ViewerOutcome::NotStarted) {
        ShowHelpMessage(FormatText(MSG_ERR_VIEWER, helpViewerFound ? helpViewer : "SettingsViewer").c_str());
    } else if (outcome == ViewerOutcome::EndedUnexpectedly) {
        ShowHelpMessage(GetString(MSG_VIEWER_ENDED));
    }
}

Process *StartHelpViewer()
{
    return CreateNewProcTags(NP_Entry, HelpViewerProcess, NP_Name, HELP_PROCESS_NAME, NP_StackSize, HELP_STACK_SIZE,
                             TAG_DONE);
}

void HelpViewerProcess()
{
    ViewerOutcome outcome = ViewerOutcome::Closed;
    const int status = helpViewerFound ? RunProgram(helpViewer, helpDocument) : PROGRAM_NOT_STARTED;
    if (!helpViewerFound) {
        std::fprintf(stderr, "Settings: the document viewer SettingsViewer was not found\n");
        outcome = ViewerOutcome::NotStarted;
    } else if (status == PROGRAM_NOT_STARTED) {
        std::fprintf(stderr, "Settings: the document viewer %s could not be run\n", helpViewer);
        outcome = ViewerOutcome::NotStarted;
    } else if (status == PROGRAM_KILLED || status > VIEWER_REFUSED) {
        std::fprintf(stderr, "Settings: the document viewer %s ended unexpectedly\n", helpViewer);
        outcome = ViewerOutcome::EndedUnexpectedly;
    }

    RemoveHelpCopy();
    std::lock_guard<std::mutex> guard(helpPostLock);
    helpOutcome = outcome;
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
