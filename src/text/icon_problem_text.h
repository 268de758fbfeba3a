// The user's words for why an icon cannot be read or written.
#pragma once

#include <string>

#include "platform/icons/icon_store.h"

// The catalog's text for problem ("is a folder", ...), to follow an icon's name;
// an empty text for IconProblem::None.
const char *IconProblemText(IconProblem problem);

// One line telling what a save met beside its icons (UTF-8, without the program's
// name): "FILE: the next save removes it", ...
std::string IconSaveNoteText(const IconSaveNote &note);
