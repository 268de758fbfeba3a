// SettingsViewer: shows one plain text, HTML, Markdown or AmigaGuide document
// in a window until the user closes it; lists or prints an AmigaGuide
// document's nodes without a display.
//
//   SettingsViewer [--] FILE             (one argument is the document, but --help or --version)
//   SettingsViewer --nodes FILE          one line per node name, as --text and links take it
//   SettingsViewer --text FILE [NODE]    the node (default, or NODE empty: the first) as plain text
//   SettingsViewer --help | --version
//
// Exit status: 0 when the window was closed or the output written, 1 when the
// document or node cannot be shown (the reason on standard error; for the window,
// in a message box too), 2 on wrong usage.
#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QScreen>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "document.h"
#include "platform/system/locale.h"
#include "viewer_texts.h"
#include "viewer_window.h"

namespace {

constexpr int kHelpColumns = 80;  // no line of --help is wider
const char *commandName = SETTINGS_VIEWER_NAME;

bool HaveDisplay()
{
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char *value = std::getenv(name);
        if (value != nullptr && value[0] != '\0') {
            return true;
        }
    }
    return false;
}

// The catalog's texts name the program SettingsViewer; shown, they name the command as it was run.
QString NamingCommand(QString text)
{
    return text.replace(QLatin1String("SettingsViewer"), QString::fromLocal8Bit(commandName));
}

int CannotShow(const QByteArray &path, const QString &reason)
{
    std::fprintf(
        stderr, "%s\n",
        NamingCommand(ViewerText(TXT_CANNOT_SHOW)).arg(QFile::decodeName(path), reason).toLocal8Bit().constData());
    return 1;
}

// A document the window cannot show: the reason on standard error and, where there
// is a display, in a message box until the user closes it.
int ReportRefusal(char *program, const QByteArray &path, const QString &reason)
{
    CannotShow(path, reason);
    if (HaveDisplay()) {
        int qtArgc = 1;
        char *qtArgv[] = {program, nullptr};
        QApplication application(qtArgc, qtArgv);
        // In a window the message does not start with the program's name, as on
        // standard error: it is the words a link that cannot be shown gets.
        QMessageBox::warning(nullptr, ViewerText(TXT_WINDOW_TITLE).arg(QFileInfo(QFile::decodeName(path)).fileName()),
                             ViewerText(TXT_LINK_FAILED).arg(QFile::decodeName(path), reason));
    }
    return 1;
}

void Write(const std::string &text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
}

// --nodes and --text: the document read without a display.
int PrintDocument(const QByteArray &path, bool nodes, const QString *nodeName)
{
    Document document;
    QString error;
    if (!ReadDocument(path.constData(), &document, &error)) {
        return CannotShow(path, error);
    }
    if (!document.guide) {
        if (nodes || nodeName != nullptr) {
            return CannotShow(path, ViewerText(TXT_NOT_A_GUIDE));
        }
        Write(document.text.toStdString());
        return 0;
    }
    const GuideDocument &guide = *document.guide;
    if (nodes) {
        // Each name once: a nameless node, or one named as an earlier node is, is
        // reached only by browsing.
        for (std::size_t i = 0; i < guide.nodes.size(); ++i) {
            const std::string &name = guide.nodes[i].name;
            if (!name.empty() && FindGuideNode(guide, name) == static_cast<int>(i)) {
                Write(name + '\n');
            }
        }
        return 0;
    }
    if (guide.nodes.empty()) {
        return CannotShow(path, ViewerText(TXT_NO_NODES));
    }
    const bool named = nodeName != nullptr && !nodeName->isEmpty();
    const int node = named ? FindGuideNode(guide, nodeName->toStdString()) : 0;
    if (node < 0) {
        return CannotShow(path, ViewerText(TXT_NO_SUCH_NODE).arg(*nodeName, document.fileName));
    }
    Write(GuideNodeText(guide.nodes[static_cast<std::size_t>(node)]));
    return 0;
}

