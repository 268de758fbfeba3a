// Making images, for the tools and tests: formatting a partition, a Rigid Disk
// Block with its partitions, and new drawers and files. The writes come in the
// order that is simplest; a making killed midway leaves what it leaves.
#include <algorithm>
#include <cstring>

#include "platform/filesystem/blocks.h"
#include "platform/formats/big_endian.h"

using namespace amiga_fs;

namespace {

constexpr std::uint32_t kDosType = 0x444F5300;
constexpr std::uint32_t kEndOfList = 0xFFFFFFFF;

bool Put(WritableImage &image, const Volume &volume, std::uint32_t n, const Block &block, FsFailure &why)
{
    if (!InPartition(volume, n) || !image.Write(BlockOffset(volume, n), block.bytes.data(), block.bytes.size())) {
        return Fail(why, FsProblem::ReadFailed, "block " + std::to_string(n) + ": cannot be written");
    }
    return true;
}

bool NameFits(const Volume &volume, std::string_view name, std::string_view comment, FsFailure &why)
{
    const std::size_t max = volume.longNames ? kMaxLongName : kMaxName;
    if (name.empty() || name.size() > max || name.find_first_of(":/") != std::string_view::npos) {
        return Fail(why, FsProblem::BadName,
                    "not a name of 1 to " + std::to_string(max) + " bytes without : or /: " + std::string(name));
    }
    if (comment.size() > kMaxComment || (volume.longNames && name.size() + comment.size() + 2 > kLongNameArea)) {
        return Fail(why, FsProblem::BadName, "a comment too long for " + std::string(name));
    }
    return true;
}

// The counted name and comment of a new header, by the volume's layout.
void WriteNames(const Volume &volume, Block &block, std::string_view name, std::string_view comment)
{
    const std::size_t area = (block.Longs() - kEndComment) * 4;
    if (volume.longNames) {
        WriteCounted(block, area, name, kLongNameArea);
        WriteCounted(block, area + 1 + name.size(), comment, kLongNameArea - 1 - name.size());
    } else {
        WriteCounted(block, area, comment, kMaxComment + 1);
        WriteCounted(block, (block.Longs() - kEndName) * 4, name, kMaxName + 1);
    }
}

Block EmptyCache(std::uint32_t size, std::uint32_t self, std::uint32_t drawer)
{
    Block cache = EmptyBlock(size);
    cache.SetLong(0, kTypeDirCache);
    cache.SetLong(1, self);
    cache.SetLong(2, drawer);
    SetChecksum(cache, 5);
    return cache;
}

// Adds the new entry's record to its drawer's directory cache, in its last
// block or in a new one after it.
bool AddCacheRecord(WritableImage &image, const Volume &volume, BitmapState &bitmap, std::uint32_t drawer,
                    const Block &drawerBlock, const Entry &entry, std::int8_t type, FsFailure &why)
{
    std::vector<CacheRecord> records;
    std::vector<std::uint32_t> cacheBlocks;
    if (!ReadDirCache(volume, drawer, drawerBlock, records, cacheBlocks, why)) {
        return false;
    }
    std::uint32_t last = cacheBlocks.back();
    Block cache;
    if (!ReadBlock(volume, last, cache, why)) {
        return false;
    }
    std::size_t used = kOfsDataHeader;
    for (const CacheRecord &r : records) {
        if (r.cacheBlock == last) {
            used = r.offset + CacheRecordSize(r.name.size(), r.comment.size());
        }
    }
    const std::size_t size = CacheRecordSize(entry.name.size(), entry.comment.size());
    if (used + size > cache.bytes.size()) {
        std::vector<std::uint32_t> fresh;
        for (std::uint32_t n = volume.root; fresh.empty() && n < volume.partition.blocks; ++n) {
            if (bitmap.IsFree(volume, n)) {
                fresh.push_back(n);
            }
        }
        for (std::uint32_t n = volume.partition.reserved; fresh.empty() && n < volume.root; ++n) {
            if (bitmap.IsFree(volume, n)) {
                fresh.push_back(n);
            }
        }
        if (fresh.empty()) {
            return Fail(why, FsProblem::NoSpace, "no free block for a directory cache");
        }
        bitmap.Mark(volume, fresh[0], false);
        cache.SetLong(4, fresh[0]);
        SetChecksum(cache, 5);
        if (!Put(image, volume, last, cache, why)) {
            return false;
        }
        last = fresh[0];
        cache = EmptyCache(volume.partition.blockSize, last, drawer);
        used = kOfsDataHeader;
    }
    std::uint8_t *r = cache.bytes.data() + used;
    std::fill_n(r, size, 0);
    const std::uint32_t longs[3] = {entry.block, entry.size, entry.protection};
    for (int i = 0; i < 3; ++i) {
        std::uint32_t v = longs[i];
        r[i * 4] = static_cast<std::uint8_t>(v >> 24);
        r[i * 4 + 1] = static_cast<std::uint8_t>(v >> 16);
        r[i * 4 + 2] = static_cast<std::uint8_t>(v >> 8);
        r[i * 4 + 3] = static_cast<std::uint8_t>(v);
    }
    const std::uint32_t date[3] = {entry.date.days, entry.date.minutes, entry.date.ticks};
    for (int i = 0; i < 3; ++i) {
        r[16 + i * 2] = static_cast<std::uint8_t>(date[i] >> 8);
        r[17 + i * 2] = static_cast<std::uint8_t>(date[i]);
    }
    r[22] = static_cast<std::uint8_t>(type);
    r[23] = static_cast<std::uint8_t>(entry.name.size());
    std::memcpy(r + 24, entry.name.data(), entry.name.size());
    r[24 + entry.name.size()] = static_cast<std::uint8_t>(entry.comment.size());
    std::memcpy(r + 25 + entry.name.size(), entry.comment.data(), entry.comment.size());
    cache.SetLong(3, cache.Long(3) + 1);
    SetChecksum(cache, 5);
    return Put(image, volume, last, cache, why);
}

// Takes count free blocks, upward from the root and round.
bool TakeBlocks(const Volume &volume, BitmapState &bitmap, std::size_t count, std::vector<std::uint32_t> &taken)
{
    const std::uint32_t first = volume.partition.reserved, span = volume.partition.blocks - first;
    for (std::uint32_t i = 0; i < span && taken.size() < count; ++i) {
        std::uint32_t n = first + (volume.root - first + i) % span;
        if (bitmap.IsFree(volume, n)) {
            bitmap.Mark(volume, n, false);
            taken.push_back(n);
        }
    }
    return taken.size() == count;
}

// Makes a new entry at path: its header from fill, linked at the end of its hash
// chain, its drawer dated now, its cache record added, the bitmap written.
template <typename Fill>
bool MakeEntry(WritableImage &image, const Volume &volume, std::string_view path, std::string_view comment,
               std::int32_t type, std::size_t blocksNeeded, AmigaDate now, Fill fill, FsFailure &why)
{
    why = FsFailure{};
    std::vector<std::string_view> names;
    if (!SplitPath(path, names) || names.empty()) {
        return Fail(why, FsProblem::BadName, "not a path of names: " + std::string(path));
    }
    const std::string_view name = names.back();
    const std::string_view drawerPath = path.substr(0, path.size() - name.size() - (names.size() > 1 ? 1 : 0));
    std::uint32_t drawer = 0, parent = 0, existing = 0;
    if (!NameFits(volume, name, comment, why) || !ResolvePath(volume, drawerPath, drawer, parent, why)) {
        return false;
    }
    if (ResolvePath(volume, path, existing, parent, why)) {
        return Fail(why, FsProblem::Exists, std::string(path) + " exists");
    }
    if (why.problem != FsProblem::NotFound) {
        return false;
    }
    why = FsFailure{};
    Block drawerBlock;
    if (!ReadHeader(volume, drawer, drawerBlock, why)) {
        return false;
    }
    const std::int32_t drawerType = drawerBlock.Signed(drawerBlock.Longs() - kEndSecType);
    if (drawerType != kSecDrawer && drawerType != kSecRoot) {
        return Fail(why, FsProblem::WrongKind, "not a drawer: " + std::string(drawerPath));
    }
    if (!volume.bitmapValid) {
        return Fail(why, FsProblem::Unsupported, "the volume's bitmap is marked invalid");
    }
    BitmapState bitmap;
    std::vector<std::uint32_t> blocks;
    if (!bitmap.Load(volume, why)) {
        return false;
    }
    if (!TakeBlocks(volume, bitmap, 1 + blocksNeeded, blocks)) {
        return Fail(why, FsProblem::NoSpace, "no room for " + std::string(path));
    }
    const std::uint32_t n = blocks[0];
    Block header = EmptyBlock(volume.partition.blockSize);
    header.SetLong(0, kTypeHeader);
    header.SetLong(1, n);
    WriteNames(volume, header, name, comment);
    WriteDate(header, DateSlot(volume), now);
    header.SetEnd(kEndParent, drawer);
    header.SetEnd(kEndSecType, static_cast<std::uint32_t>(type));
    std::vector<std::uint32_t> rest(blocks.begin() + 1, blocks.end());
    if (!fill(n, header, rest, bitmap)) {
        return false;
    }
    SetChecksum(header, 5);
    if (!Put(image, volume, n, header, why)) {
        return false;
    }

    const std::uint32_t slot =
        AmigaNameHash(name, volume.international, static_cast<std::uint32_t>(TableSlots(drawerBlock.Longs())));
    std::uint32_t last = drawer;
    Block chain = drawerBlock;
    for (std::uint32_t next = drawerBlock.Long(kSlotsStart + slot), steps = 0; next != 0;
         next = chain.End(kEndHashChain), ++steps) {
        if (steps > volume.partition.blocks || !ReadHeader(volume, next, chain, why)) {
            return steps > volume.partition.blocks ? Malformed(why, next, "the hash chain loops") : false;
        }
        last = next;
    }
    if (last != drawer) {
        chain.SetEnd(kEndHashChain, n);
        SetChecksum(chain, 5);
        if (!Put(image, volume, last, chain, why)) {
            return false;
        }
    } else {
        drawerBlock.SetLong(kSlotsStart + slot, n);
    }
    // The root is dated as changed; a drawer keeps its date, which its own
    // drawer's cache holds too.
    if (drawer == volume.root) {
        WriteDate(drawerBlock, kEndDate, now);
        WriteDate(drawerBlock, kEndVolumeDate, now);
    }
    SetChecksum(drawerBlock, 5);
    if (!Put(image, volume, drawer, drawerBlock, why)) {
        return false;
    }
    if (volume.dirCache) {
        Entry entry = EntryFromHeader(volume, n, header);
        if (!AddCacheRecord(image, volume, bitmap, drawer, drawerBlock, entry, static_cast<std::int8_t>(type), why)) {
            return false;
        }
    }
    for (const BlockWrite &write : bitmap.TakeWrites(volume)) {
        if (!image.Write(write.offset, reinterpret_cast<const std::uint8_t *>(write.bytes.data()),
                         write.bytes.size())) {
            return Fail(why, FsProblem::ReadFailed, "the bitmap cannot be written");
        }
    }
    return true;
}

}  // namespace

