#include <QApplication>
#include <QExposeEvent>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/asl.h"
#include "platform/display.h"

namespace {

constexpr std::uint32_t PAL_HIRES = 0x00029000;
constexpr std::uint32_t NTSC_LORES = 0x00011000;

class AslTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (QApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "asl_test";
            static char *argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
    }

    void TearDown() override
    {
        AslSetRequestHook(nullptr);
        AslFailAllocation(false);
        FreeAslRequest(requester_);
    }

    ScreenModeRequester *Alloc()
    {
        requester_ = AllocAslRequest(ASL_ScreenModeRequest, nullptr);
        return static_cast<ScreenModeRequester *>(requester_);
    }

    // Shows the requester on initialId with depths 8..32, answered by answer.
    int Request(std::uint32_t initialId, AslRequestHook answer, std::int32_t minDepth = 8,
                std::int32_t maxDepth = 32)
    {
        AslSetRequestHook(std::move(answer));
        return AslRequestTags(requester_, ASLSM_InitialDisplayID, initialId, ASLSM_MinDepth,
                              minDepth, ASLSM_MaxDepth, maxDepth, TAG_DONE);
    }

    void *requester_ = nullptr;
};

TEST_F(AslTest, OnlyScreenModeRequestersAreMade)
{
    EXPECT_EQ(AllocAslRequest(ASL_FileRequest, nullptr), nullptr);
    AslFailAllocation(true);
    EXPECT_EQ(AllocAslRequest(ASL_ScreenModeRequest, nullptr), nullptr);
    EXPECT_EQ(AslRequest(nullptr, nullptr), 0);
}

TEST_F(AslTest, OpensOnTheInitialModeConfirmsTheChoiceAndCancelLeavesIt)
{
    ScreenModeRequester *requester = Alloc();
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
    EXPECT_EQ(requester->sm_DisplayID, HostModeId(800, 600));
    EXPECT_EQ(requester->sm_DisplayDepth, 16);
    EXPECT_EQ(requester->sm_DisplayWidth, 800u);
    EXPECT_EQ(requester->sm_DisplayHeight, 600u);

    EXPECT_EQ(Request(PAL_HIRES,
                      [](AslScreenModeControl &control) {
                          control.SelectDisplayId(NTSC_LORES);
                          return false;
                      }),
              0);
    EXPECT_EQ(requester->sm_DisplayID, HostModeId(800, 600));
    EXPECT_EQ(requester->sm_DisplayDepth, 16);
}

TEST_F(AslTest, DepthChooserOffersOnlyWhatTheModeHasWithinTheLimits)
{
    Alloc();
    Request(PAL_HIRES, [](AslScreenModeControl &control) {
        EXPECT_EQ(control.DepthChoices(), (std::vector<std::uint16_t>{8}));
        EXPECT_FALSE(control.SelectDepth(4));
        EXPECT_FALSE(control.SelectDepth(32));
        control.SelectDisplayId(HostModeId(640, 480));
        EXPECT_EQ(control.DepthChoices(), (std::vector<std::uint16_t>{8, 16, 24, 32}));
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
            EXPECT_EQ(control.DepthChoices(), (std::vector<std::uint16_t>{16, 24}));
            EXPECT_EQ(control.SelectedDepth(), 24);
            for (std::uint32_t id : control.ListedDisplayIds()) {
                EXPECT_TRUE(IsHostModeId(id)) << std::hex << id;
            }
            EXPECT_FALSE(control.SelectDisplayId(PAL_HIRES));
            return false;
        },
        9, 24);
}

TEST_F(AslTest, ListsAKnownInitialModeThatNoScreenShowsAndFallsBackForAnUnknownOne)
{
    ScreenModeRequester *requester = Alloc();
    const std::uint32_t odd = HostModeId(1000, 700);
    Request(odd, [&](AslScreenModeControl &control) {
        EXPECT_EQ(control.SelectedDisplayId(), odd);
        std::vector<std::uint32_t> ids = control.ListedDisplayIds();
        EXPECT_EQ(std::count(ids.begin(), ids.end(), odd), 1);
        EXPECT_TRUE(std::is_sorted(ids.begin(), std::find_if_not(ids.begin(), ids.end(), IsHostModeId)));
        return false;
    });
    ASSERT_NE(Request(0xDEADBEEF, [&](AslScreenModeControl &control) {
                  EXPECT_EQ(control.SelectedDisplayId(), control.ListedDisplayIds().front());
                  return true;
              }),
              0);
    EXPECT_NE(requester->sm_DisplayID, 0xDEADBEEFu);
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
    ASSERT_NE(parent.windowHandle(), nullptr);
    RefreshLog log;
    Hook hook = {LogRefresh, nullptr, &log};
    int userData = 0;
    Alloc();
    AslSetRequestHook([](AslScreenModeControl &control) {
        control.ExposeParent();
        control.ExposeParent();
        return false;
    });
    AslRequestTags(requester_, ASLSM_Window, &parent, ASLSM_IntuiMsgFunc, &hook, ASLSM_UserData,
                   &userData, TAG_DONE);
    EXPECT_EQ(log.refreshes, 2);
    EXPECT_EQ(log.requester, requester_);
    EXPECT_EQ(log.userData, &userData);

    // Once closed, the parent's messages no longer reach the hook.
    QExposeEvent event(QRegion(parent.rect()));
    QCoreApplication::sendEvent(parent.windowHandle(), &event);
    EXPECT_EQ(log.refreshes, 2);
}

// The real dialog, operated with the keyboard.
void PressKeys(std::vector<int> keys)
{
    QTimer::singleShot(50, [keys] {
        QWidget *dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        for (int key : keys) {
            QWidget *target = dialog->focusWidget() != nullptr ? dialog->focusWidget() : dialog;
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
            QApplication::sendEvent(target, &press);
            QApplication::sendEvent(target, &release);
        }
    });
}

TEST_F(AslTest, TheDialogIsOperatedWithTheKeyboard)
{
    ScreenModeRequester *requester = Alloc();
    // Down to the next mode, Return confirms.
    PressKeys({Qt::Key_Down, Qt::Key_Return});
    ASSERT_NE(AslRequestTags(requester_, ASLSM_InitialDisplayID, NTSC_LORES, ASLSM_MinDepth, 8,
                             ASLSM_MaxDepth, 32, TAG_DONE),
              0);
    EXPECT_EQ(requester->sm_DisplayID, 0x00011004u);  // NTSC:LowRes Laced, next in the list

    // Escape cancels.
    PressKeys({Qt::Key_Down, Qt::Key_Escape});
    EXPECT_EQ(AslRequestTags(requester_, ASLSM_InitialDisplayID, PAL_HIRES, TAG_DONE), 0);
    EXPECT_EQ(requester->sm_DisplayID, 0x00011004u);

    // Tab to the depth chooser, Up to a shallower depth.
    PressKeys({Qt::Key_Tab, Qt::Key_Up, Qt::Key_Return});
    ASSERT_NE(AslRequestTags(requester_, ASLSM_InitialDisplayID, HostModeId(640, 480),
                             ASLSM_MinDepth, 8, ASLSM_MaxDepth, 32, TAG_DONE),
              0);
    EXPECT_EQ(requester->sm_DisplayID, HostModeId(640, 480));
    EXPECT_EQ(requester->sm_DisplayDepth, 24);
}

}  // namespace
