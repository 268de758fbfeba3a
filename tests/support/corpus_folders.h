// The corpus folders named in an environment variable.
#pragma once

#include <string>
#include <vector>

// The non-empty entries of the colon-separated list in the variable name; none when unset.
std::vector<std::string> FoldersFromEnvironment(const char *name);
