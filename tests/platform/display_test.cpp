// The display database and the screen mode requester.
#include <QDialog>
#include <QLabel>
#include <QScreen>
#include <QSettings>
#include <QTreeWidget>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "platform/qt/qt_display.h"
#include "platform/qt/screen_mode_requester.h"
#include "platform/system/display.h"
#include "platform/toolkit/settings_file.h"
#include "platform/toolkit/toolkit_test_support.h"

namespace {

constexpr std::uint32_t PAL_HIRES = 0x00029000;
using Depths = std::vector<std::uint16_t>;

std::string ModeName(std::uint32_t modeId)
{
    NameInfo info;
    std::memset(&info, 0x55, sizeof info);
    EXPECT_EQ(GetDisplayInfoData(nullptr, &info, sizeof info, DTAG_NAME, modeId), sizeof info);
    EXPECT_NE(std::memchr(info.Name, '\0', sizeof info.Name), nullptr);
    return info.Name;
}

// Chipset modes, host modes whether or not a screen shows them, anything else in
// hexadecimal; nothing is written past the record.
TEST(DisplayDatabase, NamesChipsetHostAndUnknownModes)
{
    EXPECT_EQ(ModeName(0x00019004), "NTSC:HighRes Laced");
    EXPECT_EQ(ModeName(HostModeId(16384, 16384)), "Display:16384x16384");
    EXPECT_EQ(ModeName(0x50031000), "0x50031000");           // too wide to be a host mode
    EXPECT_EQ(ModeName(0x00021001), "0x00021001");           // a PAL id of no listed mode
    EXPECT_EQ(ModeName(HostModeId(64, 480)), "0x004001E0");  // too narrow

    unsigned char buffer[sizeof(NameInfo) + 8];
    std::memset(buffer, 0xAA, sizeof buffer);
    EXPECT_EQ(GetDisplayInfoData(nullptr, buffer, sizeof(NameInfo), DTAG_NAME, 0x00029024), sizeof(NameInfo));
    EXPECT_EQ(std::string(buffer + sizeof(NameInfo), buffer + sizeof buffer), std::string(8, '\xAA'));
}

// The primary screen's mode and depth (the listing of modes: the requester's tests).
TEST(DisplayDatabase, TheActiveScreenIsThePrimaryOne)
{
    TestApplication();
    UseQtDisplay();
    const QScreen *primary = QGuiApplication::primaryScreen();
    const QSize size = primary->geometry().size() * primary->devicePixelRatio();
    Screen *screen = ActiveScreen();
    const std::uint32_t primaryId = HostModeId(std::uint32_t(size.width()), std::uint32_t(size.height()));
    EXPECT_EQ(GetVPModeID(&screen->ViewPort), primaryId);
    EXPECT_EQ(GetBitMapAttr(screen->RastPort.BitMap, BMA_DEPTH), static_cast<std::uint32_t>(primary->depth()));
}

class AslTest : public ToolkitTest {
protected:
    void SetUp() override
    {
        ToolkitTest::SetUp();
        requester_ = static_cast<ScreenModeRequester *>(AllocAslRequest(ASL_ScreenModeRequest, nullptr));
        ASSERT_NE(requester_, nullptr);
    }
    void TearDown() override
    {
        AslSetRequestHook(nullptr);
        FreeAslRequest(requester_);
        ToolkitTest::TearDown();
    }
    // Shows the requester on initialId and depth (0: the deepest) within 8-32 bits, answered by answer.
    int Request(std::uint32_t initialId, AslRequestHook answer, IPTR depth = 0)
    {
        AslSetRequestHook(std::move(answer));
        return AslRequestTags(requester_, ASLSM_InitialDisplayID, initialId, ASLSM_InitialDisplayDepth, depth,
                              ASLSM_MinDepth, 8, ASLSM_MaxDepth, 32, TAG_DONE);
    }
    ScreenModeRequester *requester_ = nullptr;
};

// A confirm fills the result (the mode and depth taken: the window's screen mode
// test), a cancel leaves it; the depths offered are those of the mode from 8 bits
// on, the chosen one kept when offered, else the deepest.
TEST_F(AslTest, ConfirmFillsTheResultWithAModeAndADepthItOffers)
{
    EXPECT_NE(Request(PAL_HIRES,
                      [](AslScreenModeControl &control) {
                          EXPECT_EQ(control.DepthChoices(), Depths{8});
                          EXPECT_FALSE(control.SelectDepth(32));
                          EXPECT_TRUE(control.SelectDisplayId(HostModeId(800, 600)));
                          EXPECT_EQ(control.DepthChoices(), (Depths{8, 16, 24, 32}));
                          EXPECT_EQ(control.SelectedDepth(), 8);
                          EXPECT_TRUE(control.SelectDepth(16));
                          return true;
                      }),
              0);
    EXPECT_EQ(requester_->sm_DisplayWidth, 800u);
    EXPECT_EQ(requester_->sm_DisplayHeight, 600u);
    EXPECT_EQ(Request(HostModeId(640, 480),
                      [](AslScreenModeControl &control) {
                          EXPECT_EQ(control.SelectedDepth(), 32);
                          return false;
                      }),
              0);
    EXPECT_EQ(requester_->sm_DisplayDepth, 16);
}

// A held mode the display does not offer (a screen larger than the 800x600 one, an
// unknown id) opens as a first row noted as such, the offered modes below it; OK
// keeps it and the held depth.
TEST_F(AslTest, AModeNotOfferedIsShownAsSuchAndKeptOnConfirm)
{
    for (auto [modeId, name, width] :
         {std::tuple{HostModeId(2560, 1440), "Display:2560x1440", 2560u}, std::tuple{0xDEADBEEFu, "0xDEADBEEF", 0u}}) {
        auto answer = [modeId, name, width](AslScreenModeControl &control) {
            auto *list = dynamic_cast<QDialog &>(control).findChild<QTreeWidget *>();
            EXPECT_EQ(list->topLevelItem(0)->text(0).toStdString(), name + std::string(" (not offered)"));
            QStringList labels;  // the resolution: the size, or else the note, never "0 × 0"
            for (const QLabel *label : dynamic_cast<QDialog &>(control).findChildren<QLabel *>()) {
                labels << label->text();
            }
            EXPECT_TRUE(labels.contains(width != 0 ? "2560 × 1440" : "(not offered)"))
                << labels.join('|').toStdString();
            EXPECT_EQ(control.ListedDisplayIds().at(1), HostModeId(640, 480));
            return true;
        };
        EXPECT_NE(Request(modeId, answer, 16), 0);
        EXPECT_EQ(requester_->sm_DisplayID, modeId);
        EXPECT_EQ(requester_->sm_DisplayDepth, 16);
        EXPECT_EQ(requester_->sm_DisplayWidth, width);
    }
}

// The list shows each mode's id and has room for twenty rows; the requester can
// be resized, and opens the next time at the size it was left at.
TEST_F(AslTest, TheRequesterShowsIdsInTwentyRowsAndKeepsItsSize)
{
    toolkit::OpenSettings()->remove("ScreenModeRequester/size");
    const QSize left(640, 580);  // within the 800x600 offscreen screen
    Request(PAL_HIRES, [&left](AslScreenModeControl &control) {
        auto *dialog = dynamic_cast<QDialog *>(&control);
        auto *list = dialog->findChild<QTreeWidget *>();
        dialog->show();
        QCoreApplication::processEvents();
        EXPECT_EQ(list->currentItem()->text(2), "0x00029000");
        EXPECT_GE(list->viewport()->height(), 20 * list->sizeHintForRow(0));
        EXPECT_LT(dialog->minimumSizeHint().height(), dialog->height());
        dialog->resize(left);
        return false;
    });
    Request(PAL_HIRES, [&left](AslScreenModeControl &control) {
        EXPECT_EQ(dynamic_cast<QDialog *>(&control)->size(), left);
        return false;
    });
}

}  // namespace
