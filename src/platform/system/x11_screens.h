// The host's screens as the X server reports them, for the command line, which
// has no Qt application to ask.
#pragma once

#include <dlfcn.h>

#include <functional>
#include <vector>

#include "platform/system/display.h"

// The screens Qt's X11 platform would make of DISPLAY: each active monitor of
// RandR (the primary first), else the root window; its depth the root's. Read
// once and remembered. False when DISPLAY is not set, cannot be opened or does
// not answer in time, or the program's Qt platform is another (QT_QPA_PLATFORM
// other than xcb).
bool X11HostScreens(std::vector<HostScreen> &screens);

// How long an X server is given to answer: one that takes the connection and
// never answers must not hold a program up.
constexpr int X11_ANSWER_SECONDS = 5;

// Runs talk (with the X server) on a thread of its own and waits for it at most
// X11_ANSWER_SECONDS. False when it has not ended by then: it is left to its
// thread, which the process's end stops, so that it may only write to what it
// holds itself (shared pointers).
bool AnswersInTime(std::function<void()> talk);

// Screens read once by read, within AnswersInTime's limit, and kept: later calls
// give what the first found.
struct ScreensRead {
    bool done = false;
    bool found = false;
    std::vector<HostScreen> known;
};
bool ReadScreensInTime(ScreensRead &once, bool (*read)(std::vector<HostScreen> &), std::vector<HostScreen> &screens);

// Sets symbol to the function or object name of a library dlopen gave (null
// when there is no library); false when it is missing.
template <typename Symbol> bool Resolve(void *library, const char *name, Symbol &symbol)
{
    symbol = library != nullptr ? reinterpret_cast<Symbol>(dlsym(library, name)) : nullptr;
    return symbol != nullptr;
}
