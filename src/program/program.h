// What both programs share of their frame: the name messages give, and the exit
// values.
#pragma once

// Exit values of the command line.
constexpr int EXIT_ICON_FAILED = 1;  // an icon that exists did not take the settings
constexpr int EXIT_USAGE = 2;        // a bad argument, word or drawer: nothing written

// The program's name for messages: the last part of the name it was started by
// ("Settings" until told).
const char *ProgramName();
void SetProgramName(const char *startedAs);
