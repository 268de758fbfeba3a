// The Amiga file systems inside disk images (ADF floppies, bare HDF partitions,
// whole disks with a Rigid Disk Block): OFS and FFS, DOS\0 to DOS\7. Pure and
// bounds-checked: the room opens no file; every byte comes through the caller's
// ImageSource, a block at a time, so a large image is never held whole. A
// malformed structure is named with its block and why, and never followed.
// Files are replaced by a plan of block writes the caller carries out, flushing
// between its stages (several files in one plan, one stage of each kind for them
// all); write_plan.cpp argues that a kill after any write leaves a valid volume in
// which each file is old or new. The root block is never written:
// its bitmap flag stays as found (a bitmap marked invalid is left for AmigaDOS to
// rebuild, and none is written) and its dates stay; the file is dated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Where an image's bytes come from: the caller's file, or memory.
class ImageSource {
public:
    virtual ~ImageSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Reads n bytes at offset into out; false when they cannot all be read.
    virtual bool Read(std::uint64_t offset, std::uint8_t *out, std::size_t n) = 0;
};

// An image that takes writes too: making images, carrying out a write plan.
class WritableImage : public ImageSource {
public:
    virtual bool Write(std::uint64_t offset, const std::uint8_t *bytes, std::size_t n) = 0;
};

// An image held in memory, for tests and the fuzzer. Writes never grow it.
class MemoryImage : public WritableImage {
public:
    std::string bytes;

    MemoryImage() = default;
    explicit MemoryImage(std::string data) : bytes(std::move(data)) {}
    std::uint64_t Size() const override { return bytes.size(); }
    bool Read(std::uint64_t offset, std::uint8_t *out, std::size_t n) override;
    bool Write(std::uint64_t offset, const std::uint8_t *data, std::size_t n) override;
};

enum class FsProblem {
    None,
    NotFound,     // no entry of that name
    Malformed,    // a structure that breaks the file system's rules
    Unsupported,  // another file system, or a layout this room does not handle
    NoSpace,      // fewer free blocks than the new bytes need
    TooLarge,     // beyond the caller's limit
    BadName,      // a path or name the file system cannot hold
    Exists,       // making what is already there
    WrongKind,    // a drawer where a file is wanted, or the other way
    ReadFailed,   // the image's bytes could not be read
};

struct FsFailure {
    FsProblem problem = FsProblem::None;
    std::string reason;  // "block 880: checksum does not match", ...
};

// An AmigaDOS date: days since 1 January 1978, minutes since midnight, ticks
// (1/50 s) in the minute.
struct AmigaDate {
    std::uint32_t days = 0, minutes = 0, ticks = 0;
};
AmigaDate AmigaDateFromUnix(std::int64_t seconds);

// One partition of an image: an ADF or a bare HDF is one ("DH0"); a disk with a
// Rigid Disk Block has those of its PART list.
struct Partition {
    std::string device;
    std::uint64_t start = 0;  // byte offset of its first block in the image
    std::uint32_t blockSize = 512;
    std::uint32_t blocks = 0;    // blocks in the partition
    std::uint32_t reserved = 2;  // boot blocks at its start
    std::uint32_t dosType = 0;   // as the partition table says (0 for a bare image)
};

// The partitions of an image: its RDB's PART list, else the whole image as one.
bool ListPartitions(ImageSource &image, std::vector<Partition> &partitions, FsFailure &why);
// "DOS\3", "PFS\1", "SFS\0"; a dostype of other bytes in hexadecimal.
std::string DosTypeText(std::uint32_t dosType);

// An opened OFS or FFS volume.
struct Volume {
    ImageSource *image = nullptr;
    Partition partition;
    std::uint32_t dosType = 0;   // from the boot block
    bool fast = false;           // FFS: data blocks are bare bytes
    bool international = false;  // ISO-8859-1 case folding in names and hashes
    bool dirCache = false;       // directory cache blocks
    bool longNames = false;      // names of up to 107 bytes sharing room with the comment
    std::uint32_t root = 0;
    std::string name;          // the volume's name
    bool bitmapValid = false;  // the root's flag: the bitmap can be trusted
};

// Opens the partition's file system: a DOS\0 to DOS\7 boot block and a root
// block in the middle of the partition, as AmigaDOS places it. Other file
// systems are Unsupported, named by their dostype.
bool OpenVolume(ImageSource &image, const Partition &partition, Volume &volume, FsFailure &why);

