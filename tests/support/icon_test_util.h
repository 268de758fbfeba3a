// Helpers for tests that handle icons through the store.
#pragma once

#include <string>
#include <vector>

struct DiskObject;
struct IconSpec;

// Writes the icon made from spec to path.
void WriteIcon(const std::string &path, const IconSpec &spec);

// The texts of a null-terminated tooltype list.
std::vector<std::string> ToolTypesOf(char *const *toolTypes);

// Reads the icon of name, gives it the list texts, writes it back and frees it.
// Returns PutDiskObject's result; false too when there is no icon.
bool WriteToolTypes(const char *name, const std::vector<std::string> &texts);

// The tooltypes of name's icon, or {"(no icon)"} when it does not read.
std::vector<std::string> ReadToolTypes(const char *name);
