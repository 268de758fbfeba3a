// Input: notifications producing return ids, and sleeping windows (return ids
// from other threads waking a loop blocked in Wait: the ThreadSanitizer test).
#include <QAbstractButton>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>

#include "platform/toolkit/toolkit_test_support.h"

namespace {

constexpr IPTR ID_BUTTON = 1, ID_GADGETS = 5, ID_POPUP = 10;

class ToolkitInputTest : public ToolkitTest {
protected:
    void SetUp() override
    {
        ToolkitTest::SetUp();
        t = BuildTree();
        ASSERT_NE(t.app, nullptr);
        auto notify = [this](Object *source, Tag attr, IPTR trigger, IPTR id) {
            DoMethod(source, MUIM_Notify, attr, trigger, t.app, 2, MUIM_Application_ReturnID, id);
        };
        notify(t.window, MUIA_Window_CloseRequest, 1, MUIV_Application_ReturnID_Quit);
        notify(t.button, MUIA_Pressed, 0, ID_BUTTON);
        notify(t.popUp, MUIA_Pressed, 0, ID_POPUP);
        notify(t.check, MUIA_Selected, MUIV_EveryTime, ID_GADGETS);
        notify(t.cycle, MUIA_Cycle_Active, MUIV_EveryTime, ID_GADGETS);
        DoMethod(About(), MUIM_Notify, MUIA_Menuitem_Trigger, MUIV_EveryTime, MUIV_Notify_Application, 2,
                 MUIM_Application_AboutMUI, t.window);
        SetAttrs(t.window, MUIA_Window_Open, 1);
        Main()->activateWindow();
        QCoreApplication::processEvents();
    }

    Object *About() const { return reinterpret_cast<Object *>(DoMethod(t.strip, MUIM_FindUData, 6)); }
    QMainWindow *Main() const { return qobject_cast<QMainWindow *>(t.window->widget.data()); }
    static void Key(QWidget *to, int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent event(type, key, mods);
            QCoreApplication::sendEvent(to, &event);
        }
    }
    static void Click(QWidget *on)
    {
        const QPointF at(on->width() / 2.0, on->height() / 2.0);
        for (bool down : {true, false}) {
            QMouseEvent event(down ? QEvent::MouseButtonPress : QEvent::MouseButtonRelease, at, on->mapToGlobal(at),
                              Qt::LeftButton, down ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(on, &event);
        }
    }
    // Every way of giving input: mouse, keys, the close gadget, Escape, Return on
    // a button, Ctrl+S; then F10, which opens the menu bar (true when it did).
    bool EveryInput()
    {
        Click(t.check->widget);
        Click(t.button->widget);
        Key(t.cycle->focusWidget, Qt::Key_Down);
        Main()->close();
        Key(t.check->focusWidget, Qt::Key_Escape);
        t.button->focusWidget->setFocus();
        Key(t.button->focusWidget, Qt::Key_Return);
        Key(t.button->focusWidget, Qt::Key_S, Qt::ControlModifier);
        Key(t.button->focusWidget, Qt::Key_F10);
        const bool menuOpened = Main()->menuBar()->activeAction() != nullptr;
        Main()->menuBar()->setActiveAction(nullptr);
        return menuOpened;
    }
};

// A sleeping window (sleep nests) takes no input while the program still sets
// attributes and return ids still arrive. Awake: every change of a checkmark
// either way; a cycle only on a change; the close gadget and Escape ask each
// time and the window stays open; menu items return their user data, About MUI
// runs its notification too.
TEST_F(ToolkitInputTest, EachInputProducesItsReturnIdUnlessTheWindowSleeps)
{
    SetAttrs(t.window, MUIA_Window_Sleep, 1);
    SetAttrs(t.window, MUIA_Window_Sleep, 1);
    EXPECT_EQ(Main()->cursor().shape(), Qt::BusyCursor);
    EXPECT_FALSE(EveryInput());
    EXPECT_FALSE(MUI_SimulateInput(About()));
    EXPECT_TRUE(DrainReturnIds(t.app).empty());
    EXPECT_EQ(Attr(t.check, MUIA_Selected), 0);
    EXPECT_EQ(Attr(t.cycle, MUIA_Cycle_Active), 0);
    SetAttrs(t.check, MUIA_Selected, 1);
    DoMethod(t.app, MUIM_Application_ReturnID, 11);
    EXPECT_EQ(DrainReturnIds(t.app), (Ids{ID_GADGETS, 11}));

    SetAttrs(t.window, MUIA_Window_Sleep, 0);
    Main()->close();
    EXPECT_TRUE(DrainReturnIds(t.app).empty());
    SetAttrs(t.window, MUIA_Window_Sleep, 0);
    EXPECT_EQ(Main()->cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(EveryInput());
    Click(t.check->widget);
    qobject_cast<QAbstractButton *>(t.popUp->widget.data())->click();
    SetAttrs(t.cycle, MUIA_Cycle_Active, 1);
    SetAttrs(t.cycle, MUIA_Cycle_Active, 0);
    EXPECT_EQ(DrainReturnIds(t.app),
              (Ids{ID_GADGETS, ID_BUTTON, ID_GADGETS, -1, -1, ID_BUTTON, 1, ID_GADGETS, ID_POPUP, ID_GADGETS}));
    EXPECT_TRUE(Main()->isVisible());
    EXPECT_TRUE(MUI_SimulateInput(About()));
    EXPECT_EQ(DrainReturnIds(t.app), Ids{6});
    EXPECT_EQ(MUI_ToolkitWindowCount(t.app), 1);
    MUI_CloseToolkitWindows(t.app);
}

}  // namespace
