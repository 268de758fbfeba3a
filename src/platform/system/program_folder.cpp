#include "platform/system/program_folder.h"

#include <unistd.h>

#include <climits>
#include <filesystem>

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
    std::string normal = std::filesystem::path(path).lexically_normal().string();
    if (normal.size() > 1 && normal.back() == '/') {
        normal.pop_back();
    }
    return normal;
}
