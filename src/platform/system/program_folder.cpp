#include "platform/system/program_folder.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <vector>

#ifndef SETTINGS_WINDOW_FOLDER
#define SETTINGS_WINDOW_FOLDER "libexec/vellumine-settings"
#endif
#ifndef SETTINGS_BIN_FROM_WINDOW
#define SETTINGS_BIN_FROM_WINDOW "../../bin"
#endif

std::string ProgramFolder()
{
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return std::string();
    }
    std::string exe(path, static_cast<std::size_t>(length));
    std::size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string() : exe.substr(0, slash);
}

std::string ProgramsFolder()
{
    std::string folder = ProgramFolder();
    const std::string window = std::string("/") + SETTINGS_WINDOW_FOLDER;
    if (folder.size() > window.size() && folder.compare(folder.size() - window.size(), window.size(), window) == 0) {
        // The folder is the kernel's, without links: ".." may be taken away by name.
        return NormalPath(folder + "/" + SETTINGS_BIN_FROM_WINDOW);
    }
    return folder;
}

std::string NormalPath(std::string_view path)
{
    const bool absolute = !path.empty() && path[0] == '/';
    std::vector<std::string_view> parts;
    for (std::size_t start = 0; start <= path.size();) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::string_view part = path.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..") {
                parts.pop_back();
            } else if (!absolute) {
                parts.push_back(part);  // above the folder it starts in
            }
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string normal = absolute ? "/" : "";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        normal.append(i > 0 ? "/" : "").append(parts[i]);
    }
    return normal.empty() && !path.empty() ? "." : normal;
}
