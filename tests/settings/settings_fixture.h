// The settings store's tests: a fresh folder as current directory, program state
// reset, a test screen to take the default mode from.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "app/program_reset.h"
#include "platform/display.h"
#include "platform/formats/icon_maker.h"
#include "settings/app_settings.h"
#include "settings/tool_config.h"
#include "support/icon_test_util.h"
#include "support/temp_dir.h"

constexpr std::uint32_t kScreenModeId = 0x00029004;
constexpr std::int32_t kScreenDepth = 8;

using Entries = std::vector<std::string>;

// A record's fields, for comparing and printing whole records.
inline auto Fields(const Settings &s)
{
    return std::tuple(s.displayMode, s.modeId, s.depth, s.fpsLimit, s.fpsLimitEnabled, s.masterVolume, s.soundEnabled);
}

class SettingsStoreTest : public testing::Test {
protected:
    SettingsStoreTest() : cd_(dir_.path())
    {
        ResetProgramState();
        startScreen = &screen_;
        std::strcpy(ToolConfig.appName, "Application");  // as the main flow leaves it
    }
    ~SettingsStoreTest() override { ResetProgramState(); }

    // Writes "name.info" with the given tooltypes, a classic or a PNG icon.
    void MakeIcon(const std::string &name, const Entries &toolTypes, bool png = false)
    {
        IconSpec spec;
        spec.png = png;
        spec.type = ICON_PROJECT;
        spec.toolTypes = toolTypes;
        spec.toolTypeSection = true;
        WriteIcon(dir_.file(name + ".info"), spec);
    }

    TempDir dir_;
    ScopedChdir cd_;
    BitMap bitMap_{static_cast<std::uint32_t>(kScreenDepth)};
    Screen screen_{{kScreenModeId}, {&bitMap_}};
};
