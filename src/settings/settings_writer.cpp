#include "settings/settings_writer.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "platform/formats/charset.h"
#include "platform/icons/icon_store.h"
#include "settings/app_settings.h"
#include "settings/settings_reader.h"
#include "settings/tool_config.h"
#include "settings/tooltypes.h"
#include "state/program_state.h"
#include "text/icon_problem_text.h"

std::vector<IconFailure> failedIcons;
int writtenIcons = 0;
bool (*PutIcon)(const char *name, DiskObject *icon) = PutDiskObject;

namespace {

// The tooltype list being built for the icon being written.
std::vector<std::string> newToolTypes;
// A text could not be copied into the list: the icon is not written without it.
bool newToolTypeLost = false;
// Test hook: the copy that fails (1 the next one), 0 none.
int failingCopy = 0;

// True when the entry's key (up to the first '=' or its end) is a managed keyword,
// in any letter case. Under HIDESOUND the sound keys are the icon's own and kept.
bool IsManagedEntry(const char *text)
{
    for (const char *keyword : MANAGED_KEYS) {
        const bool sound = keyword == KEY_MASTERVOLUME || keyword == KEY_NOSOUND;
        if (ToolTypeValue(text, keyword) != nullptr && !(sound && ToolConfig.hideSound != 0)) {
            return true;
        }
    }
    return false;
}

// Whether the list built holds exactly the icon's entries, in order.
bool SameToolTypes(char **old)
{
    std::size_t count = 0;
    for (char **entry = old; entry != nullptr && *entry != nullptr; ++entry, ++count) {
        if (count >= newToolTypes.size() || newToolTypes[count] != *entry) {
            return false;
        }
    }
    return count == newToolTypes.size();
}

void FreeNewToolTypes()
{
    newToolTypes.clear();
    newToolTypeLost = false;
}

}  // namespace

void AddToolType(const char *text)
{
    if (text == nullptr) {
        return;
    }
    if (failingCopy > 0 && --failingCopy == 0) {
        newToolTypeLost = true;
        return;
    }
    try {
        newToolTypes.emplace_back(text);
    } catch (const std::bad_alloc &) {
        newToolTypeLost = true;
    }
}

int WriteIconSettings(const char *name, IconFailure *failure)
{
    FreeNewToolTypes();
    if (name == nullptr || name[0] == '\0') {
        return 0;
    }

    std::string foundName;
    IconProblem problem = IconProblem::Unreadable;
    DiskObject *icon = std::strlen(name) < APP_NAME_SIZE ? FindSettingsIcon(name, foundName, problem) : nullptr;
    if (failure != nullptr) {
        *failure = {(foundName.empty() ? std::string(name) : foundName) + ".info", problem, IconReadError()};
    }
    if (icon == nullptr) {
        // Silent only when neither name has a file; one that holds no readable icon fails.
        return problem == IconProblem::Absent ? 0 : -1;
    }

    // Every entry that is not managed is kept, in order, without its leading spaces.
    for (char **entry = icon->do_ToolTypes; entry != nullptr && *entry != nullptr; ++entry) {
        const char *text = *entry;
        while (*text == ' ') {
            ++text;
        }
        if (!IsManagedEntry(text)) {
            AddToolType(text);
        }
    }

    // The settings, in their fixed order.
    if (ToolConfig.hideSound == 0) {
        std::snprintf(scratchBuffer, sizeof scratchBuffer, "%s=%d", KEY_MASTERVOLUME,
                      static_cast<int>(AppSettings.masterVolume));
        AddToolType(scratchBuffer);
        if (AppSettings.soundEnabled == 0) {
            AddToolType(KEY_NOSOUND);
        }
    }
    if (AppSettings.fpsLimitEnabled != 0) {
        std::snprintf(scratchBuffer, sizeof scratchBuffer, "%s=%d", KEY_FPSLIMIT,
                      static_cast<int>(AppSettings.fpsLimit));
        AddToolType(scratchBuffer);
    }
    switch (AppSettings.displayMode) {
    case DISPLAY_WINDOW:
        AddToolType(KEY_WINDOW);
        break;
    case DISPLAY_FULLSCREEN_AUTO:
        AddToolType(KEY_FULLSCREEN);
        break;
    case DISPLAY_FULLSCREEN_MODE:
        // Signed decimal: a mode id of 2147483648 or more is written negative.
        std::snprintf(scratchBuffer, sizeof scratchBuffer, "%s=%d", KEY_MODEID,
                      static_cast<int>(static_cast<std::int32_t>(AppSettings.modeId)));
        AddToolType(scratchBuffer);
        std::snprintf(scratchBuffer, sizeof scratchBuffer, "%s=%d", KEY_DEPTH, static_cast<int>(AppSettings.depth));
        AddToolType(scratchBuffer);
        AddToolType(KEY_FULLSCREEN);
        break;
    default:
        break;
    }

    // The list handed to the store ends in an empty slot.
    std::vector<char *> list;
    try {
        for (std::string &text : newToolTypes) {
            list.push_back(text.data());
        }
        list.push_back(nullptr);
    } catch (const std::bad_alloc &) {
        newToolTypeLost = true;
        list.assign(1, nullptr);
    }
    char **ownList = icon->do_ToolTypes;
    // An icon that would get the same list is left as it is: same file, same time.
    if (!newToolTypeLost && SameToolTypes(ownList) && PutIcon == PutDiskObject) {
        FreeDiskObject(icon);
        FreeNewToolTypes();
        return 2;
    }
    icon->do_ToolTypes = list.data();
    bool written = !newToolTypeLost && PutIcon(foundName.c_str(), icon);
    icon->do_ToolTypes = ownList;
    FreeDiskObject(icon);
    if (failure != nullptr) {
        failure->problem = written                    ? IconProblem::None
                           : newToolTypeLost          ? IconProblem::WriteFailed
                           : PutIcon == PutDiskObject ? IconPutProblem()
                                                      : IconWriteProblem(foundName.c_str());
    }
    FreeNewToolTypes();
    return written ? 1 : -1;
}

