// The drawer requester: Qt's folder chooser, modal over a window, which marks the
// drawers that hold the tool's icon and offers disk images too; the requester that
// lists a disk image's drawers to choose from; and the drawers the program worked
// on last.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/system/tags.h"

// What the chooser shows: its texts (UTF-8) and the test that marks a drawer.
struct DrawerChooser {
    const char *title;
    const char *drawerType;                     // the type named for a marked drawer
    const char *imageType;                      // the type named for a disk image
    const char *filter;                         // what the listing holds: folders and disk images
    bool (*marked)(const std::string &folder);  // called on the chooser's own thread too
};

// Asks for a drawer or a disk image (ADF, HDF), opening in folder with the entry
// select (a name in folder, empty: none) selected; parent is a window's
// MUIA_Window_Window (0: none). Returns true with the absolute path of the folder
// or image in chosen, false when the user cancelled or no chooser can be shown.
// Nothing of the chooser is kept under the user's configuration folder.
bool RequestDrawer(IPTR parent, const DrawerChooser &chooser, const std::string &folder, const std::string &select,
                   std::string &chosen);

// Asks for one of rows (each a row of cells, UTF-8, under headers) with text
// above them; Return or OK takes the selected row, Escape or Cancel none.
// Returns the row's index, -1 when cancelled or nothing can be shown.
int RequestRow(IPTR parent, const char *title, const char *text, const std::vector<std::string> &headers,
               const std::vector<std::vector<std::string>> &rows, const char *okLabel, const char *cancelLabel);

#ifdef SETTINGS_TEST_SWITCHES
// Answers RequestRow without showing it (the hook gets its text and rows and
// returns the index chosen); null restores the real requester.
using RowRequestHook = std::function<int(const char *text, const std::vector<std::vector<std::string>> &rows)>;
void SetRowRequestHook(RowRequestHook hook);
#endif

// Open recent lists this many drawers besides the one open.
constexpr int RECENT_DRAWER_COUNT = 8;
// The list keeps the one open too.
constexpr int RECENT_DRAWERS_KEPT = RECENT_DRAWER_COUNT + 1;

// The drawers worked on last, the latest first, at most RECENT_DRAWERS_KEPT: each
// a folder's absolute path or the argument that names a drawer in a disk image
// (image_drawer.h); folders and images that are gone are left out. Kept in
// recent.ini of the program's folder under the user's configuration folder.
std::vector<std::string> RecentDrawers();
// Puts the drawer (an absolute path, or an image drawer's argument) first.
void RememberDrawer(const std::string &drawer);
