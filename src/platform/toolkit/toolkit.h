// The widget toolkit: MUI-style objects, attributes, notifications and input
// handling, realised on Qt 6 Widgets. No Qt type appears here; what only tests
// use is in testing/toolkit_testing.h, a library of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/system/tags.h"

struct Object;  // opaque toolkit object

// Class names.
#define MUIC_Application "Application.mui"
#define MUIC_Window "Window.mui"
#define MUIC_Group "Group.mui"
#define MUIC_Text "Text.mui"
#define MUIC_Cycle "Cycle.mui"
#define MUIC_Image "Image.mui"
#define MUIC_Slider "Slider.mui"

// Attributes. The values are this toolkit's own.
enum : Tag {
    MUIA_Base = 0x80400000,
    // Application
    MUIA_Application_Title,
    MUIA_Application_Version,
    MUIA_Application_Copyright,
    MUIA_Application_Author,
    MUIA_Application_Description,
    MUIA_Application_Base,
    MUIA_Application_Window,  // repeatable: one per window
    // Window
    MUIA_Window_Title,
    MUIA_Window_ID,
    MUIA_Window_Menustrip,
    MUIA_Window_RootObject,
    MUIA_Window_Open,
    MUIA_Window_Sleep,         // nests: each true needs its false before the window wakes
    MUIA_Window_CloseRequest,  // set by the close gadget and by Escape
    MUIA_Window_Window,        // the system window (opaque handle), or 0 while closed;
                               // for platform code it is the window's QWidget *
    // Group
    MUIA_Group_Child,  // repeatable
    MUIA_Group_Horiz,
    MUIA_Group_Columns,
    // Area (every gadget)
    MUIA_Frame,
    MUIA_FrameTitle,
    MUIA_Background,
    MUIA_Font,
    MUIA_CycleChain,  // 1: in the Tab order, which follows the tree; the first
                      // control in it has the keyboard when the window opens
    MUIA_InputMode,
    MUIA_Disabled,
    MUIA_ShowMe,  // 0: the object takes no room in its window
    MUIA_Selected,
    MUIA_Pressed,
    MUIA_ShowSelState,
    // Text
    MUIA_Text_Contents,
    MUIA_Text_PreParse,
    MUIA_Text_SetMin,  // (at creation) 0: the text never widens its window; it wraps at
                       // spaces within the width it is given, and the room it takes while
                       // shown is not kept as the window's remembered size
    // Cycle
    MUIA_Cycle_Entries,
    MUIA_Cycle_Active,
    // Image
    MUIA_Image_Spec,
    MUIA_Image_FreeVert,
    // Numeric / Slider
    MUIA_Numeric_Min,
    MUIA_Numeric_Max,
    MUIA_Numeric_Value,
    // Menu item
    MUIA_Menuitem_Trigger,
    MUIA_Menuitem_ExtraKey,  // (set only) a further key as Qt names it ("F1", "Ctrl+Q"), unless taken
    MUIA_Menuitem_Title,     // the item's label; an empty label hides the item
    MUIA_UserData,
    // Window, further
    MUIA_Window_SizeName,  // a text (the drawer shown, say): the window's size is kept apart for each
};

// Attribute values.
enum : IPTR {
    MUIV_Frame_None = 0,
    MUIV_Frame_Button,
    MUIV_Frame_ImageButton,
    MUIV_Frame_Text,
    MUIV_Frame_Group,
};
enum : IPTR {
    MUII_PageBack = 1,
    MUII_TextBack,
    MUII_GroupBack,
    MUII_ButtonBack,
    MUII_PopUp,
    MUII_CheckMark,
};
enum : IPTR {
    MUIV_Font_Normal = 0,
    MUIV_Font_Big,
    MUIV_Font_Button,
};
enum : IPTR {
    MUIV_InputMode_None = 0,
    MUIV_InputMode_RelVerify,
    MUIV_InputMode_Toggle,
};
constexpr IPTR MUIV_EveryTime = 0x49893131;
// In a notification's arguments: the value the attribute took, or its negation.
constexpr IPTR MUIV_TriggerValue = 0x49893131;
constexpr IPTR MUIV_NotTriggerValue = 0x49893133;
// Notification targets standing for the source object itself, its window, its application.
#define MUIV_Notify_Self (reinterpret_cast<Object *>(static_cast<IPTR>(-1)))
#define MUIV_Notify_Window (reinterpret_cast<Object *>(static_cast<IPTR>(-3)))
#define MUIV_Notify_Application (reinterpret_cast<Object *>(static_cast<IPTR>(-2)))

// Methods, sent with DoMethod.
enum : IPTR {
    MUIM_Base = 0x80420000,
    MUIM_Notify,                        // attr, trigger, target, count, method, arg...
    MUIM_FindUData,                     // udata -> Object* (menu item), or 0
    MUIM_Application_ReturnID,          // id; safe from any thread
    MUIM_Application_NewInput,          // uint32_t *signals -> return id or 0
    MUIM_Application_AboutMUI,          // reference window
    MUIM_Application_OpenConfigWindow,  // flags
    MUIM_Application_CheckRefresh,      // -
    MUIM_Set,                           // attr, value (notifications run)
    MUIM_NoNotifySet,                   // attr, value (no notification)
};
constexpr IPTR MUIV_Application_ReturnID_Quit = -1;
// An application takes a window made after it: window -> 1; 0 for anything but a
// window that no application holds yet.
constexpr IPTR OM_ADDMEMBER = 0x109;

