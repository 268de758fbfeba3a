// Object trees: building, failure anywhere giving a null application, disposal,
// attributes set and read back; their look: colour schemes and fonts (their
// texts: the language tests); remembered window places: per base name and
// window id, in the toolkit's own file, written only when a place changed.
#include <sys/stat.h>

#include <QComboBox>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QSlider>

#include <cstring>

#include "platform/toolkit/toolkit_test_support.h"

namespace {

using ToolkitTreeTest = ToolkitTest;

// A missing menu strip gives a window without a menu; counting ends with the
// failure.
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
}

TEST_F(ToolkitTreeTest, AttributesAreSetAndReadBack)
{
    t = BuildTree();
    ASSERT_NE(t.app, nullptr);
    // Menus: '&' shown, not a mnemonic, an access key marked; bars are separators. Texts are UTF-8.
    const auto items = qobject_cast<QMainWindow *>(t.window->widget.data())->menuBar()->actions()[0]->menu()->actions();
    EXPECT_EQ(items[0]->text(), QStringLiteral("&Save && go"));
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_EQ(qobject_cast<QComboBox *>(t.cycle->widget.data())->itemText(2), QStringLiteral("Full screen \u00e9"));
    // A big text stays big, and bold, in the application's font when that changes.
    const QFont before = QApplication::font();
    QApplication::setFont(QFont(QStringLiteral("DejaVu Serif"), 30));
    const QFont big = t.window->widget->findChild<QLabel *>()->font();
    QApplication::setFont(before);
    EXPECT_EQ(big.family(), QStringLiteral("DejaVu Serif"));
    EXPECT_GT(big.pointSizeF(), 30);
    EXPECT_TRUE(big.bold());

    // Cycle: the entry set is shown and read back.
    SetAttrs(t.cycle, MUIA_Cycle_Active, 2);
    EXPECT_EQ(qobject_cast<QComboBox *>(t.cycle->widget.data())->currentIndex(), 2);
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

// A control is named by the label beside it without its shortcut markers (an &
// or _ before a character that is not white space) and without a closing colon.
TEST_F(ToolkitTreeTest, AControlIsNamedByItsLabelWithoutMarkersOrClosingColon)
{
    const std::pair<const char *, const char *> cases[] = {{"Sa&ve _as : ", "Save as"},
                                                           {"Tom & Jerry:", "Tom & Jerry"},
                                                           {"Ratio 1:2", "Ratio 1:2"},
                                                           {"Time::\t", "Time:"},
                                                           {"&&x_", "x_"}};
    for (const auto &[text, name] : cases) {
        Object *check = MUI_NewObject(MUIC_Image, MUIA_Frame, MUIV_Frame_ImageButton, MUIA_InputMode,
                                      MUIV_InputMode_Toggle, MUIA_Image_Spec, MUII_CheckMark, MUIA_CycleChain, 1);
        Object *row = MUI_NewObject(MUIC_Group, MUIA_Group_Horiz, 1, MUIA_Group_Child, check, MUIA_Group_Child,
                                    MUI_MakeObject(MUIO_Label, text, MUIO_Label_LeftAligned));
        Object *window = MUI_NewObject(MUIC_Window, MUIA_Window_RootObject, row);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(check->focusWidget->accessibleName(), QString::fromUtf8(name)) << text;
        MUI_DisposeObject(window);
    }
}

// A window made after its application is taken by it once, is known as its
// window and goes with it; anything else is refused.
TEST_F(ToolkitTreeTest, AnApplicationTakesAWindowMadeAfterIt)
{
    t = BuildTree();
    Object *late = MUI_NewObject(MUIC_Window, MUIA_Window_RootObject, MUI_NewObject(MUIC_Group));
    EXPECT_EQ(DoMethod(t.app, OM_ADDMEMBER, t.check), 0u);
    EXPECT_EQ(DoMethod(t.app, OM_ADDMEMBER, late), 1u);
    EXPECT_EQ(DoMethod(t.app, OM_ADDMEMBER, late), 0u);
    EXPECT_EQ(DoMethod(t.app, OM_ADDMEMBER, t.window), 0u);
    EXPECT_EQ(toolkit::ApplicationOf(late), t.app);
    MUI_DisposeObject(t.app);
    t = Tree();
    EXPECT_EQ(toolkit::LiveObjectCount(), 0u);
}

// In every colour scheme a disabled slider is drawn unlike an enabled one.
TEST_F(ToolkitTreeTest, ADisabledSliderLooksDisabledInEveryScheme)
{
    for (const char *scheme : {"light", "dark", "desktop"}) {
        SCOPED_TRACE(scheme);
        QSettings(QString::fromStdString(settingsDir_.file("toolkit.ini")), QSettings::IniFormat)
            .setValue(QStringLiteral("LOOK/scheme"), QString::fromLatin1(scheme));
        Object *slider = MUI_NewObject(MUIC_Slider, MUIA_Numeric_Max, 10, MUIA_Numeric_Value, 5);
        Object *window =
            MUI_NewObject(MUIC_Window, MUIA_Window_RootObject, MUI_NewObject(MUIC_Group, MUIA_Group_Child, slider));
        t.app = MUI_NewObject(MUIC_Application, MUIA_Application_Base, "LOOK", MUIA_Application_Window, window);
        ASSERT_NE(t.app, nullptr);
        SetAttrs(window, MUIA_Window_Open, 1);
        QCoreApplication::processEvents();
        QWidget *groove = slider->widget->findChild<QSlider *>();
        const QImage enabled = groove->grab().toImage();
        SetAttrs(slider, MUIA_Disabled, 1);
        const QImage disabled = groove->grab().toImage();
        EXPECT_NE(enabled, disabled);
        MUI_DisposeObject(t.app);
        t = Tree();
    }
}

// A window takes its attributes in any order (each at each place, in the
// rotations of the list and of its reverse): its title, id, menu and root are its
// own, About MUI runs its notification, and its size is kept under its size name.
TEST_F(ToolkitTreeTest, AWindowTakesItsAttributesInAnyOrder)
{
    int width = 300;
    for (int turn = 0; turn < 10; ++turn) {
        int order[5];
        for (int i = 0; i < 5; ++i) {
            order[i] = (turn < 5 ? i + turn : 4 - i + turn) % 5;
        }
        auto make = [&order](const char *sizeName, Object *&strip) {
            strip = MUI_MakeObject(MUIO_MenustripNM, kMenu, 0);
            const TagItem given[] = {{MUIA_Window_Title, ToIPTR("Order")},
                                     {MUIA_Window_ID, 0x4F524452},
                                     {MUIA_Window_SizeName, ToIPTR(sizeName)},
                                     {MUIA_Window_Menustrip, ToIPTR(strip)},
                                     {MUIA_Window_RootObject, ToIPTR(MUI_NewObject(MUIC_Group))}};
            TagItem tags[6] = {};
            for (int i = 0; i < 5; ++i) {
                tags[i] = given[order[i]];
            }
            Object *window = MUI_NewObjectA(MUIC_Window, tags);
            MUI_NewObject(MUIC_Application, MUIA_Application_Base, "ORDER", MUIA_Application_Window, window);
            SetAttrs(window, MUIA_Window_Open, 1);
            return window;
        };
        Object *strip = nullptr;
        Object *window = make("/a", strip);
        ASSERT_NE(toolkit::ApplicationOf(window), nullptr);
        auto *about = reinterpret_cast<Object *>(DoMethod(strip, MUIM_FindUData, 6));
        DoMethod(about, MUIM_Notify, MUIA_Menuitem_Trigger, MUIV_EveryTime, MUIV_Notify_Application, 2,
                 MUIM_Application_AboutMUI, window);
        EXPECT_TRUE(MUI_SimulateInput(about));
        EXPECT_EQ(MUI_ToolkitWindowCount(toolkit::ApplicationOf(window)), 1);
        EXPECT_EQ(toolkit::TextAttr(window, MUIA_Window_Title), "Order");
        EXPECT_EQ(Attr(window, MUIA_Window_ID), 0x4F524452);
        EXPECT_EQ(reinterpret_cast<Object *>(Attr(window, MUIA_Window_Menustrip)), strip);
        window->widget->resize(++width, 200);
        MUI_DisposeObject(toolkit::ApplicationOf(window));
        window = make("/b", strip);
        EXPECT_NE(window->widget->width(), width);
        MUI_DisposeObject(toolkit::ApplicationOf(window));
        window = make("/a", strip);
        EXPECT_EQ(window->widget->width(), width) << order[0] << order[1] << order[2] << order[3] << order[4];
        MUI_DisposeObject(toolkit::ApplicationOf(window));
    }
}

// A window opens where, and as large as, it was left at every start (at the
// screen's corner too), as large as it was left for its size name (a drawer)
// where it has one; leaving it as it opened does not write the file again.
TEST_F(ToolkitTreeTest, AWindowOpensWhereItWasLeftAndAnUnchangedPlaceIsNotWritten)
{
    // The place a window of base and id opens at; it is then moved to next (if
    // any) and dropped, while open or after closing.
    QRect frame;  // the last window's frame as it opened
    auto openWith = [&frame](const char *base, IPTR id, std::optional<QRect> next = {}, bool closeFirst = false,
                             const char *sizeName = nullptr) {
        Object *window =
            MUI_NewObject(MUIC_Window, MUIA_Window_Title, "Prefs", MUIA_Window_ID, id, MUIA_Window_SizeName, sizeName,
                          MUIA_Window_RootObject, MUI_NewObject(MUIC_Group));
        Object *app = MUI_NewObject(MUIC_Application, MUIA_Application_Base, base, MUIA_Application_Window, window);
        EXPECT_NE(app, nullptr);
        SetAttrs(window, MUIA_Window_Open, 1);
        const QRect place(window->widget->pos(), window->widget->size());
        frame = window->widget->frameGeometry();
        if (next) {
            window->widget->move(next->topLeft());
            window->widget->resize(next->size());
        }
        if (closeFirst) {
            SetAttrs(window, MUIA_Window_Open, 0);
        }
        MUI_DisposeObject(app);
        return place;
    };
    const IPTR id = 0x53455453;
    const QRect first(40, 30, 611, 433), second(0, 0, 622, 444);
    openWith("PLACES", id, first, true);
    EXPECT_EQ(openWith("PLACES", id, second), first);
    EXPECT_EQ(openWith("PLACES", id), second) << "disposed of while open";
    EXPECT_NE(openWith("OTHER", id, QRect(5, 5, 1, 1)), second);
    EXPECT_NE(openWith("PLACES", 0x41424344, QRect(5, 5, 1, 1)), second);
    openWith("NAMED", id, QRect(20, 20, 500, 300), false, "/a");
    const QRect other = openWith("NAMED", id, QRect(30, 25, 400, 200), false, "/b");
    EXPECT_EQ(other.topLeft(), QPoint(20, 20));
    EXPECT_NE(other.size(), QSize(500, 300));
    EXPECT_EQ(openWith("NAMED", id, {}, false, "/a"), QRect(30, 25, 500, 300));

    // A place off the screen (by a pixel too), or larger, comes inside, flush with the edges it crossed.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    for (const QRect away : {QRect(area.right() - 298, area.bottom() - 198, 300, 200), QRect(-400, -300, 300, 200),
                             QRect(area.topLeft(), area.size() * 2)}) {
        openWith("AWAY", id, away);
        openWith("AWAY", id);
        EXPECT_TRUE(area.contains(frame) &&
                    (frame.topLeft() == area.topLeft() || frame.bottomRight() == area.bottomRight()))
            << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
    }

    // A rewrite replaces the file: a new inode, whatever the clock says.
    const std::string file = settingsDir_.file("toolkit.ini");
    auto inode = [&file] {
        struct stat st {};
        stat(file.c_str(), &st);
        return st.st_ino;
    };
    const auto before = inode();
    for (int start = 0; start < 3; ++start) {
        EXPECT_EQ(openWith("PLACES", id), second) << "start " << start;
    }
    EXPECT_EQ(inode(), before) << "an unchanged place was written";
}

}  // namespace
