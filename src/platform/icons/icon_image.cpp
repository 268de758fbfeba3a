// The store's image drawer. Each operation opens the image, takes its lock, reads
// what it needs through the file system room and lets go; a save holds the image
// open and locked from its first read to its end, so that what it merges is what
// it writes over, and what the next save reads is what this one wrote.
// - The lock is an open file description lock on the image itself: shared for
//   reading, exclusive for a save. A process waiting for it holds the image open
//   only while it tries, so that a save looking for other holders (below) does
//   not take a waiting save for one. A save waits IMAGE_LOCK_WAIT_SECONDS at most;
//   where the image's file system gives no lock, nothing is written.
// - A save writes nothing into an image another process holds open (an emulator
//   running it keeps blocks of its own and would write its bitmap over ours), one
//   it cannot open for writing (read-only file, read-only mount) or whose mode
//   bits deny it, nor into an icon whose protection bits deny writing, that is a
//   link to a file of another drawer, or that does not hold an icon.
// - The icons of a save are replaced by one plan (PlanReplaceAll: write_plan.cpp
//   argues that after any of its writes the volume is valid and each file is old
//   or new), carried out stage by stage with fdatasync after each stage, so that no
//   write reaches the disk before the stages before it have: a save flushes once a
//   stage, however many icons it writes (a round of stages more on a volume too
//   full to hold all the new icons beside the old ones). The plan gives no free
//   block to two icons, and when the icons do not fit nothing is written. A
//   failed write or flush ends the plan there, and no icon is said to be written.
//   Nothing else is written: no byte outside the plan's blocks, no copy of the
//   image. Bytes the same as the icon's write nothing.
// - An icon is dated as AmigaDOS dates a file it writes: the local time.
#include "platform/icons/icon_image.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <functional>
#include <map>
#include <span>

#include "platform/filesystem/blocks.h"
#include "platform/filesystem/filesystem.h"
#include "platform/formats/charset.h"
#include "platform/formats/icon_file.h"
#include "platform/formats/png_icon.h"
#include "platform/icons/icon_files.h"
#include "platform/icons/image_drawer.h"
#include "platform/system/open_files.h"
#include "platform/system/whole_file.h"

namespace {

constexpr std::uint32_t kProtectWrite = 1u << 2;  // set: writing is denied
constexpr int kMaxDrawerDepth = 64;
constexpr useconds_t kLockRetry = 50000;

// An image file, read and written a block at a time; short transfers resumed.
// What is read is kept in aligned chunks of kChunk bytes (up to kCacheLimit) for as
// long as the image is held open and locked, so that a save (its icons read and
// checked, its plan's walk of the volume and its bitmap) reads each part of the
// file once, and neighbouring blocks (a bitmap's, a drawer's) in one call; a write
// drops the chunks it overlaps.
class FileImage : public WritableImage {
public:
    int fd = -1;
    std::uint64_t size = 0;
    int error = 0;  // of the last failed call

    std::uint64_t Size() const override { return size; }
    bool Read(std::uint64_t offset, std::uint8_t *out, std::size_t n) override
    {
        if (offset > size || n > size - offset) {
            return false;
        }
        for (std::uint64_t at = offset; at < offset + n;) {
            const std::uint64_t start = at / kChunk * kChunk;
            const std::size_t take = static_cast<std::size_t>(std::min(offset + n, start + kChunk) - at);
            auto found = cache.find(start);
            if (found == cache.end() && cached + kChunk <= kCacheLimit) {
                std::string chunk(static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, size - start)), '\0');
                if (!Transfer(start, reinterpret_cast<std::uint8_t *>(chunk.data()), chunk.size(), false)) {
                    return false;
                }
                cached += chunk.size();
                found = cache.emplace(start, std::move(chunk)).first;
            }
            if (found != cache.end()) {
                std::memcpy(out + (at - offset), found->second.data() + (at - start), take);
            } else if (!Transfer(at, out + (at - offset), take, false)) {
                return false;
            }
            at += take;
        }
        return true;
    }
    bool Write(std::uint64_t offset, const std::uint8_t *bytes, std::size_t n) override
    {
        if (offset > size || n > size - offset) {
            return false;
        }
        for (std::uint64_t start = offset / kChunk * kChunk; start < offset + n; start += kChunk) {
            const auto found = cache.find(start);
            if (found != cache.end()) {
                cached -= found->second.size();
                cache.erase(found);
            }
        }
        return Transfer(offset, const_cast<std::uint8_t *>(bytes), n, true);
    }

