#include <QExposeEvent>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/asl.h"
#include "platform/display.h"
#include "platform/toolkit/toolkit_test_support.h"

namespace {

constexpr std::uint32_t PAL_HIRES = 0x00029000;
constexpr std::uint32_t NTSC_LORES = 0x00011000;
using Depths = std::vector<std::uint16_t>;

class AslTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestApplication();
        requester_ = static_cast<ScreenModeRequester *>(AllocAslRequest(ASL_ScreenModeRequest, nullptr));
        ASSERT_NE(requester_, nullptr);
    }
    void TearDown() override
    {
        AslSetRequestHook(nullptr);
        FreeAslRequest(requester_);
    }

    // Shows the requester on initialId with depths minDepth..maxDepth, answered by answer
    // (the real dialog when there is none).
    int Request(std::uint32_t initialId, AslRequestHook answer, std::int32_t minDepth = 8, std::int32_t maxDepth = 32)
    {
        AslSetRequestHook(std::move(answer));
        return AslRequestTags(requester_, ASLSM_InitialDisplayID, initialId, ASLSM_MinDepth, minDepth,
                              ASLSM_MaxDepth, maxDepth, TAG_DONE);
    }

    ScreenModeRequester *requester_ = nullptr;
};

TEST_F(AslTest, OpensOnTheInitialModeConfirmsTheChoiceAndCancelLeavesIt)
{
    std::uint32_t openedOn = 0;
    std::string resolution;
    EXPECT_NE(Request(PAL_HIRES,
                      [&](AslScreenModeControl &control) {
                          openedOn = control.SelectedDisplayId();
                          resolution = control.ResolutionText();
                          EXPECT_TRUE(control.SelectDisplayId(HostModeId(800, 600)));
                          EXPECT_EQ(std::string(control.ResolutionText()), "800 × 600");
                          EXPECT_TRUE(control.SelectDepth(16));
                          return true;
                      }),
              0);
    EXPECT_EQ(openedOn, PAL_HIRES);
    EXPECT_EQ(resolution, "640 × 256");
    EXPECT_EQ(requester_->sm_DisplayID, HostModeId(800, 600));
    EXPECT_EQ(requester_->sm_DisplayDepth, 16);
    EXPECT_EQ(requester_->sm_DisplayWidth, 800u);
    EXPECT_EQ(requester_->sm_DisplayHeight, 600u);

    EXPECT_EQ(Request(PAL_HIRES, [](AslScreenModeControl &control) { return !control.SelectDisplayId(NTSC_LORES); }),
              0);
    EXPECT_EQ(requester_->sm_DisplayID, HostModeId(800, 600));
    EXPECT_EQ(requester_->sm_DisplayDepth, 16);
}

TEST_F(AslTest, DepthChooserOffersOnlyWhatTheModeHasWithinTheLimits)
{
    Request(PAL_HIRES, [](AslScreenModeControl &control) {
        EXPECT_EQ(control.DepthChoices(), Depths{8});
        EXPECT_FALSE(control.SelectDepth(32));
        control.SelectDisplayId(HostModeId(640, 480));
        EXPECT_EQ(control.DepthChoices(), (Depths{8, 16, 24, 32}));
        EXPECT_EQ(control.SelectedDepth(), 8) << "the chosen depth is kept when offered";
        EXPECT_TRUE(control.SelectDepth(24));
        control.SelectDisplayId(NTSC_LORES);
        EXPECT_EQ(control.SelectedDepth(), 8) << "else the deepest offered";
        return false;
    });

    // Narrower limits: modes that offer no depth within them are not listed.
    Request(
        HostModeId(640, 480),
        [](AslScreenModeControl &control) {
            EXPECT_EQ(control.DepthChoices(), (Depths{16, 24}));
            EXPECT_EQ(control.SelectedDepth(), 24);
            const std::vector<std::uint32_t> ids = control.ListedDisplayIds();
            EXPECT_TRUE(std::all_of(ids.begin(), ids.end(), IsHostModeId));
            EXPECT_FALSE(control.SelectDisplayId(PAL_HIRES));
            return false;
        },
        9, 24);
}

