// The program's arguments: the drawer to run in (a folder, or a drawer inside a
// disk image), --help and --version, the modes without a window (--show, --save,
// --dry-run, --list-modes, --list-drawers, --json), and Qt's own options, which
// are kept for the window's Qt application.
#pragma once

#include <string>
#include <vector>

enum class RunMode { Window, Show, Save, ListModes, ListDrawers, Done };

struct CommandLine {
    RunMode mode = RunMode::Window;
    int exitValue = 0;               // RunMode::Done: after --help, --version or a usage error
    std::string drawer;              // empty: the current folder; --list-drawers: the image
    std::string image;               // the window: a disk image named alone, whose drawer it asks for
    std::vector<std::string> words;  // the settings words of --save
    bool dryRun = false;
    bool json = false;                // --show, --list-modes and --list-drawers: JSON for programs
    std::vector<char *> qtArguments;  // the program's name, Qt's options, then a null
};

// Parses the arguments; needs no display. --help, --version and usage errors are
// printed here and give RunMode::Done.
CommandLine ParseCommandLine(int argc, char **argv);

// Whether the arguments ask for the window: no option of the program's own
// before "--" (Qt's options and a drawer only; anything else, a bad option
// among them, is for the command line). Reads argv alone.
bool WindowWanted(int argc, char **argv);

// Makes the drawer (a folder, or the path of its Settings.info) the current folder,
// or a drawer inside a disk image (image_drawer.h) the icon store's drawer. False,
// with a message on standard error, when it is none of them.
bool EnterDrawer(const std::string &drawer);

// Runs the window for the parsed arguments; returns the exit value.
using WindowRunner = int (*)(int argc, char **argv, const CommandLine &line);

// The whole program: parses the arguments, then runs a mode without a window, or
// the window through runWindow; the catalog is open from the start to the end.
// Returns the exit value.
int RunCommandLine(int argc, char **argv, WindowRunner runWindow);

// The end of a run: the catalog closed and every library released (those the
// window released already are not released again).
void EndRun();
