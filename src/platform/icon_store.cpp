#include "platform/icon_store.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <new>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/formats/icon_file.h"
#include "platform/formats/png_icon.h"
#include "platform/whole_file.h"

// The store's side of a DiskObject: the file's bytes, where its parts lie, and the
// tooltype list handed out (pointing into the layout's texts).
struct IconFile {
    std::vector<std::uint8_t> bytes;
    bool png = false;        // a PNG icon; otherwise a classic one
    IconLayout layout;       // a classic icon's sections
    PngIconLayout pngLayout; // a PNG icon's chunks and tags
    std::vector<char *> list;
};

namespace {

// Parses the bytes as the kind of icon their start names.
bool ParseIconFile(IconFile &file)
{
    file.png = IsPngIcon(file.bytes.data(), file.bytes.size());
    return file.png ? ParsePngIcon(file.bytes.data(), file.bytes.size(), file.pngLayout)
                    : ParseIcon(file.bytes.data(), file.bytes.size(), file.layout);
}

// The DiskObject of a parsed file: the type, default tool, position, stack size
// and tooltypes it gives (a PNG icon's from the first icOn's tags, the last of each
// kind winning as for a reader that takes them in order).
DiskObject *NewDiskObject(IconFile &file)
{
    DiskObject icon{0, nullptr, nullptr, NO_ICON_POSITION, NO_ICON_POSITION, 0, &file};
    if (file.png) {
        for (PngIconTagEntry &tag : file.pngLayout.tags) {
            auto value = static_cast<std::int32_t>(tag.value);
            switch (tag.tag) {
            case ATTR_TOOLTYPE: file.list.push_back(tag.text.data()); break;
            case ATTR_DEFAULTTOOL: icon.do_DefaultTool = tag.text.data(); break;
            case ATTR_STACKSIZE: icon.do_StackSize = value; break;
            case ATTR_ICONX: icon.do_CurrentX = value; break;
            case ATTR_ICONY: icon.do_CurrentY = value; break;
            case ATTR_TYPE: icon.do_Type = tag.value <= 0xFF ? static_cast<std::uint8_t>(tag.value) : 0; break;
            default: break;
            }
        }
    } else {
        std::vector<std::string> &entries = file.layout.entries;
        file.list.reserve(file.layout.imageBlockStart + 1);
        for (std::size_t i = 0; i < file.layout.imageBlockStart; ++i) {
            file.list.push_back(entries[i].data());
        }
        icon.do_Type = file.layout.type;
        icon.do_DefaultTool = file.layout.hasDefaultTool ? file.layout.defaultTool.data() : nullptr;
        icon.do_CurrentX = file.layout.currentX;
        icon.do_CurrentY = file.layout.currentY;
        icon.do_StackSize = file.layout.stackSize;
    }
    file.list.push_back(nullptr);
    icon.do_ToolTypes = file.list.data();
    return new DiskObject(icon);
}

constexpr const char *kIconSuffix = ".info";

// ISO-8859-1 upper case: ASCII letters and the accented letters 0xE0-0xFE but 0xF7.
unsigned char FoldCase(unsigned char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) {
        return static_cast<unsigned char>(c - 0x20);
    }
    return c;
}

bool SameIgnoringCase(const char *a, const char *b)
{
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (FoldCase(static_cast<unsigned char>(*a)) != FoldCase(static_cast<unsigned char>(*b))) {
            return false;
        }
    }
    return *a == *b;
}

bool IsRegularFile(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

enum class Lookup { Found, Absent, Failed };

// The file holding the icon of name: "name.info" when it exists (a link, even a
// dangling one, counts), otherwise the single regular file of its folder whose
// name matches without regard to case. Only the last part of the name is matched
// that way. Several such files are Failed: none of them is the icon.
Lookup FindIconFile(const char *name, std::string &path)
{
    if (name == nullptr || name[0] == '\0') {
        return Lookup::Failed;
    }
    std::string exact = std::string(name) + kIconSuffix;
    struct stat st;
    if (lstat(exact.c_str(), &st) == 0) {
        path = exact;
        return Lookup::Found;
    }
    if (errno != ENOENT) {
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
        if (SameIgnoringCase(entry->d_name, base.c_str()) && IsRegularFile(folder + entry->d_name)) {
            ++matches;
            found = folder + entry->d_name;
        }
    }
    closedir(dir);
    if (matches != 1) {
        return matches == 0 ? Lookup::Absent : Lookup::Failed;
    }
    path = found;
    return Lookup::Found;
}

// The file a path names once the links at its end are followed, as a path the
// folders of which are those the links name (relative links taken from the folder
// of the link). Needs no access to the folders above the current one.
bool FollowLinks(const std::string &path, std::string &target)
{
    target = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (lstat(target.c_str(), &st) != 0) {
            return false;
        }
        if (!S_ISLNK(st.st_mode)) {
            return true;
        }
        std::vector<char> link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 2);
        ssize_t length = readlink(target.c_str(), link.data(), link.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= link.size()) {
            return false; // empty, or changed while being read
        }
        std::string next(link.data(), static_cast<std::size_t>(length));
        std::size_t slash = target.rfind('/');
        if (next[0] != '/' && slash != std::string::npos) {
            next = target.substr(0, slash + 1) + next;
        }
        target = next;
    }
    return false; // a loop of links
}

// Reads a whole regular file of at most kIconMaxFileSize bytes.
bool ReadIconBytes(const std::string &path, std::vector<std::uint8_t> &bytes)
{
    return ReadWholeFile(path.c_str(), kIconMaxFileSize, bytes) == FileReadStatus::Ok;
}

