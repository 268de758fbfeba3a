#include "settings/settings_writer.h"

char failedIcons[FAILED_ICONS_SIZE];

int SaveSettings() { return 0; }
int WriteIconSettings(const char *) { return 0; }
void AddToolType(const char *) {}
