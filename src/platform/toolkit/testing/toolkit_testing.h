// What only tests use of the toolkit (library settings_toolkit_testing, which
// the program does not link): failure switches, requesters answered by a hook,
// a private settings file, simulated input and the object tree as text.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/toolkit/toolkit.h"

// Make the n-th object creation from now (1 = the next one) fail; 0 turns it off.
void MUI_FailObjectCreation(int n);
// Answer every requester (the toolkit's and the message requester) without
// showing it: the hook gets the title and the body (escapes still in it) and
// returns the button number. Null restores real requesters.
using MuiRequestHook = std::function<int(const char *title, const char *body)>;
void MUI_SetRequestHook(MuiRequestHook hook);
// As MUI_SetRequestHook, the hook getting the button texts too ('|' between them).
using EasyRequestHook = std::function<std::int32_t(const char *title, const char *body, const char *gadgets)>;
void SetEasyRequestHook(EasyRequestHook hook);
// The toolkit's own settings file (window places, style and font); null
// restores the default under the user's config folder.
void MUI_SetToolkitSettingsFile(const char *path);
// Acts on a control as the user would: clicks a button, pop-up button or
// checkmark, chooses entry value of a cycle, moves a slider to value, chooses a
// menu item, presses a window's close gadget. Returns false, doing nothing,
// when the control takes no input (disabled, its window asleep) or has no such action.
bool MUI_SimulateInput(Object *obj, IPTR value = 0);
// Whether the control is drawn disabled now (its own MUIA_Disabled, or its window asleep).
bool MUI_DrawnDisabled(Object *obj);
// The object tree below obj, one line per object, two spaces of indent per
// level: the kind, then what it shows, e.g. `Group horiz frame "Sound settings"`,
// `Space 10`, `CheckMark selected=1 chain`, `Slider 0..64 value=40 chain disabled`,
// `Item "Save prefs" key=S udata=1`, `Bar udata=0`.
std::string MUI_DescribeTree(Object *obj);
// The toolkit's About and settings windows of an application now open, and closing them.
int MUI_ToolkitWindowCount(Object *app);
void MUI_CloseToolkitWindows(Object *app);
