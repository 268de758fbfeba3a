#include "settings/app_settings.h"

#include "settings/tooltypes.h"

Settings AppSettings = DEFAULT_SETTINGS;

void ResetAppSettings()
{
    AppSettings = DEFAULT_SETTINGS;
}
