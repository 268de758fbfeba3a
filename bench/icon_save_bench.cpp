// Saving icons against the physical floor, a safe write of the same file (a new
// file with the old one's mode, written and flushed, renamed over the old one, the
// folder flushed): one icon through the store, at a real size and at 100,000
// tooltypes, and the save of four icons against four safe writes one after the
// other. Real time: they sync. The speed of a shared disk drifts between two
// benchmarks; BM_PutDiskObject_VsFloor takes a save and its floor in turns.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "gui/command_loop.h"
#include "platform/formats/icon_maker.h"
#include "platform/icons/icon_store.h"
#include "settings/app_settings.h"
#include "settings/settings_writer.h"
#include "settings/tool_config.h"
#include "support/icon_test_util.h"
#include "support/temp_dir.h"
#include "window/program_reset.h"

namespace {

const char *const kIcons[] = {"Starfield", "Starfield_OS3", "Starfield_MOS", "Starfield_OS4"};

bool SafeWrite(const std::string &folder, const std::string &name, const std::string &bytes, mode_t mode)
{
    std::string temp = folder + "/." + name + ".XXXXXX";
    int fd = mkstemp(temp.data());
    bool ok = fd >= 0 && fchmod(fd, mode) == 0 &&
              write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) && fsync(fd) == 0;
    ok = fd >= 0 && close(fd) == 0 && ok && rename(temp.c_str(), (folder + "/" + name).c_str()) == 0;
    int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    ok = dir >= 0 && fsync(dir) == 0 && ok;
    close(dir);
    return ok;
}

// The mode of a file.
mode_t ModeOf(const std::string &path)
{
    struct stat st {};
    stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

double Median(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// The folder of the one-icon saves and of their floor: one, so that the new files
// of both find the same free places on the disk.
const TempDir &OneIconFolder()
{
    static TempDir dir;
    return dir;
}

// A tool icon with the given number of kept tooltypes besides its settings.
void MakeIcon(const TempDir &dir, const char *name, int entries)
{
    IconSpec spec;
    spec.type = ICON_TOOL;
    spec.toolTypeSection = true;
    for (int i = 0; i < entries; ++i) {
        spec.toolTypes.push_back("KEY" + std::to_string(i) + "=a kept entry");
    }
    spec.toolTypes.insert(spec.toolTypes.end(), {"MASTERVOLUME=40", "WINDOW"});
    WriteIcon(dir.file(std::string(name) + ".info"), spec);
}

// PutDiskObject of an icon as it was read (the same bytes again), arg kept tooltypes.
void BM_PutDiskObject_Icon(benchmark::State &state)
{
    const TempDir &dir = OneIconFolder();
    MakeIcon(dir, "Starfield", static_cast<int>(state.range(0)));
    const std::string name = dir.file("Starfield");
    for (auto _ : state) {
        state.PauseTiming();
        DiskObject *icon = GetDiskObject(name.c_str());
        state.ResumeTiming();
        benchmark::DoNotOptimize(PutDiskObject(name.c_str(), icon));
        state.PauseTiming();
        FreeDiskObject(icon);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PutDiskObject_Icon)->Arg(10)->Arg(100000)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_SafeWrite_Icon(benchmark::State &state)
{
    const TempDir &dir = OneIconFolder();
    MakeIcon(dir, "Floor", static_cast<int>(state.range(0)));
    const std::string bytes = ReadFileBytes(dir.file("Floor.info"));
    const mode_t mode = ModeOf(dir.file("Floor.info"));
    for (auto _ : state) {
        benchmark::DoNotOptimize(SafeWrite(dir.path(), "Floor.info", bytes, mode));
    }
}
BENCHMARK(BM_SafeWrite_Icon)->Arg(10)->Arg(100000)->UseRealTime()->Unit(benchmark::kMicrosecond);

// The two above in turns, so that both meet the disk in the same state: the time is
// the wall time of the store's saves alone; vs_floor, theirs over the safe writes'.
void BM_PutDiskObject_VsFloor(benchmark::State &state)
{
    const TempDir &dir = OneIconFolder();
    MakeIcon(dir, "Starfield", static_cast<int>(state.range(0)));
    MakeIcon(dir, "Floor", static_cast<int>(state.range(0)));
    const std::string name = dir.file("Starfield");
    const std::string bytes = ReadFileBytes(dir.file("Floor.info"));
    const mode_t mode = ModeOf(dir.file("Floor.info"));
    std::vector<double> store, floor;
    bool storeFirst = true;
    for (auto _ : state) {
        DiskObject *icon = GetDiskObject(name.c_str());
        for (bool turn : {storeFirst, !storeFirst}) {
            auto start = std::chrono::steady_clock::now();
            benchmark::DoNotOptimize(turn ? PutDiskObject(name.c_str(), icon)
                                          : SafeWrite(dir.path(), "Floor.info", bytes, mode));
            std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            (turn ? store : floor).push_back(took.count());
            if (turn) {
                state.SetIterationTime(took.count());
            }
        }
        FreeDiskObject(icon);
        storeFirst = !storeFirst;
    }
    // Medians, so that a flush the disk happened to delay counts for neither.
    state.counters["vs_floor"] = floor.empty() ? 0 : Median(store) / Median(floor);
}
BENCHMARK(BM_PutDiskObject_VsFloor)->Arg(10)->Arg(100000)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The Save command: the application's icon and three platform icons.
void BM_SaveSettings_FourIcons(benchmark::State &state)
{
    TempDir dir;
    for (const char *name : kIcons) {
        MakeIcon(dir, name, 10);
    }
    ScopedChdir cd(dir.path());
    ResetProgramState();
    std::strcpy(ToolConfig.appName, kIcons[0]);
    for (int i = 0; i < 3; ++i) {
        std::strcpy(ToolConfig.platformIcons[i], kIcons[1 + i]);
    }
    for (auto _ : state) {
        if (WriteAllIconSettings(AppSettings) != 0) {
            state.SkipWithError("an icon was not saved");
            break;
        }
    }
    ResetProgramState();
}
BENCHMARK(BM_SaveSettings_FourIcons)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_SafeWrite_FourIcons(benchmark::State &state)
{
    TempDir dir;
    std::vector<std::string> bytes;
    for (const char *name : kIcons) {
        MakeIcon(dir, name, 10);
        bytes.push_back(ReadFileBytes(dir.file(std::string(name) + ".info")));
    }
    const mode_t mode = ModeOf(dir.file(std::string(kIcons[0]) + ".info"));
    for (auto _ : state) {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            benchmark::DoNotOptimize(SafeWrite(dir.path(), std::string(kIcons[i]) + ".info", bytes[i], mode));
        }
    }
}
BENCHMARK(BM_SafeWrite_FourIcons)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace
