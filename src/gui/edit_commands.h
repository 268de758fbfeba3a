// The Edit menu: the window's controls back to the defaults, to what the
// application's icon holds now, or to the values the window opened with. None
// of them writes anything; the gadget rules apply after each.
#pragma once

// Keeps AppSettings as the values the window opens with, for Restore.
void RememberOpeningSettings();

void ResetToDefaultsCommand();
void LastSavedCommand();
void RestoreCommand();
