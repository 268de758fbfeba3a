// The settings window as shown: its texts in other languages (under German and
// French no English text of the built-in tables; catalogs in every character set
// shown right), for a screen reader, the keyboard and a small screen.
// The fixture first: Qt's "signals" macro would clash with it.
#include "gui/screen_mode.h"
#include "gui/window_fixture.h"
#include "text/version.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QStringEncoder>
#include <QToolButton>
#include <QTreeWidget>

#include "platform/asl_strings.h"
#include "platform/muimaster_strings.h"
#include "platform/qt/screen_mode_requester.h"
#include "platform/system/locale.h"

namespace {

// The English texts of a table that the language's catalog translates, cut
// at format markers; menu texts without their shortcut key.
template <typename Entry, std::size_t N>
void AddEnglish(const Entry (&table)[N], const char *catalogName, std::vector<std::string> &out)
{
    Catalog *catalog = OpenCatalog(nullptr, catalogName, nullptr);
    ASSERT_NE(catalog, nullptr) << catalogName;
    for (const Entry &entry : table) {
        const std::size_t length = GetCatalogStrLength(catalog, entry.id);
        const std::string english = entry.text + (entry.text[0] != '\0' && entry.text[1] == '\0' ? 2 : 0);
        if (length == 0 ||
            std::string(GetCatalogStr(catalog, entry.id, ""), length).find(english) != std::string::npos) {
            continue;  // the same word in both languages
        }
        for (const QString &piece : QString::fromUtf8(english).split(QRegularExpression("%[0-9sd]|\n"))) {
            if (piece.trimmed().size() >= 4) {
                out.push_back(piece.trimmed().toStdString());
            }
        }
    }
    CloseCatalog(catalog);
}

// A text without its access key marker.
QString Unmarked(QString text)
{
    return text.replace(QRegularExpression(QStringLiteral("&(.)")), QStringLiteral("\\1"));
}

// The texts of a window and every widget in it.
void CollectTexts(QWidget *window, QStringList &texts)
{
    for (QWidget *w : QList<QWidget *>{window} + window->findChildren<QWidget *>()) {
        texts << w->windowTitle() << w->toolTip() << w->accessibleName() << Unmarked(w->property("text").toString())
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
            texts << Unmarked(action->text()) << action->shortcut().toString();
        }
    }
}