private:
    static constexpr std::size_t kChunk = 64u << 10;
    static constexpr std::size_t kCacheLimit = 16u << 20;
    std::map<std::uint64_t, std::string> cache;
    std::size_t cached = 0;

    bool Transfer(std::uint64_t offset, std::uint8_t *bytes, std::size_t n, bool write)
    {
        for (std::size_t done = 0; done < n;) {
            const auto at = static_cast<off_t>(offset + done);
            const ssize_t moved =
                write ? pwrite(fd, bytes + done, n - done, at) : pread(fd, bytes + done, n - done, at);
            if (moved < 0 && errno == EINTR) {
                continue;
            }
            if (moved <= 0) {
                error = moved == 0 ? (write ? ENOSPC : EIO) : errno;
                return false;
            }
            done += static_cast<std::size_t>(moved);
        }
        return true;
    }
};

// An image opened and locked, and the volume of the drawer's partition.
struct Access {
    FileDescriptor fd;
    FileImage image;
    Volume volume;
    struct stat st {};
};

struct Pending {
    std::string path;
    std::string bytes;
};

// The save being made: the image held from its first read to its end.
struct Save {
    bool active = false, dryRun = false, opened = false;
    Access access;
    IconProblem openProblem = IconProblem::None;  // the image cannot be read: nothing can
    int openError = 0;
    IconProblem refusal = IconProblem::None;  // nothing may be written
    std::vector<Pending> pending;
};

ImageDrawerPlace place;
bool placeSet = false;
Save save;
std::string holderText;
void (*waitHook)(const char *image) = nullptr;

enum class LockState { Held, Busy, None };

