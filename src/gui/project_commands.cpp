#include "gui/project_commands.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <vector>

#include "gui/commands.h"
#include "gui/edit_commands.h"
#include "gui/notice.h"
#include "gui/settings_controls.h"
#include "gui/window_layout.h"
#include "platform/formats/charset.h"
#include "platform/icons/icon_store.h"
#include "platform/icons/image_drawer.h"
#include "platform/qt/drawer_requester.h"
#include "platform/qt/file_watch.h"
#include "platform/toolkit/toolkit.h"
#include "settings/settings_reader.h"
#include "settings/settings_writer.h"
#include "settings/tool_config.h"
#include "settings/tool_drawers.h"
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

// The drawer the window is on as Open recent keeps it: its folder, or the
// argument that names it in its image.
std::string OpenDrawerArgument()
{
    if (const ImageDrawerPlace *image = CurrentImageDrawer()) {
        return ImageDrawerArgument(image->image, image->device, image->path, image->severalPartitions);
    }
    return CurrentDrawer();
}

bool IsFile(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Where the chooser opens to show path: in the folder that holds it, with it selected.
void ChooserPlace(const std::string &path, std::string &folder, std::string &select)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos || path.size() == 1) {
        folder = path.empty() ? CurrentDrawer() : path;
        select.clear();
        return;
    }
    folder = slash == 0 ? std::string("/") : path.substr(0, slash);
    select = path.substr(slash + 1);
}

// The chooser's place for a drawer: a folder's, or its image's.
void ChooserPlaceOfDrawer(const std::string &drawer, std::string &folder, std::string &select)
{
    ImageArgument image;
    ChooserPlace(ParseImageArgument(drawer, image) ? image.image : drawer, folder, select);
}

DrawerChooser Chooser()
{
    return {GetString(MSG_DRAWER_REQUEST_TITLE), GetString(MSG_CHOOSER_APPLICATION_DRAWER),
            GetString(MSG_CHOOSER_DISK_IMAGE), GetString(MSG_CHOOSER_FILTER), HoldsToolIcon};
}

IPTR SystemWindow(Object *window)
{
    IPTR parent = 0;
    if (window != nullptr) {
        GetAttr(MUIA_Window_Window, window, &parent);
    }
    return parent;
}

