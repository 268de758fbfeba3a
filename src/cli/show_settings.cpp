#include "cli/show_settings.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/command_line_modes.h"
#include "cli/image_drawers.h"
#include "platform/formats/charset.h"
#include "platform/system/display.h"
#include "platform/system/dos.h"
#include "platform/system/locale.h"
#include "program/program.h"
#include "settings/icon_survey.h"
#include "settings/settings_schema.h"
#include "state/program_state.h"
#include "text/line_text.h"
#include "text/strings.h"

namespace {

// Workbench icon types by do_Type.
const char *const kIconTypes[] = {"unknown", "disk",   "drawer", "tool",   "project",
                                  "garbage", "device", "kick",   "appicon"};

// The drawer (the current folder) as the file system names it, or the argument
// that opens the image's drawer; empty when it cannot be told.
std::string DrawerPath()
{
    if (const ImageDrawerPlace *image = CurrentImageDrawer()) {
        return ImageDrawerText(*image);
    }
    char folder[PATH_MAX];
    return getcwd(folder, sizeof folder) != nullptr ? std::string(folder) : std::string();
}

using Json = nlohmann::json;

// A text from an icon (ISO-8859-1) in JSON, or null when empty.
Json Latin1OrNull(const std::string &text)
{
    return text.empty() ? Json() : Json(Latin1ToUtf8(text));
}

Json SettingsObject(const Settings &settings)
{
    Json object = Json::object();
    for (const SettingsFieldRow &row : SETTINGS_FIELDS) {
        const std::int64_t value = FieldValue(settings, row);
        const bool flag = row.form == FieldForm::Switch || row.form == FieldForm::Flag;
        object[row.name] = flag ? Json(value != 0) : Json(value);
    }
    object["displayModeName"] = DisplayModeWord(settings.displayMode);
    return object;
}

Json Word(const char *word)
{
    return word != nullptr ? Json(word) : Json();
}

Json IconObject(const SurveyedIcon &icon)
{
    Json differs = Json::array();
    for (int field = 0; field < SETTINGS_FIELD_COUNT; ++field) {
        if ((icon.differs >> field & 1) != 0) {
            differs.push_back(SETTINGS_FIELDS[field].name);
        }
    }
    return Json{{"role", RoleWord(icon.role)},
                {"name", Latin1ToUtf8(icon.name)},
                {"file", Latin1OrNull(icon.file)},
                {"kind", icon.readable ? Word(KindWord(icon.kind)) : Json()},
                {"readable", icon.readable},
                {"writable", icon.writable},
                {"reason", Word(ReasonWord(icon.problem, icon.error))},
                {"settings", icon.readable ? SettingsObject(icon.settings) : Json()},
                {"differs", differs}};
}

// Where the image's drawer lies: null for a folder.
Json ImageObject()
{
    const ImageDrawerPlace *image = CurrentImageDrawer();
    if (image == nullptr) {
        return Json();
    }
    return Json{{"file", PathText(image->image)},
                {"partition", image->device},
                {"volume", Latin1ToUtf8(image->volume)},
                {"dosType", image->dosType},
                {"path", Latin1ToUtf8(image->path)}};
}

// The reason word of loadFailure.
const char *LoadFailureWord()
{
    const NameRefusal refused = loadFailure.refused.why;
    return refused == NameRefusal::TooLong         ? "name-too-long"
           : refused == NameRefusal::OutsideDrawer ? "name-outside-drawer"
           : loadFailure.drawer                    ? "drawer-unreadable"
                                                   : ReasonWord(loadFailure.problem, loadFailure.error);
}

// Loads as the window does; the exit value of --show (EXIT_USAGE: nothing to show).
int LoadToShow()
{
    LoadSettingsWithoutWindow();
    return CheckLoadedSettings();
}

}  // namespace

