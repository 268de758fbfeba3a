#include <QDialog>
#include <QSettings>
#include <QTreeWidget>

#include <algorithm>
#include <vector>

#include "platform/display.h"
#include "platform/screen_mode_requester.h"
#include "platform/toolkit/toolkit_test_support.h"

namespace {

constexpr std::uint32_t PAL_HIRES = 0x00029000;
constexpr std::uint32_t NTSC_LORES = 0x00011000;
using Depths = std::vector<std::uint16_t>;

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
    // Shows the requester on initialId with depths minDepth..maxDepth, answered by answer.
    int Request(std::uint32_t initialId, AslRequestHook answer, std::int32_t minDepth = 8, std::int32_t maxDepth = 32)
    {
        AslSetRequestHook(std::move(answer));
        return AslRequestTags(requester_, ASLSM_InitialDisplayID, initialId, ASLSM_MinDepth, minDepth, ASLSM_MaxDepth,
                              maxDepth, TAG_DONE);
    }
    ScreenModeRequester *requester_ = nullptr;
};

// A confirm fills the result (the mode and depth taken: the window's screen mode
// test), a cancel leaves it; the depths offered are those of
// the mode within the limits, the chosen one kept when offered, else the deepest.
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
    EXPECT_EQ(Request(
                  HostModeId(640, 480),
                  [](AslScreenModeControl &control) {
                      EXPECT_EQ(control.DepthChoices(), (Depths{16, 24}));
                      EXPECT_EQ(control.SelectedDepth(), 24);
                      const std::vector<std::uint32_t> ids = control.ListedDisplayIds();
                      EXPECT_TRUE(std::all_of(ids.begin(), ids.end(), IsHostModeId)) << "no chipset mode has 16";
                      EXPECT_FALSE(control.SelectDisplayId(NTSC_LORES));
                      return false;
                  },
                  9, 24),
              0);
    EXPECT_EQ(requester_->sm_DisplayDepth, 16);
    // A known mode that no screen shows is listed; an unknown one gives the first listed.
    Request(HostModeId(1000, 700), [](AslScreenModeControl &control) {
        EXPECT_EQ(control.SelectedDisplayId(), HostModeId(1000, 700));
        return false;
    });
    Request(0xDEADBEEF, [](AslScreenModeControl &control) {
        EXPECT_EQ(control.SelectedDisplayId(), control.ListedDisplayIds().front());
        return false;
    });
}

// The list shows each mode's id and has room for twenty rows; the requester can
// be resized, and opens the next time at the size it was left at.
TEST_F(AslTest, TheRequesterShowsIdsInTwentyRowsAndKeepsItsSize)
{
    QSettings(QSettings::IniFormat, QSettings::UserScope, "muiqt", "toolkit").remove("ScreenModeRequester/size");
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
