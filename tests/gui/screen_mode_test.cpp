#include <string>

#include "gui/screen_mode.h"
#include "gui/window_fixture.h"
#include "platform/display.h"
#include "platform/screen_mode_requester.h"

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
        SetAttrs(mainWindow, MUIA_Window_Open, 1, TAG_DONE);
    }
    void TearDown() override
    {
        AslSetRequestHook(nullptr);
        AslFailAllocation(false);
        WindowTest::TearDown();
    }

    // Answers the next requester: the mode and depth to confirm, or cancel.
    void Answer(bool confirm, std::uint32_t modeId = 0, std::uint16_t depth = 0)
    {
        AslSetRequestHook([this, confirm, modeId, depth](AslScreenModeControl &control) {
            ++shown;
            openedOn = control.SelectedDisplayId();
            openedDepth = control.SelectedDepth();
            EXPECT_TRUE(modeId == 0 || control.SelectDisplayId(modeId));
            EXPECT_TRUE(depth == 0 || control.SelectDepth(depth));
            control.ExposeParent();  // the window is repainted while the requester is open
            return confirm;
        });
    }

    int shown = 0;
    std::uint32_t openedOn = 0;
    std::uint16_t openedDepth = 0;
};

// The requester opens on the mode and depth held; a confirmed mode and depth are
// stored and the name shown follows them; a cancel, or a requester that cannot
// be made, changes nothing.
TEST_F(ScreenModeTest, ConfirmStoresModeAndDepthAndTheNameFollowsOnlyThen)
{
    Answer(true, HostModeId(800, 600), 16);
    ASSERT_TRUE(DispatchCommand(ID_SCREEN_MODE));
    EXPECT_EQ(openedOn, PAL_HIRES_LACED);
    EXPECT_EQ(AppSettings.modeId, HostModeId(800, 600));
    EXPECT_EQ(AppSettings.depth, 16);
    EXPECT_EQ(Text(screenModeText), "Display:800x600");

    AppSettings.depth = 24;  // not the deepest the mode offers
    Answer(false, NTSC_LORES, 8);
    ASSERT_TRUE(DispatchCommand(ID_SCREEN_MODE));
    EXPECT_EQ(openedDepth, 24);
    Answer(true, NTSC_LORES);
    AslFailAllocation(true);
    EXPECT_EQ(ChooseScreenMode(), 0);
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(AppSettings.modeId, HostModeId(800, 600));
    EXPECT_EQ(AppSettings.depth, 24);
    EXPECT_EQ(Text(screenModeText), "Display:800x600");
    EXPECT_EQ(Attr(mainWindow, MUIA_Window_Sleep), 0);
}

}  // namespace
