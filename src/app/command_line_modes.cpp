#include "app/command_line_modes.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "app/command_line.h"
#include "app/main_flow.h"
#include "platform/display.h"
#include "platform/dos.h"
#include "platform/formats/charset.h"
#include "platform/icons/icon_store.h"
#include "platform/libraries.h"
#include "platform/locale.h"
#include "settings/app_settings.h"
#include "settings/settings_reader.h"
#include "settings/settings_writer.h"
#include "settings/tool_config.h"
#include "settings/tooltypes.h"
#include "state/program_state.h"
#include "text/icon_problem_text.h"
#include "text/strings.h"

namespace {

enum WordKey {
    WORD_WINDOW,
    WORD_FULLSCREEN,
    WORD_MODEID,
    WORD_DEPTH,
    WORD_FPSLIMIT,
    WORD_NOFPSLIMIT,
    WORD_MASTERVOLUME,
    WORD_NOSOUND,
    WORD_SOUND
};
// The setting a word sets; two words for one setting contradict each other.
enum WordGroup { GROUP_DISPLAY, GROUP_DEPTH, GROUP_FPS, GROUP_VOLUME, GROUP_SOUND };

struct WordRule {
    const char *key;
    WordGroup group;
    bool hasNumber;
    std::int64_t min;
    std::int64_t max;
};

// Indexed by WordKey. A mode id is 32 bits, given signed (as icons store it) or not.
const WordRule kWords[] = {
    {KEY_WINDOW, GROUP_DISPLAY, false, 0, 0},
    {KEY_FULLSCREEN, GROUP_DISPLAY, false, 0, 0},
    {KEY_MODEID, GROUP_DISPLAY, true, INT32_MIN, UINT32_MAX},
    {KEY_DEPTH, GROUP_DEPTH, true, DEPTH_RANGE.min, DEPTH_RANGE.max},
    {KEY_FPSLIMIT, GROUP_FPS, true, FPS_LIMIT_RANGE.min, FPS_LIMIT_RANGE.max},
    {NOFPSLIMIT_WORD, GROUP_FPS, false, 0, 0},
    {KEY_MASTERVOLUME, GROUP_VOLUME, true, MASTER_VOLUME_RANGE.min, MASTER_VOLUME_RANGE.max},
    {KEY_NOSOUND, GROUP_SOUND, false, 0, 0},
    {SOUND_WORD, GROUP_SOUND, false, 0, 0},
};
constexpr int kWordCount = sizeof kWords / sizeof kWords[0];

const char *const kIconKinds[] = {"unknown", "disk",   "drawer", "tool",   "project",
                                  "garbage", "device", "kick",   "appicon"};

// An icon's name or a tooltype (ISO-8859-1, as icons hold them), as UTF-8.
void PrintLatin1(FILE *out, std::string_view text)
{
    std::fputs(Latin1ToUtf8(text).c_str(), out);
}

// "Settings: WORD: problem"; the word as given (the user's own text), the problem
// a catalog text.
bool WordError(const std::string &word, const char *problem)
{
    std::fprintf(stderr, "%s: %s: %s\n", ProgramName(), word.c_str(), problem);
    return false;
}

// The catalog's format text for id with its arguments filled in.
template <typename... Args> std::string FormatText(std::int32_t id, Args... args)
{
    char text[512];
    std::snprintf(text, sizeof text, GetString(id), args...);
    return text;
}

// "Settings: ICON: why" for an icon that could not be read or written.
void PrintIconFailure(const std::string &icon, IconProblem problem)
{
    std::fprintf(stderr, "%s: ", ProgramName());
    PrintLatin1(stderr, icon);
    std::fprintf(stderr, ": %s\n", IconProblemText(problem));
}

// "Settings: FILE: what" for each thing the save met beside its icons.
void PrintSaveNotes()
{
    for (const IconSaveNote &note : IconSaveNotes()) {
        std::fprintf(stderr, "%s: %s\n", ProgramName(), IconSaveNoteText(note).c_str());
    }
}

// A whole decimal number, or for a mode id also 0x and hexadecimal digits.
bool ParseNumber(const std::string &text, bool hexAllowed, std::int64_t &value, bool &tooLarge)
{
    const char *begin = text.c_str();
    const char *end = begin + text.size();
    int base = 10;
    if (hexAllowed && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        begin += 2;
        base = 16;
    }
    auto [stop, error] = std::from_chars(begin, end, value, base);
    tooLarge = error == std::errc::result_out_of_range;
    return begin != end && stop == end && (error == std::errc() || tooLarge);
}

// The application's icon and every configured platform icon, as Save writes them.
template <typename Visit> void ForEachSaveIcon(Visit visit)
{
    visit(ToolConfig.appName);
    for (const char *name : ToolConfig.platformIcons) {
        if (name[0] != '\0') {
            visit(name);
        }
    }
}

// The start of the window's run without the display: locale.library and the
// catalog (not the other services: intuition.library is the display), the screen
// that is active at start, the configuration defaults, the icons.
void LoadAsTheWindowDoes()
{
    OpenMessageCatalog();
    LoadSettingsForRun();
    FormatWindowTexts();
}

void PrintToolTypes(const char *name, const char *when, char **toolTypes)
{
    PrintLatin1(stdout, name);
    std::printf(".info %s:\n", when);
    for (char **entry = toolTypes; entry != nullptr && *entry != nullptr; ++entry) {
        std::printf("    ");
        PrintLatin1(stdout, *entry);
        std::printf("\n");
    }
}

// The stand-in for PutDiskObject in a dry run: the icon's list now and the merged
// one; true when the icon could be written.
bool ShowNewToolTypes(const char *name, DiskObject *icon)
{
    DiskObject *old = GetDiskObject(name);
    PrintToolTypes(name, "before", old != nullptr ? old->do_ToolTypes : nullptr);
    PrintToolTypes(name, "after", icon->do_ToolTypes);
    FreeDiskObject(old);
    const IconProblem problem = IconWriteProblem(name);
    return problem == IconProblem::None || problem == IconProblem::ForeignLeftover;
}

void ApplySettingsWords(const std::vector<SettingsWord> &words)
{
    bool modeIdGiven = false;
    for (const SettingsWord &word : words) {
        modeIdGiven = modeIdGiven || word.key == WORD_MODEID;
    }
    for (const SettingsWord &word : words) {
        auto value = static_cast<std::int32_t>(word.value);
        switch (word.key) {
        case WORD_WINDOW:
            AppSettings.displayMode = DISPLAY_WINDOW;
            break;
        case WORD_FULLSCREEN:
            AppSettings.displayMode = modeIdGiven ? DISPLAY_FULLSCREEN_MODE : DISPLAY_FULLSCREEN_AUTO;
            break;
        case WORD_MODEID:
            AppSettings.displayMode = DISPLAY_FULLSCREEN_MODE;
            AppSettings.modeId = static_cast<std::uint32_t>(word.value);
            break;
        case WORD_DEPTH:
            AppSettings.depth = value;
            break;
        case WORD_FPSLIMIT:
            AppSettings.fpsLimitEnabled = 1;
            AppSettings.fpsLimit = value;
            break;
        case WORD_NOFPSLIMIT:
            AppSettings.fpsLimitEnabled = 0;
            break;
        case WORD_MASTERVOLUME:
            AppSettings.masterVolume = value;
            break;
        case WORD_NOSOUND:
            AppSettings.soundEnabled = 0;
            break;
        case WORD_SOUND:
            AppSettings.soundEnabled = 1;
            break;
        default:
            break;
        }
    }
}

}  // namespace

