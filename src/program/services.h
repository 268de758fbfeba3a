// The platform's services a run opens, and the one owner of the tool's catalog:
// whichever program runs, the catalog is opened once and closed once.
#pragma once

#include <cstdint>

struct Library;
struct Interface;

// A platform library and where its base and main interface are kept.
struct LibraryRow {
    const char *name;
    std::uint32_t minimumVersion;
    Library **base;
    Interface **iface;
};

// The libraries in the order the window opens them (locale.library the fourth).
extern const LibraryRow LIBRARIES[7];
constexpr int LOCALE_LIBRARY_ROW = 3;

// Opens the row's library and its main interface, each unless it is open already
// (locale.library may be, for the catalog). False at the first that cannot be had.
bool OpenLibraryRow(const LibraryRow &row);

// Releases every library that is open, each interface before its library, in
// the release order (not the reverse of the open order): muimaster, asl, icon,
// locale, intuition, dos, graphics.
void ReleaseLibraries();

// The user's locale and the tool's catalog, once in a run: opens locale.library
// first when it is not open (the command line opens no other library), then the
// locale and the catalog. Does nothing while they are open.
void OpenMessageCatalog();

// Closes the catalog and the locale (not locale.library: ReleaseLibraries does).
// Does nothing while they are not open.
void CloseMessageCatalog();
