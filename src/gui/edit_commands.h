// The Edit menu: the window's controls back to the defaults, to what the
// application's icon holds now, or to the values the window opened with. None
// of them writes anything; the gadget rules apply after each.
#pragma once

#include "platform/toolkit/toolkit.h"
#include "settings/app_settings.h"

// Keeps the values the window opens with, for Restore.
void RememberOpeningSettings(const Settings &values);

// Says, over window (null: none open yet), which icon loadFailure names and why:
// the values shown are then the defaults.
void TellLoadFailure(Object *window);

void ResetToDefaultsCommand();
// Reads the application's icon again; one that cannot be read is told.
void LastSavedCommand();
void RestoreCommand();
