#include "window/libraries_setup.h"

#include <cstdio>
#include <cstring>

#include "gui/help_viewer.h"
#include "gui/window_layout.h"
#include "platform/qt/message_requester.h"
#include "platform/qt/qt_display.h"
#include "platform/system/libraries.h"
#include "platform/system/locale.h"
#include "platform/toolkit/toolkit.h"
#include "program/program.h"
#include "program/services.h"
#include "text/strings.h"

namespace {

constexpr int ERROR_BODY_SIZE = 512;

}  // namespace

int OpenLibraries()
{
    UseQtDisplay();
    for (const LibraryRow &library : LIBRARIES) {
        std::snprintf(scratchBuffer, sizeof scratchBuffer, "%s", library.name);
        // locale.library and the catalog may be open already, for the arguments' messages.
        if (!OpenLibraryRow(library)) {
            return 1;
        }
        if (&library == &LIBRARIES[LOCALE_LIBRARY_ROW]) {
            OpenMessageCatalog();
        }
    }
    return 0;
}

void Shutdown(int code)
{
    // A help process still showing the document must not post to what goes next.
    ReleaseHelpViewer();
    if (app != nullptr) {
        MUI_DisposeObject(app);
        app = nullptr;
    }
    // No display to open a window on: said on standard error, in the user's language.
    const DisplayFault display = LastDisplayFault();
    const bool noDisplay = code == 1 && IIntuition == nullptr && display.kind != DisplayFault::None;
    if (noDisplay) {
        OpenMessageCatalog();  // the display comes before the locale in the open order
        const std::string message =
            FormatText(display.kind == DisplayFault::NotSet ? MSG_ERR_DISPLAY_NOT_SET : MSG_ERR_DISPLAY_CANNOT_OPEN,
                       display.name.c_str());
        std::fprintf(stderr, "%s: %s\n", ProgramName(), message.c_str());
    }
    CloseMessageCatalog();
    if (code == 1 && !noDisplay) {
        ShowError(GetString(MSG_ERR_OPEN_LIBRARY), scratchBuffer);
    } else if (code == 2) {
        ShowError(GetString(MSG_ERR_CREATE_APP), nullptr);
    }
    ReleaseLibraries();
}

int ShowError(const char *format, const char *arg)
{
    char body[ERROR_BODY_SIZE];
    if (format == nullptr) {
        format = "";
    }
    if (arg != nullptr) {
        std::snprintf(body, sizeof body, format, arg);
    } else {
        std::snprintf(body, sizeof body, "%s", format);
    }
    EasyStruct easyStruct = {
        28, 0, GetString(MSG_REQ_TITLE), body, GetString(MSG_REQ_OK), nullptr, nullptr,
    };
    if (IIntuition == nullptr) {
        // No display to show a requester on: the message goes to standard error.
        WriteRequestToStderr(easyStruct.es_Title, body);
        return 0;
    }
    return EasyRequestArgs(nullptr, &easyStruct, nullptr, nullptr, 0);
}

void ResetLibraryState()
{
    CloseMessageCatalog();
    ReleaseLibraries();
    failureCode = 0;
}
