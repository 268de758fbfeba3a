// Shared set-up of the settings store's tests: a fresh folder as current directory,
// program state reset, a test screen to take the default mode from.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "icon_maker.h"
#include "platform/display.h"
#include "platform/icon_store.h"
#include "settings/tool_config.h"
#include "support/temp_dir.h"

constexpr std::uint32_t kScreenModeId = 0x00029004;
constexpr std::int32_t kScreenDepth = 8;

class SettingsStoreTest : public testing::Test {
protected:
    SettingsStoreTest() : cd_(dir_.path())
    {
        ResetProgramState();
        startScreen = &screen_;
        // As the main flow leaves it before LoadSettings.
        std::strcpy(ToolConfig.appName, "Application");
    }
    ~SettingsStoreTest() override { ResetProgramState(); }

    // Writes "name.info" with the given tooltypes.
    void MakeIcon(const std::string &name, const std::vector<std::string> &toolTypes)
    {
        IconSpec spec;
        spec.type = ICON_PROJECT;
        spec.toolTypes = toolTypes;
        spec.toolTypeSection = true;
        ASSERT_TRUE(WriteIcon(dir_.file(name + ".info"), spec));
    }

    // The tooltype list of "name.info" as the store reads it; a marker entry when absent.
    std::vector<std::string> ToolTypesOf(const std::string &name)
    {
        DiskObject *icon = GetDiskObject(name.c_str());
        if (icon == nullptr) {
            return {"<no icon>"};
        }
        std::vector<std::string> list;
        for (char **entry = icon->do_ToolTypes; *entry != nullptr; ++entry) {
            list.emplace_back(*entry);
        }
        FreeDiskObject(icon);
        return list;
    }

    TempDir dir_;
    ScopedChdir cd_;
    BitMap bitMap_{static_cast<std::uint32_t>(kScreenDepth)};
    Screen screen_{{kScreenModeId}, {&bitMap_}};
};
