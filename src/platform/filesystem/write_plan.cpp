// Replacing the bytes of one or several files together: a plan of whole-block
// writes in stages that the caller flushes between, one stage of each kind for all
// the files. Whatever write a kill or a failure stops it at, the volume is valid,
// to this room's check and to AmigaDOS, each file holds its old bytes or its new
// ones, and no block is owned twice:
// - Nothing is planned on a volume the walk finds damaged. New blocks are taken
//   only where the walk owns nothing and (with a valid bitmap) the bitmap says
//   free: never a block an old file or anything else still uses, and each block
//   taken is owned from then on, so that no two files are given the same one.
// - The files go in rounds of the stages below: as many files, in their order, as
//   fit together in the blocks free; a later round takes the blocks the rounds
//   before freed, once their last stage is flushed. With room enough there is one
//   round. When a file does not fit even in a round of its own, nothing is planned
//   for any file: a save that does not fit is refused before anything is written.
// - (a) The bitmap blocks, all new blocks marked used. Nothing points at them
//   yet: blocks marked used that nothing owns are lost room, which AmigaDOS
//   never allocates and the check counts without failing.
// - (b) The new data and extension blocks of every file, unreachable until (c):
//   the old files are whole.
// - (c) Each file's header in one block write: size, data list, first extension,
//   date, checksum; the other fields (name, protection bits, comment, links) as
//   they were. It is one write of one block, which a killed process never leaves
//   half done (the kernel takes a write call whole); before it the file is old,
//   after it new, whatever the other files' headers are. (A power failure may
//   still tear a block larger than the device's sector, as it may under AmigaDOS.)
// - (d) The directory cache records of the files, their sizes and dates (each
//   cache block written once, with every record it holds of them): until then they
//   lag behind the headers, as a cache may (the check counts them as stale); the
//   names and blocks listed are right at every moment.
// - (e) The bitmap blocks, the old blocks freed, now that no header points at them.
// The root block is never written. A valid bitmap flag stays true, as the bitmap
// never marks an owned block free; marking it invalid for the save's span would
// cost two more root writes and send every interrupted save's volume through the
// validator, which cannot run on a write-protected disk. A flag found invalid (an
// Amiga's writer was stopped mid-write) means AmigaDOS will rebuild the bitmap
// from the blocks it reaches, as the walk does: the plan takes blocks the walk
// leaves unowned and writes no bitmap (stages (a) and (e) are empty). The root's
// dates (the volume's last change) stay: what changed is the files, and they are
// dated. The volume is walked once for the plan (its free blocks counted on the
// way), and free blocks are looked for from each file's header onward only as far
// as it needs.
#include <algorithm>
#include <span>

#include "platform/filesystem/blocks.h"
#include "platform/formats/big_endian.h"

using namespace amiga_fs;

