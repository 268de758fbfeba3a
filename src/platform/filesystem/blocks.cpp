#include "platform/filesystem/blocks.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "platform/formats/big_endian.h"

namespace amiga_fs {

std::uint32_t Block::Long(std::size_t i) const
{
    return i < Longs() ? ReadBE32(bytes.data() + i * 4) : 0;
}

void Block::SetLong(std::size_t i, std::uint32_t v)
{
    if (i < Longs()) {
        std::uint8_t *p = bytes.data() + i * 4;
        p[0] = static_cast<std::uint8_t>(v >> 24);
        p[1] = static_cast<std::uint8_t>(v >> 16);
        p[2] = static_cast<std::uint8_t>(v >> 8);
        p[3] = static_cast<std::uint8_t>(v);
    }
}

std::uint32_t SumChecksum(const Block &block, std::size_t slot)
{
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < block.Longs(); ++i) {
        if (i != slot) {
            sum += block.Long(i);
        }
    }
    return 0u - sum;
}

bool ChecksumOk(const Block &block, std::size_t slot)
{
    return block.Long(slot) == SumChecksum(block, slot);
}

void SetChecksum(Block &block, std::size_t slot)
{
    block.SetLong(slot, SumChecksum(block, slot));
}

std::uint32_t BootChecksum(const std::uint8_t *bytes)
{
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < 256; ++i) {
        std::uint32_t v = i == 1 ? 0 : ReadBE32(bytes + i * 4);
        sum += v;
        if (sum < v) {
            ++sum;
        }
    }
    return ~sum;
}

AmigaDate ReadDate(const Block &block, std::size_t endIndex)
{
    return {block.End(endIndex), block.End(endIndex - 1), block.End(endIndex - 2)};
}

void WriteDate(Block &block, std::size_t endIndex, AmigaDate date)
{
    block.SetEnd(endIndex, date.days);
    block.SetEnd(endIndex - 1, date.minutes);
    block.SetEnd(endIndex - 2, date.ticks);
}

std::string ReadCounted(const Block &block, std::size_t offset, std::size_t max)
{
    if (offset >= block.bytes.size()) {
        return {};
    }
    std::size_t length = std::min<std::size_t>({block.bytes[offset], max, block.bytes.size() - offset - 1});
    return std::string(reinterpret_cast<const char *>(block.bytes.data() + offset + 1), length);
}

bool WriteCounted(Block &block, std::size_t offset, std::string_view text, std::size_t room)
{
    if (text.size() > 255 || text.size() + 1 > room || offset + room > block.bytes.size()) {
        return false;
    }
    std::fill_n(block.bytes.begin() + static_cast<std::ptrdiff_t>(offset), room, 0);
    block.bytes[offset] = static_cast<std::uint8_t>(text.size());
    std::copy(text.begin(), text.end(), block.bytes.begin() + static_cast<std::ptrdiff_t>(offset + 1));
    return true;
}

bool Fail(FsFailure &why, FsProblem problem, std::string reason)
{
    why.problem = problem;
    why.reason = std::move(reason);
    return false;
}

bool Malformed(FsFailure &why, std::uint32_t block, const std::string &reason)
{
    return Fail(why, FsProblem::Malformed, "block " + std::to_string(block) + ": " + reason);
}

bool InPartition(const Volume &volume, std::uint32_t n)
{
    return n < volume.partition.blocks;
}

std::uint64_t BlockOffset(const Volume &volume, std::uint32_t n)
{
    return volume.partition.start + std::uint64_t{n} * volume.partition.blockSize;
}

bool ReadBlock(const Volume &volume, std::uint32_t n, Block &block, FsFailure &why)
{
    if (!InPartition(volume, n)) {
        return Malformed(why, n, "outside the partition");
    }
    block.bytes.resize(volume.partition.blockSize);
    if (!volume.image->Read(BlockOffset(volume, n), block.bytes.data(), block.bytes.size())) {
        return Fail(why, FsProblem::ReadFailed, "block " + std::to_string(n) + ": cannot be read");
    }
    return true;
}

BlockWrite MakeWrite(const Volume &volume, std::uint32_t n, const Block &block)
{
    return {BlockOffset(volume, n), n, block.Text()};
}

bool ReadHeader(const Volume &volume, std::uint32_t n, Block &block, FsFailure &why)
{
    if (n < volume.partition.reserved) {
        return Malformed(why, n, "a header in the boot blocks");
    }
    if (!ReadBlock(volume, n, block, why)) {
        return false;
    }
    if (!ChecksumOk(block, 5)) {
        return Malformed(why, n, "checksum does not match");
    }
    if (block.Signed(0) != kTypeHeader) {
        return Malformed(why, n, "not a header block (type " + std::to_string(block.Signed(0)) + ")");
    }
    if (n != volume.root && block.Long(1) != n) {
        return Malformed(why, n, "its own block number is " + std::to_string(block.Long(1)));
    }
    return true;
}

