// exec's library calls over the program's seven services: files and processes
// (dos), the display connection (intuition), the display database (graphics),
// locales and catalogs (locale), the icon store (icon), the widget toolkit
// (muimaster) and the screen mode requester (asl).
//
// Test controls, read from the environment at each OpenLibrary/GetInterface in
// builds made for tests (SETTINGS_TEST_SWITCHES):
//   SETTINGS_FAIL_LIBRARY=icon.library[,...]      that library does not open
//   SETTINGS_FAIL_INTERFACE=asl.library[,...]     its "main" interface cannot be had
//   SETTINGS_LIBRARY_VERSION=muimaster.library:18[,...]  it reports that version
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/system/tags.h"

struct Library {
    const char *lib_Name;
    std::uint16_t lib_Version;
    std::uint16_t lib_Revision;
    std::int32_t lib_OpenCnt;
};

struct Interface {
    Library *base;
    const char *name;
    std::uint32_t version;
    std::int32_t refCount;
};

// The library of that name in at least that version, or null when it is
// unknown, fails to open, or is older. Opening intuition.library connects to
// the display through the display connection, and fails without one.
Library *OpenLibrary(const char *name, std::uint32_t version);
// The named interface ("main", version 1) of an open library, or null.
Interface *GetInterface(Library *base, const char *name, std::uint32_t version, const TagItem *tags);
void DropInterface(Interface *iface);
void CloseLibrary(Library *base);

// How intuition.library connects to the display when it is first opened (false:
// it does not open) and lets it go when it is last closed: the window's own
// (platform/qt_display.h). The command line has none.
void SetDisplayConnection(bool (*connect)(), void (*disconnect)());

#ifdef SETTINGS_TEST_SWITCHES
// Record of the calls, one entry each: "open dos.library 39", "open-failed
// icon.library 39", "get dos.library", "get-failed asl.library", "drop
// dos.library", "close dos.library".
const std::vector<std::string> &LibraryCallLog();
void ClearLibraryCallLog();
// How many libraries and interfaces are open now (for tests).
int OpenLibraryCount();
int OpenInterfaceCount();
#endif
