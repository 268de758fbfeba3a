#include "program/window_texts.h"

#include <cstdio>

#include "platform/formats/charset.h"
#include "settings/tool_config.h"
#include "state/program_state.h"
#include "text/strings.h"

void FormatWindowTexts()
{
    // The name comes from an icon (ISO-8859-1); the texts are UTF-8.
    std::snprintf(windowTitle, sizeof windowTitle, "%s",
                  FormatText(MSG_WINDOW_TITLE, Latin1ToUtf8(ToolConfig.appName).c_str()).c_str());
    displayModeLabels[0] = GetString(MSG_MODE_WINDOW);
    displayModeLabels[1] = GetString(MSG_MODE_FULLSCREEN_AUTO);
    displayModeLabels[2] = GetString(MSG_MODE_FULLSCREEN_MANUAL);
    displayModeLabels[3] = nullptr;
}
