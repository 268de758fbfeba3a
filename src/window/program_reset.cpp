#include "app/program_reset.h"

#include "app/libraries_setup.h"
#include "gui/drawer_commands.h"
#include "gui/help_viewer.h"
#include "gui/menu.h"
#include "gui/window_handles.h"
#include "platform/file_watch.h"
#include "settings/app_settings.h"
#include "settings/tool_config.h"

void ResetProgramState()
{
    ResetSharedState();
    ResetWindowHandles();
    drawerToOpen.clear();
    StopWatching();
    ResetAppSettings();
    ResetToolConfig();
    ResetMenuTable();
    ResetLibraryState();
}
