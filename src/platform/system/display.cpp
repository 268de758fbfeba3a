#include "platform/system/display.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

// The display database: the classic chipset modes under their documented ids,
// and the host's own modes, whose id is width << 16 | height.
namespace {

constexpr std::uint32_t NTSC_MONITOR_ID = 0x00011000;
constexpr std::uint32_t PAL_MONITOR_ID = 0x00021000;
constexpr std::uint32_t LORES_KEY = 0x00000000;
constexpr std::uint32_t HIRES_KEY = 0x00008000;
constexpr std::uint32_t SUPER_KEY = 0x00008020;
constexpr std::uint32_t LORESLACE_KEY = 0x00000004;
constexpr std::uint32_t HIRESLACE_KEY = 0x00008004;
constexpr std::uint32_t SUPERLACE_KEY = 0x00008024;

struct ChipsetMode {
    std::uint32_t modeId;
    const char *name;
    std::uint16_t width;
    std::uint16_t height;
};

constexpr ChipsetMode chipsetModes[] = {
    {NTSC_MONITOR_ID | LORES_KEY, "NTSC:LowRes", 320, 200},
    {NTSC_MONITOR_ID | LORESLACE_KEY, "NTSC:LowRes Laced", 320, 400},
    {NTSC_MONITOR_ID | HIRES_KEY, "NTSC:HighRes", 640, 200},
    {NTSC_MONITOR_ID | HIRESLACE_KEY, "NTSC:HighRes Laced", 640, 400},
    {NTSC_MONITOR_ID | SUPER_KEY, "NTSC:SuperHighRes", 1280, 200},
    {NTSC_MONITOR_ID | SUPERLACE_KEY, "NTSC:SuperHighRes Laced", 1280, 400},
    {PAL_MONITOR_ID | LORES_KEY, "PAL:LowRes", 320, 256},
    {PAL_MONITOR_ID | LORESLACE_KEY, "PAL:LowRes Laced", 320, 512},
    {PAL_MONITOR_ID | HIRES_KEY, "PAL:HighRes", 640, 256},
    {PAL_MONITOR_ID | HIRESLACE_KEY, "PAL:HighRes Laced", 640, 512},
    {PAL_MONITOR_ID | SUPER_KEY, "PAL:SuperHighRes", 1280, 256},
    {PAL_MONITOR_ID | SUPERLACE_KEY, "PAL:SuperHighRes Laced", 1280, 512},
};

// The chipset draws up to 8 bit-planes; a host screen offers the usual chunky depths.
constexpr std::uint16_t chipsetDepths[] = {1, 2, 3, 4, 5, 6, 7, 8};
constexpr std::uint16_t hostDepths[] = {8, 16, 24, 32};

// Resolutions offered up to the size of the largest screen.
constexpr struct {
    std::uint16_t width, height;
} commonResolutions[] = {
    {640, 480},   {800, 600},   {1024, 768},  {1280, 720},  {1280, 800},  {1280, 1024}, {1366, 768},
    {1440, 900},  {1600, 900},  {1600, 1200}, {1680, 1050}, {1920, 1080}, {1920, 1200}, {2560, 1080},
    {2560, 1440}, {2560, 1600}, {3440, 1440}, {3840, 2160}, {5120, 2880}, {7680, 4320},
};

// A host id names a mode when both halves are plausible screen sizes.
constexpr std::uint32_t HOST_MIN_SIZE = 128;
constexpr std::uint32_t HOST_MAX_SIZE = 16384;

// Without a display: a full-HD screen of 24 bits.
constexpr std::uint32_t FALLBACK_WIDTH = 1920;
constexpr std::uint32_t FALLBACK_HEIGHT = 1080;
constexpr std::uint32_t FALLBACK_DEPTH = 24;

BitMap activeBitMap = {FALLBACK_DEPTH};
Screen activeScreen = {{HostModeId(FALLBACK_WIDTH, FALLBACK_HEIGHT)}, {&activeBitMap}};

void FillChipsetRecord(const ChipsetMode &mode, DisplayModeRecord *record)
{
    std::memset(record, 0, sizeof *record);
    record->modeId = mode.modeId;
    std::snprintf(record->name, sizeof record->name, "%s", mode.name);
    record->width = mode.width;
    record->height = mode.height;
    record->depthCount = static_cast<int>(std::size(chipsetDepths));
    std::copy(std::begin(chipsetDepths), std::end(chipsetDepths), record->depths);
}

void FillHostRecord(std::uint32_t modeId, DisplayModeRecord *record)
{
    std::memset(record, 0, sizeof *record);
    record->modeId = modeId;
    record->width = static_cast<std::uint16_t>(modeId >> 16);
    record->height = static_cast<std::uint16_t>(modeId & 0xFFFF);
    std::snprintf(record->name, sizeof record->name, "Display:%ux%u", unsigned(record->width),
                  unsigned(record->height));
    record->depthCount = static_cast<int>(std::size(hostDepths));
    std::copy(std::begin(hostDepths), std::end(hostDepths), record->depths);
}

HostScreenSource screenSource = nullptr;

// The host's screens, the primary first; empty without a source or a display.
std::vector<HostScreen> HostScreens()
{
    std::vector<HostScreen> screens;
    if (screenSource != nullptr && !screenSource(screens)) {
        screens.clear();
    }
    return screens;
}

// The screens' sizes as mode ids.
std::vector<std::uint32_t> HostScreenModeIds()
{
    std::vector<std::uint32_t> ids;
    for (const HostScreen &screen : HostScreens()) {
        std::uint32_t id = HostModeId(screen.width, screen.height);
        if (IsHostModeId(id)) {
            ids.push_back(id);
        }
    }
    return ids;
}

// Each screen's resolution and the common ones that fit the largest screen,
// ordered by width, then height.
std::vector<std::uint32_t> HostModeIds()
{
    std::vector<std::uint32_t> ids = HostScreenModeIds();
    std::uint32_t maxWidth = FALLBACK_WIDTH;
    std::uint32_t maxHeight = FALLBACK_HEIGHT;
    if (!ids.empty()) {
        maxWidth = 0;
        maxHeight = 0;
        for (std::uint32_t id : ids) {
            maxWidth = std::max(maxWidth, id >> 16);
            maxHeight = std::max(maxHeight, id & 0xFFFF);
        }
    } else {
        ids.push_back(HostModeId(FALLBACK_WIDTH, FALLBACK_HEIGHT));
    }
    for (const auto &resolution : commonResolutions) {
        if (resolution.width <= maxWidth && resolution.height <= maxHeight) {
            ids.push_back(HostModeId(resolution.width, resolution.height));
        }
    }
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}

// Only the depths of mode between the limits; false when none is.
bool KeepOfferedDepths(DisplayModeRecord &mode, int minDepth, int maxDepth)
{
    int kept = 0;
    for (int i = 0; i < mode.depthCount && i < DISPLAY_MODE_MAX_DEPTHS; ++i) {
        if (mode.depths[i] >= minDepth && mode.depths[i] <= maxDepth) {
            mode.depths[kept++] = mode.depths[i];
        }
    }
    mode.depthCount = kept;
    return kept > 0;
}

}  // namespace

