// The file system room on images made in memory: names as AmigaDOS compares and
// hashes them, hostile images named as malformed, and replacements (across
// extension blocks, out of room, killed after any write).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/filesystem/filesystem.h"
#include "platform/formats/big_endian.h"

namespace {

constexpr std::uint32_t kDos = 0x444F5300;
const AmigaDate kThen{16000, 600, 50}, kNow{17000, 61, 7};

struct Disk {
    MemoryImage image;
    Volume volume;
};

// A DD floppy of dostype DOS\n with Dir/ and the given files in it.
Disk MakeDisk(std::uint32_t n, std::size_t blocks = 1760)
{
    Disk disk;
    disk.image.bytes.assign(blocks * 512, '\0');
    std::vector<Partition> partitions;
    FsFailure why;
    EXPECT_TRUE(ListPartitions(disk.image, partitions, why) &&
                FormatVolume(disk.image, partitions[0], kDos | n, "Test", kThen, why) &&
                OpenVolume(disk.image, partitions[0], disk.volume, why) &&
                MakeDrawer(disk.image, disk.volume, "Dir", kThen, why))
        << why.reason;
    return disk;
}

std::string Pattern(std::size_t size, char seed)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(seed + i * 7 + i / 251);
    }
    return bytes;
}

void Reopen(Disk &disk)
{
    FsFailure why;
    Partition partition = disk.volume.partition;
    ASSERT_TRUE(OpenVolume(disk.image, partition, disk.volume, why)) << why.reason;
}

std::string Read(const Disk &disk, const std::string &path)
{
    std::string bytes;
    FsFailure why;
    EXPECT_TRUE(ReadFileBytes(disk.volume, path, 1 << 24, bytes, why)) << why.reason;
    return bytes;
}

void ExpectClean(const Disk &disk, std::uint32_t lost = 0)
{
    CheckReport report = CheckVolume(disk.volume);
    EXPECT_EQ(report.problems, std::vector<std::string>{});
    EXPECT_EQ(report.lostBlocks, lost);
}

// A block's long changed, its checksum (at slot) mended.
void Poke(std::string &image, std::uint32_t block, std::size_t index, std::uint32_t value, std::size_t slot = 5)
{
    auto put = [&](std::size_t i, std::uint32_t v) {
        for (int k = 0; k < 4; ++k) {
            image[block * 512 + i * 4 + k] = static_cast<char>(v >> (24 - 8 * k));
        }
    };
    put(index, value);
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < 128; ++i) {
        sum += i == slot ? 0 : ReadBE32(reinterpret_cast<const std::uint8_t *>(image.data()) + block * 512 + i * 4);
    }
    put(slot, 0u - sum);
}

void Poke(Disk &disk, std::uint32_t block, std::size_t index, std::uint32_t value, std::size_t slot = 5)
{
    Poke(disk.image.bytes, block, index, value, slot);
}

std::uint32_t Long(const Disk &disk, std::uint32_t block, std::size_t index)
{
    return ReadBE32(reinterpret_cast<const std::uint8_t *>(disk.image.bytes.data()) + block * 512 + index * 4);
}

TEST(FileSystemNames, ComparedAndHashedAsAmigaDosDoes)
{
    // A letter's fold and the hash both follow the dostype: é is a letter only on
    // international volumes.
    EXPECT_EQ(AmigaNameHash("\xE9", true, 72), 70u);
    EXPECT_EQ(AmigaNameHash("\xE9", false, 72), 30u);
    EXPECT_EQ(AmigaNameHash("Disk.info", false, 72), AmigaNameHash("DISK.INFO", false, 72));
    for (std::uint32_t n : {1u, 3u, 5u, 7u}) {
        Disk disk = MakeDisk(n);
        FsFailure why;
        ASSERT_TRUE(MakeFile(disk.image, disk.volume, "Dir/\xC4rger.info", "x", 0, "", kThen, why)) << why.reason;
        Entry entry;
        EXPECT_TRUE(FindEntry(disk.volume, "dIR/\xC4RGER.INFO", entry, why)) << n << ": " << why.reason;
        EXPECT_EQ(FindEntry(disk.volume, "Dir/\xE4rger.info", entry, why), n >= 2) << n;
        EXPECT_TRUE(MakeFile(disk.image, disk.volume, "Dir/\xE4RGER.info", "y", 0, "", kThen, why) == (n < 2)) << n;
        ExpectClean(disk);
    }
}

