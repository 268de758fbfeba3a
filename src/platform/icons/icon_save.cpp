// The save transaction. After a save that fails at any call, every icon holds its
// old bytes or its new ones. After a save killed at any moment, every icon renamed
// into place holds its old bytes or its new ones; an icon overwritten in place (see
// below) may be torn: the new bytes cut short over the old ones, or shorter new
// bytes before the old tail (killed between the write and the cut), always with a
// whole backup beside it that the next save in its folder puts back. What a writer
// leaves behind is written into an icon only when that writer tore it. The promise
// is per icon, and assumes that every writer of these folders is this tool, that
// one process runs one save at a time, and that a file system which refuses locks
// to one process refuses them to all.
// - A save takes the lock of each folder before it reads an icon there and holds
//   it until its icons are in place: flock on the folder itself, else an open file
//   description lock on ".settings-lock" beside the icons (removed before it is
//   let go). Two saves never interleave, and each reads what the other wrote. A
//   ".settings-lock" that cannot serve (a link, a folder, another user's file) is
//   replaced unless a writer holds it: exchanged in one step with a lock file this
//   writer holds already, and what came out removed only when it is what was
//   judged and nobody holds it. Where it cannot be replaced nothing is written in
//   its folder; where the file system gives no lock at all the save goes on and
//   says so.
// - An icon that other folders share by hard links is locked itself, on the file,
//   from its read to the end of the save: saves through any of its names wait for
//   each other as saves of one folder do.
// - A lock is waited for as long as the caller's hook lets it (told after two
//   seconds) only by a save that holds no lock another could wait for in turn: its
//   first folder, or its first shared icon while it holds folders alone. Any other
//   wait ends after a few seconds and fails, so that saves taking locks in other
//   orders never wait for each other for ever.
// - While it holds the lock no other writer can be at work in the folder, so every
//   leftover there is a dead writer's, whatever process id its name carries; the id
//   is trusted (a live process's leftovers are left) only where there is no lock.
// - An icon is replaced by a new file beside it (".NAME.info.settings-PID-XXXXXX")
//   with the old one's owner, group, mode and extended attributes, flushed, then
//   renamed over it, atomically; a new icon is renamed without replacing a file
//   made meanwhile. Leftover new files are removed.
// - An icon with other hard links, or whose attributes the new file cannot have,
//   is overwritten in place, but only once a backup (".NAME.info.settings-PID-
//   backup-XXXXXX") is on disk: the old bytes, the new ones, the icon's device and
//   inode, sealed with a checksum of the bytes; written under a new file's name,
//   flushed, renamed and its folder flushed, so that a backup is never cut short.
//   The new bytes are written from the start, then a longer old file is cut to
//   their length; in place, no order avoids the torn states above.
// - A backup is written back only into the file it names, when that file holds
//   what its writer's overwrite or restore leaves (old bytes, then new ones, then
//   old ones again), and only when it is a regular file of one link, the icon's
//   owner's or this user's, whose old bytes are an icon. One whose icon holds the
//   old or the new bytes is removed. Anything else under a backup's name is left
//   and named. Its seal and size, and its icon's identity and size, are judged
//   first; the backup is read whole only when it can be that icon's.
// - A failed overwrite puts the old bytes back at once (three tries), else renames
//   a new file holding them over the icon (its other links are lost); else the
//   backup stays for the next save and the icon is named damaged.
// - The new files and the backups are flushed together; the folders of in-place
//   writes once before those writes, and every folder of the save once after its
//   renames and removals.
#include "platform/icons/icon_save.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <random>
#include <sys/file.h>
#include <sys/xattr.h>
#include <system_error>
#include <thread>
#include <unistd.h>

#include "platform/formats/icon_file.h"
#include "platform/formats/png_icon.h"
#include "platform/icons/icon_files.h"
#include "platform/icons/icon_image.h"

