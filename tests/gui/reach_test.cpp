// The settings window for a screen reader, the keyboard and a small screen.
// The fixture first: Qt's "signals" macro would clash with it.
#include "gui/screen_mode.h"
#include "gui/window_fixture.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QToolButton>

namespace {

class ReachTest : public WindowTest {
protected:
    QWidget *Open()
    {
        BuildAndStart();
        SetAttrs(mainWindow, MUIA_Window_Open, 1, TAG_DONE);
        return reinterpret_cast<QWidget *>(Attr(mainWindow, MUIA_Window_Window));
    }
    static QString Name(QWidget *w) { return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name); }
};

// Each control is named by a label of its own, which is its buddy (a cycle's:
// its Labelled relation); a click on a checkmark's text toggles it; a pop-up
// button shows its name as a tooltip. The banner and the mode name are read as text.
TEST_F(ReachTest, EveryControlIsNamedByItsOwnLabel)
{
    QWidget *window = Open();
    ShowScreenModeName();
    QStringList names, texts;
    for (QLabel *label : window->findChildren<QLabel *>()) {
        texts << Name(label);
        if (QWidget *control = label->buddy(); control != nullptr) {
            names << control->accessibleName();
            EXPECT_EQ(control->accessibleName().toStdString(), Name(label).toStdString());
            auto *check = qobject_cast<QCheckBox *>(control);
            const bool before = check != nullptr && check->isChecked();
            QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::NoButton,
                                Qt::NoModifier);
            QApplication::sendEvent(label, &release);
            EXPECT_TRUE(check == nullptr || check->isChecked() != before) << names.last().toStdString();
        }
    }
    names.removeDuplicates();
    EXPECT_EQ(names.size(), 6) << names.join('|').toStdString();
    const auto labels =
        QAccessible::queryAccessibleInterface(window->findChild<QComboBox *>())->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels[0].first->text(QAccessible::Name), "Display mode");
    EXPECT_EQ(window->findChild<QToolButton *>()->toolTip(), "Screen mode");
    EXPECT_EQ(Attr(fpsCheckmark, MUIA_Selected), 1);
    EXPECT_TRUE(texts.contains(window->windowTitle())) << texts.join('|').toStdString();
    EXPECT_TRUE(texts.contains(QString::fromStdString(Text(screenModeText)))) << texts.join('|').toStdString();
}

// The window is known to the toolkit by a name and id of its own: it opens where
// it was left.
TEST_F(ReachTest, TheWindowOpensWhereItWasLeft)
{
    QWidget *window = Open();
    window->move(window->pos() + QPoint(37, 41));
    const QRect left = window->geometry();
    Dispose();
    EXPECT_EQ(Open()->geometry(), left);
}

// A long name is cut in the banner, whole in its tooltip, and leaves the window
// inside its screen (remembered places off it: the toolkit's places test).
TEST_F(ReachTest, ALongNameLeavesTheWindowInsideItsScreen)
{
    SetAppName(std::string(127, 'W').c_str());
    QWidget *window = Open();
    EXPECT_LE(window->width(), QGuiApplication::primaryScreen()->availableGeometry().width());
    bool elided = false;
    for (QLabel *label : window->findChildren<QLabel *>()) {
        elided |= label->toolTip().startsWith(QString(127, 'W')) && label->text().contains(QChar(0x2026));
    }
    EXPECT_TRUE(elided);
}

}  // namespace
