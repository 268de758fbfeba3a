// Menu strips made from NewMenu tables.
#pragma once

#include "platform/toolkit/object.h"

namespace toolkit {

// A menu bar with its menus and items; null when it cannot be made.
Object *NewMenustrip(const NewMenu *menu);

}  // namespace toolkit
