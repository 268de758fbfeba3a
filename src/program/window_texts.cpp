#include "program/window_texts.h"

#include <cstdio>

#include "platform/formats/charset.h"
#include "settings/tool_config.h"
#include "state/program_state.h"
#include "text/strings.h"

std::string ShownAppName()
{
    // A configured name comes from an icon (ISO-8859-1); the texts are UTF-8.
    if (!ApplicationNamed() && DefaultAppName() == ToolConfig.appName) {
        return GetString(MSG_DEFAULT_APP_NAME);
    }
    return Latin1ToUtf8(ToolConfig.appName);
}

void FormatWindowTexts()
{
    std::snprintf(windowTitle, sizeof windowTitle, "%s", FormatText(MSG_WINDOW_TITLE, ShownAppName().c_str()).c_str());
    displayModeLabels[0] = GetString(MSG_MODE_WINDOW);
    displayModeLabels[1] = GetString(MSG_MODE_FULLSCREEN_AUTO);
    displayModeLabels[2] = GetString(MSG_MODE_FULLSCREEN_MANUAL);
    displayModeLabels[3] = nullptr;
}
