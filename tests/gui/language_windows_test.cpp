// Under German and French no window or requester shows an English text of the
// built-in tables: the settings window, its About requester, the screen mode
// requester and the toolkit's About and settings windows.
// The fixture first: Qt's "signals" macro would clash with it.
#include "gui/screen_mode.h"
#include "gui/window_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QTreeWidget>

#include "platform/asl.h"
#include "platform/asl_strings.h"
#include "platform/locale.h"
#include "platform/muimaster_strings.h"
#include "support/catalog_test_util.h"

namespace {

// The English texts of a table that the language's catalog translates, cut
// at format markers; menu texts without their shortcut key.
template <typename Entry, std::size_t N>
void AddEnglish(const Entry (&table)[N], const char *catalogName, std::vector<std::string> &out)
{
    Locale *locale = OpenLocale(nullptr);
    Catalog *catalog = OpenCatalog(locale, catalogName, nullptr);
    ASSERT_NE(catalog, nullptr) << catalogName;
    for (const Entry &entry : table) {
        const std::size_t length = GetCatalogStrLength(catalog, entry.id);
        const std::string english = entry.text + (entry.text[0] != '\0' && entry.text[1] == '\0' ? 2 : 0);
        if (length == 0 ||
            std::string(GetCatalogStr(catalog, entry.id, ""), length).find(english) != std::string::npos) {
            continue;  // the same word in both languages
        }
        for (const QString &piece : QString::fromLatin1(english).split(QRegularExpression("%[0-9sd]|\n"))) {
            if (piece.trimmed().size() >= 4) {
                out.push_back(piece.trimmed().toStdString());
            }
        }
    }
    CloseCatalog(catalog);
    CloseLocale(locale);
}

void CollectTexts(QWidget *w, QStringList &texts)
{
    texts << w->windowTitle() << w->toolTip() << w->accessibleName() << w->property("text").toString()
          << w->property("title").toString();  // labels, buttons; group frames
    if (auto *combo = qobject_cast<QComboBox *>(w)) {
        for (int i = 0; i < combo->count(); ++i) {
            texts << combo->itemText(i);
        }
    } else if (auto *tree = qobject_cast<QTreeWidget *>(w)) {
        for (int i = 0; i < tree->columnCount(); ++i) {
            texts << tree->headerItem()->text(i);
        }
    }
    for (QAction *action : w->actions()) {
        texts << action->text();
    }
    for (QObject *child : w->children()) {
        if (auto *widget = qobject_cast<QWidget *>(child)) {
            CollectTexts(widget, texts);
        }
    }
}

class LanguageWindowsTest : public WindowTest, public ::testing::WithParamInterface<const char *> {};

TEST_P(LanguageWindowsTest, NoWindowShowsEnglish)
{
    ScopedCatalogEnvironment environment(BUILD_DIR, GetParam());
    Shutdown(0);
    ResetProgramState();
    ASSERT_EQ(OpenLibraries(), 0);
    SetAppName(GetString(MSG_DEFAULT_APP_NAME));
    std::vector<std::string> english;
    AddEnglish(builtInStrings, "Vellumine/Settings.catalog", english);
    AddEnglish(asl_text::builtInStrings, "Sys/asl.catalog", english);
    AddEnglish(mui_text::builtInStrings, "Sys/muimaster.catalog", english);

    BuildAndStart();
    SetAttrs(mainWindow, MUIA_Window_Open, 1, TAG_DONE);
    QStringList texts;
    AslSetRequestHook([&texts](AslScreenModeControl &control) {
        CollectTexts(dynamic_cast<QWidget *>(&control), texts);
        return false;
    });
    ChooseScreenMode();
    AslSetRequestHook(nullptr);
    DispatchCommand(ID_ABOUT);
    for (const std::string &request : requests) {
        texts << QString::fromLatin1(request.c_str());
    }
    DoMethod(app, MUIM_Application_AboutMUI, mainWindow);
    DoMethod(app, MUIM_Application_OpenConfigWindow, 0);
    EXPECT_EQ(MUI_ToolkitWindowCount(app), 2);
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->isVisible()) {
            CollectTexts(window, texts);
        }
    }
    MUI_CloseToolkitWindows(app);
    // The application's title is a name, the same in every language.
    const QString all = texts.join(QLatin1Char('\n')).remove("Vellumine Application Settings");
    EXPECT_TRUE(all.contains(QString::fromLatin1(GetString(MSG_BUTTON_CANCEL))));
    for (const std::string &text : english) {
        EXPECT_FALSE(all.contains(QString::fromStdString(text))) << "English \"" << text << "\" in\n"
                                                                 << all.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(GermanAndFrench, LanguageWindowsTest, ::testing::Values("de", "fr"));

}  // namespace
