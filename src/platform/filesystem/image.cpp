// Images and their partitions: a floppy or a bare partition is one partition; a
// disk whose Rigid Disk Block (RDSK in one of its first 16 blocks) lists PART
// blocks has one per PART, placed by its cylinders, heads and sectors. Opening a
// partition's volume reads its boot block's dostype and its root block.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unordered_set>

#include "platform/filesystem/blocks.h"
#include "platform/formats/big_endian.h"

using namespace amiga_fs;

namespace {

constexpr std::uint32_t kRdbBlockSize = 512;
constexpr std::uint32_t kRdbSearch = 16;
constexpr std::size_t kMaxPartitions = 128;
constexpr std::uint32_t kDosType = 0x444F5300;  // "DOS\0"
constexpr std::uint32_t kEndOfList = 0xFFFFFFFF;

std::string Numbered(std::uint32_t block, const std::string &reason)
{
    return "RDB block " + std::to_string(block) + ": " + reason;
}

// A block of the partition table read and checked: its id and its checksum over
// the summed longs it names.
bool ReadRdbBlock(ImageSource &image, std::uint32_t n, const char *id, Block &block, FsFailure &why)
{
    block.bytes.resize(kRdbBlockSize);
    if (!image.Read(std::uint64_t{n} * kRdbBlockSize, block.bytes.data(), kRdbBlockSize)) {
        return Fail(why, FsProblem::Malformed, Numbered(n, "outside the image"));
    }
    if (std::memcmp(block.bytes.data(), id, 4) != 0) {
        return Fail(why, FsProblem::Malformed, Numbered(n, std::string("not a ") + id + " block"));
    }
    std::uint32_t summed = block.Long(1);
    if (summed < 3 || summed > kRdbBlockSize / 4) {
        return Fail(why, FsProblem::Malformed, Numbered(n, "sums " + std::to_string(summed) + " longs"));
    }
    std::uint32_t sum = 0;
    for (std::uint32_t i = 0; i < summed; ++i) {
        sum += block.Long(i);
    }
    if (sum != 0) {
        return Fail(why, FsProblem::Malformed, Numbered(n, "checksum does not match"));
    }
    return true;
}

// An RDB in one of the first blocks; not behind a DOS boot block, whose
// partition's next blocks may hold any file's bytes.
bool FindRdb(ImageSource &image, std::uint32_t &at)
{
    std::uint8_t id[4];
    if (image.Read(0, id, 4) && std::memcmp(id, "DOS", 3) == 0) {
        return false;
    }
    for (std::uint32_t n = 0; n < kRdbSearch; ++n) {
        if (image.Read(std::uint64_t{n} * kRdbBlockSize, id, 4) && std::memcmp(id, "RDSK", 4) == 0) {
            at = n;
            return true;
        }
    }
    return false;
}

bool PowerOfTwo(std::uint32_t v)
{
    return v != 0 && (v & (v - 1)) == 0;
}

// A PART block's partition: its name and its place from the DosEnvVec.
bool PartitionFromBlock(ImageSource &image, std::uint32_t n, const Block &part, Partition &partition, FsFailure &why)
{
    std::size_t nameLength = std::min<std::size_t>(part.bytes[36], 31);
    partition.device.assign(reinterpret_cast<const char *>(part.bytes.data() + 37), nameLength);
    const std::size_t env = 32;  // the DosEnvVec's first long
    const std::uint32_t tableSize = part.Long(env);
    const std::uint64_t sectorBytes = std::uint64_t{part.Long(env + 1)} * 4;
    const std::uint64_t surfaces = part.Long(env + 3), perBlock = std::max<std::uint32_t>(1, part.Long(env + 4));
    const std::uint64_t sectors = part.Long(env + 5), reserved = part.Long(env + 6);
    const std::uint64_t low = part.Long(env + 9), high = part.Long(env + 10);
    partition.dosType = tableSize >= 16 ? part.Long(env + 16) : kDosType;
    const std::uint64_t blockSize = sectorBytes * perBlock;
    if (tableSize < 11 || sectorBytes == 0 || surfaces == 0 || sectors == 0 || high < low ||
        !PowerOfTwo(static_cast<std::uint32_t>(std::min<std::uint64_t>(blockSize, 0xFFFFFFFF))) || blockSize < 512 ||
        blockSize > 32768 || perBlock > 64) {
        return Fail(why, FsProblem::Malformed, Numbered(n, "a partition of impossible geometry"));
    }
    const std::uint64_t perCylinder = surfaces * sectors;  // surfaces and sectors are 32-bit: no overflow
    const std::uint64_t start = low * perCylinder * sectorBytes;
    const std::uint64_t blocks = (high - low + 1) * perCylinder / perBlock;
    if (perCylinder > (1ull << 32) || blocks > 0xFFFFFFFF || blocks <= reserved + 2 ||
        start / sectorBytes / perCylinder != low || start + blocks * blockSize > image.Size()) {
        return Fail(why, FsProblem::Malformed,
                    Numbered(n, "partition " + partition.device + " does not lie within the image"));
    }
    partition.start = start;
    partition.blockSize = static_cast<std::uint32_t>(blockSize);
    partition.blocks = static_cast<std::uint32_t>(blocks);
    partition.reserved = static_cast<std::uint32_t>(reserved);
    return true;
}

bool ReadPartitionTable(ImageSource &image, std::uint32_t at, std::vector<Partition> &partitions, FsFailure &why)
{
    Block rdsk;
    if (!ReadRdbBlock(image, at, "RDSK", rdsk, why)) {
        return false;
    }
    if (rdsk.Long(4) != kRdbBlockSize) {
        return Fail(why, FsProblem::Unsupported, Numbered(at, "blocks of " + std::to_string(rdsk.Long(4)) + " bytes"));
    }
    std::unordered_set<std::uint32_t> seen;
    Block part;
    for (std::uint32_t n = rdsk.Long(7); n != kEndOfList && n != 0; n = part.Long(4)) {
        if (!seen.insert(n).second || seen.size() > kMaxPartitions) {
            return Fail(why, FsProblem::Malformed, Numbered(n, "the partition list loops"));
        }
        Partition partition;
        if (!ReadRdbBlock(image, n, "PART", part, why) || !PartitionFromBlock(image, n, part, partition, why)) {
            return false;
        }
        partitions.push_back(partition);
    }
    return true;
}

}  // namespace

