#include "gui/window_layout.h"

#include <unistd.h>

#include <string>

#include "gui/commands.h"
#include "gui/menu.h"
#include "platform/icons/image_drawer.h"
#include "platform/toolkit/toolkit.h"
#include "settings/settings_schema.h"
#include "settings/tool_config.h"
#include "state/program_state.h"
#include "text/strings.h"
#include "text/version.h"

namespace {

constexpr const char *kAppCopyright = "Copyright (C) 2005 The Vellumine developers";
constexpr const char *kAppAuthor = "The Vellumine developers";
constexpr const char *kAppBase = "VELLUMINESETTINGS";
constexpr IPTR kWindowId = 0x53455453;  // 'SETS'
constexpr IPTR kGapHeight = 10;
constexpr const char *kCentre = "\033c";

// A label that lines up with single-framed controls.
Object *Label(std::int32_t id)
{
    return MUI_MakeObject(MUIO_Label, GetString(id), MUIO_Label_SingleFrame | MUIO_Label_LeftAligned);
}

Object *Gap()
{
    return MUI_MakeObject(MUIO_VSpace, kGapHeight);
}

Object *PlainText(std::int32_t id)
{
    return MUI_NewObject(MUIC_Text, MUIA_Text_Contents, GetString(id));
}

// Tag lists: one attribute and its value a line.
// clang-format off
Object *Checkmark()
{
    return MUI_NewObject(MUIC_Image,
                         MUIA_Frame, MUIV_Frame_ImageButton,
                         MUIA_InputMode, MUIV_InputMode_Toggle,
                         MUIA_Image_Spec, MUII_CheckMark,
                         MUIA_Image_FreeVert, 1,
                         MUIA_Background, MUII_ButtonBack,
                         MUIA_ShowSelState, 0,
                         MUIA_CycleChain, 1);
}

// A slider over the range of a field of the record.
Object *Slider(std::int32_t Settings::*member)
{
    const SettingRange range = FieldOf(member).range;
    return MUI_NewObject(MUIC_Slider,
                         MUIA_Numeric_Min, range.min,
                         MUIA_Numeric_Max, range.max,
                         MUIA_CycleChain, 1);
}

Object *Button(std::int32_t id)
{
    return MUI_NewObject(MUIC_Text,
                         MUIA_Frame, MUIV_Frame_Button,
                         MUIA_Font, MUIV_Font_Button,
                         MUIA_Text_Contents, GetString(id),
                         MUIA_Text_PreParse, kCentre,
                         MUIA_InputMode, MUIV_InputMode_RelVerify,
                         MUIA_Background, MUII_ButtonBack,
                         MUIA_CycleChain, 1);
}

// The sound area: a gap when hideSound is set, else the sound section.
Object *BuildSoundGroup()
{
    soundCheckmark = nullptr;
    volumeSlider = nullptr;
    if (ToolConfig.hideSound != 0) {
        return Gap();
    }

    Object *topGap = Gap();
    soundCheckmark = Checkmark();
    Object *enableText = PlainText(MSG_LABEL_ENABLE_SOUND);
    Object *enableRow = MUI_NewObject(MUIC_Group, MUIA_Group_Horiz, 1,
                                      MUIA_Group_Child, soundCheckmark,
                                      MUIA_Group_Child, enableText);
    Object *volumeLabel = Label(MSG_LABEL_MASTER_VOLUME);
    volumeSlider = Slider(&Settings::masterVolume);
    Object *soundGroup = MUI_NewObject(MUIC_Group,
                                       MUIA_Frame, MUIV_Frame_Group,
                                       MUIA_FrameTitle, GetString(MSG_GROUP_SOUND),
                                       MUIA_Background, MUII_GroupBack,
                                       MUIA_Group_Child, enableRow,
                                       MUIA_Group_Child, volumeLabel,
                                       MUIA_Group_Child, volumeSlider);
    Object *bottomGap = Gap();
    return MUI_NewObject(MUIC_Group,
                         MUIA_Group_Child, topGap,
                         MUIA_Group_Child, soundGroup,
                         MUIA_Group_Child, bottomGap);
}

}  // namespace

