#include <QScreen>

#include <cstring>
#include <string>

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

// Chipset modes, host modes whether or not a screen shows them, anything else in
// hexadecimal; a short or wrong request gets nothing.
TEST(DisplayDatabase, NamesChipsetHostAndUnknownModes)
{
    EXPECT_EQ(ModeName(0x00019004), "NTSC:HighRes Laced");
    EXPECT_EQ(ModeName(HostModeId(16384, 16384)), "Display:16384x16384");
    EXPECT_EQ(ModeName(0x50031000), "0x50031000");           // too wide to be a host mode
    EXPECT_EQ(ModeName(0x00021001), "0x00021001");           // a PAL id of no listed mode
    EXPECT_EQ(ModeName(HostModeId(64, 480)), "0x004001E0");  // too narrow

    unsigned char buffer[sizeof(NameInfo) + 8];
    std::memset(buffer, 0xAA, sizeof buffer);
    EXPECT_EQ(GetDisplayInfoData(nullptr, buffer, sizeof(NameInfo) - 1, DTAG_NAME, 0x00029000), 0u);
    EXPECT_EQ(GetDisplayInfoData(nullptr, buffer, sizeof(NameInfo), 0x80001000, 0x00029000), 0u);
    EXPECT_EQ(GetDisplayInfoData(nullptr, buffer, sizeof(NameInfo), DTAG_NAME, 0x00029024), sizeof(NameInfo));
    EXPECT_EQ(std::string(buffer + sizeof(NameInfo), buffer + sizeof buffer), std::string(8, '\xAA'));
}

// The primary screen's mode and depth (the listing of modes: the requester's tests).
TEST(DisplayDatabase, TheActiveScreenIsThePrimaryOne)
{
    TestApplication();
    const QScreen *primary = QGuiApplication::primaryScreen();
    const QSize size = primary->geometry().size() * primary->devicePixelRatio();
    Screen *screen = ActiveScreen();
    const std::uint32_t primaryId = HostModeId(std::uint32_t(size.width()), std::uint32_t(size.height()));
    EXPECT_EQ(GetVPModeID(&screen->ViewPort), primaryId);
    EXPECT_EQ(GetBitMapAttr(screen->RastPort.BitMap, BMA_DEPTH), static_cast<std::uint32_t>(primary->depth()));
}

}  // namespace
