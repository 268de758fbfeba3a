// The Help command: the help document in the viewer, run by the help process.
#pragma once

#include <cstdint>

struct Process;

// ID_HELP.
void HelpCommand();

// ID_HELP_DONE: wakes the window.
void HelpDoneCommand();

// Starts the help process; null when it cannot be started.
Process *StartHelpViewer();

// The help process: runs the viewer on the help document, waits for it, then
// posts ID_HELP_DONE to the application.
void HelpViewerProcess();

// Makes a help process that is still running post nothing when its viewer
// ends. Call before the application object is disposed of.
void ReleaseHelpViewer();