// Opens the image and takes its lock, exclusive (the image open for writing) or
// shared. A holder is waited for IMAGE_LOCK_WAIT_SECONDS at most, the image closed
// between tries; the hook is told after a second. The image comes back open (not
// locked when the wait ran out or the file system gives no lock), or not open
// with errno telling why.
FileDescriptor OpenLocked(const std::string &path, bool write, LockState &state)
{
    const auto start = std::chrono::steady_clock::now();
    bool told = false;
    for (;;) {
        FileDescriptor fd(open(path.c_str(), (write ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NOCTTY));
        if (!fd.valid()) {
            return fd;
        }
        struct flock range {};
        range.l_type = write ? F_WRLCK : F_RDLCK;
        range.l_whence = SEEK_SET;
        if (fcntl(fd.get(), F_OFD_SETLK, &range) == 0) {
            state = LockState::Held;
            return fd;
        }
        if (errno != EAGAIN && errno != EACCES && errno != EINTR) {
            state = LockState::None;
            return fd;
        }
        const auto waited = std::chrono::steady_clock::now() - start;
        if (waited >= std::chrono::seconds(IMAGE_LOCK_WAIT_SECONDS)) {
            state = LockState::Busy;
            return fd;
        }
        if (!told && waited >= std::chrono::seconds(1) && waitHook != nullptr) {
            waitHook(path.c_str());
            told = true;
        }
        fd.Close();
        usleep(kLockRetry);
    }
}

// The volume of the drawer's partition in an opened image.
bool LoadVolume(Access &access, IconProblem &problem, int &error)
{
    if (fstat(access.fd.get(), &access.st) != 0) {
        error = errno;
        problem = IconProblem::Unreadable;
        return false;
    }
    access.image.fd = access.fd.get();
    access.image.size = static_cast<std::uint64_t>(access.st.st_size);
    std::vector<Partition> partitions;
    FsFailure why;
    problem = IconProblem::ImageDamaged;
    if (!ListPartitions(access.image, partitions, why)) {
        return false;
    }
    for (const Partition &partition : partitions) {
        if (partition.device == place.device) {
            if (OpenVolume(access.image, partition, access.volume, why)) {
                problem = IconProblem::None;
                return true;
            }
            if (why.problem == FsProblem::ReadFailed) {
                problem = IconProblem::Unreadable;
                error = EIO;
            }
            return false;
        }
    }
    return false;
}

// Why the image cannot take a save's writes now, that it can be opened for: mode
// bits that deny it (judged as for an icon's file), a read-only mount, another
// process holding it open.
IconProblem ImageRefusal(const struct stat &st)
{
    struct statvfs fs;
    if (statvfs(place.image.c_str(), &fs) == 0 && (fs.f_flag & ST_RDONLY) != 0) {
        return IconProblem::ReadOnlyFileSystem;
    }
    if (!icon_files::ModeAllowsWrite(st)) {
        return IconProblem::PermissionDenied;
    }
    FileHolder holder;
    if (FindFileHolder(st.st_dev, st.st_ino, holder)) {
        holderText = holder.name + " (" + std::to_string(holder.pid) + ")";
        return IconProblem::InUse;
    }
    return IconProblem::None;
}

// Opens the image for the save: for writing and locked, else (a read-only image,
// a dry run) for reading, with why nothing may be written.
void OpenForSave()
{
    save.opened = true;
    LockState state = LockState::None;
    const bool write = !save.dryRun;
    save.access.fd = OpenLocked(place.image, write, state);
    if (!save.access.fd.valid() && write && (errno == EROFS || errno == EACCES || errno == EPERM)) {
        save.refusal = errno == EROFS ? IconProblem::ReadOnlyFileSystem : IconProblem::PermissionDenied;
        save.access.fd = OpenLocked(place.image, false, state);
    }
    if (!save.access.fd.valid()) {
        save.openProblem = IconProblem::Unreadable;
        save.openError = errno;
        return;
    }
    if (state == LockState::Busy) {
        save.openProblem = IconProblem::Locked;
        return;
    }
    if (!LoadVolume(save.access, save.openProblem, save.openError)) {
        return;
    }
    if (write && save.refusal == IconProblem::None) {
        save.refusal = state == LockState::None ? IconProblem::Locked : ImageRefusal(save.access.st);
    }
}

// The image opened for an operation: the save's, or own, opened and locked for
// reading. Null, with why, when it cannot be read.
Access *Acquire(Access &own, IconProblem &problem, int &error)
{
    problem = IconProblem::None;
    error = 0;
    if (save.active) {
        if (!save.opened) {
            OpenForSave();
        }
        problem = save.openProblem;
        error = save.openError;
        return problem == IconProblem::None ? &save.access : nullptr;
    }
    LockState state = LockState::None;
    own.fd = OpenLocked(place.image, false, state);
    if (!own.fd.valid()) {
        problem = IconProblem::Unreadable;
        error = errno;
        return nullptr;
    }
    return LoadVolume(own, problem, error) ? &own : nullptr;
}

// The icon's path in the volume.
std::string IconPath(const char *name)
{
    return (place.path.empty() ? std::string() : place.path + "/") + name + icon_files::kIconSuffix;
}

// The problem a failed look-up or read names.
IconProblem FindProblem(const FsFailure &why, int &error)
{
    switch (why.problem) {
    case FsProblem::NotFound:
    case FsProblem::WrongKind:
    case FsProblem::BadName:
        return IconProblem::Absent;
    case FsProblem::TooLarge:
        return IconProblem::NotAnIcon;
    case FsProblem::ReadFailed:
        error = EIO;
        return IconProblem::Unreadable;
    default:
        return IconProblem::ImageDamaged;
    }
}

bool IsIconBytes(const std::string &bytes)
{
    const std::span<const std::uint8_t> span(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size());
    IconLayout layout;
    PngIconLayout png;
    return IsPngIcon(span) ? ParsePngIcon(span, png) : ParseIcon(span, layout);
}

// The entry at path as a file to read: the problem of one that is none.
IconProblem EntryProblem(const Volume &volume, const std::string &path, int &error)
{
    Entry entry;
    FsFailure why;
    if (!FindEntry(volume, path, entry, why)) {
        return FindProblem(why, error);
    }
    if (entry.kind == EntryKind::Drawer || entry.linksDrawer) {
        return IconProblem::Folder;
    }
    return entry.kind == EntryKind::SoftLink ? IconProblem::NotAnIcon : IconProblem::None;
}

// Whether the icon at path may be replaced: a file, or a link to one of the same
// drawer, that its protection bits let be written and that holds an icon.
IconProblem IconFileProblem(const Volume &volume, const std::string &path)
{
    int error = 0;
    IconProblem problem = EntryProblem(volume, path, error);
    if (problem != IconProblem::None) {
        return problem;
    }
    std::uint32_t block = 0, parent = 0, header = 0, fileParent = 0;
    amiga_fs::Block headerBlock;
    FsFailure why;
    if (!amiga_fs::ResolvePath(volume, path, block, parent, why) ||
        !amiga_fs::ResolveFile(volume, path, header, headerBlock, fileParent, why)) {
        return FindProblem(why, error);
    }
    if (fileParent != parent) {
        return IconProblem::OutsideDrawer;
    }
    if ((headerBlock.End(amiga_fs::kEndProtection) & kProtectWrite) != 0) {
        return IconProblem::PermissionDenied;
    }
    std::string current;
    if (!ReadFileBytes(volume, path, kIconMaxFileSize, current, why)) {
        return FindProblem(why, error);
    }
    return IsIconBytes(current) ? IconProblem::None : IconProblem::NotAnIcon;
}

AmigaDate AmigaNow()
{
    const std::time_t now = std::time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    return AmigaDateFromUnix(static_cast<std::int64_t>(now) + local.tm_gmtoff);
}

// The problem a plan names for a file it left out.
IconProblem PlanFailure(const FsFailure &why)
{
    int error = 0;
    return why.problem == FsProblem::NoSpace ? IconProblem::NoSpace : FindProblem(why, error);
}

// Whether bytes of the new icon's size find room: NoSpace when fewer blocks are
// free than its plan takes, ImageDamaged for a volume the plan finds damaged.
IconProblem PlanProblem(const Volume &volume, const std::string &path, const std::string &bytes)
{
    WritePlan plan;
    FsFailure why;
    return PlanReplace(volume, path, bytes, AmigaNow(), plan, why) ? IconProblem::None : PlanFailure(why);
}

// Replaces the icons of the save together: one plan for them all on the volume as
// it is, carried out stage by stage, each flushed before the next. An icon holds
// its new bytes once the headers' stage is on the disk; a save that does not fit
// writes nothing. For each icon, None or why it was not replaced.
std::vector<IconProblem> CarryOut(const std::vector<Pending> &pending)
{
    Access &access = save.access;
    std::vector<IconProblem> problems(pending.size(), IconProblem::None);
    std::vector<Replacement> files;
    for (const Pending &write : pending) {
        files.push_back({write.path, write.bytes});
    }
    WritePlan plan;
    std::vector<FsFailure> why;
    PlanReplaceAll(access.volume, files, AmigaNow(), plan, why);
    for (std::size_t i = 0; i < pending.size(); ++i) {
        problems[i] = why[i].problem == FsProblem::None ? IconProblem::None : PlanFailure(why[i]);
    }
    IconProblem failure = IconProblem::None;
    for (const std::vector<BlockWrite> &stage : plan.stages) {
        if (stage.empty() || failure != IconProblem::None) {
            continue;
        }
        for (const BlockWrite &block : stage) {
            if (failure == IconProblem::None &&
                !access.image.Write(block.offset, reinterpret_cast<const std::uint8_t *>(block.bytes.data()),
                                    block.bytes.size())) {
                failure = icon_files::WriteProblem(access.image.error);
            }
        }
        if (failure == IconProblem::None && fdatasync(access.fd.get()) != 0) {
            failure = icon_files::WriteProblem(errno);
        }
    }
    // A failed write or flush stops the plan where it is: each icon old or new, none
    // said to be written.
    for (std::size_t i = 0; i < pending.size() && failure != IconProblem::None; ++i) {
        problems[i] = problems[i] == IconProblem::None ? failure : problems[i];
    }
    return problems;
}

// The partition of an image named by device or by its volume's name.
struct Named {
    Partition partition;
    Volume volume;
    bool opened = false;
    std::string failure;  // why its volume cannot be opened
};

std::string PartitionNames(const std::vector<Named> &named)
{
    std::string names;
    for (const Named &n : named) {
        names += (names.empty() ? "" : ", ") + n.partition.device + (n.opened ? " (" + n.volume.name + ")" : "");
    }
    return names;
}

// The image read for the drawers it holds: opened, locked for reading, its
// partitions listed and their volumes opened where they can be.
bool OpenImage(const std::string &image, Access &access, std::vector<Named> &named, ImageFailure &why)
{
    LockState state = LockState::None;
    access.fd = OpenLocked(image, false, state);
    if (!access.fd.valid() || fstat(access.fd.get(), &access.st) != 0) {
        why = {ImageProblem::Unreadable, errno, ""};
        return false;
    }
    access.image.fd = access.fd.get();
    access.image.size = static_cast<std::uint64_t>(access.st.st_size);
    std::vector<Partition> partitions;
    FsFailure fs;
    if (!ListPartitions(access.image, partitions, fs)) {
        why = {ImageProblem::NotAnImage, 0, fs.reason};
        return false;
    }
    for (const Partition &partition : partitions) {
        Named n{partition, {}, false, ""};
        n.opened = OpenVolume(access.image, partition, n.volume, fs);
        n.failure = fs.reason;
        named.push_back(n);
    }
    return true;
}

bool EndsWithNoCase(const std::string &text, const char *suffix)
{
    const std::size_t n = std::strlen(suffix);
    return text.size() >= n && EqualNoCaseAscii(std::string_view(text).substr(text.size() - n), suffix);
}

// Whether a regular file is an image by its name or its first blocks: a DOS boot
// block, or a Rigid Disk Block in one of the first sixteen.
bool LooksLikeImage(const std::string &path)
{
    if (IsImageFileName(path)) {
        return true;
    }
    FileDescriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    std::uint8_t start[16 * 512] = {};
    const ssize_t got = fd.valid() ? pread(fd.get(), start, sizeof start, 0) : -1;
    if (got < 4) {
        return false;
    }
    if (std::memcmp(start, "DOS", 3) == 0 && start[3] <= 7) {
        return true;
    }
    for (ssize_t at = 0; at + 4 <= got; at += 512) {
        if (std::memcmp(start + at, "RDSK", 4) == 0) {
            return true;
        }
    }
    return false;
}

// An argument's text in the image's characters: UTF-8 of ISO-8859-1 characters
// as those characters, anything else as the bytes given.
std::string ImageText(const std::string &text)
{
    if (!IsUtf8(text)) {
        return text;
    }
    std::string latin1 = Utf8ToLatin1(text);
    return Latin1ToUtf8(latin1) == text ? latin1 : text;
}

std::string AbsolutePath(const std::string &path)
{
    if (!path.empty() && path[0] == '/') {
        return path;
    }
    char folder[4096];
    if (getcwd(folder, sizeof folder) == nullptr) {
        return path;
    }
    // Its "." steps left out, as they change nothing; ".." is kept, since a link
    // before it would lead elsewhere.
    std::string absolute = folder;
    for (std::size_t start = 0; start <= path.size();) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::string part = path.substr(start, end - start);
        if (!part.empty() && part != ".") {
            absolute.append(absolute.back() == '/' ? "" : "/").append(part);
        }
        start = end + 1;
    }
    return absolute;
}

}  // namespace

