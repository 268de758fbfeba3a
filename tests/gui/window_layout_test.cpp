// The settings window's object tree: its controls in keyboard order with their
// texts from the string table and their ranges and values from the record.
#include <sstream>

#include "gui/window_fixture.h"

namespace {

using WindowLayoutTest = WindowTest;

std::string Quoted(std::int32_t id)
{
    return "\"" + std::string(GetString(id)) + "\"";
}

// With the sound section, and without it (its handles null).
TEST_F(WindowLayoutTest, TheControlsInOrderWithTheirTextsAndValues)
{
    SetAppName("Starfield");
    AppSettings = {2, 0x00029000, 8, 33, 1, 17, 0};
    for (int hideSound : {0, 1}) {
        ToolConfig.hideSound = hideSound;
        ASSERT_NE(Build(), nullptr);
        // The application, the window, the banner, the framed groups and the controls.
        std::vector<std::string> lines;
        std::istringstream tree(MUI_DescribeTree(app));
        for (std::string line; std::getline(tree, line);) {
            line = line.substr(line.find_first_not_of(' '));
            if (line.starts_with("Window id=0x53455449")) {
                break;  // the icons overview's window
            }
            for (const char *mark : {"Application ", "Window ", " big", "frame \"", " chain"}) {
                if (line.find(mark) != std::string::npos) {
                    lines.push_back(line);
                    break;
                }
            }
        }
        std::vector<std::string> expected = {"Application base=\"VELLUMINESETTINGS\"",
                                             "Window id=0x53455453 title=\"Starfield Settings\"",
                                             "Text \"\\ecStarfield Settings\" framed big",
                                             "Group horiz frame " + Quoted(MSG_GROUP_DISPLAY),
                                             "Cycle " + Quoted(MSG_MODE_WINDOW) + " " +
                                                 Quoted(MSG_MODE_FULLSCREEN_AUTO) + " " +
                                                 Quoted(MSG_MODE_FULLSCREEN_MANUAL) + " active=0 chain",
                                             "PopUp chain"};
        if (hideSound == 0) {
            expected.insert(expected.end(), {"Group frame " + Quoted(MSG_GROUP_SOUND), "CheckMark selected=0 chain",
                                             "Slider 0..64 value=17 chain"});
        }
        expected.insert(expected.end(), {"Group frame " + Quoted(MSG_GROUP_GENERAL), "CheckMark selected=1 chain",
                                         "Slider 1..50 value=33 chain"});
        for (std::int32_t id : {MSG_BUTTON_SAVE, MSG_BUTTON_ABOUT, MSG_BUTTON_HELP, MSG_BUTTON_CANCEL}) {
            expected.push_back("Button " + Quoted(id) + " chain");
        }
        EXPECT_EQ(lines, expected);
        EXPECT_EQ(soundCheckmark == nullptr, hideSound == 1);
        EXPECT_EQ(volumeSlider == nullptr, hideSound == 1);
        Dispose();
    }
}

// Every object but the menu strip is needed: failing any other leaves no tree and
// no handle into it.
TEST_F(WindowLayoutTest, AFailureAnywhereInTheTreeLeavesNoHandle)
{
    for (int n = 2;; ++n) {
        MUI_FailObjectCreation(n);
        Object *built = Build();
        MUI_FailObjectCreation(0);
        if (built != nullptr) {
            EXPECT_GT(n, 20);
            break;
        }
        EXPECT_TRUE(mainWindow == nullptr && displayModeCycle == nullptr && soundCheckmark == nullptr &&
                    fpsSlider == nullptr && cancelButton == nullptr && menuStrip == nullptr)
            << "creation " << n;
    }
}

}  // namespace
