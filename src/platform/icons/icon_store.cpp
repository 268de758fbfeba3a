#include "platform/icons/icon_store.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

#include "platform/formats/charset.h"
#include "platform/formats/icon_file.h"
#include "platform/formats/png_icon.h"
#include "platform/icons/disk_object_file.h"
#include "platform/icons/icon_files.h"
#include "platform/icons/icon_image.h"
#include "platform/icons/icon_save.h"
#include "platform/system/whole_file.h"

using namespace icon_files;

namespace {

IconProblem lastProblem = IconProblem::None;
int lastReadError = 0;
IconProblem putProblem = IconProblem::None;

// The icon of a file's bytes read; lastProblem says why there is none.
DiskObject *IconOfFile(std::unique_ptr<IconFile> file)
{
    lastProblem = IconProblem::NotAnIcon;
    if (!ParseIconFile(*file)) {
        return nullptr;
    }
    std::unique_ptr<DiskObject> icon = NewDiskObject(std::move(file));
    lastProblem = IconProblem::None;
    return icon.release();
}

// GetDiskObject in an image's drawer.
DiskObject *GetImageDiskObject(const char *name)
{
    try {
        auto file = std::make_unique<IconFile>();
        file->read = {};
        lastProblem = icon_image::ReadIcon(name, file->bytes, lastReadError);
        return lastProblem == IconProblem::None ? IconOfFile(std::move(file)) : nullptr;
    } catch (const std::bad_alloc &) {
        lastProblem = IconProblem::Unreadable;
        return nullptr;
    }
}

}  // namespace

DiskObject *GetDiskObject(const char *name)
{
    if (icon_image::Active()) {
        return GetImageDiskObject(name);
    }
    std::string path, target;
    struct stat st;
    errno = 0;
    Lookup lookup = FindIconFile(name, path, st);
    lastProblem = lookup == Lookup::Absent ? IconProblem::Absent : IconProblem::Unreadable;
    lastReadError = 0;
    if (lookup != Lookup::Found || !FollowLinks(path, target, st)) {
        // Several files matching the name leave no error of their own.
        lastReadError = lookup == Lookup::Absent || errno == ENOENT ? 0 : errno;
        return nullptr;
    }
    // A save reads its icons under the lock of their folders, and of the icon itself
    // where other folders share it by hard links.
    if (IconSaveOpen() && (LockFolder(FolderOf(target)) < 0 || (st.st_nlink > 1 && !LockSharedIcon(target, st)))) {
        lastReadError = errno;
        return nullptr;
    }
    try {
        auto file = std::make_unique<IconFile>();
        FileReadStatus status;
        errno = 0;
        if (!ReadIconBytes(target, file->bytes, file->read, &status)) {
            lastProblem = ReadProblem(status);
            lastReadError = status == FileReadStatus::Failed ? errno : 0;
            return nullptr;
        }
        return IconOfFile(std::move(file));
    } catch (const std::bad_alloc &) {
        lastProblem = IconProblem::Unreadable;
        return nullptr;
    }
}

IconProblem IconReadProblem()
{
    return lastProblem;
}

int IconReadError()
{
    return lastProblem == IconProblem::Unreadable ? lastReadError : 0;
}

bool PutDiskObject(const char *name, DiskObject *icon)
{
    putProblem = IconProblem::WriteFailed;
    if (name == nullptr || icon == nullptr || icon->file == nullptr) {
        return false;
    }
    if (!IconSaveOpen()) {
        // A save of its own.
        BeginIconSave();
        bool prepared = PutDiskObject(name, icon);
        std::vector<IconProblem> problems = EndIconSave();
        if (prepared && problems.size() == 1) {
            putProblem = problems[0];
        }
        return putProblem == IconProblem::None;
    }
    const IconFile &file = *icon->file;
    std::size_t count = 0;
    if (icon->do_ToolTypes != nullptr) {
        while (icon->do_ToolTypes[count] != nullptr) {
            ++count;
        }
    }
    try {
        std::string bytes;
        if (!(file.png ? BuildPngIcon(file.bytes, file.pngLayout, icon->do_ToolTypes, count, bytes)
                       : BuildIcon(file.bytes, file.layout, icon->do_ToolTypes, count, bytes))) {
            return false;
        }
        if (icon_image::Active()) {
            putProblem = icon_image::PrepareWrite(name, bytes);
            return putProblem == IconProblem::None;
        }
        std::string found;
        struct stat st;
        Lookup lookup = FindIconFile(name, found, st);
        putProblem = IconProblem::Unreadable;
        if (lookup == Lookup::Failed) {
            return false;
        }
        if (lookup == Lookup::Absent) {
            // No icon yet: a new one, made in one step like a replacement.
            return ReplaceFile(std::string(name) + kIconSuffix, nullptr, bytes, nullptr, putProblem);
        }
        // A link is followed: its target is replaced and the link stays.
        std::string target;
        if (!FollowLinks(found, target, st)) {
            return false;
        }
        if (!S_ISREG(st.st_mode)) {
            putProblem = S_ISDIR(st.st_mode) ? IconProblem::Folder : IconProblem::NotAnIcon;
            return false;
        }
        if (!ModeAllowsWrite(st)) {
            putProblem = IconProblem::PermissionDenied;
            return false;
        }
        // What is there now must be an icon: anything else is never overwritten. The
        // file that was read is known by its identity, size and time; another is parsed.
        const struct stat &read = file.read;
        bool same = SameFile(st, read);
        IconFile old;
        if (!same) {
            FileReadStatus status;
            if (!ReadIconBytes(target, old.bytes, old.read, &status)) {
                putProblem = ReadProblem(status);
                return false;
            }
            if (!ParseIconFile(old)) {
                putProblem = IconProblem::NotAnIcon;
                return false;
            }
        }
        putProblem = IconProblem::None;
        return ReplaceFile(target, &st, bytes, same ? &file.bytes : &old.bytes, putProblem);
    } catch (const std::bad_alloc &) {
        putProblem = IconProblem::WriteFailed;
        return false;
    }
}

