// Writing the settings as tooltypes into the application's icon and every
// configured platform icon, keeping every other tooltype.
#pragma once

#include <string>
#include <vector>

#include "platform/icons/icon_store.h"
#include "settings/tool_config.h"

// An icon that exists but was not written by the last save, and why; its name as
// found (with ".info"), or as configured when none was found.
struct IconFailure {
    std::string icon;
    IconProblem problem;
    int error = 0;  // the system's error number of a failed read, when known
};
extern std::vector<IconFailure> failedIcons;
// The number of icons the last save wrote.
extern int writtenIcons;

// The names of failedIcons, separated by ", " (UTF-8, escaped as lines are, for the window).
std::string FailedIconNames();
// One line "name: why" for each of failedIcons, in the catalog's words (UTF-8; the
// names escaped as lines are).
std::string FailedIconReasons();
// One line for each thing the last save met beside its icons: a folder it could
// not lock, a leftover it left alone, a backup the next save puts back (UTF-8).
std::string SaveNoteLines();

struct DiskObject;

struct Settings;

// Writes the values into the application's icon and every configured platform
// icon, noting in failedIcons those that exist but could not be written; when no
// icon at all was written, the application's icon is noted as absent. Returns how
// many icons were noted. Within an icon save begun by the caller (BeginIconSave),
// which may have read the settings under its locks, it ends that save.
// The icons are read first under the locks: when SaveRefusal says the drawer may
// not be saved, nothing is written, saveRefusal says why and SAVE_REFUSED is
// returned. With expected given, when the icon the settings are read from holds
// other settings (in the form Save writes them), another program saved since;
// nothing is written and SAVE_CONFLICT is returned.
constexpr int SAVE_CONFLICT = -1;
constexpr int SAVE_REFUSED = -2;
int WriteAllIconSettings(const Settings &values, const Settings *expected = nullptr);
extern LoadFailure saveRefusal;

// Where WriteIconSettings hands each merged icon: PutDiskObject, or a stand-in
// that only shows the new list (--dry-run).
extern bool (*PutIcon)(const char *name, DiskObject *icon);

// Merges the values into the icon "name" (or "name.vls"). Returns 1 when it was
// written (within a save of the icon store: made ready), 2 when it already holds
// the merged list and is left as it is (a stand-in PutIcon is shown it all the
// same), 0 when neither name has a
// file, -1 when one has but it holds no readable icon, a text of its list could not
// be copied, or it could not be written. failure, when given, then names the icon
// and why.
int WriteIconSettings(const char *name, const Settings &values, IconFailure *failure = nullptr);

#ifdef SETTINGS_TEST_SWITCHES
// Test hook: the n-th next copy of a text fails (0: none).
void FailToolTypeCopy(int n);
#endif
