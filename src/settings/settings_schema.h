// The settings schema: one row for each field of the settings record, saying how
// the application's icons hold it as tooltypes, which words of --save set it,
// its default and its name for programs. Every conversion between a tooltype
// list, the words and the record goes through the rows (the reader, the writer,
// --save, --show, the icons overview and the survey), but for the display group
// (WINDOW, FULLSCREEN, MODEID, DEPTH: the display mode, the mode id and the
// depth), which is written out by hand once each way below.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/app_settings.h"
#include "settings/tooltypes.h"

// How a field is held in an icon.
enum class FieldForm {
    Display,  // one of the display group's fields
    Number,   // KEY=n, brought into its range; an absent KEY keeps the value
    Switch,   // on with its number's KEY=n, off without it (FPSLIMIT's limit)
    Flag,     // KEY alone, which sets whenPresent; an absent KEY keeps the value
};

struct SettingsFieldRow {
    const char *name = nullptr;                // for programs: --show's key, JSON's, the survey's
    std::int32_t Settings::*member = nullptr;  // null for the mode id, the one unsigned field
    FieldForm form = FieldForm::Display;
    const char *key = nullptr;  // the tooltype key; a Switch's is its number's
    SettingRange range = {0, 0};
    std::int32_t defaultValue = 0;
    std::int32_t Settings::*switchedBy = nullptr;  // a Number written only while that Switch is on
    const char *otherWord = nullptr;               // the word of --save for a Switch off, a Flag's other value
    std::int32_t whenPresent = 0;                  // a Flag's value while KEY is there
    bool iconsOwn = false;                         // with HIDESOUND each icon keeps its own (the sound settings)
};

// In the record's order; a field's index is its bit in a mask of fields.
inline constexpr SettingsFieldRow SETTINGS_FIELDS[] = {
    {.name = "displayMode",
     .member = &Settings::displayMode,
     .form = FieldForm::Display,
     .defaultValue = DISPLAY_WINDOW},
    {.name = "modeId", .member = nullptr, .form = FieldForm::Display},
    {.name = "depth", .member = &Settings::depth, .form = FieldForm::Display, .range = DEPTH_RANGE},
    {.name = "fpsLimit",
     .member = &Settings::fpsLimit,
     .form = FieldForm::Number,
     .key = KEY_FPSLIMIT,
     .range = {1, 50},
     .defaultValue = 50,
     .switchedBy = &Settings::fpsLimitEnabled},
    {.name = "fpsLimitEnabled",
     .member = &Settings::fpsLimitEnabled,
     .form = FieldForm::Switch,
     .key = KEY_FPSLIMIT,
     .otherWord = "NOFPSLIMIT"},
    {.name = "masterVolume",
     .member = &Settings::masterVolume,
     .form = FieldForm::Number,
     .key = KEY_MASTERVOLUME,
     .range = {0, 64},
     .defaultValue = 40,
     .iconsOwn = true},
    {.name = "soundEnabled",
     .member = &Settings::soundEnabled,
     .form = FieldForm::Flag,
     .key = KEY_NOSOUND,
     .defaultValue = 1,
     .otherWord = "SOUND",
     .whenPresent = 0,
     .iconsOwn = true},
};
inline constexpr int SETTINGS_FIELD_COUNT = static_cast<int>(std::size(SETTINGS_FIELDS));
static_assert(sizeof(Settings) == SETTINGS_FIELD_COUNT * sizeof(std::int32_t), "a field of the record has no row");

// The row of a member of the record (null: the mode id's).
constexpr const SettingsFieldRow &FieldOf(std::int32_t Settings::*member)
{
    for (const SettingsFieldRow &row : SETTINGS_FIELDS) {
        if (row.member == member) {
            return row;
        }
    }
    return SETTINGS_FIELDS[0];
}

// A field's bit in a mask of fields (null: the mode id's).
constexpr std::uint32_t FieldBit(std::int32_t Settings::*member)
{
    return 1u << (&FieldOf(member) - SETTINGS_FIELDS);
}

// What a run starts with before any icon is read: each field's default (a window,
// the limit off with its slider at 50, volume 40, sound on); the mode id and depth
// then come from the start screen.
constexpr Settings DefaultSettings()
{
    Settings settings;
    for (const SettingsFieldRow &row : SETTINGS_FIELDS) {
        if (row.member != nullptr) {
            settings.*row.member = row.defaultValue;
        }
    }
    return settings;
}
inline constexpr Settings DEFAULT_SETTINGS = DefaultSettings();