Object *BuildSettingsWindow()
{
    const char *description = GetString(MSG_APP_DESCRIPTION);

    menuStrip = MUI_MakeObject(MUIO_MenustripNM, menuTable, 0);
    // The keys a Linux desktop has for help and for leaving, beside the menu's own.
    if (menuStrip != nullptr) {
        SetAttrs(reinterpret_cast<Object *>(DoMethod(menuStrip, MUIM_FindUData, ID_HELP)), MUIA_Menuitem_ExtraKey, "F1");
        SetAttrs(reinterpret_cast<Object *>(DoMethod(menuStrip, MUIM_FindUData, ID_CANCEL)), MUIA_Menuitem_ExtraKey,
                 "Ctrl+Q");
    }

    // The banner and the gap below it.
    Object *banner = MUI_NewObject(MUIC_Text,
                                   MUIA_Frame, MUIV_Frame_Text,
                                   MUIA_Text_PreParse, kCentre,
                                   MUIA_Text_Contents, windowTitle,
                                   MUIA_Background, MUII_TextBack,
                                   MUIA_Font, MUIV_Font_Big);
    Object *topGap = Gap();

    // Display settings: the mode cycle, and the screen mode with its pop-up button.
    displayModeCycle = MUI_NewObject(MUIC_Cycle,
                                     MUIA_Font, MUIV_Font_Button,
                                     MUIA_Cycle_Entries, displayModeLabels,
                                     MUIA_CycleChain, 1);
    Object *displayModeLabel = Label(MSG_LABEL_DISPLAY_MODE);
    screenModeText = MUI_NewObject(MUIC_Text, MUIA_Frame, MUIV_Frame_Text);
    screenModeButton = MUI_NewObject(MUIC_Image,
                                     MUIA_Frame, MUIV_Frame_Button,
                                     MUIA_Image_Spec, MUII_PopUp,
                                     MUIA_InputMode, MUIV_InputMode_RelVerify,
                                     MUIA_CycleChain, 1);
    Object *screenModeRow = MUI_NewObject(MUIC_Group, MUIA_Group_Horiz, 1,
                                          MUIA_Group_Child, screenModeText,
                                          MUIA_Group_Child, screenModeButton);
    Object *screenModeLabel = Label(MSG_LABEL_SCREEN_MODE);
    Object *displayColumns = MUI_NewObject(MUIC_Group, MUIA_Group_Columns, 2,
                                           MUIA_Group_Child, displayModeCycle,
                                           MUIA_Group_Child, displayModeLabel,
                                           MUIA_Group_Child, screenModeRow,
                                           MUIA_Group_Child, screenModeLabel);
    Object *displayFrame = MUI_NewObject(MUIC_Group,
                                         MUIA_Group_Horiz, 1,
                                         MUIA_Frame, MUIV_Frame_Group,
                                         MUIA_FrameTitle, GetString(MSG_GROUP_DISPLAY),
                                         MUIA_Background, MUII_GroupBack,
                                         MUIA_Group_Child, displayColumns);
    Object *displaySection = MUI_NewObject(MUIC_Group, MUIA_Group_Child, displayFrame);

    Object *soundArea = BuildSoundGroup();

    // General settings: the frame rate limit.
    fpsCheckmark = Checkmark();
    Object *limitText = PlainText(MSG_LABEL_LIMIT_FPS);
    Object *limitColumns = MUI_NewObject(MUIC_Group, MUIA_Group_Columns, 2,
                                         MUIA_Group_Child, fpsCheckmark,
                                         MUIA_Group_Child, limitText);
    Object *limitRow = MUI_NewObject(MUIC_Group, MUIA_Group_Child, limitColumns);
    fpsSlider = Slider(&Settings::fpsLimit);
    Object *fpsLabel = Label(MSG_LABEL_FPS);
    Object *fpsRow = MUI_NewObject(MUIC_Group, MUIA_Group_Horiz, 1,
                                   MUIA_Group_Child, fpsSlider,
                                   MUIA_Group_Child, fpsLabel);
    Object *generalSection = MUI_NewObject(MUIC_Group,
                                           MUIA_Frame, MUIV_Frame_Group,
                                           MUIA_FrameTitle, GetString(MSG_GROUP_GENERAL),
                                           MUIA_Background, MUII_GroupBack,
                                           MUIA_Group_Child, limitRow,
                                           MUIA_Group_Child, fpsRow);

    noteText = MUI_NewObject(MUIC_Text, MUIA_Text_PreParse, kCentre, MUIA_Text_SetMin, 0, MUIA_ShowMe, 0);
    Object *bottomGap = Gap();

    // The button row.
    saveButton = Button(MSG_BUTTON_SAVE);
    aboutButton = Button(MSG_BUTTON_ABOUT);
    helpButton = Button(MSG_BUTTON_HELP);
    cancelButton = Button(MSG_BUTTON_CANCEL);
    Object *buttonRow = MUI_NewObject(MUIC_Group, MUIA_Group_Horiz, 1,
                                      MUIA_Group_Child, saveButton,
                                      MUIA_Group_Child, aboutButton,
                                      MUIA_Group_Child, helpButton,
                                      MUIA_Group_Child, cancelButton);

    Object *page = MUI_NewObject(MUIC_Group,
                                 MUIA_Frame, MUIV_Frame_Group,
                                 MUIA_Background, MUII_PageBack,
                                 MUIA_Group_Child, banner,
                                 MUIA_Group_Child, topGap,
                                 MUIA_Group_Child, displaySection,
                                 MUIA_Group_Child, soundArea,
                                 MUIA_Group_Child, generalSection,
                                 MUIA_Group_Child, noteText,
                                 MUIA_Group_Child, bottomGap,
                                 MUIA_Group_Child, buttonRow);
    Object *root = MUI_NewObject(MUIC_Group, MUIA_Group_Child, page);

    // The window's size is kept for each drawer, whose settings may have other rows;
    // a drawer in a disk image by the argument that names it.
    char folder[4096];
    std::string drawer = getcwd(folder, sizeof folder) != nullptr ? folder : "";
    if (const ImageDrawerPlace *image = CurrentImageDrawer()) {
        drawer = ImageDrawerArgument(image->image, image->device, image->path, image->severalPartitions);
    }
    mainWindow = MUI_NewObject(MUIC_Window,
                               MUIA_Window_Title, windowTitle,
                               MUIA_Window_SizeName, drawer.c_str(),
                               MUIA_Window_Menustrip, menuStrip,
                               MUIA_Window_ID, kWindowId,
                               MUIA_Window_RootObject, root);

    app = MUI_NewObject(MUIC_Application,
                        MUIA_Application_Title, windowTitle,
                        MUIA_Application_Version, versionString,
                        MUIA_Application_Copyright, kAppCopyright,
                        MUIA_Application_Author, kAppAuthor,
                        MUIA_Application_Description, description,
                        MUIA_Application_Base, kAppBase,
                        MUIA_Application_Window, mainWindow);
    if (app == nullptr) {
        // The failed tree has been disposed of: no handle may point into it.
        ResetWindowHandles();
    }
    return app;
}
// clang-format on
