#include "cli/command_line.h"

#include <getopt.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "cli/command_line_modes.h"
#include "cli/image_drawers.h"
#include "cli/mode_list.h"
#include "cli/show_settings.h"
#include "platform/icons/disk_object.h"
#include "platform/system/display.h"
#include "platform/system/locale.h"
#include "platform/system/wayland_screens.h"
#include "platform/system/x11_screens.h"
#include "program/program.h"
#include "program/services.h"
#include "settings/settings_schema.h"
#include "text/icon_problem_text.h"
#include "text/line_text.h"
#include "text/strings.h"
#include "text/version.h"

namespace {

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

// The program's own options: their long names, their short letters or ids for
// getopt_long, and their texts for --help.
enum Option { OPTION_SHOW = 256, OPTION_SAVE, OPTION_DRY_RUN, OPTION_LIST_MODES, OPTION_LIST_DRAWERS, OPTION_JSON };
const struct {
    const char *name;
    int value;  // a letter for an option that has a short form
    std::int32_t text;
    const char *arguments;  // what --help shows after it, or null
} kOptions[] = {{"help", 'h', MSG_CLI_OPTION_HELP, nullptr},
                {"version", 'v', MSG_CLI_OPTION_VERSION, nullptr},
                {"show", OPTION_SHOW, MSG_CLI_OPTION_SHOW, nullptr},
                {"save", OPTION_SAVE, MSG_CLI_OPTION_SAVE, "DRAWER WORD..."},
                {"dry-run", OPTION_DRY_RUN, MSG_CLI_OPTION_DRY_RUN, nullptr},
                {"list-modes", OPTION_LIST_MODES, MSG_CLI_OPTION_LIST_MODES, nullptr},
                {"list-drawers", OPTION_LIST_DRAWERS, MSG_CLI_OPTION_LIST_DRAWERS, "IMAGE"},
                {"json", OPTION_JSON, MSG_CLI_OPTION_JSON, nullptr}};

// The positional arguments as --help names them, in capitals as every
// language's texts do.
constexpr const char *kDrawerName = "DRAWER";
constexpr const char *kWordName = "WORD";

// An option as --help names it: "-h, --help", "--show", "--save DRAWER WORD...".
template <typename Option> std::string OptionNames(const Option &option)
{
    std::string names = option.value < OPTION_SHOW ? std::string{'-', static_cast<char>(option.value), ',', ' '} : "";
    names += std::string("--") + option.name;
    return option.arguments != nullptr ? names + " " + option.arguments : names;
}

// The number of characters of a UTF-8 text.
std::size_t Characters(const std::string &text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

void PrintUsageError(const std::string &text)
{
    std::fprintf(stderr, "%s: %s\n", ProgramName(), LineText(text).c_str());
    std::fprintf(stderr, GetString(MSG_CLI_TRY_HELP), ProgramName());
    std::fprintf(stderr, "\n");
}

// The usage error of an option getopt_long did not take: one it does not know,
// or one given a value it takes none of ("--show=1").
std::string OptionError(char **argv, int next)
{
    const char *arg = next > 0 ? argv[next - 1] : "";
    if (optopt != 0 && std::strncmp(arg, "--", 2) != 0) {
        const char shortName[] = {'-', static_cast<char>(optopt), '\0'};
        return FormatText(MSG_CLI_UNKNOWN_OPTION, shortName);
    }
    const std::string name(arg, std::strcspn(arg, "="));  // escaped with the whole message
    return FormatText(optopt != 0 && std::strchr(arg, '=') != nullptr ? MSG_CLI_UNEXPECTED_VALUE
                                                                      : MSG_CLI_UNKNOWN_OPTION,
                      name.c_str());
}

// The settings words of --save, with the ranges of their numbers (a mode id has
// the range of its 32 bits).
std::string WordsHelp()
{
    std::string words;
    for (const SettingsWordRule &rule : SETTINGS_WORDS) {
        words += (words.empty() ? "" : ", ") + std::string(rule.key);
        if (rule.hasNumber) {
            char range[64] = "=n";
            if (rule.max <= INT32_MAX) {
                std::snprintf(range, sizeof range, "=n (%lld-%lld)", static_cast<long long>(rule.min),
                              static_cast<long long>(rule.max));
            }
            words += range;
        }
    }
    return FormatText(MSG_CLI_ARGUMENT_WORDS, words.c_str());
}

// One entry of --help: its names in a column of width, then its text, whose
// further lines line up with its first.
std::string HelpEntry(const std::string &names, const std::string &text, std::size_t width)
{
    const std::string indent(2 + width + 2, ' ');
    std::string entry = "  " + names + std::string(width - names.size() + 2, ' ');
    for (char c : text) {
        entry += c;
        if (c == '\n') {
            entry += indent;
        }
    }
    return entry + "\n";
}

// --help: the usage, the options, the arguments and the exit values, in the
// user's language, wrapped to the terminal's usual width.
std::string HelpText()
{
    const struct {
        const char *name;
        std::string text;
    } arguments[] = {{kDrawerName, GetString(MSG_CLI_ARGUMENT_DRAWER)},
                     {"IMAGE:PATH", GetString(MSG_CLI_ARGUMENT_IMAGE)},
                     {kWordName, WordsHelp()}};
    std::size_t width = 0;
    for (const auto &option : kOptions) {
        width = std::max(width, OptionNames(option).size());
    }
    for (const auto &argument : arguments) {
        width = std::max(width, std::strlen(argument.name));
    }
    // The window's form, then "  or:  " and --save's, the program's names one under the other.
    const std::string usageFormat = GetString(MSG_CLI_QT_USAGE);
    const std::size_t lead = Characters(usageFormat.substr(0, usageFormat.find("%s")));
    const std::string orWord = GetString(MSG_CLI_USAGE_OR);
    const std::size_t orLead = lead > Characters(orWord) + 2 ? lead - Characters(orWord) - 2 : 0;
    std::string text = FormatText(MSG_CLI_QT_USAGE, ProgramName()) + " " + GetString(MSG_CLI_QT_OPTIONS_WORD) + " [" +
                       kDrawerName + "]\n" + std::string(orLead, ' ') + orWord + "  " + ProgramName() +
                       " --save [--dry-run] " + kDrawerName + " " + kWordName + "...\n" +
                       GetString(MSG_CLI_DESCRIPTION) + "\n\n" + GetString(MSG_CLI_QT_OPTIONS) + "\n";
    for (const auto &option : kOptions) {
        text += HelpEntry(OptionNames(option), GetString(option.text), width);
    }
    text += std::string("\n") + GetString(MSG_CLI_QT_ARGUMENTS) + "\n";
    for (const auto &argument : arguments) {
        text += HelpEntry(argument.name, argument.text, width);
    }
    return WrapToColumns(text + "\n" + GetString(MSG_CLI_EXIT_STATUS), kHelpColumns);
}

// The version, then the copyright and the licence as About words them.
void PrintVersion()
{
    std::printf("vellumine-settings %.*s\n%s\n%s\n<https://opensource.org/licenses/MIT>\n",
                static_cast<int>(VersionNumber().size()), VersionNumber().data(), programCopyright,
                GetString(MSG_ABOUT_LICENCE));
}

// The options set on a command line.
struct OptionsSet {
    bool help = false, version = false, show = false, save = false, dryRun = false, listModes = false,
         listDrawers = false, json = false;
};

// Parses the program's own arguments (own[0] its name) into options and
// positional arguments, which keep their order and bytes; "--" ends the options.
// False, with the usage error printed, for an option it does not take.
bool ParseOwnArguments(std::vector<char *> &own, OptionsSet &set, std::vector<std::string> &positional)
{
    std::vector<option> longOptions;
    std::string shortOptions = "-";  // each positional argument in its place, whatever POSIXLY_CORRECT says
    for (const auto &known : kOptions) {
        longOptions.push_back({known.name, no_argument, nullptr, known.value});
        if (known.value < OPTION_SHOW) {
            shortOptions += static_cast<char>(known.value);
        }
    }
    longOptions.push_back({nullptr, 0, nullptr, 0});
    own.push_back(nullptr);
    const int count = static_cast<int>(own.size()) - 1;
    optind = 0;  // a fresh scan, also when parsed before
    opterr = 0;
    for (int c; (c = getopt_long(count, own.data(), shortOptions.c_str(), longOptions.data(), nullptr)) != -1;) {
        switch (c) {
        case 1:
            positional.emplace_back(optarg);
            break;
        case 'h':
            set.help = true;
            break;
        case 'v':
            set.version = true;
            break;
        case OPTION_SHOW:
            set.show = true;
            break;
        case OPTION_SAVE:
            set.save = true;
            break;
        case OPTION_DRY_RUN:
            set.dryRun = true;
            break;
        case OPTION_LIST_MODES:
            set.listModes = true;
            break;
        case OPTION_LIST_DRAWERS:
            set.listDrawers = true;
            break;
        case OPTION_JSON:
            set.json = true;
            break;
        default:
            PrintUsageError(OptionError(own.data(), optind));
            return false;
        }
    }
    for (int i = optind; i < count; ++i) {
        positional.emplace_back(own[static_cast<std::size_t>(i)]);
    }
    return true;
}

// The usage error of options that do not go together, or null.
const char *OptionsConflict(const OptionsSet &set, const std::vector<std::string> &positional)
{
    if (set.show && set.save) {
        return GetString(MSG_CLI_SHOW_AND_SAVE);
    }
    if (set.listModes && (set.show || set.save || set.listDrawers || !positional.empty())) {
        return GetString(MSG_CLI_LIST_MODES_ALONE);
    }
    if (set.listDrawers && (set.show || set.save || positional.size() != 1)) {
        return GetString(MSG_CLI_LIST_DRAWERS_ALONE);
    }
    if (set.json && !set.show && !set.listModes && !set.listDrawers) {
        return GetString(MSG_CLI_JSON_WITHOUT_MODE);
    }
    if (set.dryRun && !set.save) {
        return GetString(MSG_CLI_DRY_RUN_WITHOUT_SAVE);
    }
    if (set.save && positional.empty()) {
        return GetString(MSG_CLI_SAVE_WITHOUT_DRAWER);
    }
    return nullptr;
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

CommandLine ParseCommandLine(int argc, char **argv)
{
    CommandLine line;
    if (argc > 0 && argv[0] != nullptr) {
        SetProgramName(argv[0]);
    }
    char *name = const_cast<char *>(ProgramName());  // getopt_long only reads it
    line.qtArguments.push_back(argc > 0 ? argv[0] : name);

    // Qt's options apart; after "--" every argument is the program's own. The
    // arguments are file names as much as words: their bytes are kept as given.
    std::vector<char *> own{name};
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        QtOption option = optionsEnded ? QtOption::None : FindQtOption(argv[i]);
        if (option == QtOption::None) {
            optionsEnded = optionsEnded || std::strcmp(argv[i], "--") == 0;
            own.push_back(argv[i]);
            continue;
        }
        line.qtArguments.push_back(argv[i]);
        if (option == QtOption::Value && i + 1 < argc) {
            line.qtArguments.push_back(argv[++i]);
        }
    }
    line.qtArguments.push_back(nullptr);

    line.mode = RunMode::Done;
    line.exitValue = EXIT_USAGE;
    OptionsSet set;
    std::vector<std::string> positional;
    if (!ParseOwnArguments(own, set, positional)) {
        return line;
    }
    if (set.help || set.version) {
        if (set.help) {
            std::printf("%s\n", HelpText().c_str());
        } else {
            PrintVersion();
        }
        line.exitValue = 0;
        return line;
    }
    if (const char *conflict = OptionsConflict(set, positional)) {
        PrintUsageError(conflict);
        return line;
    }
    if (!set.save && !set.listDrawers && positional.size() > 1) {
        PrintUsageError(FormatText(MSG_CLI_WORD_WITHOUT_SAVE, positional[1].c_str()));
        return line;
    }

    line.exitValue = 0;
    line.mode = set.save          ? RunMode::Save
                : set.show        ? RunMode::Show
                : set.listModes   ? RunMode::ListModes
                : set.listDrawers ? RunMode::ListDrawers
                                  : RunMode::Window;
    line.dryRun = set.dryRun;
    line.json = set.json;
    if (!positional.empty()) {
        line.drawer = positional.front();
        line.words.assign(positional.begin() + 1, positional.end());
    }
    return line;
}

bool EnterDrawer(const std::string &drawer)
{
    if (drawer.empty()) {
        return true;
    }
    LeaveImageDrawer();
    ImageArgument image;
    if (ParseImageArgument(drawer, image)) {
        return EnterImageArgument(image);
    }
    std::string folder = drawer;
    const std::string shown = PathLineText(drawer);
    struct stat st;
    if (stat(drawer.c_str(), &st) != 0) {
        std::fprintf(stderr, "%s: %s: %s\n", ProgramName(), shown.c_str(), SystemErrorText(errno));
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        // An icon stands for its drawer: the tool's own, or another a desktop opens with the tool.
        if (!S_ISREG(st.st_mode) || !IsIconFileName(drawer)) {
            std::fprintf(stderr, "%s: %s: %s\n", ProgramName(), shown.c_str(), GetString(MSG_CLI_NOT_A_FOLDER));
            return false;
        }
        const std::size_t slash = drawer.rfind('/');
        folder = slash == std::string::npos ? std::string(".") : drawer.substr(0, slash + 1);
    }
    if (chdir(folder.c_str()) != 0) {
        std::fprintf(stderr, "%s: %s: %s\n", ProgramName(), PathLineText(folder).c_str(), SystemErrorText(errno));
        return false;
    }
    return true;
}

namespace {

// The modes without a window ask the display the window would take (the Wayland
// compositor or the X server, for a limited time) for the screens. --save asks
// only to check a MODEID word: the screen is not needed for anything else it
// writes.
void UseDisplayOfCommandLine(RunMode mode, const std::vector<SettingsWord> &words)
{
    const bool modeNamed =
        std::any_of(words.begin(), words.end(), [](const SettingsWord &word) { return word.key == WORD_MODEID; });
    if (mode == RunMode::Save && !modeNamed) {
        SetHostScreenSource(nullptr);
    } else {
        SetHostScreenSource(WaylandSessionAnswers() ? WaylandHostScreens : X11HostScreens);
    }
}

// On standard error: a save waits for another save of the image.
void TellImageWait(const char *image)
{
    std::fprintf(stderr, "%s: %s: %s\n", ProgramName(), PathLineText(image).c_str(), GetString(MSG_IMAGE_WAITING));
}

// The arguments checked, with their messages in the user's language (the catalog
// open; a mode without a window goes on with it).
bool CheckArguments(int argc, char **argv, CommandLine &line, std::vector<SettingsWord> &words)
{
    line = ParseCommandLine(argc, argv);
    bool checked = line.mode != RunMode::Done;
    if (checked && line.mode == RunMode::Save && !ParseSettingsWords(line.words, words)) {
        line.exitValue = EXIT_USAGE;
        checked = false;
    }
    // The window lists an image's drawers itself, in a requester.
    ImageArgument image;
    if (checked && line.mode == RunMode::Window && ParseImageArgument(line.drawer, image) && !image.drawerNamed) {
        line.image = line.drawer;
    } else if (checked && line.mode != RunMode::ListDrawers && !EnterDrawer(line.drawer)) {
        line.exitValue = EXIT_USAGE;
        checked = false;
    }
    if (checked && line.mode != RunMode::Window && line.mode != RunMode::ListDrawers) {
        UseDisplayOfCommandLine(line.mode, words);
    }
    return checked;
}

}  // namespace

int RunCommandLine(int argc, char **argv, WindowRunner runWindow)
{
    CommandLine line;
    std::vector<SettingsWord> words;
    // The catalog for the whole run; the window takes it over with locale.library
    // and closes it at its end.
    OpenMessageCatalog();
    SetImageWaitHook(TellImageWait);
    int exitValue = 0;
    if (!CheckArguments(argc, argv, line, words)) {
        exitValue = line.exitValue;
    } else if (line.mode == RunMode::Show) {
        // The start screen shown stands in for a display only where settings are shown.
        exitValue = line.json ? ShowSettingsJson(stdout) : ShowSettingsText(stdout);
        if (exitValue != EXIT_USAGE) {
            TellMissingDisplay();
        }
    } else if (line.mode == RunMode::ListModes) {
        TellMissingDisplay();
        exitValue = ListModes(stdout, line.json);
    } else if (line.mode == RunMode::ListDrawers) {
        exitValue = ListImageDrawers(stdout, line.drawer, line.json);
    } else if (line.mode == RunMode::Save) {
        exitValue = SaveFromCommandLine(words, line.dryRun);
    } else {
        exitValue = runWindow(argc, argv, line);
    }
    EndRun();
    return exitValue;
}

void EndRun()
{
    CloseMessageCatalog();
    ReleaseLibraries();
}
