// Replacing a file's bytes: a plan of whole-block writes in stages that the
// caller flushes between. Whatever write a kill or a failure stops it at, the
// volume is valid, to this room's check and to AmigaDOS, the file holds its old
// bytes or its new ones, and no block is owned twice:
// - Nothing is planned on a volume the walk finds damaged. New blocks are taken
//   only where the walk owns nothing and (with a valid bitmap) the bitmap says
//   free: never a block the old file or anything else still uses. When fewer are
//   free than the new bytes need, nothing is planned.
// - (a) The bitmap blocks, the new blocks marked used. Nothing points at them
//   yet: blocks marked used that nothing owns are lost room, which AmigaDOS
//   never allocates and the check counts without failing.
// - (b) The new data and extension blocks, unreachable until (c): the old file
//   is whole.
// - (c) The file header in one block write: size, data list, first extension,
//   date, checksum; the other fields (name, protection bits, comment, links) as
//   they were. It is one write of one block, which a killed process never leaves
//   half done (the kernel takes a write call whole); before it the file is old,
//   after it new. (A power failure may still tear a block larger than the
//   device's sector, as it may under AmigaDOS.)
// - (d) The file's directory cache record, its size and date: until then it lags
//   behind the header, as a cache may (the check counts it as stale); the names
//   and blocks it lists are right at every moment.
// - (e) The bitmap blocks, the old blocks freed, now that nothing points at them.
// The root block is never written. A valid bitmap flag stays true, as the bitmap
// never marks an owned block free; marking it invalid for the save's span would
// cost two more root writes and send every interrupted save's volume through the
// validator, which cannot run on a write-protected disk. A flag found invalid (an
// Amiga's writer was stopped mid-write) means AmigaDOS will rebuild the bitmap
// from the blocks it reaches, as the walk does: the plan takes blocks the walk
// leaves unowned and writes no bitmap (stages (a) and (e) are empty). The root's
// dates (the volume's last change) stay: what changed is the file, and it is dated.
#include <algorithm>

#include "platform/filesystem/blocks.h"
#include "platform/formats/big_endian.h"

using namespace amiga_fs;

namespace {

// Takes count blocks the walk does not own and the bitmap (when trusted) marks
// free, searching upward from near and round.
bool TakeFreeBlocks(const Volume &volume, const Walk &walk, const BitmapState &bitmap, std::uint32_t near,
                    std::size_t count, std::vector<std::uint32_t> &taken)
{
    const std::uint32_t first = volume.partition.reserved, blocks = volume.partition.blocks;
    for (std::uint64_t i = 0; i < blocks - first && taken.size() < count; ++i) {
        std::uint32_t n = static_cast<std::uint32_t>(first + (near - first + i) % (blocks - first));
        if (!walk.owned[n] && (!volume.bitmapValid || bitmap.IsFree(volume, n))) {
            taken.push_back(n);
        }
    }
    return taken.size() == count;
}

}  // namespace

namespace amiga_fs {

void BuildFileBlocks(const Volume &volume, std::uint32_t header, Block &headerBlock, std::string_view bytes,
                     const std::vector<std::uint32_t> &data, const std::vector<std::uint32_t> &extensions,
                     std::vector<BlockWrite> &writes)
{
    const std::size_t each = DataBytes(volume), slots = TableSlots(headerBlock.Longs());
    for (std::size_t i = 0; i < data.size(); ++i) {
        Block block = EmptyBlock(volume.partition.blockSize);
        const std::size_t chunk = std::min(each, bytes.size() - i * each);
        const std::size_t from = volume.fast ? 0 : kOfsDataHeader;
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(i * each), chunk,
                    block.bytes.begin() + static_cast<std::ptrdiff_t>(from));
        if (!volume.fast) {
            block.SetLong(0, kTypeData);
            block.SetLong(1, header);
            block.SetLong(2, static_cast<std::uint32_t>(i + 1));
            block.SetLong(3, static_cast<std::uint32_t>(chunk));
            block.SetLong(4, i + 1 < data.size() ? data[i + 1] : 0);
            SetChecksum(block, 5);
        }
        writes.push_back(MakeWrite(volume, data[i], block));
    }
    // The header's table, then each extension's: slots blocks a table.
    auto fillTable = [&](Block &table, std::size_t start) {
        for (std::size_t i = 0; i < slots; ++i) {
            table.SetLong(kSlotsStart + i, 0);
        }
        std::size_t count = std::min(slots, data.size() - std::min(data.size(), start));
        table.SetLong(2, static_cast<std::uint32_t>(count));
        for (std::size_t i = 0; i < count; ++i) {
            table.SetLong(DataSlot(table.Longs(), i), data[start + i]);
        }
    };
    for (std::size_t k = 0; k < extensions.size(); ++k) {
        Block ext = EmptyBlock(volume.partition.blockSize);
        ext.SetLong(0, kTypeList);
        ext.SetLong(1, extensions[k]);
        fillTable(ext, (k + 1) * slots);
        ext.SetEnd(kEndParent, header);
        ext.SetEnd(kEndExtension, k + 1 < extensions.size() ? extensions[k + 1] : 0);
        ext.SetEnd(kEndSecType, static_cast<std::uint32_t>(kSecFile));
        SetChecksum(ext, 5);
        writes.push_back(MakeWrite(volume, extensions[k], ext));
    }
    fillTable(headerBlock, 0);
    headerBlock.SetLong(4, data.empty() ? 0 : data[0]);
    headerBlock.SetEnd(kEndByteSize, static_cast<std::uint32_t>(bytes.size()));
    headerBlock.SetEnd(kEndExtension, extensions.empty() ? 0 : extensions[0]);
}

}  // namespace amiga_fs

