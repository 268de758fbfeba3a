// The window's texts that the command line reports as well.
#pragma once

#include <string>

// The application's name as the window shows it (UTF-8): appName, or the
// default name in the user's language where the tool's icon names none (an
// icon's name, appName holds it in English when it has no ISO-8859-1 form).
std::string ShownAppName();

// Formats windowTitle from the shown name and fills displayModeLabels.
void FormatWindowTexts();
