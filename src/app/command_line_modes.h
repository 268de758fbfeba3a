// The command line's modes without a window: --show prints what the window would
// load and which icons its Save would write; --save applies settings words to the
// loaded settings and writes the icons through the window's own write path.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// locale.library and the tool's catalog, for the texts of GetString; and their
// release.
void OpenMessageCatalog();
void ReleaseCatalog();

// One settings word of --save, checked: which word (an index into the word table)
// and its number.
struct SettingsWord {
    int key;
    std::int64_t value;
};

// Checks every word (known, its number well-formed and in range, no two for the
// same setting but FULLSCREEN with MODEID). False, with a message naming the first
// bad word on standard error, when one is not.
bool ParseSettingsWords(const std::vector<std::string> &texts, std::vector<SettingsWord> &words);

// Loads as the window does and prints the configuration, the settings and the
// icons. Returns 0.
int ShowSettings();

// Loads as the window does, applies the words and writes every icon as the
// window's Save does, or with dryRun prints each icon's tooltypes before and after
// and writes nothing. Returns 0, or EXIT_ICON_FAILED when an icon that exists
// could not be read or written (each is named on standard error).
int SaveFromCommandLine(const std::vector<SettingsWord> &words, bool dryRun);

// The start of the window's run without the display (the catalog, the start
// screen, the configuration and the settings), and the release of the catalog.
void LoadForScripts();
void ReleaseForScripts();