void OpenMessageCatalog()
{
    static const TagItem noTags[] = {{TAG_DONE, 0}};
    LocaleBase = OpenLibrary("locale.library", 39);
    ILocale = LocaleBase != nullptr ? GetInterface(LocaleBase, "main", 1, nullptr) : nullptr;
    if (ILocale != nullptr) {
        localeHandle = OpenLocale(nullptr);
        catalogHandle = OpenCatalog(localeHandle, "Vellumine/Settings.catalog", noTags);
    }
}

void ReleaseCatalog()
{
    CloseCatalog(catalogHandle);
    catalogHandle = nullptr;
    CloseLocale(localeHandle);
    localeHandle = nullptr;
    DropInterface(ILocale);
    ILocale = nullptr;
    CloseLibrary(LocaleBase);
    LocaleBase = nullptr;
}

bool ParseSettingsWords(const std::vector<std::string> &texts, std::vector<SettingsWord> &words)
{
    words.clear();
    for (const std::string &text : texts) {
        std::size_t equals = text.find('=');
        std::string key = text.substr(0, equals);
        int index = 0;
        while (index < kWordCount && CompareNoCase(key.c_str(), kWords[index].key, SIZE_MAX) != 0) {
            ++index;
        }
        if (index == kWordCount) {
            std::string known;
            for (const WordRule &rule : kWords) {
                known += (known.empty() ? "" : ", ") + std::string(rule.key) + (rule.hasNumber ? "=n" : "");
            }
            return WordError(text, FormatText(MSG_CLI_NOT_A_WORD, known.c_str()).c_str());
        }
        const WordRule &rule = kWords[index];
        SettingsWord word = {index, 0};
        if (rule.hasNumber != (equals != std::string::npos)) {
            return WordError(text, GetString(rule.hasNumber ? MSG_CLI_NEEDS_NUMBER : MSG_CLI_TAKES_NO_VALUE));
        }
        if (rule.hasNumber) {
            bool tooLarge = false;
            if (!ParseNumber(text.substr(equals + 1), index == WORD_MODEID, word.value, tooLarge)) {
                return WordError(text, GetString(MSG_CLI_NOT_A_NUMBER));
            }
            if (tooLarge || word.value < rule.min || word.value > rule.max) {
                const std::string min = std::to_string(rule.min);
                const std::string max = std::to_string(rule.max);
                return WordError(text, FormatText(MSG_CLI_OUT_OF_RANGE, min.c_str(), max.c_str()).c_str());
            }
            if (index == WORD_MODEID && static_cast<std::uint32_t>(word.value) == INVALID_ID) {
                return WordError(text, GetString(MSG_CLI_NO_MODE));
            }
        }
        for (const SettingsWord &earlier : words) {
            bool fullScreenMode = (earlier.key == WORD_FULLSCREEN && index == WORD_MODEID) ||
                                  (earlier.key == WORD_MODEID && index == WORD_FULLSCREEN);
            if (kWords[earlier.key].group == rule.group && !fullScreenMode) {
                return WordError(text, FormatText(MSG_CLI_SAME_SETTING, kWords[earlier.key].key, rule.key).c_str());
            }
        }
        words.push_back(word);
    }
    return true;
}

