// The icon store: reading icons, looking up tooltypes, and writing new lists that
// change nothing else.
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

TEST(FindToolType, FirstEntryOfTheKeyWinsWithoutRegardToCase)
{
    char e0[] = "DONOTWAIT", e1[] = "WINDOWTITLE=Demo", e2[] = "window=first", e3[] = "WINDOW=second", e4[] = "NOSOUND",
         e5[] = "MODEID=-12=3", e6[] = "", e7[] = "caf\xe9=1";
    char *list[] = {e0, e1, e2, e3, e4, e5, e6, e7, nullptr};
    EXPECT_STREQ(FindToolType(list, "WINDOW"), "first");
    EXPECT_STREQ(FindToolType(list, "NOSOUND"), "");
    EXPECT_STREQ(FindToolType(list, "modeid"), "-12=3");
    EXPECT_STREQ(FindToolType(list, "CAF\xc9"), "1");  // ISO-8859-1 letters fold too
    // A prefix of a key, a key longer than the entry's, and keys the list lacks.
    EXPECT_EQ(FindToolType(list, "WIN"), nullptr);
    EXPECT_EQ(FindToolType(list, "DONOTWAITX"), nullptr);
    EXPECT_EQ(FindToolType(list, ""), e6);
    EXPECT_EQ(FindToolType(nullptr, "WINDOW"), nullptr);
    EXPECT_EQ(FindToolType(list, nullptr), nullptr);
}

// Type and list byte for byte; a folder, a named pipe (without blocking) and
// nothing at all are no icons.
TEST_F(IconStore, ReadsTypeAndListByteForByteAndRefusesWhatIsNoIcon)
{
    Texts texts = {"DONOTWAIT", "", "(WINDOWTITLE=Caf\xe9 \xbb\xff)", "  INDENTED", "\tTAB"};
    IconSpec spec = Tool(texts);
    spec.type = ICON_PROJECT;
    spec.hasDefaultTool = true;
    spec.defaultTool = "SYS:Utilities/MultiView";
    Make("Demo", spec);
    DiskObject *icon = GetDiskObject("Demo");
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->do_Type, ICON_PROJECT);
    EXPECT_STREQ(icon->do_DefaultTool, "SYS:Utilities/MultiView");
    EXPECT_EQ(icon->do_StackSize, 4096);
    EXPECT_EQ(icon->do_CurrentY, NO_ICON_POSITION);
    EXPECT_EQ(ToolTypesOf(icon->do_ToolTypes), texts);
    FreeDiskObject(icon);
    Make("Bare", Tool({}));
    EXPECT_EQ(ReadToolTypes("Bare"), Texts{});

    ASSERT_EQ(mkdir("Folder.info", 0755), 0);
    ASSERT_EQ(mkfifo("Pipe.info", 0644), 0);
    WriteFileBytes("Torn.info", ReadFileBytes("Demo.info").substr(0, 60));
    const std::pair<const char *, IconProblem> problems[] = {{"Nothing", IconProblem::Absent},
                                                             {"Folder", IconProblem::Folder},
                                                             {"Pipe", IconProblem::NotAnIcon},
                                                             {"Torn", IconProblem::NotAnIcon}};
    for (auto [name, problem] : problems) {
        EXPECT_EQ(GetDiskObject(name), nullptr) << name;
        EXPECT_EQ(IconReadProblem(), problem) << name;
        EXPECT_EQ(IconWriteProblem(name), problem) << name;
    }
    EXPECT_EQ(IconWriteProblem("Demo"), IconProblem::None);
    ASSERT_EQ(chmod("Demo.info", 0444), 0);
    EXPECT_EQ(IconWriteProblem("Demo"), IconProblem::PermissionDenied);
    EXPECT_EQ(GetDiskObject(nullptr), nullptr);
}

// Every kind of icon: written back, its own list changes no byte; another list, or
// none (the section stays), gives the icon made with it; the NewIcons block stays
// out of the list and follows it.
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
    for (IconSpec spec : {full, drawer, oldDrawer}) {
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
            EXPECT_EQ(Bytes(name), MakeIcon(spec));
        }
    }
}

// Only the pointer and the new section differ.
TEST_F(IconStore, AnIconWithoutListGetsOneOnlyWhenGivenEntries)
{
    Make("None", Tool({}));
    const std::string before = Bytes("None");
    EXPECT_TRUE(WriteToolTypes("None", {}));
    EXPECT_EQ(Bytes("None"), before);
    EXPECT_TRUE(WriteToolTypes("None", {"WINDOW", "MASTERVOLUME=40"}));
    EXPECT_EQ(ReadToolTypes("None"), (Texts{"WINDOW", "MASTERVOLUME=40"}));
    std::string after = Bytes("None");
    IconLayout layout;
    ASSERT_TRUE(ParseIcon(BytesOf(after), layout));
    std::string outside = after.substr(0, layout.toolTypesStart) + after.substr(layout.toolTypesEnd);
    outside.replace(kIconToolTypesOffset, 4, 4, '\0');
    EXPECT_EQ(outside, before);
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
