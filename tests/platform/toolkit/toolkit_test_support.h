// Shared set-up of the toolkit tests: one offscreen Qt application per process,
// a private toolkit settings file, and a small window with one object of each
// kind, made bottom-up.
#pragma once

#include <QApplication>

#include <gtest/gtest.h>

#include "platform/toolkit/escapes.h"
#include "platform/toolkit/gadget.h"
#include "platform/toolkit/requester.h"
#include "support/temp_dir.h"
#include "support/toolkit_util.h"

inline QApplication *ownedTestApplication = nullptr;

inline QApplication *TestApplication()
{
    if (QApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "toolkit_test";
        static char *argv[] = {name, nullptr};
        ownedTestApplication = new QApplication(argc, argv);
    }
    return qobject_cast<QApplication *>(QApplication::instance());
}

// Ends that application after the last test, before the exit handlers run (Qt's
// own globals are gone by then), so that it releases what it holds.
class ToolkitQtEnvironment : public ::testing::Environment {
public:
    void TearDown() override { delete ownedTestApplication; }
};
inline ::testing::Environment *const toolkitQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new ToolkitQtEnvironment);

inline const char *const kEntries[] = {"Window", "Full screen", "Full screen \xC3\xA9", nullptr};
inline NewMenu kMenu[] = {
    {NM_TITLE, "Project", nullptr, 0, 0, reinterpret_cast<void *>(8)},
    {NM_ITEM, "Save & go", "S", 0, 0, reinterpret_cast<void *>(1)},
    {NM_ITEM, NM_BARLABEL, nullptr, 0, 0, nullptr},
    {NM_ITEM, "About MUI", nullptr, 0, 0, reinterpret_cast<void *>(6)},
    {NM_END, nullptr, nullptr, 0, 0, nullptr},
};

struct Tree {
    Object *app = nullptr, *window = nullptr, *strip = nullptr, *cycle = nullptr, *text = nullptr, *popUp = nullptr;
    Object *check = nullptr, *slider = nullptr, *button = nullptr;
};
constexpr int kCreations = 16;  // the menu strip first

inline Tree BuildTree()
{
    Tree t;
    t.strip = MUI_MakeObject(MUIO_MenustripNM, kMenu, 0);
    Object *banner = MUI_NewObject(MUIC_Text, MUIA_Frame, MUIV_Frame_Text, MUIA_Text_PreParse, "\033c",
                                   MUIA_Text_Contents, "Banner", MUIA_Font, MUIV_Font_Big);
    Object *gap = MUI_MakeObject(MUIO_VSpace, 10);
    t.cycle = MUI_NewObject(MUIC_Cycle, MUIA_Cycle_Entries, kEntries, MUIA_CycleChain, 1);
    Object *label = MUI_MakeObject(MUIO_Label, "Mode", MUIO_Label_SingleFrame | MUIO_Label_LeftAligned);
    t.text = MUI_NewObject(MUIC_Text, MUIA_Frame, MUIV_Frame_Text);
    t.popUp = MUI_NewObject(MUIC_Image, MUIA_Frame, MUIV_Frame_Button, MUIA_Image_Spec, MUII_PopUp, MUIA_InputMode,
                            MUIV_InputMode_RelVerify, MUIA_CycleChain, 1);
    Object *row = MUI_NewObject(MUIC_Group, MUIA_Group_Horiz, 1, MUIA_Group_Child, t.text, MUIA_Group_Child, t.popUp);
    Object *columns = MUI_NewObject(MUIC_Group, MUIA_Group_Columns, 2, MUIA_Group_Child, t.cycle, MUIA_Group_Child,
                                    label, MUIA_Group_Child, row);
    t.check = MUI_NewObject(MUIC_Image, MUIA_Frame, MUIV_Frame_ImageButton, MUIA_InputMode, MUIV_InputMode_Toggle,
                            MUIA_Image_Spec, MUII_CheckMark, MUIA_CycleChain, 1);
    t.slider = MUI_NewObject(MUIC_Slider, MUIA_Numeric_Min, 1, MUIA_Numeric_Max, 50, MUIA_Numeric_Value, 25,
                             MUIA_CycleChain, 1);
    Object *framed = MUI_NewObject(MUIC_Group, MUIA_Frame, MUIV_Frame_Group, MUIA_FrameTitle, "Settings",
                                   MUIA_Group_Child, columns, MUIA_Group_Child, t.check, MUIA_Group_Child, t.slider);
    t.button = MUI_NewObject(MUIC_Text, MUIA_Frame, MUIV_Frame_Button, MUIA_Text_Contents, "Save", MUIA_Text_PreParse,
                             "\033c", MUIA_InputMode, MUIV_InputMode_RelVerify, MUIA_CycleChain, 1);
    Object *root = MUI_NewObject(MUIC_Group, MUIA_Group_Child, banner, MUIA_Group_Child, gap, MUIA_Group_Child, framed,
                                 MUIA_Group_Child, t.button);
    t.window = MUI_NewObject(MUIC_Window, MUIA_Window_Title, "Test window", MUIA_Window_Menustrip, t.strip,
                             MUIA_Window_ID, 0x54455354, MUIA_Window_RootObject, root);
    t.app = MUI_NewObject(MUIC_Application, MUIA_Application_Title, "Test", MUIA_Application_Version,
                          "$VER: Test 1.3 (13.03.05)", MUIA_Application_Base, "TOOLKITTEST", MUIA_Application_Window,
                          t.window);
    return t;
}

class ToolkitTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestApplication();
        MUI_SetToolkitSettingsFile(settingsDir_.file("toolkit.ini").c_str());
    }
    void TearDown() override
    {
        MUI_DisposeObject(t.app);
        MUI_SetRequestHook(nullptr);
        MUI_FailObjectCreation(0);
        MUI_SetToolkitSettingsFile(nullptr);
    }
    TempDir settingsDir_;
    Tree t;
};
