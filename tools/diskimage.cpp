// diskimage: makes, reads, changes and checks Amiga disk images (ADF floppies,
// bare HDF partitions, RDB hard disks) through the file system room.
//
//   diskimage format IMAGE (--adf dd|hd | --hdf BYTES | --rdb HEADS,SECTORS --partition DEV,CYLS,N ...)
//                    [--dostype N] [--name NAME]
//   diskimage partitions IMAGE
//   diskimage mkdir IMAGE PATH
//   diskimage put IMAGE PATH FILE [--protect BITS] [--comment TEXT]
//   diskimage get IMAGE PATH [OUT]
//   diskimage list IMAGE [PATH] [--recursive]
//   diskimage replace IMAGE PATH FILE [--stop-after WRITES] [--force]
//   diskimage check IMAGE
//
// Every command but format and check takes --part DEV (the first partition by
// default); those that write take --time SECONDS (since 1970; now by default).
// replace carries out the same plan a save does, stage by stage, flushing between
// them; --stop-after ends it after that many block writes, as a kill would. A file
// whose protection bits deny writing is replaced only with --force.
// check exits with 0 when every partition is consistent, 1 with a line per problem.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "platform/filesystem/filesystem.h"

namespace {

constexpr std::uint32_t kDos = 0x444F5300;
constexpr std::uint32_t kProtectWrite = 1u << 2;  // set: writing is denied

// An image file, read and written a block at a time.
class FileImage : public WritableImage {
public:
    int fd = -1;
    std::uint64_t size = 0;

    ~FileImage() override
    {
        if (fd >= 0) {
            close(fd);
        }
    }
    std::uint64_t Size() const override { return size; }
    bool Read(std::uint64_t offset, std::uint8_t *out, std::size_t n) override
    {
        return offset <= size && n <= size - offset && Whole(pread(fd, out, n, static_cast<off_t>(offset)), n);
    }
    bool Write(std::uint64_t offset, const std::uint8_t *bytes, std::size_t n) override
    {
        return offset <= size && n <= size - offset && Whole(pwrite(fd, bytes, n, static_cast<off_t>(offset)), n);
    }
    static bool Whole(ssize_t done, std::size_t n) { return done >= 0 && static_cast<std::size_t>(done) == n; }
};

struct Options {
    std::vector<std::string> args;
    std::map<std::string, std::string> values;
    std::vector<std::string> partitions;
    bool recursive = false, force = false;
};

int Usage()
{
    std::fprintf(stderr, "usage: diskimage format IMAGE (--adf dd|hd | --hdf BYTES | --rdb HEADS,SECTORS --partition "
                         "DEV,CYLS,N ...) [--dostype N] [--name NAME]\n"
                         "       diskimage partitions|check IMAGE\n"
                         "       diskimage mkdir IMAGE PATH | put IMAGE PATH FILE [--protect BITS] [--comment TEXT]\n"
                         "       diskimage get IMAGE PATH [OUT] | list IMAGE [PATH] [--recursive]\n"
                         "       diskimage replace IMAGE PATH FILE [--stop-after WRITES] [--force]\n"
                         "       (--part DEV chooses a partition, --time SECONDS the date written)\n");
    return 2;
}

int Failed(const std::string &what, const FsFailure &why)
{
    std::fprintf(stderr, "diskimage: %s: %s\n", what.c_str(), why.reason.c_str());
    return 1;
}

bool ParseOptions(int argc, char **argv, Options &options)
{
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--recursive" || arg == "--force") {
            (arg == "--force" ? options.force : options.recursive) = true;
        } else if (arg.rfind("--", 0) == 0) {
            if (i + 1 >= argc) {
                return false;
            }
            if (arg == "--partition") {
                options.partitions.push_back(argv[++i]);
            } else {
                options.values[arg.substr(2)] = argv[++i];
            }
        } else {
            options.args.push_back(arg);
        }
    }
    return true;
}