// The program's name as it was run.
const char *ProgramName(const char *argv0)
{
    const char *slash = std::strrchr(argv0, '/');
    return slash != nullptr ? slash + 1 : argv0;
}

int PrintHelp(const char *program)
{
    const QString help = ViewerText(TXT_HELP_TEXT).arg(QString::fromLocal8Bit(program));
    std::fputs(QString::fromStdString(WrapToColumns(help.toStdString(), kHelpColumns)).toLocal8Bit().constData(),
               stdout);
    return 0;
}

// The version, then the copyright and the licence in the user's language.
int PrintVersion()
{
    std::printf("%s %s\nCopyright (C) 2026 The Settings developers\n%s\n<https://opensource.org/licenses/MIT>\n",
                SETTINGS_VIEWER_NAME, SETTINGS_VERSION, ViewerText(TXT_LICENCE).toLocal8Bit().constData());
    return 0;
}

int Usage()
{
    std::fputs(NamingCommand(ViewerText(TXT_USAGE)).toLocal8Bit().constData(), stderr);
    return 2;
}

}  // namespace

int main(int argc, char **argv)
{
    // The help process gives the document's path as the one argument, whatever it
    // looks like but --help and --version.
    QByteArray path;
    if (argc > 0) {
        commandName = ProgramName(argv[0]);
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        return PrintHelp(commandName);
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        return PrintVersion();
    }
    if (argc == 2 && std::strncmp(argv[1], "--nodes=", 8) != 0 && std::strncmp(argv[1], "--text=", 7) != 0) {
        path = argv[1];
    } else {
        QStringList arguments;
        for (int i = 0; i < argc; ++i) {
            arguments << QFile::decodeName(argv[i]);
        }
        // A name is given on as the bytes it came as.
        auto bytes = [&arguments, argv](const QString &value) {
            const qsizetype at = arguments.lastIndexOf(value);
            return at > 0 ? QByteArray(argv[at]) : QFile::encodeName(value);
        };
        QCommandLineParser parser;
        const QCommandLineOption nodesOption(QStringLiteral("nodes"), QString(), QStringLiteral("FILE"));
        const QCommandLineOption textOption(QStringLiteral("text"), QString(), QStringLiteral("FILE"));
        parser.addOption(nodesOption);
        parser.addOption(textOption);
        if (!parser.parse(arguments)) {
            return Usage();
        }
        const QStringList positional = parser.positionalArguments();
        const bool nodes = parser.isSet(nodesOption);
        const bool text = parser.isSet(textOption);
        if (nodes && !text && positional.isEmpty()) {
            return PrintDocument(bytes(parser.value(nodesOption)), true, nullptr);
        }
        if (text && !nodes && positional.size() <= 1) {
            return PrintDocument(bytes(parser.value(textOption)), false,
                                 positional.isEmpty() ? nullptr : &positional.front());
        }
        if (nodes || text || positional.size() != 1) {
            return Usage();
        }
        path = bytes(positional.front());
    }

    auto document = std::make_shared<Document>();
    QString error;
    if (!ReadDocument(path.constData(), document.get(), &error)) {
        return ReportRefusal(argv[0], path, error);
    }
    if (!HaveDisplay()) {
        return CannotShow(path, ViewerText(TXT_NO_DISPLAY));
    }

    // Qt sees no argument of ours: a document name is never taken for a Qt option.
    int qtArgc = 1;
    char *qtArgv[] = {argv[0], nullptr};
    QApplication application(qtArgc, qtArgv);
    // Qt's own texts (context menus, standard buttons) in the user's language, where installed.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(&qtTexts);
    }

    ViewerWindow window;
    window.OpenDocument(path, std::move(document));
    QSize size(760, 640);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    }
    window.resize(size);
    window.show();
    window.setFocus();
    return application.exec() == 0 ? 0 : 1;
}
