// Object trees: building, failure anywhere giving a null application, disposal,
// attributes set and read back.
#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QSlider>

#include <cstring>

#include "platform/toolkit/toolkit_test_support.h"

namespace {

using ToolkitTreeTest = ToolkitTest;

// Menus: '&' shown, not a mnemonic; shortcuts are Ctrl+key. Texts are ISO-8859-1.
// (Disposal of the whole tree: the failure test's last round.)
TEST_F(ToolkitTreeTest, BuildsTheMenusAndTexts)
{
    t = BuildTree();
    ASSERT_NE(t.app, nullptr);
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
    EXPECT_EQ(qobject_cast<QComboBox *>(t.cycle->widget.data())->itemText(2), QStringLiteral("Full screen \u00e9"));
}

// A missing menu strip gives a window without a menu; counting ends with the
// failure; cycles without entries and unknown classes are not made.
TEST_F(ToolkitTreeTest, AFailureAnywhereGivesANullApplicationAndLeavesNothing)
{
    for (int n = 1; n <= kCreations + 1; ++n) {
        SCOPED_TRACE(n);
        MUI_FailObjectCreation(n);
        t = BuildTree();
        EXPECT_EQ(t.app != nullptr, n == 1 || n > kCreations);
        if (n == 1) {
            EXPECT_EQ(qobject_cast<QMainWindow *>(t.window->widget.data())->menuWidget(), nullptr);
        }
        MUI_DisposeObject(t.app);
        t = Tree();
        EXPECT_EQ(toolkit::LiveObjectCount(), 0u);
        EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
    }
    MUI_FailObjectCreation(0);
    EXPECT_EQ(MUI_NewObject(MUIC_Cycle, MUIA_CycleChain, 1), nullptr);
    EXPECT_EQ(MUI_NewObject("Nothing.mui", TAG_DONE), nullptr);
    EXPECT_EQ(MUI_MakeObject(99, 1), nullptr);
}

TEST_F(ToolkitTreeTest, AttributesAreSetAndReadBack)
{
    t = BuildTree();
    ASSERT_NE(t.app, nullptr);
    // Cycle: an entry that exists is taken, another is not.
    SetAttrs(t.cycle, MUIA_Cycle_Active, 2);
    EXPECT_EQ(qobject_cast<QComboBox *>(t.cycle->widget.data())->currentIndex(), 2);
    SetAttrs(t.cycle, MUIA_Cycle_Active, 3);
    SetAttrs(t.cycle, MUIA_Cycle_Active, -1);
    EXPECT_EQ(Attr(t.cycle, MUIA_Cycle_Active), 2);

    // Slider: values outside the range are shown and read at the nearest end.
    SetAttrs(t.slider, MUIA_Numeric_Value, 40);
    EXPECT_EQ(t.slider->widget->findChild<QSlider *>()->value(), 40);
    EXPECT_EQ(t.slider->widget->findChild<QLabel *>()->text(), QStringLiteral("40"));
    SetAttrs(t.slider, MUIA_Numeric_Value, 0);
    EXPECT_EQ(Attr(t.slider, MUIA_Numeric_Value), 1);
    SetAttrs(t.slider, MUIA_Numeric_Value, 99);
    EXPECT_EQ(Attr(t.slider, MUIA_Numeric_Value), 50);

    // Text: the object keeps its own copy.
    char name[32];
    std::strcpy(name, "PAL: High Res");
    SetAttrs(t.text, MUIA_Text_Contents, name);
    std::strcpy(name, "changed");
    EXPECT_EQ(Text(t.text), "PAL: High Res");
    EXPECT_EQ(qobject_cast<QLabel *>(t.text->widget.data())->text(), QStringLiteral("PAL: High Res"));

    // A disposed object is refused.
    IPTR v = 0;
    Object *check = t.check;
    MUI_DisposeObject(t.app);
    t = Tree();
    EXPECT_EQ(GetAttr(MUIA_Selected, check, &v), 0u);
    EXPECT_EQ(SetAttrs(check, MUIA_Selected, 1), 0u);
}

}  // namespace
