// The save transaction. Every icon, after any save, even one killed at any moment
// or failing at any call, holds its old bytes or its new ones, and nothing a
// writer leaves behind is ever taken for an icon:
// - A save takes the lock of each folder (flock on the folder itself) before it
//   reads an icon there, and holds it until its icons are in place: two saves never
//   interleave, and each reads what the other wrote.
// - On taking a lock it clears what writers that are gone left in the folder: a new
//   icon never renamed is removed; a backup whose seal holds is written back into
//   its icon (its writer may have died while overwriting it); one whose seal does
//   not hold is removed and its icon left alone (its writer died before it began
//   to overwrite the icon). What live writers made is left alone.
// - An icon is replaced by a new file beside it (".NAME.info.settings-PID-XXXXXX")
//   with the old one's owner, group, mode and extended attributes, flushed, then
//   renamed over it, atomically; a new icon is renamed without replacing a file
//   made meanwhile.
// - An icon with other hard links, or whose attributes the new file cannot have,
//   is overwritten in place, but only once a backup of its old bytes
//   (".NAME.info.settings-PID-backup-XXXXXX"), sealed with their length and
//   checksum, has been flushed with its folder. A failed overwrite puts the old
//   bytes back at once; the backup goes once the icon is whole.
// - The new files and the backups are flushed together, each folder once before
//   the in-place writes and once after the renames and removals.
#include "platform/icons/icon_save.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
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
#include "platform/icons/icon_files.h"

namespace icon_files {

namespace {

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
FileDescriptor MakeTempFile(const std::string &target, bool backup, mode_t mode, std::string &path)
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
    FileDescriptor file;  // temp's
    int folder = -1;      // the locked folder's (held by its FolderLock)
    bool create = false;  // no file before: one made meanwhile is never replaced
    bool inPlace = false;
    std::string bytes;  // in place: the new bytes
    std::string old;    // in place: the old bytes, as the backup holds them
    IconProblem problem = IconProblem::None;
    void Fail(IconProblem why) { problem = problem == IconProblem::None ? why : problem; }
};

struct FolderLock {
    std::string folder;  // as the save named it
    FileDescriptor fd;
    bool known = false;  // its identity, asked for once a save locks a second folder
    dev_t dev = 0;
    ino_t ino = 0;
};

bool saving = false;
std::vector<FolderLock> lockedFolders;
std::vector<PendingWrite> pendingWrites;

bool ProcessIsGone(pid_t pid)
{
    return pid == OwnPid() || (kill(pid, 0) != 0 && errno == ESRCH);
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

// Prepares the replacement of target by bytes. Normally a new file beside it,
// written and given the old one's owner, group, mode and extended attributes, to be
// renamed over it. When those cannot all be kept, or the file has other hard links,
// the old bytes are copied into a backup beside it and the file is later written in
// place. existing holds the old file's status, or null when there is none. On
// failure nothing is left behind.

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

bool IconSaveOpen()
{
    return saving;
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
            return lock.fd.get();
        }
    }
    // Reading the folder for leftovers leaves its access time alone where the process
    // may ask that (its owner, or privileged): a changed time costs each flush a write.
    const std::string openable = OpenableFolder(folder);
    FolderLock made{folder, FileDescriptor(open(openable.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOATIME))};
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
    const bool wait = lockedFolders.empty();
    for (int tries = 0;; ++tries) {
        if (flock(fd, wait ? LOCK_EX : LOCK_EX | LOCK_NB) == 0) {
            break;
        }
        if (errno == ENOLCK || errno == EOPNOTSUPP || errno == EINVAL) {
            break;  // a file system without locks: written unlocked
        }
        if ((errno != EINTR && errno != EWOULDBLOCK) || tries >= 100) {
            return -1;
        }
        if (errno == EWOULDBLOCK) {
            usleep(50000);
        }
    }
    lockedFolders.push_back(std::move(made));
    ClearLeftovers(folder, fd);
    return fd;
}

bool ReplaceFile(const std::string &target, const struct stat *existing, const std::string &bytes,
                 const std::vector<std::uint8_t> *read, IconProblem &problem)
{
    PendingWrite write;
    write.folder = LockFolder(FolderOf(target));
    if (write.folder < 0) {
        problem = WriteProblem(errno);
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
    if (write.inPlace) {
        // The old bytes as read, or read again when the file read is not this one.
        std::vector<std::uint8_t> again;
        if (read == nullptr && !ReadIconBytes(target, again)) {
            problem = IconProblem::Unreadable;
            return false;
        }
        write.old.assign((read != nullptr ? read : &again)->begin(), (read != nullptr ? read : &again)->end());
        write.file = MakeTempFile(target, true, 0600, write.temp);
        if (!write.file.valid() || !WriteAllAt(write.file.get(), SealedBackup(write.old))) {
            problem = WriteProblem(errno);
            if (write.file.valid()) {
                write.file.Close();
                unlink(write.temp.c_str());
            }
            return false;
        }
        write.bytes = bytes;
    }
    pendingWrites.push_back(std::move(write));
    return true;
}

}  // namespace icon_files

using namespace icon_files;

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
        if (!write.file.Close()) {
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
    lockedFolders.clear();
    saving = false;
    return problems;
}