namespace icon_image {

bool Active()
{
    return placeSet;
}

IconProblem ReadIcon(const char *name, std::vector<std::uint8_t> &bytes, int &error)
{
    error = 0;
    if (IconNameLeavesDrawer(name)) {
        return IconProblem::OutsideDrawer;
    }
    Access own;
    IconProblem problem;
    Access *access = Acquire(own, problem, error);
    if (access == nullptr) {
        return problem;
    }
    const std::string path = IconPath(name);
    problem = EntryProblem(access->volume, path, error);
    if (problem != IconProblem::None) {
        return problem;
    }
    std::string data;
    FsFailure why;
    if (!ReadFileBytes(access->volume, path, kIconMaxFileSize, data, why)) {
        return FindProblem(why, error);
    }
    bytes.assign(data.begin(), data.end());
    return IconProblem::None;
}

bool Present(const char *name)
{
    if (name == nullptr || name[0] == '\0' || IconNameLeavesDrawer(name)) {
        return false;
    }
    Access own;
    IconProblem problem;
    int error = 0;
    Access *access = Acquire(own, problem, error);
    return access == nullptr || EntryProblem(access->volume, IconPath(name), error) != IconProblem::Absent;
}

IconProblem WriteProblem(const char *name)
{
    if (name == nullptr || IconNameLeavesDrawer(name)) {
        return IconProblem::OutsideDrawer;
    }
    Access own;
    IconProblem problem;
    int error = 0;
    Access *access = Acquire(own, problem, error);
    if (access == nullptr) {
        return problem;
    }
    const std::string path = IconPath(name);
    problem = IconFileProblem(access->volume, path);
    if (problem == IconProblem::None) {
        problem = save.active && save.refusal != IconProblem::None ? save.refusal : ImageRefusal(access->st);
    }
    if (problem != IconProblem::None) {
        return problem;
    }
    // The new icon needs about as many blocks as the old one.
    std::string bytes;
    FsFailure why;
    ReadFileBytes(access->volume, path, kIconMaxFileSize, bytes, why);
    if (!bytes.empty()) {
        bytes.back() = static_cast<char>(~bytes.back());
    }
    return PlanProblem(access->volume, path, bytes);
}

IconProblem PrepareWrite(const char *name, const std::string &bytes)
{
    if (IconNameLeavesDrawer(name)) {
        return IconProblem::OutsideDrawer;
    }
    if (!save.active || save.dryRun) {
        return IconProblem::WriteFailed;
    }
    Access own;
    IconProblem problem;
    int error = 0;
    Access *access = Acquire(own, problem, error);
    if (access == nullptr) {
        return problem;
    }
    if (save.refusal != IconProblem::None) {
        return save.refusal;
    }
    // Whether the new bytes find room is told by the plan EndSave makes for all
    // the icons of the save.
    const std::string path = IconPath(name);
    problem = IconFileProblem(access->volume, path);
    if (problem == IconProblem::None) {
        save.pending.push_back({path, bytes});
    }
    return problem;
}

void BeginSave(bool dryRun)
{
    save = Save();
    save.active = true;
    save.dryRun = dryRun;
}

std::vector<IconProblem> EndSave()
{
    std::vector<IconProblem> problems;
    if (!save.pending.empty()) {
        problems = CarryOut(save.pending);
    }
    save = Save();  // the image closed: its lock let go
    return problems;
}

}  // namespace icon_image

