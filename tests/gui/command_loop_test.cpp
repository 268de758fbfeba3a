// The settings window's object tree, its notifications and the dispatch of every
// command id (its texts, names, place and keyboard order: the reach, language and
// end-to-end tests).
#include <tuple>

#include "gui/window_fixture.h"

namespace {

using CommandLoopTest = WindowTest;

TEST_F(CommandLoopTest, EachNotificationProducesItsReturnId)
{
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
    // The checkmarks and the cycle report every change, either way; the sliders
    // and the screen mode text are read only when saving.
    for (Object *control : {fpsCheckmark, fpsCheckmark, soundCheckmark, soundCheckmark}) {
        SetAttrs(control, MUIA_Selected, !Attr(control, MUIA_Selected));
    }
    SetAttrs(displayModeCycle, MUIA_Cycle_Active, 2);
    SetAttrs(displayModeCycle, MUIA_Cycle_Active, 1);
    SetAttrs(fpsSlider, MUIA_Numeric_Value, 20);
    SetAttrs(screenModeText, MUIA_Text_Contents, "PAL: High Res");
    EXPECT_EQ(DrainReturnIds(app), Ids(6, ID_UPDATE_GADGETS));
}

// The menu's MUI... item opens the toolkit's settings window; the commands that
// do nothing here keep the loop running; About shows the title over the credit
// text, with the longest application name, which must stay within their buffers.
TEST_F(CommandLoopTest, ThePrefsMenuAndAboutOpenTheirWindows)
{
    const std::string name(APP_NAME_SIZE - 1, 'x');
    SetAppName(name.c_str());
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
    EXPECT_EQ(MUI_ToolkitWindowCount(app), 0);
    EXPECT_TRUE(DispatchCommand(ID_ABOUT));
    const std::string title = windowTitle;
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].rfind(title + "|\033c\033b\033u" + title + "\033n\n\n", 0), 0u) << requests[0];
    EXPECT_NE(requests[0].find(name + "\n"), std::string::npos) << requests[0];
}

// The controls show the record, the sliders in their ranges.
TEST_F(CommandLoopTest, TheControlsShowTheRecord)
{
    AppSettings = {2, 0x00029000, 8, 33, 1, 17, 0};
    ASSERT_NE(Build(), nullptr);
    EXPECT_EQ(Attr(soundCheckmark, MUIA_Selected), 0u);
    EXPECT_EQ(Attr(fpsCheckmark, MUIA_Selected), 1u);
    for (const auto &[slider, min, max, value] : {std::tuple<Object *, IPTR, IPTR, IPTR>(volumeSlider, 0, 64, 17),
                                                  std::tuple<Object *, IPTR, IPTR, IPTR>(fpsSlider, 1, 50, 33)}) {
        EXPECT_EQ(Attr(slider, MUIA_Numeric_Min), min);
        EXPECT_EQ(Attr(slider, MUIA_Numeric_Max), max);
        EXPECT_EQ(Attr(slider, MUIA_Numeric_Value), value);
    }
}

// Every object but the menu strip is needed: failing any other leaves no tree and
// no handle into it.
TEST_F(CommandLoopTest, AFailureAnywhereInTheTreeLeavesNoHandle)
{
    for (int n = 2;; ++n) {
        MUI_FailObjectCreation(n);
        Object *built = Build();
        MUI_FailObjectCreation(0);
        if (built != nullptr) {
            EXPECT_GT(n, 20);
            break;
        }
        EXPECT_TRUE(mainWindow == nullptr && displayModeCycle == nullptr && soundCheckmark == nullptr &&
                    fpsSlider == nullptr && cancelButton == nullptr && menuStrip == nullptr)
            << "creation " << n;
    }
}

}  // namespace
