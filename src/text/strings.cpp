#include "text/strings.h"

#include <cstring>

#include "app/libraries_setup.h"
#include "platform/locale.h"

Locale *localeHandle = nullptr;
Catalog *catalogHandle = nullptr;

const StringEntry builtInStrings[STRING_COUNT] = {
    {MSG_MENU_PROJECT, "Project"},
    {MSG_MENU_SAVE, "S\0Save prefs"},
    {MSG_MENU_HELP, "H\0Help"},
    {MSG_MENU_ABOUT, "A\0About"},
    {MSG_MENU_ABOUT_MUI, "M\0About MUI"},
    {MSG_MENU_EXIT, "E\0Exit"},
    {MSG_MENU_PREFS, "Prefs"},
    {MSG_MENU_MUI_PREFS, "X\0MUI..."},
    {MSG_MODE_WINDOW, "Window on Workbench"},
    {MSG_MODE_FULLSCREEN_AUTO, "Full screen (auto mode select)"},
    {MSG_STYLE_NORMAL, "Normal"},
    {MSG_STYLE_BORDERLESS, "Borderless"},
    {MSG_STYLE_BORDERLESS_FIXED, "Borderless & fixed"},
    {MSG_REQ_TITLE, "Vellumine settings"},
    {MSG_REQ_OK, "OK"},
    {MSG_ERR_OPEN_LIBRARY, "Cannot open library %s !"},
    {MSG_ERR_CREATE_APP, "Error creating application!"},
    {MSG_ERR_OPEN_FILE, "Cannot open file %s!"},
    {MSG_WINDOW_TITLE, "%s Settings"},
    {MSG_GROUP_DISPLAY, "Display settings"},
    {MSG_LABEL_DISPLAY_MODE, "Display mode"},
    {MSG_LABEL_SCREEN_MODE, "Screen mode"},
    {MSG_LABEL_WINDOW_STYLE, "Window style"},
    {MSG_GROUP_SOUND, "Sound settings"},
    {MSG_LABEL_ENABLE_SOUND, "Enable sound output?"},
    {MSG_LABEL_MASTER_VOLUME, "Master volume"},
    {MSG_GROUP_GENERAL, "General settings"},
    {MSG_LABEL_LIMIT_FPS, "Limit frames per second? (FPS)"},
    {MSG_LABEL_FPS, "FPS"},
    {MSG_BUTTON_SAVE, "Save"},
    {MSG_BUTTON_ABOUT, "About"},
    {MSG_BUTTON_HELP, "Help"},
    {MSG_BUTTON_CANCEL, "Cancel"},
    {MSG_ABOUT_TEXT,
     "%s\n"
     "was made with the Vellumine multimedia layer.\n"
     "More on Vellumine is in the documentation\n"
     "that comes in the application's drawer."},
    {MSG_ERR_NO_HELP, "Help is not available!"},
    {MSG_APP_DESCRIPTION, "Settings for Vellumine applications"},
    {MSG_DEFAULT_APP_NAME, "Application"},
    {MSG_MODE_FULLSCREEN_MANUAL, "Full screen (manual mode select)"},
    {MSG_ERR_WRITE_ICONS, "Cannot save the settings into %s!"},
};

namespace {

bool IsMenuItemId(std::int32_t id)
{
    switch (id) {
    case MSG_MENU_SAVE:
    case MSG_MENU_HELP:
    case MSG_MENU_ABOUT:
    case MSG_MENU_ABOUT_MUI:
    case MSG_MENU_EXIT:
    case MSG_MENU_MUI_PREFS:
        return true;
    default:
        return false;
    }
}

// How many "%s" a format text must hold, or -1 when the text is not used as a
// format. Id 34 is shown as a requester format without arguments.
int RequiredStringConversions(std::int32_t id)
{
    switch (id) {
    case MSG_ERR_OPEN_LIBRARY:
    case MSG_ERR_OPEN_FILE:
    case MSG_WINDOW_TITLE:
    case MSG_ABOUT_TEXT:
    case MSG_ERR_WRITE_ICONS:
        return 1;
    case MSG_ERR_NO_HELP:
        return 0;
    default:
        return -1;
    }
}

// True when the format, up to its first zero byte, holds exactly `wanted`
// plain "%s" conversions and no other ("%%" is a literal).
bool HasStringConversions(const char *text, std::size_t length, int wanted)
{
    int found = 0;
    for (std::size_t i = 0; i < length && text[i] != '\0'; ++i) {
        if (text[i] != '%') {
            continue;
        }
        char next = i + 1 < length ? text[i + 1] : '\0';
        if (next == '%') {
            ++i;
        } else if (next == 's') {
            ++found;
            ++i;
        } else {
            return false;
        }
    }
    return found == wanted;
}

}  // namespace

bool CatalogTextFits(std::int32_t id, const char *text, std::size_t length)
{
    if (text == nullptr) {
        return false;
    }
    if (IsMenuItemId(id)) {
        return length >= 3 && text[0] != '\0' && text[1] == '\0' && text[2] != '\0';
    }
    int wanted = RequiredStringConversions(id);
    return wanted < 0 || HasStringConversions(text, length, wanted);
}

const char *GetString(std::int32_t id)
{
    const char *builtIn = nullptr;
    for (int i = 0; i < STRING_COUNT; ++i) {
        if (builtInStrings[i].id == id) {
            builtIn = builtInStrings[i].text;
            break;
        }
    }
    if (LocaleBase == nullptr || ILocale == nullptr) {
        return builtIn;
    }
    const char *text = GetCatalogStr(catalogHandle, id, builtIn);
    // An empty catalog text is an untranslated one.
    std::size_t length = GetCatalogStrLength(catalogHandle, id);
    if (text != builtIn && (length == 0 || !CatalogTextFits(id, text, length))) {
        return builtIn;
    }
    return text;
}
