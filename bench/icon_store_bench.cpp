// Reading and writing the corpus icons through the store, and parsing them in memory.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/formats/icon_file.h"
#include "platform/icon_store.h"
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
    for (auto it = fs::recursive_directory_iterator(root, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
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
            bool ok = ParseIcon(reinterpret_cast<const std::uint8_t *>(icon.data()), icon.size(), layout);
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

} // namespace