// Links, made by turning files' headers into them: a hard link lists as one and
// reads as its file; a soft link lists with its path and is not read.
TEST(FileSystemImages, LinksListedAndHardLinksRead)
{
    Disk disk = MakeDisk(1);
    FsFailure why;
    Entry target, hard, soft;
    for (const char *name : {"Dir/Target", "Hard", "Soft"}) {
        ASSERT_TRUE(MakeFile(disk.image, disk.volume, name, name, 0, "", kThen, why));
    }
    ASSERT_TRUE(FindEntry(disk.volume, "Dir/Target", target, why) && FindEntry(disk.volume, "Hard", hard, why) &&
                FindEntry(disk.volume, "Soft", soft, why));
    Poke(disk, hard.block, 117, target.block);
    Poke(disk, hard.block, 127, static_cast<std::uint32_t>(-4));
    disk.image.bytes.replace(soft.block * 512 + 24, 12, "Dir/Target\0\0", 12);
    Poke(disk, soft.block, 127, 3);
    std::vector<Entry> entries;
    ASSERT_TRUE(ListDrawer(disk.volume, "", entries, why)) << why.reason;
    for (const Entry &entry : entries) {
        EXPECT_EQ(entry.kind, entry.name == "Dir"    ? EntryKind::Drawer
                              : entry.name == "Hard" ? EntryKind::HardLink
                                                     : EntryKind::SoftLink);
        EXPECT_EQ(entry.linkTarget, entry.name == "Soft" ? "Dir/Target" : "");
    }
    EXPECT_EQ(Read(disk, "hard"), "Dir/Target");
    std::string bytes;
    EXPECT_FALSE(ReadFileBytes(disk.volume, "Soft", 100, bytes, why));
    EXPECT_EQ(why.problem, FsProblem::WrongKind);
    EXPECT_TRUE(CheckVolume(disk.volume).problems.empty());
}

TEST(FileSystemImages, OtherFileSystemsAreRefusedByName)
{
    // A floppy's free block that starts like a partition table is only a block.
    Disk floppy = MakeDisk(1);
    floppy.image.bytes.replace(5 * 512, 4, "RDSK");
    std::vector<Partition> found;
    FsFailure failure;
    EXPECT_TRUE(ListPartitions(floppy.image, found, failure) && found.size() == 1) << failure.reason;

    MemoryImage image(std::string(40960, '\0'));
    image.bytes.replace(0, 4, "PFS\x03", 4);
    std::vector<Partition> partitions;
    Volume volume;
    FsFailure why;
    ASSERT_TRUE(ListPartitions(image, partitions, why));
    EXPECT_FALSE(OpenVolume(image, partitions[0], volume, why));
    EXPECT_EQ(why.problem, FsProblem::Unsupported);
    EXPECT_NE(why.reason.find("PFS\\3"), std::string::npos) << why.reason;
}

// Each fault planted in a made image is named as malformed, by reading and by the
// check, and nothing is planned over it.
TEST(FileSystemImages, HostileImagesAreMalformedNeverFollowed)
{
    struct Case {
        const char *name;
        bool readable, plannable;  // the file and its drawer still read; a replacement is planned
        void (*plant)(Disk &disk, std::uint32_t header, std::uint32_t ext);
    } cases[] = {
        {"bad checksum", false, false,
         [](Disk &d, std::uint32_t h, std::uint32_t) { d.image.bytes[h * 512 + 9] ^= 1; }},
        {"hash chain loop", false, false, [](Disk &d, std::uint32_t h, std::uint32_t) { Poke(d, h, 124, h); }},
        {"data block outside", false, false, [](Disk &d, std::uint32_t h, std::uint32_t) { Poke(d, h, 77, 5000); }},
        {"extension loop", false, false, [](Disk &d, std::uint32_t, std::uint32_t e) { Poke(d, e, 126, e); }},
        {"extension of another", false, false, [](Disk &d, std::uint32_t, std::uint32_t e) { Poke(d, e, 125, 3); }},
        {"header of wrong type", false, false, [](Disk &d, std::uint32_t h, std::uint32_t) { Poke(d, h, 0, 8); }},
        {"size beyond its blocks", false, false, [](Disk &d, std::uint32_t h, std::uint32_t) { Poke(d, h, 81, 1e6); }},
        // Replacing frees the old data blocks without reading them.
        {"OFS data sequence", false, true,
         [](Disk &d, std::uint32_t h, std::uint32_t) { Poke(d, Long(d, h, 4), 2, 9); }},
        {"bitmap says free", true, false,
         [](Disk &d, std::uint32_t h, std::uint32_t) {
             std::uint32_t bitmap = Long(d, 880, 79), bit = h - 2;
             Poke(d, bitmap, 1 + bit / 32, Long(d, bitmap, 1 + bit / 32) | 1u << (bit % 32), 0);
         }},
    };
    for (const Case &c : cases) {
        Disk disk = MakeDisk(0);
        FsFailure why;
        ASSERT_TRUE(MakeFile(disk.image, disk.volume, "Dir/F", Pattern(40000, 'a'), 0, "", kThen, why));
        Entry entry;
        ASSERT_TRUE(FindEntry(disk.volume, "Dir/F", entry, why));
        c.plant(disk, entry.block, Long(disk, entry.block, 126));
        EXPECT_FALSE(CheckVolume(disk.volume).problems.empty()) << c.name;
        std::string bytes;
        std::vector<Entry> entries;
        const bool read =
            ListDrawer(disk.volume, "Dir", entries, why) && ReadFileBytes(disk.volume, "Dir/F", 1 << 20, bytes, why);
        EXPECT_EQ(read, c.readable) << c.name;
        EXPECT_TRUE(read || why.problem == FsProblem::Malformed) << c.name << ": " << why.reason;
        WritePlan plan;
        EXPECT_EQ(PlanReplace(disk.volume, "Dir/F", "new", kNow, plan, why), c.plannable) << c.name;
    }
}

