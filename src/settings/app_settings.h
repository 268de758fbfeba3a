// The settings record: the run-time settings of the application being configured.
#pragma once

#include <cstdint>

// Written with designated initialisers; a field not named is 0.
struct Settings {
    std::int32_t displayMode = 0;  // a DisplayMode
    std::uint32_t modeId = 0;
    std::int32_t depth = 0;
    std::int32_t fpsLimit = 0;
    std::int32_t fpsLimitEnabled = 0;  // 0 or 1
    std::int32_t masterVolume = 0;
    std::int32_t soundEnabled = 0;  // 0 or 1

    bool operator==(const Settings &) const = default;
};

// The program's settings: the window's (those it shows, with the screen mode
// chosen; set by its controls alone), or those the command line loaded and set
// its words in. The settings store never reads or sets it.
extern Settings AppSettings;

// Back to the defaults a run starts with.
void ResetAppSettings();
