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
#include <QSlider>
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

TEST_F(ReachTest, EveryControlIsNamedByItsLabel)
{
    QWidget *window = Open();
    ASSERT_NE(window, nullptr);
    const QList<QCheckBox *> checks = window->findChildren<QCheckBox *>();
    const QList<QSlider *> sliders = window->findChildren<QSlider *>();
    ASSERT_EQ(checks.size(), 2);
    ASSERT_EQ(sliders.size(), 2);
    // A cycle is read by its entry; its label is its Labelled relation.
    auto *cycle = window->findChild<QComboBox *>();
    EXPECT_EQ(cycle->accessibleName(), "Display mode");
    const auto labels = QAccessible::queryAccessibleInterface(cycle)->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels[0].first->text(QAccessible::Name), "Display mode");
    EXPECT_EQ(Name(checks[0]), "Enable sound output?");
    EXPECT_EQ(Name(sliders[0]), "Master volume");
    EXPECT_EQ(Name(checks[1]), "Limit frames per second? (FPS)");
    EXPECT_EQ(Name(sliders[1]), "FPS");
    auto *popUp = window->findChild<QToolButton *>();
    EXPECT_EQ(Name(popUp), "Screen mode");
    EXPECT_EQ(popUp->toolTip(), "Screen mode");
    // The banner and the mode name are read as text.
    ShowScreenModeName();
    QStringList texts;
    for (QLabel *label : window->findChildren<QLabel *>()) {
        texts << Name(label);
    }
    EXPECT_TRUE(texts.contains(window->windowTitle())) << texts.join('|').toStdString();
    EXPECT_TRUE(texts.contains(QString::fromStdString(Text(screenModeText)))) << texts.join('|').toStdString();
}

TEST_F(ReachTest, AClickOnACheckmarksTextTogglesIt)
{
    QWidget *window = Open();
    QCheckBox *check = window->findChildren<QCheckBox *>()[1];
    const bool before = check->isChecked();
    for (QLabel *label : window->findChildren<QLabel *>()) {
        if (label->buddy() == check) {
            QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::NoButton,
                                Qt::NoModifier);
            QApplication::sendEvent(label, &release);
        }
    }
    EXPECT_NE(check->isChecked(), before);
    EXPECT_EQ(Attr(fpsCheckmark, MUIA_Selected), before ? 0 : 1);
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
