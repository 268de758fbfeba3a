// The toolkit's own side: remembered window places, its settings window
// (style and font per application), its About window.
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QSpinBox>
#include <QStyle>
#include <QStyleFactory>

#include <sys/stat.h>

#include "platform/toolkit/toolkit_internal.h"
#include "platform/toolkit/toolkit_test_support.h"

namespace {

class ToolkitPrefsTest : public ToolkitTest {
protected:
    void SetUp() override
    {
        ToolkitTest::SetUp();
        style_ = QApplication::style()->name();
        font_ = QApplication::font();
    }
    void TearDown() override
    {
        MUI_DisposeObject(app);
        QApplication::setStyle(style_);
        QApplication::setFont(font_);
        ToolkitTest::TearDown();
    }
    Object *Make(const char *base, IPTR id = 0x53455453)
    {
        banner = MUI_NewObject(MUIC_Text, MUIA_Text_Contents, "Banner", MUIA_Font, MUIV_Font_Big);
        Object *root = MUI_NewObject(MUIC_Group, MUIA_Group_Child, banner);
        window = MUI_NewObject(MUIC_Window, MUIA_Window_Title, "Prefs", MUIA_Window_ID, id,
                               MUIA_Window_RootObject, root);
        app = MUI_NewObject(MUIC_Application, MUIA_Application_Title, "Prefs test", MUIA_Application_Version,
                            "$VER: Prefs test 1.3 (13.03.05)", MUIA_Application_Base, base,
                            MUIA_Application_Window, window);
        return app;
    }
    void Drop()
    {
        MUI_DisposeObject(app);
        app = nullptr;
    }
    QDialog *ToolkitDialog(const char *childName) const
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *dialog = qobject_cast<QDialog *>(w);
            if (dialog != nullptr && dialog->isVisible() && dialog->findChild<QWidget *>(childName) != nullptr) {
                return dialog;
            }
        }
        return nullptr;
    }

    Object *app = nullptr, *window = nullptr, *banner = nullptr;
    QString style_;
    QFont font_;
};

TEST_F(ToolkitPrefsTest, AWindowsPlaceAndSizeAreRememberedPerBaseNameAndId)
{
    // The size a window of base and id opens with; it is then resized to next and dropped.
    auto openWith = [this](const char *base, IPTR id, QSize next, bool closeFirst = false) {
        EXPECT_NE(Make(base, id), nullptr);
        SetAttrs(window, MUIA_Window_Open, 1);
        const QSize size = window->widget->size();
        window->widget->resize(next);
        if (closeFirst) {
            SetAttrs(window, MUIA_Window_Open, 0);
        }
        Drop();
        return size;
    };
    const IPTR id = 0x53455453;
    openWith("PLACES", id, {611, 433}, true);
    EXPECT_EQ(openWith("PLACES", id, {622, 444}), QSize(611, 433));
    EXPECT_EQ(openWith("PLACES", id, {622, 444}), QSize(622, 444)) << "disposed of while open";
    EXPECT_NE(openWith("OTHER", id, {1, 1}), QSize(622, 444));
    EXPECT_NE(openWith("PLACES", 0x41424344, {1, 1}), QSize(622, 444));

    // In the toolkit's own file, written only when a place changed.
    const std::string file = settingsDir_.file("toolkit.ini");
    EXPECT_NE(ReadFileBytes(file).find("[PLACES]"), std::string::npos);
    auto written = [&file] {
        struct stat st {};
        stat(file.c_str(), &st);
        return std::pair(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
    };
    const auto before = written();
    const QSize size = openWith("PLACES", id, {1, 1});
    openWith("PLACES", id, size);
    const auto after = written();
    EXPECT_NE(after, before);
    openWith("PLACES", id, size);
    EXPECT_EQ(written(), after) << "an unchanged place was written";
}

TEST_F(ToolkitPrefsTest, TheSettingsWindowAppliesSavesAndRestoresStyleAndFont)
{
    QString other;
    for (const QString &key : QStyleFactory::keys()) {
        other = key.compare(style_, Qt::CaseInsensitive) != 0 ? key : other;
    }
    if (other.isEmpty()) {
        GTEST_SKIP() << "only one widget style";
    }

    ASSERT_NE(Make("LOOK"), nullptr);
    DoMethod(app, MUIM_Application_OpenConfigWindow, 0);
    EXPECT_EQ(MUI_ToolkitWindowCount(app), 1);
    QDialog *config = ToolkitDialog("style");
    ASSERT_NE(config, nullptr);
    config->findChild<QComboBox *>("style")->setCurrentText(other);
    EXPECT_EQ(QApplication::style()->name().compare(other, Qt::CaseInsensitive), 0);  // at once
    config->findChild<QSpinBox *>("fontSize")->setValue(17);
    EXPECT_EQ(QApplication::font().pointSize(), 17);
    EXPECT_GT(banner->widget->font().pointSizeF(), 17.0) << "the big font follows the new font";
    Drop();

    QApplication::setStyle(style_);
    QApplication::setFont(font_);
    ASSERT_NE(Make("ELSEWHERE"), nullptr);  // no settings of its own: the look stays
    EXPECT_EQ(QApplication::style()->name(), style_);
    Drop();
    ASSERT_NE(Make("LOOK"), nullptr);
    EXPECT_EQ(QApplication::style()->name().compare(other, Qt::CaseInsensitive), 0);
    EXPECT_EQ(QApplication::font().pointSize(), 17);
}

TEST_F(ToolkitPrefsTest, TheAboutWindowTellsAboutTheToolkitAndQt)
{
    ASSERT_NE(Make("ABOUT"), nullptr);
    SetAttrs(window, MUIA_Window_Open, 1);
    DoMethod(app, MUIM_Application_AboutMUI, window);
    EXPECT_EQ(MUI_ToolkitWindowCount(app), 1);
    QDialog *about = ToolkitDialog("aboutText");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->parentWidget(), window->widget.data());
    const std::string text = about->findChild<QLabel *>("aboutText")->text().toStdString();
    EXPECT_NE(text.find(qVersion()), std::string::npos) << text;
    EXPECT_NE(text.find("Prefs test 1.3 (13.03.05)"), std::string::npos) << text;
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(about, &escape);
    EXPECT_EQ(MUI_ToolkitWindowCount(app), 0);
}

}  // namespace
