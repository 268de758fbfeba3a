#include "window/program_reset.h"

#include "gui/help_viewer.h"
#include "gui/menu.h"
#include "gui/project_commands.h"
#include "gui/window_handles.h"
#include "platform/qt/file_watch.h"
#include "settings/app_settings.h"
#include "settings/tool_config.h"
#include "window/libraries_setup.h"

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