const char *RoleWord(IconRole role)
{
    return role == IconRole::Application ? "application" : PLATFORM_ICONS[static_cast<int>(role) - 1].key;
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
    case IconProblem::InUse:
        return "in-use";
    case IconProblem::Locked:
        return "locked";
    case IconProblem::ImageDamaged:
        return "image-damaged";
    case IconProblem::OutsideDrawer:
        return "outside-drawer";
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

std::string JsonText(const Json &value)
{
    return value.dump(4, ' ', false, Json::error_handler_t::replace) + "\n";
}

int ShowSettingsJson(std::FILE *out)
{
    const int exitValue = LoadToShow();
    if (exitValue == EXIT_USAGE) {
        return exitValue;
    }
    Json icons = Json::array();
    for (const SurveyedIcon &icon : SurveyIcons(AppSettings)) {
        icons.push_back(IconObject(icon));
    }
    const std::string drawer = DrawerPath();
    const Json failure =
        loadFailure.problem == IconProblem::None
            ? Json()
            : Json{{"file", loadFailure.drawer ? PathText(loadFailure.icon) : Latin1ToUtf8(loadFailure.icon)},
                   {"reason", LoadFailureWord()}};
    const Json shown{{"drawer", drawer.empty() ? Json() : Json(PathText(drawer))},
                     {"image", ImageObject()},
                     {"toolIcon", IconFilePresent(TOOL_ICON) ? Json(TOOL_ICON_FILE) : Json()},
                     {"application", Latin1ToUtf8(ToolConfig.appName)},
                     {"loadFailure", failure},
                     {"settingsFrom", Latin1OrNull(settingsFrom.file)},
                     {"settings", SettingsObject(AppSettings)},
                     {"icons", icons}};
    std::fputs(JsonText(shown).c_str(), out);
    return exitValue;
}

int ShowSettingsText(std::FILE *out)
{
    const int exitValue = LoadToShow();
    if (exitValue == EXIT_USAGE) {
        return exitValue;
    }
    const std::string drawer = DrawerPath();
    std::fprintf(out, "drawer=%s\ntoolIcon=%s\n", drawer.empty() ? "?" : PathLineText(drawer).c_str(),
                 IconFilePresent(TOOL_ICON) ? TOOL_ICON_FILE : "none");
    if (const ImageDrawerPlace *image = CurrentImageDrawer()) {
        std::fprintf(out, "image=%s\npartition=%s\nvolume=%s\ndosType=%s\nimagePath=%s\n",
                     PathLineText(image->image).c_str(), Latin1LineText(image->device).c_str(),
                     Latin1LineText(image->volume).c_str(), image->dosType.c_str(),
                     Latin1LineText(image->path).c_str());
    }
    if (loadFailure.problem != IconProblem::None) {
        const std::string name = loadFailure.drawer ? PathLineText(loadFailure.icon) : Latin1LineText(loadFailure.icon);
        std::fprintf(out, "loadFailure=%s: %s\n", name.c_str(), LoadFailureWord());
    }
    std::fprintf(out, "%s=%s\n%s=%s\n%s=%d\n", KEY_APPLICATION, Latin1LineText(ToolConfig.appName).c_str(), KEY_HELP,
                 Latin1LineText(ToolConfig.helpFile).c_str(), KEY_HIDESOUND, static_cast<int>(ToolConfig.hideSound));
    for (int i = 0; i < PLATFORM_ICON_COUNT; ++i) {
        std::fprintf(out, "%s=%s\n", PLATFORM_ICONS[i].key, Latin1LineText(ToolConfig.platformIcons[i]).c_str());
    }
    // Where the title, the texts and the help's viewer come from.
    char viewer[PATH_MAX];
    std::fprintf(out, "windowTitle=%s\ncatalog=%s\nviewer=%s\nsettingsFrom=%s\n", LineText(windowTitle).c_str(),
                 catalogHandle != nullptr ? PathLineText(CatalogPath(catalogHandle)).c_str() : "none",
                 FindViewerProgram(viewer, sizeof viewer) ? PathLineText(viewer).c_str() : "none",
                 settingsFrom.file.empty() ? "none" : Latin1LineText(settingsFrom.file).c_str());

    // Each field; the display mode is named too, and the mode id shown in hexadecimal with its name.
    for (const SettingsFieldRow &row : SETTINGS_FIELDS) {
        const std::int64_t value = FieldValue(AppSettings, row);
        if (row.member == nullptr) {
            NameInfo mode{};
            GetDisplayInfoData(nullptr, &mode, sizeof mode, DTAG_NAME, AppSettings.modeId);
            mode.Name[sizeof mode.Name - 1] = '\0';
            std::fprintf(out, "%s=0x%08X (%s)\n", row.name, static_cast<unsigned>(value),
                         Latin1LineText(mode.Name).c_str());
            continue;
        }
        std::fprintf(out, "%s=%d\n", row.name, static_cast<int>(value));
        if (row.member == &Settings::displayMode) {
            std::fprintf(out, "displayModeName=%s\n", DisplayModeWord(AppSettings.displayMode));
        }
    }

    // Each icon Save would write: the file it is found under, its type, whether it may be written.
    for (const SurveyedIcon &icon : SurveyIcons(AppSettings)) {
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
    return exitValue;
}
