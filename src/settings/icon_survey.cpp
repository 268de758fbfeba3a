#include "settings/icon_survey.h"

#include "settings/settings_reader.h"
#include "settings/settings_schema.h"
#include "settings/tool_config.h"

namespace {

// What a window would start with when this icon were the application's: the
// defaults, the start screen's mode, then the icon's tooltypes.
Settings SettingsOf(char **toolTypes)
{
    Settings settings = ScreenDefaults();
    ReadSettingsToolTypes(toolTypes, settings);
    return settings;
}

SurveyedIcon Survey(IconRole role, const char *name, const Settings &loaded)
{
    SurveyedIcon row{role, name, "", IconImageFormat::Classic, 0, false, false, IconProblem::None, 0, {}, 0, false};
    if (name[0] == '\0') {
        row.problem = IconProblem::Absent;  // an empty name names no icon
        return row;
    }
    std::string found;
    DiskObject *icon = FindSettingsIcon(name, found, row.problem);
    if (row.problem == IconProblem::Absent) {
        return row;
    }
    row.file = found + ".info";
    if (icon == nullptr) {
        row.error = IconReadError();
        return row;
    }
    row.readable = true;
    row.settingsFrom = role == settingsFrom.role && row.file == settingsFrom.file;
    row.kind = IconImageKind(icon);
    row.type = icon->do_Type;
    row.settings = SettingsOf(icon->do_ToolTypes);
    FreeDiskObject(icon);
    row.problem = IconWriteProblem(found.c_str());
    row.writable = row.problem == IconProblem::None || row.problem == IconProblem::ForeignLeftover;
    row.differs = DifferingFields(row.settings, loaded);
    return row;
}

}  // namespace

std::vector<SurveyedIcon> SurveyIcons(const Settings &loaded)
{
    std::vector<SurveyedIcon> rows;
    for (const SaveIcon &icon : SaveIcons()) {
        rows.push_back(Survey(icon.role, icon.name, loaded));
    }
    return rows;
}
