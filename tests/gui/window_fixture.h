// The settings window made as the main flow makes it, for the window's tests.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "gui/command_loop.h"
#include "gui/gadget_rules.h"
#include "gui/menu.h"
#include "gui/settings_controls.h"
#include "gui/window_layout.h"
#include "program/window_texts.h"
#include "settings/app_settings.h"
#include "settings/tool_config.h"
#include "support/catalog_test_util.h"
#include "support/temp_dir.h"
#include "support/toolkit_util.h"
#include "text/strings.h"
#include "window/libraries_setup.h"
#include "window/main_flow.h"
#include "window/program_reset.h"

class WindowTest : public ::testing::Test {
    TempDir toolkitDir_;

protected:
    void SetUp() override
    {
        ResetProgramState();
        // Window places of other tests never reach this one.
        MUI_SetToolkitSettingsFile(toolkitDir_.file("toolkit.ini").c_str());
        ASSERT_EQ(OpenLibraries(), 0);
        MUI_SetRequestHook([this](const char *title, const char *body) {
            requests.push_back(std::string(title) + "|" + body);
            return 0;
        });
        SetAppName(GetString(MSG_DEFAULT_APP_NAME));
    }
    void TearDown() override
    {
        MUI_FailObjectCreation(0);
        MUI_SetRequestHook(nullptr);
        Shutdown(0);
        ResetProgramState();
        MUI_SetToolkitSettingsFile(nullptr);
    }

    static void SetAppName(const char *name)
    {
        std::snprintf(ToolConfig.appName, sizeof ToolConfig.appName, "%s", name);
    }

    // The texts of the window, the menu and the tree, as the main flow makes them.
    static Object *Build()
    {
        FormatWindowTexts();
        LocalizeMenus();
        return BuildSettingsWindow();
    }

    // Built, with the notifications, the loaded display mode and the rules, as
    // the window opens; the window itself stays closed.
    static void BuildAndStart()
    {
        ASSERT_NE(Build(), nullptr);
        InstallNotifications();
        SetAttrs(displayModeCycle, MUIA_Cycle_Active, AppSettings.displayMode);
        ApplyGadgetRules();
    }

    // Runs the loop's input handling until id arrives or the time is up.
    static bool AwaitReturnId(IPTR id, int timeoutMs = 10000)
    {
        for (auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
             std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(std::chrono::milliseconds(5))) {
            std::uint32_t sigs = 0;
            if (DoMethod(app, MUIM_Application_NewInput, &sigs) == id) {
                return true;
            }
        }
        return false;
    }

    static void Dispose()
    {
        MUI_DisposeObject(app);
        ResetWindowHandles();
    }

    ScopedCatalogEnvironment builtInTexts_{"", ""};  // whatever the developer's locale
    std::vector<std::string> requests;               // title|body of each requester shown
};