bool FormatVolume(WritableImage &image, const Partition &partition, std::uint32_t dosType, std::string_view name,
                  AmigaDate now, FsFailure &why)
{
    why = FsFailure{};
    Volume volume;
    volume.image = &image;
    volume.partition = partition;
    if ((dosType & 0xFFFFFF00) != kDosType || (dosType & 0xFF) > 7) {
        return Fail(why, FsProblem::Unsupported, "cannot make a file system of dostype " + DosTypeText(dosType));
    }
    SetVolumeMode(volume, dosType);
    if (!NameFits(Volume{}, name, "", why)) {
        return false;
    }
    const std::uint32_t size = partition.blockSize, longs = size / 4;
    const std::uint32_t bitmapCount = BitmapBlocksNeeded(partition);
    const std::uint32_t extCount =
        bitmapCount > kRootBitmapPages ? (bitmapCount - kRootBitmapPages + longs - 2) / (longs - 1) : 0;
    const std::uint32_t firstBitmap = volume.root + 1;
    const std::uint64_t after = std::uint64_t{firstBitmap} + bitmapCount + extCount + (volume.dirCache ? 1 : 0);
    if (partition.reserved < 2 || size < 512 || after > partition.blocks ||
        image.Size() < partition.start + std::uint64_t{partition.blocks} * size) {
        return Fail(why, FsProblem::Unsupported, "a partition too small for a file system");
    }
    const std::uint32_t cache = volume.dirCache ? static_cast<std::uint32_t>(after - 1) : 0;

    Block boot = EmptyBlock(size);
    for (std::uint32_t n = 0; n < partition.reserved; ++n) {
        if (n == 0) {
            boot.SetLong(0, dosType);
        }
        if (!Put(image, volume, n, boot, why)) {
            return false;
        }
        boot.SetLong(0, 0);
    }
    const std::uint32_t bits = BitsPerBitmapBlock(volume);
    for (std::uint32_t k = 0; k < bitmapCount; ++k) {
        Block bitmap = EmptyBlock(size);
        for (std::uint32_t bit = 0; bit < bits; ++bit) {
            const std::uint64_t n = partition.reserved + std::uint64_t{k} * bits + bit;
            const bool used = n == volume.root || (n > volume.root && n < after);
            if (n < partition.blocks && !used) {
                bitmap.SetLong(1 + bit / 32, bitmap.Long(1 + bit / 32) | (1u << (bit % 32)));
            }
        }
        SetChecksum(bitmap, 0);
        if (!Put(image, volume, firstBitmap + k, bitmap, why)) {
            return false;
        }
    }
    for (std::uint32_t e = 0; e < extCount; ++e) {
        Block ext = EmptyBlock(size);
        for (std::uint32_t i = 0; i + 1 < longs; ++i) {
            std::uint64_t k = kRootBitmapPages + std::uint64_t{e} * (longs - 1) + i;
            ext.SetLong(i, k < bitmapCount ? firstBitmap + static_cast<std::uint32_t>(k) : 0);
        }
        ext.SetEnd(1, e + 1 < extCount ? firstBitmap + bitmapCount + e + 1 : 0);
        if (!Put(image, volume, firstBitmap + bitmapCount + e, ext, why)) {
            return false;
        }
    }
    Block root = EmptyBlock(size);
    root.SetLong(0, kTypeHeader);
    root.SetLong(3, static_cast<std::uint32_t>(TableSlots(longs)));
    root.SetEnd(kEndBitmapFlag, kBitmapValid);
    for (std::uint32_t k = 0; k < bitmapCount && k < kRootBitmapPages; ++k) {
        root.SetEnd(kEndBitmapPages - k, firstBitmap + k);
    }
    root.SetEnd(kEndBitmapExt, extCount > 0 ? firstBitmap + bitmapCount : 0);
    WriteDate(root, kEndDate, now);
    WriteDate(root, kEndVolumeDate, now);
    WriteDate(root, kEndCreationDate, now);
    WriteCounted(root, (longs - kEndName) * 4, name, kMaxName + 1);
    root.SetEnd(kEndExtension, cache);
    root.SetEnd(kEndSecType, kSecRoot);
    SetChecksum(root, 5);
    if (!Put(image, volume, volume.root, root, why)) {
        return false;
    }
    return !volume.dirCache || Put(image, volume, cache, EmptyCache(size, cache, volume.root), why);
}