TEST(FileSystemImages, PartitionTableLoopIsMalformed)
{
    MemoryImage image(std::string(1 * 16 * 7 * 512, '\0'));
    std::vector<Partition> partitions;
    FsFailure why;
    ASSERT_TRUE(WriteRigidDiskBlock(image, 1, 16, {{"DH0", 3, kDos}, {"DH1", 3, kDos | 3}}, partitions, why));
    ASSERT_TRUE(ListPartitions(image, partitions, why) && partitions.size() == 2 && partitions[1].device == "DH1");
    EXPECT_EQ(partitions[1].start, 4u * 16 * 512);
    Poke(image.bytes, 2, 4, 1, 2);  // DH1's next is DH0
    EXPECT_FALSE(ListPartitions(image, partitions, why));
    EXPECT_EQ(CheckPartitionTable(image).size(), 1u);
}

// Blocks whose bytes differ between two images.
std::vector<std::uint32_t> ChangedBlocks(const std::string &a, const std::string &b)
{
    std::vector<std::uint32_t> changed;
    for (std::size_t n = 0; n * 512 < a.size(); ++n) {
        if (a.compare(n * 512, 512, b, n * 512, 512) != 0) {
            changed.push_back(static_cast<std::uint32_t>(n));
        }
    }
    return changed;
}

TEST(FileSystemReplace, GrowsAndShrinksAcrossExtensionBlocks)
{
    // OFS holds 488 bytes a block, FFS 512; 72 blocks fill a header's table.
    for (std::uint32_t n : {0u, 1u, 5u}) {
        Disk disk = MakeDisk(n);
        FsFailure why;
        ASSERT_TRUE(MakeFile(disk.image, disk.volume, "Dir/F.info", Pattern(1000, 'a'), 0x15, "kept", kThen, why));
        for (std::size_t size : {36000u, 80000u, 0u, 37000u, 74000u, 513u}) {
            const std::string bytes = Pattern(size, static_cast<char>(size));
            const std::string before = disk.image.bytes;
            WritePlan plan;
            ASSERT_TRUE(PlanReplace(disk.volume, "Dir/F.info", bytes, kNow, plan, why)) << why.reason;
            ASSERT_TRUE(ApplyPlan(disk.image, plan));
            EXPECT_EQ(Read(disk, "Dir/F.info"), bytes) << n << " " << size;
            ExpectClean(disk);
            std::vector<std::uint32_t> touched;
            for (const auto &stage : plan.stages) {
                for (const BlockWrite &write : stage) {
                    touched.push_back(write.block);
                }
            }
            for (std::uint32_t block : ChangedBlocks(before, disk.image.bytes)) {
                EXPECT_NE(std::find(touched.begin(), touched.end(), block), touched.end()) << block;
            }
        }
        Entry entry;
        ASSERT_TRUE(FindEntry(disk.volume, "dir/f.INFO", entry, why));
        EXPECT_EQ(entry.protection, 0x15u);
        EXPECT_EQ(entry.comment, "kept");
        EXPECT_EQ(entry.date.days, kNow.days);
        WritePlan same;
        ASSERT_TRUE(PlanReplace(disk.volume, "Dir/F.info", Pattern(513, static_cast<char>(513)), kNow, same, why));
        EXPECT_TRUE(same.Empty());
    }
}

