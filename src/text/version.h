// The program's version string and copyright line.
#pragma once

#include <string_view>

// "$VER: name version (date)", kept as plain text in the program.
inline constexpr char versionString[] = "$VER: Vellumine Application Settings 1.3 (13.03.05)";
inline constexpr char programCopyright[] = "Copyright (C) 2026 The Settings developers";

// The version number of versionString ("1.3").
constexpr std::string_view VersionNumber()
{
    std::string_view text = versionString;
    text = text.substr(0, text.rfind(" ("));
    return text.substr(text.rfind(' ') + 1);  // npos + 1 is 0
}