std::size_t DateSlot(const Volume &volume)
{
    return volume.longNames ? kEndLongNameDate : kEndDate;
}

std::string HeaderName(const Volume &volume, const Block &block)
{
    if (volume.longNames && block.Signed(block.Longs() - kEndSecType) != kSecRoot) {
        return ReadCounted(block, (block.Longs() - kEndComment) * 4, kMaxLongName);
    }
    return ReadCounted(block, (block.Longs() - kEndName) * 4, kMaxName);
}

Entry EntryFromHeader(const Volume &volume, std::uint32_t n, const Block &block)
{
    Entry entry;
    const std::size_t longs = block.Longs();
    entry.block = n;
    entry.name = HeaderName(volume, block);
    entry.protection = block.End(kEndProtection);
    entry.date = ReadDate(block, DateSlot(volume));
    if (volume.longNames) {
        std::size_t area = (longs - kEndComment) * 4;
        std::size_t after = area + 1 + entry.name.size();
        entry.comment = ReadCounted(block, after, std::min(kMaxComment, kLongNameArea - 2 - entry.name.size()));
    } else {
        entry.comment = ReadCounted(block, (longs - kEndComment) * 4, kMaxComment);
    }
    switch (block.Signed(longs - kEndSecType)) {
    case kSecFile:
        entry.kind = EntryKind::File;
        entry.size = block.End(kEndByteSize);
        break;
    case kSecDrawer:
    case kSecRoot:
        entry.kind = EntryKind::Drawer;
        break;
    case kSecSoftLink: {
        entry.kind = EntryKind::SoftLink;
        const std::size_t room = block.bytes.size() - 224;
        const char *text = reinterpret_cast<const char *>(block.bytes.data() + kSlotsStart * 4);
        entry.linkTarget.assign(text, strnlen(text, room));
        break;
    }
    default:
        entry.kind = EntryKind::HardLink;
        entry.linksDrawer = block.Signed(longs - kEndSecType) == kSecLinkDrawer;
        break;
    }
    return entry;
}

std::uint32_t BitsPerBitmapBlock(const Volume &volume)
{
    return (volume.partition.blockSize / 4 - 1) * 32;
}

std::uint32_t BitmapBlocksNeeded(const Partition &partition)
{
    const std::uint64_t bits = std::uint64_t{partition.blockSize / 4 - 1} * 32;
    const std::uint64_t covered = partition.blocks - std::min(partition.blocks, partition.reserved);
    return static_cast<std::uint32_t>((covered + bits - 1) / bits);
}

bool BitmapBlocks(const Volume &volume, std::vector<std::uint32_t> &blocks, std::vector<std::uint32_t> &extensions,
                  FsFailure &why)
{
    blocks.clear();
    extensions.clear();
    const std::uint32_t needed = BitmapBlocksNeeded(volume.partition);
    Block root;
    if (!ReadBlock(volume, volume.root, root, why)) {
        return false;
    }
    for (std::size_t i = 0; i < kRootBitmapPages && blocks.size() < needed; ++i) {
        blocks.push_back(root.End(kEndBitmapPages - i));
    }
    std::uint32_t next = root.End(kEndBitmapExt);
    Block ext;
    while (blocks.size() < needed) {
        if (next == 0) {
            return Malformed(why, volume.root, "the bitmap has fewer blocks than the partition needs");
        }
        if (std::find(extensions.begin(), extensions.end(), next) != extensions.end()) {
            return Malformed(why, next, "the bitmap extension list loops");
        }
        if (!ReadBlock(volume, next, ext, why)) {
            return false;
        }
        extensions.push_back(next);
        for (std::size_t i = 0; i + 1 < ext.Longs() && blocks.size() < needed; ++i) {
            blocks.push_back(ext.Long(i));
        }
        next = ext.End(1);
    }
    for (std::uint32_t b : blocks) {
        if (b < volume.partition.reserved || !InPartition(volume, b)) {
            return Malformed(why, volume.root, "a bitmap block " + std::to_string(b) + " outside the partition");
        }
    }
    return true;
}

