#include "app/command_line.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <strings.h>

#include "app/command_line_modes.h"
#include "app/main_flow.h"
#include "app/mode_list.h"
#include "app/show_json.h"
#include "gui/window_layout.h"
#include "platform/libraries.h"
#include "settings/tooltypes.h"

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

void PrintUsageError(const QString &text)
{
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", programName.c_str(),
                 text.toLocal8Bit().constData(), programName.c_str());
}

// The version number of the version string "$VER: NAME VERSION (DATE)".
std::string_view VersionNumber()
{
    std::string_view text = versionString;
    text = text.substr(0, text.rfind(" ("));
    return text.substr(text.rfind(' ') + 1);  // npos + 1 is 0
}

const char *const kDescription = "Edits the run-time settings of a Vellumine application, kept in the tooltypes of\n"
                                 "its Amiga icons. Without options it opens the settings window in DRAWER, the\n"
                                 "folder that holds the tool's icon Settings.info and the application's icons (a\n"
                                 "path to Settings.info is taken as its folder), or else in the current folder.";

// The settings words of --save.
QString WordsHelp()
{
    return QString::asprintf("With --save, any of: %s, %s, %s=n (full screen in that mode), %s=n (%d to %d), "
                             "%s=n (%d to %d), NOFPSLIMIT, %s=n (%d to %d), %s, SOUND; in any letter case. "
                             "Settings not named keep their loaded values.",
                             KEY_WINDOW, KEY_FULLSCREEN, KEY_MODEID, KEY_DEPTH, DEPTH_RANGE.min, DEPTH_RANGE.max,
                             KEY_FPSLIMIT, FPS_LIMIT_RANGE.min, FPS_LIMIT_RANGE.max, KEY_MASTERVOLUME,
                             MASTER_VOLUME_RANGE.min, MASTER_VOLUME_RANGE.max, KEY_NOSOUND);
}

const char *const kAfterHelp = "\n"
                               "Exit status:\n"
                               "  0   success\n"
                               "  1   an icon that exists could not be read or written (named on standard error)\n"
                               "  2   a bad argument, settings word or drawer; nothing was written\n"
                               "\n"
                               "Qt's own options for the window, such as -style NAME or -platform NAME, are\n"
                               "accepted too.\n";

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
    int argc = 1;
    char *argv[] = {programName.data(), nullptr};
    QCoreApplication application(argc, argv);
    std::printf("%s%s", parser.helpText().toLocal8Bit().constData(), kAfterHelp);
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

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help and exits."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays the version and exits."));
    const QCommandLineOption show(QStringLiteral("show"),
                                  QStringLiteral("Prints, without a window, what would be loaded: the tool's "
                                                 "configuration, the settings, and each icon Save would write."));
    const QCommandLineOption save(QStringLiteral("save"),
                                  QStringLiteral("Applies the WORDs to the settings loaded from DRAWER (required) "
                                                 "and writes the application's icon and every platform icon as "
                                                 "Save in the window does, without a window."));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"),
                                    QStringLiteral("With --save: prints each icon's tooltypes before and after, "
                                                   "and writes nothing."));
    const QCommandLineOption listModes(QStringLiteral("list-modes"),
                                       QStringLiteral("Prints the screen modes the screen mode requester offers: "
                                                      "id in hexadecimal and decimal, name, size, depths."));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("With --show or --list-modes: prints JSON (UTF-8) for programs."));
    parser.addOptions({help, version, show, save, dryRun, listModes, json});
    parser.addPositionalArgument(QStringLiteral("drawer"),
                                 QStringLiteral("The application's drawer, or its Settings.info."),
                                 QStringLiteral("[drawer]"));
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
        PrintUsageError(QStringLiteral("--show and --save cannot be used together."));
        return line;
    }
    if (parser.isSet(listModes) && (parser.isSet(show) || parser.isSet(save) || !positional.isEmpty())) {
        PrintUsageError(QStringLiteral("--list-modes takes no drawer and goes with no other mode."));
        return line;
    }
    if (parser.isSet(json) && !parser.isSet(show) && !parser.isSet(listModes)) {
        PrintUsageError(QStringLiteral("--json goes with --show or --list-modes."));
        return line;
    }
    if (parser.isSet(dryRun) && !parser.isSet(save)) {
        PrintUsageError(QStringLiteral("--dry-run goes with --save."));
        return line;
    }
    if (parser.isSet(save) && positional.isEmpty()) {
        PrintUsageError(QStringLiteral("--save needs a drawer (. for the current folder)."));
        return line;
    }
    if (!parser.isSet(save) && positional.size() > 1) {
        PrintUsageError(QStringLiteral("Settings words go with --save: ") + positional.at(1));
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
        // The tool's own icon stands for its drawer.
        std::size_t slash = drawer.rfind('/');
        std::string base = slash == std::string::npos ? drawer : drawer.substr(slash + 1);
        if (!S_ISREG(st.st_mode) || strcasecmp(base.c_str(), "Settings.info") != 0) {
            std::fprintf(stderr, "%s: %s: not a folder\n", ProgramName(), drawer.c_str());
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

int RunCommandLine(int argc, char **argv)
{
    CommandLine line = ParseCommandLine(argc, argv);
    if (line.mode == RunMode::Done) {
        return line.exitValue;
    }
    std::vector<SettingsWord> words;
    if (line.mode == RunMode::Save && !ParseSettingsWords(line.words, words)) {
        return EXIT_USAGE;
    }
    if (!EnterDrawer(line.drawer)) {
        return EXIT_USAGE;
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
    return SettingsMain();
}