#ifdef SETTINGS_TEST_SWITCHES
void FailToolTypeCopy(int n)
{
    failingCopy = n;
}
#endif

Settings WrittenForm(const Settings &values)
{
    Settings written = {};
    written.displayMode = values.displayMode;
    if (values.displayMode == DISPLAY_FULLSCREEN_MODE) {
        written.modeId = values.modeId;
        written.depth = values.depth;
    }
    written.fpsLimitEnabled = values.fpsLimitEnabled != 0 ? 1 : 0;
    written.fpsLimit = written.fpsLimitEnabled != 0 ? values.fpsLimit : 0;
    if (ToolConfig.hideSound == 0) {
        written.masterVolume = values.masterVolume;
        written.soundEnabled = values.soundEnabled != 0 ? 1 : 0;
    }
    return written;
}

int WriteAllIconSettings(const Settings *expected)
{
    failedIcons.clear();
    writtenIcons = 0;
    // The icons are read and prepared under the lock of their folders, then put in
    // place together.
    const std::vector<SaveIcon> icons = SaveIcons();
    const std::size_t count = icons.size();
    IconFailure outcomes[1 + PLATFORM_ICON_COUNT];
    int results[1 + PLATFORM_ICON_COUNT];
    BeginIconSave();
    if (expected != nullptr && WrittenForm(ReadStoredSettings()) != WrittenForm(*expected)) {
        EndIconSave();
        return SAVE_CONFLICT;
    }
    for (std::size_t i = 0; i < count; ++i) {
        results[i] = WriteIconSettings(icons[i].name, &outcomes[i]);
    }
    // A stand-in for PutDiskObject (--dry-run) prepares nothing, nor does an icon
    // left unchanged.
    bool preparing = PutIcon == PutDiskObject;
    std::vector<IconProblem> problems = EndIconSave();
    std::size_t next = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (results[i] == 1 && preparing) {
            outcomes[i].problem = next < problems.size() ? problems[next++] : IconProblem::WriteFailed;
        }
        if (results[i] < 0 || (results[i] > 0 && outcomes[i].problem != IconProblem::None)) {
            failedIcons.push_back(outcomes[i]);
        } else if (results[i] > 0) {
            ++writtenIcons;
        }
    }
    if (writtenIcons == 0 && failedIcons.empty()) {
        failedIcons.push_back({std::string(ToolConfig.appName) + ".info", IconProblem::Absent});
    }
    return static_cast<int>(failedIcons.size());
}

std::string FailedIconNames()
{
    std::string names;
    for (const IconFailure &failure : failedIcons) {
        names += (names.empty() ? "" : ", ") + Latin1ToUtf8(failure.icon);
    }
    return names;
}

std::string SaveNoteLines()
{
    std::string lines;
    for (const IconSaveNote &note : IconSaveNotes()) {
        lines += IconSaveNoteText(note) + "\n";
    }
    return lines;
}

std::string FailedIconReasons()
{
    std::string lines;
    for (const IconFailure &failure : failedIcons) {
        lines += Latin1ToUtf8(failure.icon) + ": " + IconProblemText(failure.problem, failure.error) + "\n";
    }
    return lines;
}
