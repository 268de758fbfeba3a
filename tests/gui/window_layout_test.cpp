// The settings window's object tree (its texts, names, place and keyboard order:
// the reach, language and end-to-end tests).
#include <tuple>

#include "gui/window_fixture.h"

namespace {

using WindowLayoutTest = WindowTest;

// The controls show the record, the sliders in their ranges.
TEST_F(WindowLayoutTest, TheControlsShowTheRecord)
{
    AppSettings = {2, 0x00029000, 8, 33, 1, 17, 0};
    ASSERT_NE(Build(), nullptr);
    EXPECT_EQ(Attr(soundCheckmark, MUIA_Selected), 0u);
    EXPECT_EQ(Attr(fpsCheckmark, MUIA_Selected), 1u);
    for (const auto &[slider, min, max, value] : {std::tuple<Object *, IPTR, IPTR, IPTR>(volumeSlider, 0, 64, 17),
                                                  std::tuple<Object *, IPTR, IPTR, IPTR>(fpsSlider, 1, 50, 33)}) {
        EXPECT_EQ(Attr(slider, MUIA_Numeric_Min), min);
        EXPECT_EQ(Attr(slider, MUIA_Numeric_Max), max);
        EXPECT_EQ(Attr(slider, MUIA_Numeric_Value), value);
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
