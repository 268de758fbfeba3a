// --show --json: what a window would load and each icon Save would write, as one
// JSON object for programs.
#pragma once

#include <cstdio>

// Loads as the window does and prints the object (UTF-8). Returns 0.
int ShowSettingsJson(std::FILE *out);
