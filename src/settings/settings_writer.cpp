#include "settings/settings_writer.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "platform/formats/charset.h"
#include "platform/icons/icon_store.h"
#include "settings/app_settings.h"
#include "settings/settings_reader.h"
#include "settings/settings_schema.h"
#include "settings/tool_config.h"
#include "text/icon_problem_text.h"
#include "text/line_text.h"

std::vector<IconFailure> failedIcons;
int writtenIcons = 0;
LoadFailure saveRefusal;
bool (*PutIcon)(const char *name, DiskObject *icon) = PutDiskObject;

namespace {

// The tooltype list being built for the icon being written.
std::vector<std::string> newToolTypes;
// A text could not be copied into the list: the icon is not written without it.
bool newToolTypeLost = false;
// Test hook: the copy that fails (1 the next one), 0 none.
int failingCopy = 0;

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

void ClearNewToolTypes()
{
    newToolTypes.clear();
    newToolTypeLost = false;
}

// Appends a copy of text to the list being built for the icon being written.
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

}  // namespace

int WriteIconSettings(const char *name, const Settings &values, IconFailure *failure)
{
    ClearNewToolTypes();
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

    // Every entry is kept, in order, without its leading spaces; a setting's entry
    // takes its new form in its place, and settings the icon lacks follow in their
    // fixed order.
    const std::vector<std::string> settings = SettingsToolTypes(values, ToolConfig.hideSound != 0);
    std::vector<bool> placed(settings.size(), false);
    for (char **entry = icon->do_ToolTypes; entry != nullptr && *entry != nullptr; ++entry) {
        const char *text = *entry;
        while (*text == ' ') {
            ++text;
        }
        if (!IsSettingsEntry(text, ToolConfig.hideSound != 0)) {
            AddToolType(text);
            continue;
        }
        for (std::size_t i = 0; i < settings.size(); ++i) {
            if (!placed[i] && ToolTypeValue(text, settings[i].substr(0, settings[i].find('=')).c_str()) != nullptr) {
                AddToolType(settings[i].c_str());
                placed[i] = true;
                break;
            }
        }
    }
    for (std::size_t i = 0; i < settings.size(); ++i) {
        if (!placed[i]) {
            AddToolType(settings[i].c_str());
        }
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
        ClearNewToolTypes();
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
    ClearNewToolTypes();
    return written ? 1 : -1;
}

#ifdef SETTINGS_TEST_SWITCHES
void FailToolTypeCopy(int n)
{
    failingCopy = n;
}
#endif

int WriteAllIconSettings(const Settings &values, const Settings *expected)
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
    const StoredSettings stored = ReadStoredSettings();
    saveRefusal = SaveRefusal(stored);
    if (saveRefusal.problem != IconProblem::None) {
        EndIconSave();
        return SAVE_REFUSED;
    }
    if (expected != nullptr &&
        WrittenForm(stored.settings, ToolConfig.hideSound != 0) != WrittenForm(*expected, ToolConfig.hideSound != 0)) {
        EndIconSave();
        return SAVE_CONFLICT;
    }
    for (std::size_t i = 0; i < count; ++i) {
        results[i] = WriteIconSettings(icons[i].name, values, &outcomes[i]);
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
        names += (names.empty() ? "" : ", ") + Latin1LineText(failure.icon);
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
        lines += Latin1LineText(failure.icon) + ": " + IconProblemText(failure.problem, failure.error) + "\n";
    }
    return lines;
}
