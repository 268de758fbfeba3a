// The commands that meet the icons on disk: Save (which never writes over what
// another program saved meanwhile unless the user says so), Open and Open recent,
// and the window's answer to a change another program makes while it is open.
#pragma once

#include <string>

struct Object;

// The drawer the window is to be opened on next: set when Open or Open recent
// ends the command loop, taken (and cleared) by the start-up.
extern std::string drawerToOpen;

// Shows the desktop's folder chooser over window (null: none) until a drawer
// holding Settings.info is chosen (true, its path in chosen) or it is cancelled;
// a folder without one is said so and the chooser comes back.
bool ChooseDrawer(Object *window, std::string &chosen);

// Saves; true when every icon found was written. When another program saved
// other settings since the window read them, asks first: save over them, reload
// them into the window, or cancel. Icons that were not written are named with why,
// and the window stays open, keeping the user's edits.
bool SaveCommand();

// Open...: true when the command loop must end for drawerToOpen, after unsaved
// changes were saved or discarded and a drawer was chosen.
bool OpenCommand();
// Open recent: the same for the index-th recent drawer.
bool OpenRecentCommand(int index);

// The drawer the window is on goes first among the recent drawers, which
// Project > Open recent lists.
void ShowRecentDrawers();
// Watches the application's icon and its drawer for ID_STORED_CHANGED.
void WatchStoredSettings();
// The icon changed on disk: without unsaved changes the window shows what it holds
// now and says so; with them the values stay (Save will ask).
void StoredChangedCommand();
