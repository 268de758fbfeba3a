#include "gui/screen_mode.h"

#include "gui/window_layout.h"
#include "platform/qt/screen_mode_requester.h"
#include "platform/system/display.h"
#include "platform/toolkit/toolkit.h"

namespace {

IPTR RefreshWindow(Hook *, void *object, void *message)
{
    const auto *requester = static_cast<const ScreenModeRequester *>(object);
    const auto *intuiMessage = static_cast<const IntuiMessage *>(message);
    if (requester != nullptr && intuiMessage != nullptr && intuiMessage->Class == IDCMP_REFRESHWINDOW &&
        requester->sm_UserData != nullptr) {
        DoMethod(static_cast<Object *>(requester->sm_UserData), MUIM_Application_CheckRefresh);
    }
    return 0;
}

}  // namespace

Hook RequesterRefreshHook = {nullptr, nullptr, nullptr};

void ShowScreenModeName(std::uint32_t modeId)
{
    NameInfo nameInfo = {};
    GetDisplayInfoData(nullptr, &nameInfo, sizeof nameInfo, DTAG_NAME, modeId);
    nameInfo.Name[sizeof nameInfo.Name - 1] = '\0';
    SetAttrs(screenModeText, MUIA_Text_Contents, nameInfo.Name, TAG_DONE);
}

int ChooseScreenMode(std::uint32_t &modeId, std::int32_t &depth)
{
    RequesterRefreshHook.h_Entry = RefreshWindow;
    RequesterRefreshHook.h_SubEntry = nullptr;
    RequesterRefreshHook.h_Data = nullptr;
    IPTR window = 0;
    GetAttr(MUIA_Window_Window, mainWindow, &window);

    void *requester = AllocAslRequest(ASL_ScreenModeRequest, nullptr);
    if (requester == nullptr) {
        return 0;
    }
    int confirmed =
        AslRequestTags(requester, ASLSM_InitialDisplayID, modeId, ASLSM_InitialDisplayDepth, depth, ASLSM_MinDepth,
                       SCREEN_MODE_MIN_DEPTH, ASLSM_MaxDepth, SCREEN_MODE_MAX_DEPTH, ASLSM_Window, window,
                       ASLSM_IntuiMsgFunc, &RequesterRefreshHook, ASLSM_UserData, app, TAG_DONE);
    if (!confirmed) {
        FreeAslRequest(requester);
        return 0;
    }
    const auto *result = static_cast<const ScreenModeRequester *>(requester);
    modeId = result->sm_DisplayID;
    depth = static_cast<std::int32_t>(result->sm_DisplayDepth);
    FreeAslRequest(requester);
    return 1;
}