// The settings window, its About requester, the screen mode requester and the
// toolkit's About and settings windows, shown in the languages of the environment.
class ShownTextsTest : public WindowTest {
protected:
    // Every text the windows show.
    QStringList ShownTexts()
    {
        Shutdown(0);
        ResetProgramState();
        EXPECT_EQ(OpenLibraries(), 0);
        SetAppName("St\xE4rfield");  // ISO-8859-1, as icons hold it
        BuildAndStart();
        SetAttrs(mainWindow, MUIA_Window_Open, 1, TAG_DONE);
        QStringList texts;
        AslSetRequestHook([&texts](AslScreenModeControl &control) {
            CollectTexts(dynamic_cast<QWidget *>(&control), texts);
            return false;
        });
        ScreenModeCommand();
        AslSetRequestHook(nullptr);
        DispatchCommand(ID_ABOUT);
        for (const std::string &request : requests) {
            texts << QString::fromUtf8(request.c_str());
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
        return texts;
    }
};

class LanguageWindowsTest : public ShownTextsTest, public ::testing::WithParamInterface<const char *> {};

TEST_P(LanguageWindowsTest, NoWindowShowsEnglish)
{
    ScopedCatalogEnvironment environment(BUILD_DIR, GetParam());
    std::vector<std::string> english;
    AddEnglish(builtInStrings, "Vellumine/Settings.catalog", english);
    AddEnglish(asl_text::builtInStrings, "Sys/asl.catalog", english);
    AddEnglish(mui_text::builtInStrings, "Sys/muimaster.catalog", english);
    const QStringList texts = ShownTexts();
    // The application's title is a name, the same in every language.
    const QString all = texts.join(QLatin1Char('\n'))
                            .remove("Vellumine Application Settings")
                            .remove(QString::fromUtf8(programCopyright));
    EXPECT_TRUE(all.contains(QString::fromUtf8(GetString(MSG_BUTTON_CANCEL))));
    for (const std::string &text : english) {
        EXPECT_FALSE(all.contains(QString::fromStdString(text))) << "English \"" << text << "\" in\n"
                                                                 << all.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(GermanAndFrench, LanguageWindowsTest, ::testing::Values("de", "fr"));

// The texts of a window that take an Alt key: its menu titles and buttons, and
// in a dialog also the labels that name a field that takes the keyboard; each has
// a key, no two the same.
void ExpectKeysDiffer(QWidget *window, bool dialog)
{
    QStringList texts;
    if (auto *bar = window->findChild<QMenuBar *>()) {
        for (QAction *title : bar->actions()) {
            texts << title->text();
        }
    }
    for (QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
        if (dialog ? !button->text().isEmpty() : qobject_cast<QPushButton *>(button) != nullptr) {
            texts << button->text();
        }
    }
    // A label of a field that takes no keyboard has none.
    for (QLabel *label : dialog ? window->findChildren<QLabel *>() : QList<QLabel *>()) {
        if (label->buddy() != nullptr && label->buddy()->focusPolicy() != Qt::NoFocus) {
            texts << label->text();
        } else if (label->buddy() != nullptr) {
            EXPECT_TRUE(QKeySequence::mnemonic(label->text()).isEmpty()) << label->text().toStdString();
        }
    }
    EXPECT_FALSE(texts.isEmpty()) << window->windowTitle().toStdString();
    QSet<QKeySequence> keys;
    for (const QString &text : texts) {
        const QKeySequence key = QKeySequence::mnemonic(text);
        EXPECT_FALSE(key.isEmpty() || keys.contains(key)) << text.toStdString();
        keys.insert(key);
    }
}

// In every language each menu title and button of the window, of the screen mode
// requester and of the toolkit's windows has an Alt key; the menus show the
// desktop's keys for help and for leaving beside the menu's own; no text of the
// catalog falls back to its built-in one.
TEST_F(ShownTextsTest, AccessKeysDifferInEveryLanguage)
{
    for (const char *language :
         {"", "da", "de", "es", "fr", "it", "nl", "nb", "pl", "pt", "fi", "sv", "cs", "el", "ru"}) {
        SCOPED_TRACE(language);
        ScopedCatalogEnvironment environment(BUILD_DIR, language);
        Shutdown(0);
        ResetProgramState();
        ASSERT_EQ(OpenLibraries(), 0);
        for (const StringEntry &e : builtInStrings) {
            const bool held = GetCatalogStrLength(catalogHandle, e.id) != 0;
            EXPECT_EQ(GetString(e.id), held ? GetCatalogStr(catalogHandle, e.id, nullptr) : e.text) << e.id;
        }
        BuildAndStart();
        SetAttrs(mainWindow, MUIA_Window_Open, 1, TAG_DONE);
        auto *widget = reinterpret_cast<QWidget *>(Attr(mainWindow, MUIA_Window_Window));
        ASSERT_NE(widget, nullptr);
        ExpectKeysDiffer(widget, false);
        QStringList items;
        for (QMenu *menu : widget->findChild<QMenuBar *>()->findChildren<QMenu *>()) {
            for (QAction *item : menu->actions()) {
                // Qt shows the keys a text names after a tab, else the first key.
                items << (item->text().contains(QLatin1Char('\t')) ? item->text().section(QLatin1Char('\t'), 1)
                                                                   : item->shortcut().toString());
            }
        }
        EXPECT_TRUE(items.join(", ").split(", ").contains("F1")) << items.join(" | ").toStdString();
        EXPECT_TRUE(items.join(", ").split(", ").contains("Ctrl+Q")) << items.join(" | ").toStdString();
        AslSetRequestHook([](AslScreenModeControl &control) {
            ExpectKeysDiffer(dynamic_cast<QWidget *>(&control), true);
            return false;
        });
        ScreenModeCommand();
        AslSetRequestHook(nullptr);
        DoMethod(app, MUIM_Application_AboutMUI, mainWindow);
        DoMethod(app, MUIM_Application_OpenConfigWindow, 0);
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->isVisible() && window != widget) {
                ExpectKeysDiffer(window, true);
            }
        }
        MUI_CloseToolkitWindows(app);
    }
}

// A catalog set: the language, the catalogs' folder, the set (MIBenum and the
// name the texts are written in; null: the bytes as given) and two texts.
struct CharacterSetCase {
    const char *language;
    const char *folder;
    std::uint32_t codeset;
    const char *encoding;
    const char *title;  // UTF-8
    const char *label;
    bool convertible = true;  // false: no catalog can be used
};

class CharacterSetTest : public ShownTextsTest, public ::testing::WithParamInterface<CharacterSetCase> {};

// Translations in each set are shown as the Unicode texts they stand for: the
// title, a frame's title, a menu item with its shortcut, the requester's and the
// toolkit's texts. Empty texts leave the built-in ones; an unknown set or a text
// that does not decode leaves every built-in text.
TEST_P(CharacterSetTest, CatalogsInEverySetAreShownAsTheirUnicodeTexts)
{
    const CharacterSetCase &set = GetParam();
    auto encode = [&set](const std::string &text) {  // UTF-8, or the bytes as given
        return set.encoding == nullptr
                   ? text
                   : QByteArray(QStringEncoder(set.encoding)(QString::fromUtf8(text))).toStdString();
    };
    const QString label = QString::fromUtf8(set.label);
    const std::string bytes = set.label;
    TempDir root;
    auto install = [&](const char *name, std::vector<std::pair<std::int32_t, std::string>> texts) {
        InstallCatalog(root.path(), set.folder, MakeCatalogBytes(texts, set.codeset), name);
    };
    install("Vellumine/Settings", {{MSG_WINDOW_TITLE, encode(set.title)},
                                   {MSG_GROUP_DISPLAY, encode(bytes)},
                                   {MSG_MENU_SAVE, encode(label.left(1).toStdString()) + '\0' + encode(bytes + " S")},
                                   {MSG_GROUP_SOUND, ""}});
    install("Sys/asl", {{asl_text::MSG_ASL_TITLE, encode(bytes + " A")}, {asl_text::MSG_ASL_MODES, ""}});
    install("Sys/muimaster", {{mui_text::MSG_MUI_FONT, encode(bytes + " M")}, {mui_text::MSG_MUI_DEFAULTS, ""}});
    ScopedCatalogEnvironment environment(root.path(), set.language);
    const QStringList texts = ShownTexts();
    const QString all = texts.join(QLatin1Char('\n'));

    const bool shown = set.convertible;
    const QKeySequence shortcut(
        QKeyCombination(Qt::ControlModifier, Qt::Key(shown ? label[0].toUpper().unicode() : 'S')));
    EXPECT_TRUE(all.contains(QStringLiteral("\n\nStärfield\n"))) << "the About text names the application";
    for (const QString &text :
         {shown ? QString::fromUtf8(set.title).replace("%s", "Stärfield") : QStringLiteral("Stärfield Settings"),
          shown ? label : QStringLiteral("Display settings"), shown ? label + " S" : QStringLiteral("Save prefs"),
          shortcut.toString(), shown ? label + " A" : QStringLiteral("Screen Mode"),
          shown ? label + " M" : QStringLiteral("Font"), QStringLiteral("Sound settings"),
          QStringLiteral("Display modes"), QStringLiteral("Restore defaults")}) {
        EXPECT_TRUE(texts.contains(text)) << text.toStdString() << " not in\n" << all.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sets, CharacterSetTest,
    ::testing::Values(CharacterSetCase{"pl", "polski", 5, "ISO-8859-2", "Ustawienia %s: gęślą jaźń", "Żółw głośności"},
                      CharacterSetCase{"el", "ελληνικά", 10, "ISO-8859-7", "Ρυθμίσεις του %s", "Ένταση ήχου"},
                      CharacterSetCase{"ru", "русский", 2251, "windows-1251", "Настройки %s", "Громкость"},
                      CharacterSetCase{"ru", "русский", 2084, "KOI8-R", "Параметры %s", "ёлка и ЁЛКА"},
                      CharacterSetCase{"fr", "français", 111, "ISO-8859-15", "Réglages de %s (€)", "Œuvre"},
                      CharacterSetCase{"ru", "русский", 106, "UTF-8", "Настройки %s ✓", "Звук 設定"},
                      CharacterSetCase{"ru", "русский", CODESET_AMIGA1251, "windows-1251", "Ёлка %s", "громкость ё"},
                      CharacterSetCase{"ru", "русский", 106, nullptr, "\xD0%s", "\xFF", false},       // not UTF-8
                      CharacterSetCase{"el", "ελληνικά", 10, nullptr, "\xD1%s", "\xC1\xFF", false}),  // 0xFF: none
    [](const auto &info) { return "Codeset" + std::to_string(info.param.codeset) + "_" + std::to_string(info.index); });

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
    ShowScreenModeName(AppSettings.modeId);
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
