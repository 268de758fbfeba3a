// The icons overview: a window listing each icon Save writes, in its order, with
// its role, the file found, its kind, whether it can be written (and why not) and
// the settings it holds where they differ from the application's.
#pragma once

struct Object;

// The overview window; null until built and after the tree is disposed of.
extern Object *iconsWindow;

// The window, with the window's title and a row for each icon Save writes; null
// when an object could not be made. BuildSettingsWindow gives it to the application.
Object *BuildIconsWindow();

// Its close gadget, Escape and its Close button return ID_ICONS_CLOSE.
void InstallIconsNotifications();

// Fills the rows from the icons as they are now and opens the window.
void ShowIconsOverview();
void CloseIconsOverview();