namespace {

// The data blocks of one table (a header's or an extension's), in file order.
bool TakeTable(const Volume &volume, std::uint32_t n, const Block &block, std::size_t count, FileBlocks &blocks,
               FsFailure &why)
{
    if (block.Long(2) != count) {
        return Malformed(why, n,
                         "holds " + std::to_string(block.Long(2)) + " data blocks, not " + std::to_string(count));
    }
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t data = block.Long(DataSlot(block.Longs(), i));
        if (data < volume.partition.reserved || !InPartition(volume, data)) {
            return Malformed(why, n, "data block " + std::to_string(data) + " outside the partition");
        }
        blocks.data.push_back(data);
    }
    return true;
}

}  // namespace

bool ReadFileBlocks(const Volume &volume, std::uint32_t header, const Block &headerBlock, FileBlocks &blocks,
                    FsFailure &why)
{
    blocks = FileBlocks{};
    const std::size_t slots = TableSlots(headerBlock.Longs());
    const std::uint64_t size = headerBlock.End(kEndByteSize);
    const std::uint64_t count = (size + DataBytes(volume) - 1) / DataBytes(volume);
    if (count > volume.partition.blocks) {
        return Malformed(why, header, "a size of " + std::to_string(size) + " bytes, more than the partition");
    }
    std::size_t left = static_cast<std::size_t>(count);
    std::size_t here = std::min(left, slots);
    if (!TakeTable(volume, header, headerBlock, here, blocks, why)) {
        return false;
    }
    left -= here;
    std::uint32_t next = headerBlock.End(kEndExtension);
    std::unordered_set<std::uint32_t> seen;
    Block ext;
    while (left > 0) {
        if (next == 0) {
            return Malformed(why, header, "fewer data blocks than its size needs");
        }
        if (!seen.insert(next).second) {
            return Malformed(why, next, "the extension list loops");
        }
        if (next < volume.partition.reserved || !ReadBlock(volume, next, ext, why)) {
            return next < volume.partition.reserved ? Malformed(why, next, "an extension in the boot blocks") : false;
        }
        if (!ChecksumOk(ext, 5)) {
            return Malformed(why, next, "checksum does not match");
        }
        if (ext.Signed(0) != kTypeList || ext.Long(1) != next || ext.End(kEndParent) != header ||
            ext.Signed(ext.Longs() - kEndSecType) != kSecFile) {
            return Malformed(why, next, "not an extension block of file " + std::to_string(header));
        }
        blocks.extensions.push_back(next);
        here = std::min(left, slots);
        if (!TakeTable(volume, next, ext, here, blocks, why)) {
            return false;
        }
        left -= here;
        next = ext.End(kEndExtension);
    }
    if (next != 0) {
        return Malformed(why, blocks.extensions.empty() ? header : blocks.extensions.back(),
                         "an extension block beyond its size");
    }
    return true;
}

bool CheckOfsData(const Volume &volume, const Block &data, std::uint32_t n, std::uint32_t header,
                  std::uint32_t sequence, std::uint32_t size, std::uint32_t next, FsFailure &why)
{
    (void)volume;
    if (!ChecksumOk(data, 5)) {
        return Malformed(why, n, "checksum does not match");
    }
    if (data.Signed(0) != kTypeData || data.Long(1) != header) {
        return Malformed(why, n, "not a data block of file " + std::to_string(header));
    }
    if (data.Long(2) != sequence) {
        return Malformed(why, n,
                         "sequence number " + std::to_string(data.Long(2)) + ", not " + std::to_string(sequence));
    }
    if (data.Long(3) != size) {
        return Malformed(why, n, "holds " + std::to_string(data.Long(3)) + " bytes, not " + std::to_string(size));
    }
    if (data.Long(4) != next) {
        return Malformed(why, n,
                         "its next data block is " + std::to_string(data.Long(4)) + ", not " + std::to_string(next));
    }
    return true;
}

std::size_t CacheRecordSize(std::size_t nameLength, std::size_t commentLength)
{
    std::size_t size = 25 + nameLength + commentLength;
    return size + (size & 1);
}

