// The command line's modes without a window: --show prints what the window would
// load and which icons its Save would write; --save applies settings words to the
// loaded settings and writes the icons through the window's own write path.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings_schema.h"

// On standard error, once, when the display answered with no screen and a
// 1920x1080 screen stands in for the host's: what is missing, no display named or
// the one that could not be reached. Call where the screen modes are used, after
// the drawer's own failures are known.
void TellMissingDisplay();

// Checks every word (known, its number well-formed and in range, no two for the
// same setting but FULLSCREEN with MODEID). False, with a message naming the first
// bad word on standard error, when one is not.
bool ParseSettingsWords(const std::vector<std::string> &texts, std::vector<SettingsWord> &words);

// After LoadSettingsWithoutWindow: 0 when the settings were loaded from the
// drawer's icons; EXIT_ICON_FAILED when the tool's or the application's icon exists
// but cannot be read or names too long a name, EXIT_USAGE when the drawer has no
// Settings.info. Says why on standard error.
int CheckLoadedSettings();

// Loads as the window does, applies the words and writes every icon as the
// window's Save does (an icon that would not change is left as it is), or with
// dryRun prints each icon's tooltypes before and after, or that it is unchanged,
// and writes nothing. Returns 0, or EXIT_ICON_FAILED when an icon that exists
// could not be read or written (each is named on standard error). A MODEID the
// display does not offer is written with a warning.
int SaveFromCommandLine(const std::vector<SettingsWord> &words, bool dryRun);

// The start of the window's run without the display (not the other services:
// intuition.library is the display): the start screen, the configuration, the
// settings (into AppSettings) and the window's texts. Needs the catalog open.
void LoadSettingsWithoutWindow();
