// The settings grammar: the tooltype keys of the application's icons and of the
// tool's own icon, the display modes, the ranges and defaults of the settings, and
// the words of --save that set them.
#pragma once

#include <cstdint>

#include "settings/app_settings.h"

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

// The tool's own icon, "Settings", and its file.
inline constexpr const char *TOOL_ICON = "Settings";
inline constexpr const char *TOOL_ICON_FILE = "Settings.info";
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

// What a run starts with before any icon is read: a window, the limit off with its
// slider at 50, volume 40, sound on; the mode id and depth then come from the start
// screen.
inline constexpr Settings DEFAULT_SETTINGS = {DISPLAY_WINDOW, 0, 0, FPS_LIMIT_RANGE.max, 0, 40, 1};

// The words of --save and of the icons overview: the tooltype keys, and the words
// for an absent FPSLIMIT or NOSOUND. Two words of one group set the same setting.
enum SettingsWordKey {
    WORD_WINDOW,
    WORD_FULLSCREEN,
    WORD_MODEID,
    WORD_DEPTH,
    WORD_FPSLIMIT,
    WORD_NOFPSLIMIT,
    WORD_MASTERVOLUME,
    WORD_NOSOUND,
    WORD_SOUND,
    SETTINGS_WORD_COUNT
};
enum SettingsWordGroup { GROUP_DISPLAY, GROUP_DEPTH, GROUP_FPS, GROUP_VOLUME, GROUP_SOUND };

struct SettingsWordRule {
    const char *key;
    SettingsWordGroup group;
    bool hasNumber;
    std::int64_t min, max;
};

// Indexed by SettingsWordKey. A mode id is 32 bits, given signed (as icons store it)
// or not; every icon and word holds it as signed decimal.
inline constexpr SettingsWordRule SETTINGS_WORDS[SETTINGS_WORD_COUNT] = {
    {KEY_WINDOW, GROUP_DISPLAY, false, 0, 0},
    {KEY_FULLSCREEN, GROUP_DISPLAY, false, 0, 0},
    {KEY_MODEID, GROUP_DISPLAY, true, INT32_MIN, UINT32_MAX},
    {KEY_DEPTH, GROUP_DEPTH, true, DEPTH_RANGE.min, DEPTH_RANGE.max},
    {KEY_FPSLIMIT, GROUP_FPS, true, FPS_LIMIT_RANGE.min, FPS_LIMIT_RANGE.max},
    {NOFPSLIMIT_WORD, GROUP_FPS, false, 0, 0},
    {KEY_MASTERVOLUME, GROUP_VOLUME, true, MASTER_VOLUME_RANGE.min, MASTER_VOLUME_RANGE.max},
    {KEY_NOSOUND, GROUP_SOUND, false, 0, 0},
    {SOUND_WORD, GROUP_SOUND, false, 0, 0},
};
