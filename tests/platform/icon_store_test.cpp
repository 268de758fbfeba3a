// The icon store: reading icons, looking up tooltypes, and writing new lists that
// change nothing else.
#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <vector>

#include "platform/formats/icon_file.h"
#include "platform/formats/icon_maker.h"
#include "platform/icon_store.h"
#include "support/icon_test_util.h"
#include "support/temp_dir.h"

namespace {

using Texts = std::vector<std::string>;

class IconStore : public ::testing::Test
{
  protected:
    IconStore() : here_(dir_.path()) {}

    void Make(const std::string &name, const IconSpec &spec) { WriteIcon(name + ".info", spec); }
    std::string Bytes(const std::string &name) const { return ReadFileBytes(dir_.file(name + ".info")); }

    TempDir dir_;
    ScopedChdir here_;
};

IconSpec Tool(Texts toolTypes)
{
    IconSpec spec;
    spec.type = ICON_TOOL;
    spec.toolTypes = std::move(toolTypes);
    return spec;
}

TEST(FindToolType, FirstEntryOfTheKeyWinsWithoutRegardToCase)
{
    char e0[] = "DONOTWAIT", e1[] = "WINDOWTITLE=Demo", e2[] = "window=first", e3[] = "WINDOW=second",
         e4[] = "NOSOUND", e5[] = "MODEID=-12=3", e6[] = "", e7[] = "caf\xe9=1";
    char *list[] = {e0, e1, e2, e3, e4, e5, e6, e7, nullptr};

    EXPECT_STREQ(FindToolType(list, "WINDOW"), "first");
    EXPECT_STREQ(FindToolType(list, "NOSOUND"), "");
    EXPECT_STREQ(FindToolType(list, "modeid"), "-12=3");
    EXPECT_STREQ(FindToolType(list, "CAF\xc9"), "1"); // ISO-8859-1 letters fold too
    // A prefix of a key, a key longer than the entry's, and keys the list lacks.
    EXPECT_EQ(FindToolType(list, "WIN"), nullptr);
    EXPECT_EQ(FindToolType(list, "DONOTWAITX"), nullptr);
    EXPECT_EQ(FindToolType(list, ""), e6) << "the empty key is the empty entry's";
    EXPECT_EQ(FindToolType(nullptr, "WINDOW"), nullptr);
    EXPECT_EQ(FindToolType(list, nullptr), nullptr);
}

TEST_F(IconStore, ReadsTypeAndListByteForByteAndRefusesWhatIsNoIcon)
{
    Texts texts = {"DONOTWAIT", "", "TOOLPRI=0", "(WINDOWTITLE=Caf\xe9 \xbb\xff)", "  INDENTED", "\tTAB"};
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
    icon = GetDiskObject("Bare");
    ASSERT_NE(icon, nullptr);
    ASSERT_NE(icon->do_ToolTypes, nullptr);
    EXPECT_EQ(icon->do_ToolTypes[0], nullptr);
    FreeDiskObject(icon);

    EXPECT_EQ(GetDiskObject("Nothing"), nullptr);
    EXPECT_EQ(GetDiskObject(nullptr), nullptr);
    // Not regular files: a folder and a named pipe (which must not block the read).
    ASSERT_EQ(mkdir("Folder.info", 0755), 0);
    EXPECT_EQ(GetDiskObject("Folder"), nullptr);
    ASSERT_EQ(mkfifo("Pipe.info", 0644), 0);
    EXPECT_EQ(GetDiskObject("Pipe"), nullptr);
}

TEST_F(IconStore, EverythingButTheListIsKept)
{
    IconSpec full = Tool({"A=1", "", "B"});
    full.hasDefaultTool = full.hasToolWindow = full.drawerData = full.selectImage = full.os35 = true;
    full.defaultTool = "C:IconX";
    full.toolWindow = "CON:0/0/640/200/Out";
    full.newIconsLines = SampleNewIconsLines();
    IconSpec newIcons = Tool({"FILETYPE=TEXT", "(Icon by someone)"}), os35 = Tool({"OLD"});
    newIcons.newIconsLines = SampleNewIconsLines();
    os35.os35 = true;
    IconSpec drawer = Tool({"OLD"});
    drawer.type = ICON_DRAWER;
    drawer.drawerData = true;
    IconSpec oldDrawer = drawer;
    oldDrawer.revision = 0; // no drawer data 2

    int n = 0;
    for (IconSpec spec : {full, newIcons, os35, drawer, oldDrawer}) {
        const std::string name = "Icon" + std::to_string(n++);
        SCOPED_TRACE(name);
        Make(name, spec);
        const std::string before = Bytes(name);
        // The NewIcons block stays out of the list; written back, the list changes no byte.
        EXPECT_EQ(ReadToolTypes(name.c_str()), spec.toolTypes);
        EXPECT_TRUE(WriteToolTypes(name.c_str(), spec.toolTypes));
        EXPECT_EQ(Bytes(name), before);

        EXPECT_TRUE(WriteToolTypes(name.c_str(), {"WINDOW", ""}));
        spec.toolTypes = {"WINDOW", ""};
        EXPECT_EQ(Bytes(name), MakeIcon(spec));
        // An emptied list keeps its section, and the NewIcons block follows it.
        EXPECT_TRUE(WriteToolTypes(name.c_str(), {}));
        spec.toolTypes.clear();
        spec.toolTypeSection = true;
        EXPECT_EQ(Bytes(name), MakeIcon(spec));
        EXPECT_EQ(ReadToolTypes(name.c_str()), Texts{});
    }
}

TEST_F(IconStore, AnIconWithoutListGetsOneOnlyWhenGivenEntries)
{
    Make("None", Tool({}));
    std::string before = Bytes("None");
    EXPECT_TRUE(WriteToolTypes("None", {}));
    EXPECT_EQ(Bytes("None"), before);

    EXPECT_TRUE(WriteToolTypes("None", {"WINDOW", "MASTERVOLUME=40"}));
    EXPECT_EQ(ReadToolTypes("None"), (Texts{"WINDOW", "MASTERVOLUME=40"}));
    // Only the pointer and the new section differ.
    std::string after = Bytes("None");
    IconLayout layout;
    ASSERT_TRUE(ParseIcon(reinterpret_cast<const std::uint8_t *>(after.data()), after.size(), layout));
    std::string outside = after.substr(0, layout.toolTypesStart) + after.substr(layout.toolTypesEnd);
    outside.replace(kIconToolTypesOffset, 4, 4, '\0');
    EXPECT_EQ(outside, before);
}

TEST_F(IconStore, NewIconsMarkerWithoutTheSpaceBeforeIt)
{
    Texts all = {"KEEP", "*** DON'T EDIT THE FOLLOWING LINES!! ***"};
    for (const std::string &line : SampleNewIconsLines()) {
        all.push_back(line);
    }
    Make("Plain", Tool(all));
    EXPECT_EQ(ReadToolTypes("Plain"), Texts{"KEEP"});

    EXPECT_TRUE(WriteToolTypes("Plain", {"NEW", " "}));
    all[0] = " ";
    all.insert(all.begin(), "NEW");
    EXPECT_EQ(Bytes("Plain"), MakeIcon(Tool(all)));
    // The written " " now stands before the marker: it is read as part of the block.
    EXPECT_EQ(ReadToolTypes("Plain"), Texts{"NEW"});
}

TEST_F(IconStore, TheCallersListIsNeitherKeptNorFreed)
{
    Make("Icon", Tool({"OWN"}));
    DiskObject *icon = GetDiskObject("Icon");
    ASSERT_NE(icon, nullptr);
    char **own = icon->do_ToolTypes;
    char first[] = "FIRST", second[] = "SECOND=2";
    char *mine[] = {first, second, nullptr}; // on the stack: freeing it would be caught
    icon->do_ToolTypes = mine;
    EXPECT_TRUE(PutDiskObject("Icon", icon));
    icon->do_ToolTypes = own;
    EXPECT_EQ(ToolTypesOf(icon->do_ToolTypes), Texts{"OWN"}) << "the store's own list is unchanged";
    FreeDiskObject(icon);
    EXPECT_STREQ(mine[1], "SECOND=2");
    EXPECT_EQ(ReadToolTypes("Icon"), (Texts{"FIRST", "SECOND=2"}));
    EXPECT_FALSE(PutDiskObject("Icon", nullptr));
}

TEST_F(IconStore, NamesMatchWithoutRegardToCaseAndWritesGoToTheFileFound)
{
    Make("Starfield", Tool({"OLD"}));
    ASSERT_EQ(mkdir("Sub", 0755), 0);
    Make("Sub/Caf\xc9", Tool({"CAFE"}));

    EXPECT_EQ(ReadToolTypes("STARFIELD"), Texts{"OLD"});
    EXPECT_EQ(ReadToolTypes("Sub/caf\xe9"), Texts{"CAFE"});
    EXPECT_EQ(ReadToolTypes("SUB/Cafe"), Texts{"(no icon)"}) << "folders are matched exactly";

    EXPECT_TRUE(WriteToolTypes("starfield", {"NEW"}));
    struct stat st;
    EXPECT_NE(stat("starfield.info", &st), 0) << "no second file made";
    EXPECT_EQ(ReadToolTypes("Starfield"), Texts{"NEW"});

    // The exact name wins; without it, two files differing only in case are ambiguous.
    Make("STARFIELD", Tool({"UPPER"}));
    EXPECT_EQ(ReadToolTypes("STARFIELD"), Texts{"UPPER"});
    EXPECT_EQ(ReadToolTypes("Starfield"), Texts{"NEW"});
    EXPECT_EQ(ReadToolTypes("starfield"), Texts{"(no icon)"});
    EXPECT_FALSE(WriteToolTypes("starfield", {"X"}));
    EXPECT_NE(stat("starfield.info", &st), 0);
}

} // namespace
