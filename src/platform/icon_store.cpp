#include "platform/icon_store.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <new>
#include <pthread.h>
#include <random>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/formats/icon_file.h"
#include "platform/formats/png_icon.h"
#include "platform/whole_file.h"

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
            case ATTR_TOOLTYPE:
                file.list.push_back(tag.text.data());
                break;
            case ATTR_DEFAULTTOOL:
                icon.do_DefaultTool = tag.text.data();
                break;
            case ATTR_STACKSIZE:
                icon.do_StackSize = value;
                break;
            case ATTR_ICONX:
                icon.do_CurrentX = value;
                break;
            case ATTR_ICONY:
                icon.do_CurrentY = value;
                break;
            case ATTR_TYPE:
                icon.do_Type = tag.value <= 0xFF ? static_cast<std::uint8_t>(tag.value) : 0;
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

// The problem a failed write's error number names.
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

// Reads a whole regular file of at most kIconMaxFileSize bytes; the status of the
// file read in st (all zero when it changed while being read, so that it matches
// no file later).
bool ReadIconBytes(const std::string &path, std::vector<std::uint8_t> &bytes, struct stat &st,
                   FileReadStatus *status = nullptr)
{
    struct stat after;
    bool before = stat(path.c_str(), &st) == 0;
    FileReadStatus read = ReadWholeFile(path.c_str(), kIconMaxFileSize, bytes);
    if (status != nullptr) {
        *status = read;
    }
    if (!before || stat(path.c_str(), &after) != 0 || after.st_dev != st.st_dev || after.st_ino != st.st_ino ||
        after.st_size != st.st_size || after.st_mtim.tv_sec != st.st_mtim.tv_sec ||
        after.st_mtim.tv_nsec != st.st_mtim.tv_nsec) {
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

// A writer's temporary files beside the icon NAME.info it writes:
// ".NAME.info.settings-PID-XXXXXX" (the new icon) and
// ".NAME.info.settings-PID-backup-XXXXXX" (the old one, while it is written in place).
constexpr const char *kTempTag = ".settings-";
constexpr const char *kBackupTag = "backup-";

// The process's id, asked once and again after a fork.
pid_t ownPid = 0;

pid_t OwnPid()
{
    static const bool forksForget = pthread_atfork(nullptr, nullptr, [] { ownPid = 0; }) == 0;
    if (ownPid == 0 || !forksForget) {
        ownPid = getpid();
    }
    return ownPid;
}

// Makes a new temporary file of this writer beside target, with the given
// permission bits less the umask; its name goes to path. -1 when none can be made.
int MakeTempFile(const std::string &target, bool backup, mode_t mode, std::string &path)
{
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::minstd_rand random(
        static_cast<std::uint_fast32_t>(std::chrono::steady_clock::now().time_since_epoch().count() ^ OwnPid()));
    const std::string stem = FolderOf(target) + "." + BaseOf(target) + kTempTag + std::to_string(OwnPid()) + "-" +
                             (backup ? kBackupTag : "");
    for (int tries = 0; tries < 100; ++tries) {
        path = stem;
        for (int i = 0; i < 6; ++i) {
            path += kLetters[random() % (sizeof kLetters - 1)];
        }
        int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

bool WriteAllAt(int fd, const std::string &bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put = pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            errno = put == 0 ? ENOSPC : errno;
            return false;
        }
        done += static_cast<std::size_t>(put);
    }
    return true;
}

// Overwrites the file itself (its inode, owner, links and attributes stay) and
// flushes it. IconProblem::None, or why it failed.
IconProblem WriteInPlace(const std::string &path, const std::string &bytes)
{
    FileDescriptor file(open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    const bool ok = file.valid() && WriteAllAt(file.get(), bytes) &&
                    ftruncate(file.get(), static_cast<off_t>(bytes.size())) == 0 && fsync(file.get()) == 0;
    return ok ? IconProblem::None : WriteProblem(errno);
}

// A backup holds the old bytes followed by a seal: a mark, their length and their
// checksum, so that one cut short by a writer's death is known and never put back.
constexpr char kSealMark[8] = {'S', 'E', 'T', 'B', 'A', 'C', 'K', '1'};
constexpr std::size_t kSealSize = sizeof kSealMark + 16;

std::uint64_t Checksum(const char *bytes, std::size_t size)
{
    std::uint64_t hash = 14695981039346656037u;  // 64-bit FNV-1a
    for (std::size_t i = 0; i < size; ++i) {
        hash = (hash ^ static_cast<unsigned char>(bytes[i])) * 1099511628211u;
    }
    return hash;
}

void PutNumber(std::string &out, std::uint64_t value)
{
    for (int i = 0; i < 8; ++i) {
        out += static_cast<char>(value >> (8 * i));
    }
}

std::string SealedBackup(const std::string &old)
{
    std::string sealed = old;
    sealed.append(kSealMark, sizeof kSealMark);
    PutNumber(sealed, old.size());
    PutNumber(sealed, Checksum(old.data(), old.size()));
    return sealed;
}

// The old bytes of a whole backup; false for one that is cut short or not sealed.
bool OpenBackup(const std::string &path, std::string &old)
{
    std::vector<std::uint8_t> bytes;
    if (!ReadIconBytes(path, bytes) || bytes.size() < kSealSize) {
        return false;
    }
    old.assign(bytes.begin(), bytes.end() - kSealSize);
    std::string seal(bytes.end() - kSealSize, bytes.end());
    std::string expected = SealedBackup(old).substr(old.size());
    return seal == expected;
}

// The extended attributes of a file (ACLs among them), by name.
bool ListAttributes(ssize_t (*list)(const void *, char *, std::size_t), const void *file,
                    std::vector<std::string> &names)
{
    names.clear();
    ssize_t size = list(file, nullptr, 0);
    if (size <= 0) {
        return size == 0 || errno == ENOTSUP;
    }
    std::vector<char> buffer(static_cast<std::size_t>(size) + 1);
    size = list(file, buffer.data(), buffer.size());
    if (size < 0) {
        return false;
    }
    for (ssize_t at = 0; at < size; at += static_cast<ssize_t>(std::strlen(buffer.data() + at)) + 1) {
        names.emplace_back(buffer.data() + at);
    }
    return true;
}

ssize_t ListOfPath(const void *file, char *buffer, std::size_t size)
{
    return listxattr(static_cast<const char *>(file), buffer, size);
}

ssize_t ListOfDescriptor(const void *file, char *buffer, std::size_t size)
{
    return flistxattr(*static_cast<const int *>(file), buffer, size);
}

// Gives the new file fd the owner, group, extended attributes (ACLs among them) and
// mode of the file at path. False when any of them cannot be kept.
bool CopyAttributes(const std::string &path, int fd, const struct stat &st)
{
    struct stat made;
    if (fstat(fd, &made) != 0) {
        return false;
    }
    // A new owner or attribute can change the mode; it is set again last.
    bool modeSet = (made.st_mode & 07777) == (st.st_mode & 07777);
    if (made.st_uid != st.st_uid || made.st_gid != st.st_gid) {
        if (fchown(fd, st.st_uid, st.st_gid) != 0) {
            return false;
        }
        modeSet = false;
    }
    std::vector<std::string> names, own;
    if (!ListAttributes(ListOfPath, path.c_str(), names) || !ListAttributes(ListOfDescriptor, &fd, own)) {
        return false;
    }
    for (const std::string &name : own) {
        if (std::find(names.begin(), names.end(), name) == names.end()) {
            if (fremovexattr(fd, name.c_str()) != 0) {
                return false;
            }
            modeSet = false;
        }
    }
    for (const std::string &name : names) {
        ssize_t size = getxattr(path.c_str(), name.c_str(), nullptr, 0);
        std::vector<char> value(static_cast<std::size_t>(size > 0 ? size : 0) + 1);
        size = size < 0 ? size : getxattr(path.c_str(), name.c_str(), value.data(), value.size());
        if (size < 0 || fsetxattr(fd, name.c_str(), value.data(), static_cast<std::size_t>(size), 0) != 0) {
            return false;
        }
        modeSet = false;
    }
    return modeSet || fchmod(fd, st.st_mode & 07777) == 0;
}

// One icon of the save being made: its new file written, waiting to be flushed and
// put in place; or, when the file must keep its inode, the backup of the old one.
struct PendingWrite {
    std::string target;
    std::string temp;     // the new file, or the backup when written in place
    int fd = -1;          // temp's
    int folder = -1;      // the locked folder's
    bool create = false;  // no file before: one made meanwhile is never replaced
    bool inPlace = false;
    std::string bytes;  // in place: the new bytes
    std::string old;    // in place: the old bytes, as the backup holds them
    IconProblem problem = IconProblem::None;
    void Fail(IconProblem why) { problem = problem == IconProblem::None ? why : problem; }
};

struct FolderLock {
    std::string folder;  // as the save named it
    int fd;
    bool known = false;  // its identity, asked for once a save locks a second folder
    dev_t dev = 0;
    ino_t ino = 0;
};

bool saving = false;
std::vector<FolderLock> lockedFolders;
std::vector<PendingWrite> pendingWrites;
IconProblem lastProblem = IconProblem::None;
IconProblem putProblem = IconProblem::None;

bool ProcessIsGone(pid_t pid)
{
    return pid == OwnPid() || (kill(pid, 0) != 0 && errno == ESRCH);
}

// Fills in the identity of a locked folder, false when it cannot be had.
bool KnowFolder(FolderLock &lock)
{
    struct stat st;
    if (!lock.known && fstat(lock.fd, &st) == 0) {
        lock.known = true;
        lock.dev = st.st_dev;
        lock.ino = st.st_ino;
    }
    return lock.known;
}

// Puts back or removes what writers that are gone left beside the icons of the
// folder: a new icon never renamed is removed; a whole backup is written back into
// its icon (that save never finished, the icon may be torn) and then removed; a
// backup cut short is removed, its icon untouched (the writer died before it began
// to write the icon). fd is the folder's, not yet read.
void ClearLeftovers(const std::string &folder, int fd)
{
    std::vector<std::string> names;
    alignas(struct dirent64) char buffer[16384];
    ssize_t got;
    while ((got = getdents64(fd, buffer, sizeof buffer)) > 0) {
        for (ssize_t at = 0; at < got;) {
            const auto *entry = reinterpret_cast<const struct dirent64 *>(buffer + at);
            at += entry->d_reclen;
            if (entry->d_name[0] == '.' && std::strstr(entry->d_name, kTempTag) != nullptr) {
                names.emplace_back(entry->d_name);
            }
        }
    }
    for (const std::string &name : names) {
        std::size_t tag = name.rfind(kTempTag);
        if (name[0] != '.' || tag == std::string::npos || tag < 1 + std::strlen(kIconSuffix) ||
            name.compare(tag - std::strlen(kIconSuffix), std::strlen(kIconSuffix), kIconSuffix) != 0) {
            continue;
        }
        const char *rest = name.c_str() + tag + std::strlen(kTempTag);
        char *end = nullptr;
        long pid = std::strtol(rest, &end, 10);
        if (end == rest || *end != '-' || pid <= 0 || !ProcessIsGone(static_cast<pid_t>(pid))) {
            continue;
        }
        std::string leftover = folder + name;
        if (std::strncmp(end + 1, kBackupTag, std::strlen(kBackupTag)) != 0) {
            unlink(leftover.c_str());
            continue;
        }
        std::string icon = folder + name.substr(1, tag - 1);
        std::string old, now;
        if (!OpenBackup(leftover, old)) {
            unlink(leftover.c_str());
            continue;
        }
        // An icon removed since is left removed; one still whole is not written.
        std::vector<std::uint8_t> bytes;
        FileReadStatus status = ReadWholeFile(icon.c_str(), kIconMaxFileSize, bytes);
        bool same = status == FileReadStatus::Ok && std::equal(bytes.begin(), bytes.end(), old.begin(), old.end());
        if (status == FileReadStatus::Missing || same || WriteInPlace(icon, old) == IconProblem::None) {
            unlink(leftover.c_str());
        }
    }
}

// Takes the lock of a folder for the rest of the save: flock on the folder itself,
// which leaves no file behind, needs no write permission and ends with its holder.
// The first folder is waited for; further ones for a few seconds, so that two saves
// that take folders in other orders never wait for each other for ever. Then the
// leftovers of writers that are gone are cleared. Returns the folder's descriptor,
// kept until the end of the save, or -1.
int LockFolder(const std::string &folder)
{
    for (const FolderLock &lock : lockedFolders) {
        if (lock.folder == folder) {
            return lock.fd;
        }
    }
    // Reading the folder for leftovers leaves its access time alone where the process
    // may ask that (its owner, or privileged): a changed time costs each flush a write.
    const std::string openable = OpenableFolder(folder);
    int fd = open(openable.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOATIME);
    if (fd < 0 && errno == EPERM) {
        fd = open(openable.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    if (fd < 0) {
        return -1;
    }
    FolderLock made{folder, fd};
    if (!lockedFolders.empty() && !KnowFolder(made)) {
        close(fd);
        return -1;
    }
    for (FolderLock &lock : lockedFolders) {
        if (KnowFolder(lock) && lock.dev == made.dev && lock.ino == made.ino) {
            close(fd);
            return lock.fd;
        }
    }
    const bool wait = lockedFolders.empty();
    for (int tries = 0;; ++tries) {
        if (flock(fd, wait ? LOCK_EX : LOCK_EX | LOCK_NB) == 0) {
            break;
        }
        if (errno == ENOLCK || errno == EOPNOTSUPP || errno == EINVAL) {
            break;  // a file system without locks: written unlocked
        }
        if ((errno != EINTR && errno != EWOULDBLOCK) || tries >= 100) {
            close(fd);
            return -1;
        }
        if (errno == EWOULDBLOCK) {
            usleep(50000);
        }
    }
    lockedFolders.push_back(made);
    ClearLeftovers(folder, fd);
    return fd;
}

// Prepares the replacement of target by bytes. Normally a new file beside it,
// written and given the old one's owner, group, mode and extended attributes, to be
// renamed over it. When those cannot all be kept, or the file has other hard links,
// the old bytes are copied into a backup beside it and the file is later written in
// place. existing holds the old file's status, or null when there is none. On
// failure nothing is left behind.
bool ReplaceFile(const std::string &target, const struct stat *existing, const std::string &bytes,
                 const std::vector<std::uint8_t> *read)
{
    PendingWrite write;
    write.folder = LockFolder(FolderOf(target));
    if (write.folder < 0) {
        putProblem = WriteProblem(errno);
        return false;
    }
    write.target = target;
    write.create = existing == nullptr;
    write.inPlace = existing != nullptr && existing->st_nlink > 1;
    if (!write.inPlace) {
        // A new icon gets what the umask and the folder's default ACL give any new file.
        write.fd = MakeTempFile(target, false, existing != nullptr ? existing->st_mode & 07777 : 0666, write.temp);
        if (write.fd < 0) {
            putProblem = WriteProblem(errno);
            return false;
        }
        if (!WriteAllAt(write.fd, bytes)) {
            putProblem = WriteProblem(errno);
            close(write.fd);
            unlink(write.temp.c_str());
            return false;
        }
        // The new bytes start for the disk while the attributes are copied.
        sync_file_range(write.fd, 0, 0, SYNC_FILE_RANGE_WRITE);
        bool kept = existing == nullptr || CopyAttributes(target, write.fd, *existing);
        if (!kept) {
            close(write.fd);
            unlink(write.temp.c_str());
            write.inPlace = true;
        }
    }
    if (write.inPlace) {
        // The old bytes as read, or read again when the file read is not this one.
        std::vector<std::uint8_t> again;
        if (read == nullptr && !ReadIconBytes(target, again)) {
            putProblem = IconProblem::Unreadable;
            return false;
        }
        write.old.assign((read != nullptr ? read : &again)->begin(), (read != nullptr ? read : &again)->end());
        write.fd = MakeTempFile(target, true, 0600, write.temp);
        if (write.fd < 0 || !WriteAllAt(write.fd, SealedBackup(write.old))) {
            putProblem = WriteProblem(errno);
            if (write.fd >= 0) {
                close(write.fd);
                unlink(write.temp.c_str());
            }
            return false;
        }
        write.bytes = bytes;
    }
    pendingWrites.push_back(std::move(write));
    return true;
}

void SyncPending(PendingWrite &write)
{
    if (fsync(write.fd) != 0) {
        write.Fail(WriteProblem(errno));
    }
}

void SyncPendingFiles()
{
    std::vector<std::thread> syncs;
    for (std::size_t i = 1; i < pendingWrites.size(); ++i) {
        PendingWrite *write = &pendingWrites[i];
        try {
            syncs.emplace_back([write] { SyncPending(*write); });
        } catch (const std::system_error &) {
            SyncPending(*write);
        }
    }
    if (!pendingWrites.empty()) {
        SyncPending(pendingWrites[0]);
    }
    for (std::thread &sync : syncs) {
        sync.join();
    }
}

// Flushes the folders of the given writes, each once; the writes of a folder that
// fails fail.
void SyncFolders(bool inPlaceOnly)
{
    std::vector<int> folders;
    for (const PendingWrite &write : pendingWrites) {
        if ((!inPlaceOnly || write.inPlace) &&
            std::find(folders.begin(), folders.end(), write.folder) == folders.end()) {
            folders.push_back(write.folder);
        }
    }
    for (int folder : folders) {
        if (fsync(folder) != 0 && errno != EINVAL) {
            const IconProblem problem = WriteProblem(errno);
            for (PendingWrite &write : pendingWrites) {
                if ((!inPlaceOnly || write.inPlace) && write.folder == folder) {
                    write.Fail(problem);
                }
            }
        }
    }
}

}  // namespace

void BeginIconSave()
{
    saving = true;
}

std::vector<IconProblem> EndIconSave()
{
    // The new files and the backups reach the disk together; a backup's name too
    // before its icon is overwritten.
    SyncPendingFiles();
    SyncFolders(true);
    for (PendingWrite &write : pendingWrites) {
        if (close(write.fd) != 0) {
            write.Fail(WriteProblem(errno));
        }
        if (write.inPlace) {
            // A failed write puts the old bytes back at once; the backup stays while
            // they may not be, for the next save to put back.
            if (write.problem == IconProblem::None) {
                write.Fail(WriteInPlace(write.target, write.bytes));
                if (write.problem != IconProblem::None) {
                    bool restored = false;
                    for (int tries = 0; tries < 3 && !restored; ++tries) {
                        restored = WriteInPlace(write.target, write.old) == IconProblem::None;
                    }
                    if (!restored) {
                        continue;
                    }
                }
            }
            unlink(write.temp.c_str());
            continue;
        }
        if (write.problem == IconProblem::None) {
            const bool renamed = write.create ? renameat2(AT_FDCWD, write.temp.c_str(), AT_FDCWD, write.target.c_str(),
                                                          RENAME_NOREPLACE) == 0
                                              : rename(write.temp.c_str(), write.target.c_str()) == 0;
            if (!renamed) {
                write.Fail(write.create && errno == EEXIST ? IconProblem::Changed : WriteProblem(errno));
            }
        }
        if (write.problem != IconProblem::None) {
            unlink(write.temp.c_str());
        }
    }
    // One flush of each folder for its renames and removed backups.
    SyncFolders(false);
    std::vector<IconProblem> problems;
    for (const PendingWrite &write : pendingWrites) {
        problems.push_back(write.problem);
    }
    pendingWrites.clear();
    for (const FolderLock &lock : lockedFolders) {
        close(lock.fd);
    }
    lockedFolders.clear();
    saving = false;
    return problems;
}

DiskObject *GetDiskObject(const char *name)
{
    std::string path, target;
    struct stat st;
    Lookup lookup = FindIconFile(name, path, st);
    lastProblem = lookup == Lookup::Absent ? IconProblem::Absent : IconProblem::Unreadable;
    if (lookup != Lookup::Found || !FollowLinks(path, target, st)) {
        return nullptr;
    }
    // A save reads its icons under the lock of their folders.
    if (saving && LockFolder(FolderOf(target)) < 0) {
        return nullptr;
    }
    try {
        auto file = std::make_unique<IconFile>();
        FileReadStatus status;
        if (!ReadIconBytes(target, file->bytes, file->read, &status)) {
            lastProblem = ReadProblem(status);
            return nullptr;
        }
        lastProblem = IconProblem::NotAnIcon;
        if (!ParseIconFile(*file)) {
            return nullptr;
        }
        DiskObject *icon = NewDiskObject(*file);
        file.release();
        lastProblem = IconProblem::None;
        return icon;
    } catch (const std::bad_alloc &) {
        lastProblem = IconProblem::Unreadable;
        return nullptr;
    }
}

IconProblem IconReadProblem()
{
    return lastProblem;
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
            return *entry + (e - *entry);  // a bare key: its empty end
        }
        if (*k == '\0' && *e == '=') {
            return *entry + (e - *entry) + 1;
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
    if (!saving) {
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
        if (!(file.png
                  ? BuildPngIcon(file.bytes.data(), file.bytes.size(), file.pngLayout, icon->do_ToolTypes, count, bytes)
                  : BuildIcon(file.bytes.data(), file.bytes.size(), file.layout, icon->do_ToolTypes, count, bytes))) {
            return false;
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
            return ReplaceFile(std::string(name) + kIconSuffix, nullptr, bytes, nullptr);
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
        bool same = st.st_dev == read.st_dev && st.st_ino == read.st_ino && st.st_size == read.st_size &&
                    st.st_mtim.tv_sec == read.st_mtim.tv_sec && st.st_mtim.tv_nsec == read.st_mtim.tv_nsec;
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
        return ReplaceFile(target, &st, bytes, same ? &file.bytes : &old.bytes);
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
    delete icon->file;
    delete icon;
}

bool IconFilePresent(const char *name)
{
    std::string path;
    struct stat st;
    return name != nullptr && name[0] != '\0' && FindIconFile(name, path, st) != Lookup::Absent;
}

IconProblem IconWriteProblem(const char *name)
{
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
    return known && room < static_cast<std::uintmax_t>(st.st_size) ? IconProblem::NoSpace : IconProblem::None;
}
