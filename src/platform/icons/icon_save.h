// The icon store's save transaction (its crash-safety argument opens icon_save.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "platform/icons/icon_store.h"

namespace icon_files {

// Whether a save (BeginIconSave) is open.
bool IconSaveOpen();

// Takes the lock of a folder for the rest of the save, clearing the leftovers of
// writers that are gone. Returns the folder's descriptor, or -1.
int LockFolder(const std::string &folder);

// Takes the lock of an icon that other folders share by hard links, on the file
// itself (path, whose status st is), for the rest of the save, so that writers
// through any of its names wait for each other. True when it is held, or the file
// system gives no lock; false (errno EWOULDBLOCK) when the wait was given up.
bool LockSharedIcon(const std::string &path, const struct stat &st);

// Prepares the replacement of target by bytes, put in place by EndIconSave.
// existing holds the old file's status (null when there is none), read its bytes
// as read (null when they must be read again). False, with problem set and nothing
// left behind, when it cannot be prepared.
bool ReplaceFile(const std::string &target, const struct stat *existing, const std::string &bytes,
                 const std::vector<std::uint8_t> *read, IconProblem &problem);

// A new name for a temporary file of this writer beside target (a backup's too).
std::string TempName(const std::string &target, bool backup);

// The backup written before target is overwritten in place: its old bytes, the new
// ones, and the identity of the file icon names, sealed.
std::string SealedBackup(const std::string &old, const std::string &bytes, const struct stat &icon);

// Whether a file under a backup's name beside target is not one a save would put
// back or remove (it would be left alone and named).
bool ForeignLeftoverBeside(const std::string &target);

}  // namespace icon_files
