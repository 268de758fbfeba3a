// The display: screens and the display database.
#pragma once

#include <cstdint>
#include <vector>

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

// One screen of the host's display: its size in device pixels and its depth.
struct HostScreen {
    std::uint32_t width;
    std::uint32_t height;
    std::uint32_t depth;
};
// Where the host's screens come from (the window's Qt application, or the X
// server for the command line): fills screens, the primary first; false when
// there is no display. Without a source, or without a display, the host is a
// 1920x1080 screen of 24 bits.
using HostScreenSource = bool (*)(std::vector<HostScreen> &screens);
void SetHostScreenSource(HostScreenSource source);
// Whether the source reports a display (else the 1920x1080 screen stands in).
bool HostDisplayKnown();

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
// A mode unknown to the database gets its id in hexadecimal as its name.
std::uint32_t GetDisplayInfoData(void *handle, void *buffer, std::uint32_t size, std::uint32_t tagId,
                                 std::uint32_t modeId);

// The display database as the screen mode requester lists it.
constexpr std::uint32_t INVALID_ID = 0xFFFFFFFF;
constexpr int DISPLAY_MODE_NAME_SIZE = 32;
constexpr int DISPLAY_MODE_MAX_DEPTHS = 8;

struct DisplayModeRecord {
    std::uint32_t modeId;
    char name[DISPLAY_MODE_NAME_SIZE];
    std::uint16_t width;
    std::uint16_t height;
    std::uint16_t depths[DISPLAY_MODE_MAX_DEPTHS];  // the depths the mode offers, ascending
    int depthCount;
};

// Fills record with the mode of modeId; false when the database has no such mode.
bool FindDisplayMode(std::uint32_t modeId, DisplayModeRecord *record);

// Fills up to capacity records with the listed modes: the host's modes (each
// screen's resolution and the common ones up to the largest screen), then the
// chipset modes. Returns how many there are in all, which may exceed capacity.
int ListDisplayModes(DisplayModeRecord *records, int capacity);

// The modes the screen mode requester lists for these depth limits, in the
// display database's order, each with only the depths it offers between them.
std::vector<DisplayModeRecord> ScreenModeChoices(int minDepth, int maxDepth);

// The mode id of a host resolution.
constexpr std::uint32_t HostModeId(std::uint32_t width, std::uint32_t height)
{
    return width << 16 | height;
}
// Whether modeId has the form of a host mode (both halves plausible screen sizes).
bool IsHostModeId(std::uint32_t modeId);
