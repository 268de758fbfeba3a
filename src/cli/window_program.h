// The window is a program of its own, so that the command line loads neither Qt's
// Gui nor its Widgets: beside this one in a build tree (SettingsWindow), else
// where it is installed.
#pragma once

// Replaces this process by the window's program with the same arguments (argv[0]
// kept, so messages and the process's name stay this program's). Returns only
// when it cannot, with the reason on standard error: 1.
int ExecWindowProgram(char **argv);
