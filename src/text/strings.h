// Every user-visible text by string id: the built-in English table, or the
// catalog's text where the open catalog has one.
#pragma once

#include <cstddef>
#include <cstdint>

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
// else the built-in one, else null. Menu item texts (MSG_MENU_SAVE to
// MSG_MENU_EXIT, MSG_MENU_MUI_PREFS, the Edit items, MSG_MENU_ICONS) are
// two-part: shortcut character, zero byte, label. Format texts
// (MSG_ERR_OPEN_LIBRARY, MSG_ERR_OPEN_FILE, MSG_WINDOW_TITLE, MSG_ABOUT_TEXT,
// MSG_ERR_WRITE_ICONS, MSG_ERR_READ_ICON, MSG_ICONS_NOT_WRITABLE) hold exactly
// one "%s".
const char *GetString(std::int32_t id);

// Whether text (length bytes, zero bytes included) may stand for id's built-in text.
bool CatalogTextFits(std::int32_t id, const char *text, std::size_t length);