bool IsHostModeId(std::uint32_t modeId)
{
    std::uint32_t width = modeId >> 16;
    std::uint32_t height = modeId & 0xFFFF;
    return width >= HOST_MIN_SIZE && width <= HOST_MAX_SIZE && height >= HOST_MIN_SIZE && height <= HOST_MAX_SIZE;
}

std::uint32_t LockIBase(std::uint32_t)
{
    return 1;
}
void UnlockIBase(std::uint32_t) {}

void SetHostScreenSource(HostScreenSource source)
{
    screenSource = source;
}

bool HostDisplayKnown()
{
    return !HostScreens().empty();
}

// The primary screen's mode and depth, read afresh on each call.
Screen *ActiveScreen()
{
    std::uint32_t modeId = HostModeId(FALLBACK_WIDTH, FALLBACK_HEIGHT);
    std::uint32_t depth = FALLBACK_DEPTH;
    const std::vector<HostScreen> screens = HostScreens();
    if (!screens.empty()) {
        const HostScreen &primary = screens.front();
        if (primary.width > 0 && primary.height > 0 && primary.width <= 0xFFFF && primary.height <= 0xFFFF) {
            modeId = HostModeId(primary.width, primary.height);
        }
        if (primary.depth > 0) {
            depth = primary.depth;
        }
    }
    activeScreen.ViewPort.modeId = modeId;
    activeBitMap.depth = depth;
    return &activeScreen;
}

std::uint32_t GetVPModeID(const ViewPort *viewPort)
{
    return viewPort != nullptr ? viewPort->modeId : INVALID_ID;
}

std::uint32_t GetBitMapAttr(const BitMap *bitMap, std::uint32_t attribute)
{
    return bitMap != nullptr && attribute == BMA_DEPTH ? bitMap->depth : 0;
}

bool FindDisplayMode(std::uint32_t modeId, DisplayModeRecord *record)
{
    for (const ChipsetMode &mode : chipsetModes) {
        if (mode.modeId == modeId) {
            FillChipsetRecord(mode, record);
            return true;
        }
    }
    if (IsHostModeId(modeId)) {
        FillHostRecord(modeId, record);
        return true;
    }
    return false;
}

int ListDisplayModes(DisplayModeRecord *records, int capacity)
{
    std::vector<std::uint32_t> hostIds = HostModeIds();
    int count = 0;
    for (std::uint32_t id : hostIds) {
        if (count < capacity) {
            FillHostRecord(id, &records[count]);
        }
        ++count;
    }
    for (const ChipsetMode &mode : chipsetModes) {
        if (count < capacity) {
            FillChipsetRecord(mode, &records[count]);
        }
        ++count;
    }
    return count;
}

std::vector<DisplayModeRecord> ScreenModeChoices(int minDepth, int maxDepth)
{
    int count = ListDisplayModes(nullptr, 0);
    std::vector<DisplayModeRecord> records(static_cast<std::size_t>(count));
    count = std::min(count, ListDisplayModes(records.data(), count));
    records.resize(static_cast<std::size_t>(std::max(count, 0)));
    std::erase_if(records, [&](DisplayModeRecord &mode) { return !KeepOfferedDepths(mode, minDepth, maxDepth); });
    return records;
}

std::uint32_t GetDisplayInfoData(void *, void *buffer, std::uint32_t size, std::uint32_t tagId, std::uint32_t modeId)
{
    if (buffer == nullptr || tagId != DTAG_NAME || size < sizeof(NameInfo)) {
        return 0;
    }
    auto *info = static_cast<NameInfo *>(buffer);
    std::memset(info, 0, sizeof(NameInfo));
    // Header: structure id, display id, skip id, length in 8-byte units.
    const std::uint32_t header[4] = {DTAG_NAME, modeId, 0, sizeof(NameInfo) / 8};
    std::memcpy(info->header, header, sizeof info->header);

    DisplayModeRecord record;
    if (FindDisplayMode(modeId, &record)) {
        std::snprintf(info->Name, sizeof info->Name, "%s", record.name);
    } else {
        std::snprintf(info->Name, sizeof info->Name, "0x%08X", static_cast<unsigned>(modeId));
    }
    return sizeof(NameInfo);
}
