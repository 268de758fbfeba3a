#include "gui/project_commands.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <vector>

#include "gui/commands.h"
#include "gui/edit_commands.h"
#include "gui/settings_controls.h"
#include "gui/window_layout.h"
#include "platform/icons/icon_store.h"
#include "platform/icons/image_drawer.h"
#include "platform/qt/drawer_requester.h"
#include "platform/qt/file_watch.h"
#include "platform/toolkit/toolkit.h"
#include "settings/settings_reader.h"
#include "settings/settings_writer.h"
#include "settings/tool_config.h"
#include "settings/tooltypes.h"
#include "state/program_state.h"
#include "text/strings.h"

std::string drawerToOpen;

namespace {

// The drawers Open recent lists, as it lists them.
std::vector<std::string> recentDrawers;

const char *RequestTitle()
{
    return windowTitle[0] != '\0' ? windowTitle : GetString(MSG_REQ_TITLE);
}

bool HoldsToolIcon(const std::string &folder)
{
    return IconFilePresentInFolder(folder, TOOL_ICON);
}

// True when the window's settings may be left: nothing unsaved, or the user
// saved them or chose to discard them.
bool MayLeaveSettings()
{
    if (!HasUnsavedChanges()) {
        return true;
    }
    const int answer = MUI_Request(app, mainWindow, 0, windowTitle, GetString(MSG_UNSAVED_BUTTONS), "%s",
                                   GetString(MSG_UNSAVED_CHANGES));
    return answer == 1 ? SaveCommand() : answer == 2;
}

std::string CurrentDrawer()
{
    char folder[PATH_MAX];
    return getcwd(folder, sizeof folder) != nullptr ? std::string(folder) : std::string();
}

}  // namespace

bool ChooseDrawer(Object *window, std::string &chosen)
{
    IPTR parent = 0;
    if (window != nullptr) {
        GetAttr(MUIA_Window_Window, window, &parent);
    }
    const std::vector<std::string> recent = RecentDrawers();
    std::string start = recent.empty() ? CurrentDrawer() : recent.front();
    while (RequestDrawer(parent, GetString(MSG_DRAWER_REQUEST_TITLE), start, chosen)) {
        if (HoldsToolIcon(chosen)) {
            return true;
        }
        MUI_Request(app, window, 0, RequestTitle(), GetString(MSG_REQ_OK), GetString(MSG_DRAWER_WITHOUT_TOOL_ICON),
                    chosen.c_str());
        start = chosen;
    }
    return false;
}

bool SaveCommand()
{
    if (const char *key = ToolConfigNameTooLong()) {
        MUI_Request(app, mainWindow, 0, windowTitle, GetString(MSG_REQ_OK), "%s: %s\n%s", TOOL_ICON_FILE,
                    FormatText(MSG_NAME_TOO_LONG, key).c_str(), GetString(MSG_CLI_NOTHING_WRITTEN));
        return false;
    }
    int result = SaveSettings();
    if (result == SAVE_CONFLICT) {
        const int answer = MUI_Request(app, mainWindow, 0, windowTitle, GetString(MSG_CHANGED_ELSEWHERE_BUTTONS), "%s",
                                       GetString(MSG_CHANGED_ELSEWHERE));
        if (answer == 2) {
            LastSavedCommand();
        }
        if (answer != 1) {
            return false;
        }
        result = SaveSettingsOverOthers();
    }
    const std::string notes = SaveNoteLines();
    if (result == 0) {
        // What the save met beside the icons is told before the tool ends.
        if (!notes.empty()) {
            MUI_Request(app, mainWindow, 0, windowTitle, GetString(MSG_REQ_OK), "%s", notes.c_str());
        }
        return true;
    }
    std::string text = FormatText(MSG_ERR_WRITE_ICONS, FailedIconNames().c_str()) + "\n\n" + FailedIconReasons();
    if (!notes.empty()) {
        text += "\n" + notes;
    }
    if (writtenIcons > 0) {
        text += std::string("\n") + GetString(MSG_OTHER_ICONS_WRITTEN);
    }
    MUI_Request(app, mainWindow, 0, windowTitle, GetString(MSG_REQ_OK), "%s", text.c_str());
    return false;
}

bool OpenCommand()
{
    std::string chosen;
    if (!MayLeaveSettings() || !ChooseDrawer(mainWindow, chosen)) {
        return false;
    }
    drawerToOpen = chosen;
    return true;
}

bool OpenRecentCommand(int index)
{
    if (index < 0 || index >= static_cast<int>(recentDrawers.size()) || !MayLeaveSettings()) {
        return false;
    }
    const std::string &folder = recentDrawers[static_cast<std::size_t>(index)];
    if (!HoldsToolIcon(folder)) {
        MUI_Request(app, mainWindow, 0, windowTitle, GetString(MSG_REQ_OK), GetString(MSG_DRAWER_WITHOUT_TOOL_ICON),
                    folder.c_str());
        return false;
    }
    drawerToOpen = folder;
    return true;
}

void ShowRecentDrawers()
{
    // A drawer in a disk image is not a folder Open recent can open.
    if (CurrentImageDrawer() == nullptr) {
        RememberDrawer(CurrentDrawer());
    }
    recentDrawers = RecentDrawers();
    if (menuStrip == nullptr) {
        return;
    }
    for (int i = 0; i < RECENT_DRAWER_COUNT; ++i) {
        auto *item = reinterpret_cast<Object *>(DoMethod(menuStrip, MUIM_FindUData, ID_OPEN_RECENT + i));
        const bool listed = i < static_cast<int>(recentDrawers.size());
        SetAttrs(item, MUIA_Menuitem_Title, listed ? recentDrawers[static_cast<std::size_t>(i)].c_str() : "");
    }
    auto *submenu = reinterpret_cast<Object *>(DoMethod(menuStrip, MUIM_FindUData, ID_MENU_OPEN_RECENT));
    SetAttrs(submenu, MUIA_Disabled, recentDrawers.empty());
}

void WatchStoredSettings()
{
    if (const ImageDrawerPlace *image = CurrentImageDrawer()) {
        WatchPaths(app, {image->image}, ID_STORED_CHANGED);
        return;
    }
    const std::string drawer = CurrentDrawer();
    const std::string icon = drawer + "/" + ToolConfig.appName;
    WatchPaths(app, {drawer, icon + ".info", icon + ".vls.info"}, ID_STORED_CHANGED);
}

void StoredChangedCommand()
{
    IconProblem problem = IconProblem::None;
    const Settings stored = ReadStoredSettings(&problem);
    if (problem != IconProblem::None || !StoredSettingsDiffer(stored) || HasUnsavedChanges()) {
        return;
    }
    ShowSettingsInControls(stored);
    MarkSettingsStored();
    SetAttrs(noteText, MUIA_Text_Contents, GetString(MSG_SHOWN_OTHER_CHANGE), MUIA_ShowMe, 1);
}
