#include "settings/settings_schema.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/formats/charset.h"
#include "platform/icons/icon_store.h"
#include "platform/system/display.h"
#include "settings/tooltype_number.h"

namespace {

const char *const kDisplayKeys[] = {KEY_WINDOW, KEY_FULLSCREEN, KEY_MODEID, KEY_DEPTH};

std::string NumberWord(const char *key, std::int32_t value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%s=%d", key, static_cast<int>(value));
    return text;
}

bool On(const Settings &settings, std::int32_t Settings::*member)
{
    return member == nullptr || settings.*member != 0;
}

// The display group from a tooltype list: WINDOW, else FULLSCREEN, in the mode
// MODEID names (at DEPTH when it is valid) or else in the automatic one.
void ReadDisplayToolTypes(char **toolTypes, Settings &settings)
{
    const char *modeId = FindToolType(toolTypes, KEY_MODEID);
    const char *depth = FindToolType(toolTypes, KEY_DEPTH);
    // Written as signed decimal; the same 32 bits come back. No mode is no MODEID.
    const auto mode = static_cast<std::uint32_t>(ParseToolTypeNumber(modeId));
    const std::int32_t bits = ParseToolTypeNumber(depth);
    const bool depthValid = depth != nullptr && bits >= DEPTH_RANGE.min && bits <= DEPTH_RANGE.max;
    if (FindToolType(toolTypes, KEY_WINDOW) != nullptr) {
        settings.displayMode = DISPLAY_WINDOW;
    } else if (FindToolType(toolTypes, KEY_FULLSCREEN) != nullptr) {
        if (modeId != nullptr && mode != INVALID_ID) {
            settings.displayMode = DISPLAY_FULLSCREEN_MODE;
            settings.modeId = mode;
            settings.depth = depthValid ? bits : settings.depth;
        } else {
            settings.displayMode = DISPLAY_FULLSCREEN_AUTO;
        }
    }
}

// The display group's entries: the mode id in signed decimal (2147483648 and up
// written negative) and the depth before FULLSCREEN.
void AddDisplayToolTypes(const Settings &values, std::vector<std::string> &entries)
{
    switch (values.displayMode) {
    case DISPLAY_WINDOW:
        entries.emplace_back(KEY_WINDOW);
        break;
    case DISPLAY_FULLSCREEN_AUTO:
        entries.emplace_back(KEY_FULLSCREEN);
        break;
    case DISPLAY_FULLSCREEN_MODE:
        entries.push_back(NumberWord(KEY_MODEID, static_cast<std::int32_t>(values.modeId)));
        entries.push_back(NumberWord(KEY_DEPTH, values.depth));
        entries.emplace_back(KEY_FULLSCREEN);
        break;
    default:
        break;
    }
}

void AddFieldToolTypes(const Settings &values, const SettingsFieldRow &row, std::vector<std::string> &entries)
{
    if (row.form == FieldForm::Number && On(values, row.switchedBy)) {
        entries.push_back(NumberWord(row.key, values.*row.member));
    } else if (row.form == FieldForm::Flag && values.*row.member == row.whenPresent) {
        entries.emplace_back(row.key);
    }
}

}  // namespace

std::int64_t FieldValue(const Settings &settings, const SettingsFieldRow &row)
{
    return row.member != nullptr ? std::int64_t{settings.*row.member} : std::int64_t{settings.modeId};
}

std::uint32_t DifferingFields(const Settings &a, const Settings &b)
{
    std::uint32_t mask = 0;
    for (int field = 0; field < SETTINGS_FIELD_COUNT; ++field) {
        if (FieldValue(a, SETTINGS_FIELDS[field]) != FieldValue(b, SETTINGS_FIELDS[field])) {
            mask |= 1u << field;
        }
    }
    return mask;
}

void ReadSettingsToolTypes(char **toolTypes, Settings &settings)
{
    char *none[] = {nullptr};
    toolTypes = toolTypes != nullptr ? toolTypes : none;
    ReadDisplayToolTypes(toolTypes, settings);
    for (const SettingsFieldRow &row : SETTINGS_FIELDS) {
        const char *value = row.form == FieldForm::Display ? nullptr : FindToolType(toolTypes, row.key);
        if (row.form == FieldForm::Switch) {
            settings.*row.member = value != nullptr ? 1 : 0;
        } else if (value != nullptr && row.form == FieldForm::Number) {
            settings.*row.member = std::clamp(ParseToolTypeNumber(value), row.range.min, row.range.max);
        } else if (value != nullptr && row.form == FieldForm::Flag) {
            settings.*row.member = row.whenPresent;
        }
    }
}

