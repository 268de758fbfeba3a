// Writing the settings as tooltypes into the application's icon and every
// configured platform icon, keeping every other tooltype.
#pragma once

constexpr int FAILED_ICONS_SIZE = 1024;

// Names (as configured) of the icons that exist but could not be written by the
// last SaveSettings, separated by ", ". Empty when every icon found was written.
extern char failedIcons[FAILED_ICONS_SIZE];

// Reads the window's controls into AppSettings (when the window exists) and writes
// every icon. Returns the number of icons that exist but could not be written.
int SaveSettings();

// Merges AppSettings into the icon "name" (or "name.vls"). Returns 0 when it was
// written or exists under neither name, -1 when it exists but could not be written.
int WriteIconSettings(const char *name);

// Appends a copy of text to the list being built for the icon being written.
void AddToolType(const char *text);
