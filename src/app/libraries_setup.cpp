#include "app/libraries_setup.h"

int failureCode = 0;

int OpenLibraries() { return 0; }
void Shutdown(int) {}
int ShowError(const char *, const char *) { return 0; }
void ResetLibraryState() { failureCode = 0; }