bool IsSettingsEntry(const char *entry, bool iconsKeepOwn)
{
    for (const char *key : kDisplayKeys) {
        if (ToolTypeValue(entry, key) != nullptr) {
            return true;
        }
    }
    for (const SettingsFieldRow &row : SETTINGS_FIELDS) {
        if (row.key != nullptr && !(row.iconsOwn && iconsKeepOwn) && ToolTypeValue(entry, row.key) != nullptr) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> SettingsToolTypes(const Settings &values, bool iconsKeepOwn)
{
    std::vector<std::string> entries;
    if (!iconsKeepOwn) {
        for (const SettingsFieldRow &row : SETTINGS_FIELDS) {
            if (row.iconsOwn) {
                AddFieldToolTypes(values, row, entries);
            }
        }
    }
    for (const SettingsFieldRow &row : SETTINGS_FIELDS) {
        if (!row.iconsOwn) {
            AddFieldToolTypes(values, row, entries);
        }
    }
    AddDisplayToolTypes(values, entries);
    return entries;
}

Settings WrittenForm(const Settings &values, bool iconsKeepOwn)
{
    Settings written = {.displayMode = values.displayMode};
    if (values.displayMode == DISPLAY_FULLSCREEN_MODE) {
        written.modeId = values.modeId;
        written.depth = values.depth;
    }
    for (const SettingsFieldRow &row : SETTINGS_FIELDS) {
        if (row.form == FieldForm::Display || (row.iconsOwn && iconsKeepOwn)) {
            continue;
        }
        const std::int32_t value = values.*row.member;
        written.*row.member = row.form != FieldForm::Number ? (value != 0 ? 1 : 0)
                              : On(values, row.switchedBy)  ? value
                                                            : 0;
    }
    return written;
}

void ApplySettingsWords(const std::vector<SettingsWord> &words, Settings &settings)
{
    bool modeIdGiven = false;
    for (const SettingsWord &word : words) {
        modeIdGiven = modeIdGiven || word.key == WORD_MODEID;
    }
    for (const SettingsWord &word : words) {
        const auto value = static_cast<std::int32_t>(word.value);
        const SettingsWordRule &rule = SETTINGS_WORDS[static_cast<std::size_t>(word.key)];
        switch (word.key) {
        case WORD_WINDOW:
            settings.displayMode = DISPLAY_WINDOW;
            break;
        case WORD_FULLSCREEN:
            settings.displayMode = modeIdGiven ? DISPLAY_FULLSCREEN_MODE : DISPLAY_FULLSCREEN_AUTO;
            break;
        case WORD_MODEID:
            settings.displayMode = DISPLAY_FULLSCREEN_MODE;
            settings.modeId = static_cast<std::uint32_t>(word.value);
            break;
        case WORD_DEPTH:
            settings.depth = value;
            break;
        default: {
            const SettingsFieldRow &row = SETTINGS_FIELDS[rule.field];
            settings.*row.member = rule.hasNumber ? value : rule.value;
            if (row.switchedBy != nullptr) {
                settings.*row.switchedBy = 1;
            }
            break;
        }
        }
    }
}

std::string SettingsWords(const Settings &settings, std::uint32_t mask)
{
    std::string words;
    auto add = [&words](const std::string &word) { words += (words.empty() ? "" : " ") + word; };
    auto in = [mask](std::int32_t Settings::*member) { return (mask & FieldBit(member)) != 0; };
    const bool modeShown = settings.displayMode == DISPLAY_FULLSCREEN_MODE;
    if (in(&Settings::displayMode)) {
        add(settings.displayMode == DISPLAY_WINDOW ? KEY_WINDOW : KEY_FULLSCREEN);
    }
    if (in(nullptr) && modeShown) {
        add(NumberWord(KEY_MODEID, static_cast<std::int32_t>(settings.modeId)));  // as icons hold it
    }
    if (in(&Settings::depth) && modeShown) {
        add(NumberWord(KEY_DEPTH, settings.depth));
    }
    for (int field = 0; field < SETTINGS_FIELD_COUNT; ++field) {
        const SettingsFieldRow &row = SETTINGS_FIELDS[field];
        const bool differs = (mask >> field & 1) != 0;
        if (row.form == FieldForm::Number && row.switchedBy != nullptr) {
            // A number under a switch is the switch's word too.
            const bool on = settings.*row.switchedBy != 0;
            if (in(row.switchedBy) || (differs && on)) {
                add(on ? NumberWord(row.key, settings.*row.member) : FieldOf(row.switchedBy).otherWord);
            }
        } else if (row.form == FieldForm::Number && differs) {
            add(NumberWord(row.key, settings.*row.member));
        } else if (row.form == FieldForm::Flag && differs) {
            add(settings.*row.member == row.whenPresent ? row.key : row.otherWord);
        }
    }
    return words;
}
