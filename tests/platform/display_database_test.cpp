#include <QScreen>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/display.h"
#include "platform/toolkit/toolkit_test_support.h"

namespace {

std::string ModeName(std::uint32_t modeId)
{
    NameInfo info;
    std::memset(&info, 0x55, sizeof info);
    EXPECT_EQ(GetDisplayInfoData(nullptr, &info, sizeof info, DTAG_NAME, modeId), sizeof info);
    EXPECT_NE(std::memchr(info.Name, '\0', sizeof info.Name), nullptr);
    return info.Name;
}

std::vector<std::uint16_t> DepthsOf(const DisplayModeRecord &mode)
{
    return {mode.depths, mode.depths + mode.depthCount};
}

TEST(DisplayDatabase, NamesChipsetHostAndUnknownModes)
{
    EXPECT_EQ(ModeName(0x00021000), "PAL:LowRes");
    EXPECT_EQ(ModeName(0x00029024), "PAL:SuperHighRes Laced");
    EXPECT_EQ(ModeName(0x00019004), "NTSC:HighRes Laced");
    DisplayModeRecord mode;
    ASSERT_TRUE(FindDisplayMode(0x00011000, &mode));
    EXPECT_EQ(QSize(mode.width, mode.height), QSize(320, 200));
    ASSERT_GT(mode.depthCount, 0);
    EXPECT_EQ(mode.depths[mode.depthCount - 1], 8);  // no more than 8 planes

    // Host modes, whether or not a screen shows them.
    EXPECT_EQ(HostModeId(1920, 1080), 0x07800438u);
    EXPECT_EQ(ModeName(0x07800438), "Display:1920x1080");
    EXPECT_EQ(ModeName(HostModeId(16384, 16384)), "Display:16384x16384");
    ASSERT_TRUE(FindDisplayMode(HostModeId(1024, 600), &mode));
    EXPECT_EQ(QSize(mode.width, mode.height), QSize(1024, 600));
    EXPECT_EQ(DepthsOf(mode), (std::vector<std::uint16_t>{8, 16, 24, 32}));

    // Anything else in hexadecimal.
    EXPECT_EQ(ModeName(0xFFFFFFFF), "0xFFFFFFFF");
    EXPECT_EQ(ModeName(0x50031000), "0x50031000");           // too wide to be a host mode
    EXPECT_EQ(ModeName(0x00021001), "0x00021001");           // a PAL id of no listed mode
    EXPECT_EQ(ModeName(HostModeId(64, 480)), "0x004001E0");  // too narrow
    EXPECT_FALSE(FindDisplayMode(0x00005678, &mode));
}

TEST(DisplayDatabase, NameRecordIsBoundedAndRefusesWrongRequests)
{
    NameInfo info;
    EXPECT_EQ(GetDisplayInfoData(nullptr, &info, sizeof info - 1, DTAG_NAME, 0x00029000), 0u);
    EXPECT_EQ(GetDisplayInfoData(nullptr, &info, sizeof info, 0x80001000, 0x00029000), 0u);
    EXPECT_EQ(GetDisplayInfoData(nullptr, nullptr, sizeof info, DTAG_NAME, 0x00029000), 0u);

    unsigned char buffer[sizeof(NameInfo) + 8];
    std::memset(buffer, 0xAA, sizeof buffer);
    EXPECT_EQ(GetDisplayInfoData(nullptr, buffer, sizeof(NameInfo), DTAG_NAME, 0x00029024), sizeof(NameInfo));
    EXPECT_EQ(std::string(buffer + sizeof(NameInfo), buffer + sizeof buffer), std::string(8, '\xAA'));
}

TEST(DisplayDatabase, TheActiveScreenIsThePrimaryOneAndHostModesAreListedUpToTheLargestScreen)
{
    TestApplication();
    const QScreen *primary = QGuiApplication::primaryScreen();
    ASSERT_NE(primary, nullptr);
    const QSize size = primary->geometry().size() * primary->devicePixelRatio();
    Screen *screen = ActiveScreen();
    const std::uint32_t primaryId =
        HostModeId(static_cast<std::uint32_t>(size.width()), static_cast<std::uint32_t>(size.height()));
    EXPECT_EQ(GetVPModeID(&screen->ViewPort), primaryId);
    EXPECT_EQ(GetBitMapAttr(screen->RastPort.BitMap, BMA_DEPTH), static_cast<std::uint32_t>(primary->depth()));

    const int count = ListDisplayModes(nullptr, 0);
    std::vector<DisplayModeRecord> modes(static_cast<std::size_t>(count));
    ASSERT_EQ(ListDisplayModes(modes.data(), count), count);
    // A short buffer is filled only as far as it goes.
    std::vector<DisplayModeRecord> shortList(4);
    std::memset(&shortList[3], 0x5A, sizeof shortList[3]);
    const DisplayModeRecord guard = shortList[3];
    EXPECT_EQ(ListDisplayModes(shortList.data(), 3), count);
    EXPECT_EQ(std::memcmp(&shortList[3], &guard, sizeof guard), 0);

    QSize largest;
    for (const QScreen *each : QGuiApplication::screens()) {
        largest = largest.expandedTo(each->geometry().size() * each->devicePixelRatio());
    }
    int chipset = 0;
    std::uint32_t previousHost = 0;
    for (const DisplayModeRecord &mode : modes) {
        if (IsHostModeId(mode.modeId)) {
            EXPECT_EQ(chipset, 0) << "host modes come first";
            EXPECT_GT(mode.modeId, previousHost) << "in order, once each";
            previousHost = mode.modeId;
            EXPECT_TRUE(largest.expandedTo(QSize(mode.width, mode.height)) == largest) << mode.name;
        } else {
            ++chipset;
        }
        DisplayModeRecord found;
        ASSERT_TRUE(FindDisplayMode(mode.modeId, &found));
        EXPECT_STREQ(found.name, mode.name);
    }
    EXPECT_EQ(chipset, 12);
    EXPECT_TRUE(std::any_of(modes.begin(), modes.end(), [&](auto &m) { return m.modeId == primaryId; }));
}

}  // namespace
