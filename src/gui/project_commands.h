// The commands that meet the icons on disk: Save (which never writes over what
// another program saved meanwhile unless the user says so), Open and Open recent,
// and the window's answer to a change another program makes while it is open.
#pragma once

#include <string>

struct Object;

// The drawer the window is to be opened on next: set when Open or Open recent
// ends the command loop, taken (and cleared) by the start-up.
extern std::string drawerToOpen;

// Shows the folder chooser over window (null: none) until a drawer holding
// Settings.info is chosen (true, its path in chosen, or the argument naming a
// drawer in a disk image chosen there) or it is cancelled; a folder without one is
// said so and the chooser comes back, and so does it after an image that holds
// none or whose requester was cancelled. With tellHere the current folder is
// first said to be none. Over the window it opens beside the drawer open (its
// image's folder for one in an image), else beside the drawer used last.
bool ChooseDrawer(Object *window, std::string &chosen, bool tellHere = false);

enum class ImageChoice { Chosen, None, Cancelled };
// The drawer of a disk image to open: its one drawer that holds Settings.info,
// or the one chosen in a requester that lists them (Chosen, its argument in
// argument). An image that holds none, or cannot be read, is said so (None);
// Cancel in the requester gives Cancelled.
ImageChoice ChooseImageDrawer(Object *window, const std::string &image, std::string &argument);

// Saves; true when every icon found was written. When another program saved
// other settings since the window read them, asks first: save over them, reload
// them into the window, or cancel (the default). Where --save would refuse (an
// icon it reads there but unreadable, a name too long), writes nothing and says
// why. Icons that were not written are named with why, and the window stays open,
// keeping the user's edits.
bool SaveCommand();

// True when the window's settings may be left: nothing unsaved, or the user
// saved them or chose to discard them (Cancel, the default, keeps the window).
bool MayLeaveSettings();

// Open...: true when the command loop must end for drawerToOpen, after unsaved
// changes were saved or discarded and a drawer was chosen.
bool OpenCommand();
// Open recent: the same for the index-th recent drawer.
bool OpenRecentCommand(int index);

// The drawer the window is on (a folder, or a drawer in a disk image by its
// argument) goes first among the recent drawers; Project > Open recent lists the
// others, numbered.
void ShowRecentDrawers();
// Watches the drawer and the icons the settings may be read from for ID_STORED_CHANGED.
void WatchStoredSettings();
// The icon changed on disk: without unsaved changes the window shows what it holds
// now and says so; with them the values stay and the line says Save will ask.
void StoredChangedCommand();
