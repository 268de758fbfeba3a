// Reading and writing the corpus icons through the store, and parsing them in memory;
// saving PNG icons beside a plain safe write of the same bytes.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/formats/big_endian.h"
#include "platform/formats/icon_file.h"
#include "platform/formats/png_icon.h"
#include "platform/icons/icon_store.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"

namespace fs = std::filesystem;

namespace {

// The corpus icons copied into dir as Icon0.info, Icon1.info, ...; their names.
std::vector<std::string> CopyCorpus(const TempDir &dir)
{
    std::vector<std::string> names;
    std::error_code ec;
    fs::path root = fs::path(kSharedCorpusDir) / "icons";
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (it->is_regular_file() && it->path().extension() == ".info") {
            std::string name = dir.file("Icon" + std::to_string(names.size()));
            WriteFileBytes(name + ".info", ReadFileBytes(it->path().string()));
            names.push_back(name);
        }
    }
    return names;
}

void BM_ParseIcon(benchmark::State &state)
{
    TempDir dir;
    std::vector<std::string> icons;
    for (const std::string &name : CopyCorpus(dir)) {
        icons.push_back(ReadFileBytes(name + ".info"));
    }
    if (icons.empty()) {
        state.SkipWithError("no icon corpus");
        return;
    }
    for (auto _ : state) {
        for (const std::string &icon : icons) {
            IconLayout layout;
            bool ok = ParseIcon(BytesOf(icon), layout);
            benchmark::DoNotOptimize(ok);
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * icons.size()));
}
BENCHMARK(BM_ParseIcon);

void BM_GetDiskObject(benchmark::State &state)
{
    TempDir dir;
    std::vector<std::string> names = CopyCorpus(dir);
    if (names.empty()) {
        state.SkipWithError("no icon corpus");
        return;
    }
    for (auto _ : state) {
        for (const std::string &name : names) {
            DiskObject *icon = GetDiskObject(name.c_str());
            benchmark::DoNotOptimize(icon);
            FreeDiskObject(icon);
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * names.size()));
}
BENCHMARK(BM_GetDiskObject);

// A full save of each icon: read, write back with a changed list (flushed to disk), free.
void BM_PutDiskObject(benchmark::State &state)
{
    TempDir dir;
    std::vector<std::string> names = CopyCorpus(dir);
    if (names.empty()) {
        state.SkipWithError("no icon corpus");
        return;
    }
    char window[] = "WINDOW", volume[] = "MASTERVOLUME=40";
    char *list[] = {window, volume, nullptr};
    for (auto _ : state) {
        for (const std::string &name : names) {
            DiskObject *icon = GetDiskObject(name.c_str());
            char **own = icon->do_ToolTypes;
            icon->do_ToolTypes = list;
            bool ok = PutDiskObject(name.c_str(), icon);
            benchmark::DoNotOptimize(ok);
            icon->do_ToolTypes = own;
            FreeDiskObject(icon);
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * names.size()));
}
BENCHMARK(BM_PutDiskObject)->Unit(benchmark::kMicrosecond);

}  // namespace

// PNG icons: a save through the store (read, write back with a changed list,
// flushed), beside its floor, a safe write of the very bytes the store writes.
namespace {

constexpr int kPngIcons = 9;  // the PNG icons of the shared corpus

// The corpus PNG icons copied into dir as Png0.info, ...; their names.
std::vector<std::string> CopyPngCorpus(const TempDir &dir)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(fs::path(kSharedCorpusDir) / "png-icons", ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_regular_file() && it->path().extension() == ".info") {
            std::string name = dir.file("Png" + std::to_string(names.size()));
            WriteFileBytes(name + ".info", ReadFileBytes(it->path().string()));
            names.push_back(name);
        }
    }
    return names;
}

bool SavePng(const std::string &name)
{
    char window[] = "WINDOW", volume[] = "MASTERVOLUME=40";
    char *list[] = {window, volume, nullptr};
    DiskObject *icon = GetDiskObject(name.c_str());
    if (icon == nullptr) {
        return false;
    }
    char **own = icon->do_ToolTypes;
    icon->do_ToolTypes = list;
    bool ok = PutDiskObject(name.c_str(), icon);
    icon->do_ToolTypes = own;
    FreeDiskObject(icon);
    return ok;
}

// Temp file, write, fsync, rename over the target, fsync of the folder.
bool SafeWrite(const std::string &folder, const std::string &target, const std::string &bytes)
{
    std::string temp = target + ".XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) {
        return false;
    }
    bool ok = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok && rename(temp.c_str(), target.c_str()) == 0;
    int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    ok = dirFd >= 0 && fsync(dirFd) == 0 && ok;
    close(dirFd);
    return ok;
}

void BM_PngIconSave(benchmark::State &state)
{
    TempDir dir;
    std::vector<std::string> names = CopyPngCorpus(dir);
    if (names.size() != kPngIcons) {
        state.SkipWithError("no PNG icon corpus");
        return;
    }
    for (auto _ : state) {
        for (const std::string &name : names) {
            if (!SavePng(name)) {
                state.SkipWithError("a save failed");
                return;
            }
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * names.size()));
}
BENCHMARK(BM_PngIconSave)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_PngIconSafeWriteFloor(benchmark::State &state)
{
    TempDir dir;
    std::vector<std::string> names = CopyPngCorpus(dir), written;
    for (const std::string &name : names) {
        SavePng(name);
        written.push_back(ReadFileBytes(name + ".info"));
    }
    if (names.size() != kPngIcons) {
        state.SkipWithError("no PNG icon corpus");
        return;
    }
    for (auto _ : state) {
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (!SafeWrite(dir.path(), names[i] + ".info", written[i])) {
                state.SkipWithError("a write failed");
                return;
            }
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * names.size()));
}
BENCHMARK(BM_PngIconSafeWriteFloor)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The codec's own share: parsing each PNG icon and building it with a new list, in memory.
void BM_PngIconParseAndBuild(benchmark::State &state)
{
    TempDir dir;
    std::vector<std::string> icons;
    for (const std::string &name : CopyPngCorpus(dir)) {
        icons.push_back(ReadFileBytes(name + ".info"));
    }
    const char *list[] = {"WINDOW", "MASTERVOLUME=40"};
    std::string out;
    for (auto _ : state) {
        for (const std::string &icon : icons) {
            PngIconLayout layout;
            bool ok = ParsePngIcon(BytesOf(icon), layout) && BuildPngIcon(BytesOf(icon), layout, list, 2, out);
            benchmark::DoNotOptimize(ok);
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * icons.size()));
}
BENCHMARK(BM_PngIconParseAndBuild);

}  // namespace
