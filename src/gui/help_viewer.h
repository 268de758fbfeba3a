// The Help command: the help document in the viewer, run by the help process.
#pragma once

#include <cstdint>

extern std::int32_t helpDoneId;

// ID_HELP.
void HelpCommand();

// ID_HELP_DONE: wakes the window.
void HelpDoneCommand();