int ShowSettings()
{
    LoadAsTheWindowDoes();
    char folder[PATH_MAX];
    std::printf("drawer=%s\n", getcwd(folder, sizeof folder) != nullptr ? folder : "?");
    DiskObject *tool = GetDiskObject(TOOL_ICON);
    std::printf("toolIcon=%s\n", tool != nullptr ? "Settings.info" : "none");
    FreeDiskObject(tool);

    std::printf("%s=", KEY_APPLICATION);
    PrintLatin1(stdout, ToolConfig.appName);
    std::printf("\n%s=", KEY_HELP);
    PrintLatin1(stdout, ToolConfig.helpFile);
    std::printf("\n%s=%d\n", KEY_HIDESOUND, static_cast<int>(ToolConfig.hideSound));
    for (int i = 0; i < PLATFORM_ICON_COUNT; ++i) {
        std::printf("%s=", PLATFORM_ICON_KEYS[i]);
        PrintLatin1(stdout, ToolConfig.platformIcons[i]);
        std::printf("\n");
    }
    std::printf("windowTitle=%s", windowTitle);  // UTF-8 already
    // Where the texts and the help's viewer come from.
    char viewer[PATH_MAX];
    std::printf("\ncatalog=%s\nviewer=%s", catalogHandle != nullptr ? CatalogPath(catalogHandle) : "none",
                FindViewerProgram(viewer, sizeof viewer) ? viewer : "none");

    NameInfo mode{};
    GetDisplayInfoData(nullptr, &mode, sizeof mode, DTAG_NAME, AppSettings.modeId);
    mode.Name[sizeof mode.Name - 1] = '\0';
    std::printf("\ndisplayMode=%d\nmodeId=0x%08X (%s)\ndepth=%d\nfpsLimit=%d\nfpsLimitEnabled=%d\n"
                "masterVolume=%d\nsoundEnabled=%d\n",
                static_cast<int>(AppSettings.displayMode), static_cast<unsigned>(AppSettings.modeId), mode.Name,
                static_cast<int>(AppSettings.depth), static_cast<int>(AppSettings.fpsLimit),
                static_cast<int>(AppSettings.fpsLimitEnabled), static_cast<int>(AppSettings.masterVolume),
                static_cast<int>(AppSettings.soundEnabled));

    // Each icon Save would write: the name it is found under, its kind, whether it may be written.
    ForEachSaveIcon([](const char *name) {
        std::printf("icon ");
        PrintLatin1(stdout, name);
        std::string foundName;
        IconProblem problem;
        DiskObject *icon = FindSettingsIcon(name, foundName, problem);
        if (icon == nullptr) {
            std::printf(": %s\n", problem == IconProblem::Absent ? "none" : IconProblemText(problem));
            return;
        }
        std::printf(": ");
        PrintLatin1(stdout, foundName.c_str());
        IconProblem write = IconWriteProblem(foundName.c_str());
        const bool writable = write == IconProblem::None || write == IconProblem::ForeignLeftover;
        std::printf(".info, %s icon, %s%s\n", kIconKinds[icon->do_Type < 9 ? icon->do_Type : 0],
                    writable ? write == IconProblem::None ? "can be written" : "can be written; "
                             : "cannot be written: ",
                    IconProblemText(write));
        FreeDiskObject(icon);
    });
    ReleaseCatalog();
    return 0;
}