bool MemoryImage::Read(std::uint64_t offset, std::uint8_t *out, std::size_t n)
{
    if (offset > bytes.size() || n > bytes.size() - offset) {
        return false;
    }
    std::memcpy(out, bytes.data() + offset, n);
    return true;
}

bool MemoryImage::Write(std::uint64_t offset, const std::uint8_t *data, std::size_t n)
{
    if (offset > bytes.size() || n > bytes.size() - offset) {
        return false;
    }
    std::memcpy(bytes.data() + offset, data, n);
    return true;
}

AmigaDate AmigaDateFromUnix(std::int64_t seconds)
{
    constexpr std::int64_t kFrom1970 = 2922 * 86400;  // the days from 1970-01-01 to the Amiga epoch, 1978-01-01
    std::int64_t s = std::max<std::int64_t>(0, seconds - kFrom1970);
    return {static_cast<std::uint32_t>(s / 86400), static_cast<std::uint32_t>(s % 86400 / 60),
            static_cast<std::uint32_t>(s % 60 * 50)};
}

std::string DosTypeText(std::uint32_t dosType)
{
    std::string text;
    for (int shift = 24; shift >= 8; shift -= 8) {
        char c = static_cast<char>(dosType >> shift);
        if (c < 0x20 || c > 0x7e) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%08X", dosType);
            return hex;
        }
        text.push_back(c);
    }
    std::uint8_t last = static_cast<std::uint8_t>(dosType);
    if (last < 10) {
        return text + "\\" + std::to_string(last);
    }
    if (last >= 0x20 && last <= 0x7e) {
        return text + static_cast<char>(last);
    }
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02X", last);
    return text + hex;
}

