// The settings record: the run-time settings of the application being configured.
#pragma once

#include <cstdint>

struct Settings {
    std::int32_t displayMode;  // a DisplayMode
    std::uint32_t modeId;
    std::int32_t depth;
    std::int32_t fpsLimit;
    std::int32_t fpsLimitEnabled;
    std::int32_t masterVolume;
    std::int32_t soundEnabled;

    bool operator==(const Settings &) const = default;
};

extern Settings AppSettings;

// Back to the defaults a run starts with.
void ResetAppSettings();
