// The user's words for why an icon cannot be read or written.
#pragma once

#include "platform/icons/icon_store.h"

// The catalog's text for problem ("is a folder", ...), to follow an icon's name;
// an empty text for IconProblem::None.
const char *IconProblemText(IconProblem problem);
