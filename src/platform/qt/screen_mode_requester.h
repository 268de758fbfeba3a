// The screen mode requester: a modal dialog over a window, listing the display
// database's modes with their resolutions and a depth chooser.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/system/display.h"
#include "platform/system/tags.h"

// A call-back with its own data; called as h_Entry(hook, object, message).
struct Hook {
    IPTR (*h_Entry)(Hook *hook, void *object, void *message);
    IPTR (*h_SubEntry)(Hook *hook, void *object, void *message);
    void *h_Data;
};

// A window message as the requester hands it to its message hook.
constexpr std::uint32_t IDCMP_REFRESHWINDOW = 0x00000004;
struct IntuiMessage {
    std::uint32_t Class;
    std::uint16_t Code;
    std::uint16_t Qualifier;
    void *IAddress;
    void *IDCMPWindow;  // the system window the message is for
};

constexpr std::uint32_t ASL_ScreenModeRequest = 2;

constexpr Tag ASL_TB = static_cast<Tag>(0x80000000u + 0x80000u);
constexpr Tag ASLSM_Window = ASL_TB + 2;         // parent: a system window (MUIA_Window_Window)
constexpr Tag ASLSM_UserData = ASL_TB + 52;      // copied to sm_UserData
constexpr Tag ASLSM_IntuiMsgFunc = ASL_TB + 70;  // Hook * for the parent's messages
constexpr Tag ASLSM_InitialDisplayID = ASL_TB + 100;
constexpr Tag ASLSM_InitialDisplayDepth = ASL_TB + 103;
constexpr Tag ASLSM_MinDepth = ASL_TB + 120;
constexpr Tag ASLSM_MaxDepth = ASL_TB + 121;

struct ScreenModeRequester {
    std::uint32_t sm_DisplayID;
    std::uint32_t sm_DisplayWidth;
    std::uint32_t sm_DisplayHeight;
    std::uint16_t sm_DisplayDepth;
    void *sm_UserData;
};

// A requester of the given type (only ASL_ScreenModeRequest), or null.
void *AllocAslRequest(std::uint32_t reqType, const TagItem *tags);
// Shows the requester modally; non-zero when the user confirmed, 0 when cancelled
// or when it could not be shown. The result fields change only on confirm.
int AslRequest(void *requester, const TagItem *tags);
void FreeAslRequest(void *requester);

template <typename... Args> int AslRequestTags(void *requester, Args... args)
{
    IPTR words[] = {ToIPTR(args)..., TAG_DONE, 0};
    return AslRequest(requester, reinterpret_cast<const TagItem *>(words));
}

// Test hooks.
// The open dialog, as a test hook operates it instead of a person.
class AslScreenModeControl {
public:
    virtual ~AslScreenModeControl() = default;
    virtual std::uint32_t SelectedDisplayId() const = 0;
    // Selects a listed mode; false when the list does not hold it.
    virtual bool SelectDisplayId(std::uint32_t modeId) = 0;
    virtual std::vector<std::uint32_t> ListedDisplayIds() const = 0;
    // The depths the depth chooser offers for the selected mode, ascending.
    virtual std::vector<std::uint16_t> DepthChoices() const = 0;
    virtual std::uint16_t SelectedDepth() const = 0;
    // Selects an offered depth; false when it is not offered.
    virtual bool SelectDepth(std::uint16_t depth) = 0;
    // Sends the parent window an expose event, as when it is uncovered.
    virtual void ExposeParent() = 0;
};
// Answers screen mode requesters without showing them: the hook operates the
// dialog and returns true to confirm, false to cancel. Null restores real dialogs.
#ifdef SETTINGS_TEST_SWITCHES
using AslRequestHook = std::function<bool(AslScreenModeControl &control)>;
void AslSetRequestHook(AslRequestHook hook);
// Makes the next AllocAslRequest calls fail while on.
void AslFailAllocation(bool fail);
#endif
