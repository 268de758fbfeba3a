#include "app/main_flow.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "app/libraries_setup.h"
#include "app/window_texts.h"
#include "gui/command_loop.h"
#include "gui/edit_commands.h"
#include "gui/gadget_rules.h"
#include "gui/screen_mode.h"
#include "gui/window_layout.h"
#include "platform/formats/charset.h"
#include "platform/toolkit/toolkit.h"
#include "settings/app_settings.h"
#include "settings/tool_config.h"
#include "state/program_state.h"
#include "text/menu.h"
#include "text/strings.h"

int SettingsMain()
{
    // The platform's services, the locale and the catalog; without them there is
    // nothing to show, and Shutdown reports which one is missing.
    failureCode = OpenLibraries();
    if (failureCode != 0) {
        Shutdown(failureCode);
        return 1;
    }

    // The screen that is active at start (the window opens on it), the
    // configuration's defaults, the tool's own icon, then the application's icon.
    LoadSettingsForRun();

    // The window's texts need the application's name from the tool's icon.
    FormatWindowTexts();

    // The menu and the object tree; a tree that cannot be made ends the run.
    LocalizeMenus();
    if (BuildSettingsWindow() == nullptr) {
        Shutdown(2);
        return 1;
    }

    // Defaults shown for an icon that is there but could not be read are said so.
    TellLoadFailure(nullptr);

    // Notifications, the controls' initial states, then the window.
    InstallNotifications();
    SetAttrs(displayModeCycle, MUIA_Cycle_Active, AppSettings.displayMode, TAG_DONE);
    ApplyGadgetRules();
    RememberOpeningSettings();
    SetAttrs(mainWindow, MUIA_Window_Open, 1, TAG_DONE);
    ShowScreenModeName();

    // The command loop, until Save, Cancel, Exit or the close gadget.
    RunCommandLoop();

    // Closing the window keeps its place; Shutdown releases everything.
    SetAttrs(mainWindow, MUIA_Window_Open, 0, TAG_DONE);
    Shutdown(0);
    return 0;
}