int SaveFromCommandLine(const std::vector<SettingsWord> &words, bool dryRun)
{
    // Read, merged and written under the locks of the icons' folders, so that a save
    // waiting for another keeps its changes. A dry run writes nothing, leftovers included.
    BeginIconSave(dryRun);
    LoadAsTheWindowDoes();
    int exitValue = 0;
    if (loadFailure.problem != IconProblem::None) {
        PrintIconFailure(loadFailure.icon, loadFailure.problem);
        std::fprintf(stderr, "%s: %s\n", ProgramName(), GetString(MSG_CLI_NOTHING_WRITTEN));
        exitValue = EXIT_ICON_FAILED;
    } else if (!IconFilePresent(TOOL_ICON)) {
        std::fprintf(stderr, "%s: %s\n", ProgramName(), GetString(MSG_CLI_NO_TOOL_ICON));
        exitValue = EXIT_USAGE;
    } else if (ToolConfig.hideSound != 0) {
        for (const SettingsWord &word : words) {
            if (kWords[word.key].group == GROUP_VOLUME || kWords[word.key].group == GROUP_SOUND) {
                std::fprintf(stderr, "%s: %s: %s\n", ProgramName(), kWords[word.key].key,
                             FormatText(MSG_CLI_SOUND_HIDDEN, KEY_HIDESOUND).c_str());
                exitValue = EXIT_USAGE;
                break;
            }
        }
    }
    if (exitValue != 0) {
        EndIconSave();
        PrintSaveNotes();
        ReleaseCatalog();
        return exitValue;
    }
    ApplySettingsWords(words);

    // An icon that is there but cannot be read is never written: the save names it.
    if (dryRun) {
        PutIcon = ShowNewToolTypes;
    }
    int notWritten = WriteAllIconSettings();
    PutIcon = PutDiskObject;
    for (const IconFailure &failure : failedIcons) {
        PrintIconFailure(failure.icon, failure.problem);
    }
    PrintSaveNotes();
    std::fflush(stdout);
    ReleaseCatalog();
    return notWritten != 0 ? EXIT_ICON_FAILED : 0;
}

void LoadForScripts()
{
    LoadAsTheWindowDoes();
}

void ReleaseForScripts()
{
    ReleaseCatalog();
}