bool ListPartitions(ImageSource &image, std::vector<Partition> &partitions, FsFailure &why)
{
    partitions.clear();
    why = FsFailure{};
    std::uint32_t at = 0;
    if (FindRdb(image, at)) {
        return ReadPartitionTable(image, at, partitions, why);
    }
    const std::uint64_t size = image.Size();
    if (size % 512 != 0 || size / 512 < 8 || size / 512 > 0xFFFFFFFF) {
        return Fail(why, FsProblem::Unsupported,
                    "an image of " + std::to_string(size) + " bytes, not a whole number of blocks");
    }
    Partition partition;
    partition.device = size == 901120 || size == 1802240 ? "DF0" : "DH0";
    partition.blocks = static_cast<std::uint32_t>(size / 512);
    partitions.push_back(partition);
    return true;
}

std::vector<std::string> CheckPartitionTable(ImageSource &image)
{
    std::vector<std::string> problems;
    std::uint32_t at = 0;
    std::vector<Partition> partitions;
    FsFailure why;
    if (FindRdb(image, at) && !ReadPartitionTable(image, at, partitions, why)) {
        problems.push_back(why.reason);
    }
    for (std::size_t i = 0; i < partitions.size(); ++i) {
        for (std::size_t j = i + 1; j < partitions.size(); ++j) {
            const Partition &a = partitions[i], &b = partitions[j];
            if (a.start < b.start + std::uint64_t{b.blocks} * b.blockSize &&
                b.start < a.start + std::uint64_t{a.blocks} * a.blockSize) {
                problems.push_back("partitions " + a.device + " and " + b.device + " overlap");
            }
        }
    }
    return problems;
}

bool OpenVolume(ImageSource &image, const Partition &partition, Volume &volume, FsFailure &why)
{
    why = FsFailure{};
    volume = Volume{};
    volume.image = &image;
    volume.partition = partition;
    std::uint8_t boot[4];
    if (!image.Read(partition.start, boot, 4)) {
        return Fail(why, FsProblem::ReadFailed, "the boot block cannot be read");
    }
    volume.dosType = ReadBE32(boot);
    const std::uint32_t flags = volume.dosType & 0xFF;
    if ((volume.dosType & 0xFFFFFF00) != kDosType || flags > 7) {
        return Fail(why, FsProblem::Unsupported,
                    "a file system of dostype " + DosTypeText(volume.dosType) + ", not OFS or FFS (DOS\\0 to DOS\\7)");
    }
    if (partition.reserved < 1 || partition.blocks <= partition.reserved + 2 || partition.blockSize < 512 ||
        !PowerOfTwo(partition.blockSize)) {
        return Fail(why, FsProblem::Malformed, "a partition of " + std::to_string(partition.blocks) + " blocks");
    }
    SetVolumeMode(volume, volume.dosType);
    Block root;
    if (!ReadHeader(volume, volume.root, root, why)) {
        return false;
    }
    if (root.Signed(root.Longs() - kEndSecType) != kSecRoot || root.Long(3) != TableSlots(root.Longs())) {
        return Malformed(why, volume.root, "not a root block");
    }
    volume.name = ReadCounted(root, (root.Longs() - kEndName) * 4, kMaxName);
    volume.bitmapValid = root.End(kEndBitmapFlag) == kBitmapValid;
    return true;
}

bool WritePlan::Empty() const
{
    return Writes() == 0;
}

std::size_t WritePlan::Writes() const
{
    std::size_t n = 0;
    for (const auto &stage : stages) {
        n += stage.size();
    }
    return n;
}

bool ApplyPlan(WritableImage &image, const WritePlan &plan, std::size_t limit)
{
    std::size_t done = 0;
    for (const auto &stage : plan.stages) {
        for (const BlockWrite &write : stage) {
            if (done++ >= limit) {
                return true;
            }
            if (!image.Write(write.offset, reinterpret_cast<const std::uint8_t *>(write.bytes.data()),
                             write.bytes.size())) {
                return false;
            }
        }
    }
    return true;
}
