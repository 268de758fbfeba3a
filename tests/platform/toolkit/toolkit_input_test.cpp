// Input: notifications producing return ids, the keyboard (cycle chain, Space,
// arrows, Ctrl+key), sleeping windows, and return ids from other threads
// waking a loop blocked in Wait.
#include <QAbstractButton>
#include <QComboBox>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QSlider>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stop_token>
#include <thread>

#include "platform/toolkit/toolkit_internal.h"
#include "platform/toolkit/toolkit_test_support.h"

namespace {

const char *const kEntries[] = {"One", "Two", "Three", nullptr};

NewMenu kMenu[] = {
    {NM_TITLE, "Project", nullptr, 0, 0, reinterpret_cast<void *>(8)},
    {NM_ITEM, "Save", "S", 0, 0, reinterpret_cast<void *>(1)},
    {NM_ITEM, NM_BARLABEL, nullptr, 0, 0, nullptr},
    {NM_ITEM, "About MUI", "M", 0, 0, reinterpret_cast<void *>(6)},
    {NM_END, nullptr, nullptr, 0, 0, nullptr},
};

constexpr IPTR ID_BUTTON = 1;
constexpr IPTR ID_GADGETS = 5;
constexpr IPTR ID_POPUP = 10;

class ToolkitInputTest : public ToolkitTest {
protected:
    void SetUp() override
    {
        ToolkitTest::SetUp();
        strip = MUI_MakeObject(MUIO_MenustripNM, kMenu, 0);
        cycle = MUI_NewObject(MUIC_Cycle, MUIA_Cycle_Entries, kEntries, MUIA_CycleChain, 1);
        popUp = MUI_NewObject(MUIC_Image, MUIA_Frame, MUIV_Frame_Button, MUIA_Image_Spec, MUII_PopUp,
                              MUIA_InputMode, MUIV_InputMode_RelVerify, MUIA_CycleChain, 1);
        check = MUI_NewObject(MUIC_Image, MUIA_Frame, MUIV_Frame_ImageButton, MUIA_InputMode, MUIV_InputMode_Toggle,
                              MUIA_Image_Spec, MUII_CheckMark, MUIA_CycleChain, 1);
        unchained = MUI_NewObject(MUIC_Image, MUIA_InputMode, MUIV_InputMode_Toggle, MUIA_Image_Spec, MUII_CheckMark);
        slider = MUI_NewObject(MUIC_Slider, MUIA_Numeric_Min, 0, MUIA_Numeric_Max, 64, MUIA_Numeric_Value, 40,
                               MUIA_CycleChain, 1);
        button = MUI_NewObject(MUIC_Text, MUIA_Frame, MUIV_Frame_Button, MUIA_Text_Contents, "Save",
                               MUIA_InputMode, MUIV_InputMode_RelVerify, MUIA_CycleChain, 1);
        Object *row = MUI_NewObject(MUIC_Group, MUIA_Group_Horiz, 1, MUIA_Group_Child, popUp);
        Object *root = MUI_NewObject(MUIC_Group, MUIA_Group_Child, cycle, MUIA_Group_Child, row,
                                     MUIA_Group_Child, unchained, MUIA_Group_Child, check,
                                     MUIA_Group_Child, slider, MUIA_Group_Child, button);
        window = MUI_NewObject(MUIC_Window, MUIA_Window_Menustrip, strip, MUIA_Window_RootObject, root);
        app = MUI_NewObject(MUIC_Application, MUIA_Application_Base, "INPUTTEST", MUIA_Application_Window, window);
        ASSERT_NE(app, nullptr);

        DoMethod(window, MUIM_Notify, MUIA_Window_CloseRequest, 1, app, 2, MUIM_Application_ReturnID,
                 MUIV_Application_ReturnID_Quit);
        DoMethod(button, MUIM_Notify, MUIA_Pressed, 0, app, 2, MUIM_Application_ReturnID, ID_BUTTON);
        DoMethod(popUp, MUIM_Notify, MUIA_Pressed, 0, app, 2, MUIM_Application_ReturnID, ID_POPUP);
        DoMethod(check, MUIM_Notify, MUIA_Selected, MUIV_EveryTime, app, 2, MUIM_Application_ReturnID, ID_GADGETS);
        DoMethod(cycle, MUIM_Notify, MUIA_Cycle_Active, MUIV_EveryTime, app, 2, MUIM_Application_ReturnID,
                 ID_GADGETS);
        auto *aboutItem = reinterpret_cast<Object *>(DoMethod(strip, MUIM_FindUData, 6));
        DoMethod(aboutItem, MUIM_Notify, MUIA_Menuitem_Trigger, MUIV_EveryTime, MUIV_Notify_Application, 2,
                 MUIM_Application_AboutMUI, window);
        SetAttrs(window, MUIA_Window_Open, 1);
        QCoreApplication::processEvents();
    }
    void TearDown() override
    {
        MUI_DisposeObject(app);
        ToolkitTest::TearDown();
    }

