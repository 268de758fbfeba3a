#include "settings/app_settings.h"

#include "settings/settings_schema.h"

Settings AppSettings = DEFAULT_SETTINGS;

void ResetAppSettings()
{
    AppSettings = DEFAULT_SETTINGS;
}
