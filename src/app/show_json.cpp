#include "app/show_json.h"

#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <climits>

#include "app/command_line_modes.h"
#include "settings/icon_survey.h"
#include "settings/tool_config.h"
#include "settings/tooltypes.h"

namespace {

QJsonValue Latin1OrNull(const std::string &text)
{
    return text.empty() ? QJsonValue() : QJsonValue(QString::fromLatin1(text));
}

QJsonObject SettingsObject(const Settings &settings)
{
    QJsonObject object;
    for (int field = 0; field < SETTINGS_FIELD_COUNT; ++field) {
        object[QLatin1String(settingsFieldNames[field])] = static_cast<qint64>(SettingsField(settings, field));
    }
    return object;
}

const char *RoleWord(IconRole role)
{
    return role == IconRole::Application ? "application" : PLATFORM_ICON_KEYS[static_cast<int>(role) - 1];
}

const char *KindWord(IconImageFormat kind)
{
    switch (kind) {
    case IconImageFormat::Png:
        return "png";
    case IconImageFormat::OS35:
        return "os35";
    case IconImageFormat::NewIcons:
        return "newicons";
    default:
        return "classic";
    }
}

// A stable word for scripts, whatever the user's language.
QJsonValue ReasonWord(IconProblem problem)
{
    switch (problem) {
    case IconProblem::None:
        return QJsonValue();
    case IconProblem::Absent:
        return QStringLiteral("absent");
    case IconProblem::Folder:
        return QStringLiteral("folder");
    case IconProblem::NotAnIcon:
        return QStringLiteral("not-an-icon");
    case IconProblem::Unreadable:
        return QStringLiteral("unreadable");
    case IconProblem::PermissionDenied:
        return QStringLiteral("permission-denied");
    case IconProblem::NoSpace:
        return QStringLiteral("no-space");
    case IconProblem::ReadOnlyFileSystem:
        return QStringLiteral("read-only-filesystem");
    case IconProblem::Changed:
        return QStringLiteral("changed");
    case IconProblem::LinkLost:
        return QStringLiteral("link-lost");
    case IconProblem::Damaged:
        return QStringLiteral("damaged");
    case IconProblem::ForeignLeftover:
        return QStringLiteral("foreign-leftover");
    default:
        return QStringLiteral("write-failed");
    }
}

QJsonObject IconObject(const SurveyedIcon &icon)
{
    QJsonArray differs;
    for (int field = 0; field < SETTINGS_FIELD_COUNT; ++field) {
        if ((icon.differs >> field & 1) != 0) {
            differs.append(QLatin1String(settingsFieldNames[field]));
        }
    }
    return QJsonObject{
        {QStringLiteral("role"), QLatin1String(RoleWord(icon.role))},
        {QStringLiteral("name"), QString::fromLatin1(icon.name)},
        {QStringLiteral("file"), Latin1OrNull(icon.file)},
        {QStringLiteral("kind"), icon.readable ? QJsonValue(KindWord(icon.kind)) : QJsonValue()},
        {QStringLiteral("readable"), icon.readable},
        {QStringLiteral("writable"), icon.writable},
        {QStringLiteral("reason"), ReasonWord(icon.problem)},
        {QStringLiteral("settings"), icon.readable ? QJsonValue(SettingsObject(icon.settings)) : QJsonValue()},
        {QStringLiteral("differs"), differs}};
}

}  // namespace

int ShowSettingsJson(std::FILE *out)
{
    LoadForScripts();
    char folder[PATH_MAX];
    DiskObject *tool = GetDiskObject(TOOL_ICON);
    QJsonArray icons;
    for (const SurveyedIcon &icon : SurveyIcons()) {
        icons.append(IconObject(icon));
    }
    const QJsonObject shown{
        {QStringLiteral("drawer"),
         getcwd(folder, sizeof folder) != nullptr ? QJsonValue(QString::fromLocal8Bit(folder)) : QJsonValue()},
        {QStringLiteral("toolIcon"), tool != nullptr ? QJsonValue(QStringLiteral("Settings.info")) : QJsonValue()},
        {QStringLiteral("application"), QString::fromLatin1(ToolConfig.appName)},
        {QStringLiteral("settings"), SettingsObject(AppSettings)},
        {QStringLiteral("icons"), icons}};
    FreeDiskObject(tool);
    ReleaseForScripts();
    std::fputs(QJsonDocument(shown).toJson(QJsonDocument::Indented).constData(), out);
    return 0;
}
