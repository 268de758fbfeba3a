// Opening and releasing the platform's services, and the fatal start-up report.
#pragma once

#include "state/program_state.h"

// 0 when every library and interface is open; 1 at the first that cannot be
// opened, with its name left in scratchBuffer.
int OpenLibraries();

// Disposes of the application object, closes catalog and locale, reports a
// start-up failure (codes 1 and 2), releases the libraries.
void Shutdown(int code);

// A modal error requester; the body is format filled with arg (or format alone).
int ShowError(const char *format, const char *arg);

// Every handle back to null (for tests).
void ResetLibraryState();
