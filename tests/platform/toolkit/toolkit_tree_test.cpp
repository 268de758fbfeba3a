// Object trees: building, failure anywhere giving a null
// application, disposal, attributes set and read back.
#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QSlider>

#include <cstring>

#include "platform/toolkit/toolkit_internal.h"
#include "platform/toolkit/toolkit_test_support.h"

namespace {

const char *const kEntries[] = {"Window", "Full screen", "Full screen \xe9", nullptr};

NewMenu kMenu[] = {
    {NM_TITLE, "Project", nullptr, 0, 0, reinterpret_cast<void *>(8)},
    {NM_ITEM, "Save & go", "S", 0, 0, reinterpret_cast<void *>(1)},
    {NM_ITEM, NM_BARLABEL, nullptr, 0, 0, nullptr},
    {NM_ITEM, "Quiet", nullptr, 0, 0, reinterpret_cast<void *>(6)},
    {NM_TITLE, "Prefs", nullptr, 0, 0, reinterpret_cast<void *>(9)},
    {NM_ITEM, "MUI...", "x", 0, 0, reinterpret_cast<void *>(7)},
    {NM_END, nullptr, nullptr, 0, 0, nullptr},
};

struct Tree {
    Object *app = nullptr, *window = nullptr, *strip = nullptr, *cycle = nullptr, *check = nullptr;
    Object *slider = nullptr, *button = nullptr, *popUp = nullptr, *text = nullptr;
};

// A small window with one of each kind of object, made bottom-up in 15 creations.
Tree BuildTree()
{
    Tree t;
    t.strip = MUI_MakeObject(MUIO_MenustripNM, kMenu, 0);                                            // 1
    Object *banner = MUI_NewObject(MUIC_Text, MUIA_Frame, MUIV_Frame_Text, MUIA_Text_PreParse, "\033c",
                                   MUIA_Text_Contents, "Banner", MUIA_Font, MUIV_Font_Big);          // 2
    Object *gap = MUI_MakeObject(MUIO_VSpace, 10);                                                    // 3
    t.cycle = MUI_NewObject(MUIC_Cycle, MUIA_Cycle_Entries, kEntries, MUIA_CycleChain, 1);           // 4
    Object *label = MUI_MakeObject(MUIO_Label, "Mode", MUIO_Label_SingleFrame | MUIO_Label_LeftAligned);  // 5
    t.text = MUI_NewObject(MUIC_Text, MUIA_Frame, MUIV_Frame_Text);                                 // 6
    t.popUp = MUI_NewObject(MUIC_Image, MUIA_Frame, MUIV_Frame_Button, MUIA_Image_Spec, MUII_PopUp,
                            MUIA_InputMode, MUIV_InputMode_RelVerify, MUIA_CycleChain, 1);          // 7
    Object *row = MUI_NewObject(MUIC_Group, MUIA_Group_Horiz, 1, MUIA_Group_Child, t.text,
                                MUIA_Group_Child, t.popUp);                                         // 8
    Object *columns = MUI_NewObject(MUIC_Group, MUIA_Group_Columns, 2, MUIA_Group_Child, t.cycle,
                                    MUIA_Group_Child, label, MUIA_Group_Child, row);               // 9
    t.check = MUI_NewObject(MUIC_Image, MUIA_Frame, MUIV_Frame_ImageButton, MUIA_InputMode,
                            MUIV_InputMode_Toggle, MUIA_Image_Spec, MUII_CheckMark, MUIA_Selected, 1,
                            MUIA_CycleChain, 1);                                                    // 10
    t.slider = MUI_NewObject(MUIC_Slider, MUIA_Numeric_Min, 1, MUIA_Numeric_Max, 50, MUIA_Numeric_Value, 25,
                             MUIA_CycleChain, 1);                                                   // 11
    Object *framed = MUI_NewObject(MUIC_Group, MUIA_Frame, MUIV_Frame_Group, MUIA_FrameTitle, "Settings",
                                   MUIA_Group_Child, columns, MUIA_Group_Child, t.check,
                                   MUIA_Group_Child, t.slider);                                     // 12
    t.button = MUI_NewObject(MUIC_Text, MUIA_Frame, MUIV_Frame_Button, MUIA_Text_Contents, "Save",
                             MUIA_Text_PreParse, "\033c", MUIA_InputMode, MUIV_InputMode_RelVerify,
                             MUIA_CycleChain, 1);                                                   // 13
    Object *root = MUI_NewObject(MUIC_Group, MUIA_Group_Child, banner, MUIA_Group_Child, gap,
                                 MUIA_Group_Child, framed, MUIA_Group_Child, t.button);             // 14
    t.window = MUI_NewObject(MUIC_Window, MUIA_Window_Title, "Test window", MUIA_Window_Menustrip, t.strip,
                             MUIA_Window_ID, 0x54455354, MUIA_Window_RootObject, root);            // 15
    t.app = MUI_NewObject(MUIC_Application, MUIA_Application_Title, "Test", MUIA_Application_Base, "TOOLKITTEST",
                          MUIA_Application_Window, t.window);                                       // 16
    return t;
}
constexpr int kCreations = 16;
constexpr int kMenustripCreation = 1;

class ToolkitTreeTest : public ToolkitTest {};

TEST_F(ToolkitTreeTest, BuildsTheWidgetsAndDisposesOfAllOfIt)
{
    Tree t = BuildTree();
    ASSERT_NE(t.app, nullptr);
    // Menus: '&' shown, not a mnemonic; shortcuts are Ctrl+key. Texts are ISO-8859-1.
    auto *main = qobject_cast<QMainWindow *>(t.window->widget.data());
    ASSERT_NE(main, nullptr);
    const auto menus = main->menuBar()->actions();
    ASSERT_EQ(menus.size(), 2);
    const auto items = menus[0]->menu()->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->text(), QStringLiteral("Save && go"));
    EXPECT_EQ(items[0]->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_EQ(menus[1]->menu()->actions()[0]->shortcut(), QKeySequence(QStringLiteral("Ctrl+X")));
    EXPECT_EQ(qobject_cast<QComboBox *>(t.cycle->widget.data())->itemText(2),
              QStringLiteral("Full screen \u00e9"));

    EXPECT_EQ(toolkit::LiveObjectCount(), 22u);  // 16 made, 2 menus and 4 items of the strip
    MUI_DisposeObject(t.app);
    EXPECT_EQ(toolkit::LiveObjectCount(), 0u);
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

TEST_F(ToolkitTreeTest, AFailureAnywhereGivesANullApplicationAndLeavesNothing)
{
    for (int n = 1; n <= kCreations; ++n) {
        SCOPED_TRACE(n);
        MUI_FailObjectCreation(n);
        Tree t = BuildTree();
        if (n == kMenustripCreation) {
            // A missing menu strip gives a window without a menu.
            ASSERT_NE(t.app, nullptr);
            EXPECT_EQ(qobject_cast<QMainWindow *>(t.window->widget.data())->menuWidget(), nullptr);
            MUI_DisposeObject(t.app);
        } else {
            EXPECT_EQ(t.app, nullptr);
        }
        EXPECT_EQ(toolkit::LiveObjectCount(), 0u);
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    }
    // Counting ends with the failure: the next build is whole.
    Tree t = BuildTree();
    ASSERT_NE(t.app, nullptr);
    MUI_DisposeObject(t.app);

    // Cycles without entries and unknown classes are not made.
    EXPECT_EQ(MUI_NewObject(MUIC_Cycle, MUIA_CycleChain, 1), nullptr);
    EXPECT_EQ(MUI_NewObject("Nothing.mui", TAG_DONE), nullptr);
    EXPECT_EQ(MUI_MakeObject(99, 1), nullptr);
}

TEST_F(ToolkitTreeTest, AttributesAreSetAndReadBackAndMenuItemsFound)
{
    Tree t = BuildTree();
    ASSERT_NE(t.app, nullptr);
    // Cycle: an entry that exists is taken, another is not.
    EXPECT_EQ(Attr(t.cycle, MUIA_Cycle_Active), 0);
    SetAttrs(t.cycle, MUIA_Cycle_Active, 2);
    EXPECT_EQ(qobject_cast<QComboBox *>(t.cycle->widget.data())->currentIndex(), 2);
    SetAttrs(t.cycle, MUIA_Cycle_Active, 3);
    SetAttrs(t.cycle, MUIA_Cycle_Active, -1);
    EXPECT_EQ(Attr(t.cycle, MUIA_Cycle_Active), 2);

    // Slider: values outside the range are shown and read at the nearest end.
    auto *slider = t.slider->widget->findChild<QSlider *>();
    SetAttrs(t.slider, MUIA_Numeric_Value, 40);
    EXPECT_EQ(slider->value(), 40);
    EXPECT_EQ(t.slider->widget->findChild<QLabel *>()->text(), QStringLiteral("40"));
    SetAttrs(t.slider, MUIA_Numeric_Value, 0);
    EXPECT_EQ(Attr(t.slider, MUIA_Numeric_Value), 1);
    SetAttrs(t.slider, MUIA_Numeric_Value, 99);
    EXPECT_EQ(Attr(t.slider, MUIA_Numeric_Value), 50);
    EXPECT_TRUE(MUI_SimulateInput(t.slider, 10));
    EXPECT_EQ(Attr(t.slider, MUIA_Numeric_Value), 10);

    // Text: the object keeps its own copy.
    char name[32];
    std::strcpy(name, "PAL: High Res");
    SetAttrs(t.text, MUIA_Text_Contents, name);
    std::strcpy(name, "changed");
    EXPECT_STREQ(reinterpret_cast<const char *>(Attr(t.text, MUIA_Text_Contents)), "PAL: High Res");
    EXPECT_EQ(qobject_cast<QLabel *>(t.text->widget.data())->text(), QStringLiteral("PAL: High Res"));
    SetAttrs(t.text, MUIA_Text_Contents, static_cast<const char *>(nullptr));
    EXPECT_STREQ(reinterpret_cast<const char *>(Attr(t.text, MUIA_Text_Contents)), "");

    // Window: the system window only while open.
    EXPECT_EQ(Attr(t.window, MUIA_Window_Window), 0);
    SetAttrs(t.window, MUIA_Window_Open, 1);
    EXPECT_EQ(Attr(t.window, MUIA_Window_Window), reinterpret_cast<IPTR>(t.window->widget.data()));
    EXPECT_TRUE(t.window->widget->isVisible());
    SetAttrs(t.window, MUIA_Window_Open, 0);
    EXPECT_EQ(Attr(t.window, MUIA_Window_Window), 0);
    EXPECT_FALSE(t.window->widget->isVisible());

    // Menu items are found by their user data.
    auto *quiet = reinterpret_cast<Object *>(DoMethod(t.strip, MUIM_FindUData, 6));
    ASSERT_NE(quiet, nullptr);
    EXPECT_EQ(toolkit::As<toolkit::Gadget>(quiet)->text, "Quiet");
    EXPECT_EQ(DoMethod(t.strip, MUIM_FindUData, 77), 0);

    // Unknown attributes and objects are refused without harm.
    IPTR v = 0;
    EXPECT_EQ(GetAttr(MUIA_Cycle_Active, t.check, &v), 0u);
    EXPECT_EQ(GetAttr(MUIA_Selected, nullptr, &v), 0u);
    MUI_DisposeObject(t.app);
    EXPECT_EQ(GetAttr(MUIA_Selected, t.check, &v), 0u);  // disposed of: refused
    EXPECT_EQ(SetAttrs(t.check, MUIA_Selected, 1), 0u);
}

}  // namespace