IconProblem IconPutProblem()
{
    return putProblem;
}

bool IconFilePresent(const char *name)
{
    std::string path;
    struct stat st;
    if (icon_image::Active()) {
        return icon_image::Present(name);
    }
    return name != nullptr && name[0] != '\0' && FindIconFile(name, path, st) != Lookup::Absent;
}

std::string IconFileFolder(const char *name)
{
    std::string found, target;
    struct stat st;
    if (FindIconFile(name, found, st) != Lookup::Found) {
        return std::string();
    }
    FollowLinks(found, target, st);  // where it fails, target is the link's next name
    char real[PATH_MAX];
    return realpath(OpenableFolder(FolderOf(target)).c_str(), real) != nullptr ? std::string(real) : std::string();
}

bool IconFilePresentInFolder(const std::string &folder, const char *name)
{
    std::string path;
    struct stat st;
    return name != nullptr && name[0] != '\0' &&
           FindIconFile((folder + "/" + name).c_str(), path, st) != Lookup::Absent;
}

IconProblem IconWriteProblem(const char *name)
{
    if (icon_image::Active()) {
        return icon_image::WriteProblem(name);
    }
    std::string found, target;
    struct stat st;
    Lookup lookup = FindIconFile(name, found, st);
    if (lookup != Lookup::Found) {
        return lookup == Lookup::Absent ? IconProblem::Absent : IconProblem::Unreadable;
    }
    if (!FollowLinks(found, target, st)) {
        return IconProblem::Unreadable;
    }
    if (S_ISDIR(st.st_mode)) {
        return IconProblem::Folder;
    }
    if (!S_ISREG(st.st_mode)) {
        return IconProblem::NotAnIcon;
    }
    const std::string folder = OpenableFolder(FolderOf(target));
    struct statvfs fs;
    const bool known = statvfs(folder.c_str(), &fs) == 0;
    if (!ModeAllowsWrite(st)) {
        return IconProblem::PermissionDenied;
    }
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        return errno == EROFS ? IconProblem::ReadOnlyFileSystem : IconProblem::PermissionDenied;
    }
    try {
        IconFile file;
        FileReadStatus status;
        if (!ReadIconBytes(target, file.bytes, file.read, &status)) {
            return ReadProblem(status);
        }
        if (!ParseIconFile(file)) {
            return IconProblem::NotAnIcon;
        }
    } catch (const std::bad_alloc &) {
        return IconProblem::Unreadable;
    }
    // The new file needs about as much room as the old one.
    const auto room = static_cast<std::uintmax_t>(geteuid() == 0 ? fs.f_bfree : fs.f_bavail) * fs.f_frsize;
    if (known && room < static_cast<std::uintmax_t>(st.st_size)) {
        return IconProblem::NoSpace;
    }
    return ForeignLeftoverBeside(target) ? IconProblem::ForeignLeftover : IconProblem::None;
}

IconImageFormat IconImageKind(const DiskObject *icon)
{
    const IconFile &file = *icon->file;
    if (file.png) {
        return IconImageFormat::Png;
    }
    if (file.layout.iconForm) {
        return IconImageFormat::OS35;
    }
    return file.layout.imageBlockStart < file.layout.entries.size() ? IconImageFormat::NewIcons
                                                                    : IconImageFormat::Classic;
}