bool WriteRigidDiskBlock(WritableImage &image, std::uint32_t heads, std::uint32_t sectors,
                         const std::vector<PartitionSpec> &specs, std::vector<Partition> &made, FsFailure &why)
{
    why = FsFailure{};
    made.clear();
    const std::uint64_t perCylinder = std::uint64_t{heads} * sectors;
    std::uint64_t cylinders = 1;
    for (const PartitionSpec &spec : specs) {
        cylinders += spec.cylinders;
    }
    if (specs.empty() || heads == 0 || sectors == 0 || perCylinder < 2 + specs.size() ||
        cylinders * perCylinder * 512 > image.Size() || cylinders > 0xFFFFFFFF) {
        return Fail(why, FsProblem::Unsupported, "partitions that do not fit the image's geometry");
    }
    Block rdsk = EmptyBlock(512);
    std::memcpy(rdsk.bytes.data(), "RDSK", 4);
    // clang-format off
    const std::uint32_t fields[][2] = {
        {1, 64}, {3, 7}, {4, 512}, {6, kEndOfList}, {7, 1}, {8, static_cast<std::uint32_t>(specs.size() + 1)},
        {9, kEndOfList},
        {16, static_cast<std::uint32_t>(cylinders)}, {17, sectors}, {18, heads}, {19, 1},
        {20, static_cast<std::uint32_t>(cylinders)}, {24, static_cast<std::uint32_t>(cylinders)},
        {25, static_cast<std::uint32_t>(cylinders)}, {26, 3},
        {32, 0}, {33, static_cast<std::uint32_t>(perCylinder - 1)}, {34, 1},
        {35, static_cast<std::uint32_t>(cylinders - 1)}, {36, static_cast<std::uint32_t>(perCylinder)},
        {38, static_cast<std::uint32_t>(specs.size() + 1)},
    };
    // clang-format on
    for (std::uint32_t i = 10; i < 16; ++i) {
        rdsk.SetLong(i, kEndOfList);
    }
    for (const auto &field : fields) {
        rdsk.SetLong(field[0], field[1]);
    }
    SetChecksum(rdsk, 2);
    if (!image.Write(0, rdsk.bytes.data(), 512)) {
        return Fail(why, FsProblem::ReadFailed, "the RDB cannot be written");
    }
    // A file system header of version 0 and no code, which no Kickstart loads
    // over its own: readers built on ADFlib 0.7 read the first header's segment
    // list whether there is a header or not.
    Block fshd = EmptyBlock(512);
    std::memcpy(fshd.bytes.data(), "FSHD", 4);
    // clang-format off
    const std::uint32_t header[][2] = {
        {1, 64}, {3, 7}, {4, kEndOfList}, {8, kDosType | 1}, {15, 4096}, {18, kEndOfList}, {19, kEndOfList},
    };
    // clang-format on
    for (const auto &field : header) {
        fshd.SetLong(field[0], field[1]);
    }
    SetChecksum(fshd, 2);
    if (!image.Write((specs.size() + 1) * 512, fshd.bytes.data(), 512)) {
        return Fail(why, FsProblem::ReadFailed, "the file system header cannot be written");
    }
    std::uint32_t low = 1;
    for (std::size_t i = 0; i < specs.size(); ++i) {
        const PartitionSpec &spec = specs[i];
        if (spec.device.empty() || spec.device.size() > 31 || spec.cylinders == 0) {
            return Fail(why, FsProblem::BadName, "a partition needs a name and cylinders: " + spec.device);
        }
        Block part = EmptyBlock(512);
        std::memcpy(part.bytes.data(), "PART", 4);
        part.SetLong(1, 64);
        part.SetLong(3, 7);
        part.SetLong(4, i + 1 < specs.size() ? static_cast<std::uint32_t>(i + 2) : kEndOfList);
        part.bytes[36] = static_cast<std::uint8_t>(spec.device.size());
        std::memcpy(part.bytes.data() + 37, spec.device.data(), spec.device.size());
        const std::uint32_t high = low + spec.cylinders - 1;
        // clang-format off
        const std::uint32_t env[] = {16, 128, 0, heads, 1, sectors, 2, 0, 0, low, high, 30, 0, 0x00FFFFFF,
                                     0x7FFFFFFE, 0, spec.dosType};
        // clang-format on
        for (std::size_t e = 0; e < std::size(env); ++e) {
            part.SetLong(32 + e, env[e]);
        }
        SetChecksum(part, 2);
        if (!image.Write((i + 1) * 512, part.bytes.data(), 512)) {
            return Fail(why, FsProblem::ReadFailed, "a PART block cannot be written");
        }
        Partition partition;
        partition.device = spec.device;
        partition.start = low * perCylinder * 512;
        partition.blocks = static_cast<std::uint32_t>(spec.cylinders * perCylinder);
        partition.dosType = spec.dosType;
        made.push_back(partition);
        low = high + 1;
    }
    return true;
}

