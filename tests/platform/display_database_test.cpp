#include <QApplication>
#include <QScreen>

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/display.h"

namespace {

std::string ModeName(std::uint32_t modeId)
{
    NameInfo info;
    std::memset(&info, 0x55, sizeof info);
    EXPECT_EQ(GetDisplayInfoData(nullptr, &info, sizeof info, DTAG_NAME, modeId), sizeof info);
    EXPECT_NE(std::memchr(info.Name, '\0', sizeof info.Name), nullptr);
    return info.Name;
}

// A Qt application on the offscreen platform, for the host's screens.
QApplication &Application()
{
    static int argc = 1;
    static char name[] = "display_test";
    static char *argv[] = {name, nullptr};
    static QApplication *application =
        QApplication::instance() != nullptr ? qobject_cast<QApplication *>(QApplication::instance())
                                            : new QApplication(argc, argv);
    return *application;
}

TEST(DisplayDatabase, NamesTheChipsetModesByTheirDocumentedIds)
{
    EXPECT_EQ(ModeName(0x00021000), "PAL:LowRes");
    EXPECT_EQ(ModeName(0x00029024), "PAL:SuperHighRes Laced");
    EXPECT_EQ(ModeName(0x00019004), "NTSC:HighRes Laced");

    DisplayModeRecord mode;
    ASSERT_TRUE(FindDisplayMode(0x00029004, &mode));
    EXPECT_EQ(mode.width, 640);
    EXPECT_EQ(mode.height, 512);
    ASSERT_TRUE(FindDisplayMode(0x00011000, &mode));
    EXPECT_EQ(mode.width, 320);
    EXPECT_EQ(mode.height, 200);
    ASSERT_GT(mode.depthCount, 0);
    EXPECT_EQ(mode.depths[mode.depthCount - 1], 8);  // no more than 8 planes
}

TEST(DisplayDatabase, NamesHostModesWhetherOrNotAScreenShowsThem)
{
    EXPECT_EQ(HostModeId(1920, 1080), 0x07800438u);
    EXPECT_EQ(ModeName(0x07800438), "Display:1920x1080");
    EXPECT_EQ(ModeName(HostModeId(16384, 16384)), "Display:16384x16384");

    DisplayModeRecord mode;
    ASSERT_TRUE(FindDisplayMode(HostModeId(1024, 600), &mode));
    EXPECT_EQ(mode.width, 1024);
    EXPECT_EQ(mode.height, 600);
    std::vector<std::uint16_t> depths(mode.depths, mode.depths + mode.depthCount);
    EXPECT_EQ(depths, (std::vector<std::uint16_t>{8, 16, 24, 32}));
}

TEST(DisplayDatabase, NamesUnknownIdsInHexadecimal)
{
    EXPECT_EQ(ModeName(0xFFFFFFFF), "0xFFFFFFFF");
    EXPECT_EQ(ModeName(0x50031000), "0x50031000");  // too wide to be a host mode
    EXPECT_EQ(ModeName(0x00021001), "0x00021001");  // a PAL id of no listed mode
    EXPECT_EQ(ModeName(HostModeId(64, 480)), "0x004001E0");     // too narrow
    DisplayModeRecord mode;
    EXPECT_FALSE(FindDisplayMode(0x00005678, &mode));
}

TEST(DisplayDatabase, NameRecordIsBoundedAndRefusesWrongRequests)
{
    NameInfo info;
    EXPECT_EQ(GetDisplayInfoData(nullptr, &info, sizeof info - 1, DTAG_NAME, 0x00029000), 0u);
    EXPECT_EQ(GetDisplayInfoData(nullptr, &info, sizeof info, 0x80001000, 0x00029000), 0u);
    EXPECT_EQ(GetDisplayInfoData(nullptr, nullptr, sizeof info, DTAG_NAME, 0x00029000), 0u);

    // Nothing is written past the record.
    unsigned char buffer[sizeof(NameInfo) + 8];
    std::memset(buffer, 0xAA, sizeof buffer);
    EXPECT_EQ(GetDisplayInfoData(nullptr, buffer, sizeof(NameInfo), DTAG_NAME, 0x00029024),
              sizeof(NameInfo));
    for (std::size_t i = sizeof(NameInfo); i < sizeof buffer; ++i) {
        EXPECT_EQ(buffer[i], 0xAA);
    }
}

TEST(DisplayDatabase, ActiveScreenIsThePrimaryScreen)
{
    if (QCoreApplication::instance() == nullptr) {
        // Before a Qt application exists: the fixed fallback.
        Screen *screen = ActiveScreen();
        ASSERT_NE(screen, nullptr);
        EXPECT_EQ(GetVPModeID(&screen->ViewPort), 0x07800438u);
        EXPECT_EQ(GetBitMapAttr(screen->RastPort.BitMap, BMA_DEPTH), 24u);
    }
    Application();
    const QScreen *primary = QGuiApplication::primaryScreen();
    ASSERT_NE(primary, nullptr);
    QSize size = primary->geometry().size() * primary->devicePixelRatio();
    Screen *screen = ActiveScreen();
    EXPECT_EQ(GetVPModeID(&screen->ViewPort),
              HostModeId(static_cast<std::uint32_t>(size.width()),
                         static_cast<std::uint32_t>(size.height())));
    EXPECT_EQ(GetBitMapAttr(screen->RastPort.BitMap, BMA_DEPTH),
              static_cast<std::uint32_t>(primary->depth()));
}

TEST(DisplayDatabase, ListsHostModesUpToTheLargestScreenThenChipsetModes)
{
    Application();
    const int count = ListDisplayModes(nullptr, 0);
    ASSERT_GT(count, 12);
    std::vector<DisplayModeRecord> modes(static_cast<std::size_t>(count));
    ASSERT_EQ(ListDisplayModes(modes.data(), count), count);

    int maxWidth = 0, maxHeight = 0;
    for (const QScreen *screen : QGuiApplication::screens()) {
        QSize size = screen->geometry().size() * screen->devicePixelRatio();
        maxWidth = std::max(maxWidth, size.width());
        maxHeight = std::max(maxHeight, size.height());
    }
    const std::uint32_t primary = GetVPModeID(&ActiveScreen()->ViewPort);
    bool primaryListed = false;
    int chipset = 0;
    std::uint32_t previousHost = 0;
    for (const DisplayModeRecord &mode : modes) {
        ASSERT_NE(std::memchr(mode.name, '\0', sizeof mode.name), nullptr);
        primaryListed = primaryListed || mode.modeId == primary;
        if (IsHostModeId(mode.modeId)) {
            EXPECT_EQ(chipset, 0) << "host modes come first";
            EXPECT_GT(mode.modeId, previousHost) << "in order, once each";
            previousHost = mode.modeId;
            EXPECT_LE(mode.width, maxWidth);
            EXPECT_LE(mode.height, maxHeight);
        } else {
            ++chipset;
        }
        DisplayModeRecord found;
        ASSERT_TRUE(FindDisplayMode(mode.modeId, &found));
        EXPECT_STREQ(found.name, mode.name);
    }
    EXPECT_TRUE(primaryListed);
    EXPECT_EQ(chipset, 12);

    // A short buffer is filled only as far as it goes.
    std::vector<DisplayModeRecord> shortList(4);
    std::memset(&shortList[3], 0x5A, sizeof shortList[3]);
    const DisplayModeRecord guard = shortList[3];
    EXPECT_EQ(ListDisplayModes(shortList.data(), 3), count);
    EXPECT_EQ(std::memcmp(&shortList[3], &guard, sizeof guard), 0);
}

}  // namespace
