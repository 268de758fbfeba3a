// The window's texts that the command line reports as well.
#pragma once

// Formats windowTitle from appName and fills displayModeLabels.
void FormatWindowTexts();
