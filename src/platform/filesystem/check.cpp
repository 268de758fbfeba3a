// The consistency check: every block reachable from the root is read and
// checked (checksums, types, its own number, parent, hash slot, file block
// lists against sizes, OFS data chains, directory caches against the entries),
// and marked as owned; a block owned twice or lying outside the partition is a
// problem and is not followed, so that loops end. The bitmap, when its flag says
// valid, must mark every owned block used. Blocks marked used that nothing owns
// are counted, not reported: a save killed before its last stage leaves them (its
// old blocks, or its new ones before the header took them), and they are only
// room lost, never damage. Likewise a directory cache record whose size or date
// lags behind its header: the header's block is written before the cache's.
// With the flag invalid AmigaDOS rebuilds the bitmap from the same walk, so it
// is not compared.
#include <algorithm>
#include <bit>
#include <map>

#include "platform/filesystem/blocks.h"
#include "platform/formats/big_endian.h"

using namespace amiga_fs;

namespace {

constexpr std::size_t kMaxProblems = 1000;

struct Walker {
    const Volume &volume;
    bool deep;
    Walk &walk;
    std::uint32_t markedFree = 0;  // set bits of the bitmap, within the partition

    void Problem(const std::string &text)
    {
        if (walk.problems.size() < kMaxProblems) {
            walk.problems.push_back(text);
        } else if (walk.problems.size() == kMaxProblems) {
            walk.problems.push_back("more problems not listed");
        }
    }
    void Problem(std::uint32_t n, const std::string &text) { Problem("block " + std::to_string(n) + ": " + text); }

    // Marks block n as owned by what; false when it cannot be (already owned, outside).
    bool Own(std::uint32_t n, const char *what)
    {
        if (!InPartition(volume, n) || n < volume.partition.reserved) {
            Problem(n, std::string(what) + " outside the partition's blocks");
            return false;
        }
        if (walk.owned[n]) {
            Problem(n, std::string(what) + " reached a second time");
            return false;
        }
        walk.owned[n] = true;
        walk.ownedBlocks.push_back(n);
        return true;
    }

    void BootBlock()
    {
        std::vector<std::uint8_t> boot(1024);
        if (volume.partition.reserved * std::uint64_t{volume.partition.blockSize} < boot.size() ||
            !volume.image->Read(volume.partition.start, boot.data(), boot.size())) {
            return;
        }
        // A boot block without code is not bootable and needs no checksum.
        bool code = std::any_of(boot.begin() + 12, boot.end(), [](std::uint8_t b) { return b != 0; });
        if (code && ReadBE32(boot.data() + 4) != BootChecksum(boot.data())) {
            Problem(0, "boot block checksum does not match");
        }
    }

    void Bitmap()
    {
        std::vector<std::uint32_t> extensions;
        FsFailure why;
        if (!BitmapBlocks(volume, walk.bitmapBlocks, extensions, why)) {
            Problem(why.reason);
            walk.bitmapBlocks.clear();
            return;
        }
        for (std::uint32_t n : extensions) {
            Own(n, "a bitmap extension");
        }
        const std::uint32_t bits = BitsPerBitmapBlock(volume), words = bits / 32;
        walk.freeWords.assign(walk.bitmapBlocks.size() * words, 0);
        Block block;
        for (std::size_t k = 0; k < walk.bitmapBlocks.size(); ++k) {
            const std::uint32_t n = walk.bitmapBlocks[k];
            if (!Own(n, "a bitmap block") || !ReadBlock(volume, n, block, why)) {
                continue;
            }
            if (!ChecksumOk(block, 0)) {
                Problem(n, "bitmap checksum does not match");
            }
            // Bits past the partition's last block count for nothing.
            for (std::uint32_t word = 0; word < words; ++word) {
                const std::uint64_t b = volume.partition.reserved + std::uint64_t{k} * bits + word * 32;
                const std::uint64_t left = b < volume.partition.blocks ? volume.partition.blocks - b : 0;
                const std::uint32_t value = block.Long(1 + word) & (left >= 32 ? ~0u : (1u << left) - 1);
                walk.freeWords[k * words + word] = value;
                markedFree += static_cast<std::uint32_t>(std::popcount(value));
            }
        }
    }

