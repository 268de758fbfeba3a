#include "cli/command_line_modes.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/formats/charset.h"
#include "platform/icons/icon_store.h"
#include "platform/system/display.h"
#include "platform/system/dos.h"
#include "platform/system/locale.h"
#include "program/program.h"
#include "program/window_texts.h"
#include "settings/app_settings.h"
#include "settings/load_settings.h"
#include "settings/settings_reader.h"
#include "settings/settings_schema.h"
#include "settings/settings_writer.h"
#include "settings/tool_config.h"
#include "state/program_state.h"
#include "text/icon_problem_text.h"
#include "text/line_text.h"
#include "text/strings.h"

namespace {

// An icon's name or a tooltype (ISO-8859-1, as icons hold them), as UTF-8 with its
// control characters escaped.
void PrintLatin1(FILE *out, std::string_view text)
{
    std::fputs(Latin1LineText(text).c_str(), out);
}

// "Settings: WORD: problem"; the word as given (the user's own text), the problem
// a catalog text.
bool WordError(const std::string &word, const char *problem)
{
    std::fprintf(stderr, "%s: %s: %s\n", ProgramName(), LineText(word).c_str(), problem);
    return false;
}

// "Settings: ICON: why" for an icon that could not be read or written.
void PrintIconFailure(const IconFailure &failure)
{
    std::fprintf(stderr, "%s: ", ProgramName());
    PrintLatin1(stderr, failure.icon);
    std::fprintf(stderr, ": %s\n", IconProblemText(failure.problem, failure.error));
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
    char *none[] = {nullptr};
    char **before = old != nullptr ? old->do_ToolTypes : none;
    char **after = icon->do_ToolTypes;
    std::size_t i = 0;
    while (before[i] != nullptr && after[i] != nullptr && std::strcmp(before[i], after[i]) == 0) {
        ++i;
    }
    if (old != nullptr && before[i] == nullptr && after[i] == nullptr) {
        PrintLatin1(stdout, name);
        std::printf(".info unchanged\n");
    } else {
        PrintToolTypes(name, "before", before);
        PrintToolTypes(name, "after", after);
    }
    FreeDiskObject(old);
    const IconProblem problem = IconWriteProblem(name);
    return problem == IconProblem::None || problem == IconProblem::ForeignLeftover;
}

// How long --save waits for a lock another program holds before it gives up.
constexpr int kSaveLockLimitMs = 30000;

// Says once on standard error that the save waits for another program's lock.
bool TellLockWait(const std::string &folder, int waitedMs)
{
    static bool told = false;
    if (waitedMs >= 0 && !told) {
        const std::string text = FormatText(MSG_SAVE_LOCK_WAIT, PathLineText(folder).c_str());
        std::fprintf(stderr, "%s: %s\n", ProgramName(), text.c_str());
    }
    told = waitedMs >= 0;
    return waitedMs < kSaveLockLimitMs;
}

// A mode id named by a word that the screen mode requester does not offer.
void WarnModeNotOffered(const std::vector<SettingsWord> &words)
{
    for (const SettingsWord &word : words) {
        if (word.key != WORD_MODEID) {
            continue;
        }
        TellMissingDisplay();
        const auto modeId = static_cast<std::uint32_t>(word.value);
        bool offered = false;
        for (const DisplayModeRecord &mode : ScreenModeChoices(DEPTH_RANGE.min, DEPTH_RANGE.max)) {
            offered = offered || mode.modeId == modeId;
        }
        if (!offered) {
            std::fprintf(stderr, "%s: %s=0x%08X: %s\n", ProgramName(), KEY_MODEID, static_cast<unsigned>(modeId),
                         GetString(MSG_CLI_MODE_NOT_OFFERED));
        }
    }
}

// An environment variable's value; empty when it is not set.
std::string Environment(const char *name)
{
    const char *value = std::getenv(name);
    return value != nullptr ? value : "";
}

}  // namespace

void TellMissingDisplay()
{
    static bool told = false;
    if (told || HostDisplayKnown()) {
        return;
    }
    told = true;
    // The display the window would take, as its Qt platform finds it.
    const std::string platform = Environment("QT_QPA_PLATFORM");
    const std::string x11 = Environment("DISPLAY");
    const std::string wayland = Environment("WAYLAND_DISPLAY");
    std::string named;
    if (platform.rfind("wayland", 0) == 0) {
        named = wayland.empty() ? "wayland-0" : wayland;
    } else if (platform.rfind("xcb", 0) == 0 || platform.empty()) {
        named = !x11.empty() || !platform.empty() ? x11 : wayland;
    }
    const std::string text = !named.empty()     ? FormatText(MSG_CLI_DISPLAY_UNREACHABLE, LineText(named).c_str())
                             : platform.empty() ? std::string(GetString(MSG_CLI_NO_DISPLAY_SET))
                                                : std::string(GetString(MSG_CLI_NO_DISPLAY));
    std::fprintf(stderr, "%s: %s\n", ProgramName(), text.c_str());
}

