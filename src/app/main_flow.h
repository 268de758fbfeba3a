// The start-up, run and shutdown order of the tool.
#pragma once

// Runs the whole tool; returns the exit value, 0 on every path.
int SettingsMain();