    void File(std::uint32_t n, const Block &header)
    {
        FileBlocks blocks;
        FsFailure why;
        if (!ReadFileBlocks(volume, n, header, blocks, why)) {
            Problem(why.reason);
            return;
        }
        for (std::uint32_t e : blocks.extensions) {
            Own(e, "an extension block");
        }
        bool owned = true;
        for (std::uint32_t d : blocks.data) {
            owned = Own(d, "a data block") && owned;
        }
        // OFS starts reading a file at its first data block; FFS reads its list and
        // may leave the field 0.
        const std::uint32_t first = header.Long(4);
        if (first != (blocks.data.empty() ? 0 : blocks.data[0]) && (!volume.fast || first != 0)) {
            Problem(n, "its first data block is " + std::to_string(header.Long(4)) + ", not the list's first");
        }
        if (deep && !volume.fast && owned && !ReadFileData(volume, n, header, blocks, nullptr, why)) {
            Problem(why.reason);
        }
    }

    void HardLink(std::uint32_t n, const Block &link, std::int32_t type)
    {
        Block target;
        FsFailure why;
        const std::uint32_t real = link.End(kEndRealEntry);
        if (!ReadHeader(volume, real, target, why)) {
            Problem(n, "a link to " + std::to_string(real) + ", which is not a header (" + why.reason + ")");
            return;
        }
        const std::int32_t want = type == kSecLinkFile ? kSecFile : kSecDrawer;
        if (target.Signed(target.Longs() - kEndSecType) != want) {
            Problem(n, "a link to " + std::to_string(real) + ", which is of another kind");
        }
    }

    void LongNameComment(std::uint32_t n, const Block &header)
    {
        const std::uint32_t c = volume.longNames ? header.End(kEndCommentBlock) : 0;
        if (c == 0 || !Own(c, "a comment block")) {
            return;
        }
        Block comment;
        FsFailure why;
        if (!ReadBlock(volume, c, comment, why) || !ChecksumOk(comment, 5) || comment.Long(1) != c ||
            comment.Long(2) != n) {
            Problem(c, "not the comment block of " + std::to_string(n));
        }
    }

    // The drawer's cache records against the entries found in its hash table.
    void DirCache(std::uint32_t drawer, const Block &drawerBlock, const std::map<std::uint32_t, Entry> &entries)
    {
        std::vector<CacheRecord> records;
        std::vector<std::uint32_t> cacheBlocks;
        FsFailure why;
        if (!ReadDirCache(volume, drawer, drawerBlock, records, cacheBlocks, why)) {
            Problem(why.reason);
            return;
        }
        for (std::uint32_t c : cacheBlocks) {
            Own(c, "a directory cache block");
        }
        std::map<std::uint32_t, int> seen;
        for (const CacheRecord &record : records) {
            auto it = entries.find(record.header);
            if (it == entries.end()) {
                Problem(record.cacheBlock,
                        "caches " + std::to_string(record.header) + ", not in drawer " + std::to_string(drawer));
                continue;
            }
            if (++seen[record.header] > 1) {
                Problem(record.cacheBlock, "caches " + std::to_string(record.header) + " twice");
            }
            const Entry &entry = it->second;
            const bool commentOk = entry.comment.compare(0, record.comment.size(), record.comment) == 0;
            if (record.name != entry.name || record.protection != entry.protection || !commentOk) {
                Problem(record.cacheBlock, "its record of " + std::to_string(record.header) + " differs from it");
            }
            const bool dateSame = record.date.days == (entry.date.days & 0xFFFF) &&
                                  record.date.minutes == (entry.date.minutes & 0xFFFF) &&
                                  record.date.ticks == (entry.date.ticks & 0xFFFF);
            if (record.size != entry.size || !dateSame) {
                ++walk.staleCacheRecords;
            }
        }
        for (const auto &[n, entry] : entries) {
            if (seen.count(n) == 0) {
                Problem(drawer, "its directory cache lacks " + std::to_string(n));
            }
        }
    }

