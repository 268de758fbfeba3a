// The menu strip definition and its localisation.
#pragma once

#include "platform/toolkit/toolkit.h"

constexpr int MENU_TABLE_SIZE = 27;
extern NewMenu menuTable[MENU_TABLE_SIZE];

// Replaces the string ids of menuTable by their texts and shortcut keys. Once per run.
void LocalizeMenus();

// menuTable back to its string ids (for tests).
void ResetMenuTable();
