// Blocks of the Amiga file systems: their types, where each field lies for a
// block of any size (fields at the end are counted from it), checksums, and
// reading one block of a partition with its checks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/filesystem/filesystem.h"

namespace amiga_fs {

// Primary types (the first long) and secondary types (the last).
constexpr std::int32_t kTypeHeader = 2;
constexpr std::int32_t kTypeData = 8;
constexpr std::int32_t kTypeList = 16;
constexpr std::int32_t kTypeDirCache = 33;
constexpr std::int32_t kSecRoot = 1;
constexpr std::int32_t kSecDrawer = 2;
constexpr std::int32_t kSecSoftLink = 3;
constexpr std::int32_t kSecLinkDrawer = 4;
constexpr std::int32_t kSecFile = -3;
constexpr std::int32_t kSecLinkFile = -4;

constexpr std::uint32_t kBitmapValid = 0xFFFFFFFF;
constexpr std::size_t kRootBitmapPages = 25;
constexpr std::size_t kMaxName = 30;
constexpr std::size_t kMaxLongName = 107;
constexpr std::size_t kMaxComment = 79;
constexpr std::size_t kLongNameArea = 112;  // name and comment share it on long-name volumes
constexpr std::size_t kOfsDataHeader = 24;

// One block's bytes, read as big-endian longs. Long indexes below take the
// block's size in longs (n): the hash or data table has n - 56 slots.
struct Block {
    std::vector<std::uint8_t> bytes;

