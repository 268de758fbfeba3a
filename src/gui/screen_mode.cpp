#include "gui/screen_mode.h"

void ShowScreenModeName() {}
int ChooseScreenMode() { return 0; }
