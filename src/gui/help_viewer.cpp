#include "gui/help_viewer.h"

std::int32_t helpDoneId = 0;

void HelpCommand() {}
void HelpDoneCommand() {}