// Files that fit one by one but not together: nothing planned, the one that
// finds no room named.
TEST(FileSystemReplace, MoreThanFreeIsRefusedUnchanged)
{
    Disk disk = MakeDisk(1, 120);
    FsFailure why;
    ASSERT_TRUE(MakeFile(disk.image, disk.volume, "F", Pattern(2000, 'a'), 0, "", kThen, why));
    ASSERT_TRUE(MakeFile(disk.image, disk.volume, "G", Pattern(2000, 'b'), 0, "", kThen, why));
    const std::string before = disk.image.bytes;
    WritePlan plan;
    std::vector<FsFailure> each;
    const std::vector<Replacement> files = {{"F", Pattern(30000, 'c')}, {"G", Pattern(30000, 'd')}};
    ASSERT_TRUE(PlanReplaceAll(disk.volume, {files[0]}, kNow, plan, each));
    EXPECT_FALSE(PlanReplaceAll(disk.volume, files, kNow, plan, each));
    EXPECT_EQ(each[0].problem, FsProblem::NoSpace);
    EXPECT_EQ(each[1].problem, FsProblem::NoSpace);
    EXPECT_NE(each[1].reason.find("G needs 59 free blocks"), std::string::npos) << each[1].reason;
    EXPECT_TRUE(plan.Empty());
    EXPECT_EQ(disk.image.bytes, before);
}

// Two files in one plan, killed after any write: the check passes (at most new or
// old blocks lost, cache records stale) and each file reads whole, old until its
// header is written, new after. With room for both, one round of five stages; on
// a volume that holds them only one after the other, two rounds.
TEST(FileSystemReplace, KilledAfterAnyWriteLeavesOldOrNew)
{
    for (std::uint32_t n : {0u, 5u}) {
        for (std::size_t blocks : {1760u, 300u}) {
            for (bool bitmapValid : {true, false}) {
                Disk disk = MakeDisk(n, blocks);
                FsFailure why;
                const std::string old = Pattern(30000, 'o'), fresh = Pattern(50000, 'n');
                Entry f, g;
                ASSERT_TRUE(MakeFile(disk.image, disk.volume, "Dir/F", old, 0, "", kThen, why) &&
                            MakeFile(disk.image, disk.volume, "Dir/G", old, 0, "", kThen, why) &&
                            FindEntry(disk.volume, "Dir/F", f, why) && FindEntry(disk.volume, "Dir/G", g, why));
                if (!bitmapValid) {
                    Poke(disk, disk.volume.root, 78, 0);
                    Reopen(disk);
                }
                WritePlan plan;
                std::vector<FsFailure> each;
                ASSERT_TRUE(PlanReplaceAll(disk.volume, {{"Dir/F", fresh}, {"Dir/G", fresh}}, kNow, plan, each));
                ASSERT_EQ(plan.stages.size(), blocks > 300 ? 5u : 10u);
                EXPECT_EQ(plan.stages[0].empty(), !bitmapValid);
                EXPECT_EQ(plan.stages[2].size(), blocks > 300 ? 2u : 1u);
                EXPECT_EQ(plan.stages[3].size(), n == 5 ? 1u : 0u);
                std::vector<std::uint32_t> order;  // the blocks in the order written
                for (const auto &stage : plan.stages) {
                    for (const BlockWrite &write : stage) {
                        order.push_back(write.block);
                    }
                }
                const auto commit = [&](std::uint32_t header) {
                    return std::find(order.begin(), order.end(), header) - order.begin() + 1;
                };
                for (std::size_t done = 0; done <= order.size(); ++done) {
                    Disk killed{MemoryImage(disk.image.bytes), disk.volume};
                    killed.volume.image = &killed.image;
                    ASSERT_TRUE(ApplyPlan(killed.image, plan, done));
                    EXPECT_TRUE(CheckVolume(killed.volume).problems.empty()) << n << " after " << done;
                    const auto when = static_cast<std::ptrdiff_t>(done);
                    EXPECT_EQ(Read(killed, "Dir/F"), when < commit(f.block) ? old : fresh) << n << " " << done;
                    EXPECT_EQ(Read(killed, "Dir/G"), when < commit(g.block) ? old : fresh) << n << " " << done;
                }
            }
        }
    }
}

}  // namespace