    QMainWindow *Main() const { return qobject_cast<QMainWindow *>(window->widget.data()); }
    // Ctrl+S as the window system delivers a menu shortcut: to the item's action.
    void SaveShortcut() const
    {
        QAction *save = Main()->menuBar()->actions()[0]->menu()->actions()[0];
        QShortcutEvent event(save->shortcut(), 0);
        QCoreApplication::sendEvent(save, &event);
    }
    static void Key(QWidget *to, int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        const QString text = key == Qt::Key_Space ? QStringLiteral(" ") : QString();
        for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent event(type, key, mods, text);
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
    Object *app = nullptr, *window = nullptr, *strip = nullptr, *cycle = nullptr, *popUp = nullptr;
    Object *check = nullptr, *unchained = nullptr, *slider = nullptr, *button = nullptr;
};

TEST_F(ToolkitInputTest, EachNotificationProducesItsReturnId)
{
    qobject_cast<QAbstractButton *>(button->widget.data())->click();
    qobject_cast<QAbstractButton *>(popUp->widget.data())->click();
    EXPECT_EQ(DrainIds(app), (std::vector<IPTR>{ID_BUTTON, ID_POPUP}));

    // Every change of a checkmark, either way.
    Click(check->widget);
    Click(check->widget);
    EXPECT_EQ(DrainIds(app), (std::vector<IPTR>{ID_GADGETS, ID_GADGETS}));

    // A cycle: the user's choice and the program's, but only on a change.
    qobject_cast<QComboBox *>(cycle->widget.data())->setCurrentIndex(2);
    SetAttrs(cycle, MUIA_Cycle_Active, 2);
    SetAttrs(cycle, MUIA_Cycle_Active, 0);
    EXPECT_EQ(DrainIds(app), (std::vector<IPTR>{ID_GADGETS, ID_GADGETS}));

    // The close gadget asks, every time, and so does Escape; the window stays open.
    Main()->close();
    Main()->close();
    Key(check->focusWidget, Qt::Key_Escape);
    EXPECT_EQ(DrainIds(app), (std::vector<IPTR>{IPTR(-1), IPTR(-1), IPTR(-1)}));
    EXPECT_TRUE(Main()->isVisible());

    // Menu items return their user data; About MUI runs its notification too.
    Main()->menuBar()->actions()[0]->menu()->actions()[0]->trigger();
    EXPECT_EQ(DrainIds(app), std::vector<IPTR>{1});
    EXPECT_TRUE(MUI_SimulateInput(reinterpret_cast<Object *>(DoMethod(strip, MUIM_FindUData, 6))));
    EXPECT_EQ(DrainIds(app), std::vector<IPTR>{6});
    EXPECT_EQ(MUI_ToolkitWindowCount(app), 1);
    MUI_CloseToolkitWindows(app);
}

TEST_F(ToolkitInputTest, TheKeyboardOperatesFocusedControls)
{
    Key(check->focusWidget, Qt::Key_Space);
    EXPECT_EQ(Attr(check, MUIA_Selected), 1);
    Key(button->focusWidget, Qt::Key_Space);
    Key(popUp->focusWidget, Qt::Key_Space);
    Key(cycle->focusWidget, Qt::Key_Down);
    EXPECT_EQ(Attr(cycle, MUIA_Cycle_Active), 1);
    Key(slider->focusWidget, Qt::Key_Left);
    EXPECT_EQ(Attr(slider, MUIA_Numeric_Value), 39);
    EXPECT_EQ(DrainIds(app), (std::vector<IPTR>{ID_GADGETS, ID_BUTTON, ID_POPUP, ID_GADGETS}));

    // Menu shortcuts are Ctrl+key; the key alone does nothing.
    Main()->activateWindow();
    QCoreApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), Main());
    check->focusWidget->setFocus();
    Key(check->focusWidget, Qt::Key_S, Qt::ControlModifier);
    Key(check->focusWidget, Qt::Key_S);
    EXPECT_EQ(DrainIds(app), std::vector<IPTR>{1});
    EXPECT_EQ(Attr(check, MUIA_Selected), 1);

    // Disabled controls take nothing.
    SetAttrs(check, MUIA_Disabled, 1);
    Key(check->focusWidget, Qt::Key_Space);
    Click(check->widget);
    EXPECT_EQ(Attr(check, MUIA_Selected), 1);
    EXPECT_FALSE(MUI_SimulateInput(check));
    EXPECT_TRUE(DrainIds(app).empty());
}

TEST_F(ToolkitInputTest, TabFollowsTheCycleChainInTreeOrder)
{
    EXPECT_EQ(Main()->focusWidget(), cycle->focusWidget.data());  // the first control starts
    cycle->focusWidget->setFocus();
    std::vector<QWidget *> order;
    for (int i = 0; i < 6; ++i) {
        order.push_back(QApplication::focusWidget());
        Key(QApplication::focusWidget(), Qt::Key_Tab);
    }
    const std::vector<QWidget *> expected{cycle->focusWidget, popUp->focusWidget, check->focusWidget,
                                          slider->focusWidget, button->focusWidget, cycle->focusWidget};
    EXPECT_EQ(order, expected);
}

