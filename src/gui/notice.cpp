#include "gui/notice.h"

#include "gui/window_handles.h"
#include "platform/toolkit/toolkit.h"
#include "text/strings.h"

namespace {

Notice shownNotice = Notice::None;
bool helpWaiting = false;

void ShowLine()
{
    const char *text = helpWaiting                               ? GetString(MSG_HELP_OPEN)
                       : shownNotice == Notice::ShownOtherChange ? GetString(MSG_SHOWN_OTHER_CHANGE)
                       : shownNotice == Notice::ChangedWithEdits ? GetString(MSG_CHANGED_WITH_EDITS)
                                                                 : "";
    if (noteText != nullptr) {
        SetAttrs(noteText, MUIA_Text_Contents, text, MUIA_ShowMe, text[0] != '\0');
    }
}

}  // namespace

void SetNotice(Notice notice)
{
    shownNotice = notice;
    ShowLine();
}

Notice CurrentNotice()
{
    return shownNotice;
}

void ShowHelpWaiting(bool waiting)
{
    helpWaiting = waiting;
    ShowLine();
}
