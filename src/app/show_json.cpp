#include "app/show_json.h"

#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>
#include <climits>
#include <string>

#include "app/command_line.h"
#include "app/command_line_modes.h"
#include "platform/display.h"
#include "platform/dos.h"
#include "platform/formats/charset.h"
#include "platform/locale.h"
#include "settings/icon_survey.h"
#include "settings/tooltypes.h"
#include "state/program_state.h"
#include "text/line_text.h"
#include "text/strings.h"

namespace {

// Workbench icon types by do_Type.
const char *const kIconTypes[] = {"unknown", "disk",   "drawer", "tool",   "project",
                                  "garbage", "device", "kick",   "appicon"};

// The drawer (the current folder) as UTF-8, or empty when it cannot be told.
std::string DrawerText()
{
    char folder[PATH_MAX];
    return getcwd(folder, sizeof folder) != nullptr ? FileNameText(folder) : std::string();
}

bool IsFlag(int field)
{
    return field == FIELD_FPS_LIMIT_ENABLED || field == FIELD_SOUND_ENABLED;
}

QJsonValue Latin1OrNull(const std::string &text)
{
    return text.empty() ? QJsonValue() : QJsonValue(QString::fromLatin1(text));
}

QJsonObject SettingsObject(const Settings &settings)
{
    QJsonObject object;
    for (int field = 0; field < SETTINGS_FIELD_COUNT; ++field) {
        const auto value = SettingsField(settings, field);
        object[QLatin1String(settingsFieldNames[field])] =
            IsFlag(field) ? QJsonValue(value != 0) : QJsonValue(static_cast<qint64>(value));
    }
    object[QStringLiteral("displayModeName")] = QLatin1String(DisplayModeWord(settings.displayMode));
    return object;
}

QJsonValue Word(const char *word)
{
    return word != nullptr ? QJsonValue(QLatin1String(word)) : QJsonValue();
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
        {QStringLiteral("kind"), icon.readable ? Word(KindWord(icon.kind)) : QJsonValue()},
        {QStringLiteral("readable"), icon.readable},
        {QStringLiteral("writable"), icon.writable},
        {QStringLiteral("reason"), Word(ReasonWord(icon.problem, icon.error))},
        {QStringLiteral("settings"), icon.readable ? QJsonValue(SettingsObject(icon.settings)) : QJsonValue()},
        {QStringLiteral("differs"), differs}};
}

// The reason word of loadFailure.
const char *LoadFailureWord()
{
    return loadFailure.tooLong != nullptr ? "name-too-long"
           : loadFailure.drawer           ? "drawer-unreadable"
                                          : ReasonWord(loadFailure.problem, loadFailure.error);
}

// Loads as the window does; the exit value of --show (EXIT_USAGE: nothing to show).
int LoadToShow()
{
    LoadSettingsWithoutWindow();
    const int exitValue = CheckLoadedSettings();
    if (exitValue == EXIT_USAGE) {
        ReleaseSettingsWithoutWindow();
    }
    return exitValue;
}

}  // namespace

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

const char *ReasonWord(IconProblem problem, int error)
{
    switch (problem) {
    case IconProblem::None:
        return nullptr;
    case IconProblem::Absent:
        return "absent";
    case IconProblem::Folder:
        return "folder";
    case IconProblem::NotAnIcon:
        return "not-an-icon";
    case IconProblem::Unreadable:
        return error == EACCES || error == EPERM ? "permission-denied" : error == EIO ? "io-error" : "unreadable";
    case IconProblem::PermissionDenied:
        return "permission-denied";
    case IconProblem::NoSpace:
        return "no-space";
    case IconProblem::ReadOnlyFileSystem:
        return "read-only-filesystem";
    case IconProblem::Changed:
        return "changed";
    case IconProblem::LinkLost:
        return "link-lost";
    case IconProblem::Damaged:
        return "damaged";
    case IconProblem::ForeignLeftover:
        return "foreign-leftover";
    default:
        return "write-failed";
    }
}

const char *DisplayModeWord(int displayMode)
{
    return displayMode == DISPLAY_FULLSCREEN_AUTO   ? "fullscreen-auto"
           : displayMode == DISPLAY_FULLSCREEN_MODE ? "fullscreen-manual"
                                                    : "window";
}

