#include "document.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "guide_render.h"
#include "support/catalog_test_util.h"
#include "support/temp_dir.h"
#include "viewer_texts.h"
#include "viewer_window.h"

namespace {

class ViewerTest : public ::testing::Test {
protected:
    std::string Write(const std::string &name, const std::string &bytes)
    {
        std::filesystem::create_directories(std::filesystem::path(root_.file(name)).parent_path());
        WriteFileBytes(root_.file(name), bytes);
        return root_.file(name);
    }
    TempDir root_;
    const std::string dir_ = root_.path();
    int argc_ = 1;
    char name_[12] = "test_viewer", *argv_[2] = {name_, nullptr};
    QApplication application_{argc_, argv_};
};

// Runs the viewer program without a display, with the arguments (quoted for
// the shell); its exit status and standard error (or, with output, standard output).
int RunViewer(const std::string &args, std::string *errors, bool output = false)
{
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" VIEWER_BIN "' " + args;
    FILE *pipe = popen((command + (output ? " 2>/dev/null" : " 2>&1 >/dev/null")).c_str(), "r");
    char buffer[256];
    for (std::size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        errors->append(buffer, got);
    }
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Without a display: a text printed in UTF-8 (read as ISO-8859-1 when it is not
// UTF-8), guide nodes listed by the names that reach them (each once) and printed,
// the first for an empty name; what cannot be shown named, with 1 (a FIFO without
// blocking); wrong usage 2; a name that looks like an option is still a file name.
TEST_F(ViewerTest, PrintsWithoutDisplayAndRefusesWhatItCannotShow)
{
    const std::string guide = Write("g.guide", "@database\n@node Main\nfirst\n@node \"Two words\" \"T\"\n"
                                               "@{\"label\" link Main} @{b}bold@{ub}\n@node\nx\n@node MAIN\ny\n");
    ASSERT_EQ(mkfifo((dir_ + "/pipe.txt").c_str(), 0600), 0);
    const struct {
        std::string args;
        int status;
        const char *output;  // standard output, else a part of standard error
    } cases[] = {
        {"--nodes " + guide, 0, "Main\nTwo words\n"},
        {"--text " + guide, 0, "first\n"},
        {"--text " + guide + " 'two WORDS'", 0, "label bold\n"},
        {"--text " + guide + " ''", 0, "first\n"},
        {"--text " + Write("utf8.txt", "Grüße\n"), 0, "Grüße\n"},
        {"--text " + Write("amiga.txt", "Gr\xFC\337e\n"), 0, "Grüße\n"},
        {"--text " + Write("empty.txt", ""), 0, ""},
        {"--text " + guide + " Three", 1, "there is no node Three in g.guide"},
        {"--text " + Write("none.guide", "@database\nx\n"), 1, "none.guide: it has no nodes"},
        {"--nodes " + Write("plain.txt", "@database? no"), 1, "not an AmigaGuide document"},
        {"'" + dir_ + "/missing file.md'", 1, "no such file"},
        {dir_, 1, "it is a folder"},
        {dir_ + "/pipe.txt", 1, "not a regular file"},
        {Write("image.md", std::string("PNG\0\0\x01\x02", 7)), 1, "not a text"},
        {"''", 1, "no document was named"},
        {"-platform", 1, "-platform"},
        {"-- --help", 1, "cannot show --help"},
        {"--nodes " + guide + " extra", 2, "Usage"},
        {"", 2, "Usage"},
    };
    for (const auto &each : cases) {
        std::string text;
        EXPECT_EQ(RunViewer(each.args, &text, each.status == 0), each.status) << each.args;
        EXPECT_TRUE(each.status == 0 ? text == each.output : text.find(each.output) != std::string::npos)
            << each.args << ": " << text;
    }
}

// Markdown and HTML rendered, plain text as it is, the format told by the suffix
// (any letter case), else by the start.
TEST_F(ViewerTest, RendersEachFormat)
{
    QTextBrowser browser;
    Document document;
    QString error;
    for (const auto &[file, text, shown] :
         {std::tuple("help.MARKDOWN", "Some *stars*.\n", "Some stars."),
          std::tuple("help.htm", "# not markdown<p>a &amp; b</p>", "# not markdown\na & b"),
          std::tuple("help.txt", "<html><b>kept</b> # as is", "<html><b>kept</b> # as is"),
          std::tuple("help.guide", "  <!DOCTYPE html><p>x", "x"),
          std::tuple("README", "# Title\n\ntext", "Title\ntext"),
          std::tuple("NOTES", "Title\n# not first", "Title\n# not first")}) {
        ASSERT_TRUE(ReadDocument(Write(file, text).c_str(), &document, &error));
        ShowDocument(&browser, document);
        EXPECT_EQ(browser.toPlainText().toStdString(), shown) << file;
    }
}

// A guide's styles, pens and links as shown. Then each step's window title and
// the buttons it leaves enabled (Contents, Index, Help, Retrace, Browse < and >;
// '-' for a disabled one), and what else it shows. A button that is disabled
// does nothing: at either end of the nodes, and Retrace with no history.
TEST_F(ViewerTest, GuideNavigatesNodesAndFilesAndRunsNothing)
{
    // clang-format off
    const std::string main = Write(
        "docs/main.guide",
        "@database\n@index Idx\n@help Hlp\n@node Two \"Second\"\n" + std::string(80, '\n') + "@node Main \"Main title\"\n"
        "@{b}Bold@{ub} @{fg shine}Pen@{fg text}\n@{jcenter}@{\"two\" link two 40}"
        "@{\"other\" link sub/Other.GUIDE/Start}@{\"up\" link /up.txt/main}"
        "@{\"vol\" link Work:x.guide/main}@{\"run\" system \"touch " + dir_ + "/ran\"}@{\"bye\" close}"
        "@{\"notes\" link Notes.txt}@{\"nowhere\" link Nowhere}@{\"start\" link \"\"}\n"
        "@node Idx\n@next Main\n@toc Two\nindex\n@node Hlp\n@prev Main\nhelp\n");
    // clang-format on
    Write("docs/sub/other.guide", "@database\n@node Start \"Other start\"\n@{\"main\" link main}\n");
    Write("up.txt", "plain up");
    Write("docs/notes.txt", "notes");
    ViewerWindow window;
    QString error;
    ASSERT_TRUE(window.OpenDocument(main.c_str(), &error)) << error.toStdString();
    window.resize(400, 300);
    window.show();
    QTextBrowser &browser = *window.browser();
    auto FormatOf = [&browser](const char *text) { return browser.document()->find(text).charFormat(); };
    EXPECT_EQ(FormatOf("Bold").fontWeight(), QFont::Bold);
    EXPECT_EQ(FormatOf("Pen").foreground().color(), browser.palette().color(QPalette::Light));
    EXPECT_EQ(browser.document()->lastBlock().blockFormat().alignment(), Qt::AlignHCenter);
    EXPECT_EQ(GuideAnchorLink(FormatOf("two").anchorHref()), 0);
    const QTextCharFormat command = FormatOf("run");
    EXPECT_EQ(GuideAnchorLink(command.anchorHref()), 4);
    EXPECT_TRUE(command.toolTip().contains("touch")) << command.toolTip().toStdString();
    const QList<QAction *> buttons = window.actions();
    ASSERT_EQ(buttons.size(), 6);
    int scrolled = 0;
    window.findChild<QLineEdit *>()->setText("Pen");
    const QList<QPushButton *> find = window.findChildren<QPushButton *>();  // Previous, Next
    auto found = [&browser] { return browser.textCursor().selectionStart() == 5; };

    const struct {
        std::function<void()> step;
        const char *title, *enabled;
        std::function<bool()> shows = [] { return true; };
    } steps[] = {
        {[] {}, "Main title", "CIH-<>"},                             // MAIN, not the first node
        {[&] { find[0]->click(); }, "Main title", "CIH-<>", found},  // back from the start: from the end
        {[&] { find[1]->click(); }, "Main title", "CIH-<>", found},  // on from the last: from the start
        {[&] { window.Retrace(); }, "Main title", "CIH-<>"},
        {[&] { window.ActivateLink(0); }, "Second", "CIHR->",
         [&] { return browser.textCursor().blockNumber() == 40; }},  // the link's line
        {[&] { scrolled = browser.verticalScrollBar()->value(), window.BrowsePrevious(); }, "Second", "CIHR->"},
        {[&] { window.BrowseNext(); }, "Main title", "CIHR<>"},
        {[&] { window.Retrace(); }, "Second", "CIHR->",
         [&] { return browser.verticalScrollBar()->value() == scrolled; }},  // where it was left
        {[&] { window.Retrace(); }, "Main title", "CIH-<>"},
        {[&] { window.ActivateLink(1); }, "Other start", "C--R--"},  // Amiga names ignore letter case
        {[&] { window.ActivateLink(0); }, "Other start", "C--R--"},  // "main": the first node when none is so called
        {[&] { window.Retrace(); }, "Other start", "C--R--"},
        {[&] { window.Retrace(); }, "Main title", "CIH-<>"},
        {[&] { window.ActivateLink(2); }, "up.txt", "---R--", [&] { return browser.toPlainText() == "plain up"; }},
        {[&] { window.Retrace(); }, "Main title", "CIH-<>"},
        {[&] { window.ActivateLink(3); }, "Main title", "CIH-<>",
         [&] { return window.statusBar()->currentMessage().contains("Work:"); }},  // no such volume here
        {[&] { window.ActivateLink(4); }, "Main title", "CIH-<>"},                 // never run
        {[&] { window.ActivateLink(7); }, "Main title", "CIH-<>"},                 // no such node nor file
        {[&] { window.ActivateLink(8); }, "Main title", "CIHR<>"},                 // no name: the start node
        {[&] { window.Retrace(); }, "Main title", "CIH-<>"},
        {[&] { window.ActivateLink(6); }, "notes.txt", "---R--"},  // no such node: the file beside
        {[&] { window.Retrace(); }, "Main title", "CIH-<>"},
        {[&] { window.ShowHelp(); }, "Hlp", "CIHR<-"},
        {[&] { window.BrowseNext(); }, "Hlp", "CIHR<-"},
        {[&] { window.BrowsePrevious(); }, "Main title", "CIHR<>"},  // as @prev says
        {[&] { window.BrowseNext(); }, "Idx", "CIHR<>"},
        {[&] { window.BrowseNext(); }, "Main title", "CIHR<>"},  // as @next says
        {[&] { window.ShowIndex(); }, "Idx", "CIHR<>"},
        {[&] { window.ShowContents(); }, "Second", "CIHR->"},  // as the node's @toc says
        {[&] { window.ShowContents(); }, "Main title", "CIHR<>"},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        steps[i].step();
        std::string enabled = "CIHR<>";
        for (int k = 0; k < 6; ++k) {
            enabled[k] = buttons[k]->isEnabled() ? enabled[k] : '-';
        }
        EXPECT_EQ(window.windowTitle().toStdString() + " " + enabled,
                  std::string(steps[i].title) + " - Help " + steps[i].enabled)
            << "step " << i;
        EXPECT_TRUE(steps[i].shows()) << "step " << i;
    }
    EXPECT_GT(scrolled, 0);
    EXPECT_FALSE(std::filesystem::exists(dir_ + "/ran"));
    window.ActivateLink(5);
    EXPECT_FALSE(window.isVisible());
}

// The viewer's catalog is read in its own set (windows-1251 here, in a folder
// named in English); an empty text leaves the built-in one.
TEST_F(ViewerTest, CatalogTextsAreDecodedInTheCatalogsSet)
{
    Write("Catalogs/russian/Vellumine/SettingsViewer.catalog",
          MakeCatalogBytes({{TXT_CONTENTS, "&\xD1\xEE\xE4\xE5\xF0\xE6\xE0\xED\xE8\xE5"}, {TXT_INDEX, ""}}, 2251,
                           "russian"));
    ScopedCatalogEnvironment russian(dir_, "ru");
    CloseViewerCatalog();
    EXPECT_EQ(ViewerText(TXT_CONTENTS), QString::fromUtf8("&Содержание"));
    EXPECT_EQ(ViewerText(TXT_INDEX), QStringLiteral("&Index"));
    CloseViewerCatalog();
}

}  // namespace
