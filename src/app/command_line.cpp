#include "app/command_line.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cerrno>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "app/command_line_modes.h"
#include "app/mode_list.h"
#include "app/show_json.h"
#include "platform/display.h"
#include "platform/formats/charset.h"
#include "platform/locale.h"
#include "platform/x11_screens.h"
#include "settings/tooltypes.h"
#include "text/icon_problem_text.h"
#include "text/line_text.h"
#include "text/strings.h"
#include "text/version.h"

namespace {

std::string programName = "Settings";
constexpr int kHelpColumns = 80;  // no line of --help is wider

// Qt's own options for a window (its application, its platform plugins): they go
// to the Qt application, with the value that follows those that take one.
const char *const kQtValueOptions[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin",      "qwindowgeometry",
    "geometry", "qwindowtitle",       "title",         "qwindowicon", "icon",
    "style",    "stylesheet",         "session",       "display",     "name",
    "visual"};
const char *const kQtFlagOptions[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

enum class QtOption { None, Flag, Value, ValueAttached };

// Whether arg is one of Qt's options ("-style", "--style", "-style=fusion").
QtOption FindQtOption(const char *arg)
{
    if (arg[0] != '-') {
        return QtOption::None;
    }
    const char *name = arg[1] == '-' ? arg + 2 : arg + 1;
    std::size_t length = std::strcspn(name, "=");
    auto named = [&](const char *option) {
        return std::strlen(option) == length && std::strncmp(option, name, length) == 0;
    };
    for (const char *option : kQtValueOptions) {
        if (named(option)) {
            return name[length] == '=' ? QtOption::ValueAttached : QtOption::Value;
        }
    }
    for (const char *option : kQtFlagOptions) {
        if (named(option)) {
            return QtOption::Flag;
        }
    }
    return QtOption::None;
}

// A catalog text (UTF-8) as a QString.
QString Text(std::int32_t id)
{
    return QString::fromUtf8(GetString(id));
}

void PrintUsageError(const QString &text)
{
    std::fprintf(stderr, "%s: %s\n", programName.c_str(), LineText(text.toUtf8().toStdString()).c_str());
    std::fprintf(stderr, GetString(MSG_CLI_TRY_HELP), programName.c_str());
    std::fprintf(stderr, "\n");
}

// The settings words of --save, with the ranges of their numbers (a mode id has
// the range of its 32 bits).
QString WordsHelp()
{
    QString words;
    for (const SettingsWordRule &rule : SETTINGS_WORDS) {
        words += (words.isEmpty() ? "" : ", ") + QString::fromLatin1(rule.key);
        if (rule.hasNumber) {
            words += rule.max > INT32_MAX ? QStringLiteral("=n")
                                          : QString::asprintf("=n (%lld-%lld)", static_cast<long long>(rule.min),
                                                              static_cast<long long>(rule.max));
        }
    }
    char text[1024];
    std::snprintf(text, sizeof text, GetString(MSG_CLI_ARGUMENT_WORDS), words.toUtf8().constData());
    return QString::fromUtf8(text);
}

// The parser's headings from the catalog, for a language Qt has no translation of.
class CatalogHeadings : public QTranslator {
public:
    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        static const struct {
            const char *source;
            std::int32_t id;
        } kHeadings[] = {{"Usage: %1", MSG_CLI_QT_USAGE},
                         {"[options]", MSG_CLI_QT_OPTIONS_WORD},
                         {"Options:", MSG_CLI_QT_OPTIONS},
                         {"Arguments:", MSG_CLI_QT_ARGUMENTS}};
        for (const auto &heading : kHeadings) {
            if (std::strcmp(context, "QCommandLineParser") == 0 && std::strcmp(sourceText, heading.source) == 0) {
                return Text(heading.id).replace(QLatin1String("%s"), QLatin1String("%1"));
            }
        }
        return {};
    }
    bool isEmpty() const override { return false; }
};

// Qt's translation of its own texts ("Usage:", "Unknown option", ...) for the
// user's language, where Qt has one; else the catalog's headings.
void TranslateQtTexts(QTranslator &translator, CatalogHeadings &headings)
{
    if (translator.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(&translator);
    } else {
        QCoreApplication::installTranslator(&headings);
    }
}

// Prints the help or the version with the program's own name in it.
void PrintHelpOrVersion(const QCommandLineParser &parser, bool help)
{
    if (!help) {
        std::printf("vellumine-settings %.*s\n"
                    "%s.\n"
                    "License MIT: <https://opensource.org/licenses/MIT>.\n"
                    "This is free software: you are free to change and redistribute it.\n"
                    "There is NO WARRANTY, to the extent permitted by law.\n",
                    static_cast<int>(VersionNumber().size()), VersionNumber().data(), programCopyright);
        return;
    }
    const QString text = parser.helpText() + QLatin1Char('\n') + Text(MSG_CLI_EXIT_STATUS);
    std::printf("%s\n",
                QString::fromStdString(WrapToColumns(text.toStdString(), kHelpColumns)).toLocal8Bit().constData());
}

}  // namespace

