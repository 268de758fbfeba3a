// Every user-visible text by string id: the built-in English table, or the
// catalog's text where the open catalog has one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// The MSG_ ids and the built-in English table (builtInStrings), made at build
// time from catalogs/Settings.cd.
#include "text/settings_strings.h"

// Catalog state, opened and closed by the start-up and shutdown routines;
// null while not open.
struct Locale;
struct Catalog;
extern Locale *localeHandle;
extern Catalog *catalogHandle;

// The text for id: the catalog's where it has one of the form the id needs,
// else the built-in one, else null; UTF-8, valid while the catalog is open.
// Menu item texts (MSG_MENU_SAVE to MSG_MENU_EXIT, MSG_MENU_MUI_PREFS, the Edit
// items, MSG_MENU_ICONS) are two-part: shortcut character (one, of one or more
// bytes), zero byte, label. Format texts (MSG_ERR_OPEN_LIBRARY, MSG_ERR_OPEN_FILE,
// MSG_WINDOW_TITLE, MSG_ABOUT_TEXT, MSG_ERR_WRITE_ICONS, MSG_ERR_READ_ICON,
// MSG_ICONS_NOT_WRITABLE and the command line's MSG_CLI_TRY_HELP,
// MSG_CLI_ARGUMENT_WORDS, MSG_CLI_WORD_WITHOUT_SAVE, MSG_CLI_NOT_A_WORD,
// MSG_CLI_SOUND_HIDDEN, MSG_NAME_TOO_LONG, MSG_ERR_VIEWER, MSG_SAVE_UNLOCKED,
// MSG_SAVE_LEFT_ALONE, MSG_SAVE_REMOVABLE, MSG_CLI_UNKNOWN_OPTION,
// MSG_CLI_UNEXPECTED_VALUE, MSG_NAME_OUTSIDE_DRAWER, MSG_SAVE_LOCK_WAIT,
// MSG_SAVE_LOCK_UNUSABLE, MSG_ICON_IN_USE and the image's MSG_IMAGE_UNREADABLE,
// MSG_IMAGE_NAME_PARTITION, MSG_IMAGE_NO_PARTITION, MSG_IMAGE_NO_DRAWER) hold
// exactly one "%s"; MSG_CLI_OUT_OF_RANGE,
// MSG_CLI_SAME_SETTING, MSG_CLI_NO_WINDOW_PROGRAM and MSG_SAVE_RESTORABLE two. A
// catalog text over 4 KiB or 16 times its built-in text's length is refused.
const char *GetString(std::int32_t id);

// The format text for id with its arguments filled in (cut at 1 KiB).
template <typename... Args> std::string FormatText(std::int32_t id, Args... args)
{
    char text[1024];
    std::snprintf(text, sizeof text, GetString(id), args...);
    return text;
}

// The default application name as icons hold names (ISO-8859-1): the catalog's
// where each of its characters has a form there, else the built-in one.
std::string DefaultAppName();

// Whether text (length bytes, zero bytes included) may stand for id's built-in text.
bool CatalogTextFits(std::int32_t id, const char *text, std::size_t length);
