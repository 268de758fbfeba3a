#include "platform/icon_store.h"

// Stand-in until the .info reader and writer are in place.
DiskObject *GetDiskObject(const char *) { return nullptr; }
char *FindToolType(char **, const char *) { return nullptr; }
bool PutDiskObject(const char *, DiskObject *) { return false; }
void FreeDiskObject(DiskObject *) {}