bool WindowWanted(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) {
            return true;
        }
        QtOption option = FindQtOption(argv[i]);
        if (option == QtOption::None && argv[i][0] == '-' && argv[i][1] != '\0') {
            return false;
        }
        i += option == QtOption::Value ? 1 : 0;
    }
    return true;
}

const char *ProgramName()
{
    return programName.c_str();
}

CommandLine ParseCommandLine(int argc, char **argv)
{
    CommandLine line;
    if (argc > 0 && argv[0] != nullptr) {
        const char *slash = std::strrchr(argv[0], '/');
        programName = slash != nullptr ? slash + 1 : argv[0];
    }
    line.qtArguments.push_back(argc > 0 ? argv[0] : programName.data());

    // Qt's options apart; after "--" every argument is the program's own. The
    // arguments are file names as much as words: their bytes are kept as given.
    QStringList own{QFile::decodeName(programName.c_str())};
    std::vector<const char *> ownBytes{programName.c_str()};
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        QtOption option = optionsEnded ? QtOption::None : FindQtOption(argv[i]);
        if (option == QtOption::None) {
            optionsEnded = optionsEnded || std::strcmp(argv[i], "--") == 0;
            own.append(QFile::decodeName(argv[i]));
            ownBytes.push_back(argv[i]);
            continue;
        }
        line.qtArguments.push_back(argv[i]);
        if (option == QtOption::Value && i + 1 < argc) {
            line.qtArguments.push_back(argv[++i]);
        }
    }
    line.qtArguments.push_back(nullptr);

    // An application for Qt's translation of the parser's own texts while they are
    // made; the C library's locale is left as it was.
    const std::string cLocale = std::setlocale(LC_ALL, nullptr);
    int qtArgc = 1;
    char *qtArgv[] = {programName.data(), nullptr};
    QCoreApplication application(qtArgc, qtArgv);
    std::setlocale(LC_ALL, cLocale.c_str());
    QTranslator qtTexts;
    CatalogHeadings headings;
    TranslateQtTexts(qtTexts, headings);

    QCommandLineParser parser;
    parser.setApplicationDescription(Text(MSG_CLI_DESCRIPTION));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, Text(MSG_CLI_OPTION_HELP));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, Text(MSG_CLI_OPTION_VERSION));
    const QCommandLineOption show(QStringLiteral("show"), Text(MSG_CLI_OPTION_SHOW));
    const QCommandLineOption save(QStringLiteral("save"), Text(MSG_CLI_OPTION_SAVE));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"), Text(MSG_CLI_OPTION_DRY_RUN));
    const QCommandLineOption listModes(QStringLiteral("list-modes"), Text(MSG_CLI_OPTION_LIST_MODES));
    const QCommandLineOption json(QStringLiteral("json"), Text(MSG_CLI_OPTION_JSON));
    parser.addOptions({help, version, show, save, dryRun, listModes, json});
    parser.addPositionalArgument(QStringLiteral("drawer"), Text(MSG_CLI_ARGUMENT_DRAWER), QStringLiteral("[drawer]"));
    parser.addPositionalArgument(QStringLiteral("word"), WordsHelp(), QStringLiteral("[word...]"));

    line.mode = RunMode::Done;
    line.exitValue = EXIT_USAGE;
    if (!parser.parse(own)) {
        PrintUsageError(parser.errorText());
        return line;
    }
    if (parser.isSet(help) || parser.isSet(version)) {
        PrintHelpOrVersion(parser, parser.isSet(help));
        line.exitValue = 0;
        return line;
    }
    QStringList positional = parser.positionalArguments();
    if (parser.isSet(show) && parser.isSet(save)) {
        PrintUsageError(Text(MSG_CLI_SHOW_AND_SAVE));
        return line;
    }
    if (parser.isSet(listModes) && (parser.isSet(show) || parser.isSet(save) || !positional.isEmpty())) {
        PrintUsageError(Text(MSG_CLI_LIST_MODES_ALONE));
        return line;
    }
    if (parser.isSet(json) && !parser.isSet(show) && !parser.isSet(listModes)) {
        PrintUsageError(Text(MSG_CLI_JSON_WITHOUT_MODE));
        return line;
    }
    if (parser.isSet(dryRun) && !parser.isSet(save)) {
        PrintUsageError(Text(MSG_CLI_DRY_RUN_WITHOUT_SAVE));
        return line;
    }
    if (parser.isSet(save) && positional.isEmpty()) {
        PrintUsageError(Text(MSG_CLI_SAVE_WITHOUT_DRAWER));
        return line;
    }
    if (!parser.isSet(save) && positional.size() > 1) {
        char text[1024];
        std::snprintf(text, sizeof text, GetString(MSG_CLI_WORD_WITHOUT_SAVE),
                      LineText(positional.at(1).toUtf8().toStdString()).c_str());
        PrintUsageError(QString::fromUtf8(text));
        return line;
    }

    line.exitValue = 0;
    line.mode = parser.isSet(save)        ? RunMode::Save
                : parser.isSet(show)      ? RunMode::Show
                : parser.isSet(listModes) ? RunMode::ListModes
                                          : RunMode::Window;
    line.dryRun = parser.isSet(dryRun);
    line.json = parser.isSet(json);
    // Each positional argument's own bytes: the next argument, in order, that reads as it.
    std::size_t next = 1;
    bool first = true;
    for (const QString &argument : positional) {
        while (next < ownBytes.size() && own.at(static_cast<qsizetype>(next)) != argument) {
            ++next;
        }
        std::string bytes = next < ownBytes.size() ? ownBytes[next++] : QFile::encodeName(argument).toStdString();
        if (first) {
            line.drawer = bytes;
            first = false;
        } else {
            line.words.push_back(bytes);
        }
    }
    return line;
}

