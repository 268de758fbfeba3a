// The toolkit's remembered window places: per base name and window id, in its
// own file, which is written only when a place changed.
#include <sys/stat.h>

#include <QGuiApplication>
#include <QScreen>

#include "platform/toolkit/toolkit_test_support.h"

namespace {

using ToolkitPrefsTest = ToolkitTest;

// A window opens where, and as large as, it was left at every start (at the
// screen's corner too); leaving it as it opened does not write the file again.
TEST_F(ToolkitPrefsTest, AWindowOpensWhereItWasLeftAndAnUnchangedPlaceIsNotWritten)
{
    // The place a window of base and id opens at; it is then moved to next (if
    // any) and dropped, while open or after closing.
    auto openWith = [](const char *base, IPTR id, std::optional<QRect> next = {}, bool closeFirst = false) {
        Object *window = MUI_NewObject(MUIC_Window, MUIA_Window_Title, "Prefs", MUIA_Window_ID, id,
                                       MUIA_Window_RootObject, MUI_NewObject(MUIC_Group));
        Object *app = MUI_NewObject(MUIC_Application, MUIA_Application_Base, base, MUIA_Application_Window, window);
        EXPECT_NE(app, nullptr);
        SetAttrs(window, MUIA_Window_Open, 1);
        const QRect place(window->widget->pos(), window->widget->size());
        if (next) {
            window->widget->move(next->topLeft());
            window->widget->resize(next->size());
        }
        if (closeFirst) {
            SetAttrs(window, MUIA_Window_Open, 0);
        }
        MUI_DisposeObject(app);
        return place;
    };
    const IPTR id = 0x53455453;
    const QRect first(40, 30, 611, 433), second(0, 0, 622, 444);
    openWith("PLACES", id, first, true);
    EXPECT_EQ(openWith("PLACES", id, second), first);
    EXPECT_EQ(openWith("PLACES", id), second) << "disposed of while open";
    EXPECT_NE(openWith("OTHER", id, QRect(5, 5, 1, 1)), second);
    EXPECT_NE(openWith("PLACES", 0x41424344, QRect(5, 5, 1, 1)), second);

    // A place off the screen, or larger than it, is brought inside it.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    for (const QRect away : {QRect(area.right() + 50, area.bottom() + 50, 300, 200), QRect(-400, -300, 300, 200),
                             QRect(area.topLeft(), area.size() * 2)}) {
        openWith("AWAY", id, away);
        const QRect opened = openWith("AWAY", id);
        EXPECT_TRUE(area.contains(opened))
            << opened.x() << "," << opened.y() << " " << opened.width() << "x" << opened.height();
    }

    // A rewrite replaces the file: a new inode, whatever the clock says.
    const std::string file = settingsDir_.file("toolkit.ini");
    auto inode = [&file] {
        struct stat st {};
        stat(file.c_str(), &st);
        return st.st_ino;
    };
    const auto before = inode();
    for (int start = 0; start < 3; ++start) {
        EXPECT_EQ(openWith("PLACES", id), second) << "start " << start;
    }
    EXPECT_EQ(inode(), before) << "an unchanged place was written";
}

}  // namespace
