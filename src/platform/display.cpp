#include "platform/display.h"

#include <cstdio>
#include <cstring>

// Stand-in for the primary screen until the host's display database is in place.
namespace {
BitMap standInBitMap = {24};
Screen standInScreen = {{0x00029000}, {&standInBitMap}};
}

std::uint32_t LockIBase(std::uint32_t) { return 1; }
void UnlockIBase(std::uint32_t) {}
Screen *ActiveScreen() { return &standInScreen; }

std::uint32_t GetVPModeID(const ViewPort *viewPort) { return viewPort->modeId; }

std::uint32_t GetBitMapAttr(const BitMap *bitMap, std::uint32_t attribute)
{
    return attribute == BMA_DEPTH ? bitMap->depth : 0;
}

std::uint32_t GetDisplayInfoData(void *, void *buffer, std::uint32_t size, std::uint32_t tagId,
                                 std::uint32_t modeId)
{
    if (tagId != DTAG_NAME || size < sizeof(NameInfo)) {
        return 0;
    }
    auto *info = static_cast<NameInfo *>(buffer);
    std::memset(info, 0, sizeof(NameInfo));
    std::snprintf(info->Name, sizeof info->Name, "0x%08X", static_cast<unsigned>(modeId));
    return sizeof(NameInfo);
}