bool OpenImage(const std::string &path, bool write, FileImage &image)
{
    image.fd = open(path.c_str(), (write ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    struct stat info;
    if (image.fd < 0 || fstat(image.fd, &info) != 0) {
        std::fprintf(stderr, "diskimage: %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    image.size = static_cast<std::uint64_t>(info.st_size);
    return true;
}

AmigaDate Now(const Options &options)
{
    auto it = options.values.find("time");
    return AmigaDateFromUnix(it != options.values.end() ? std::strtoll(it->second.c_str(), nullptr, 10)
                                                        : static_cast<std::int64_t>(std::time(nullptr)));
}

bool DosTypeOf(const std::string &text, std::uint32_t &dosType)
{
    if (text.size() != 1 || text[0] < '0' || text[0] > '7') {
        return false;
    }
    dosType = kDos | static_cast<std::uint32_t>(text[0] - '0');
    return true;
}

// The volume of the partition named by --part, or the first.
bool OpenChosen(FileImage &image, const Options &options, Volume &volume)
{
    std::vector<Partition> partitions;
    FsFailure why;
    if (!ListPartitions(image, partitions, why)) {
        Failed("partitions", why);
        return false;
    }
    auto it = options.values.find("part");
    for (const Partition &partition : partitions) {
        if (it == options.values.end() || partition.device == it->second) {
            if (!OpenVolume(image, partition, volume, why)) {
                Failed(partition.device, why);
                return false;
            }
            return true;
        }
    }
    std::fprintf(stderr, "diskimage: no partition %s\n", it->second.c_str());
    return false;
}

bool ReadHostFile(const std::string &path, std::string &bytes)
{
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
        std::fprintf(stderr, "diskimage: %s: cannot be read\n", path.c_str());
        return false;
    }
    return static_cast<bool>(in) || in.eof();
}

int Format(const Options &options)
{
    if (options.args.size() != 1) {
        return Usage();
    }
    auto value = [&](const char *key, const char *otherwise) {
        auto it = options.values.find(key);
        return it == options.values.end() ? std::string(otherwise) : it->second;
    };
    std::uint32_t dosType = 0;
    if (!DosTypeOf(value("dostype", "0"), dosType)) {
        return Usage();
    }
    std::uint64_t size = 0;
    std::vector<PartitionSpec> specs;
    unsigned heads = 0, sectors = 0;
    if (options.values.count("adf")) {
        size = value("adf", "") == "hd" ? 1802240 : 901120;
    } else if (options.values.count("hdf")) {
        size = std::strtoull(value("hdf", "").c_str(), nullptr, 10) / 512 * 512;
    } else if (options.values.count("rdb") && std::sscanf(value("rdb", "").c_str(), "%u,%u", &heads, &sectors) == 2) {
        size = std::uint64_t{heads} * sectors * 512;
        std::uint64_t cylinders = 1;
        for (const std::string &text : options.partitions) {
            char device[32] = {};
            unsigned cyls = 0;
            char n[2] = {};
            PartitionSpec spec;
            if (std::sscanf(text.c_str(), "%31[^,],%u,%1s", device, &cyls, n) != 3 || !DosTypeOf(n, spec.dosType)) {
                return Usage();
            }
            spec.device = device;
            spec.cylinders = cyls;
            cylinders += cyls;
            specs.push_back(spec);
        }
        size *= cylinders;
    } else {
        return Usage();
    }
    const std::string &path = options.args[0];
    FileImage image;
    image.fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (image.fd < 0 || ftruncate(image.fd, static_cast<off_t>(size)) != 0) {
        std::fprintf(stderr, "diskimage: %s: %s\n", path.c_str(), std::strerror(errno));
        return 1;
    }
    image.size = size;
    FsFailure why;
    std::vector<Partition> partitions;
    if (specs.empty()) {
        if (!ListPartitions(image, partitions, why)) {
            return Failed(path, why);
        }
    } else if (!WriteRigidDiskBlock(image, heads, sectors, specs, partitions, why)) {
        return Failed(path, why);
    }
    for (const Partition &partition : partitions) {
        std::uint32_t type = partition.dosType != 0 ? partition.dosType : dosType;
        if (!FormatVolume(image, partition, type, value("name", "Empty"), Now(options), why)) {
            return Failed(partition.device, why);
        }
    }
    return fsync(image.fd) == 0 ? 0 : 1;
}

std::string ProtectionText(std::uint32_t bits)
{
    // HSPA are set when they hold; RWED are set when they are denied.
    const char *letters = "hsparwed";
    std::string text;
    for (int i = 7; i >= 0; --i) {
        bool on = i >= 4 ? (bits >> i) & 1 : !((bits >> i) & 1);
        text.push_back(on ? letters[7 - i] : '-');
    }
    return text;
}

void PrintEntry(const std::string &path, const Entry &entry)
{
    static const char *kinds[] = {"file", "drawer", "softlink", "hardlink"};
    std::time_t when = static_cast<std::time_t>((std::int64_t{entry.date.days} + 2922) * 86400 +
                                                entry.date.minutes * 60 + entry.date.ticks / 50);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S", std::gmtime(&when));
    std::printf("%-8s %10" PRIu32 " %s %s %s", kinds[static_cast<int>(entry.kind)], entry.size,
                ProtectionText(entry.protection).c_str(), date, path.c_str());
    if (!entry.comment.empty()) {
        std::printf(" ; %s", entry.comment.c_str());
    }
    std::printf("\n");
}

bool List(const Volume &volume, const std::string &path, bool recursive, int depth)
{
    std::vector<Entry> entries;
    FsFailure why;
    if (depth > 100 || !ListDrawer(volume, path, entries, why)) {
        Failed(path.empty() ? "/" : path, why);
        return false;
    }
    bool ok = true;
    for (const Entry &entry : entries) {
        const std::string full = path.empty() ? entry.name : path + "/" + entry.name;
        PrintEntry(full, entry);
        if (recursive && entry.kind == EntryKind::Drawer) {
            ok = List(volume, full, recursive, depth + 1) && ok;
        }
    }
    return ok;
}

int Check(FileImage &image)
{
    std::vector<Partition> partitions;
    FsFailure why;
    int status = 0;
    for (const std::string &problem : CheckPartitionTable(image)) {
        std::printf("%s\n", problem.c_str());
        status = 1;
    }
    if (!ListPartitions(image, partitions, why)) {
        std::printf("%s\n", why.reason.c_str());
        return 1;
    }
    for (const Partition &partition : partitions) {
        Volume volume;
        if (!OpenVolume(image, partition, volume, why)) {
            std::printf("%s: %s\n", partition.device.c_str(), why.reason.c_str());
            status = 1;
            continue;
        }
        CheckReport report = CheckVolume(volume);
        for (const std::string &problem : report.problems) {
            std::printf("%s: %s\n", partition.device.c_str(), problem.c_str());
            status = 1;
        }
        if (!volume.bitmapValid) {
            std::fprintf(stderr, "%s: the bitmap is marked invalid, for AmigaDOS to rebuild\n",
                         partition.device.c_str());
        }
        if (report.lostBlocks > 0 || report.staleCacheRecords > 0) {
            std::fprintf(stderr,
                         "%s: %" PRIu32 " blocks marked used that nothing owns, %" PRIu32
                         " stale directory cache records\n",
                         partition.device.c_str(), report.lostBlocks, report.staleCacheRecords);
        }
    }
    return status;
}

int Replace(FileImage &image, const Volume &volume, const Options &options)
{
    std::string bytes;
    if (options.args.size() != 3 || !ReadHostFile(options.args[2], bytes)) {
        return Usage();
    }
    WritePlan plan;
    FsFailure why;
    Entry entry;
    if (FindEntry(volume, options.args[1], entry, why) && (entry.protection & kProtectWrite) != 0 && !options.force) {
        std::fprintf(stderr, "diskimage: %s: protected from writing (--force replaces it)\n", options.args[1].c_str());
        return 1;
    }
    if (!PlanReplace(volume, options.args[1], bytes, Now(options), plan, why)) {
        return Failed(options.args[1], why);
    }
    auto it = options.values.find("stop-after");
    std::size_t left = it == options.values.end() ? SIZE_MAX : std::strtoull(it->second.c_str(), nullptr, 10);
    for (const auto &stage : plan.stages) {
        WritePlan one;
        one.stages.push_back(stage);
        std::size_t now = std::min(left, stage.size());
        if (!ApplyPlan(image, one, now) || (now > 0 && fdatasync(image.fd) != 0)) {
            std::fprintf(stderr, "diskimage: %s: %s\n", options.args[0].c_str(), std::strerror(errno));
            return 1;
        }
        left -= now;
    }
    std::printf("%zu block writes\n", plan.Writes());
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    Options options;
    if (argc < 3 || !ParseOptions(argc, argv, options) || options.args.empty()) {
        return Usage();
    }
    const std::string command = argv[1];
    if (command == "format") {
        return Format(options);
    }
    const bool write = command == "mkdir" || command == "put" || command == "replace";
    FileImage image;
    if (!OpenImage(options.args[0], write, image)) {
        return 1;
    }
    if (command == "check") {
        return Check(image);
    }
    if (command == "partitions") {
        std::vector<Partition> partitions;
        FsFailure why;
        if (!ListPartitions(image, partitions, why)) {
            return Failed(options.args[0], why);
        }
        for (const Partition &partition : partitions) {
            Volume volume;
            bool opened = OpenVolume(image, partition, volume, why);
            std::printf("%s %s %" PRIu32 " blocks of %" PRIu32 " %s\n", partition.device.c_str(),
                        DosTypeText(opened ? volume.dosType : partition.dosType).c_str(), partition.blocks,
                        partition.blockSize, opened ? volume.name.c_str() : why.reason.c_str());
        }
        return 0;
    }
    Volume volume;
    if (!OpenChosen(image, options, volume)) {
        return 1;
    }
    FsFailure why;
    const std::string path = options.args.size() > 1 ? options.args[1] : "";
    if (command == "list") {
        return List(volume, path, options.recursive, 0) ? 0 : 1;
    }
    if (command == "mkdir" && options.args.size() == 2) {
        return MakeDrawer(image, volume, path, Now(options), why) ? 0 : Failed(path, why);
    }
    if (command == "put" && options.args.size() == 3) {
        std::string bytes;
        if (!ReadHostFile(options.args[2], bytes)) {
            return 1;
        }
        auto protect = options.values.find("protect");
        auto comment = options.values.find("comment");
        std::uint32_t bits = protect == options.values.end()
                                 ? 0
                                 : static_cast<std::uint32_t>(std::strtoul(protect->second.c_str(), nullptr, 0));
        return MakeFile(image, volume, path, bytes, bits, comment == options.values.end() ? "" : comment->second,
                        Now(options), why)
                   ? 0
                   : Failed(path, why);
    }
    if (command == "get" && (options.args.size() == 2 || options.args.size() == 3)) {
        std::string bytes;
        if (!ReadFileBytes(volume, path, 1u << 30, bytes, why)) {
            return Failed(path, why);
        }
        FILE *out = options.args.size() == 3 ? std::fopen(options.args[2].c_str(), "wb") : stdout;
        bool ok = out != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
        ok = (out == stdout ? std::fflush(out) == 0 : out != nullptr && std::fclose(out) == 0) && ok;
        return ok ? 0 : 1;
    }
    if (command == "replace") {
        return Replace(image, volume, options);
    }
    return Usage();
}
