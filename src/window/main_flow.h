// The start-up, run and shutdown order of the tool.
#pragma once

// Runs the whole tool; returns the exit value: 0, or 1 when the window cannot
// start. askForDrawer: no drawer was named, so outside an application's drawer
// (no Settings.info) the user is asked for one first.
int SettingsMain(bool askForDrawer = false);
