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
#include "platform/icons/icon_files.h"
#include "platform/icons/icon_image.h"
#include "platform/icons/icon_save.h"
#include "platform/system/whole_file.h"

using namespace icon_files;

// The store's side of a DiskObject: the file's bytes, where its parts lie, and the
// tooltype list handed out (pointing into the layout's texts).
struct IconFile {
    std::vector<std::uint8_t> bytes;
    bool png = false;         // a PNG icon; otherwise a classic one
    IconLayout layout;        // a classic icon's sections
    PngIconLayout pngLayout;  // a PNG icon's chunks and tags
    std::vector<char *> list;
    struct stat read;  // the file read: a write compares its identity, size and time
};

namespace {

// Parses the bytes as the kind of icon their start names.
bool ParseIconFile(IconFile &file)
{
    file.png = IsPngIcon(file.bytes);
    return file.png ? ParsePngIcon(file.bytes, file.pngLayout) : ParseIcon(file.bytes, file.layout);
}

// The DiskObject of a parsed file: the type, default tool, position, stack size
// and tooltypes it gives (a PNG icon's from the first icOn's tags, the last of each
// kind winning as for a reader that takes them in order).
std::unique_ptr<DiskObject> NewDiskObject(std::unique_ptr<IconFile> parsed)
{
    IconFile &file = *parsed;
    std::unique_ptr<DiskObject> icon(
        new DiskObject{0, nullptr, nullptr, NO_ICON_POSITION, NO_ICON_POSITION, 0, std::move(parsed)});
    if (file.png) {
        for (PngIconTagEntry &tag : file.pngLayout.tags) {
            auto value = static_cast<std::int32_t>(tag.value);
            switch (tag.tag) {
            case ATTR_TOOLTYPE:
                file.list.push_back(tag.text.data());
                break;
            case ATTR_DEFAULTTOOL:
                icon->do_DefaultTool = tag.text.data();
                break;
            case ATTR_STACKSIZE:
                icon->do_StackSize = value;
                break;
            case ATTR_ICONX:
                icon->do_CurrentX = value;
                break;
            case ATTR_ICONY:
                icon->do_CurrentY = value;
                break;
            case ATTR_TYPE:
                icon->do_Type = tag.value <= 0xFF ? static_cast<std::uint8_t>(tag.value) : 0;
                break;
            default:
                break;
            }
        }
    } else {
        std::vector<std::string> &entries = file.layout.entries;
        file.list.reserve(file.layout.imageBlockStart + 1);
        for (std::size_t i = 0; i < file.layout.imageBlockStart; ++i) {
            file.list.push_back(entries[i].data());
        }
        icon->do_Type = file.layout.type;
        icon->do_DefaultTool = file.layout.hasDefaultTool ? file.layout.defaultTool.data() : nullptr;
        icon->do_CurrentX = file.layout.currentX;
        icon->do_CurrentY = file.layout.currentY;
        icon->do_StackSize = file.layout.stackSize;
    }
    file.list.push_back(nullptr);
    icon->do_ToolTypes = file.list.data();
    return icon;
}

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

DiskObject *DiskObjectOfBytes(std::vector<std::uint8_t> bytes)
{
    auto file = std::make_unique<IconFile>();
    file->bytes = std::move(bytes);
    file->read = {};
    return ParseIconFile(*file) ? NewDiskObject(std::move(file)).release() : nullptr;
}

bool IconNameLeavesDrawer(const char *name)
{
    const std::string_view text = name != nullptr ? name : "";
    if (text.empty() || text[0] == '/' || text.find(':') != std::string_view::npos) {
        return true;
    }
    // An empty part is the Amiga's parent ("a//b"), as ".." is the host's.
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t slash = std::min(text.find('/', start), text.size());
        const std::string_view part = text.substr(start, slash - start);
        if (part.empty() || part == "..") {
            return true;
        }
        start = slash + 1;
    }
    return false;
}

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

char *FindToolType(char **toolTypes, const char *key)
{
    if (toolTypes == nullptr || key == nullptr) {
        return nullptr;
    }
    for (char **entry = toolTypes; *entry != nullptr; ++entry) {
        if (const char *value = ToolTypeValue(*entry, key)) {
            return *entry + (value - *entry);
        }
    }
    return nullptr;
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

void FreeDiskObject(DiskObject *icon)
{
    if (icon == nullptr) {
        return;
    }
    delete icon;
}

DiskObject::~DiskObject() = default;

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