namespace icon_files {

namespace {

// A writer's temporary files beside the icon NAME.info it writes:
// ".NAME.info.settings-PID-XXXXXX" (the new icon) and
// ".NAME.info.settings-PID-backup-XXXXXX" (the old one, while it is written in place).
constexpr const char *kTempTag = ".settings-";
constexpr const char *kBackupTag = "backup-";
// The lock file where a folder cannot be locked itself.
constexpr const char *kLockFile = ".settings-lock";

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
FileDescriptor MakeTempFile(const std::string &target, bool backup, mode_t mode, std::string &path)
{
    for (int tries = 0; tries < 100; ++tries) {
        path = TempName(target, backup);
        FileDescriptor file(open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode));
        if (file.valid() || errno != EEXIST) {
            return file;
        }
    }
    return FileDescriptor();
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

// Overwrites the open file with bytes and flushes it.
bool OverwriteFile(int fd, const std::string &bytes)
{
    return WriteAllAt(fd, bytes) && ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && fsync(fd) == 0;
}

// Overwrites the file itself (its inode, owner, links and attributes stay) and
// flushes it. IconProblem::None, or why it failed; touched tells whether the file
// was opened for the write (else it is as it was).
IconProblem WriteInPlace(const std::string &path, const std::string &bytes, bool *touched = nullptr)
{
    FileDescriptor file(open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (touched != nullptr) {
        *touched = file.valid();
    }
    return file.valid() && OverwriteFile(file.get(), bytes) ? IconProblem::None : WriteProblem(errno);
}

// Reads a whole open regular file of at most limit bytes.
bool ReadOpenFile(int fd, std::size_t limit, std::string &bytes)
{
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
        static_cast<std::uintmax_t>(st.st_size) > limit) {
        return false;
    }
    bytes.assign(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t got = pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    char more;
    return pread(fd, &more, 1, static_cast<off_t>(done)) == 0;
}

// A backup holds the old bytes, the new ones and a seal: a mark, both lengths, the
// icon's device and inode, and a checksum of both kinds of bytes.
constexpr char kSealMark[8] = {'S', 'E', 'T', 'B', 'A', 'C', 'K', '2'};
constexpr std::size_t kSealSize = sizeof kSealMark + 5 * 8;
constexpr std::size_t kBackupMaxSize = 2 * kIconMaxFileSize + kSealSize;

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

std::uint64_t GetNumber(const std::string &in, std::size_t at)
{
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i) {
        value = value << 8 | static_cast<unsigned char>(in[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

// What a backup records: from its seal the lengths and the icon's identity, then
// its old and new bytes.
struct Backup {
    std::string old, bytes;
    std::uint64_t oldSize = 0, newSize = 0, dev = 0, ino = 0;
};

// The seal that ends a backup of size bytes; false when it is none, or names other
// lengths than the backup's.
bool ReadSeal(const std::string &seal, std::uint64_t size, Backup &backup)
{
    if (seal.size() != kSealSize || size < kSealSize ||
        seal.compare(0, sizeof kSealMark, kSealMark, sizeof kSealMark) != 0) {
        return false;
    }
    backup.oldSize = GetNumber(seal, 8);
    backup.newSize = GetNumber(seal, 16);
    backup.dev = GetNumber(seal, 24);
    backup.ino = GetNumber(seal, 32);
    return backup.oldSize <= size - kSealSize && backup.newSize == size - kSealSize - backup.oldSize;
}

// The backup's parts; false when it is not whole and sealed.
bool OpenBackup(const std::string &sealed, Backup &backup)
{
    if (sealed.size() < kSealSize) {
        return false;
    }
    const std::size_t seal = sealed.size() - kSealSize;
    if (!ReadSeal(sealed.substr(seal), sealed.size(), backup) ||
        GetNumber(sealed, seal + 40) != Checksum(sealed.data(), seal)) {
        return false;
    }
    backup.old = sealed.substr(0, backup.oldSize);
    backup.bytes = sealed.substr(backup.oldSize, backup.newSize);
    return true;
}

bool IsIcon(const std::string &bytes)
{
    const std::span<const std::uint8_t> span(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size());
    IconLayout layout;
    PngIconLayout png;
    return IsPngIcon(span) ? ParsePngIcon(span, png) : ParseIcon(span, layout);
}

// Whether now is what overwriting old by bytes, or writing old back over such a
// write, leaves: old bytes, then new ones, then old ones again, each part possibly
// empty, as long as the longer of what was written and what was there.
bool IsTornBetween(const std::string &now, const std::string &old, const std::string &bytes)
{
    const std::size_t size = now.size();
    if (size < std::min(old.size(), bytes.size()) || size > std::max(old.size(), bytes.size())) {
        return false;
    }
    std::size_t at = 0;
    while (at < size && at < old.size() && now[at] == old[at]) {
        ++at;
    }
    while (at < size && at < bytes.size() && now[at] == bytes[at]) {
        ++at;
    }
    while (at < size && at < old.size() && now[at] == old[at]) {
        ++at;
    }
    return at == size;
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
// put in place; or, when the file must keep its inode, its backup.
struct PendingWrite {
    std::string target;
    std::string temp;     // the new file, or the backup until it is whole
    std::string backup;   // in place: the backup once it is whole and named so
    FileDescriptor file;  // temp's
    int folder = -1;      // the locked folder's (held by its FolderLock)
    bool create = false;  // no file before: one made meanwhile is never replaced
    bool inPlace = false;
    struct stat st {};  // in place: the old file's status
    std::string bytes;  // in place: the new bytes
    std::string old;    // in place: the old bytes
    IconProblem problem = IconProblem::None;
    void Fail(IconProblem why) { problem = problem == IconProblem::None ? why : problem; }
};

struct FolderLock {
    std::string folder;  // as the save named it
    FileDescriptor fd;
    FileDescriptor lockFile;  // kLockFile's, where the folder itself cannot be locked
    bool known = false;       // its identity, asked for once a save locks a second folder
    dev_t dev = 0;
    ino_t ino = 0;
};

// The lock of an icon that other folders share by hard links, on the file itself.
struct IconLock {
    FileDescriptor fd;
    dev_t dev = 0;
    ino_t ino = 0;
};

bool saving = false;
bool dryRun = false;
std::vector<FolderLock> lockedFolders;
std::vector<IconLock> lockedIcons;
LockWaitHook lockWaitHook = nullptr;
std::vector<PendingWrite> pendingWrites;
std::vector<IconSaveNote> saveNotes;

// Whether the process that wrote a leftover may still be at work: its id names a
// process, and not this one (which runs one save at a time).
bool WriterMayLive(unsigned long long pid)
{
    return pid > 0 && pid <= INT_MAX && static_cast<pid_t>(pid) != OwnPid() &&
           !(kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH);
}

// Fills in the identity of a locked folder, false when it cannot be had.
bool KnowFolder(FolderLock &lock)
{
    struct stat st;
    if (!lock.known && fstat(lock.fd.get(), &st) == 0) {
        lock.known = true;
        lock.dev = st.st_dev;
        lock.ino = st.st_ino;
    }
    return lock.known;
}

// The names in the folder fd that may be a writer's leftovers.
std::vector<std::string> LeftoverNames(int fd)
{
    std::vector<std::string> names;
    alignas(struct dirent64) char buffer[16384];
    ssize_t got;
    lseek(fd, 0, SEEK_SET);
    while ((got = getdents64(fd, buffer, sizeof buffer)) > 0) {
        for (ssize_t at = 0; at < got;) {
            const auto *entry = reinterpret_cast<const struct dirent64 *>(buffer + at);
            at += entry->d_reclen;
            if (entry->d_name[0] == '.' && std::strstr(entry->d_name, kTempTag) != nullptr) {
                names.emplace_back(entry->d_name);
            }
        }
    }
    return names;
}

// A leftover's name taken apart: the name of the icon it is beside, its writer's
// id (ULLONG_MAX when it names no process) and whether it is a backup.
bool SplitLeftoverName(const std::string &name, std::string &icon, unsigned long long &pid, bool &backup)
{
    const std::size_t suffix = std::strlen(kIconSuffix);
    const std::size_t tag = name.rfind(kTempTag);
    if (name[0] != '.' || tag == std::string::npos || tag < 1 + suffix ||
        name.compare(tag - suffix, suffix, kIconSuffix) != 0) {
        return false;
    }
    const char *rest = name.c_str() + tag + std::strlen(kTempTag);
    char *end = nullptr;
    errno = 0;
    pid = std::strtoull(rest, &end, 10);
    if (*rest < '0' || *rest > '9' || *end != '-') {
        return false;
    }
    pid = errno == ERANGE ? ULLONG_MAX : pid;
    backup = std::strncmp(end + 1, kBackupTag, std::strlen(kBackupTag)) == 0;
    icon = name.substr(1, tag - 1);
    return true;
}

enum class BackupState {
    Spent,    // its icon holds the old or the new bytes
    Torn,     // its icon holds what its writer's overwrite leaves
    Foreign,  // anything else: not provably a backup its icon's writer left
    Busy,     // its icon, shared by hard links, is being written through another name
};

// Judges the backup name beside icon in the folder fd (folder as the save names
// it), opening neither through a link: by its seal and size, and its icon's
// identity and size, first; both are read whole only when it can be that icon's
// backup, under the icon's own lock where other folders share it and lock says so.
// The icon is left open in iconFile (for writing where it may be).
BackupState JudgeBackup(int fd, const std::string &folder, const std::string &name, const std::string &icon, bool lock,
                        Backup &backup, FileDescriptor &iconFile)
{
    constexpr int kFlags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    FileDescriptor file(openat(fd, name.c_str(), O_RDONLY | kFlags));
    struct stat own, st;
    std::string seal(kSealSize, '\0'), sealed, now;
    if (!file.valid() || fstat(file.get(), &own) != 0 || !S_ISREG(own.st_mode) || own.st_nlink != 1 ||
        own.st_size < static_cast<off_t>(kSealSize) || own.st_size > static_cast<off_t>(kBackupMaxSize) ||
        pread(file.get(), seal.data(), kSealSize, own.st_size - static_cast<off_t>(kSealSize)) !=
            static_cast<ssize_t>(kSealSize) ||
        !ReadSeal(seal, static_cast<std::uint64_t>(own.st_size), backup)) {
        return BackupState::Foreign;
    }
    iconFile = FileDescriptor(openat(fd, icon.c_str(), O_RDWR | kFlags));
    if (!iconFile.valid() && errno != ENOENT && errno != ELOOP) {
        iconFile = FileDescriptor(openat(fd, icon.c_str(), O_RDONLY | kFlags));
    }
    if (!iconFile.valid() || fstat(iconFile.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_dev != backup.dev ||
        st.st_ino != backup.ino || (own.st_uid != st.st_uid && own.st_uid != geteuid()) ||
        static_cast<std::uint64_t>(st.st_size) < std::min(backup.oldSize, backup.newSize) ||
        static_cast<std::uint64_t>(st.st_size) > std::max(backup.oldSize, backup.newSize)) {
        return BackupState::Foreign;
    }
    if (lock && st.st_nlink > 1 && !LockSharedIcon(folder + icon, st)) {
        return BackupState::Busy;
    }
    if (!ReadOpenFile(file.get(), kBackupMaxSize, sealed) || !OpenBackup(sealed, backup) || !IsIcon(backup.old) ||
        !ReadOpenFile(iconFile.get(), kIconMaxFileSize, now)) {
        return BackupState::Foreign;
    }
    if (now == backup.old || now == backup.bytes) {
        return BackupState::Spent;
    }
    return IsTornBetween(now, backup.old, backup.bytes) ? BackupState::Torn : BackupState::Foreign;
}

// Puts back or removes what writers that are gone left beside the icons of the
// folder fd: a new icon never renamed is removed, a backup is written back into
// the icon its writer tore and removed, or removed when its icon is whole; any
// other file under a backup's name is left and named. Without the lock the
// leftovers of processes that may be alive are left too. A dry run only notes what
// a save would do.
void ClearLeftovers(const std::string &folder, int fd, bool locked)
{
    for (const std::string &name : LeftoverNames(fd)) {
        std::string icon;
        unsigned long long pid = 0;
        bool isBackup = false;
        if (!SplitLeftoverName(name, icon, pid, isBackup) || (!locked && WriterMayLive(pid))) {
            continue;
        }
        const std::string path = folder + name;
        Backup backup;
        FileDescriptor iconFile;
        const BackupState state =
            isBackup ? JudgeBackup(fd, folder, name, icon, true, backup, iconFile) : BackupState::Spent;
        if (state == BackupState::Busy) {
            continue;  // for a later save
        }
        if (state == BackupState::Foreign) {
            saveNotes.push_back({IconSaveNoteKind::LeftAlone, path, ""});
        } else if (dryRun) {
            saveNotes.push_back(state == BackupState::Spent
                                    ? IconSaveNote{IconSaveNoteKind::Removable, path, ""}
                                    : IconSaveNote{IconSaveNoteKind::Restorable, path, folder + icon});
        } else if (state == BackupState::Spent || OverwriteFile(iconFile.get(), backup.old)) {
            unlinkat(fd, name.c_str(), 0);
        } else {
            saveNotes.push_back({IconSaveNoteKind::Restorable, path, folder + icon});
        }
    }
}

void SyncPending(PendingWrite &write)
{
    if (fsync(write.file.get()) != 0) {
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

// Flushes the folders of the writes (of the in-place ones only, or of all), each
// folder once; the writes of a folder that fails fail.
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

// Gives a whole, flushed backup its backup's name.
bool NameBackup(PendingWrite &write)
{
    for (int tries = 0; tries < 100; ++tries) {
        const std::string name = TempName(write.target, true);
        if (renameat2(AT_FDCWD, write.temp.c_str(), AT_FDCWD, name.c_str(), RENAME_NOREPLACE) == 0 ||
            (errno == EINVAL && rename(write.temp.c_str(), name.c_str()) == 0)) {
            write.backup = name;
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

// Puts the old bytes back after a failed overwrite: in place, three tries; else a
// new file holding them, with as many of the icon's attributes as it can have, is
// renamed over the icon, whose other links then no longer share it.
bool PutOldBack(PendingWrite &write)
{
    for (int tries = 0; tries < 3; ++tries) {
        if (WriteInPlace(write.target, write.old) == IconProblem::None) {
            return true;
        }
    }
    std::string temp;
    FileDescriptor file = MakeTempFile(write.target, false, write.st.st_mode & 07777, temp);
    if (!file.valid()) {
        return false;
    }
    bool ok = WriteAllAt(file.get(), write.old);
    if (ok) {
        CopyAttributes(write.target, file.get(), write.st);  // as many as it can have
    }
    ok = ok && fsync(file.get()) == 0;
    ok = file.Close() && ok && rename(temp.c_str(), write.target.c_str()) == 0;
    if (!ok) {
        unlink(temp.c_str());
        return false;
    }
    write.problem = IconProblem::LinkLost;
    return true;
}

// Overwrites an icon in place once its backup is on disk; the backup goes once
// the icon is whole, old or new, and stays for the next save while it is not.
void PutInPlace(PendingWrite &write)
{
    if (write.problem == IconProblem::None) {
        bool touched = false;
        write.Fail(WriteInPlace(write.target, write.bytes, &touched));
        if (write.problem != IconProblem::None && touched && !PutOldBack(write)) {
            write.problem = IconProblem::Damaged;
            saveNotes.push_back({IconSaveNoteKind::Restorable, write.backup, write.target});
            return;
        }
    }
    unlink((write.backup.empty() ? write.temp : write.backup).c_str());
}

// Locks are tried every kLockPollMs. A save that holds no lock another could be
// waiting for in turn waits as long as the hook lets it, told after kLockTellMs;
// any other wait ends after kFurtherLockMs, so that saves taking locks in other
// orders never wait for each other for ever.
constexpr int kLockPollMs = 50;
constexpr int kLockTellMs = 2000;
constexpr int kFurtherLockMs = 5000;

// The outcome of one try at a lock.
enum class LockTry {
    Held,
    Busy,      // another holds it
    NoLock,    // the file system gives none
    Failed,    // errno says why
    Unusable,  // kLockFile cannot serve as a lock and cannot be replaced
};

// A folder as a message names it: the drawer's path for the current folder.
std::string ShownFolder(const std::string &folder)
{
    char path[PATH_MAX];
    return !folder.empty() || getcwd(path, sizeof path) == nullptr ? OpenableFolder(folder) : std::string(path);
}

// Tries attempt until it is not Busy: for as long as the hook lets it when
// longWait, else for kFurtherLockMs. A wait given up is Failed with EWOULDBLOCK.
template <typename Attempt> LockTry WaitForLock(Attempt attempt, const std::string &folder, bool longWait)
{
    bool told = false, gaveUp = false;
    LockTry got = attempt();
    for (int waited = 0; got == LockTry::Busy; waited += kLockPollMs) {
        if (longWait && waited >= kLockTellMs && lockWaitHook != nullptr) {
            told = true;
            gaveUp = !lockWaitHook(ShownFolder(folder), waited);
        } else {
            gaveUp = !longWait && waited >= kFurtherLockMs;
        }
        if (gaveUp) {
            got = LockTry::Failed;
            break;
        }
        usleep(kLockPollMs * 1000);
        got = attempt();
    }
    const int error = gaveUp ? EWOULDBLOCK : errno;
    if (told) {
        lockWaitHook(ShownFolder(folder), -1);
    }
    errno = error;
    return got;
}

// One try at an open file description lock on the whole open file.
LockTry TryLockOpenFile(int fd)
{
    struct flock range {};
    range.l_type = F_WRLCK;
    range.l_whence = SEEK_SET;
    if (fcntl(fd, F_OFD_SETLK, &range) == 0) {
        return LockTry::Held;
    }
    return errno == EAGAIN || errno == EACCES || errno == EINTR                           ? LockTry::Busy
           : errno == ENOLCK || errno == EOPNOTSUPP || errno == EINVAL || errno == ENOSYS ? LockTry::NoLock
                                                                                          : LockTry::Failed;
}

// Whether another holds a lock on the file name in the folder dir: 1 yes, 0 no (a
// link, a folder or a pipe is never held), -1 it cannot be told.
int LockedByAnother(int dir, const char *name)
{
    FileDescriptor file(openat(dir, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat st;
    if (!file.valid()) {
        return errno == ELOOP || errno == ENOENT || errno == ENXIO ? 0 : -1;
    }
    if (fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return 0;
    }
    struct flock range {};
    range.l_type = F_WRLCK;
    range.l_whence = SEEK_SET;
    return fcntl(file.get(), F_OFD_GETLK, &range) != 0 ? -1 : range.l_type != F_UNLCK ? 1 : 0;
}

// Replaces what stands under kLockFile beside the icons of the folder and cannot
// serve as a lock (a link, a folder, a pipe, another user's file this one cannot
// write), unless a writer holds it. An empty folder is removed (which never
// removes a file); anything else is exchanged in one step with a new lock file of
// this writer, held before it is named, and what came out is removed when it is
// what was judged and nobody holds it, else put back to be waited for.
LockTry ReplaceLockFile(FolderLock &lock)
{
    const int dir = lock.fd.get();
    struct stat judged;
    if (fstatat(dir, kLockFile, &judged, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT ? LockTry::Busy : LockTry::Failed;
    }
    const int held = LockedByAnother(dir, kLockFile);
    if (held != 0) {
        return held > 0 ? LockTry::Busy : LockTry::Unusable;
    }
    if (S_ISDIR(judged.st_mode)) {
        const bool gone = unlinkat(dir, kLockFile, AT_REMOVEDIR) == 0 || errno == ENOENT || errno == ENOTDIR;
        return gone ? LockTry::Busy : LockTry::Unusable;
    }
    static std::minstd_rand random(static_cast<std::uint_fast32_t>(OwnPid()));
    std::string name;
    FileDescriptor made;
    for (int tries = 0; tries < 100 && !made.valid(); ++tries) {
        name = std::string(kLockFile) + "." + std::to_string(OwnPid()) + "-" + std::to_string(random());
        made = FileDescriptor(openat(dir, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (!made.valid() && errno != EEXIST) {
            return LockTry::Unusable;
        }
    }
    if (!made.valid() || TryLockOpenFile(made.get()) != LockTry::Held ||
        renameat2(dir, name.c_str(), dir, kLockFile, RENAME_EXCHANGE) != 0) {
        const bool gone = errno == ENOENT;
        unlinkat(dir, name.c_str(), 0);
        return gone ? LockTry::Busy : LockTry::Unusable;
    }
    struct stat out;
    if (fstatat(dir, name.c_str(), &out, AT_SYMLINK_NOFOLLOW) == 0 && out.st_dev == judged.st_dev &&
        out.st_ino == judged.st_ino && LockedByAnother(dir, name.c_str()) == 0) {
        unlinkat(dir, name.c_str(), 0);
        lock.lockFile = std::move(made);
        return LockTry::Held;
    }
    // Made or taken meanwhile: put back. Where its holder has removed the name
    // meanwhile (ours), what came out is a lock let go.
    renameat2(dir, name.c_str(), dir, kLockFile, RENAME_EXCHANGE);
    unlinkat(dir, name.c_str(), 0);
    return LockTry::Busy;
}

// Whether the lock file held is the one under kLockFile: the holder waited for
// removes the file before it lets go, and a lock on a removed file is none.
bool LockFileNamed(const FolderLock &lock)
{
    struct stat held, named;
    return fstat(lock.lockFile.get(), &held) == 0 &&
           fstatat(lock.fd.get(), kLockFile, &named, AT_SYMLINK_NOFOLLOW) == 0 && held.st_dev == named.st_dev &&
           held.st_ino == named.st_ino;
}

// One try at kLockFile beside the icons, made when there is none.
LockTry TryLockFile(FolderLock &lock)
{
    const int dir = lock.fd.get();
    lock.lockFile =
        FileDescriptor(openat(dir, kLockFile, O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666));
    struct stat st;
    LockTry got;
    if (lock.lockFile.valid() && fstat(lock.lockFile.get(), &st) == 0 && S_ISREG(st.st_mode)) {
        got = TryLockOpenFile(lock.lockFile.get());
    } else {
        // None can be made (the folder cannot be written: nor can the icons), or
        // what is there cannot be locked by this user.
        lock.lockFile.Close();
        got = fstatat(dir, kLockFile, &st, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT ? LockTry::NoLock
                                                                                        : ReplaceLockFile(lock);
    }
    if (got == LockTry::Held && LockFileNamed(lock)) {
        return got;
    }
    lock.lockFile.Close();
    return got == LockTry::Held ? LockTry::Busy : got;
}

// Takes the lock of a folder: flock on the folder itself; where the file system
// has no flock, an open file description lock on kLockFile beside the icons (a dry
// run makes none). The first lock of a save may wait long, further ones a few
// seconds (WaitForLock).
LockTry TakeLock(FolderLock &lock, bool longWait)
{
    const int fd = lock.fd.get();
    const LockTry got = WaitForLock(
        [fd] {
            if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
                return LockTry::Held;
            }
            return errno == EWOULDBLOCK || errno == EINTR                      ? LockTry::Busy
                   : errno == ENOLCK || errno == EOPNOTSUPP || errno == EINVAL ? LockTry::NoLock
                                                                               : LockTry::Failed;
        },
        lock.folder, longWait);
    if (got != LockTry::NoLock || dryRun) {
        return got;
    }
    return WaitForLock([&lock] { return TryLockFile(lock); }, lock.folder, longWait);
}

}  // namespace

std::string TempName(const std::string &target, bool backup)
{
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::minstd_rand random(
        static_cast<std::uint_fast32_t>(std::chrono::steady_clock::now().time_since_epoch().count() ^ OwnPid()));
    std::string path = FolderOf(target) + "." + BaseOf(target) + kTempTag + std::to_string(OwnPid()) + "-" +
                       (backup ? kBackupTag : "");
    for (int i = 0; i < 6; ++i) {
        path += kLetters[random() % (sizeof kLetters - 1)];
    }
    return path;
}

std::string SealedBackup(const std::string &old, const std::string &bytes, const struct stat &icon)
{
    std::string sealed = old + bytes;
    const std::uint64_t checksum = Checksum(sealed.data(), sealed.size());
    sealed.append(kSealMark, sizeof kSealMark);
    PutNumber(sealed, old.size());
    PutNumber(sealed, bytes.size());
    PutNumber(sealed, icon.st_dev);
    PutNumber(sealed, icon.st_ino);
    PutNumber(sealed, checksum);
    return sealed;
}

bool ForeignLeftoverBeside(const std::string &target)
{
    FileDescriptor fd(open(OpenableFolder(FolderOf(target)).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid()) {
        return false;
    }
    for (const std::string &name : LeftoverNames(fd.get())) {
        std::string icon;
        unsigned long long pid = 0;
        bool isBackup = false;
        Backup backup;
        FileDescriptor iconFile;
        if (SplitLeftoverName(name, icon, pid, isBackup) && isBackup && icon == BaseOf(target) &&
            JudgeBackup(fd.get(), FolderOf(target), name, icon, false, backup, iconFile) == BackupState::Foreign) {
            return true;
        }
    }
    return false;
}

bool IconSaveOpen()
{
    return saving;
}

bool LockSharedIcon(const std::string &path, const struct stat &st)
{
    for (const IconLock &held : lockedIcons) {
        if (held.dev == st.st_dev && held.ino == st.st_ino) {
            return true;
        }
    }
    IconLock made{FileDescriptor(open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)),
                  st.st_dev, st.st_ino};
    struct stat opened;
    if (!made.fd.valid() || fstat(made.fd.get(), &opened) != 0 || opened.st_dev != st.st_dev ||
        opened.st_ino != st.st_ino) {
        return true;  // not to be written through this name, or not this file: the write finds out
    }
    const int fd = made.fd.get();
    const LockTry got = WaitForLock([fd] { return TryLockOpenFile(fd); }, FolderOf(path), lockedIcons.empty());
    if (got == LockTry::Held) {
        lockedIcons.push_back(std::move(made));
    }
    return got == LockTry::Held || got == LockTry::NoLock;
}

// Takes the lock of a folder for the rest of the save (TakeLock), which leaves no
// file behind and ends with its holder, then clears the leftovers of writers that
// are gone. Returns the folder's descriptor, kept until the end of the save, or -1.
int LockFolder(const std::string &folder)
{
    for (const FolderLock &lock : lockedFolders) {
        if (lock.folder == folder) {
            return lock.fd.get();
        }
    }
    // Reading the folder for leftovers leaves its access time alone where the process
    // may ask that (its owner, or privileged): a changed time costs each flush a write.
    const std::string openable = OpenableFolder(folder);
    FolderLock made;
    made.folder = folder;
    made.fd = FileDescriptor(open(openable.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOATIME));
    if (!made.fd.valid() && errno == EPERM) {
        made.fd = FileDescriptor(open(openable.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    }
    if (!made.fd.valid() || (!lockedFolders.empty() && !KnowFolder(made))) {
        return -1;
    }
    for (FolderLock &lock : lockedFolders) {
        if (KnowFolder(lock) && lock.dev == made.dev && lock.ino == made.ino) {
            return lock.fd.get();
        }
    }
    const int fd = made.fd.get();
    const LockTry locked = TakeLock(made, lockedFolders.empty() && lockedIcons.empty());
    if (locked == LockTry::Unusable) {
        saveNotes.push_back({IconSaveNoteKind::LockUnusable, folder + kLockFile, ""});
        errno = ENOLCK;
    }
    if (locked != LockTry::Held && locked != LockTry::NoLock) {
        return -1;
    }
    if (locked == LockTry::NoLock) {
        saveNotes.push_back({IconSaveNoteKind::Unlocked, ShownFolder(folder), ""});
    }
    lockedFolders.push_back(std::move(made));
    ClearLeftovers(folder, fd, locked == LockTry::Held);
    return fd;
}

bool ReplaceFile(const std::string &target, const struct stat *existing, const std::string &bytes,
                 const std::vector<std::uint8_t> *read, IconProblem &problem)
{
    PendingWrite write;
    write.folder = dryRun ? -1 : LockFolder(FolderOf(target));
    if (write.folder < 0) {
        problem = dryRun ? IconProblem::WriteFailed : WriteProblem(errno);
        return false;
    }
    write.target = target;
    write.create = existing == nullptr;
    write.inPlace = existing != nullptr && existing->st_nlink > 1;
    if (!write.inPlace) {
        // A new icon gets what the umask and the folder's default ACL give any new file.
        write.file = MakeTempFile(target, false, existing != nullptr ? existing->st_mode & 07777 : 0666, write.temp);
        if (!write.file.valid()) {
            problem = WriteProblem(errno);
            return false;
        }
        if (!WriteAllAt(write.file.get(), bytes)) {
            problem = WriteProblem(errno);
            write.file.Close();
            unlink(write.temp.c_str());
            return false;
        }
        // The new bytes start for the disk while the attributes are copied.
        sync_file_range(write.file.get(), 0, 0, SYNC_FILE_RANGE_WRITE);
        bool kept = existing == nullptr || CopyAttributes(target, write.file.get(), *existing);
        if (!kept) {
            write.file.Close();
            unlink(write.temp.c_str());
            write.inPlace = true;
        }
    }
    if (write.inPlace && !LockSharedIcon(target, *existing)) {
        problem = IconProblem::Changed;  // another program is writing it through another name
        return false;
    }
    if (write.inPlace) {
        // The old bytes as read, or read again when the file read is not this one.
        std::vector<std::uint8_t> again;
        if (read == nullptr && !ReadIconBytes(target, again)) {
            problem = IconProblem::Unreadable;
            return false;
        }
        write.old.assign((read != nullptr ? read : &again)->begin(), (read != nullptr ? read : &again)->end());
        write.st = *existing;
        write.bytes = bytes;
        // Under a new file's name until it is whole and flushed.
        write.file = MakeTempFile(target, false, 0600, write.temp);
        if (!write.file.valid() || !WriteAllAt(write.file.get(), SealedBackup(write.old, bytes, *existing))) {
            problem = WriteProblem(errno);
            if (write.file.valid()) {
                write.file.Close();
                unlink(write.temp.c_str());
            }
            return false;
        }
    }
    pendingWrites.push_back(std::move(write));
    return true;
}

}  // namespace icon_files

using namespace icon_files;

void BeginIconSave(bool dry)
{
    if (!saving) {
        saveNotes.clear();
        dryRun = dry;
        icon_image::BeginSave(dry);
    }
    saving = true;
}

const std::vector<IconSaveNote> &IconSaveNotes()
{
    return saveNotes;
}

void SetLockWaitHook(LockWaitHook hook)
{
    lockWaitHook = hook;
}

std::vector<IconProblem> EndIconSave()
{
    // The new files and the backups reach the disk together; a backup's name and
    // its folder too before its icon is overwritten.
    SyncPendingFiles();
    for (PendingWrite &write : pendingWrites) {
        if (write.inPlace && write.problem == IconProblem::None && !NameBackup(write)) {
            write.Fail(WriteProblem(errno));
        }
    }
    SyncFolders(true);
    for (PendingWrite &write : pendingWrites) {
        if (!write.file.Close()) {
            write.Fail(WriteProblem(errno));
        }
        if (write.inPlace) {
            PutInPlace(write);
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
    // An image's drawer: its icons replaced in the image, one after the other.
    for (IconProblem problem : icon_image::EndSave()) {
        problems.push_back(problem);
    }
    for (FolderLock &lock : lockedFolders) {
        if (lock.lockFile.valid() && LockFileNamed(lock)) {
            unlinkat(lock.fd.get(), kLockFile, 0);  // while it is held
        }
    }
    pendingWrites.clear();
    lockedFolders.clear();
    lockedIcons.clear();
    saving = false;
    dryRun = false;
    return problems;
}