bool IsImageFileName(const std::string &name)
{
    return EndsWithNoCase(name, ".adf") || EndsWithNoCase(name, ".hdf");
}

bool ParseImageArgument(const std::string &argument, ImageArgument &parsed)
{
    parsed = ImageArgument{};
    struct stat st;
    if (stat(argument.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode) || EndsWithNoCase(argument, icon_files::kIconSuffix) || !LooksLikeImage(argument)) {
            return false;
        }
        parsed.image = argument;
        return true;
    }
    for (std::size_t colon = argument.rfind(':'); colon != std::string::npos && colon > 0;
         colon = argument.rfind(':', colon - 1)) {
        const std::string image = argument.substr(0, colon);
        if (stat(image.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            parsed.image = image;
            parsed.inside = ImageText(argument.substr(colon + 1));
            parsed.drawerNamed = true;
            return true;
        }
    }
    return false;
}

bool EnterImageDrawer(const std::string &image, const std::string &inside, ImageFailure &why)
{
    why = ImageFailure{};
    Access access;
    std::vector<Named> named;
    if (!OpenImage(image, access, named, why)) {
        return false;
    }
    const std::size_t colon = inside.find(':');
    const std::string partName = colon == std::string::npos ? std::string() : inside.substr(0, colon);
    std::string path = colon == std::string::npos ? inside : inside.substr(colon + 1);
    const Named *chosen = nullptr;
    if (colon == std::string::npos) {
        if (named.size() != 1) {
            why = {ImageProblem::PartitionNeeded, 0, PartitionNames(named)};
            return false;
        }
        chosen = &named[0];
    }
    for (const Named &n : named) {
        if (chosen == nullptr && EqualNoCaseAscii(n.partition.device, partName)) {
            chosen = &n;
        }
    }
    for (const Named &n : named) {
        if (chosen == nullptr && n.opened && SameAmigaName(n.volume.name, partName, n.volume.international)) {
            chosen = &n;
        }
    }
    if (chosen == nullptr) {
        why = {ImageProblem::NoPartition, 0, PartitionNames(named)};
        return false;
    }
    FsFailure fs;
    Volume volume;
    if (!OpenVolume(access.image, chosen->partition, volume, fs)) {
        why = {ImageProblem::FileSystem, 0, chosen->partition.device + ": " + fs.reason};
        return false;
    }
    if (!path.empty() && path.back() == '/') {
        path.pop_back();
    }
    // The drawer by the names the volume holds, each checked to be a drawer.
    std::string found;
    for (std::size_t start = 0; start < path.size();) {
        const std::size_t slash = std::min(path.find('/', start), path.size());
        Entry entry;
        if (!FindEntry(volume, found + (found.empty() ? "" : "/") + path.substr(start, slash - start), entry, fs)) {
            why = {ImageProblem::NoDrawer, 0, fs.reason};
            return false;
        }
        if (entry.kind != EntryKind::Drawer && !entry.linksDrawer) {
            why = {ImageProblem::NoDrawer, 0, "not a drawer: " + entry.name};
            return false;
        }
        found += (found.empty() ? "" : "/") + entry.name;
        start = slash + 1;
    }
    place = {AbsolutePath(image), chosen->partition.device, volume.name, DosTypeText(volume.dosType), found,
             named.size() > 1};
    placeSet = true;
    return true;
}

