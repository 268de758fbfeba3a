#include "app/program_reset.h"

#include "app/libraries_setup.h"
#include "gui/help_viewer.h"
#include "settings/app_settings.h"
#include "settings/tool_config.h"
#include "text/menu.h"

void ResetProgramState()
{
    ResetSharedState();
    helpDoneId = 0;
    ResetAppSettings();
    ResetToolConfig();
    ResetMenuTable();
    ResetLibraryState();
}