bool ParseSettingsWords(const std::vector<std::string> &texts, std::vector<SettingsWord> &words)
{
    words.clear();
    for (const std::string &text : texts) {
        std::size_t equals = text.find('=');
        std::string key = text.substr(0, equals);
        int index = 0;
        while (index < SETTINGS_WORD_COUNT &&
               CompareNoCase(key.c_str(), SETTINGS_WORDS[static_cast<std::size_t>(index)].key, SIZE_MAX) != 0) {
            ++index;
        }
        if (index == SETTINGS_WORD_COUNT) {
            std::string known;
            for (const SettingsWordRule &rule : SETTINGS_WORDS) {
                known += (known.empty() ? "" : ", ") + std::string(rule.key) + (rule.hasNumber ? "=n" : "");
            }
            return WordError(text, FormatText(MSG_CLI_NOT_A_WORD, known.c_str()).c_str());
        }
        const SettingsWordRule &rule = SETTINGS_WORDS[static_cast<std::size_t>(index)];
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
            const SettingsWordRule &other = SETTINGS_WORDS[static_cast<std::size_t>(earlier.key)];
            if (std::strcmp(other.group, rule.group) == 0 && !fullScreenMode) {
                return WordError(text, FormatText(MSG_CLI_SAME_SETTING, other.key, rule.key).c_str());
            }
        }
        words.push_back(word);
    }
    return true;
}

int CheckLoadedSettings()
{
    if (loadFailure.problem != IconProblem::None) {
        std::fprintf(stderr, "%s: %s\n", ProgramName(), LoadFailureText().c_str());
        return EXIT_ICON_FAILED;
    }
    if (!IconFilePresent(TOOL_ICON)) {
        std::fprintf(stderr, "%s: %s\n", ProgramName(), GetString(MSG_CLI_NO_TOOL_ICON));
        return EXIT_USAGE;
    }
    return 0;
}

int SaveFromCommandLine(const std::vector<SettingsWord> &words, bool dryRun)
{
    // Read, merged and written under the locks of the icons' folders, so that a save
    // waiting for another keeps its changes. A dry run writes nothing, leftovers included.
    SetLockWaitHook(TellLockWait);
    BeginIconSave(dryRun);
    LoadSettingsWithoutWindow();
    int exitValue = CheckLoadedSettings();
    if (exitValue == EXIT_ICON_FAILED) {
        std::fprintf(stderr, "%s: %s\n", ProgramName(), GetString(MSG_CLI_NOTHING_WRITTEN));
    } else if (exitValue == 0 && ToolConfig.hideSound != 0) {
        for (const SettingsWord &word : words) {
            const SettingsWordRule &rule = SETTINGS_WORDS[static_cast<std::size_t>(word.key)];
            if (rule.field >= 0 && SETTINGS_FIELDS[rule.field].iconsOwn) {
                std::fprintf(stderr, "%s: %s: %s\n", ProgramName(), rule.key,
                             FormatText(MSG_CLI_SOUND_HIDDEN, KEY_HIDESOUND).c_str());
                exitValue = EXIT_USAGE;
                break;
            }
        }
    }
    if (exitValue != 0) {
        EndIconSave();
        PrintSaveNotes();
        return exitValue;
    }
    Settings values = AppSettings;  // as loaded, with the words set
    ApplySettingsWords(words, values);
    WarnModeNotOffered(words);

    // An icon that is there but cannot be read is never written: the save names it.
    if (dryRun) {
        PutIcon = ShowNewToolTypes;
    }
    const int notWritten = WriteAllIconSettings(values);
    PutIcon = PutDiskObject;
    if (notWritten == SAVE_REFUSED) {  // as the load found it, under the same locks
        std::fprintf(stderr, "%s: %s\n%s: %s\n", ProgramName(), LineText(LoadFailureText(saveRefusal)).c_str(),
                     ProgramName(), GetString(MSG_CLI_NOTHING_WRITTEN));
        return EXIT_ICON_FAILED;
    }
    for (const IconFailure &failure : failedIcons) {
        PrintIconFailure(failure);
    }
    PrintSaveNotes();
    std::fflush(stdout);
    return notWritten != 0 ? EXIT_ICON_FAILED : 0;
}

void LoadSettingsWithoutWindow()
{
    AppSettings = LoadSettingsForRun();
    FormatWindowTexts();
}
