// --list-modes: the display database as the screen mode requester lists it.
#pragma once

#include <cstdio>

// Prints each mode the requester lists, one line each (its id in hexadecimal and
// decimal, its name, its size and the depths it offers), or with json one JSON
// array of objects. Returns 0.
int ListModes(std::FILE *out, bool json);