bool EnterDrawer(const std::string &drawer)
{
    if (drawer.empty()) {
        return true;
    }
    std::string folder = drawer;
    const std::string shown = LineText(FileNameText(drawer));
    struct stat st;
    if (stat(drawer.c_str(), &st) != 0) {
        std::fprintf(stderr, "%s: %s: %s\n", ProgramName(), shown.c_str(), SystemErrorText(errno));
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        // An icon stands for its drawer: the tool's own, or another a desktop opens with the tool.
        std::size_t slash = drawer.rfind('/');
        std::string base = slash == std::string::npos ? drawer : drawer.substr(slash + 1);
        constexpr std::size_t suffix = sizeof ".info" - 1;
        if (!S_ISREG(st.st_mode) || base.size() <= suffix ||
            CompareNoCase(base.c_str() + base.size() - suffix, ".info", suffix) != 0) {
            std::fprintf(stderr, "%s: %s: %s\n", ProgramName(), shown.c_str(), GetString(MSG_CLI_NOT_A_FOLDER));
            return false;
        }
        folder = slash == std::string::npos ? std::string(".") : drawer.substr(0, slash + 1);
    }
    if (chdir(folder.c_str()) != 0) {
        std::fprintf(stderr, "%s: %s: %s\n", ProgramName(), LineText(FileNameText(folder)).c_str(),
                     SystemErrorText(errno));
        return false;
    }
    return true;
}

namespace {

// The modes without a window ask the X server for the screens; --show and
// --list-modes say when there is no display and a 1920x1080 screen stands in.
void UseDisplayOfCommandLine(RunMode mode)
{
    SetHostScreenSource(X11HostScreens);
    if ((mode == RunMode::Show || mode == RunMode::ListModes) && !HostDisplayKnown()) {
        TellNoDisplay();
    }
}

// The arguments checked, with their messages in the user's language.
bool CheckArguments(int argc, char **argv, CommandLine &line, std::vector<SettingsWord> &words)
{
    OpenMessageCatalog();
    line = ParseCommandLine(argc, argv);
    bool checked = line.mode != RunMode::Done;
    if (checked && line.mode == RunMode::Save && !ParseSettingsWords(line.words, words)) {
        line.exitValue = EXIT_USAGE;
        checked = false;
    }
    if (checked && !EnterDrawer(line.drawer)) {
        line.exitValue = EXIT_USAGE;
        checked = false;
    }
    if (checked && line.mode != RunMode::Window) {
        UseDisplayOfCommandLine(line.mode);
    }
    ReleaseCatalog();
    return checked;
}

}  // namespace

void TellNoDisplay()
{
    std::fprintf(stderr, "%s: %s\n", ProgramName(), GetString(MSG_CLI_NO_DISPLAY));
}

int RunCommandLine(int argc, char **argv, WindowRunner runWindow)
{
    CommandLine line;
    std::vector<SettingsWord> words;
    if (!CheckArguments(argc, argv, line, words)) {
        return line.exitValue;
    }
    switch (line.mode) {
    case RunMode::Show:
        return line.json ? ShowSettingsJson(stdout) : ShowSettingsText(stdout);
    case RunMode::ListModes:
        return ListModes(stdout, line.json);
    case RunMode::Save:
        return SaveFromCommandLine(words, line.dryRun);
    default:
        break;
    }
    return runWindow(argc, argv, line);
}
