// The icon store: Amiga .info icons, classic or PNG, read from and written to
// disk, with their tooltype lists. Only the tooltypes are ever changed by a write.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/icons/disk_object.h"

// Reads "name.info", a classic icon or a PNG icon as its content says (relative
// names from the current directory; when no file has the exact name, a single file
// matching it without regard to case). Returns null when there is no icon or the
// file is not a well-formed icon; IconReadProblem tells which.
DiskObject *GetDiskObject(const char *name);

// Writes the icon under "name.info" with the tooltype list it holds now (the
// store's NewIcons image block, if any, follows the list). Returns false, leaving
// the old file whole, when the icon may not or could not be written; IconPutProblem
// tells why. Owner, group, mode, hard links and extended attributes (ACLs) of the
// file are kept, and what a writer that is gone left beside it is cleared. Within
// a save (BeginIconSave), true means only that the icon is ready to be put in place.
bool PutDiskObject(const char *name, DiskObject *icon);
IconProblem IconPutProblem();

// A save of several icons. Until EndIconSave, GetDiskObject holds the lock of each
// icon's folder, so that another save of the same icons waits, and PutDiskObject
// prepares each new file. EndIconSave flushes them together, puts them in place,
// flushes each folder once and releases the locks. It returns, for each icon
// prepared in order, IconProblem::None when it was written, else why not (the icon
// then holds its old bytes, but for LinkLost and Damaged). BeginIconSave within a
// save continues it. A dry run locks and reads but writes nothing, leftovers
// included: IconSaveNotes then says what a save would clear.
void BeginIconSave(bool dryRun = false);
std::vector<IconProblem> EndIconSave();

// What the save being made, or the last one, met besides its icons' problems, each
// naming a file (with its folder): a folder it could not lock and wrote unlocked; a
// lock file that cannot serve (a link, a folder, another user's file) and could
// not be replaced, so that nothing is written in its folder; a
// file under a backup's name left alone (not provably a backup its icon's writer
// left); in a dry run, a leftover a save removes; a backup a save puts back into
// icon (in a dry run, or when a save left icon damaged or could not put it back).
enum class IconSaveNoteKind { Unlocked, LeftAlone, Removable, Restorable, LockUnusable };
struct IconSaveNote {
    IconSaveNoteKind kind;
    std::string file;
    std::string icon;
};
const std::vector<IconSaveNote> &IconSaveNotes();

// While a save waits for a lock another program holds (of a folder, or of an icon
// shared by hard links), after about two seconds and then at every try: the
// folder (the drawer's path for the current folder) and the milliseconds waited;
// it returns whether to wait on. Once more with -1 when a wait it was told of
// ends. A wait given up fails the icon's read or write (errno EWOULDBLOCK).
// Without a hook a save waits as long as the lock is held; a save that holds
// locks already waits a few seconds at most for another, whatever the hook says.
using LockWaitHook = bool (*)(const std::string &folder, int waitedMs);
void SetLockWaitHook(LockWaitHook hook);

// Whether a file stands under the icon's name (well-formed or not; several files
// matching it without regard to case count too).
bool IconFilePresent(const char *name);
// The same in a folder of the host, whatever the store's drawer is.
bool IconFilePresentInFolder(const std::string &folder, const char *name);

// The real path of the folder that holds the file the icon of name is found
// under, its links followed as GetDiskObject follows them (of a dangling link, the
// folder it points into); empty when there is no file or no such folder.
std::string IconFileFolder(const char *name);

// Why the last GetDiskObject gave no icon: None when it gave one, Absent when no
// file has the name.
IconProblem IconReadProblem();
// The system's error number behind an IconProblem::Unreadable of the last
// GetDiskObject (EACCES, EIO, ...); 0 when there is none or it is unknown.
int IconReadError();

// Whether PutDiskObject would refuse to replace the icon now, and why: None when
// it is an icon that may be written. Absent when there is no file. ForeignLeftover
// for one that may be written, beside which a save would leave a file under its
// backup's name. Writes nothing.
IconProblem IconWriteProblem(const char *name);

// The richest image format an icon's file holds: PNG, an OS 3.5 FORM ICON, a
// NewIcons block, or the classic planar images alone.
enum class IconImageFormat { Classic, NewIcons, OS35, Png };
IconImageFormat IconImageKind(const DiskObject *icon);
