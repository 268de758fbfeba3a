// The notifications, the dispatch of every command id, and the input loop.
#include "gui/window_fixture.h"

namespace {

using CommandLoopTest = WindowTest;

TEST_F(CommandLoopTest, EachNotificationProducesItsReturnId)
{
    for (int hideSound : {0, 1}) {
        SCOPED_TRACE(hideSound);
        ToolConfig.hideSound = hideSound;
        BuildAndStart();
        ASSERT_TRUE(DrainReturnIds(app).empty());

        SetAttrs(mainWindow, MUIA_Window_CloseRequest, 1);
        EXPECT_EQ(DrainReturnIds(app), Ids{ID_QUIT});
        const std::pair<Object *, IPTR> buttons[] = {{saveButton, ID_SAVE},
                                                     {helpButton, ID_HELP},
                                                     {aboutButton, ID_ABOUT},
                                                     {cancelButton, ID_CANCEL},
                                                     {screenModeButton, ID_SCREEN_MODE}};
        for (const auto &[button, id] : buttons) {
            // Pressing alone is no click; releasing over the button completes it.
            SetAttrs(button, MUIA_Pressed, 1);
            EXPECT_TRUE(DrainReturnIds(app).empty()) << id;
            SetAttrs(button, MUIA_Pressed, 0);
            EXPECT_EQ(DrainReturnIds(app), Ids{id});
        }
        // The checkmarks and the cycle report every change, either way; the
        // sliders and the screen mode text are read only when saving.
        for (Object *control : {fpsCheckmark, soundCheckmark}) {
            for (int change = 0; control != nullptr && change < 2; ++change) {
                SetAttrs(control, MUIA_Selected, !Attr(control, MUIA_Selected));
            }
        }
        SetAttrs(displayModeCycle, MUIA_Cycle_Active, 2);
        SetAttrs(displayModeCycle, MUIA_Cycle_Active, 1);
        SetAttrs(fpsSlider, MUIA_Numeric_Value, 20);
        SetAttrs(screenModeText, MUIA_Text_Contents, "PAL: High Res");
        EXPECT_EQ(DrainReturnIds(app), Ids(hideSound ? 4 : 6, ID_UPDATE_GADGETS));
        Dispose();
    }
}

// Also with the longest application name, which must stay within its buffers.
TEST_F(CommandLoopTest, AboutShowsTheTitleAndTheCreditText)
{
    for (const std::string &name : {std::string("Starfield"), std::string(APP_NAME_SIZE - 1, 'x')}) {
        SetAppName(name.c_str());
        requests.clear();
        BuildAndStart();
        EXPECT_TRUE(DispatchCommand(ID_ABOUT));
        const std::string title = (name + " Settings").substr(0, WINDOW_TITLE_SIZE - 1);
        char credit[SCRATCH_BUFFER_SIZE];
        std::snprintf(credit, sizeof credit, GetString(MSG_ABOUT_TEXT), name.c_str());
        EXPECT_EQ(requests, std::vector<std::string>{title + "|\033c\033b\033u" + title + "\033n\n\n" + credit});
        Dispose();
    }
}

// The menu's MUI... item opens the toolkit's settings window; the commands that
// do nothing here keep the loop running.
TEST_F(CommandLoopTest, ThePrefsMenuOpensTheToolkitSettings)
{
    BuildAndStart();
    SetAttrs(mainWindow, MUIA_Window_Open, 1);
    ASSERT_TRUE(MUI_SimulateInput(reinterpret_cast<Object *>(DoMethod(menuStrip, MUIM_FindUData, ID_MUI_SETTINGS))));
    const Ids ids = DrainReturnIds(app);
    ASSERT_EQ(ids, Ids{ID_MUI_SETTINGS});
    EXPECT_TRUE(DispatchCommand(ids[0]));
    EXPECT_EQ(MUI_ToolkitWindowCount(app), 1);
    MUI_CloseToolkitWindows(app);
    for (std::int32_t id :
         std::initializer_list<std::int32_t>{0, ID_ABOUT_MUI, ID_MENU_PROJECT, ID_MENU_PREFS, 12, -2, 0x7fffffff}) {
        EXPECT_TRUE(DispatchCommand(id)) << id;
    }
    EXPECT_TRUE(requests.empty());
    EXPECT_EQ(MUI_ToolkitWindowCount(app), 0);
}

}  // namespace