bool WriteAll(int fd, const std::string &bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(put);
    }
    return true;
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

// The permission bits a newly made file gets: 0666 less the process's umask.
mode_t NewFileMode()
{
    mode_t mask = 022;
    if (FILE *status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        while (std::fgets(line, sizeof line, status) != nullptr) {
            unsigned int value;
            if (std::sscanf(line, "Umask: %o", &value) == 1) {
                mask = static_cast<mode_t>(value);
                break;
            }
        }
        std::fclose(status);
    }
    return 0666 & ~mask;
}

// Replaces target with bytes: a new file in the same folder, written, flushed and
// renamed over it; the folder flushed. existing holds the old file's status, or
// null when there is none. On failure the old file is untouched and the new one gone.
bool ReplaceFile(const std::string &target, const struct stat *existing, const std::string &bytes)
{
    std::size_t slash = target.rfind('/');
    std::string folder = slash == std::string::npos ? std::string(".") : target.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp =
        (slash == std::string::npos ? std::string() : folder) + "." + base.substr(0, 200) + ".XXXXXX";
    int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    bool ok = WriteAll(fd, bytes);
    if (ok && existing != nullptr) {
        // The owner is kept when we may set it; the bits after, as chown may clear some.
        if (fchown(fd, existing->st_uid, existing->st_gid) != 0 &&
            fchown(fd, static_cast<uid_t>(-1), existing->st_gid) != 0) {
            // Not permitted for others' files: the file becomes ours, as any editor's would.
        }
        ok = fchmod(fd, existing->st_mode & 07777) == 0;
    } else if (ok) {
        ok = fchmod(fd, NewFileMode()) == 0;
    }
    ok = ok && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    // A new icon never takes the place of a file made meanwhile.
    if (ok) {
        ok = existing != nullptr
                 ? rename(temp.c_str(), target.c_str()) == 0
                 : renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0;
    }
    if (!ok) {
        unlink(temp.c_str());
        return false;
    }
    int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) {
        return false;
    }
    bool synced = fsync(dirFd) == 0 || errno == EINVAL;
    close(dirFd);
    return synced;
}

} // namespace

DiskObject *GetDiskObject(const char *name)
{
    std::string path;
    if (FindIconFile(name, path) != Lookup::Found) {
        return nullptr;
    }
    try {
        auto file = std::make_unique<IconFile>();
        if (!ReadIconBytes(path, file->bytes) || !ParseIconFile(*file)) {
            return nullptr;
        }
        DiskObject *icon = NewDiskObject(*file);
        file.release();
        return icon;
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

char *FindToolType(char **toolTypes, const char *key)
{
    if (toolTypes == nullptr || key == nullptr) {
        return nullptr;
    }
    for (char **entry = toolTypes; *entry != nullptr; ++entry) {
        const char *e = *entry;
        const char *k = key;
        while (*e != '\0' && *e != '=' && *k != '\0' &&
               FoldCase(static_cast<unsigned char>(*e)) == FoldCase(static_cast<unsigned char>(*k))) {
            ++e;
            ++k;
        }
        if (*k == '\0' && *e == '\0') {
            return *entry + (e - *entry); // a bare key: its empty end
        }
        if (*k == '\0' && *e == '=') {
            return *entry + (e - *entry) + 1;
        }
    }
    return nullptr;
}

bool PutDiskObject(const char *name, DiskObject *icon)
{
    if (name == nullptr || icon == nullptr || icon->file == nullptr) {
        return false;
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
        if (!(file.png ? BuildPngIcon(file.bytes.data(), file.bytes.size(), file.pngLayout, icon->do_ToolTypes,
                                      count, bytes)
                       : BuildIcon(file.bytes.data(), file.bytes.size(), file.layout, icon->do_ToolTypes, count,
                                   bytes))) {
            return false;
        }
        std::string found;
        Lookup lookup = FindIconFile(name, found);
        if (lookup == Lookup::Failed) {
            return false;
        }
        if (lookup == Lookup::Absent) {
            // No icon yet: a new one, made in one step like a replacement.
            return ReplaceFile(std::string(name) + kIconSuffix, nullptr, bytes);
        }
        // A link is followed: its target is replaced and the link stays.
        std::string target;
        if (!FollowLinks(found, target)) {
            return false;
        }
        struct stat st;
        if (stat(target.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !ModeAllowsWrite(st)) {
            return false;
        }
        // What is there now must be an icon: anything else is never overwritten.
        IconFile old;
        if (!ReadIconBytes(target, old.bytes) || !ParseIconFile(old)) {
            return false;
        }
        return ReplaceFile(target, &st, bytes);
    } catch (const std::bad_alloc &) {
        return false;
    }
}

void FreeDiskObject(DiskObject *icon)
{
    if (icon == nullptr) {
        return;
    }
    delete icon->file;
    delete icon;
}

bool IconFilePresent(const char *name)
{
    std::string path;
    return name != nullptr && name[0] != '\0' && FindIconFile(name, path) != Lookup::Absent;
}

bool IconWritable(const char *name)
{
    std::string found;
    std::string target;
    struct stat st;
    if (FindIconFile(name, found) != Lookup::Found || !FollowLinks(found, target) ||
        stat(target.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !ModeAllowsWrite(st)) {
        return false;
    }
    std::size_t slash = target.rfind('/');
    std::string folder = slash == std::string::npos ? std::string(".") : target.substr(0, slash + 1);
    return access(folder.c_str(), W_OK | X_OK) == 0;
}
