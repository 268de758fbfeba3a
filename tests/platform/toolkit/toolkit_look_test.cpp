// The toolkit's look: colour schemes and fonts (its windows' texts: the language tests).
#include <QImage>
#include <QLabel>
#include <QSettings>
#include <QSlider>

#include "platform/toolkit/toolkit_test_support.h"

namespace {

using ToolkitLookTest = ToolkitTest;

// In every colour scheme a disabled slider is drawn unlike an enabled one.
TEST_F(ToolkitLookTest, ADisabledSliderLooksDisabledInEveryScheme)
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

// A big text stays big, and bold, in the application's font when that changes.
TEST_F(ToolkitLookTest, ABigTextFollowsTheApplicationFont)
{
    t = BuildTree();
    ASSERT_NE(t.app, nullptr);
    const QFont before = QApplication::font();
    QFont font(QStringLiteral("DejaVu Serif"), 30);
    QApplication::setFont(font);
    const QFont big = t.window->widget->findChild<QLabel *>()->font();
    QApplication::setFont(before);
    EXPECT_EQ(big.family(), font.family());
    EXPECT_GT(big.pointSizeF(), 30);
    EXPECT_TRUE(big.bold());
}

}  // namespace
