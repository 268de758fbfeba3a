#include "gui/command_loop.h"

void InstallNotifications() {}
bool DispatchCommand(std::int32_t) { return false; }
void RunCommandLoop() {}
