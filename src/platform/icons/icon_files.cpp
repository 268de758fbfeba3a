#include "platform/icons/icon_files.h"

#include <cerrno>
#include <cstdint>
#include <dirent.h>
#include <unistd.h>

#include "platform/formats/charset.h"
#include "platform/formats/icon_file.h"

namespace icon_files {

bool IsRegularFile(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

IconProblem ReadProblem(FileReadStatus status)
{
    switch (status) {
    case FileReadStatus::Ok:
        return IconProblem::None;
    case FileReadStatus::Missing:
    case FileReadStatus::Failed:
        return IconProblem::Unreadable;
    case FileReadStatus::Folder:
        return IconProblem::Folder;
    default:
        return IconProblem::NotAnIcon;
    }
}

// The file holding the icon of name: "name.info" when it exists (a link, even a
// dangling one, counts), otherwise the single regular file of its folder whose
// name matches without regard to case. Only the last part of the name is matched
// that way. Several such files are Failed: none of them is the icon. st holds the
// status of the file found, of a link itself.
Lookup FindIconFile(const char *name, std::string &path, struct stat &st)
{
    if (name == nullptr || name[0] == '\0') {
        return Lookup::Failed;
    }
    std::string exact = std::string(name) + kIconSuffix;
    if (lstat(exact.c_str(), &st) == 0) {
        path = exact;
        return Lookup::Found;
    }
    if (errno != ENOENT && errno != ENOTDIR) {
        return Lookup::Failed;
    }
    std::size_t slash = exact.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : exact.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? exact : exact.substr(slash + 1);
    if (base == kIconSuffix) {
        return Lookup::Failed;
    }
    DIR *dir = opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) {
        return errno == ENOENT ? Lookup::Absent : Lookup::Failed;
    }
    int matches = 0;
    std::string found;
    while (struct dirent *entry = readdir(dir)) {
        if (CompareNoCase(entry->d_name, base.c_str(), SIZE_MAX) == 0 && IsRegularFile(folder + entry->d_name)) {
            ++matches;
            found = folder + entry->d_name;
        }
    }
    closedir(dir);
    if (matches != 1) {
        return matches == 0 ? Lookup::Absent : Lookup::Failed;
    }
    path = found;
    return lstat(path.c_str(), &st) == 0 ? Lookup::Found : Lookup::Failed;
}

// The file a path names once the links at its end are followed, as a path the
// folders of which are those the links name (relative links taken from the folder
// of the link). Needs no access to the folders above the current one. st holds
// the status of path (of a link itself), then that of the file reached. False
// when there is no such file: a dangling link, a loop of links, no access.
bool FollowLinks(const std::string &path, std::string &target, struct stat &st)
{
    target = path;
    for (int hops = 0; hops < 40; ++hops) {
        if (!S_ISLNK(st.st_mode)) {
            return true;
        }
        std::vector<char> link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 2);
        ssize_t length = readlink(target.c_str(), link.data(), link.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= link.size()) {
            return false;  // empty, or changed while being read
        }
        std::string next(link.data(), static_cast<std::size_t>(length));
        std::size_t slash = target.rfind('/');
        if (next[0] != '/' && slash != std::string::npos) {
            next = target.substr(0, slash + 1) + next;
        }
        target = next;
        if (lstat(target.c_str(), &st) != 0) {
            return false;
        }
    }
    return false;
}

bool SameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// Reads a whole regular file of at most kIconMaxFileSize bytes; the status of the
// file read in st (all zero when it changed while being read, so that it matches
// no file later).
bool ReadIconBytes(const std::string &path, std::vector<std::uint8_t> &bytes, struct stat &st, FileReadStatus *status)
{
    struct stat after;
    bool before = stat(path.c_str(), &st) == 0;
    FileReadStatus read = ReadWholeFile(path.c_str(), kIconMaxFileSize, bytes);
    if (status != nullptr) {
        *status = read;
    }
    if (!before || stat(path.c_str(), &after) != 0 || !SameFile(after, st)) {
        st = {};
    }
    return read == FileReadStatus::Ok;
}

bool ReadIconBytes(const std::string &path, std::vector<std::uint8_t> &bytes)
{
    return ReadWholeFile(path.c_str(), kIconMaxFileSize, bytes) == FileReadStatus::Ok;
}

// Judged from the mode bits alone, as the Amiga judges its protection bits: the
// super-user is treated as the owner, not let through.
bool ModeAllowsWrite(const struct stat &st)
{
    uid_t uid = geteuid();
    if (uid == 0 || uid == st.st_uid) {
        return (st.st_mode & S_IWUSR) != 0;
    }
    bool inGroup = st.st_gid == getegid();
    if (!inGroup) {
        int count = getgroups(0, nullptr);
        if (count > 0) {
            std::vector<gid_t> groups(static_cast<std::size_t>(count));
            count = getgroups(count, groups.data());
            for (int i = 0; i < count && !inGroup; ++i) {
                inGroup = groups[static_cast<std::size_t>(i)] == st.st_gid;
            }
        }
    }
    return (st.st_mode & (inGroup ? S_IWGRP : S_IWOTH)) != 0;
}

// The folder part of a path ("" or ending in '/'), its last part, and the folder
// as a name that can be opened.
std::string FolderOf(const std::string &path)
{
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string BaseOf(const std::string &path)
{
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string OpenableFolder(const std::string &folder)
{
    return folder.empty() ? std::string(".") : folder;
}

IconProblem WriteProblem(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return IconProblem::PermissionDenied;
    case ENOSPC:
    case EDQUOT:
        return IconProblem::NoSpace;
    case EROFS:
        return IconProblem::ReadOnlyFileSystem;
    case EISDIR:
        return IconProblem::Folder;
    default:
        return IconProblem::WriteFailed;
    }
}

}  // namespace icon_files
