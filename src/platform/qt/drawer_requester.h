// The drawer requester: the desktop's folder chooser (the platform's own where it
// has one), modal over a window; and the drawers the program worked on last.
#pragma once

#include <string>
#include <vector>

#include "platform/system/tags.h"

// Asks for a folder, starting in start; parent is a window's MUIA_Window_Window (0:
// none). Returns true with the folder's absolute path in chosen, false when the
// user cancelled or no chooser can be shown.
bool RequestDrawer(IPTR parent, const char *title, const std::string &start, std::string &chosen);

constexpr int RECENT_DRAWER_COUNT = 8;

// The drawers worked on last, the latest first, at most RECENT_DRAWER_COUNT; those
// that are no longer folders are left out. Kept in recent.ini of the program's
// folder under the user's configuration folder.
std::vector<std::string> RecentDrawers();
// Puts the folder (an absolute path) first in the list.
void RememberDrawer(const std::string &folder);
