#include "gui/command_loop.h"

#include <cstdio>
#include <string>

#include "gui/edit_commands.h"
#include "gui/gadget_rules.h"
#include "gui/help_viewer.h"
#include "gui/icons_overview.h"
#include "gui/project_commands.h"
#include "gui/settings_controls.h"
#include "gui/window_handles.h"
#include "gui/window_layout.h"
#include "platform/qt/drawer_requester.h"
#include "platform/toolkit/toolkit.h"
#include "program/window_texts.h"
#include "state/program_state.h"
#include "text/strings.h"
#include "text/version.h"

namespace {

// Makes the application return id whenever attr of source takes the trigger value.
void NotifyReturnId(Object *source, Tag attr, IPTR trigger, std::int32_t id)
{
    DoMethod(source, MUIM_Notify, attr, trigger, app, 2, MUIM_Application_ReturnID, id);
}

void AboutCommand()
{
    // The application's name, then the program's version, copyright and licence.
    const std::string about = FormatText(MSG_ABOUT_TEXT, ShownAppName().c_str());
    const std::string version = FormatText(MSG_ABOUT_VERSION, std::string(VersionNumber()).c_str());
    MUI_Request(app, mainWindow, MUIV_Request_Information, windowTitle, GetString(MSG_REQ_OK),
                "\033c\033b\033u%s\033n\n\n%s\n\n%s\n%s\n%s", windowTitle, about.c_str(), version.c_str(),
                programCopyright, GetString(MSG_ABOUT_LICENCE));
}

}  // namespace

void InstallNotifications()
{
    NotifyReturnId(mainWindow, MUIA_Window_CloseRequest, 1, ID_QUIT);
    NotifyReturnId(saveButton, MUIA_Pressed, 0, ID_SAVE);
    NotifyReturnId(helpButton, MUIA_Pressed, 0, ID_HELP);
    NotifyReturnId(aboutButton, MUIA_Pressed, 0, ID_ABOUT);
    NotifyReturnId(cancelButton, MUIA_Pressed, 0, ID_CANCEL);
    NotifyReturnId(screenModeButton, MUIA_Pressed, 0, ID_SCREEN_MODE);
    NotifyReturnId(fpsCheckmark, MUIA_Selected, MUIV_EveryTime, ID_UPDATE_GADGETS);
    if (soundCheckmark != nullptr) {
        NotifyReturnId(soundCheckmark, MUIA_Selected, MUIV_EveryTime, ID_UPDATE_GADGETS);
    }
    NotifyReturnId(displayModeCycle, MUIA_Cycle_Active, MUIV_EveryTime, ID_UPDATE_GADGETS);

    // A window without a menu strip has no About MUI item to watch.
    auto *aboutMuiItem =
        menuStrip != nullptr ? reinterpret_cast<Object *>(DoMethod(menuStrip, MUIM_FindUData, ID_ABOUT_MUI)) : nullptr;
    if (aboutMuiItem != nullptr) {
        DoMethod(aboutMuiItem, MUIM_Notify, MUIA_Menuitem_Trigger, MUIV_EveryTime, MUIV_Notify_Application, 2,
                 MUIM_Application_AboutMUI, mainWindow);
    }
}

bool DispatchCommand(std::int32_t id)
{
    switch (id) {
    case ID_QUIT:
    case ID_CANCEL:
        return !MayLeaveSettings();
    case ID_SAVE:
        return !SaveCommand();
    case ID_HELP:
        HelpCommand();
        break;
    case ID_ABOUT:
        AboutCommand();
        break;
    case ID_UPDATE_GADGETS:
        ApplyGadgetRules();
        break;
    case ID_MUI_SETTINGS:
        DoMethod(app, MUIM_Application_OpenConfigWindow, 0);
        break;
    case ID_SCREEN_MODE:
        ScreenModeCommand();
        break;
    case ID_HELP_DONE:
        HelpDoneCommand();
        break;
    case ID_RESET_DEFAULTS:
        ResetToDefaultsCommand();
        break;
    case ID_LAST_SAVED:
        LastSavedCommand();
        break;
    case ID_RESTORE:
        RestoreCommand();
        break;
    case ID_ICONS:
        ShowIconsOverview();
        break;
    case ID_ICONS_CLOSE:
        CloseIconsOverview();
        break;
    case ID_OPEN:
        return !OpenCommand();
    case ID_STORED_CHANGED:
        StoredChangedCommand();
        break;
    default:
        if (id >= ID_OPEN_RECENT && id < ID_OPEN_RECENT + RECENT_DRAWER_COUNT) {
            return !OpenRecentCommand(id - ID_OPEN_RECENT);
        }
        // ID_ABOUT_MUI (its notification does the work), the menu titles, 0 and
        // any unknown id.
        break;
    }
    return true;
}

void RunCommandLoop()
{
    bool running = true;
    std::uint32_t signals = 0;
    while (running) {
        const auto id = static_cast<std::int32_t>(DoMethod(app, MUIM_Application_NewInput, &signals));
        running = DispatchCommand(id);
        if (running && signals != 0) {
            Wait(signals);
        }
    }
}
