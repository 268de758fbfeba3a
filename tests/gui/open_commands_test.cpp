// Open and Open recent: the drawers Open recent lists and their keys, where the
// chooser opens and what it marks, and that nothing of the chooser is kept.
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QMenu>
#include <QTimer>

#include <filesystem>

#include "gui/project_commands.h"
#include "gui/window_fixture.h"
#include "platform/formats/icon_maker.h"
#include "platform/qt/drawer_requester.h"
#include "support/icon_test_util.h"

namespace {

class OpenTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(dir_.file("config")));
    }
    void TearDown() override
    {
        qputenv("XDG_CONFIG_HOME", config_);
        drawerToOpen.clear();
        WindowTest::TearDown();
    }

    std::string Drawer(const char *name, bool holdsTool)
    {
        const std::string path = dir_.file(name);
        mkdir(path.c_str(), 0755);
        if (holdsTool) {
            WriteIcon(path + "/Settings.info", {.toolTypes = {"APPLICATION=Starfield"}});
        }
        return path;
    }

    // The window as it opens on the current folder, nothing changed.
    static void Open()
    {
        BuildAndStart();
        MarkSettingsStored();
        ShowRecentDrawers();
    }

    TempDir dir_;
    QByteArray config_ = qgetenv("XDG_CONFIG_HOME");
};

// The texts of Open recent's items shown, with their access keys.
std::vector<std::string> RecentTitles()
{
    std::vector<std::string> titles;
    for (QWidget *widget : QApplication::allWidgets()) {
        auto *menu = qobject_cast<QMenu *>(widget);
        if (menu == nullptr || menu->actions().size() != RECENT_DRAWER_COUNT) {
            continue;
        }
        for (const QAction *action : menu->actions()) {
            if (action->isVisible()) {
                titles.push_back(action->text().toStdString());
            }
        }
    }
    return titles;
}

// Open recent lists the drawers opened before, the latest first, each numbered by
// its key, never the one open; a drawer in a disk image by its argument. One that
// no longer holds Settings.info is said so, and one that does is opened.
TEST_F(OpenTest, OpenRecentListsTheOtherDrawersLatestFirstNumberedByTheirKeys)
{
    const std::string older = Drawer("Older", true), here = Drawer("Here", true), emptied = Drawer("B&W", false);
    WriteFileBytes(dir_.file("Work.adf"), "");
    const std::string inImage = dir_.file("Work.adf") + ":Games/Starfield";
    for (const std::string &drawer : {older, inImage, here, emptied}) {
        RememberDrawer(drawer);
    }
    ScopedChdir in(here);
    Open();
    EXPECT_EQ(RecentTitles(), (std::vector<std::string>{"&1 " + dir_.file("B&&W"), "&2 " + inImage, "&3 " + older}));

    EXPECT_FALSE(OpenRecentCommand(0));
    EXPECT_FALSE(OpenRecentCommand(1));
    EXPECT_EQ(drawerToOpen, "");
    ASSERT_TRUE(OpenRecentCommand(2));
    EXPECT_EQ(drawerToOpen, older);
    const std::string none = " holds no Settings.info: choose the drawer of the application to configure.";
    EXPECT_EQ(requests, (std::vector<std::string>{"Application Settings|" + emptied + none,
                                                  "Application Settings|" + inImage + none}));
}

// Open... opens beside the drawer open, that drawer selected; it marks the drawers
// that hold Settings.info and names disk images. Cancelled, nothing is opened and
// Qt's chooser leaves nothing in the configuration folder.
TEST_F(OpenTest, TheChooserOpensBesideTheDrawerMarksDrawersAndImagesAndKeepsNothing)
{
    const std::string here = Drawer("Here", true), other = Drawer("Other", true), plain = Drawer("Plain", false);
    WriteFileBytes(dir_.file("Work.hdf"), "");
    ScopedChdir in(here);
    Open();
    bool looked = false;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        looked = true;
        EXPECT_EQ(dialog->directory().absolutePath().toStdString(), dir_.path());
        EXPECT_EQ(dialog->selectedFiles(), QStringList{QString::fromStdString(here)});
        const QAbstractFileIconProvider *icons = dialog->iconProvider();
        ASSERT_NE(icons, nullptr);
        EXPECT_EQ(icons->type(QFileInfo(QString::fromStdString(other))), "Application drawer");
        EXPECT_NE(icons->type(QFileInfo(QString::fromStdString(plain))), "Application drawer");
        EXPECT_NE(icons->icon(QFileInfo(QString::fromStdString(other))).cacheKey(),
                  icons->icon(QFileInfo(QString::fromStdString(plain))).cacheKey());
        EXPECT_EQ(icons->type(QFileInfo(QString::fromStdString(dir_.file("Work.hdf")))), "Amiga disk image");
        dialog->reject();
    });
    EXPECT_FALSE(OpenCommand());
    EXPECT_TRUE(looked);
    EXPECT_EQ(drawerToOpen, "");
    EXPECT_FALSE(std::filesystem::exists(dir_.file("config/QtProject.conf")));

    // An icon chosen stands for its drawer.
    setenv("SETTINGS_DRAWER_ANSWER", (other + "/Settings.info").c_str(), 1);
    EXPECT_TRUE(OpenCommand());
    unsetenv("SETTINGS_DRAWER_ANSWER");
    EXPECT_EQ(drawerToOpen, other);
}

}  // namespace
