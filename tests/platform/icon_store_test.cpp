// The icon store: reading icons and writing new lists that change nothing else.
#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

#include "platform/formats/big_endian.h"
#include "platform/formats/icon_file.h"
#include "platform/formats/icon_maker.h"
#include "platform/icons/icon_store.h"
#include "support/icon_test_util.h"
#include "support/temp_dir.h"

namespace {

using Texts = std::vector<std::string>;

class IconStore : public ::testing::Test {
protected:
    void Make(const std::string &name, const IconSpec &spec) { WriteIcon(name + ".info", spec); }
    std::string Bytes(const std::string &name) const { return ReadFileBytes(dir_.file(name + ".info")); }

    TempDir dir_;
    ScopedChdir here_{dir_.path()};
};

IconSpec Tool(Texts toolTypes)
{
    IconSpec spec;
    spec.toolTypes = std::move(toolTypes);
    return spec;
}

// Type and list byte for byte; a folder, a named pipe (without blocking), a
// dangling link and nothing at all are no icons; mode bits refuse a write even
// to root.
TEST_F(IconStore, ReadsTypeAndListByteForByteAndRefusesWhatIsNoIcon)
{
    Texts texts = {"DONOTWAIT", "", "(WINDOWTITLE=Caf\xe9 \xbb\xff)", "  INDENTED", "\tTAB"};
    IconSpec spec = Tool(texts);
    spec.type = ICON_PROJECT;
    Make("Demo", spec);
    DiskObject *icon = GetDiskObject("Demo");
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->do_Type, ICON_PROJECT);
    EXPECT_EQ(ToolTypesOf(icon->do_ToolTypes), texts);
    FreeDiskObject(icon);

    ASSERT_EQ(mkdir("Folder.info", 0755), 0);
    ASSERT_EQ(mkfifo("Pipe.info", 0644), 0);
    ASSERT_EQ(symlink("Gone.info", "Dangling.info"), 0);
    WriteFileBytes("Torn.info", ReadFileBytes("Demo.info").substr(0, 60));
    const std::pair<const char *, IconProblem> problems[] = {{"Nothing", IconProblem::Absent},
                                                             {"Folder", IconProblem::Folder},
                                                             {"Pipe", IconProblem::NotAnIcon},
                                                             {"Dangling", IconProblem::Unreadable},
                                                             {"Torn", IconProblem::NotAnIcon}};
    for (auto [name, problem] : problems) {
        EXPECT_EQ(GetDiskObject(name), nullptr) << name;
        EXPECT_EQ(IconReadProblem(), problem) << name;
        EXPECT_EQ(IconWriteProblem(name), problem) << name;
    }
    EXPECT_EQ(IconWriteProblem("Demo"), IconProblem::None);
    ASSERT_EQ(chmod("Demo.info", 0444), 0);
    EXPECT_EQ(IconWriteProblem("Demo"), IconProblem::PermissionDenied);
    EXPECT_FALSE(WriteToolTypes("Demo", {"NEW"}));
    EXPECT_EQ(ReadToolTypes("Demo"), texts);
}

// An icon's bytes, its tooltype pointer (whose value means nothing on disk) as 0 or 1.
std::string Normal(std::string bytes)
{
    const bool set = bytes.compare(kIconToolTypesOffset, 4, std::string(4, '\0')) != 0;
    return bytes.replace(kIconToolTypesOffset, 4, std::string(3, '\0') + static_cast<char>(set));
}

// Every kind of icon, one without a list too: written back, its own list changes
// no byte; another list, or none (a section then stays), gives the icon made with
// it; the NewIcons block stays out of the list and follows it.
TEST_F(IconStore, EverythingButTheListIsKept)
{
    IconSpec full = Tool({"A=1", "", "B"});
    full.hasDefaultTool = full.hasToolWindow = full.drawerData = full.selectImage = full.os35 = true;
    full.defaultTool = "C:IconX";
    full.toolWindow = "CON:0/0/640/200/Out";
    full.newIconsLines = SampleNewIconsLines();
    IconSpec drawer = Tool({"OLD"});
    drawer.type = ICON_DRAWER;
    drawer.drawerData = true;
    IconSpec oldDrawer = drawer;
    oldDrawer.revision = 0;  // no drawer data 2
    int n = 0;
    for (IconSpec spec : {full, drawer, oldDrawer, Tool({})}) {
        const std::string name = "Icon" + std::to_string(n++);
        SCOPED_TRACE(name);
        Make(name, spec);
        const std::string before = Bytes(name);
        EXPECT_EQ(ReadToolTypes(name.c_str()), spec.toolTypes);
        EXPECT_TRUE(WriteToolTypes(name.c_str(), spec.toolTypes));
        EXPECT_EQ(Bytes(name), before);
        for (const Texts &list : {Texts{"WINDOW", ""}, Texts{}}) {
            EXPECT_TRUE(WriteToolTypes(name.c_str(), list));
            spec.toolTypes = list;
            spec.toolTypeSection = true;
            EXPECT_EQ(Normal(Bytes(name)), Normal(MakeIcon(spec)));
        }
    }
}

// Folders are matched exactly; the exact name wins; without it, two files
// differing only in case are ambiguous: neither read nor written.
TEST_F(IconStore, NamesMatchWithoutRegardToCaseAndWritesGoToTheFileFound)
{
    Make("Starfield", Tool({"OLD"}));
    ASSERT_EQ(mkdir("Sub", 0755), 0);
    Make("Sub/Caf\xc9", Tool({"CAFE"}));
    EXPECT_EQ(ReadToolTypes("Sub/caf\xe9"), Texts{"CAFE"});
    EXPECT_EQ(ReadToolTypes("SUB/Cafe"), Texts{"(no icon)"});
    EXPECT_TRUE(WriteToolTypes("starfield", {"NEW"}));
    EXPECT_EQ(ReadToolTypes("Starfield"), Texts{"NEW"});

    Make("STARFIELD", Tool({"UPPER"}));
    EXPECT_EQ(ReadToolTypes("STARFIELD"), Texts{"UPPER"});
    EXPECT_EQ(ReadToolTypes("starfield"), Texts{"(no icon)"});
    EXPECT_FALSE(WriteToolTypes("starfield", {"X"}));
    EXPECT_NE(access("starfield.info", F_OK), 0) << "no third file made";
}

}  // namespace
