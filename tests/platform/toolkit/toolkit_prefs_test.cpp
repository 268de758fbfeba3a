// The toolkit's own side: a window's place and size remembered per application
// base name and window id, in the toolkit's own file.
#include "platform/toolkit/toolkit_test_support.h"

namespace {

using ToolkitPrefsTest = ToolkitTest;

// The size the window of base and id opens with; it is then resized to next and
// disposed of (closed first, or while open).
TEST_F(ToolkitPrefsTest, AWindowsPlaceAndSizeAreRememberedPerBaseNameAndId)
{
    auto openWith = [this](const char *base, IPTR id, QSize next, bool closeFirst = false) {
        MUI_DisposeObject(t.app);
        Object *root = MUI_NewObject(MUIC_Group, MUIA_Group_Child, MUI_MakeObject(MUIO_VSpace, 10));
        t.window = MUI_NewObject(MUIC_Window, MUIA_Window_ID, id, MUIA_Window_RootObject, root);
        t.app = MUI_NewObject(MUIC_Application, MUIA_Application_Base, base, MUIA_Application_Window, t.window);
        SetAttrs(t.window, MUIA_Window_Open, 1);
        const QSize size = t.window->widget->size();
        t.window->widget->resize(next);
        if (closeFirst) {
            SetAttrs(t.window, MUIA_Window_Open, 0);
        }
        return size;
    };
    openWith("PLACES", 1, {611, 433}, true);
    EXPECT_EQ(openWith("PLACES", 1, {622, 444}), QSize(611, 433));
    EXPECT_EQ(openWith("PLACES", 1, {622, 444}), QSize(622, 444));
    EXPECT_NE(openWith("OTHER", 1, {1, 1}), QSize(622, 444));
    EXPECT_NE(openWith("PLACES", 2, {1, 1}), QSize(622, 444));
    EXPECT_NE(ReadFileBytes(settingsDir_.file("toolkit.ini")).find("[PLACES]"), std::string::npos);
}

}  // namespace
