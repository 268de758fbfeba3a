// The toolkit's remembered window places: per base name and window id, in its
// own file, which is written only when a place changed.
#include <sys/stat.h>

#include "platform/toolkit/toolkit_test_support.h"

namespace {

using ToolkitPrefsTest = ToolkitTest;

TEST_F(ToolkitPrefsTest, AWindowsPlaceIsRememberedPerBaseNameAndIdAndWrittenOnlyWhenChanged)
{
    // The size a window of base and id opens with; it is then resized to next and dropped.
    auto openWith = [](const char *base, IPTR id, QSize next, bool closeFirst = false) {
        Object *window = MUI_NewObject(MUIC_Window, MUIA_Window_Title, "Prefs", MUIA_Window_ID, id,
                                       MUIA_Window_RootObject, MUI_NewObject(MUIC_Group));
        Object *app = MUI_NewObject(MUIC_Application, MUIA_Application_Base, base, MUIA_Application_Window, window);
        EXPECT_NE(app, nullptr);
        SetAttrs(window, MUIA_Window_Open, 1);
        const QSize size = window->widget->size();
        window->widget->resize(next);
        if (closeFirst) {
            SetAttrs(window, MUIA_Window_Open, 0);
        }
        MUI_DisposeObject(app);
        return size;
    };
    const IPTR id = 0x53455453;
    openWith("PLACES", id, {611, 433}, true);
    EXPECT_EQ(openWith("PLACES", id, {622, 444}), QSize(611, 433));
    EXPECT_EQ(openWith("PLACES", id, {622, 444}), QSize(622, 444)) << "disposed of while open";
    EXPECT_NE(openWith("OTHER", id, {1, 1}), QSize(622, 444));
    EXPECT_NE(openWith("PLACES", 0x41424344, {1, 1}), QSize(622, 444));

    const std::string file = settingsDir_.file("toolkit.ini");
    auto written = [&file] {
        struct stat st {};
        stat(file.c_str(), &st);
        return std::pair(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
    };
    const auto before = written();
    const QSize size = openWith("PLACES", id, {1, 1});
    openWith("PLACES", id, size);
    const auto after = written();
    EXPECT_NE(after, before);
    openWith("PLACES", id, size);
    EXPECT_EQ(written(), after) << "an unchanged place was written";
}

}  // namespace