TEST_F(AslTest, ListsAKnownInitialModeThatNoScreenShowsAndFallsBackForAnUnknownOne)
{
    const std::uint32_t odd = HostModeId(1000, 700);
    Request(odd, [&](AslScreenModeControl &control) {
        EXPECT_EQ(control.SelectedDisplayId(), odd);
        std::vector<std::uint32_t> ids = control.ListedDisplayIds();
        EXPECT_EQ(std::count(ids.begin(), ids.end(), odd), 1);
        EXPECT_TRUE(std::is_sorted(ids.begin(), std::find_if_not(ids.begin(), ids.end(), IsHostModeId)));
        return false;
    });
    ASSERT_NE(Request(0xDEADBEEF,
                      [&](AslScreenModeControl &control) {
                          return control.SelectedDisplayId() == control.ListedDisplayIds().front();
                      }),
              0);
    EXPECT_NE(requester_->sm_DisplayID, 0xDEADBEEFu);
}

struct RefreshLog {
    int refreshes = 0;
    void *requester = nullptr;
    void *userData = nullptr;
};

IPTR LogRefresh(Hook *hook, void *object, void *message)
{
    auto *log = static_cast<RefreshLog *>(hook->h_Data);
    log->refreshes += static_cast<IntuiMessage *>(message)->Class == IDCMP_REFRESHWINDOW ? 1 : 0;
    log->requester = object;
    log->userData = static_cast<ScreenModeRequester *>(object)->sm_UserData;
    return 0;
}

TEST_F(AslTest, RefreshMessagesOfTheParentGoToTheHookWhileOpen)
{
    QWidget parent;
    parent.resize(200, 100);
    parent.show();
    RefreshLog log;
    Hook hook = {LogRefresh, nullptr, &log};
    int userData = 0;
    AslSetRequestHook([](AslScreenModeControl &control) {
        control.ExposeParent();
        control.ExposeParent();
        return false;
    });
    AslRequestTags(requester_, ASLSM_Window, &parent, ASLSM_IntuiMsgFunc, &hook, ASLSM_UserData, &userData, TAG_DONE);
    EXPECT_EQ(log.refreshes, 2);
    EXPECT_EQ(log.requester, requester_);
    EXPECT_EQ(log.userData, &userData);

    // Once closed, the parent's messages no longer reach the hook.
    QExposeEvent event(QRegion(parent.rect()));
    QCoreApplication::sendEvent(parent.windowHandle(), &event);
    EXPECT_EQ(log.refreshes, 2);
}

// Presses keys in the real dialog once it shows.
void PressKeys(std::vector<int> keys)
{
    QTimer::singleShot(50, [keys] {
        QWidget *dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        for (int key : keys) {
            QWidget *target = dialog->focusWidget() != nullptr ? dialog->focusWidget() : dialog;
            for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
                QKeyEvent event(type, key, Qt::NoModifier);
                QApplication::sendEvent(target, &event);
            }
        }
    });
}

TEST_F(AslTest, TheDialogIsOperatedWithTheKeyboard)
{
    PressKeys({Qt::Key_Down, Qt::Key_Return});  // the next mode, confirmed
    ASSERT_NE(Request(NTSC_LORES, nullptr), 0);
    EXPECT_EQ(requester_->sm_DisplayID, 0x00011004u);  // NTSC:LowRes Laced

    PressKeys({Qt::Key_Down, Qt::Key_Escape});
    EXPECT_EQ(Request(PAL_HIRES, nullptr), 0);
    EXPECT_EQ(requester_->sm_DisplayID, 0x00011004u);

    PressKeys({Qt::Key_Tab, Qt::Key_Up, Qt::Key_Return});  // to the depth chooser, a shallower depth
    ASSERT_NE(Request(HostModeId(640, 480), nullptr), 0);
    EXPECT_EQ(requester_->sm_DisplayID, HostModeId(640, 480));
    EXPECT_EQ(requester_->sm_DisplayDepth, 24);
}

}  // namespace
