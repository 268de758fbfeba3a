#include "support/corpus_folders.h"

#include <cstdlib>

std::vector<std::string> FoldersFromEnvironment(const char *name)
{
    std::vector<std::string> folders;
    const char *value = std::getenv(name);
    if (value == nullptr) {
        return folders;
    }
    std::string list = value;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(':', start);
        if (end == std::string::npos) {
            end = list.size();
        }
        if (end > start) {
            folders.push_back(list.substr(start, end - start));
        }
        start = end + 1;
    }
    return folders;
}
