#include "app/command_line.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cerrno>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "app/command_line_modes.h"
#include "app/main_flow.h"
#include "app/mode_list.h"
#include "app/show_json.h"
#include "gui/window_layout.h"
#include "platform/formats/charset.h"
#include "platform/libraries.h"
#include "settings/tooltypes.h"
#include "text/strings.h"

namespace {

std::string programName = "Settings";

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
    std::fprintf(stderr, "%s: %s\n", programName.c_str(), text.toLocal8Bit().constData());
    std::fprintf(stderr, GetString(MSG_CLI_TRY_HELP), programName.c_str());
    std::fprintf(stderr, "\n");
}

// The version number of the version string "$VER: NAME VERSION (DATE)".
std::string_view VersionNumber()
{
    std::string_view text = versionString;
    text = text.substr(0, text.rfind(" ("));
    return text.substr(text.rfind(' ') + 1);  // npos + 1 is 0
}

// The settings words of --save.
QString WordsHelp()
{
    const QString words = QString::asprintf(
        "%s, %s, %s=n, %s=n (%d-%d), %s=n (%d-%d), %s, %s=n (%d-%d), %s, %s", KEY_WINDOW, KEY_FULLSCREEN, KEY_MODEID,
        KEY_DEPTH, DEPTH_RANGE.min, DEPTH_RANGE.max, KEY_FPSLIMIT, FPS_LIMIT_RANGE.min, FPS_LIMIT_RANGE.max,
        NOFPSLIMIT_WORD, KEY_MASTERVOLUME, MASTER_VOLUME_RANGE.min, MASTER_VOLUME_RANGE.max, KEY_NOSOUND, SOUND_WORD);
    char text[1024];
    std::snprintf(text, sizeof text, GetString(MSG_CLI_ARGUMENT_WORDS), words.toUtf8().constData());
    return QString::fromUtf8(text);
}

// Qt's translation of its own texts ("Usage:", "Unknown option", ...) for the
// user's language, where Qt has one.
void TranslateQtTexts(QTranslator &translator)
{
    if (translator.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(&translator);
    }
}

// Prints the help or the version with the program's own name in it.
void PrintHelpOrVersion(const QCommandLineParser &parser, bool help)
{
    if (!help) {
        std::printf("vellumine-settings %.*s\n"
                    "Copyright (C) 2026 The Settings developers.\n"
                    "License MIT: <https://opensource.org/licenses/MIT>.\n"
                    "This is free software: you are free to change and redistribute it.\n"
                    "There is NO WARRANTY, to the extent permitted by law.\n",
                    static_cast<int>(VersionNumber().size()), VersionNumber().data());
        return;
    }
    std::printf("%s\n%s\n", parser.helpText().toLocal8Bit().constData(),
                Text(MSG_CLI_EXIT_STATUS).toLocal8Bit().constData());
}

}  // namespace

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

    // Qt's options apart; after "--" every argument is the program's own.
    QStringList own{QString::fromLocal8Bit(programName.c_str())};
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        QtOption option = optionsEnded ? QtOption::None : FindQtOption(argv[i]);
        if (option == QtOption::None) {
            optionsEnded = optionsEnded || std::strcmp(argv[i], "--") == 0;
            own.append(QString::fromLocal8Bit(argv[i]));
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
    TranslateQtTexts(qtTexts);

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
        std::snprintf(text, sizeof text, GetString(MSG_CLI_WORD_WITHOUT_SAVE), positional.at(1).toUtf8().constData());
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
    if (!positional.isEmpty()) {
        line.drawer = positional.takeFirst().toLocal8Bit().toStdString();
    }
    for (const QString &word : positional) {
        line.words.push_back(word.toLocal8Bit().toStdString());
    }
    return line;
}

bool EnterDrawer(const std::string &drawer)
{
    if (drawer.empty()) {
        return true;
    }
    std::string folder = drawer;
    struct stat st;
    if (stat(drawer.c_str(), &st) != 0) {
        std::fprintf(stderr, "%s: %s: %s\n", ProgramName(), drawer.c_str(), std::strerror(errno));
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        // An icon stands for its drawer: the tool's own, or another a desktop opens with the tool.
        std::size_t slash = drawer.rfind('/');
        std::string base = slash == std::string::npos ? drawer : drawer.substr(slash + 1);
        constexpr std::size_t suffix = sizeof ".info" - 1;
        if (!S_ISREG(st.st_mode) || base.size() <= suffix ||
            CompareNoCase(base.c_str() + base.size() - suffix, ".info", suffix) != 0) {
            std::fprintf(stderr, "%s: %s: %s\n", ProgramName(), drawer.c_str(), GetString(MSG_CLI_NOT_A_FOLDER));
            return false;
        }
        folder = slash == std::string::npos ? std::string(".") : drawer.substr(0, slash + 1);
    }
    if (chdir(folder.c_str()) != 0) {
        std::fprintf(stderr, "%s: %s: %s\n", ProgramName(), folder.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}

namespace {

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
    ReleaseCatalog();
    return checked;
}

}  // namespace

int RunCommandLine(int argc, char **argv)
{
    CommandLine line;
    std::vector<SettingsWord> words;
    if (!CheckArguments(argc, argv, line, words)) {
        return line.exitValue;
    }
    switch (line.mode) {
    case RunMode::Show:
        return line.json ? ShowSettingsJson(stdout) : ShowSettings();
    case RunMode::ListModes:
        return ListModes(stdout, line.json);
    case RunMode::Save:
        return SaveFromCommandLine(words, line.dryRun);
    default:
        break;
    }
    // The window, with Qt's options; qtArguments lives until the program ends.
    static std::vector<char *> qtArguments;
    qtArguments = line.qtArguments;
    SetDisplayArguments(static_cast<int>(qtArguments.size()) - 1, qtArguments.data());
    return SettingsMain(line.drawer.empty());
}
