// The settings vocabulary: the tooltype keys of the application's icons and of the
// tool's own icon, the display modes, and the ranges of the numeric settings.
#pragma once

#include <cstdint>

// The application's icons.
inline constexpr const char *KEY_WINDOW = "WINDOW";
inline constexpr const char *KEY_FULLSCREEN = "FULLSCREEN";
inline constexpr const char *KEY_MODEID = "MODEID";
inline constexpr const char *KEY_DEPTH = "DEPTH";
inline constexpr const char *KEY_FPSLIMIT = "FPSLIMIT";
inline constexpr const char *KEY_MASTERVOLUME = "MASTERVOLUME";
inline constexpr const char *KEY_NOSOUND = "NOSOUND";
// The words that stand for an absent FPSLIMIT or NOSOUND, on the command line and in
// the icons overview; never written into an icon.
inline constexpr const char *NOFPSLIMIT_WORD = "NOFPSLIMIT";
inline constexpr const char *SOUND_WORD = "SOUND";
// The keys a save replaces; every other entry is kept.
inline constexpr const char *MANAGED_KEYS[] = {KEY_MASTERVOLUME, KEY_NOSOUND, KEY_FPSLIMIT, KEY_WINDOW,
                                               KEY_FULLSCREEN,   KEY_MODEID,  KEY_DEPTH};

// The tool's own icon, "Settings".
inline constexpr const char *TOOL_ICON = "Settings";
inline constexpr const char *KEY_APPLICATION = "APPLICATION";
inline constexpr const char *KEY_HELP = "HELP";
inline constexpr const char *KEY_HIDESOUND = "HIDESOUND";
// The platform icons, in the order of ToolConfig.platformIcons.
inline constexpr const char *PLATFORM_ICON_KEYS[] = {"AMIGAOS3", "MORPHOS", "WARPOS", "AMIGAOS4"};

// Settings.displayMode.
enum DisplayMode : std::int32_t {
    DISPLAY_WINDOW = 0,
    DISPLAY_FULLSCREEN_AUTO = 1,
    DISPLAY_FULLSCREEN_MODE = 2,  // in Settings.modeId and Settings.depth
};

struct SettingRange {
    std::int32_t min, max;
};
inline constexpr SettingRange FPS_LIMIT_RANGE = {1, 50};
inline constexpr SettingRange MASTER_VOLUME_RANGE = {0, 64};
inline constexpr SettingRange DEPTH_RANGE = {8, 32};
