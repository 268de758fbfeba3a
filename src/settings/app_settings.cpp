#include "settings/app_settings.h"

namespace {
constexpr Settings defaultSettings = {0, 0, 0, 0, 0, 40, 1};
}

Settings AppSettings = defaultSettings;

void ResetAppSettings()
{
    AppSettings = defaultSettings;
}