// A field's value, the mode id's 32 bits as they are.
std::int64_t FieldValue(const Settings &settings, const SettingsFieldRow &row);

// The fields whose values differ, bit n for SETTINGS_FIELDS[n].
std::uint32_t DifferingFields(const Settings &a, const Settings &b);

// The settings a tooltype list holds, over those in settings (a key that is
// absent keeps its value, but an absent FPSLIMIT turns the limit off). Numbers
// out of their ranges are brought into them; an invalid mode id (0xFFFFFFFF) or a
// depth out of its range counts as absent.
void ReadSettingsToolTypes(char **toolTypes, Settings &settings);

// Whether a tooltype entry (its key up to the first '=' or its end, in any letter
// case) is one the settings write; with iconsKeepOwn, the keys of the settings
// each icon keeps are not.
bool IsSettingsEntry(const char *entry, bool iconsKeepOwn);

// The entries that hold values, in the order an icon gets them: those each icon
// may keep (unless iconsKeepOwn), the others, then the display group.
std::vector<std::string> SettingsToolTypes(const Settings &values, bool iconsKeepOwn);

// The settings as an icon holds them once written (with iconsKeepOwn, without
// those each icon keeps): what the tooltypes say, every field they do not hold zero.
Settings WrittenForm(const Settings &values, bool iconsKeepOwn);

// The words of --save, in the order --help lists them: the display group's, then
// each field's. Two words of one group set the same setting.
struct SettingsWordRule {
    const char *key;    // the word, in any letter case
    const char *group;  // the tooltype key of the setting it sets
    bool hasNumber;
    std::int64_t min, max;
    int field;           // its row in SETTINGS_FIELDS, -1 for the display group
    std::int32_t value;  // what a word without a number sets
};
enum DisplayWordKey { WORD_WINDOW, WORD_FULLSCREEN, WORD_MODEID, WORD_DEPTH, DISPLAY_WORD_COUNT };

constexpr int CountSettingsWords()
{
    int count = DISPLAY_WORD_COUNT;
    for (const SettingsFieldRow &row : SETTINGS_FIELDS) {
        count += row.form == FieldForm::Flag ? 2 : row.form == FieldForm::Display ? 0 : 1;
    }
    return count;
}
inline constexpr int SETTINGS_WORD_COUNT = CountSettingsWords();

// A mode id is 32 bits, given signed (as icons store it) or not.
constexpr std::array<SettingsWordRule, SETTINGS_WORD_COUNT> MakeSettingsWords()
{
    std::array<SettingsWordRule, SETTINGS_WORD_COUNT> words = {{
        {KEY_WINDOW, KEY_WINDOW, false, 0, 0, -1, 0},
        {KEY_FULLSCREEN, KEY_WINDOW, false, 0, 0, -1, 0},
        {KEY_MODEID, KEY_WINDOW, true, INT32_MIN, UINT32_MAX, -1, 0},
        {KEY_DEPTH, KEY_DEPTH, true, DEPTH_RANGE.min, DEPTH_RANGE.max, -1, 0},
    }};
    std::size_t next = DISPLAY_WORD_COUNT;
    for (int field = 0; field < static_cast<int>(std::size(SETTINGS_FIELDS)); ++field) {
        const SettingsFieldRow &row = SETTINGS_FIELDS[field];
        if (row.form == FieldForm::Number) {
            words[next++] = {row.key, row.key, true, row.range.min, row.range.max, field, 0};
        } else if (row.form == FieldForm::Switch) {
            words[next++] = {row.otherWord, row.key, false, 0, 0, field, 0};
        } else if (row.form == FieldForm::Flag) {
            words[next++] = {row.key, row.key, false, 0, 0, field, row.whenPresent};
            words[next++] = {row.otherWord, row.key, false, 0, 0, field, row.whenPresent == 0 ? 1 : 0};
        }
    }
    return words;
}
inline constexpr std::array<SettingsWordRule, SETTINGS_WORD_COUNT> SETTINGS_WORDS = MakeSettingsWords();

// One settings word of --save, checked: its rule's index in SETTINGS_WORDS and
// its number.
struct SettingsWord {
    int key;
    std::int64_t value;
};

// The words set in the settings, in their order (FULLSCREEN with MODEID means
// full screen in that mode).
void ApplySettingsWords(const std::vector<SettingsWord> &words, Settings &settings);

// The words of --save that set the fields of mask to their values in settings,
// separated by spaces (a mode id and depth only for a full screen in that mode).
std::string SettingsWords(const Settings &settings, std::uint32_t mask);
