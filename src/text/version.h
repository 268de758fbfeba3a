// The program's version string.
#pragma once

// "$VER: name version (date)", kept as plain text in the program.
inline constexpr char versionString[] = "$VER: Vellumine Application Settings 1.3 (13.03.05)";
