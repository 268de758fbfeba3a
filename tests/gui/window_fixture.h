// The settings window made as the main flow makes it, for the window's tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/libraries_setup.h"
#include "app/main_flow.h"
#include "app/program_reset.h"
#include "gui/command_loop.h"
#include "gui/gadget_rules.h"
#include "gui/window_layout.h"
#include "platform/toolkit/toolkit_testing.h"
#include "settings/app_settings.h"
#include "settings/tool_config.h"
#include "support/temp_dir.h"
#include "text/menu.h"
#include "text/strings.h"

struct ShownRequest {
    std::string title;
    std::string body;
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The built-in texts, whatever the developer's locale.
        for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
            unsetenv(name);
        }
        ResetProgramState();
        ASSERT_EQ(OpenLibraries(), 0);
        MUI_SetRequestHook([this](const char *title, const char *body) {
            requests.push_back({title != nullptr ? title : "", body != nullptr ? body : ""});
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

    static void Dispose()
    {
        MUI_DisposeObject(app);
        ResetWindowHandles();
    }

    // How many objects a complete build makes: failing any later creation
    // leaves the tree whole.
    static int CountCreations()
    {
        for (int n = 1; n < 1000; ++n) {
            MUI_FailObjectCreation(n);
            Object *built = Build();
            MUI_FailObjectCreation(0);
            const bool complete = built != nullptr && menuStrip != nullptr;
            Dispose();
            if (complete) {
                return n - 1;
            }
        }
        return 0;
    }

    static IPTR Attr(Object *obj, Tag attr)
    {
        IPTR value = -12345;
        GetAttr(attr, obj, &value);
        return value;
    }

    static bool Disabled(Object *obj) { return Attr(obj, MUIA_Disabled) != 0; }

    static std::string Text(Object *obj)
    {
        const auto *text = reinterpret_cast<const char *>(Attr(obj, MUIA_Text_Contents));
        return text != nullptr ? text : "";
    }

    // Every return id that input handling has queued, in order.
    static std::vector<std::int32_t> DrainReturnIds()
    {
        std::vector<std::int32_t> ids;
        for (int pass = 0; pass < 100; ++pass) {
            std::uint32_t signals = 0;
            const auto id = static_cast<std::int32_t>(DoMethod(app, MUIM_Application_NewInput, &signals));
            if (id != 0) {
                ids.push_back(id);
            } else if (signals != 0) {
                break;
            }
        }
        return ids;
    }

    std::vector<ShownRequest> requests;
};
