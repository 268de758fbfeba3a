// The display: screens and the display database.
#pragma once

#include <cstdint>

struct BitMap {
    std::uint32_t depth;
};
struct ViewPort {
    std::uint32_t modeId;
};
struct RastPort {
    struct BitMap *BitMap;
};
struct Screen {
    struct ViewPort ViewPort;
    struct RastPort RastPort;
};

// The active screen may be read only between LockIBase and UnlockIBase.
std::uint32_t LockIBase(std::uint32_t lockValue);
void UnlockIBase(std::uint32_t lock);
Screen *ActiveScreen();

std::uint32_t GetVPModeID(const ViewPort *viewPort);

constexpr std::uint32_t BMA_DEPTH = 4;
std::uint32_t GetBitMapAttr(const BitMap *bitMap, std::uint32_t attribute);

// The display database's name record of a mode.
constexpr std::uint32_t DTAG_NAME = 0x80003000;
struct NameInfo {
    std::uint8_t header[16];
    char Name[32];
    std::uint32_t reserved[2];
};
static_assert(sizeof(NameInfo) == 56);

// Fills the record for modeId; returns the number of bytes filled, 0 when none.
std::uint32_t GetDisplayInfoData(void *handle, void *buffer, std::uint32_t size,
                                 std::uint32_t tagId, std::uint32_t modeId);