namespace {

// The directory cache block holding the file's record, its size and date new.
bool CacheWrite(const Volume &volume, std::uint32_t parent, std::uint32_t header, std::uint32_t size, AmigaDate date,
                std::vector<BlockWrite> &writes, FsFailure &why)
{
    Block drawer, cache;
    std::vector<CacheRecord> records;
    std::vector<std::uint32_t> cacheBlocks;
    if (!ReadHeader(volume, parent, drawer, why) || !ReadDirCache(volume, parent, drawer, records, cacheBlocks, why)) {
        return false;
    }
    auto record =
        std::find_if(records.begin(), records.end(), [&](const CacheRecord &r) { return r.header == header; });
    if (record == records.end()) {
        return Malformed(why, parent, "its directory cache lacks " + std::to_string(header));
    }
    if (!ReadBlock(volume, record->cacheBlock, cache, why)) {
        return false;
    }
    std::uint8_t *r = cache.bytes.data() + record->offset;
    const std::uint8_t fields[10] = {
        static_cast<std::uint8_t>(size >> 24),        static_cast<std::uint8_t>(size >> 16),
        static_cast<std::uint8_t>(size >> 8),         static_cast<std::uint8_t>(size),
        static_cast<std::uint8_t>(date.days >> 8),    static_cast<std::uint8_t>(date.days),
        static_cast<std::uint8_t>(date.minutes >> 8), static_cast<std::uint8_t>(date.minutes),
        static_cast<std::uint8_t>(date.ticks >> 8),   static_cast<std::uint8_t>(date.ticks)};
    std::copy_n(fields, 4, r + 4);
    std::copy_n(fields + 4, 6, r + 16);
    SetChecksum(cache, 5);
    writes.push_back(MakeWrite(volume, record->cacheBlock, cache));
    return true;
}

}  // namespace

bool PlanReplace(const Volume &volume, std::string_view path, std::string_view bytes, AmigaDate now, WritePlan &plan,
                 FsFailure &why)
{
    plan = WritePlan{};
    why = FsFailure{};
    std::uint32_t header = 0, parent = 0;
    Block headerBlock;
    FileBlocks old;
    if (!ResolveFile(volume, path, header, headerBlock, parent, why) ||
        !ReadFileBlocks(volume, header, headerBlock, old, why)) {
        return false;
    }
    if (bytes.size() > 0xFFFFFFFFu) {
        return Fail(why, FsProblem::TooLarge, "more bytes than a file holds");
    }
    if (headerBlock.End(kEndByteSize) == bytes.size()) {
        std::string current;
        if (!ReadFileData(volume, header, headerBlock, old, &current, why)) {
            return false;
        }
        if (current == bytes) {
            return true;
        }
    }

    Walk walk;
    WalkVolume(volume, false, walk);
    if (!walk.problems.empty()) {
        return Fail(why, FsProblem::Malformed, "the volume is damaged: " + walk.problems.front());
    }
    BitmapState bitmap;
    if (volume.bitmapValid && !bitmap.Load(volume, why)) {
        return false;
    }
    const std::size_t each = DataBytes(volume), slots = TableSlots(headerBlock.Longs());
    const std::size_t dataCount = (bytes.size() + each - 1) / each;
    const std::size_t extCount = dataCount > slots ? (dataCount - slots + slots - 1) / slots : 0;
    std::vector<std::uint32_t> taken;
    if (!TakeFreeBlocks(volume, walk, bitmap, header, dataCount + extCount, taken)) {
        return Fail(why, FsProblem::NoSpace,
                    std::string(path) + " needs " + std::to_string(dataCount + extCount) + " free blocks, and " +
                        std::to_string(taken.size()) + " are free");
    }
    std::vector<std::uint32_t> data(taken.begin(), taken.begin() + static_cast<std::ptrdiff_t>(dataCount));
    std::vector<std::uint32_t> extensions(taken.begin() + static_cast<std::ptrdiff_t>(dataCount), taken.end());

    plan.stages.resize(5);
    if (volume.bitmapValid) {
        for (std::uint32_t n : taken) {
            bitmap.Mark(volume, n, false);
        }
        plan.stages[0] = bitmap.TakeWrites(volume);
    }
    BuildFileBlocks(volume, header, headerBlock, bytes, data, extensions, plan.stages[1]);
    WriteDate(headerBlock, DateSlot(volume), now);
    SetChecksum(headerBlock, 5);
    plan.stages[2].push_back(MakeWrite(volume, header, headerBlock));
    if (volume.dirCache &&
        !CacheWrite(volume, parent, header, static_cast<std::uint32_t>(bytes.size()), now, plan.stages[3], why)) {
        plan = WritePlan{};
        return false;
    }
    if (volume.bitmapValid) {
        for (std::uint32_t n : old.data) {
            bitmap.Mark(volume, n, true);
        }
        for (std::uint32_t n : old.extensions) {
            bitmap.Mark(volume, n, true);
        }
        plan.stages[4] = bitmap.TakeWrites(volume);
    }
    return true;
}
