#include "settings/tool_config.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/formats/charset.h"
#include "platform/icons/icon_store.h"
#include "platform/icons/image_drawer.h"
#include "settings/tooltypes.h"
#include "text/icon_problem_text.h"
#include "text/line_text.h"
#include "text/strings.h"

ToolConfigRecord ToolConfig;
LoadFailure loadFailure;
SettingsSource settingsFrom;

namespace {

LoadFailure toolIconFailure;  // why the last ReadToolIcon could not take the icon whole
bool applicationNamed = false;

// Copies value into a field of the given size when it fits whole. A value too long
// for its field is never cut (a cut name would name another file): the field is
// left empty and, when the value names an icon, toolIconFailure names its key; so
// it does for a name that leads outside the drawer.
bool CopyWhole(char *field, std::size_t size, const char *value, const char *nameKey = nullptr)
{
    if (value == nullptr) {
        return false;
    }
    std::size_t length = std::strlen(value);
    const NameRefusal refusal = length >= size                                  ? NameRefusal::TooLong
                                : nameKey != nullptr && NameLeavesDrawer(value) ? NameRefusal::OutsideDrawer
                                                                                : NameRefusal::None;
    if (refusal != NameRefusal::None) {
        field[0] = '\0';
        if (nameKey != nullptr && toolIconFailure.problem == IconProblem::None) {
            toolIconFailure = {TOOL_ICON_FILE, IconProblem::NotAnIcon, 0, {nameKey, refusal}};
        }
        return false;
    }
    std::memcpy(field, value, length + 1);
    return true;
}

// Whether path, a real path, is the drawer's (another real path) or lies below it.
bool WithinDrawer(const std::string &path, const std::string &drawer)
{
    return path.compare(0, drawer.size(), drawer) == 0 &&
           (path.size() == drawer.size() || drawer == "/" || path[drawer.size()] == '/');
}

}  // namespace

bool ReadToolIcon()
{
    toolIconFailure = {};
    applicationNamed = false;
    DiskObject *icon = GetDiskObject(TOOL_ICON);
    if (icon == nullptr) {
        if (IconReadProblem() != IconProblem::Absent) {
            toolIconFailure = ReadFailure(TOOL_ICON_FILE, IconReadProblem(), IconReadError());
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
    return toolIconFailure.problem == IconProblem::None;
}

const LoadFailure &ToolIconFailure()
{
    return toolIconFailure;
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
    LoadFailure failure = {icon, problem, error, {}, false};
    // An icon that cannot be found for want of access to its drawer names the drawer.
    if ((error == EACCES || error == EPERM) && access(".", R_OK | X_OK) != 0) {
        char folder[PATH_MAX];
        failure.icon = getcwd(folder, sizeof folder) != nullptr ? folder : ".";
        failure.drawer = true;
    }
    return failure;
}

std::string LoadFailureText(const LoadFailure &failure)
{
    if (failure.problem == IconProblem::None) {
        return "";
    }
    // Icon names are ISO-8859-1; a drawer's name is the file system's.
    const std::string &name = failure.icon;
    std::string text = (failure.drawer ? PathLineText(name) : Latin1LineText(name)) + ": ";
    if (failure.refused.key != nullptr) {
        return text + RefusedNameText(failure.refused);
    }
    return text + IconProblemText(failure.problem, failure.error);
}

bool ApplicationNamed()
{
    return applicationNamed;
}

std::string RefusedNameText(const RefusedName &name)
{
    return FormatText(name.why == NameRefusal::OutsideDrawer ? MSG_NAME_OUTSIDE_DRAWER : MSG_NAME_TOO_LONG,
                      name.key != nullptr ? name.key : "");
}

bool NameLeavesDrawer(const char *name)
{
    const std::string_view text(name);
    if (text.empty()) {
        return false;
    }
    if (IconNameLeavesDrawer(name)) {
        return true;
    }
    if (CurrentImageDrawer() != nullptr) {
        return false;  // an image's volume holds no links
    }
    // Through links: the folders on the way, and the file the icon is found under.
    char real[PATH_MAX];
    if (realpath(".", real) == nullptr) {
        return false;  // no drawer to leave
    }
    const std::string drawer = real;
    const std::size_t slash = text.rfind('/');
    if (slash != std::string_view::npos && realpath(std::string(text.substr(0, slash)).c_str(), real) != nullptr &&
        !WithinDrawer(real, drawer)) {
        return true;
    }
    for (const std::string &icon : {std::string(text), std::string(text) + ".vls"}) {
        const std::string folder = IconFileFolder(icon.c_str());
        if (!folder.empty() && !WithinDrawer(folder, drawer)) {
            return true;
        }
    }
    return false;
}

void ResetToolConfig()
{
    toolIconFailure = {};
    applicationNamed = false;
    std::memset(&ToolConfig, 0, sizeof ToolConfig);
    loadFailure = {};
    settingsFrom = {};
}