// Names, compared as AmigaDOS compares them: case-insensitive, ISO-8859-1 letters
// folded too on international volumes, ASCII only on the others.
bool SameAmigaName(std::string_view a, std::string_view b, bool international);
std::uint32_t AmigaNameHash(std::string_view name, bool international, std::uint32_t tableSize);

enum class EntryKind { File, Drawer, SoftLink, HardLink };

struct Entry {
    std::string name;  // ISO-8859-1 bytes, as stored
    EntryKind kind = EntryKind::File;
    bool linksDrawer = false;      // a hard link to a drawer
    std::uint32_t block = 0;       // its header block
    std::uint32_t size = 0;        // bytes of a file
    std::uint32_t protection = 0;  // the protection bits as stored (RWED set means denied)
    std::string comment;
    AmigaDate date;
    std::string linkTarget;  // a soft link's path
};

// A path is "Drawer/Sub/Name", components separated by '/'; "" is the root.
bool FindEntry(const Volume &volume, std::string_view path, Entry &entry, FsFailure &why);
bool ListDrawer(const Volume &volume, std::string_view path, std::vector<Entry> &entries, FsFailure &why);
// A file's whole bytes (through a hard link, its target's); TooLarge past limit.
bool ReadFileBytes(const Volume &volume, std::string_view path, std::size_t limit, std::string &bytes, FsFailure &why);

// One block to write: its byte offset in the image and its whole new bytes.
struct BlockWrite {
    std::uint64_t offset = 0;
    std::uint32_t block = 0;
    std::string bytes;
};

// Writes in stages, each flushed by the caller before the next begins.
struct WritePlan {
    std::vector<std::vector<BlockWrite>> stages;
    bool Empty() const;
    std::size_t Writes() const;
};

// One existing file's new bytes.
struct Replacement {
    std::string path;
    std::string bytes;
};
// The plan that replaces several files' bytes together, dated now (see
// write_plan.cpp for the order and its promise): one round of stages for as many
// files as fit together, the next round for the next ones. A file whose bytes are
// the same is not written. why gets one failure a file (None for those planned).
// A file that cannot be found or read is left out and the others are planned; on
// a damaged volume, or when a file does not fit even in a round of its own
// (NoSpace for every file, its reason naming that one), nothing is planned. True
// when every file is planned.
bool PlanReplaceAll(const Volume &volume, const std::vector<Replacement> &files, AmigaDate now, WritePlan &plan,
                    std::vector<FsFailure> &why);
// The plan that replaces one file's bytes.
bool PlanReplace(const Volume &volume, std::string_view path, std::string_view bytes, AmigaDate now, WritePlan &plan,
                 FsFailure &why);
// Carries out a plan's first limit writes (all of them by default).
bool ApplyPlan(WritableImage &image, const WritePlan &plan, std::size_t limit = SIZE_MAX);

// A full consistency check. problems: one line each, empty when consistent.
// lostBlocks: marked used but reachable from nowhere (what a save killed before
// freeing leaves; lost room, not damage). staleCacheRecords: directory cache
// records whose size or date lag behind the header (likewise).
struct CheckReport {
    std::vector<std::string> problems;
    std::uint32_t lostBlocks = 0;
    std::uint32_t staleCacheRecords = 0;
};
CheckReport CheckVolume(const Volume &volume);
// The RDB's own checksums and list, for an image with one; empty otherwise.
std::vector<std::string> CheckPartitionTable(ImageSource &image);

// Making images, for the tools and tests (not crash-safe, unlike a replacement).
// An empty file system of dostype DOS\0 to DOS\7 on the partition.
bool FormatVolume(WritableImage &image, const Partition &partition, std::uint32_t dosType, std::string_view name,
                  AmigaDate now, FsFailure &why);
struct PartitionSpec {
    std::string device;  // "DH0"
    std::uint32_t cylinders = 0;
    std::uint32_t dosType = 0;
};
// A Rigid Disk Block in cylinder 0 and the partitions one after the other from
// cylinder 1; the image must hold them all. The partitions made go to made.
bool WriteRigidDiskBlock(WritableImage &image, std::uint32_t heads, std::uint32_t sectors,
                         const std::vector<PartitionSpec> &specs, std::vector<Partition> &made, FsFailure &why);
bool MakeDrawer(WritableImage &image, const Volume &volume, std::string_view path, AmigaDate now, FsFailure &why);
bool MakeFile(WritableImage &image, const Volume &volume, std::string_view path, std::string_view bytes,
              std::uint32_t protection, std::string_view comment, AmigaDate now, FsFailure &why);
