#include "app/libraries_setup.h"

#include <cstdio>
#include <cstring>

#include "app/command_line.h"
#include "app/command_line_modes.h"
#include "gui/help_viewer.h"
#include "gui/window_layout.h"
#include "platform/libraries.h"
#include "platform/locale.h"
#include "platform/message_requester.h"
#include "platform/qt_display.h"
#include "platform/toolkit/toolkit.h"
#include "text/strings.h"

namespace {

constexpr int ERROR_BODY_SIZE = 512;
constexpr int LOCALE_ROW = 4;

struct LibraryRow {
    const char *name;
    std::uint32_t minimumVersion;
    Library **base;
    Interface **iface;
};

// The open order.
const LibraryRow kLibraries[] = {
    {"dos.library", 39, &DOSBase, &IDOS},           {"intuition.library", 39, &IntuitionBase, &IIntuition},
    {"graphics.library", 39, &GfxBase, &IGraphics}, {"locale.library", 39, &LocaleBase, &ILocale},
    {"icon.library", 39, &IconBase, &IIcon},        {"muimaster.library", 19, &MUIMasterBase, &IMUIMaster},
    {"asl.library", 39, &AslBase, &IAsl},
};

// The release order: not the reverse of the open order.
const LibraryRow *const kReleaseOrder[] = {
    &kLibraries[5], &kLibraries[6], &kLibraries[4], &kLibraries[3], &kLibraries[1], &kLibraries[0], &kLibraries[2],
};

void CloseCatalogAndLocale()
{
    if (catalogHandle != nullptr) {
        CloseCatalog(catalogHandle);
        catalogHandle = nullptr;
    }
    if (localeHandle != nullptr) {
        CloseLocale(localeHandle);
        localeHandle = nullptr;
    }
}

void ReleaseLibraries()
{
    for (const LibraryRow *row : kReleaseOrder) {
        if (*row->iface != nullptr) {
            DropInterface(*row->iface);
            *row->iface = nullptr;
        }
        if (*row->base != nullptr) {
            CloseLibrary(*row->base);
            *row->base = nullptr;
        }
    }
}

}  // namespace

int OpenLibraries()
{
    UseQtDisplay();
    int row = 0;
    for (const LibraryRow &library : kLibraries) {
        ++row;
        std::snprintf(scratchBuffer, sizeof scratchBuffer, "%s", library.name);
        *library.base = OpenLibrary(scratchBuffer, library.minimumVersion);
        if (*library.base == nullptr) {
            return 1;
        }
        *library.iface = GetInterface(*library.base, "main", 1, nullptr);
        if (*library.iface == nullptr) {
            return 1;
        }
        if (row == LOCALE_ROW) {
            static const TagItem noTags[] = {{TAG_DONE, 0}};
            localeHandle = OpenLocale(nullptr);
            catalogHandle = OpenCatalog(localeHandle, "Vellumine/Settings.catalog", noTags);
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
        char message[ERROR_BODY_SIZE];
        std::snprintf(
            message, sizeof message,
            GetString(display.kind == DisplayFault::NotSet ? MSG_ERR_DISPLAY_NOT_SET : MSG_ERR_DISPLAY_CANNOT_OPEN),
            display.name.c_str());
        std::fprintf(stderr, "%s: %s\n", ProgramName(), message);
        ReleaseCatalog();
    }
    CloseCatalogAndLocale();
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
    CloseCatalogAndLocale();
    ReleaseLibraries();
    failureCode = 0;
}
