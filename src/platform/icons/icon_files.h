// The icon store's files: finding an icon's file by its name (without regard to
// case, links followed), reading it whole, and whether its mode lets it be written.
#pragma once

#include <cstdint>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "platform/icons/icon_store.h"
#include "platform/system/whole_file.h"

namespace icon_files {

constexpr const char *kIconSuffix = ".info";

enum class Lookup { Found, Absent, Failed };

// The file holding the icon of name: "name.info" when it exists (a link, even a
// dangling one, counts), otherwise the single regular file of its folder whose
// name matches without regard to case. Several such files are Failed. st holds
// the status of the file found, of a link itself.
Lookup FindIconFile(const char *name, std::string &path, struct stat &st);

// The file a path names once the links at its end are followed; st then holds its
// status. False when there is none: a dangling link, a loop of links, no access.
bool FollowLinks(const std::string &path, std::string &target, struct stat &st);

// Whether two statuses are of the same file unchanged: identity, size and time.
bool SameFile(const struct stat &a, const struct stat &b);

// Reads a whole regular file of at most kIconMaxFileSize bytes; the status of the
// file read in st (all zero when it changed while being read, so that it is the
// same as no file later).
bool ReadIconBytes(const std::string &path, std::vector<std::uint8_t> &bytes, struct stat &st,
                   FileReadStatus *status = nullptr);
bool ReadIconBytes(const std::string &path, std::vector<std::uint8_t> &bytes);

// Why a read of the given status gave no bytes.
IconProblem ReadProblem(FileReadStatus status);

// Whether the mode bits let the process write the file, as the Amiga judges its
// protection bits: the super-user is treated as the owner, not let through.
bool ModeAllowsWrite(const struct stat &st);

// The folder part of a path ("" or ending in '/'), its last part, and the folder
// as a name that can be opened.
std::string FolderOf(const std::string &path);
std::string BaseOf(const std::string &path);
std::string OpenableFolder(const std::string &folder);

// The problem a failed write's error number names.
IconProblem WriteProblem(int error);

}  // namespace icon_files
