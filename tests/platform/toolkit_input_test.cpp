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

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/toolkit_internal.h"
#include "toolkit_test_support.h"

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
        text = MUI_NewObject(MUIC_Text, MUIA_Frame, MUIV_Frame_Text, MUIA_Text_Contents, "mode");
        check = MUI_NewObject(MUIC_Image, MUIA_Frame, MUIV_Frame_ImageButton, MUIA_InputMode, MUIV_InputMode_Toggle,
                              MUIA_Image_Spec, MUII_CheckMark, MUIA_CycleChain, 1);
        unchained = MUI_NewObject(MUIC_Image, MUIA_InputMode, MUIV_InputMode_Toggle, MUIA_Image_Spec, MUII_CheckMark);
        slider = MUI_NewObject(MUIC_Slider, MUIA_Numeric_Min, 0, MUIA_Numeric_Max, 64, MUIA_Numeric_Value, 40,
                               MUIA_CycleChain, 1);
        button = MUI_NewObject(MUIC_Text, MUIA_Frame, MUIV_Frame_Button, MUIA_Text_Contents, "Save",
                               MUIA_InputMode, MUIV_InputMode_RelVerify, MUIA_CycleChain, 1);
        Object *row = MUI_NewObject(MUIC_Group, MUIA_Group_Horiz, 1, MUIA_Group_Child, text, MUIA_Group_Child, popUp);
        Object *root = MUI_NewObject(MUIC_Group, MUIA_Group_Child, cycle, MUIA_Group_Child, row,
                                     MUIA_Group_Child, unchained, MUIA_Group_Child, check,
                                     MUIA_Group_Child, slider, MUIA_Group_Child, button);
        window = MUI_NewObject(MUIC_Window, MUIA_Window_Title, "Input", MUIA_Window_Menustrip, strip,
                               MUIA_Window_RootObject, root);
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
        ASSERT_NE(aboutItem, nullptr);
        DoMethod(aboutItem, MUIM_Notify, MUIA_Menuitem_Trigger, MUIV_EveryTime, MUIV_Notify_Application, 2,
                 MUIM_Application_AboutMUI, window);
        SetAttrs(window, MUIA_Window_Open, 1);
        ProcessEvents();
    }
    void TearDown() override
    {
        MUI_DisposeObject(app);
        ToolkitTest::TearDown();
    }

    QMainWindow *Main() const { return qobject_cast<QMainWindow *>(window->widget.data()); }
    QAction *MenuAction(int menu, int item) const
    {
        return Main()->menuBar()->actions()[menu]->menu()->actions()[item];
    }
    static void Key(QWidget *to, int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, key, mods, key == Qt::Key_Space ? QStringLiteral(" ") : QString());
        QCoreApplication::sendEvent(to, &press);
        QKeyEvent release(QEvent::KeyRelease, key, mods, key == Qt::Key_Space ? QStringLiteral(" ") : QString());
        QCoreApplication::sendEvent(to, &release);
    }
    static void Click(QWidget *on)
    {
        const QPointF at(on->width() / 2.0, on->height() / 2.0);
        QMouseEvent press(QEvent::MouseButtonPress, at, on->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(on, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, on->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(on, &release);
    }
    IPTR Value(Object *obj, Tag attr) const
    {
        IPTR v = -12345;
        GetAttr(attr, obj, &v);
        return v;
    }

    Object *app = nullptr, *window = nullptr, *strip = nullptr, *cycle = nullptr, *popUp = nullptr;
    Object *text = nullptr, *check = nullptr, *unchained = nullptr, *slider = nullptr, *button = nullptr;
};

TEST_F(ToolkitInputTest, EachNotificationProducesItsReturnId)
{
    qobject_cast<QAbstractButton *>(button->widget.data())->click();
    EXPECT_EQ(DrainIds(app), std::vector<IPTR>{ID_BUTTON});
    EXPECT_EQ(Value(button, MUIA_Pressed), 0);

    qobject_cast<QAbstractButton *>(popUp->widget.data())->click();
    EXPECT_EQ(DrainIds(app), std::vector<IPTR>{ID_POPUP});

    // Every change of a checkmark, either way.
    Click(check->widget);
    Click(check->widget);
    EXPECT_EQ(DrainIds(app), (std::vector<IPTR>{ID_GADGETS, ID_GADGETS}));
    EXPECT_EQ(Value(check, MUIA_Selected), 0);

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
    EXPECT_EQ(Value(window, MUIA_Window_Open), 1);

    // Menu items return their user data; About MUI runs its notification too.
    MenuAction(0, 0)->trigger();
    EXPECT_EQ(DrainIds(app), std::vector<IPTR>{1});
    EXPECT_EQ(MUI_ToolkitWindowCount(app), 0);
    EXPECT_TRUE(MUI_SimulateInput(reinterpret_cast<Object *>(DoMethod(strip, MUIM_FindUData, 6))));
    EXPECT_EQ(DrainIds(app), std::vector<IPTR>{6});
    EXPECT_EQ(MUI_ToolkitWindowCount(app), 1);
    MUI_CloseToolkitWindows(app);
    EXPECT_EQ(MUI_ToolkitWindowCount(app), 0);

    // Sliders have no notification here: moving one returns nothing.
    EXPECT_TRUE(MUI_SimulateInput(slider, 12));
    EXPECT_TRUE(DrainIds(app).empty());
}

TEST_F(ToolkitInputTest, TheKeyboardOperatesFocusedControls)
{
    Key(check->focusWidget, Qt::Key_Space);
    EXPECT_EQ(Value(check, MUIA_Selected), 1);
    Key(button->focusWidget, Qt::Key_Space);
    Key(popUp->focusWidget, Qt::Key_Space);
    Key(cycle->focusWidget, Qt::Key_Down);
    EXPECT_EQ(Value(cycle, MUIA_Cycle_Active), 1);
    Key(slider->focusWidget, Qt::Key_Right);
    EXPECT_EQ(Value(slider, MUIA_Numeric_Value), 41);
    Key(slider->focusWidget, Qt::Key_Left);
    Key(slider->focusWidget, Qt::Key_Left);
    EXPECT_EQ(Value(slider, MUIA_Numeric_Value), 39);
    EXPECT_EQ(DrainIds(app), (std::vector<IPTR>{ID_GADGETS, ID_BUTTON, ID_POPUP, ID_GADGETS}));

    // Disabled controls take nothing.
    SetAttrs(check, MUIA_Disabled, 1);
    Key(check->focusWidget, Qt::Key_Space);
    Click(check->widget);
    EXPECT_EQ(Value(check, MUIA_Selected), 1);
    EXPECT_FALSE(MUI_SimulateInput(check));
    EXPECT_TRUE(DrainIds(app).empty());
}

TEST_F(ToolkitInputTest, TabFollowsTheCycleChainInTreeOrder)
{
    EXPECT_EQ(Main()->focusWidget(), cycle->focusWidget.data());  // the first control starts
    EXPECT_EQ(unchained->widget->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(text->widget->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(check->focusWidget->focusPolicy(), Qt::StrongFocus);

    cycle->focusWidget->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), cycle->focusWidget.data());
    std::vector<QWidget *> order{QApplication::focusWidget()};
    for (int i = 0; i < 5; ++i) {
        Key(QApplication::focusWidget(), Qt::Key_Tab);
        order.push_back(QApplication::focusWidget());
    }
    const std::vector<QWidget *> expected{cycle->focusWidget, popUp->focusWidget, check->focusWidget,
                                          slider->focusWidget, button->focusWidget, cycle->focusWidget};
    EXPECT_EQ(order, expected);
}

TEST_F(ToolkitInputTest, MenuShortcutsAreCtrlKey)
{
    Main()->activateWindow();
    ProcessEvents();
    ASSERT_EQ(QApplication::activeWindow(), Main());
    check->focusWidget->setFocus();
    Key(check->focusWidget, Qt::Key_S, Qt::ControlModifier);
    Key(check->focusWidget, Qt::Key_S);  // without Ctrl: nothing
    EXPECT_EQ(DrainIds(app), std::vector<IPTR>{1});
    EXPECT_EQ(Value(check, MUIA_Selected), 0);
}

TEST_F(ToolkitInputTest, ASleepingWindowTakesNoInput)
{
    Main()->activateWindow();
    ProcessEvents();
    check->focusWidget->setFocus();
    SetAttrs(window, MUIA_Window_Sleep, 1);
    SetAttrs(window, MUIA_Window_Sleep, 1);  // sleep nests
    EXPECT_EQ(Value(window, MUIA_Window_Sleep), 1);
    EXPECT_EQ(Main()->cursor().shape(), Qt::BusyCursor);

    Key(check->focusWidget, Qt::Key_Space);
    Click(check->focusWidget);
    Click(button->focusWidget);
    Key(cycle->focusWidget, Qt::Key_Down);
    Key(check->focusWidget, Qt::Key_S, Qt::ControlModifier);  // menu shortcut
    Main()->close();                                            // close gadget
    Key(check->focusWidget, Qt::Key_Escape);
    EXPECT_FALSE(MUI_SimulateInput(button));
    EXPECT_FALSE(MUI_SimulateInput(reinterpret_cast<Object *>(DoMethod(strip, MUIM_FindUData, 1))));
    Click(Main()->menuBar());
    EXPECT_TRUE(DrainIds(app).empty());
    EXPECT_EQ(Value(check, MUIA_Selected), 0);
    EXPECT_EQ(Value(cycle, MUIA_Cycle_Active), 0);

    // The program still sets attributes and return ids still arrive.
    SetAttrs(check, MUIA_Selected, 1);
    DoMethod(app, MUIM_Application_ReturnID, 11);
    EXPECT_EQ(DrainIds(app), (std::vector<IPTR>{ID_GADGETS, 11}));

    SetAttrs(window, MUIA_Window_Sleep, 0);
    EXPECT_EQ(Value(window, MUIA_Window_Sleep), 1);
    SetAttrs(window, MUIA_Window_Sleep, 0);
    EXPECT_EQ(Value(window, MUIA_Window_Sleep), 0);
    EXPECT_EQ(Main()->cursor().shape(), Qt::ArrowCursor);
    Key(check->focusWidget, Qt::Key_Space);
    Main()->close();
    EXPECT_EQ(DrainIds(app), (std::vector<IPTR>{ID_GADGETS, IPTR(-1)}));
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
    EXPECT_EQ(sigs, 0u);
    EXPECT_EQ(DoMethod(app, MUIM_Application_NewInput, &sigs), 5);
    EXPECT_NE(sigs, 0u);
    EXPECT_EQ(Wait(0), 0u);  // no signal of the toolkit: no wait
}

// Posts an id after a delay unless cancelled: ends a Wait that would hang.
class Watchdog {
public:
    Watchdog(Object *app, IPTR id)
        : thread_([this, app, id] {
              std::unique_lock<std::mutex> lock(mutex_);
              if (!cv_.wait_for(lock, std::chrono::seconds(10), [this] { return done_; })) {
                  DoMethod(app, MUIM_Application_ReturnID, id);
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool done_ = false;
    std::thread thread_;
};

TEST_F(ToolkitInputTest, ReturnIdFromAnotherThreadWakesAWaitingLoop)
{
    constexpr IPTR kHung = 9999;
    Watchdog watchdog(app, kHung);
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
    std::thread poster([gone] { DoMethod(gone, MUIM_Application_ReturnID, 1); });
    poster.join();
    SUCCEED();
}

}  // namespace
