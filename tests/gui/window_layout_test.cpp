// The object tree of the settings window: what is made, in which order, with
// which texts, ranges and initial values, as the toolkit describes it.
#include "gui/window_fixture.h"

namespace {

std::string ExpectedTree(bool withSound)
{
    const std::string sound = withSound ? R"tree(        Group
          Space 10
          Group frame "Sound settings"
            Group horiz
              CheckMark selected=1 chain
              Text "Enable sound output?"
            Label "Master volume"
            Slider 0..64 value=40 chain
          Space 10
)tree"
                                        : "        Space 10\n";
    return R"tree(Application base="VELLUMINESETTINGS"
  Window id=0x53455453 title="Application Settings"
    Group
      Group frame
        Text "\ecApplication Settings" framed big
        Space 10
        Group
          Group horiz frame "Display settings"
            Group columns=2
              Cycle "Window on Workbench" "Full screen (auto mode select)" "Full screen (manual mode select)" active=0 chain
              Label "Display mode"
              Group horiz
                Text "" framed
                PopUp chain
              Label "Screen mode"
)tree" + sound + R"tree(        Group frame "General settings"
          Group
            Group columns=2
              CheckMark selected=1 chain
              Text "Limit frames per second? (FPS)"
          Group horiz
            Slider 1..50 value=50 chain
            Label "FPS"
        Space 10
        Group horiz
          Button "Save" chain
          Button "About" chain
          Button "Help" chain
          Button "Cancel" chain
    Menustrip
      Menu "Project" udata=8
        Item "Save prefs" key=S udata=1
        Bar udata=0
        Item "Help" key=H udata=2
        Bar udata=0
        Item "About" key=A udata=3
        Item "About MUI" key=M udata=6
        Bar udata=0
        Item "Exit" key=E udata=4
      Menu "Prefs" udata=9
        Item "MUI..." key=X udata=7
)tree";
}

using WindowLayoutTest = WindowTest;

// With the sound section, and without it: a single gap and null handles.
TEST_F(WindowLayoutTest, TheTreeWithAndWithoutTheSoundSection)
{
    AppSettings.fpsLimitEnabled = 1;  // both checkmarks ticked
    for (int hideSound : {0, 1}) {
        SCOPED_TRACE(hideSound);
        ToolConfig.hideSound = hideSound;
        ASSERT_NE(Build(), nullptr);
        EXPECT_EQ(MUI_DescribeTree(app), ExpectedTree(hideSound == 0));
        for (Object *handle : {mainWindow, displayModeCycle, screenModeText, screenModeButton, fpsCheckmark,
                               fpsSlider, saveButton, aboutButton, helpButton, cancelButton}) {
            EXPECT_NE(handle, nullptr);
        }
        EXPECT_EQ(soundCheckmark == nullptr, hideSound == 1);
        EXPECT_EQ(volumeSlider == nullptr, hideSound == 1);
        Dispose();
    }
}

TEST_F(WindowLayoutTest, TitleBannerAndControlsFollowTheConfigurationAndRecord)
{
    SetAppName("Starfield");
    AppSettings = {2, 0x00029000, 8, 33, 1, 17, 0};
    ASSERT_NE(Build(), nullptr);
    const std::string outline = MUI_DescribeTree(app);
    EXPECT_NE(outline.find("title=\"Starfield Settings\""), std::string::npos) << outline;
    EXPECT_NE(outline.find("Text \"\\ecStarfield Settings\" framed big"), std::string::npos) << outline;
    EXPECT_EQ(Attr(fpsCheckmark, MUIA_Selected), 1);
    EXPECT_EQ(Attr(fpsSlider, MUIA_Numeric_Value), 33);
    EXPECT_EQ(Attr(soundCheckmark, MUIA_Selected), 0);
    EXPECT_EQ(Attr(volumeSlider, MUIA_Numeric_Value), 17);
}

// Every object but the menu strip is needed: failing it leaves no tree and
// no handle into it. Without its menu strip the window is built without a menu.
TEST_F(WindowLayoutTest, AFailureAnywhereInTheTreeGivesNoApplication)
{
    for (int hideSound : {0, 1}) {
        ToolConfig.hideSound = hideSound;
        const int creations = CountCreations();
        ASSERT_GT(creations, 20);
        int failedBuilds = 0;
        for (int n = 1; n <= creations; ++n) {
            SCOPED_TRACE(testing::Message() << "hideSound " << hideSound << ", failing creation " << n);
            MUI_FailObjectCreation(n);
            Object *built = Build();
            MUI_FailObjectCreation(0);
            if (built == nullptr) {
                ++failedBuilds;
                for (Object *handle : {app, mainWindow, menuStrip, displayModeCycle, screenModeText,
                                       screenModeButton, soundCheckmark, volumeSlider, fpsCheckmark, fpsSlider,
                                       saveButton, aboutButton, helpButton, cancelButton}) {
                    EXPECT_EQ(handle, nullptr);
                }
            } else {
                EXPECT_EQ(menuStrip, nullptr);
            }
            Dispose();
        }
        EXPECT_EQ(failedBuilds, creations - 1);
    }
}

}  // namespace