namespace {

// Takes count blocks the walk does not own and the bitmap (when trusted) marks
// free, searching upward from near and round, only as far as it needs; each
// block taken is owned by the walk from then on.
bool TakeFreeBlocks(const Volume &volume, Walk &walk, const BitmapState &bitmap, std::uint32_t near, std::size_t count,
                    std::vector<std::uint32_t> &taken)
{
    const std::uint32_t first = volume.partition.reserved, blocks = volume.partition.blocks;
    near = near < first || near >= blocks ? first : near;
    for (std::uint64_t i = 0; i < blocks - first && taken.size() < count; ++i) {
        std::uint32_t n = static_cast<std::uint32_t>(first + (near - first + i) % (blocks - first));
        if (!walk.owned[n] && (!volume.bitmapValid || bitmap.IsFree(volume, n))) {
            walk.owned[n] = true;
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

// The directory cache records of the files replaced, their sizes and dates new;
// a cache block changed for several is written once, with all their records.
class CacheWrites {
public:
    bool Update(const Volume &volume, std::uint32_t parent, std::uint32_t header, std::uint32_t size, AmigaDate date,
                FsFailure &why)
    {
        Block drawer;
        std::vector<CacheRecord> records;
        std::vector<std::uint32_t> cacheBlocks;
        if (!ReadHeader(volume, parent, drawer, why) ||
            !ReadDirCache(volume, parent, drawer, records, cacheBlocks, why)) {
            return false;
        }
        auto record =
            std::find_if(records.begin(), records.end(), [&](const CacheRecord &r) { return r.header == header; });
        if (record == records.end()) {
            return Malformed(why, parent, "its directory cache lacks " + std::to_string(header));
        }
        auto held = std::find(numbers.begin(), numbers.end(), record->cacheBlock);
        if (held == numbers.end()) {
            Block cache;
            if (!ReadBlock(volume, record->cacheBlock, cache, why)) {
                return false;
            }
            numbers.push_back(record->cacheBlock);
            blocks.push_back(std::move(cache));
            held = numbers.end() - 1;
        }
        const auto k = static_cast<std::size_t>(held - numbers.begin());
        changed.resize(blocks.size());
        changed[k] = true;
        Block &cache = blocks[k];
        std::uint8_t *r = cache.bytes.data() + record->offset;
        const std::uint8_t fields[10] = {
            static_cast<std::uint8_t>(size >> 24),        static_cast<std::uint8_t>(size >> 16),
            static_cast<std::uint8_t>(size >> 8),         static_cast<std::uint8_t>(size),
            static_cast<std::uint8_t>(date.days >> 8),    static_cast<std::uint8_t>(date.days),
            static_cast<std::uint8_t>(date.minutes >> 8), static_cast<std::uint8_t>(date.minutes),
            static_cast<std::uint8_t>(date.ticks >> 8),   static_cast<std::uint8_t>(date.ticks)};
        std::copy_n(fields, 4, r + 4);
        std::copy_n(fields + 4, 6, r + 16);
        return true;
    }

    // The blocks changed since the last take, to write.
    void Take(const Volume &volume, std::vector<BlockWrite> &writes)
    {
        for (std::size_t k = 0; k < changed.size(); ++k) {
            if (changed[k]) {
                SetChecksum(blocks[k], 5);
                writes.push_back(MakeWrite(volume, numbers[k], blocks[k]));
                changed[k] = false;
            }
        }
    }

private:
    std::vector<std::uint32_t> numbers;
    std::vector<Block> blocks;  // as changed so far
    std::vector<bool> changed;
};

// A file to replace, as found and as it will be.
struct Planned {
    std::size_t index = 0;  // in the files given
    std::uint32_t header = 0, parent = 0;
    Block headerBlock;
    FileBlocks old;
    std::size_t dataCount = 0, extCount = 0;
    std::vector<std::uint32_t> taken;

    std::uint64_t Needs() const { return dataCount + extCount; }
};

// Finds the file and what its new bytes need; false (with why) when it cannot be
// replaced, true with nothing to do (needed false) when it holds the bytes already.
bool Prepare(const Volume &volume, const Replacement &file, Planned &planned, bool &needed, FsFailure &why)
{
    needed = false;
    if (!ResolveFile(volume, file.path, planned.header, planned.headerBlock, planned.parent, why) ||
        !ReadFileBlocks(volume, planned.header, planned.headerBlock, planned.old, why)) {
        return false;
    }
    if (file.bytes.size() > 0xFFFFFFFFu) {
        return Fail(why, FsProblem::TooLarge, "more bytes than a file holds");
    }
    if (planned.headerBlock.End(kEndByteSize) == file.bytes.size()) {
        std::string current;
        if (!ReadFileData(volume, planned.header, planned.headerBlock, planned.old, &current, why)) {
            return false;
        }
        if (current == file.bytes) {
            return true;
        }
    }
    const std::size_t each = DataBytes(volume), slots = TableSlots(planned.headerBlock.Longs());
    planned.dataCount = (file.bytes.size() + each - 1) / each;
    planned.extCount = planned.dataCount > slots ? (planned.dataCount - slots + slots - 1) / slots : 0;
    needed = true;
    return true;
}

// Every planned file given the same failure.
bool FailAll(const std::vector<Planned> &planned, const FsFailure &failure, std::vector<FsFailure> &why)
{
    for (const Planned &p : planned) {
        why[p.index] = failure;
    }
    return false;
}

// One round's five stages, appended to plan: the files' new blocks taken, their
// blocks built, their old blocks freed; the walk then owns their new blocks only.
bool PlanRound(const Volume &volume, const std::vector<Replacement> &files, std::span<Planned> round, AmigaDate now,
               Walk &walk, BitmapState &bitmap, CacheWrites &caches, WritePlan &plan, FsFailure &why)
{
    for (Planned &p : round) {
        if (!TakeFreeBlocks(volume, walk, bitmap, p.header, p.Needs(), p.taken)) {
            return Fail(why, FsProblem::NoSpace, "fewer free blocks than counted");
        }
    }
    const std::size_t at = plan.stages.size();
    plan.stages.resize(at + 5);
    for (Planned &p : round) {
        const std::string &bytes = files[p.index].bytes;
        const auto split = p.taken.begin() + static_cast<std::ptrdiff_t>(p.dataCount);
        const std::vector<std::uint32_t> data(p.taken.begin(), split), extensions(split, p.taken.end());
        if (volume.bitmapValid) {
            for (std::uint32_t n : p.taken) {
                bitmap.Mark(volume, n, false);
            }
        }
        BuildFileBlocks(volume, p.header, p.headerBlock, bytes, data, extensions, plan.stages[at + 1]);
        WriteDate(p.headerBlock, DateSlot(volume), now);
        SetChecksum(p.headerBlock, 5);
        plan.stages[at + 2].push_back(MakeWrite(volume, p.header, p.headerBlock));
        if (volume.dirCache &&
            !caches.Update(volume, p.parent, p.header, static_cast<std::uint32_t>(bytes.size()), now, why)) {
            return false;
        }
    }
    caches.Take(volume, plan.stages[at + 3]);
    if (volume.bitmapValid) {
        plan.stages[at] = bitmap.TakeWrites(volume);
    }
    for (const Planned &p : round) {
        for (const auto *list : {&p.old.data, &p.old.extensions}) {
            for (std::uint32_t n : *list) {
                bitmap.Mark(volume, n, true);
                walk.owned[n] = false;
            }
        }
    }
    if (volume.bitmapValid) {
        plan.stages[at + 4] = bitmap.TakeWrites(volume);
    }
    return true;
}

}  // namespace

bool PlanReplaceAll(const Volume &volume, const std::vector<Replacement> &files, AmigaDate now, WritePlan &plan,
                    std::vector<FsFailure> &why)
{
    plan = WritePlan{};
    why.assign(files.size(), FsFailure{});
    std::vector<Planned> planned;
    bool allPlanned = true;
    for (std::size_t i = 0; i < files.size(); ++i) {
        Planned p;
        p.index = i;
        bool needed = false;
        if (!Prepare(volume, files[i], p, needed, why[i])) {
            allPlanned = false;
            continue;
        }
        // A file named twice (through a hard link) takes the later bytes, as one
        // replacement after the other would leave it.
        std::erase_if(planned, [&](const Planned &q) { return q.header == p.header; });
        if (needed) {
            planned.push_back(std::move(p));
        }
    }
    if (planned.empty()) {
        return allPlanned;
    }

    Walk walk;
    WalkVolume(volume, false, walk);
    FsFailure failure;
    if (!walk.problems.empty()) {
        Fail(failure, FsProblem::Malformed, "the volume is damaged: " + walk.problems.front());
        return FailAll(planned, failure, why);
    }
    BitmapState bitmap;
    if (volume.bitmapValid && !bitmap.Load(volume, failure)) {
        return FailAll(planned, failure, why);
    }
    // Rounds of as many files as fit together, each freeing room for the next.
    std::uint64_t room = walk.freeBlocks;
    WritePlan built;
    CacheWrites caches;
    for (std::size_t first = 0, end = 0; first < planned.size(); first = end) {
        std::uint64_t wants = 0;
        for (end = first; end < planned.size() && wants + planned[end].Needs() <= room; ++end) {
            wants += planned[end].Needs();
        }
        if (end == first) {
            const std::string &path = files[planned[first].index].path;
            for (const Planned &p : planned) {
                why[p.index] = {FsProblem::NoSpace,
                                files[p.index].path + ": not written, as " + path + " does not fit"};
            }
            why[planned[first].index].reason = path + " needs " + std::to_string(planned[first].Needs()) +
                                               " free blocks, and " + std::to_string(room) + " are free";
            return false;
        }
        if (!PlanRound(volume, files, std::span(planned).subspan(first, end - first), now, walk, bitmap, caches, built,
                       failure)) {
            return FailAll(planned, failure, why);
        }
        room -= wants;
        for (std::size_t i = first; i < end; ++i) {
            room += planned[i].old.data.size() + planned[i].old.extensions.size();
        }
    }
    plan = std::move(built);
    return allPlanned;
}

bool PlanReplace(const Volume &volume, std::string_view path, std::string_view bytes, AmigaDate now, WritePlan &plan,
                 FsFailure &why)
{
    std::vector<FsFailure> each;
    const bool planned = PlanReplaceAll(volume, {{std::string(path), std::string(bytes)}}, now, plan, each);
    why = each[0];
    return planned;
}