// MUI_MakeObject types.
enum : IPTR {
    MUIO_Label = 1,        // text, flags
    MUIO_VSpace = 2,       // height
    MUIO_MenustripNM = 3,  // NewMenu *, flags
};
constexpr IPTR MUIO_Label_SingleFrame = 1 << 8;
constexpr IPTR MUIO_Label_LeftAligned = 1 << 11;

// Menu definition in the platform's NewMenu form.
constexpr std::uint8_t NM_END = 0;
constexpr std::uint8_t NM_TITLE = 1;
constexpr std::uint8_t NM_ITEM = 2;
constexpr std::uint8_t NM_SUB = 3;  // an item of the submenu of the NM_ITEM before it
#define NM_BARLABEL (reinterpret_cast<const char *>(static_cast<IPTR>(-1)))

struct NewMenu {
    std::uint8_t nm_Type;
    const char *nm_Label;    // text, or a string id before localisation, or NM_BARLABEL
    const char *nm_CommKey;  // one-character text, or null
    std::uint16_t nm_Flags;
    std::int32_t nm_MutualExclude;
    void *nm_UserData;  // the command id
};

// Object creation. The variadic forms take tag/value pairs closed by TAG_DONE.
// A group, window or application given a null child fails, disposing of the
// children it was given.
Object *MUI_NewObjectA(const char *className, const TagItem *tags);
Object *MUI_MakeObjectA(IPTR type, const IPTR *params);
void MUI_DisposeObject(Object *obj);

template <typename... Args> Object *MUI_NewObject(const char *className, Args... args)
{
    IPTR words[] = {ToIPTR(args)..., TAG_DONE, 0};
    return MUI_NewObjectA(className, reinterpret_cast<const TagItem *>(words));
}

template <typename... Args> Object *MUI_MakeObject(IPTR type, Args... args)
{
    IPTR params[] = {ToIPTR(args)..., 0};
    return MUI_MakeObjectA(type, params);
}

// Attributes.
std::uint32_t SetAttrsA(Object *obj, const TagItem *tags);
std::uint32_t GetAttr(Tag attr, Object *obj, IPTR *storage);

template <typename... Args> std::uint32_t SetAttrs(Object *obj, Args... args)
{
    IPTR words[] = {ToIPTR(args)..., TAG_DONE, 0};
    return SetAttrsA(obj, reinterpret_cast<const TagItem *>(words));
}

// Methods.
IPTR DoMethodA(Object *obj, const IPTR *msg);

template <typename... Args> IPTR DoMethod(Object *obj, Args... args)
{
    IPTR msg[] = {ToIPTR(args)..., 0};
    return DoMethodA(obj, msg);
}

// The signal MUIM_Application_NewInput asks to wait for: input or a return id.
constexpr std::uint32_t MUIV_Application_InputSignal = 1u << 30;

// Blocks until one of the signals arrives (input for the application, or a
// return id queued from any thread). Returns the signals that arrived; returns
// 0 at once when the set holds no signal of the toolkit.
std::uint32_t Wait(std::uint32_t signalSet);

// A modal requester with the toolkit's text escapes (ESC c, b, u, n) rendered.
// buttons holds the button texts separated by '|'; one starting with '*' is the
// default. Returns the button number (the last button is 0, as the toolkit
// counts). The format is filled printf-style from no more than argCount args
// (%s, %d, %ld, %u, %x, %c with flags, width and precision). It carries a
// warning icon, or with flags MUIV_Request_Information an information one.
constexpr std::uint32_t MUIV_Request_Information = 1;
int MUI_RequestArgs(Object *app, Object *window, std::uint32_t flags, const char *title, const char *buttons,
                    const char *format, const IPTR *args, std::size_t argCount);

template <typename... Args>
int MUI_Request(Object *app, Object *window, std::uint32_t flags, const char *title, const char *buttons,
                const char *format, Args... args)
{
    IPTR params[] = {ToIPTR(args)..., 0};
    return MUI_RequestArgs(app, window, flags, title, buttons, format, params, sizeof...(Args));
}

// A requester shown while the program waits for something (the toolkit's own),
// its one button ending the wait: OpenWaitRequest shows it over window, the body
// as written; WaitRequestCancelled lets it be drawn and used and tells whether the
// button was pressed or the requester closed; CloseWaitRequest takes it away. A
// test's requester hook is asked at the open (0 cancels); without a display the
// body goes to standard error and the wait is never cancelled.
void OpenWaitRequest(Object *window, const char *title, const char *body, const char *button);
bool WaitRequestCancelled();
void CloseWaitRequest();
