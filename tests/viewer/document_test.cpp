#include "document.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QTextBrowser>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

namespace {

class ViewerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/viewer_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Write(const std::string &name, const std::string &bytes)
    {
        std::string path = dir_ + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    std::string dir_;
};

// Runs the viewer program without a display, with the arguments (quoted for
// the shell); its exit status and standard error (or, with output, standard output).
int RunViewer(const std::string &args, std::string *errors, bool output = false)
{
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" VIEWER_BIN "' " + args;
    FILE *pipe = popen((command + (output ? " 2>/dev/null" : " 2>&1 >/dev/null")).c_str(), "r");
    errors->clear();
    char buffer[256];
    for (std::size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        errors->append(buffer, got);
    }
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(ViewerTest, ReadsTextInUtf8OrLatin1)
{
    Document document;
    QString error;
    ASSERT_TRUE(ReadDocument(Write("notes.txt", "Gr\xC3\xBC\xC3\x9F" "e\n").c_str(), &document,
                             &error));
    EXPECT_EQ(document.text, QString::fromUtf8("Grüße\n"));
    EXPECT_EQ(document.format, DocumentFormat::PlainText);
    EXPECT_EQ(document.fileName, QStringLiteral("notes.txt"));

    // An Amiga text in ISO-8859-1 is not valid UTF-8.
    ASSERT_TRUE(ReadDocument(Write("amiga.txt", "Gr\xFC\xDF" "e\n").c_str(), &document, &error));
    EXPECT_EQ(document.text, QString::fromUtf8("Grüße\n"));
}

TEST_F(ViewerTest, FormatBySuffixThenContent)
{
    EXPECT_EQ(DetectFormat("Help.md", "plain"), DocumentFormat::Markdown);
    EXPECT_EQ(DetectFormat("Help.MARKDOWN", ""), DocumentFormat::Markdown);
    EXPECT_EQ(DetectFormat("Help.html", "# not markdown"), DocumentFormat::Html);
    EXPECT_EQ(DetectFormat("Help.htm", ""), DocumentFormat::Html);
    EXPECT_EQ(DetectFormat("Help.txt", "<html>"), DocumentFormat::PlainText);
    EXPECT_EQ(DetectFormat("Help", "  <!DOCTYPE html><p>x"), DocumentFormat::Html);
    EXPECT_EQ(DetectFormat("Help.guide", "<HTML><body>"), DocumentFormat::Html);
    EXPECT_EQ(DetectFormat("README", "# Title\n\ntext"), DocumentFormat::Markdown);
    EXPECT_EQ(DetectFormat("README", "Title\n# not first"), DocumentFormat::PlainText);
}

TEST_F(ViewerTest, RefusesWhatItCannotShow)
{
    Document document;
    QString error;
    EXPECT_FALSE(ReadDocument((dir_ + "/missing.md").c_str(), &document, &error));
    EXPECT_EQ(error, QStringLiteral("no such file"));
    EXPECT_FALSE(ReadDocument(dir_.c_str(), &document, &error));
    EXPECT_EQ(error, QStringLiteral("it is a folder"));
    EXPECT_FALSE(ReadDocument(Write("image.md", std::string("PNG\0\0\x01\x02", 7)).c_str(),
                              &document, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("not a text")));
    std::string fifo = dir_ + "/pipe.txt";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(ReadDocument(fifo.c_str(), &document, &error));  // and does not block
    EXPECT_FALSE(ReadDocument("", &document, &error));
    if (geteuid() != 0) {
        std::string locked = Write("locked.txt", "secret");
        chmod(locked.c_str(), 0);
        EXPECT_FALSE(ReadDocument(locked.c_str(), &document, &error));
    }
    // An empty file is an empty document.
    EXPECT_TRUE(ReadDocument(Write("empty.txt", "").c_str(), &document, &error));
}

TEST_F(ViewerTest, ShowsMarkdownAndHtmlRendered)
{
    int argc = 1;
    char name[] = "test_viewer";
    char *argv[] = {name, nullptr};
    QApplication application(argc, argv);
    QTextBrowser browser;
    Document document;
    QString error;

    ASSERT_TRUE(ReadDocument(Write("help.md", "# Starfield\n\nSome *stars*.\n").c_str(), &document,
                             &error));
    ShowDocument(&browser, document);
    EXPECT_TRUE(browser.toPlainText().startsWith(QStringLiteral("Starfield")));
    EXPECT_FALSE(browser.toPlainText().contains(u'*'));

    ASSERT_TRUE(ReadDocument(Write("help.html", "<h1>Stars</h1><p>a &amp; b</p>").c_str(),
                             &document, &error));
    ShowDocument(&browser, document);
    EXPECT_EQ(browser.toPlainText(), QStringLiteral("Stars\na & b"));

    ASSERT_TRUE(ReadDocument(Write("help.txt", "<b>kept</b> # as is").c_str(), &document, &error));
    ShowDocument(&browser, document);
    EXPECT_EQ(browser.toPlainText(), QStringLiteral("<b>kept</b> # as is"));
}

TEST_F(ViewerTest, ProgramEndsWithMessageAndStatusOnBadInput)
{
    std::string errors;
    EXPECT_EQ(RunViewer("'" + dir_ + "/missing file.md'", &errors), 1);
    EXPECT_NE(errors.find("cannot show " + dir_ + "/missing file.md: no such file"), std::string::npos)
        << errors;
    EXPECT_EQ(RunViewer(dir_, &errors), 1);
    EXPECT_NE(errors.find("folder"), std::string::npos) << errors;
    EXPECT_EQ(RunViewer("", &errors), 2);
    EXPECT_NE(errors.find("Usage"), std::string::npos);
    EXPECT_EQ(RunViewer("a b", &errors), 2);
    // A name that looks like an option is still a file name.
    EXPECT_EQ(RunViewer("-platform", &errors), 1);
    EXPECT_NE(errors.find("cannot show -platform: no such file"), std::string::npos) << errors;
}

TEST_F(ViewerTest, ListsAndPrintsGuideNodesWithoutDisplay)
{
    const std::string guide = Write("g.guide", "@database\n@node Main\nfirst\n@node \"Two words\" \"T\"\n"
                                               "@{\"label\" link Main} @{b}bold@{ub}\n");
    const struct {
        std::string args;
        int status;
        const char *output;  // standard output, else a part of standard error
    } cases[] = {
        {"--nodes " + guide, 0, "Main\nTwo words\n"},
        {"--text " + guide, 0, "first\n"},
        {"--text " + guide + " 'two WORDS'", 0, "label bold\n"},
        {"--text " + guide + " Three", 1, "there is no node Three in g.guide"},
        {"--nodes " + Write("plain.txt", "@database? no"), 1, "not an AmigaGuide document"},
        {"--text " + dir_ + "/missing", 1, "no such file"},
        {"--nodes " + guide + " extra", 2, "Usage"},
    };
    for (const auto &each : cases) {
        std::string text;
        EXPECT_EQ(RunViewer(each.args, &text, each.status == 0), each.status) << each.args;
        if (each.status == 0) {
            EXPECT_EQ(text, each.output) << each.args;
        } else {
            EXPECT_NE(text.find(each.output), std::string::npos) << each.args << ": " << text;
        }
    }
}

}  // namespace
