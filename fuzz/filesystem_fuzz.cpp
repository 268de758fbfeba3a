// Takes the input as a disk image: lists every drawer, reads every file, checks
// each volume. On a volume the check finds consistent, replaces the first file
// it read with bytes of another length, through its write plan: after any
// prefix of the plan's writes the volume must still check consistent and the
// file read back whole, old or new; after all of them, new.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/filesystem/filesystem.h"

namespace {

constexpr std::size_t kMaxEntries = 2000;
constexpr std::size_t kMaxPartitions = 4;
constexpr std::size_t kMaxReplaceImage = 256 << 10;

void Check(bool ok)
{
    if (!ok) {
        std::abort();
    }
}

void ListAll(const Volume &volume, const std::string &path, int depth, std::size_t &seen,
             std::vector<std::string> &files)
{
    std::vector<Entry> entries;
    FsFailure why;
    if (depth > 8 || !ListDrawer(volume, path, entries, why)) {
        return;
    }
    for (const Entry &entry : entries) {
        if (++seen > kMaxEntries || entry.name.find('/') != std::string::npos || entry.name.empty()) {
            return;
        }
        const std::string full = path.empty() ? entry.name : path + "/" + entry.name;
        std::string bytes;
        if (entry.kind == EntryKind::Drawer) {
            ListAll(volume, full, depth + 1, seen, files);
        } else if (ReadFileBytes(volume, full, 1 << 20, bytes, why)) {
            files.push_back(full);
        }
    }
}

bool Clean(ImageSource &image, const Partition &partition, Volume &volume)
{
    FsFailure why;
    return OpenVolume(image, partition, volume, why) && CheckVolume(volume).problems.empty();
}

void Replace(const MemoryImage &image, const Partition &partition, const std::string &path, const std::string &bytes)
{
    MemoryImage copy(image.bytes);
    Volume volume;
    FsFailure why;
    std::string old;
    Check(OpenVolume(copy, partition, volume, why) && ReadFileBytes(volume, path, 1 << 20, old, why));
    WritePlan plan;
    if (!PlanReplace(volume, path, bytes, AmigaDate{17000, 600, 0}, plan, why)) {
        return;
    }
    Check(!plan.Empty() || old == bytes);
    const std::size_t writes = plan.Writes();
    const std::size_t step = writes / 8 + 1;
    for (std::size_t done = 0;; done = std::min(writes, done + step)) {
        MemoryImage after(image.bytes);
        Check(ApplyPlan(after, plan, done));
        Volume again;
        std::string now;
        Check(Clean(after, partition, again) && ReadFileBytes(again, path, 1 << 20, now, why));
        Check(now == old || now == bytes);
        if (done == writes) {
            Check(now == bytes);
            return;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    MemoryImage image(std::string(reinterpret_cast<const char *>(data), size));
    std::vector<Partition> partitions;
    FsFailure why;
    CheckPartitionTable(image);
    if (!ListPartitions(image, partitions, why)) {
        return 0;
    }
    for (std::size_t i = 0; i < partitions.size() && i < kMaxPartitions; ++i) {
        Volume volume;
        if (!OpenVolume(image, partitions[i], volume, why)) {
            continue;
        }
        std::size_t seen = 0;
        std::vector<std::string> files;
        ListAll(volume, "", 0, seen, files);
        // The replacement copies the image for each prefix it checks: small images only.
        if (size <= kMaxReplaceImage && CheckVolume(volume).problems.empty() && !files.empty()) {
            // New bytes of another length: a piece of the image, cut by its size.
            std::string bytes = image.bytes.substr(size / 3, size % 70000);
            Replace(image, partitions[i], files.front(), bytes);
        }
    }
    return 0;
}
