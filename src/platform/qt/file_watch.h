// Watching files for changes other programs make.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Object;

// Watches the files and folders given (those that exist): once a change to any of
// them has settled, the application returns returnId. Replaces what was watched.
void WatchPaths(Object *app, const std::vector<std::string> &paths, std::int32_t returnId);
// Watches nothing; no return id comes after it.
void StopWatching();