    std::size_t Longs() const { return bytes.size() / 4; }
    std::uint32_t Long(std::size_t i) const;
    std::int32_t Signed(std::size_t i) const { return static_cast<std::int32_t>(Long(i)); }
    void SetLong(std::size_t i, std::uint32_t v);
    // Counted from the block's end: End(1) is the last long.
    std::uint32_t End(std::size_t k) const { return Long(Longs() - k); }
    void SetEnd(std::size_t k, std::uint32_t v) { SetLong(Longs() - k, v); }
    std::string Text() const { return std::string(bytes.begin(), bytes.end()); }
};

// Header block fields, counted from the end (End(k)) or the start.
constexpr std::size_t kSlotsStart = 6;  // first hash / data table slot
constexpr std::size_t kEndSecType = 1, kEndExtension = 2, kEndParent = 3, kEndHashChain = 4;
constexpr std::size_t kEndNextLink = 10, kEndRealEntry = 11;
constexpr std::size_t kEndDate = 23, kEndLongNameDate = 15, kEndCommentBlock = 18;
constexpr std::size_t kEndName = 20;     // name: a length byte and the bytes
constexpr std::size_t kEndComment = 46;  // comment (long names: name and comment)
constexpr std::size_t kEndByteSize = 47, kEndProtection = 48;
// Root block fields.
constexpr std::size_t kEndBitmapFlag = 50, kEndBitmapPages = 49, kEndBitmapExt = 24;
constexpr std::size_t kEndVolumeDate = 10, kEndCreationDate = 7;

inline std::size_t TableSlots(std::size_t longs)
{
    return longs - 56;
}
// Table slot i of a file's data list: the first block sits in the last slot.
inline std::size_t DataSlot(std::size_t longs, std::size_t i)
{
    return kSlotsStart + TableSlots(longs) - 1 - i;
}

inline Block EmptyBlock(std::uint32_t size)
{
    Block block;
    block.bytes.assign(size, 0);
    return block;
}

// The checksum that makes the block's longs add up to zero, with the long at
// index slot counted as zero.
std::uint32_t SumChecksum(const Block &block, std::size_t slot);
bool ChecksumOk(const Block &block, std::size_t slot);
void SetChecksum(Block &block, std::size_t slot);
// The boot block's checksum: a sum with carries over its 1024 bytes, inverted.
std::uint32_t BootChecksum(const std::uint8_t *bytes);

AmigaDate ReadDate(const Block &block, std::size_t endIndex);
void WriteDate(Block &block, std::size_t endIndex, AmigaDate date);
// A length-prefixed text at a byte offset, its length at most max (and within the block).
std::string ReadCounted(const Block &block, std::size_t offset, std::size_t max);
bool WriteCounted(Block &block, std::size_t offset, std::string_view text, std::size_t room);

// Reads block n of the volume's partition; a block outside it, or bytes that
// cannot be read, fail with the block named.
bool ReadBlock(const Volume &volume, std::uint32_t n, Block &block, FsFailure &why);
std::uint64_t BlockOffset(const Volume &volume, std::uint32_t n);
bool InPartition(const Volume &volume, std::uint32_t n);
// A block to write at block n: its offset and bytes.
BlockWrite MakeWrite(const Volume &volume, std::uint32_t n, const Block &block);

bool Fail(FsFailure &why, FsProblem problem, std::string reason);
bool Malformed(FsFailure &why, std::uint32_t block, const std::string &reason);

// An entry's header block read and checked: checksum, primary type, its own
// number, its parent and secondary type where asked.
bool ReadHeader(const Volume &volume, std::uint32_t n, Block &block, FsFailure &why);
// What a header block holds, by the volume's layout.
Entry EntryFromHeader(const Volume &volume, std::uint32_t n, const Block &block);
std::string HeaderName(const Volume &volume, const Block &block);
std::size_t DateSlot(const Volume &volume);

// Bytes of file data one data block holds.
inline std::size_t DataBytes(const Volume &volume)
{
    return volume.fast ? volume.partition.blockSize : volume.partition.blockSize - kOfsDataHeader;
}

// The bitmap: its blocks, in order, from the root's pages and extension list.
bool BitmapBlocks(const Volume &volume, std::vector<std::uint32_t> &blocks, std::vector<std::uint32_t> &extensions,
                  FsFailure &why);
// Bits a bitmap block holds, and the bitmap blocks a partition needs.
std::uint32_t BitsPerBitmapBlock(const Volume &volume);
std::uint32_t BitmapBlocksNeeded(const Partition &partition);

// A file's blocks: data blocks in order and the extension blocks, read from its
// header (checked against its size). OFS data blocks are not read here.
struct FileBlocks {
    std::vector<std::uint32_t> data;
    std::vector<std::uint32_t> extensions;
};
bool ReadFileBlocks(const Volume &volume, std::uint32_t header, const Block &headerBlock, FileBlocks &blocks,
                    FsFailure &why);
// A new file's data and extension blocks for bytes (to writes), and its list,
// size and first extension set in its header block.
void BuildFileBlocks(const Volume &volume, std::uint32_t header, Block &headerBlock, std::string_view bytes,
                     const std::vector<std::uint32_t> &data, const std::vector<std::uint32_t> &extensions,
                     std::vector<BlockWrite> &writes);
// The data of an OFS data block, checked: its header, sequence number, size, next block.
bool CheckOfsData(const Volume &volume, const Block &data, std::uint32_t n, std::uint32_t header,
                  std::uint32_t sequence, std::uint32_t size, std::uint32_t next, FsFailure &why);

// The header block of the entry at path (the root for ""), through hard links
// to drawers; parent gets the drawer it lies in.
bool ResolvePath(const Volume &volume, std::string_view path, std::uint32_t &block, std::uint32_t &parent,
                 FsFailure &why);
// Splits a path into its names; false for an empty name ("a//b", "/a").
bool SplitPath(std::string_view path, std::vector<std::string_view> &names);

// The file at path, through a hard link to its target: its header block and the
// drawer that lists it.
bool ResolveFile(const Volume &volume, std::string_view path, std::uint32_t &header, Block &headerBlock,
                 std::uint32_t &parent, FsFailure &why);
// A file's bytes from its data blocks (OFS blocks checked on the way); with
// bytes null, only the checks.
bool ReadFileData(const Volume &volume, std::uint32_t header, const Block &headerBlock, const FileBlocks &blocks,
                  std::string *bytes, FsFailure &why);

// Directory cache records of a drawer: where each starts in which block.
struct CacheRecord {
    std::uint32_t cacheBlock = 0;
    std::size_t offset = 0;  // in the cache block
    std::uint32_t header = 0, size = 0, protection = 0;
    AmigaDate date;
    std::int8_t type = 0;
    std::string name, comment;
};
bool ReadDirCache(const Volume &volume, std::uint32_t drawer, const Block &drawerBlock,
                  std::vector<CacheRecord> &records, std::vector<std::uint32_t> &cacheBlocks, FsFailure &why);
std::size_t CacheRecordSize(std::size_t nameLength, std::size_t commentLength);

// The bitmap's blocks held while bits are changed (a set bit: a free block).
struct BitmapState {
    std::vector<std::uint32_t> blocks;
    std::vector<Block> contents;
    std::vector<bool> changed;

    bool Load(const Volume &volume, FsFailure &why);
    bool IsFree(const Volume &volume, std::uint32_t n) const;
    void Mark(const Volume &volume, std::uint32_t n, bool free);
    // The changed blocks, checksummed, to write; none is changed afterwards.
    std::vector<BlockWrite> TakeWrites(const Volume &volume);
};

// Sets the volume's mode (OFS or FFS, international, caches, long names) from
// its dostype, and the root's place.
void SetVolumeMode(Volume &volume, std::uint32_t dosType);

// A walk over everything reachable from the root: each block it owns marked
// (a block reached twice, or outside the partition, is a problem), the bitmap
// read and compared. Deep also reads every OFS data block.
struct Walk {
    std::vector<bool> owned;
    std::vector<std::uint32_t> ownedBlocks;  // those the walk marked, past the boot blocks
    std::vector<std::uint32_t> freeWords;    // the bitmap's bits from the first block past them (set: free)
    std::vector<std::string> problems;
    std::uint32_t lostBlocks = 0;
    std::uint32_t staleCacheRecords = 0;
    std::uint32_t freeBlocks = 0;  // neither owned nor (with a valid bitmap) marked used
    std::vector<std::uint32_t> bitmapBlocks;
};
void WalkVolume(const Volume &volume, bool deep, Walk &walk);

}  // namespace amiga_fs
