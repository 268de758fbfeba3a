#include "text/strings.h"

// Stand-in table until the texts are in place.
const StringEntry builtInStrings[STRING_COUNT] = {};

const char *GetString(std::int32_t id)
{
    if (id == MSG_WINDOW_TITLE) {
        return "%s Settings";
    }
    if (id == MSG_DEFAULT_APP_NAME) {
        return "Application";
    }
    return "";
}
