#include "settings/tool_config.h"

#include <cstring>

#include "app/program_state.h"
#include "platform/display.h"
#include "settings/app_settings.h"

ToolConfigRecord ToolConfig;

void LoadSettings()
{
    AppSettings.modeId = GetVPModeID(&startScreen->ViewPort);
    AppSettings.depth = static_cast<std::int32_t>(GetBitMapAttr(startScreen->RastPort.BitMap, BMA_DEPTH));
}

void ResetToolConfig()
{
    std::memset(&ToolConfig, 0, sizeof ToolConfig);
}