int ShowSettingsJson(std::FILE *out)
{
    const int exitValue = LoadToShow();
    if (exitValue == EXIT_USAGE) {
        return exitValue;
    }
    QJsonArray icons;
    for (const SurveyedIcon &icon : SurveyIcons()) {
        icons.append(IconObject(icon));
    }
    const std::string drawer = DrawerText();
    const QJsonValue failure = loadFailure.problem == IconProblem::None
                                   ? QJsonValue()
                                   : QJsonObject{{QStringLiteral("file"),
                                                  loadFailure.drawer ? QString::fromUtf8(FileNameText(loadFailure.icon))
                                                                     : QString::fromLatin1(loadFailure.icon)},
                                                 {QStringLiteral("reason"), QLatin1String(LoadFailureWord())}};
    const QJsonObject shown{
        {QStringLiteral("drawer"), drawer.empty() ? QJsonValue() : QJsonValue(QString::fromUtf8(drawer))},
        {QStringLiteral("toolIcon"), IconFilePresent(TOOL_ICON) ? QJsonValue(TOOL_ICON_FILE) : QJsonValue()},
        {QStringLiteral("application"), QString::fromLatin1(ToolConfig.appName)},
        {QStringLiteral("loadFailure"), failure},
        {QStringLiteral("settingsFrom"), Latin1OrNull(settingsFrom.file)},
        {QStringLiteral("settings"), SettingsObject(AppSettings)},
        {QStringLiteral("icons"), icons}};
    ReleaseSettingsWithoutWindow();
    std::fputs(QJsonDocument(shown).toJson(QJsonDocument::Indented).constData(), out);
    return exitValue;
}

int ShowSettingsText(std::FILE *out)
{
    const int exitValue = LoadToShow();
    if (exitValue == EXIT_USAGE) {
        return exitValue;
    }
    const std::string drawer = DrawerText();
    std::fprintf(out, "drawer=%s\ntoolIcon=%s\n", drawer.empty() ? "?" : LineText(drawer).c_str(),
                 IconFilePresent(TOOL_ICON) ? TOOL_ICON_FILE : "none");
    if (loadFailure.problem != IconProblem::None) {
        const std::string name =
            loadFailure.drawer ? LineText(FileNameText(loadFailure.icon)) : Latin1LineText(loadFailure.icon);
        std::fprintf(out, "loadFailure=%s: %s\n", name.c_str(), LoadFailureWord());
    }
    std::fprintf(out, "%s=%s\n%s=%s\n%s=%d\n", KEY_APPLICATION, Latin1LineText(ToolConfig.appName).c_str(), KEY_HELP,
                 Latin1LineText(ToolConfig.helpFile).c_str(), KEY_HIDESOUND, static_cast<int>(ToolConfig.hideSound));
    for (int i = 0; i < PLATFORM_ICON_COUNT; ++i) {
        std::fprintf(out, "%s=%s\n", PLATFORM_ICON_KEYS[i], Latin1LineText(ToolConfig.platformIcons[i]).c_str());
    }
    // Where the title, the texts and the help's viewer come from.
    char viewer[PATH_MAX];
    std::fprintf(out, "windowTitle=%s\ncatalog=%s\nviewer=%s\nsettingsFrom=%s\n", LineText(windowTitle).c_str(),
                 catalogHandle != nullptr ? LineText(CatalogPath(catalogHandle)).c_str() : "none",
                 FindViewerProgram(viewer, sizeof viewer) ? LineText(FileNameText(viewer)).c_str() : "none",
                 settingsFrom.file.empty() ? "none" : Latin1LineText(settingsFrom.file).c_str());

    NameInfo mode{};
    GetDisplayInfoData(nullptr, &mode, sizeof mode, DTAG_NAME, AppSettings.modeId);
    mode.Name[sizeof mode.Name - 1] = '\0';
    const Settings &s = AppSettings;
    std::fprintf(out,
                 "displayMode=%d\ndisplayModeName=%s\nmodeId=0x%08X (%s)\ndepth=%d\nfpsLimit=%d\nfpsLimitEnabled=%d\n"
                 "masterVolume=%d\nsoundEnabled=%d\n",
                 static_cast<int>(s.displayMode), DisplayModeWord(s.displayMode), static_cast<unsigned>(s.modeId),
                 Latin1LineText(mode.Name).c_str(), static_cast<int>(s.depth), static_cast<int>(s.fpsLimit),
                 static_cast<int>(s.fpsLimitEnabled), static_cast<int>(s.masterVolume),
                 static_cast<int>(s.soundEnabled));

    // Each icon Save would write: the file it is found under, its type, whether it may be written.
    for (const SurveyedIcon &icon : SurveyIcons()) {
        std::fprintf(out, "icon %s: ", Latin1LineText(icon.name).c_str());
        if (icon.file.empty()) {
            std::fprintf(out, "none\n");
        } else if (!icon.readable) {
            std::fprintf(out, "%s: %s\n", Latin1LineText(icon.file).c_str(), ReasonWord(icon.problem, icon.error));
        } else {
            // A writable icon may still have something beside it that a save leaves alone.
            const std::string why =
                icon.problem == IconProblem::None
                    ? std::string()
                    : (icon.writable ? "; " : "") + std::string(ReasonWord(icon.problem, icon.error));
            std::fprintf(out, "%s, %s icon, %s, %s%s\n", Latin1LineText(icon.file).c_str(),
                         kIconTypes[icon.type < std::size(kIconTypes) ? icon.type : 0], KindWord(icon.kind),
                         icon.writable ? "can be written" : "cannot be written: ", why.c_str());
        }
    }
    ReleaseSettingsWithoutWindow();
    return exitValue;
}
