// The drawers worked on last, kept in the user's configuration folder.
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/qt/drawer_requester.h"
#include "support/temp_dir.h"

namespace {

// The latest first, each once, at most RECENT_DRAWERS_KEPT, folders since gone
// left out; a drawer remembered again while it is first leaves the file as it was.
TEST(RecentDrawers, LatestFirstEachOnceGoneLeftOutAndAnUnchangedListNotWritten)
{
    TempDir dir;
    const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(dir.file("config")));
    std::vector<std::string> folders;
    for (int i = 0; i <= RECENT_DRAWERS_KEPT; ++i) {
        folders.push_back(dir.file("drawer" + std::to_string(i)));
        mkdir(folders.back().c_str(), 0755);
        RememberDrawer(folders.back());
    }
    std::vector<std::string> expected(folders.rbegin(), folders.rend() - 1);
    EXPECT_EQ(RecentDrawers(), expected);

    const std::string file = dir.file("config/vellumine-settings/recent.ini");
    auto inode = [&file] {
        struct stat st {};
        stat(file.c_str(), &st);
        return st.st_ino;
    };
    const auto before = inode();
    RememberDrawer(folders.back());
    EXPECT_EQ(inode(), before) << "an unchanged list was written";

    RememberDrawer(folders[3]);
    rmdir(folders[5].c_str());
    expected = {folders[3], folders[9], folders[8], folders[7], folders[6], folders[4], folders[2], folders[1]};
    EXPECT_EQ(RecentDrawers(), expected);
    qputenv("XDG_CONFIG_HOME", configHome);
}

// Drawers are kept as the file system names them, a name that is not UTF-8 among
// them, and read from the list of earlier versions; a file too large is not read,
// and set aside when a drawer is remembered.
TEST(RecentDrawers, KeptAsBytesAndAFileTooLargeIsNotRead)
{
    TempDir dir;
    const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(dir.file("config")));
    const std::string latin1 = dir.file("caf\xe9"), utf8 = dir.file("caf\xc3\xa9"),
                      file = dir.file("config/vellumine-settings/recent.ini");
    mkdir(latin1.c_str(), 0755);
    mkdir(utf8.c_str(), 0755);
    mkdir(dir.file("config").c_str(), 0755);
    mkdir(dir.file("config/vellumine-settings").c_str(), 0755);
    WriteFileBytes(file, "[recent]\ndrawers=" + utf8 + ", " + dir.path() + "\n");
    EXPECT_EQ(RecentDrawers(), (std::vector<std::string>{utf8, dir.path()}));
    RememberDrawer(latin1);
    EXPECT_EQ(RecentDrawers(), (std::vector<std::string>{latin1, utf8, dir.path()}));

    WriteFileBytes(file, "[recent]\ndrawers=" + utf8 + "\n;" + std::string(300 << 10, ' ') + "\n");
    EXPECT_EQ(RecentDrawers(), std::vector<std::string>{});
    RememberDrawer(latin1);
    EXPECT_EQ(RecentDrawers(), std::vector<std::string>{latin1});
    EXPECT_EQ(access((file + ".too-large").c_str(), F_OK), 0);
    qputenv("XDG_CONFIG_HOME", configHome);
}

}  // namespace
