#include "app/program_state.h"

#include <cstring>

#include "app/libraries_setup.h"
#include "gui/help_viewer.h"
#include "gui/window_layout.h"
#include "settings/app_settings.h"
#include "settings/tool_config.h"
#include "text/menu.h"

char scratchBuffer[SCRATCH_BUFFER_SIZE];
Screen *startScreen = nullptr;
char windowTitle[WINDOW_TITLE_SIZE];
const char *displayModeLabels[4];

void ResetProgramState()
{
    std::memset(scratchBuffer, 0, sizeof scratchBuffer);
    startScreen = nullptr;
    std::memset(windowTitle, 0, sizeof windowTitle);
    std::memset(displayModeLabels, 0, sizeof displayModeLabels);
    helpDoneId = 0;
    ResetAppSettings();
    ResetToolConfig();
    ResetMenuTable();
    ResetWindowHandles();
    ResetLibraryState();
}
