// The window's display: the Qt application that intuition.library connects to,
// and its screens as the display database's host screens.
#pragma once

#include <string>

// The arguments the Qt application gets when intuition.library connects to the
// display (the program's name first, then Qt's own options such as -style; a
// -platform there counts as QT_QPA_PLATFORM). Both must live for the whole run.
void SetDisplayArguments(int argc, char **argv);

// Makes intuition.library connect to the display through a Qt application
// (created unless one exists; the display is checked first, so that Qt never
// ends the process) and the display database ask Qt for the screens.
void UseQtDisplay();

// Why the last connection to the display failed: a variable it needs is not set
// (name: the variable), or the display it names cannot be opened (name: the display).
struct DisplayFault {
    enum Kind { None, NotSet, CannotOpen } kind = None;
    std::string name;
};
DisplayFault LastDisplayFault();
