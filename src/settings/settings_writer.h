// Writing the settings as tooltypes into the application's icon and every
// configured platform icon, keeping every other tooltype.
#pragma once

constexpr int FAILED_ICONS_SIZE = 1024;

// Names (as configured) of the icons that exist but could not be read or written
// by the last SaveSettings, separated by ", ". Empty when every icon found was written.
extern char failedIcons[FAILED_ICONS_SIZE];

struct DiskObject;

// Reads the window's controls into AppSettings (when the window exists) and writes
// every icon. Returns the number of icons that exist but could not be written.
int SaveSettings();

// Writes AppSettings into the application's icon and every configured platform
// icon, noting in failedIcons those that exist but could not be written; returns
// how many those are.
int WriteAllIconSettings();

// Where WriteIconSettings hands each merged icon: PutDiskObject, or a stand-in
// that only shows the new list (--dry-run).
extern bool (*PutIcon)(const char *name, DiskObject *icon);

// Merges AppSettings into the icon "name" (or "name.vls"). Returns 1 when it was
// written (within a save of the icon store: made ready), 0 when neither name has a
// file, -1 when one has but it holds no readable icon, a text of its list could not
// be copied, or it could not be written.
int WriteIconSettings(const char *name);

// Appends a copy of text to the list being built for the icon being written.
void AddToolType(const char *text);

// Test hook: the n-th next copy of a text fails (0: none).
void FailToolTypeCopy(int n);
