#include <string>

#include "gui/screen_mode.h"
#include "gui/window_fixture.h"
#include "platform/asl.h"
#include "platform/display.h"

namespace {

constexpr std::uint32_t PAL_HIRES_LACED = 0x00029004;
constexpr std::uint32_t NTSC_LORES = 0x00011000;

class ScreenModeTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        AppSettings.modeId = PAL_HIRES_LACED;
        AppSettings.depth = 8;
        BuildAndStart();
    }
    void TearDown() override
    {
        AslSetRequestHook(nullptr);
        AslFailAllocation(false);
        WindowTest::TearDown();
    }

    static std::string ShownName()
    {
        const char *text = reinterpret_cast<const char *>(Attr(screenModeText, MUIA_Text_Contents));
        return text != nullptr ? text : "";
    }

    // Answers the next requester: the mode and depth to confirm, or cancel.
    void Answer(bool confirm, std::uint32_t modeId = 0, std::uint16_t depth = 0)
    {
        AslSetRequestHook([this, confirm, modeId, depth](AslScreenModeControl &control) {
            ++shown;
            openedOn = control.SelectedDisplayId();
            if (modeId != 0) {
                EXPECT_TRUE(control.SelectDisplayId(modeId));
            }
            if (depth != 0) {
                EXPECT_TRUE(control.SelectDepth(depth));
            }
            control.ExposeParent();  // the window is uncovered while the requester is open
            return confirm;
        });
    }

    int shown = 0;
    std::uint32_t openedOn = 0;
};

TEST_F(ScreenModeTest, ShowsTheNameOfTheHeldMode)
{
    ShowScreenModeName();
    EXPECT_EQ(ShownName(), "PAL:HighRes Laced");
    AppSettings.modeId = HostModeId(1920, 1080);
    ShowScreenModeName();
    EXPECT_EQ(ShownName(), "Display:1920x1080");
    AppSettings.modeId = 0x50031000;  // read from an icon, unknown here
    ShowScreenModeName();
    EXPECT_EQ(ShownName(), "0x50031000");
}

TEST_F(ScreenModeTest, ConfirmStoresModeAndDepthAndTheNameFollowsOnlyThen)
{
    SetAttrs(mainWindow, MUIA_Window_Open, 1, TAG_DONE);
    ShowScreenModeName();
    Answer(true, HostModeId(800, 600), 16);
    ASSERT_TRUE(DispatchCommand(ID_SCREEN_MODE));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(openedOn, PAL_HIRES_LACED);
    EXPECT_EQ(AppSettings.modeId, HostModeId(800, 600));
    EXPECT_EQ(AppSettings.depth, 16);
    EXPECT_EQ(ShownName(), "Display:800x600");

    // Cancel: nothing changes, the name stays.
    Answer(false, NTSC_LORES, 8);
    ASSERT_TRUE(DispatchCommand(ID_SCREEN_MODE));
    EXPECT_EQ(openedOn, HostModeId(800, 600));
    EXPECT_EQ(AppSettings.modeId, HostModeId(800, 600));
    EXPECT_EQ(AppSettings.depth, 16);
    EXPECT_EQ(ShownName(), "Display:800x600");
    EXPECT_EQ(Attr(mainWindow, MUIA_Window_Sleep), 0);
}

TEST_F(ScreenModeTest, ChooseReturnsOneOnlyForAConfirmedMode)
{
    Answer(true, NTSC_LORES);
    EXPECT_EQ(ChooseScreenMode(), 1);
    EXPECT_EQ(AppSettings.modeId, NTSC_LORES);
    EXPECT_EQ(AppSettings.depth, 8);  // the only depth of 8..32 the chipset offers
    EXPECT_EQ(ShownName(), "") << "the loop, not the requester, refreshes the name";

    // The mode already held, confirmed again, is stored again.
    AppSettings.depth = 99;
    Answer(true);
    EXPECT_EQ(ChooseScreenMode(), 1);
    EXPECT_EQ(AppSettings.modeId, NTSC_LORES);
    EXPECT_EQ(AppSettings.depth, 8);

    Answer(false);
    EXPECT_EQ(ChooseScreenMode(), 0);
    EXPECT_EQ(AppSettings.depth, 8);
}

TEST_F(ScreenModeTest, ARequesterThatCannotBeMadeIsACancel)
{
    Answer(true, NTSC_LORES);
    AslFailAllocation(true);
    EXPECT_EQ(ChooseScreenMode(), 0);
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(AppSettings.modeId, PAL_HIRES_LACED);
    EXPECT_EQ(AppSettings.depth, 8);
}

TEST_F(ScreenModeTest, TheHookAsksForARedrawOnRefreshMessagesOnly)
{
    SetAttrs(mainWindow, MUIA_Window_Open, 1, TAG_DONE);
    Answer(false);
    EXPECT_EQ(ChooseScreenMode(), 0);  // the window is exposed while the requester is open
    ASSERT_NE(RequesterRefreshHook.h_Entry, nullptr);

    ScreenModeRequester requester = {};
    IntuiMessage message = {};
    message.Class = 0x00000008;  // a mouse button: ignored
    EXPECT_EQ(RequesterRefreshHook.h_Entry(&RequesterRefreshHook, &requester, &message), 0);
    message.Class = IDCMP_REFRESHWINDOW;
    EXPECT_EQ(RequesterRefreshHook.h_Entry(&RequesterRefreshHook, &requester, &message), 0);
    requester.sm_UserData = app;
    EXPECT_EQ(RequesterRefreshHook.h_Entry(&RequesterRefreshHook, &requester, &message), 0);
}

}  // namespace
