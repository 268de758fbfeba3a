// The user's words for why an icon, a file or a folder cannot be read or written.
#pragma once

#include <string>

#include "platform/icons/icon_store.h"

// The catalog's text for problem ("is a folder", ...), to follow an icon's name;
// an empty text for IconProblem::None. An unreadable icon with the system's error
// number says what the system said (error 0: none known).
const char *IconProblemText(IconProblem problem, int error = 0);

// The catalog's text for a system error number (no such file, permission denied,
// not a folder, is a folder, read-only file system, no space left, input/output error, and
// EWOULDBLOCK: a lock another program holds); the C library's text for the others.
const char *SystemErrorText(int error);

// One line telling what a save met beside its icons (UTF-8, without the program's
// name): "FILE: the next save removes it", ...; its paths as PathLineText gives them.
std::string IconSaveNoteText(const IconSaveNote &note);
