#include "settings/tool_config.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "platform/formats/charset.h"
#include "platform/icons/icon_store.h"
#include "settings/tooltypes.h"
#include "text/icon_problem_text.h"
#include "text/strings.h"

ToolConfigRecord ToolConfig;
LoadFailure loadFailure;
SettingsSource settingsFrom;

namespace {

const char *nameTooLong = nullptr;  // the key of the first name too long to be read
bool applicationNamed = false;

// Copies value into a field of the given size when it fits whole. A value too long
// for its field is never cut (a cut name would name another file): the field is
// left empty and, when the value names an icon, loadFailure names its key.
bool CopyWhole(char *field, std::size_t size, const char *value, const char *nameKey = nullptr)
{
    if (value == nullptr) {
        return false;
    }
    std::size_t length = std::strlen(value);
    if (length >= size) {
        field[0] = '\0';
        if (nameKey != nullptr && nameTooLong == nullptr) {
            nameTooLong = nameKey;
        }
        if (nameKey != nullptr && loadFailure.problem == IconProblem::None) {
            loadFailure = {TOOL_ICON_FILE, IconProblem::NotAnIcon, 0, nameKey};
        }
        return false;
    }
    std::memcpy(field, value, length + 1);
    return true;
}

}  // namespace

bool ReadToolIcon()
{
    nameTooLong = nullptr;
    applicationNamed = false;
    DiskObject *icon = GetDiskObject(TOOL_ICON);
    if (icon == nullptr) {
        if (IconReadProblem() != IconProblem::Absent) {
            loadFailure = ReadFailure(TOOL_ICON_FILE, IconReadProblem(), IconReadError());
        }
        return false;
    }
    char *none[] = {nullptr};
    char **toolTypes = icon->do_ToolTypes != nullptr ? icon->do_ToolTypes : none;

    const char *appName = FindToolType(toolTypes, KEY_APPLICATION);
    if (!CopyWhole(ToolConfig.appName, sizeof ToolConfig.appName, appName, KEY_APPLICATION)) {
        FreeDiskObject(icon);
        return false;
    }
    applicationNamed = true;
    CopyWhole(ToolConfig.helpFile, sizeof ToolConfig.helpFile, FindToolType(toolTypes, KEY_HELP));
    if (FindToolType(toolTypes, KEY_HIDESOUND) != nullptr) {
        ToolConfig.hideSound = 1;
    }
    for (int i = 0; i < PLATFORM_ICON_COUNT; ++i) {
        CopyWhole(ToolConfig.platformIcons[i], sizeof ToolConfig.platformIcons[i],
                  FindToolType(toolTypes, PLATFORM_ICONS[i].key), PLATFORM_ICONS[i].key);
    }
    FreeDiskObject(icon);
    return loadFailure.problem == IconProblem::None;
}

std::vector<SaveIcon> SaveIcons()
{
    std::vector<SaveIcon> icons{{IconRole::Application, ToolConfig.appName}};
    for (int i = 0; i < PLATFORM_ICON_COUNT; ++i) {
        if (ToolConfig.platformIcons[i][0] != '\0') {
            icons.push_back({static_cast<IconRole>(i + 1), ToolConfig.platformIcons[i]});
        }
    }
    return icons;
}

LoadFailure ReadFailure(const std::string &icon, IconProblem problem, int error)
{
    LoadFailure failure = {icon, problem, error};
    // An icon that cannot be found for want of access to its drawer names the drawer.
    if ((error == EACCES || error == EPERM) && access(".", R_OK | X_OK) != 0) {
        char folder[PATH_MAX];
        failure.icon = getcwd(folder, sizeof folder) != nullptr ? folder : ".";
        failure.drawer = true;
    }
    return failure;
}

std::string LoadFailureText()
{
    if (loadFailure.problem == IconProblem::None) {
        return "";
    }
    // Icon names are ISO-8859-1; a drawer's name is the file system's.
    const std::string &name = loadFailure.icon;
    std::string text = loadFailure.drawer && IsUtf8(name) ? name : Latin1ToUtf8(name);
    text += ": ";
    if (loadFailure.tooLong != nullptr) {
        return text + FormatText(MSG_NAME_TOO_LONG, loadFailure.tooLong);
    }
    return text + IconProblemText(loadFailure.problem, loadFailure.error);
}

bool ApplicationNamed()
{
    return applicationNamed;
}

const char *ToolConfigNameTooLong()
{
    return nameTooLong;
}

void ResetToolConfig()
{
    nameTooLong = nullptr;
    applicationNamed = false;
    std::memset(&ToolConfig, 0, sizeof ToolConfig);
    loadFailure = {};
    settingsFrom = {};
}
