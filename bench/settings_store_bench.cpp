// The settings store: merging the settings into an icon with many tooltypes, and
// reading them back.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "platform/formats/icon_maker.h"
#include "settings/app_settings.h"
#include "settings/load_settings.h"
#include "settings/settings_schema.h"
#include "settings/settings_writer.h"
#include "settings/tool_config.h"
#include "settings/tooltype_number.h"
#include "support/icon_test_util.h"
#include "support/temp_dir.h"
#include "window/program_reset.h"

namespace {

void PrepareIcons(const TempDir &dir, int entries)
{
    IconSpec spec;
    spec.type = ICON_TOOL;
    spec.toolTypeSection = true;
    for (int i = 0; i < entries; ++i) {
        spec.toolTypes.push_back("  KEY" + std::to_string(i) + "=some value of a kept entry");
    }
    spec.toolTypes.push_back("WINDOW");
    WriteIcon(dir.file("Starfield.info"), spec);
    IconSpec tool;
    tool.toolTypes = {"APPLICATION=Starfield"};
    WriteIcon(dir.file("Settings.info"), tool);
}

void BM_WriteIconSettings(benchmark::State &state)
{
    TempDir dir;
    PrepareIcons(dir, static_cast<int>(state.range(0)));
    ScopedChdir cd(dir.path());
    ResetProgramState();
    Settings values = DEFAULT_SETTINGS;
    values.displayMode = 2;
    values.fpsLimitEnabled = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(WriteIconSettings("Starfield", values));
    }
    ResetProgramState();
}
BENCHMARK(BM_WriteIconSettings)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_LoadSettings(benchmark::State &state)
{
    TempDir dir;
    PrepareIcons(dir, static_cast<int>(state.range(0)));
    ScopedChdir cd(dir.path());
    for (auto _ : state) {
        ResetProgramState();
        std::strcpy(ToolConfig.appName, "Application");
        benchmark::DoNotOptimize(LoadSettings().displayMode);
    }
    ResetProgramState();
}
BENCHMARK(BM_LoadSettings)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_ParseToolTypeNumber(benchmark::State &state)
{
    const char *texts[] = {"25", " -1342378755", "99999999999999999999", "0x50031303", "40 percent"};
    for (auto _ : state) {
        for (const char *text : texts) {
            benchmark::DoNotOptimize(ParseToolTypeNumber(text));
        }
    }
}
BENCHMARK(BM_ParseToolTypeNumber);

}  // namespace
