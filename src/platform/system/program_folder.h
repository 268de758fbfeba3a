// Where the running program lives, to find its catalogs and its fellow programs.
#pragma once

#include <string>
#include <string_view>

// The folder of the running program (/proc/self/exe); empty when unknown.
std::string ProgramFolder();

// The folder of the installation's programs: the program's own folder, or for
// the window's program (installed one folder deeper, in libexec/vellumine-settings)
// the programs' folder beside which it was installed.
std::string ProgramsFolder();

// path without empty and "." components, each "name/.." taken away by name (links
// are not followed: a path the program makes from a folder the kernel gave), and
// without a trailing slash; "/" stays, and an empty path stays empty.
std::string NormalPath(std::string_view path);
