#include "text/menu.h"

NewMenu menuTable[MENU_TABLE_SIZE] = {};

void LocalizeMenus() {}
void ResetMenuTable() {}
