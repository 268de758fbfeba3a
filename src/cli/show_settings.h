// --show and --show --json: what a window would load and each icon Save would
// write, as key=value lines or as one JSON object, both from the icons' survey.
#pragma once

#include <cstdio>
#include <string>

#include <nlohmann/json_fwd.hpp>

#include "platform/icons/icon_store.h"
#include "settings/tool_config.h"

// Stable words for scripts, whatever the user's language: an icon's role, its
// image format, why it cannot be read or written (null for IconProblem::None), and
// the display mode.
const char *RoleWord(IconRole role);
const char *KindWord(IconImageFormat kind);
const char *ReasonWord(IconProblem problem, int error);
const char *DisplayModeWord(int displayMode);

// JSON as the command line prints it: indented by four spaces, keys in order,
// UTF-8 (a stray byte becomes U+FFFD), ending in a newline.
std::string JsonText(const nlohmann::json &value);

// Loads as the window does and prints the lines or the object (UTF-8). Returns 0,
// EXIT_ICON_FAILED when the tool's or the application's icon exists but cannot be
// read (named on standard error, and in the output), or EXIT_USAGE, printing
// nothing, when the drawer has no Settings.info.
int ShowSettingsText(std::FILE *out);
int ShowSettingsJson(std::FILE *out);
