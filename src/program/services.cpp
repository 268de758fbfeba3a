#include "program/services.h"

#include "platform/system/libraries.h"
#include "platform/system/locale.h"
#include "state/program_state.h"
#include "text/strings.h"

const LibraryRow LIBRARIES[7] = {
    {"dos.library", 39, &DOSBase, &IDOS},           {"intuition.library", 39, &IntuitionBase, &IIntuition},
    {"graphics.library", 39, &GfxBase, &IGraphics}, {"locale.library", 39, &LocaleBase, &ILocale},
    {"icon.library", 39, &IconBase, &IIcon},        {"muimaster.library", 19, &MUIMasterBase, &IMUIMaster},
    {"asl.library", 39, &AslBase, &IAsl},
};

namespace {

// The release order: not the reverse of the open order.
const LibraryRow *const kReleaseOrder[] = {
    &LIBRARIES[5], &LIBRARIES[6], &LIBRARIES[4], &LIBRARIES[3], &LIBRARIES[1], &LIBRARIES[0], &LIBRARIES[2],
};

bool catalogOpen = false;

}  // namespace

bool OpenLibraryRow(const LibraryRow &row)
{
    if (*row.base == nullptr) {
        *row.base = OpenLibrary(row.name, row.minimumVersion);
    }
    if (*row.base != nullptr && *row.iface == nullptr) {
        *row.iface = GetInterface(*row.base, "main", 1, nullptr);
    }
    return *row.base != nullptr && *row.iface != nullptr;
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

void OpenMessageCatalog()
{
    static const TagItem noTags[] = {{TAG_DONE, 0}};
    if (catalogOpen || !OpenLibraryRow(LIBRARIES[LOCALE_LIBRARY_ROW])) {
        return;
    }
    catalogOpen = true;
    localeHandle = OpenLocale(nullptr);
    catalogHandle = OpenCatalog(localeHandle, "Vellumine/Settings.catalog", noTags);
}

void CloseMessageCatalog()
{
    catalogOpen = false;
    if (catalogHandle != nullptr) {
        CloseCatalog(catalogHandle);
        catalogHandle = nullptr;
    }
    if (localeHandle != nullptr) {
        CloseLocale(localeHandle);
        localeHandle = nullptr;
    }
}
