// The tooltype keys of the application's icons and of the tool's own icon, the
// platform icons, the display modes and the ranges of the settings' numbers.
#pragma once

#include <cstdint>
#include <iterator>

// The application's icons.
inline constexpr const char *KEY_WINDOW = "WINDOW";
inline constexpr const char *KEY_FULLSCREEN = "FULLSCREEN";
inline constexpr const char *KEY_MODEID = "MODEID";
inline constexpr const char *KEY_DEPTH = "DEPTH";
inline constexpr const char *KEY_FPSLIMIT = "FPSLIMIT";
inline constexpr const char *KEY_MASTERVOLUME = "MASTERVOLUME";
inline constexpr const char *KEY_NOSOUND = "NOSOUND";

// The tool's own icon, "Settings", and its file.
inline constexpr const char *TOOL_ICON = "Settings";
inline constexpr const char *TOOL_ICON_FILE = "Settings.info";
inline constexpr const char *KEY_APPLICATION = "APPLICATION";
inline constexpr const char *KEY_HELP = "HELP";
inline constexpr const char *KEY_HIDESOUND = "HIDESOUND";

// The platform icons, in the order Save writes them: the key that names each in
// the tool's icon, and the system's name the icons overview shows.
struct PlatformIcon {
    const char *key;
    const char *name;
};
inline constexpr PlatformIcon PLATFORM_ICONS[] = {
    {"AMIGAOS3", "AmigaOS 3"}, {"MORPHOS", "MorphOS"}, {"WARPOS", "WarpOS"}, {"AMIGAOS4", "AmigaOS 4"}};
constexpr int PLATFORM_ICON_COUNT = static_cast<int>(std::size(PLATFORM_ICONS));

// Settings.displayMode.
enum DisplayMode : std::int32_t {
    DISPLAY_WINDOW = 0,
    DISPLAY_FULLSCREEN_AUTO = 1,
    DISPLAY_FULLSCREEN_MODE = 2,  // in Settings.modeId and Settings.depth
};

struct SettingRange {
    std::int32_t min, max;
};
inline constexpr SettingRange DEPTH_RANGE = {8, 32};
