#include "cli/window_program.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/system/program_folder.h"
#include "program/program.h"
#include "program/services.h"
#include "text/strings.h"

#ifndef SETTINGS_WINDOW_RELATIVE
#define SETTINGS_WINDOW_RELATIVE "../libexec/vellumine-settings/vellumine-settings-window"
#endif

namespace {

// The window's program: beside this program, else in the installation this
// program runs from. False when neither is there (buffer then holds the
// installed one's path).
bool FindWindowProgram(char *buffer, std::size_t size)
{
    std::snprintf(buffer, size, "%s", SETTINGS_WINDOW_RELATIVE);
    char self[PATH_MAX];
    ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        return false;
    }
    self[length] = '\0';
    char *slash = std::strrchr(self, '/');
    if (slash == nullptr) {
        return false;
    }
    *slash = '\0';
    // Its name in the build tree, then its place in the installation.
    for (const char *name : {"SettingsWindow", SETTINGS_WINDOW_RELATIVE}) {
        const std::string path = NormalPath(std::string(self) + "/" + name);
        int written = std::snprintf(buffer, size, "%s", path.c_str());
        if (written > 0 && static_cast<std::size_t>(written) < size && ::access(buffer, X_OK) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

int ExecWindowProgram(char **argv)
{
    char program[PATH_MAX];
    int error = ENOENT;
    if (FindWindowProgram(program, sizeof program)) {
        ::execv(program, argv);
        error = errno;
    }
    if (argv[0] != nullptr) {
        SetProgramName(argv[0]);
    }
    OpenMessageCatalog();  // when the arguments were not read: the caller ends the run
    std::fprintf(stderr, "%s: %s\n", ProgramName(),
                 FormatText(MSG_CLI_NO_WINDOW_PROGRAM, program, std::strerror(error)).c_str());
    return 1;
}