TEST_F(ToolkitInputTest, ASleepingWindowTakesNoInput)
{
    Main()->activateWindow();
    QCoreApplication::processEvents();
    check->focusWidget->setFocus();
    SetAttrs(window, MUIA_Window_Sleep, 1);
    SetAttrs(window, MUIA_Window_Sleep, 1);
    EXPECT_EQ(Main()->cursor().shape(), Qt::BusyCursor);

    Key(check->focusWidget, Qt::Key_Space);
    Click(button->focusWidget);
    Key(cycle->focusWidget, Qt::Key_Down);
    SaveShortcut();
    Main()->close();  // close gadget
    Key(check->focusWidget, Qt::Key_Escape);
    EXPECT_FALSE(MUI_SimulateInput(reinterpret_cast<Object *>(DoMethod(strip, MUIM_FindUData, 1))));
    EXPECT_TRUE(DrainIds(app).empty());
    EXPECT_EQ(Attr(check, MUIA_Selected), 0);
    EXPECT_EQ(Attr(cycle, MUIA_Cycle_Active), 0);

    // The program still sets attributes and return ids still arrive.
    SetAttrs(check, MUIA_Selected, 1);
    DoMethod(app, MUIM_Application_ReturnID, 11);
    EXPECT_EQ(DrainIds(app), (std::vector<IPTR>{ID_GADGETS, 11}));

    SetAttrs(window, MUIA_Window_Sleep, 0);
    Main()->close();
    EXPECT_TRUE(DrainIds(app).empty()) << "sleep nests";
    SetAttrs(window, MUIA_Window_Sleep, 0);
    EXPECT_EQ(Main()->cursor().shape(), Qt::ArrowCursor);
    Key(check->focusWidget, Qt::Key_Space);
    SaveShortcut();
    Main()->close();
    EXPECT_EQ(DrainIds(app), (std::vector<IPTR>{ID_GADGETS, 1, IPTR(-1)}));
}

TEST_F(ToolkitInputTest, NewInputReturnsOneIdAtATime)
{
    std::uint32_t sigs = 0;
    EXPECT_EQ(DoMethod(app, MUIM_Application_NewInput, &sigs), 0);
    EXPECT_EQ(sigs, MUIV_Application_InputSignal);
    for (IPTR id : {3, 4, 5}) {
        DoMethod(app, MUIM_Application_ReturnID, id);
    }
    EXPECT_EQ(DoMethod(app, MUIM_Application_NewInput, &sigs), 3);
    EXPECT_EQ(sigs, 0u);  // more queued: call again at once
    EXPECT_EQ(Wait(MUIV_Application_InputSignal), MUIV_Application_InputSignal);  // does not block
    EXPECT_EQ(DoMethod(app, MUIM_Application_NewInput, &sigs), 4);
    EXPECT_EQ(DoMethod(app, MUIM_Application_NewInput, &sigs), 5);
    EXPECT_NE(sigs, 0u);
    EXPECT_EQ(Wait(0), 0u);  // no signal of the toolkit: no wait
}

TEST_F(ToolkitInputTest, ReturnIdFromAnotherThreadWakesAWaitingLoop)
{
    // Posts kHung after 10 s unless stopped first: ends a Wait that would hang.
    constexpr IPTR kHung = 9999;
    std::jthread watchdog([this](std::stop_token stop) {
        std::mutex mutex;
        std::condition_variable_any cv;
        std::unique_lock<std::mutex> lock(mutex);
        if (!cv.wait_for(lock, stop, std::chrono::seconds(10), [] { return false; }) && !stop.stop_requested()) {
            DoMethod(app, MUIM_Application_ReturnID, kHung);
        }
    });
    for (int round = 0; round < 300; ++round) {
        const IPTR expected = 100 + round;
        // Some ids are posted before the loop waits, some while it waits.
        std::thread poster([this, expected, round] {
            if (round % 3 != 0) {
                std::this_thread::sleep_for(std::chrono::microseconds(round % 7 * 150));
            }
            DoMethod(app, MUIM_Application_ReturnID, expected);
        });
        if (round % 3 == 0) {
            poster.join();
        }
        std::uint32_t sigs = 0;
        IPTR id = 0;
        while ((id = DoMethod(app, MUIM_Application_NewInput, &sigs)) == 0) {
            Wait(sigs);
        }
        if (poster.joinable()) {
            poster.join();
        }
        ASSERT_EQ(id, expected) << "round " << round;
    }
}

TEST_F(ToolkitInputTest, ReturnIdForADisposedApplicationIsIgnored)
{
    MUI_DisposeObject(app);
    Object *gone = app;
    app = nullptr;
    std::thread([gone] { DoMethod(gone, MUIM_Application_ReturnID, 1); }).join();
}

}  // namespace
