#include "gui/project_commands.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <vector>

#include "gui/commands.h"
#include "gui/edit_commands.h"
#include "gui/notice.h"
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
#include "text/line_text.h"
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

// A requester's buttons with the last one, Cancel (nothing is lost), the default.
std::string CancelByDefault(std::int32_t id)
{
    std::string buttons = GetString(id);
    const std::size_t bar = buttons.rfind('|');
    return buttons.insert(bar == std::string::npos ? 0 : bar + 1, "*");
}

std::string CurrentDrawer()
{
    char folder[PATH_MAX];
    return getcwd(folder, sizeof folder) != nullptr ? std::string(folder) : std::string();
}

// While Save waits for a lock another program holds, a requester says so; its
// Cancel gives the wait up, and the save writes nothing.
bool ShowLockWait(const std::string &folder, int waitedMs)
{
    static bool shown = false;
    if (waitedMs < 0) {
        CloseWaitRequest();
        shown = false;
        return false;
    }
    if (!shown) {
        const std::string text = FormatText(MSG_SAVE_LOCK_WAIT, PathLineText(folder).c_str());
        OpenWaitRequest(mainWindow, windowTitle, text.c_str(), GetString(MSG_BUTTON_CANCEL));
        shown = true;
    }
    return !WaitRequestCancelled();
}

}  // namespace

bool ChooseDrawer(Object *window, std::string &chosen, bool tellHere)
{
    IPTR parent = 0;
    if (window != nullptr) {
        GetAttr(MUIA_Window_Window, window, &parent);
    }
    if (tellHere) {
        MUI_Request(app, window, 0, RequestTitle(), GetString(MSG_REQ_OK), GetString(MSG_DRAWER_WITHOUT_TOOL_ICON),
                    CurrentDrawer().c_str());
    }
    const std::vector<std::string> recent = RecentDrawers();
    std::string start = recent.empty() ? CurrentDrawer() : recent.front();
    while (RequestDrawer(parent, GetString(MSG_DRAWER_REQUEST_TITLE), start, chosen)) {
        if (HoldsToolIcon(chosen)) {
            return true;
        }
        MUI_Request(app, window, 0, RequestTitle(), GetString(MSG_REQ_OK), GetString(MSG_DRAWER_WITHOUT_TOOL_ICON),
                    PathLineText(chosen).c_str());
        start = chosen;
    }
    return false;
}

bool SaveCommand()
{
    SetLockWaitHook(ShowLockWait);
    int result = SaveSettings();
    if (result == SAVE_CONFLICT) {
        const int answer =
            MUI_Request(app, mainWindow, 0, windowTitle, CancelByDefault(MSG_CHANGED_ELSEWHERE_BUTTONS).c_str(), "%s",
                        GetString(MSG_CHANGED_ELSEWHERE));
        if (answer == 2) {
            LastSavedCommand();
        }
        if (answer != 1) {
            return false;
        }
        result = SaveSettingsOverOthers();
    }
    if (result == SAVE_REFUSED) {
        // Where --save refuses, for the same reason: nothing is written.
        MUI_Request(app, mainWindow, 0, windowTitle, GetString(MSG_REQ_OK), "%s\n%s",
                    LoadFailureText(saveRefusal).c_str(), GetString(MSG_CLI_NOTHING_WRITTEN));
        return false;
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

bool MayLeaveSettings()
{
    if (!HasUnsavedChanges()) {
        return true;
    }
    const int answer = MUI_Request(app, mainWindow, 0, windowTitle, CancelByDefault(MSG_UNSAVED_BUTTONS).c_str(), "%s",
                                   GetString(MSG_UNSAVED_CHANGES));
    return answer == 1 ? SaveCommand() : answer == 2;
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
                    PathLineText(folder).c_str());
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
        const std::string title = listed ? PathLineText(recentDrawers[static_cast<std::size_t>(i)]) : std::string();
        SetAttrs(item, MUIA_Menuitem_Title, title.c_str());
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
    // The drawer (an icon made or renamed there), and every icon the settings may
    // be read from: any of those Save writes, and the one they were read from.
    const std::string drawer = CurrentDrawer();
    std::vector<std::string> paths{drawer};
    for (const SaveIcon &icon : SaveIcons()) {
        if (icon.name[0] != '\0') {
            paths.push_back(drawer + "/" + icon.name + ".info");
            paths.push_back(drawer + "/" + icon.name + ".vls.info");
        }
    }
    if (!settingsFrom.file.empty()) {
        paths.push_back(drawer + "/" + settingsFrom.file);
    }
    WatchPaths(app, paths, ID_STORED_CHANGED);
}

void StoredChangedCommand()
{
    const StoredSettings stored = ReadStoredSettings();
    if (stored.failure.problem != IconProblem::None) {
        return;  // Save names it
    }
    if (!StoredSettingsDiffer(stored.settings)) {
        // Back to what the window read: Save no longer asks.
        if (CurrentNotice() == Notice::ChangedWithEdits) {
            SetNotice(Notice::None);
        }
    } else if (HasUnsavedChanges()) {
        SetNotice(Notice::ChangedWithEdits);
    } else {
        ShowSettingsInControls(stored.settings);
        MarkSettingsStored();
        SetNotice(Notice::ShownOtherChange);
    }
}
