#include "window/main_flow.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "cli/command_line.h"
#include "gui/command_loop.h"
#include "gui/edit_commands.h"
#include "gui/help_viewer.h"
#include "gui/icons_overview.h"
#include "gui/menu.h"
#include "gui/project_commands.h"
#include "gui/settings_controls.h"
#include "gui/window_layout.h"
#include "platform/formats/charset.h"
#include "platform/icons/icon_store.h"
#include "platform/icons/image_drawer.h"
#include "platform/qt/file_watch.h"
#include "platform/toolkit/toolkit.h"
#include "program/window_texts.h"
#include "settings/load_settings.h"
#include "settings/tool_config.h"
#include "settings/tooltypes.h"
#include "state/program_state.h"
#include "text/strings.h"
#include "window/libraries_setup.h"

namespace {

// The window on the drawer the program is in, until Save, Cancel, Exit or the
// close gadget; false when the window could not be made.
bool RunSettingsWindow(const Settings &loaded)
{
    // The window's texts need the application's name from the tool's icon.
    FormatWindowTexts();

    // The menu and the object tree; a tree that cannot be made ends the run.
    LocalizeMenus();
    if (BuildSettingsWindow() == nullptr) {
        return false;
    }

    // Defaults shown for an icon that is there but could not be read are said so.
    TellLoadFailure(nullptr);

    // Notifications, the controls' initial states, then the window.
    InstallNotifications();
    ShowSettingsInControls(loaded);
    MarkSettingsStored();
    RememberOpeningSettings(loaded);
    ShowRecentDrawers();
    WatchStoredSettings();
    SetAttrs(mainWindow, MUIA_Window_Open, 1, TAG_DONE);

    RunCommandLoop();

    // Closing the window keeps its place.
    StopWatching();
    SetAttrs(mainWindow, MUIA_Window_Open, 0, TAG_DONE);
    return true;
}

// Whether the current folder is an application's drawer: it holds the tool's
// icon, or an icon of the default application's name (which Save then writes).
bool InApplicationDrawer()
{
    const std::string name = DefaultAppName();
    return IconFilePresent(TOOL_ICON) || IconFilePresent(name.c_str()) || IconFilePresent((name + ".vls").c_str());
}

// The window and everything made for its drawer go; the drawer to open next
// becomes the current folder, and its settings are loaded.
Settings EnterNextDrawer()
{
    ReleaseHelpViewer();
    MUI_DisposeObject(app);
    ResetWindowHandles();
    iconsWindow = nullptr;
    if (!EnterDrawer(drawerToOpen)) {
        ShowError(GetString(MSG_ERR_OPEN_FILE), drawerToOpen.c_str());  // a folder left stays
    }
    drawerToOpen.clear();
    ResetToolConfig();
    return LoadSettingsForRun();
}

}  // namespace

int SettingsMain(bool drawerNamed, const std::string &image)
{
    // The platform's services, the locale and the catalog; without them there is
    // nothing to show, and Shutdown reports which one is missing.
    failureCode = OpenLibraries();
    if (failureCode != 0) {
        Shutdown(failureCode);
        return 1;
    }

    // Started outside an application's drawer (from the desktop's menu, or on a
    // folder or icon elsewhere, which is said so): the user chooses one, or ends
    // the run without anything written.
    // A disk image named alone: its drawer, or the one chosen among its drawers;
    // one that holds none is said so, and the chooser asks.
    std::string chosen;
    ImageChoice fromImage = ImageChoice::None;
    if (!image.empty()) {
        fromImage = ChooseImageDrawer(nullptr, image, chosen);
        if (fromImage == ImageChoice::Cancelled) {
            Shutdown(0);
            return 0;
        }
    }
    if (fromImage == ImageChoice::Chosen || !InApplicationDrawer() || !image.empty()) {
        if (fromImage != ImageChoice::Chosen && !ChooseDrawer(nullptr, chosen, drawerNamed && image.empty())) {
            Shutdown(0);
            return 0;
        }
        if (!EnterDrawer(chosen)) {
            ShowError(GetString(MSG_ERR_OPEN_FILE), chosen.c_str());
            Shutdown(0);
            return 1;
        }
    }

    // The screen that is active at start (the window opens on it), the
    // configuration's defaults, the tool's own icon, then the application's icon.
    Settings loaded = LoadSettingsForRun();
    for (;;) {
        if (!RunSettingsWindow(loaded)) {
            Shutdown(2);
            return 1;
        }
        if (drawerToOpen.empty()) {
            break;
        }
        loaded = EnterNextDrawer();
    }
    Shutdown(0);
    return 0;
}
