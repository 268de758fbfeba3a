// The start-up, run and shutdown order of the tool.
#pragma once

#include <string>

// Runs the whole tool; returns the exit value: 0, or 1 when the window cannot
// start. Outside an application's drawer (no Settings.info, no icon of the default
// application's name) the user is asked for one first; when drawerNamed (a folder
// or icon named on the command line), that folder is first said to be none. A
// disk image named alone (image) opens its drawer that holds Settings.info, or the
// one the user chooses among several; one that holds none is said so before the
// chooser asks.
int SettingsMain(bool drawerNamed = true, const std::string &image = {});
