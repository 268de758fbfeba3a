// The viewer's window on AmigaGuide documents: styles in the palette's
// colours, the navigation buttons, links across files, and nothing run.
#include <QApplication>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "guide_render.h"
#include "viewer_window.h"

namespace {

class GuideViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/guide_view_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Write(const std::string &name, const std::string &bytes)
    {
        std::string path = dir_ + "/" + name;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    int argc_ = 1;
    char name_[12] = "test_viewer";
    char *argv_[2] = {name_, nullptr};
    QApplication application_{argc_, argv_};
    std::string dir_;
};

// The character format of the first place the text is found.
QTextCharFormat FormatOf(QTextBrowser &browser, const QString &text)
{
    QTextCursor found = browser.document()->find(text);
    EXPECT_FALSE(found.isNull()) << text.toStdString();
    return found.charFormat();
}

TEST_F(GuideViewTest, RendersStylesPensAndLinks)
{
    GuideDocument guide;
    const std::string bytes = "@database\n@node N\n@{b}Bold@{ub} @{fg shine}@{bg fill}Pen@{fg text}\n\n"
                              "@{jcenter}@{\"go\" link M}@{\"run\" system \"cmd arg\"}@{\"vol\" link Work:a/b}\n"
                              "@smartwrap\n";
    ASSERT_TRUE(ParseAmigaGuide(bytes.data(), bytes.size(), &guide));
    QTextBrowser browser;
    RenderGuideNode(&browser, guide, 0, "/tmp");
    const QPalette palette = browser.palette();

    EXPECT_EQ(FormatOf(browser, "Bold").fontWeight(), QFont::Bold);
    EXPECT_NE(FormatOf(browser, " ").fontWeight(), QFont::Bold);
    EXPECT_EQ(FormatOf(browser, "Pen").foreground().color(), GuidePenColor(GuidePen::Shine, palette));
    EXPECT_EQ(FormatOf(browser, "Pen").background().color(), palette.color(QPalette::Highlight));
    EXPECT_EQ(GuidePenColor(GuidePen::Shine, palette), palette.color(QPalette::Light));
    QTextBlock second = browser.document()->firstBlock().next().next();
    EXPECT_EQ(second.blockFormat().alignment(), Qt::AlignHCenter);
    EXPECT_TRUE(second.blockFormat().nonBreakableLines() == false);  // a smart-wrapped node wraps

    const QTextCharFormat link = FormatOf(browser, "go");
    EXPECT_TRUE(link.isAnchor());
    EXPECT_EQ(GuideAnchorLink(link.anchorHref()), 0);
    EXPECT_EQ(link.foreground().color(), palette.color(QPalette::Link));
    const QTextCharFormat command = FormatOf(browser, "run");
    EXPECT_EQ(GuideAnchorLink(command.anchorHref()), 1);
    EXPECT_TRUE(command.toolTip().contains("cmd arg")) << command.toolTip().toStdString();
    EXPECT_NE(command.foreground().color(), palette.color(QPalette::Link));
    EXPECT_TRUE(FormatOf(browser, "vol").toolTip().contains("Work:")) << FormatOf(browser, "vol").toolTip().toStdString();
}

TEST_F(GuideViewTest, NavigatesNodesAndFilesAndRunsNothing)
{
    const std::string main = Write(
        "docs/main.guide",
        "@database\n@index Idx\n@node Main \"Main title\"\n"
        "@{\"two\" link two 3}@{\"other\" link sub/Other.GUIDE/Start}@{\"up\" link /up.txt/main}"
        "@{\"vol\" link Work:x.guide/main}@{\"run\" system \"touch " + dir_ + "/ran\"}@{\"bye\" close}"
        "@{\"notes\" link Notes.txt}\n"
        "@node Two \"Second\"\n0\n1\n2\n3\n4\n@node Idx\n@next Main\nindex\n");
    Write("docs/sub/other.guide", "@database\n@node Start \"Other start\"\nhello\n");
    Write("up.txt", "plain up");
    Write("docs/notes.txt", "notes");
    ViewerWindow window;
    QString error;
    ASSERT_TRUE(window.OpenDocument(main.c_str(), &error)) << error.toStdString();
    window.show();

    const struct {
        std::function<void()> step;
        const char *title;
    } steps[] = {
        {[] {}, "Main title - Help"},
        {[&] { window.ActivateLink(0); }, "Second - Help"},
        {[&] { window.BrowseNext(); }, "Idx - Help"},
        {[&] { window.Retrace(); }, "Second - Help"},
        {[&] { window.Retrace(); }, "Main title - Help"},
        {[&] { window.ActivateLink(1); }, "Other start - Help"},  // Amiga names ignore letter case
        {[&] { window.Retrace(); }, "Main title - Help"},
        {[&] { window.ActivateLink(2); }, "up.txt - Help"},
        {[&] { window.Retrace(); }, "Main title - Help"},
        {[&] { window.ActivateLink(3); }, "Main title - Help"},  // no such volume here
        {[&] { window.ActivateLink(4); }, "Main title - Help"},  // never run
        {[&] { window.ActivateLink(6); }, "notes.txt - Help"},   // no such node: the file beside
        {[&] { window.Retrace(); }, "Main title - Help"},
        {[&] { window.BrowsePrevious(); }, "Main title - Help"},
        {[&] { window.BrowseNext(); }, "Second - Help"},
        {[&] { window.BrowseNext(); }, "Idx - Help"},
        {[&] { window.BrowseNext(); }, "Main title - Help"},     // as @next says
        {[&] { window.ShowIndex(); }, "Idx - Help"},
        {[&] { window.ShowContents(); }, "Main title - Help"},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        steps[i].step();
        EXPECT_EQ(window.windowTitle().toStdString(), steps[i].title) << "step " << i;
        if (i == 1) {
            EXPECT_EQ(window.browser()->textCursor().blockNumber(), 3);  // the link's line
        } else if (i == 7) {
            EXPECT_EQ(window.browser()->toPlainText(), QStringLiteral("plain up"));
        } else if (i == 9) {
            EXPECT_TRUE(window.statusBar()->currentMessage().contains("Work:"));
        }
    }
    EXPECT_FALSE(std::filesystem::exists(dir_ + "/ran"));
    window.ActivateLink(5);
    EXPECT_FALSE(window.isVisible());
}

}  // namespace