void LeaveImageDrawer()
{
    placeSet = false;
    place = ImageDrawerPlace{};
}

const ImageDrawerPlace *CurrentImageDrawer()
{
    return placeSet ? &place : nullptr;
}

bool ReadImageDrawerFile(const char *name, std::size_t limit, std::string &bytes)
{
    bytes.clear();
    Access own;
    IconProblem problem;
    int error = 0;
    Access *access = placeSet && !IconNameLeavesDrawer(name) ? Acquire(own, problem, error) : nullptr;
    FsFailure why;
    return access != nullptr &&
           ReadFileBytes(access->volume, (place.path.empty() ? std::string() : place.path + "/") + name, limit, bytes,
                         why);
}

std::string ImageDrawerArgument(const std::string &image, const std::string &device, const std::string &path,
                                bool severalPartitions)
{
    return image + ":" + (severalPartitions ? device + ":" : std::string()) + Latin1ToUtf8(path);
}

bool FindImageIconDrawers(const std::string &image, const char *name, const char *key,
                          std::vector<ImageIconDrawer> &found, std::vector<std::string> &problems, ImageFailure &why)
{
    found.clear();
    problems.clear();
    why = ImageFailure{};
    Access access;
    std::vector<Named> named;
    if (!OpenImage(image, access, named, why)) {
        return false;
    }
    const std::string iconName = std::string(name) + icon_files::kIconSuffix;
    for (const Named &n : named) {
        FsFailure fs;
        if (!n.opened) {
            problems.push_back(n.partition.device + ": " + n.failure);
            continue;
        }
        const Volume &volume = n.volume;
        std::function<void(const std::string &, int)> visit = [&](const std::string &path, int depth) {
            std::vector<Entry> entries;
            if (!ListDrawer(volume, path, entries, fs)) {
                problems.push_back(n.partition.device + ":" + path + ": " + fs.reason);
                return;
            }
            for (const Entry &entry : entries) {
                if ((entry.kind == EntryKind::File || (entry.kind == EntryKind::HardLink && !entry.linksDrawer)) &&
                    SameAmigaName(entry.name, iconName, volume.international)) {
                    ImageIconDrawer drawer{n.partition.device, volume.name, path, "", false, named.size() > 1};
                    std::string bytes;
                    const std::string file = (path.empty() ? "" : path + "/") + entry.name;
                    if (ReadFileBytes(volume, file, kIconMaxFileSize, bytes, fs)) {
                        DiskObject *icon = DiskObjectOfBytes(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
                        drawer.readable = icon != nullptr;
                        const char *value = icon != nullptr ? FindToolType(icon->do_ToolTypes, key) : nullptr;
                        drawer.value = value != nullptr ? value : "";
                        FreeDiskObject(icon);
                    }
                    found.push_back(drawer);
                }
            }
            for (const Entry &entry : entries) {
                if (entry.kind == EntryKind::Drawer && depth < kMaxDrawerDepth) {
                    visit((path.empty() ? "" : path + "/") + entry.name, depth + 1);
                }
            }
        };
        visit("", 0);
    }
    return true;
}

const std::string &ImageHolderText()
{
    return holderText;
}

void SetImageWaitHook(void (*hook)(const char *image))
{
    waitHook = hook;
}