// A row of the image's drawers: the partition where there are several, the
// application, the drawer as AmigaDOS names it.
std::vector<std::string> DrawerRow(const ImageIconDrawer &drawer, bool partitions)
{
    std::vector<std::string> row;
    if (partitions) {
        row.push_back(drawer.device);
    }
    row.push_back(!drawer.readable       ? GetString(MSG_IMAGE_APPLICATION_UNREADABLE)
                  : drawer.value.empty() ? DefaultAppName()
                                         : Latin1LineText(drawer.value));
    row.push_back(LineText(Latin1ToUtf8(drawer.volume + ":" + drawer.path)));
    return row;
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

ImageChoice ChooseImageDrawer(Object *window, const std::string &image, std::string &argument)
{
    std::vector<ToolDrawer> drawers;
    std::vector<std::string> problems;
    std::string failure;
    const std::string named = PathLineText(image);
    if (!FindToolDrawers(image, drawers, problems, failure)) {
        MUI_Request(app, window, 0, RequestTitle(), GetString(MSG_REQ_OK), "%s: %s", named.c_str(), failure.c_str());
        return ImageChoice::None;
    }
    std::string unread;
    for (const std::string &problem : problems) {
        unread += "\n" + named + ": " + problem;
    }
    if (drawers.empty()) {
        const std::string text = FormatText(MSG_IMAGE_HOLDS_NO_DRAWER, named.c_str()) + unread;
        MUI_Request(app, window, 0, RequestTitle(), GetString(MSG_REQ_OK), "%s", text.c_str());
        return ImageChoice::None;
    }
    if (drawers.size() == 1) {
        argument = drawers[0].argument;
        return ImageChoice::Chosen;
    }
    const bool partitions = drawers[0].found.severalPartitions;
    std::vector<std::string> headers;
    if (partitions) {
        headers.emplace_back(GetString(MSG_IMAGE_COLUMN_PARTITION));
    }
    headers.emplace_back(GetString(MSG_IMAGE_COLUMN_APPLICATION));
    headers.emplace_back(GetString(MSG_IMAGE_COLUMN_DRAWER));
    std::vector<std::vector<std::string>> rows;
    for (const ToolDrawer &drawer : drawers) {
        rows.push_back(DrawerRow(drawer.found, partitions));
    }
    const std::string text = FormatText(MSG_IMAGE_HOLDS_SEVERAL, named.c_str()) + unread;
    const int row = RequestRow(SystemWindow(window), RequestTitle(), text.c_str(), headers, rows,
                               GetString(MSG_BUTTON_OPEN), GetString(MSG_BUTTON_CANCEL));
    if (row < 0 || row >= static_cast<int>(drawers.size())) {
        return ImageChoice::Cancelled;
    }
    argument = drawers[static_cast<std::size_t>(row)].argument;
    return ImageChoice::Chosen;
}

bool ChooseDrawer(Object *window, std::string &chosen, bool tellHere)
{
    const IPTR parent = SystemWindow(window);
    if (tellHere) {
        MUI_Request(app, window, 0, RequestTitle(), GetString(MSG_REQ_OK), GetString(MSG_DRAWER_WITHOUT_TOOL_ICON),
                    CurrentDrawer().c_str());
    }
    // Open... shows the drawer open now, the first chooser the one used last,
    // each among its neighbours.
    std::string folder = CurrentDrawer(), select;
    const std::vector<std::string> recent = window != nullptr ? std::vector<std::string>{} : RecentDrawers();
    if (window != nullptr || !recent.empty()) {
        ChooserPlaceOfDrawer(window != nullptr ? OpenDrawerArgument() : recent.front(), folder, select);
    }
    std::string path;
    while (RequestDrawer(parent, Chooser(), folder, select, path)) {
        if (IsFile(path) && IsIconFileName(path)) {
            // An icon stands for the drawer that holds it, as on the command line.
            std::string holder, icon;
            ChooserPlace(path, holder, icon);
            path = holder;
        } else if (IsFile(path)) {
            // A disk image: one of its drawers, or the chooser again beside it.
            if (ChooseImageDrawer(window, path, chosen) == ImageChoice::Chosen) {
                return true;
            }
            ChooserPlace(path, folder, select);
            continue;
        }
        if (HoldsToolIcon(path)) {
            chosen = path;
            return true;
        }
        MUI_Request(app, window, 0, RequestTitle(), GetString(MSG_REQ_OK), GetString(MSG_DRAWER_WITHOUT_TOOL_ICON),
                    PathLineText(path).c_str());
        folder = path;
        select.clear();
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
    const std::string &drawer = recentDrawers[static_cast<std::size_t>(index)];
    ImageArgument image;
    bool there = false;
    if (ParseImageArgument(drawer, image)) {
        // Still a drawer of the image that holds Settings.info.
        std::vector<ToolDrawer> drawers;
        std::vector<std::string> problems;
        std::string failure;
        there = FindToolDrawers(image.image, drawers, problems, failure) &&
                std::any_of(drawers.begin(), drawers.end(),
                            [&drawer](const ToolDrawer &listed) { return listed.argument == drawer; });
    } else {
        there = HoldsToolIcon(drawer);
    }
    if (!there) {
        MUI_Request(app, mainWindow, 0, windowTitle, GetString(MSG_REQ_OK), GetString(MSG_DRAWER_WITHOUT_TOOL_ICON),
                    PathLineText(drawer).c_str());
        return false;
    }
    drawerToOpen = drawer;
    return true;
}

void ShowRecentDrawers()
{
    // Open recent lists the others, the latest first.
    const std::string open = OpenDrawerArgument();
    RememberDrawer(open);
    recentDrawers = RecentDrawers();
    std::erase(recentDrawers, open);
    if (recentDrawers.size() > RECENT_DRAWER_COUNT) {
        recentDrawers.resize(RECENT_DRAWER_COUNT);
    }
    if (menuStrip == nullptr) {
        return;
    }
    for (int i = 0; i < RECENT_DRAWER_COUNT; ++i) {
        auto *item = reinterpret_cast<Object *>(DoMethod(menuStrip, MUIM_FindUData, ID_OPEN_RECENT + i));
        const bool listed = i < static_cast<int>(recentDrawers.size());
        // Numbered, as desktop programs list them: the number is the item's key.
        const std::string title =
            listed ? std::to_string(i + 1) + " " + PathLineText(recentDrawers[static_cast<std::size_t>(i)])
                   : std::string();
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