bool ReadDirCache(const Volume &volume, std::uint32_t drawer, const Block &drawerBlock,
                  std::vector<CacheRecord> &records, std::vector<std::uint32_t> &cacheBlocks, FsFailure &why)
{
    records.clear();
    cacheBlocks.clear();
    std::uint32_t next = drawerBlock.End(kEndExtension);
    if (next == 0) {
        return Malformed(why, drawer, "a drawer without a directory cache");
    }
    std::unordered_set<std::uint32_t> seen;
    Block cache;
    while (next != 0) {
        if (!seen.insert(next).second) {
            return Malformed(why, next, "the directory cache list loops");
        }
        if (next < volume.partition.reserved || !ReadBlock(volume, next, cache, why)) {
            return next < volume.partition.reserved ? Malformed(why, next, "a cache in the boot blocks") : false;
        }
        if (!ChecksumOk(cache, 5)) {
            return Malformed(why, next, "checksum does not match");
        }
        if (cache.Signed(0) != kTypeDirCache || cache.Long(1) != next || cache.Long(2) != drawer) {
            return Malformed(why, next, "not a directory cache block of drawer " + std::to_string(drawer));
        }
        cacheBlocks.push_back(next);
        std::size_t at = kOfsDataHeader;
        const std::size_t end = cache.bytes.size();
        for (std::uint32_t i = 0; i < cache.Long(3); ++i) {
            if (at + 25 > end) {
                return Malformed(why, next, "cache records run past the block");
            }
            const std::uint8_t *r = cache.bytes.data() + at;
            CacheRecord record;
            record.cacheBlock = next;
            record.offset = at;
            record.header = ReadBE32(r);
            record.size = ReadBE32(r + 4);
            record.protection = ReadBE32(r + 8);
            record.date = {ReadBE16(r + 16), ReadBE16(r + 18), ReadBE16(r + 20)};
            record.type = static_cast<std::int8_t>(r[22]);
            std::size_t nameLength = r[23];
            if (at + 24 + nameLength + 1 > end) {
                return Malformed(why, next, "cache records run past the block");
            }
            record.name.assign(reinterpret_cast<const char *>(r + 24), nameLength);
            std::size_t commentLength = r[24 + nameLength];
            if (at + CacheRecordSize(nameLength, commentLength) > end) {
                return Malformed(why, next, "cache records run past the block");
            }
            record.comment.assign(reinterpret_cast<const char *>(r + 25 + nameLength), commentLength);
            at += CacheRecordSize(nameLength, commentLength);
            records.push_back(std::move(record));
        }
        next = cache.Long(4);
    }
    return true;
}

bool BitmapState::Load(const Volume &volume, FsFailure &why)
{
    std::vector<std::uint32_t> extensions;
    if (!BitmapBlocks(volume, blocks, extensions, why)) {
        return false;
    }
    contents.assign(blocks.size(), Block{});
    changed.assign(blocks.size(), false);
    for (std::size_t k = 0; k < blocks.size(); ++k) {
        if (!ReadBlock(volume, blocks[k], contents[k], why)) {
            return false;
        }
        if (!ChecksumOk(contents[k], 0)) {
            return Malformed(why, blocks[k], "bitmap checksum does not match");
        }
    }
    return true;
}

bool BitmapState::IsFree(const Volume &volume, std::uint32_t n) const
{
    if (n < volume.partition.reserved || !InPartition(volume, n)) {
        return false;
    }
    const std::uint32_t bits = BitsPerBitmapBlock(volume), index = n - volume.partition.reserved;
    const std::size_t k = index / bits, bit = index % bits;
    return k < contents.size() && ((contents[k].Long(1 + bit / 32) >> (bit % 32)) & 1) != 0;
}

void BitmapState::Mark(const Volume &volume, std::uint32_t n, bool free)
{
    if (n < volume.partition.reserved || !InPartition(volume, n)) {
        return;
    }
    const std::uint32_t bits = BitsPerBitmapBlock(volume), index = n - volume.partition.reserved;
    const std::size_t k = index / bits, bit = index % bits;
    if (k >= contents.size()) {
        return;
    }
    std::uint32_t word = contents[k].Long(1 + bit / 32);
    const std::uint32_t mask = 1u << (bit % 32);
    contents[k].SetLong(1 + bit / 32, free ? word | mask : word & ~mask);
    changed[k] = true;
}

std::vector<BlockWrite> BitmapState::TakeWrites(const Volume &volume)
{
    std::vector<BlockWrite> writes;
    for (std::size_t k = 0; k < blocks.size(); ++k) {
        if (changed[k]) {
            SetChecksum(contents[k], 0);
            writes.push_back(MakeWrite(volume, blocks[k], contents[k]));
            changed[k] = false;
        }
    }
    return writes;
}

void SetVolumeMode(Volume &volume, std::uint32_t dosType)
{
    const std::uint32_t flags = dosType & 0xFF;
    volume.dosType = dosType;
    volume.longNames = flags >= 6;
    volume.fast = volume.longNames ? flags == 7 : (flags & 1) != 0;
    volume.international = flags >= 2;
    volume.dirCache = flags == 4 || flags == 5;
    const Partition &p = volume.partition;
    volume.root = static_cast<std::uint32_t>((std::uint64_t{p.reserved} + p.blocks - 1) / 2);
}

}  // namespace amiga_fs
