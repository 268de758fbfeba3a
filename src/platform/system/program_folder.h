// Where the running program lives, to find its catalogs and its fellow programs.
#pragma once

#include <string>

// The folder of the running program (/proc/self/exe); empty when unknown.
std::string ProgramFolder();

// The folder of the installation's programs: the program's own folder, or for
// the window's program (installed one folder deeper, in libexec/vellumine-settings)
// the programs' folder beside which it was installed.
std::string ProgramsFolder();
