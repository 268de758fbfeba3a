// Where the settings record meets the window's controls: the record shown in the
// controls, the controls read back into a record, and the two records a save
// compares against (what the controls stood for, what the icons held).
#pragma once

#include "settings/app_settings.h"

// AppSettings takes the values (it holds the mode id and depth, which no control
// does), the controls show them and the gadget rules apply.
void ShowSettingsInControls(const Settings &values);

// AppSettings with the value of each control the window has over it.
Settings SettingsFromControls();

// The screen mode requester, on the mode and depth the window holds; a mode
// confirmed is held (AppSettings) and its name shown.
void ScreenModeCommand();

// The controls as they stand and AppSettings as the icons hold them now: just
// loaded, reloaded or saved. The notice line goes.
void MarkSettingsStored();

// Whether an icon holding stored holds other settings than at the last MarkSettingsStored.
bool StoredSettingsDiffer(const Settings &stored);

// Whether the controls stand for other settings than at the last MarkSettingsStored.
bool HasUnsavedChanges();

// Reads the controls into AppSettings and writes every icon, unless another
// program saved other settings since MarkSettingsStored (SAVE_CONFLICT; nothing is
// written). Returns the number of icons in failedIcons otherwise.
int SaveSettings();
// As SaveSettings, over whatever the icons hold now.
int SaveSettingsOverOthers();