    void Drawer(std::uint32_t drawer, std::vector<std::uint32_t> &drawers)
    {
        Block block, entryBlock;
        FsFailure why;
        if (!ReadHeader(volume, drawer, block, why)) {
            Problem(why.reason);
            return;
        }
        std::map<std::uint32_t, Entry> entries;
        const std::uint32_t slots = static_cast<std::uint32_t>(TableSlots(block.Longs()));
        for (std::uint32_t slot = 0; slot < slots; ++slot) {
            for (std::uint32_t n = block.Long(kSlotsStart + slot); n != 0; n = entryBlock.End(kEndHashChain)) {
                why = FsFailure{};
                if (!Own(n, "an entry") || !ReadHeader(volume, n, entryBlock, why)) {
                    if (!why.reason.empty()) {
                        Problem(why.reason);
                    }
                    break;
                }
                const std::string name = HeaderName(volume, entryBlock);
                if (entryBlock.End(kEndParent) != drawer) {
                    Problem(n, "in drawer " + std::to_string(drawer) + " but its parent is " +
                                   std::to_string(entryBlock.End(kEndParent)));
                }
                if (name.empty() || AmigaNameHash(name, volume.international, slots) != slot) {
                    Problem(n, "in hash slot " + std::to_string(slot) + " of drawer " + std::to_string(drawer) +
                                   ", but its name hashes elsewhere");
                }
                const std::int32_t type = entryBlock.Signed(entryBlock.Longs() - kEndSecType);
                if (type == kSecFile) {
                    File(n, entryBlock);
                } else if (type == kSecDrawer) {
                    drawers.push_back(n);
                } else if (type == kSecLinkFile || type == kSecLinkDrawer) {
                    HardLink(n, entryBlock, type);
                } else if (type != kSecSoftLink) {
                    Problem(n, "an entry of unknown type " + std::to_string(type));
                }
                LongNameComment(n, entryBlock);
                entries[n] = EntryFromHeader(volume, n, entryBlock);
            }
        }
        if (volume.dirCache) {
            DirCache(drawer, block, entries);
        }
    }

    void Run()
    {
        walk = Walk{};
        walk.owned.assign(volume.partition.blocks, false);
        for (std::uint32_t n = 0; n < volume.partition.reserved && n < volume.partition.blocks; ++n) {
            walk.owned[n] = true;
        }
        BootBlock();
        std::vector<std::uint32_t> drawers;
        if (Own(volume.root, "the root")) {
            drawers.push_back(volume.root);
        }
        Bitmap();
        while (!drawers.empty()) {
            std::uint32_t drawer = drawers.back();
            drawers.pop_back();
            Drawer(drawer, drawers);
        }
        // Counted from the owned blocks and the bitmap's set bits, not block by block.
        const std::uint32_t all =
            volume.partition.blocks - std::min(volume.partition.blocks, volume.partition.reserved);
        const auto owned = static_cast<std::uint32_t>(walk.ownedBlocks.size());
        if (!volume.bitmapValid || walk.freeWords.empty()) {
            walk.freeBlocks = all - owned;
            return;
        }
        std::sort(walk.ownedBlocks.begin(), walk.ownedBlocks.end());
        std::uint32_t ownedFree = 0;
        for (std::uint32_t n : walk.ownedBlocks) {
            const std::uint32_t index = n - volume.partition.reserved;
            if ((walk.freeWords[index / 32] >> (index % 32)) & 1) {
                Problem(n, "in use but marked free in the bitmap");
                ++ownedFree;
            }
        }
        walk.freeBlocks = markedFree - ownedFree;
        walk.lostBlocks = all - owned - walk.freeBlocks;
    }
};

}  // namespace

namespace amiga_fs {

void WalkVolume(const Volume &volume, bool deep, Walk &walk)
{
    Walker{volume, deep, walk}.Run();
}

}  // namespace amiga_fs

CheckReport CheckVolume(const Volume &volume)
{
    Walk walk;
    WalkVolume(volume, true, walk);
    return {walk.problems, walk.lostBlocks, walk.staleCacheRecords};
}
