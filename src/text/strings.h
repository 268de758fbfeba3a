// Every user-visible text by string id: the built-in English table, or the
// catalog's text where the open catalog has one.
#pragma once

#include <cstddef>
#include <cstdint>

enum : std::int32_t {
    MSG_MENU_PROJECT = 0,
    MSG_MENU_SAVE = 1,
    MSG_MENU_HELP = 2,
    MSG_MENU_ABOUT = 3,
    MSG_MENU_ABOUT_MUI = 4,
    MSG_MENU_EXIT = 5,
    MSG_MENU_PREFS = 6,
    MSG_MENU_MUI_PREFS = 7,
    MSG_MODE_WINDOW = 8,
    MSG_MODE_FULLSCREEN_AUTO = 9,
    MSG_STYLE_NORMAL = 10,
    MSG_STYLE_BORDERLESS = 11,
    MSG_STYLE_BORDERLESS_FIXED = 12,
    MSG_REQ_TITLE = 13,
    MSG_REQ_OK = 14,
    MSG_ERR_OPEN_LIBRARY = 15,
    MSG_ERR_CREATE_APP = 16,
    MSG_ERR_OPEN_FILE = 17,
    MSG_WINDOW_TITLE = 18,
    MSG_GROUP_DISPLAY = 19,
    MSG_LABEL_DISPLAY_MODE = 20,
    MSG_LABEL_SCREEN_MODE = 21,
    MSG_LABEL_WINDOW_STYLE = 22,
    MSG_GROUP_SOUND = 23,
    MSG_LABEL_ENABLE_SOUND = 24,
    MSG_LABEL_MASTER_VOLUME = 25,
    MSG_GROUP_GENERAL = 26,
    MSG_LABEL_LIMIT_FPS = 27,
    MSG_LABEL_FPS = 28,
    MSG_BUTTON_SAVE = 29,
    MSG_BUTTON_ABOUT = 30,
    MSG_BUTTON_HELP = 31,
    MSG_BUTTON_CANCEL = 32,
    MSG_ABOUT_TEXT = 33,
    MSG_ERR_NO_HELP = 34,
    MSG_APP_DESCRIPTION = 35,
    MSG_DEFAULT_APP_NAME = 36,
    MSG_MODE_FULLSCREEN_MANUAL = 37,
    MSG_ERR_WRITE_ICONS = 38,
};

struct StringEntry {
    std::int32_t id;
    const char *text;
};

constexpr int STRING_COUNT = 39;
extern const StringEntry builtInStrings[STRING_COUNT];

// Catalog state, opened and closed by the start-up and shutdown routines;
// null while not open.
struct Locale;
struct Catalog;
extern Locale *localeHandle;
extern Catalog *catalogHandle;

// The text for id: the catalog's where it has one of the form the id needs,
// else the built-in one, else null. Menu item texts (ids 1-5, 7) are two-part:
// shortcut character, zero byte, label. Format texts (ids 15, 17, 18, 33, 38)
// hold exactly one "%s".
const char *GetString(std::int32_t id);

// Whether text (length bytes, zero bytes included) may stand for id's built-in text.
bool CatalogTextFits(std::int32_t id, const char *text, std::size_t length);
