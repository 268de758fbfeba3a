#include "gui/icons_overview.h"

#include <cstdio>
#include <string>
#include <vector>

#include "gui/commands.h"
#include "gui/window_handles.h"
#include "platform/formats/charset.h"
#include "platform/toolkit/toolkit.h"
#include "settings/icon_survey.h"
#include "settings/settings_schema.h"
#include "settings/tool_config.h"
#include "state/program_state.h"
#include "text/icon_problem_text.h"
#include "text/strings.h"

Object *iconsWindow = nullptr;

namespace {

constexpr IPTR kIconsWindowId = 0x53455449;  // 'SETI'
constexpr int kColumns = 5;

// The text objects of the rows, kColumns a row, in the order Save writes the icons.
std::vector<Object *> cells;
Object *closeButton = nullptr;

const char *KindName(IconImageFormat kind)
{
    switch (kind) {
    case IconImageFormat::Png:
        return "PNG";
    case IconImageFormat::OS35:
        return "OS 3.5";
    case IconImageFormat::NewIcons:
        return "NewIcons";
    default:
        return GetString(MSG_ICONS_CLASSIC);
    }
}

Object *Cell(const char *text, const char *preParse = "")
{
    return MUI_NewObject(MUIC_Text, MUIA_Text_Contents, text, MUIA_Text_PreParse, preParse);
}

void SetCell(int row, int column, const std::string &text)
{
    SetAttrs(cells[static_cast<std::size_t>(row * kColumns + column)], MUIA_Text_Contents, text.c_str());
}

// The window, with the window's title and a row for each icon Save writes, given
// to the application; null when an object could not be made or was not taken.
Object *BuildIconsWindow()
{
    const int rows = static_cast<int>(SaveIcons().size());
    // A two-dimensional table: the headings, then a row of empty texts for each icon.
    std::vector<IPTR> tags = {MUIA_Group_Columns, kColumns, MUIA_Frame, MUIV_Frame_Group};
    for (std::int32_t id : {MSG_ICONS_ROLE, MSG_ICONS_FILE, MSG_ICONS_KIND, MSG_ICONS_WRITABLE, MSG_ICONS_SETTINGS}) {
        tags.insert(tags.end(), {MUIA_Group_Child, ToIPTR(Cell(GetString(id), "\033b"))});
    }
    cells.clear();
    for (int i = 0; i < rows * kColumns; ++i) {
        cells.push_back(Cell(""));
        tags.insert(tags.end(), {MUIA_Group_Child, ToIPTR(cells.back())});
    }
    tags.insert(tags.end(), {TAG_DONE, 0});
    Object *table = MUI_NewObjectA(MUIC_Group, reinterpret_cast<const TagItem *>(tags.data()));
    closeButton =
        MUI_NewObject(MUIC_Text, MUIA_Frame, MUIV_Frame_Button, MUIA_Font, MUIV_Font_Button, MUIA_Text_Contents,
                      GetString(MSG_BUTTON_CLOSE), MUIA_Text_PreParse, "\033c", MUIA_InputMode,
                      MUIV_InputMode_RelVerify, MUIA_Background, MUII_ButtonBack, MUIA_CycleChain, 1);
    Object *root = MUI_NewObject(MUIC_Group, MUIA_Group_Child, table, MUIA_Group_Child, closeButton);
    iconsWindow = MUI_NewObject(MUIC_Window, MUIA_Window_Title, windowTitle, MUIA_Window_ID, kIconsWindowId,
                                MUIA_Window_RootObject, root);
    if (iconsWindow != nullptr && DoMethod(app, OM_ADDMEMBER, iconsWindow) == 0) {
        MUI_DisposeObject(iconsWindow);
        iconsWindow = nullptr;
    }
    if (iconsWindow == nullptr) {
        cells.clear();
        closeButton = nullptr;
    }
    return iconsWindow;
}

// Its close gadget, Escape and its Close button return ID_ICONS_CLOSE.
void InstallIconsNotifications()
{
    DoMethod(iconsWindow, MUIM_Notify, MUIA_Window_CloseRequest, 1, app, 2, MUIM_Application_ReturnID, ID_ICONS_CLOSE);
    DoMethod(closeButton, MUIM_Notify, MUIA_Pressed, 0, app, 2, MUIM_Application_ReturnID, ID_ICONS_CLOSE);
}

}  // namespace

void ShowIconsOverview()
{
    if (iconsWindow == nullptr) {
        if (BuildIconsWindow() == nullptr) {
            return;
        }
        InstallIconsNotifications();
    }
    const std::vector<SurveyedIcon> icons = SurveyIcons(AppSettings);
    for (std::size_t i = 0; i < icons.size() && (i + 1) * kColumns <= cells.size(); ++i) {
        const SurveyedIcon &icon = icons[i];
        const int row = static_cast<int>(i);
        SetCell(row, 0,
                icon.role == IconRole::Application ? GetString(MSG_ICONS_APPLICATION)
                                                   : PLATFORM_ICONS[static_cast<int>(icon.role) - 1].name);
        // File names are ISO-8859-1, as icons hold names; the window shows UTF-8.
        SetCell(row, 1, icon.file.empty() ? GetString(MSG_ICONS_NO_FILE) : Latin1ToUtf8(icon.file));
        SetCell(row, 2, icon.readable ? KindName(icon.kind) : "");
        const char *why = IconProblemText(icon.problem, icon.error);
        const std::string writable = FormatText(MSG_ICONS_NOT_WRITABLE, why);
        const std::string yes =
            GetString(MSG_ICONS_YES) + std::string(icon.problem == IconProblem::None ? "" : "; ") + why;
        SetCell(row, 3, icon.writable ? yes : writable);
        // The settings that differ from the application's, as the words that set them.
        const std::string words = SettingsWords(icon.settings, icon.differs);
        SetCell(row, 4,
                icon.settingsFrom && icon.role != IconRole::Application ? GetString(MSG_ICONS_SETTINGS_FROM)
                : !icon.readable || icon.role == IconRole::Application  ? ""
                : words.empty()                                         ? GetString(MSG_ICONS_SAME)
                                                                        : words);
    }
    SetAttrs(iconsWindow, MUIA_Window_Open, 1);
}

void CloseIconsOverview()
{
    SetAttrs(iconsWindow, MUIA_Window_Open, 0);
}
