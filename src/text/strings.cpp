#include "text/strings.h"

#include <cstring>
#include <string_view>

#include "platform/formats/charset.h"
#include "platform/system/locale.h"
#include "state/program_state.h"

Locale *localeHandle = nullptr;
Catalog *catalogHandle = nullptr;

namespace {

// A catalog text longer than this, or than kCatalogTextMaxGrowth times its built-in
// text, is no translation of it: laying it out would hold the window up for seconds.
constexpr std::size_t kCatalogTextMaxLength = 4096;
constexpr std::size_t kCatalogTextMaxGrowth = 16;

bool IsMenuItemId(std::int32_t id)
{
    switch (id) {
    case MSG_MENU_SAVE:
    case MSG_MENU_HELP:
    case MSG_MENU_ABOUT:
    case MSG_MENU_ABOUT_MUI:
    case MSG_MENU_EXIT:
    case MSG_MENU_MUI_PREFS:
    case MSG_MENU_RESET_DEFAULTS:
    case MSG_MENU_LAST_SAVED:
    case MSG_MENU_RESTORE:
    case MSG_MENU_ICONS:
    case MSG_MENU_OPEN:
    case MSG_MENU_OPEN_RECENT:
        return true;
    default:
        return false;
    }
}

// How many "%s" a format text must hold, or -1 when the text is not used as a
// format ("Help is not available!" is shown as the argument of "%s").
int RequiredStringConversions(std::int32_t id)
{
    switch (id) {
    case MSG_ERR_OPEN_LIBRARY:
    case MSG_ERR_OPEN_FILE:
    case MSG_WINDOW_TITLE:
    case MSG_ABOUT_TEXT:
    case MSG_ERR_WRITE_ICONS:
    case MSG_ERR_READ_ICON:
    case MSG_ICONS_NOT_WRITABLE:
    case MSG_CLI_TRY_HELP:
    case MSG_CLI_ARGUMENT_WORDS:
    case MSG_CLI_WORD_WITHOUT_SAVE:
    case MSG_CLI_NOT_A_WORD:
    case MSG_CLI_SOUND_HIDDEN:
    case MSG_NAME_TOO_LONG:
    case MSG_ERR_VIEWER:
    case MSG_SAVE_UNLOCKED:
    case MSG_SAVE_LEFT_ALONE:
    case MSG_SAVE_REMOVABLE:
    case MSG_ERR_DISPLAY_NOT_SET:
    case MSG_ERR_DISPLAY_CANNOT_OPEN:
    case MSG_CLI_QT_USAGE:
    case MSG_ABOUT_VERSION:
    case MSG_DRAWER_WITHOUT_TOOL_ICON:
    case MSG_CLI_UNKNOWN_OPTION:
    case MSG_CLI_UNEXPECTED_VALUE:
    case MSG_NAME_OUTSIDE_DRAWER:
    case MSG_SAVE_LOCK_WAIT:
    case MSG_SAVE_LOCK_UNUSABLE:
    case MSG_ICON_IN_USE:
    case MSG_IMAGE_UNREADABLE:
    case MSG_IMAGE_NAME_PARTITION:
    case MSG_IMAGE_NO_PARTITION:
    case MSG_IMAGE_NO_DRAWER:
    case MSG_IMAGE_HOLDS_SEVERAL:
    case MSG_IMAGE_HOLDS_NO_DRAWER:
    case MSG_CLI_DISPLAY_UNREACHABLE:
        return 1;
    case MSG_CLI_OUT_OF_RANGE:
    case MSG_CLI_SAME_SETTING:
    case MSG_CLI_NO_WINDOW_PROGRAM:
    case MSG_SAVE_RESTORABLE:
    case MSG_ERR_OPEN_HELP:
        return 2;
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

// The whole length of a built-in text: a menu item's shortcut, its zero byte and
// its label.
std::size_t BuiltInLength(std::int32_t id, const char *text)
{
    const std::size_t length = std::strlen(text);
    return IsMenuItemId(id) ? length + 1 + std::strlen(text + length + 1) : length;
}

}  // namespace

bool CatalogTextFits(std::int32_t id, const char *text, std::size_t length)
{
    if (text == nullptr || length > kCatalogTextMaxLength) {
        return false;
    }
    if (IsMenuItemId(id)) {
        // One character (UTF-8), a zero byte, a label.
        const std::size_t key = Utf8CharLength(std::string_view(text, length));
        return key > 0 && text[0] != '\0' && key + 2 <= length && text[key] == '\0' && text[key + 1] != '\0';
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
    const char *text = CatalogTextOr(catalogHandle, id, builtInStrings);
    const std::size_t length = GetCatalogStrLength(catalogHandle, id);
    const bool sane = builtIn == nullptr || length <= kCatalogTextMaxGrowth * (BuiltInLength(id, builtIn) + 1);
    return length != 0 && sane && CatalogTextFits(id, text, length) ? text : builtIn;
}

std::string DefaultAppName()
{
    const char *name = GetString(MSG_DEFAULT_APP_NAME);
    const std::string latin1 = Utf8ToLatin1(name);
    if (Latin1ToUtf8(latin1) == name) {
        return latin1;
    }
    return CatalogTextOr(nullptr, MSG_DEFAULT_APP_NAME, builtInStrings);
}