bool MakeDrawer(WritableImage &image, const Volume &volume, std::string_view path, AmigaDate now, FsFailure &why)
{
    const std::size_t extra = volume.dirCache ? 1 : 0;
    auto fill = [&](std::uint32_t n, Block &header, const std::vector<std::uint32_t> &rest, BitmapState &) {
        if (volume.dirCache) {
            header.SetEnd(kEndExtension, rest[0]);
            return Put(image, volume, rest[0], EmptyCache(volume.partition.blockSize, rest[0], n), why);
        }
        return true;
    };
    return MakeEntry(image, volume, path, "", kSecDrawer, extra, now, fill, why);
}

bool MakeFile(WritableImage &image, const Volume &volume, std::string_view path, std::string_view bytes,
              std::uint32_t protection, std::string_view comment, AmigaDate now, FsFailure &why)
{
    const std::size_t each = DataBytes(volume), slots = TableSlots(volume.partition.blockSize / 4);
    const std::size_t dataCount = (bytes.size() + each - 1) / each;
    const std::size_t extCount = dataCount > slots ? (dataCount - slots + slots - 1) / slots : 0;
    if (bytes.size() > 0xFFFFFFFFu || dataCount + extCount >= volume.partition.blocks) {
        return Fail(why, FsProblem::NoSpace, "no room for " + std::string(path));
    }
    auto fill = [&](std::uint32_t n, Block &header, const std::vector<std::uint32_t> &rest, BitmapState &) {
        header.SetEnd(kEndProtection, protection);
        std::vector<std::uint32_t> data(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(dataCount));
        std::vector<std::uint32_t> extensions(rest.begin() + static_cast<std::ptrdiff_t>(dataCount), rest.end());
        std::vector<BlockWrite> writes;
        BuildFileBlocks(volume, n, header, bytes, data, extensions, writes);
        for (const BlockWrite &write : writes) {
            if (!image.Write(write.offset, reinterpret_cast<const std::uint8_t *>(write.bytes.data()),
                             write.bytes.size())) {
                return Fail(why, FsProblem::ReadFailed, "block " + std::to_string(write.block) + ": cannot be written");
            }
        }
        return true;
    };
    return MakeEntry(image, volume, path, comment, kSecFile, dataCount + extCount, now, fill, why);
}
