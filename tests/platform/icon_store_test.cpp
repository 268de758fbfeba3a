// The icon store: reading icons, looking up tooltypes, and writing new lists that
// change nothing else.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "icon_maker.h"
#include "platform/icon_file.h"
#include "platform/icon_store.h"
#include "support/icon_test_util.h"
#include "support/temp_dir.h"

namespace {

using Texts = std::vector<std::string>;

class IconStore : public ::testing::Test
{
  protected:
    IconStore() : here_(dir_.path()) {}

    void Make(const std::string &name, const IconSpec &spec) { ASSERT_TRUE(WriteIcon(name + ".info", spec)); }
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
    EXPECT_STREQ(FindToolType(list, "Window"), "first");
    EXPECT_STREQ(FindToolType(list, "windowtitle"), "Demo");
    EXPECT_STREQ(FindToolType(list, "NOSOUND"), "");
    EXPECT_STREQ(FindToolType(list, "modeid"), "-12=3");
    EXPECT_STREQ(FindToolType(list, "CAF\xc9"), "1"); // ISO-8859-1 letters fold too
    // A prefix of a key, a key longer than the entry's, and keys the list lacks.
    EXPECT_EQ(FindToolType(list, "WIN"), nullptr);
    EXPECT_EQ(FindToolType(list, "DONOTWAITX"), nullptr);
    EXPECT_EQ(FindToolType(list, "NOSOUND=1"), nullptr);
    EXPECT_EQ(FindToolType(list, "DEPTH"), nullptr);
    EXPECT_EQ(FindToolType(list, ""), e6) << "the empty key is the empty entry's";
    EXPECT_EQ(FindToolType(nullptr, "WINDOW"), nullptr);
    EXPECT_EQ(FindToolType(list, nullptr), nullptr);
    // The value is the entry's own text, not a copy.
    EXPECT_EQ(FindToolType(list, "WINDOW"), e2 + 7);
}

TEST_F(IconStore, ReadsTypeAndListByteForByte)
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
    EXPECT_EQ(ToolTypesOf(icon->do_ToolTypes), texts);
    EXPECT_STREQ(FindToolType(icon->do_ToolTypes, "toolpri"), "0");
    FreeDiskObject(icon);
}

TEST_F(IconStore, MissingIconsAndIconsWithoutToolTypes)
{
    EXPECT_EQ(GetDiskObject("Nothing"), nullptr);
    EXPECT_EQ(GetDiskObject(""), nullptr);
    EXPECT_EQ(GetDiskObject(nullptr), nullptr);
    FreeDiskObject(nullptr);

    Make("Bare", Tool({}));
    DiskObject *icon = GetDiskObject("Bare");
    ASSERT_NE(icon, nullptr);
    ASSERT_NE(icon->do_ToolTypes, nullptr);
    EXPECT_EQ(icon->do_ToolTypes[0], nullptr);
    EXPECT_EQ(FindToolType(icon->do_ToolTypes, "WINDOW"), nullptr);
    FreeDiskObject(icon);

    // Not regular files: a folder and a named pipe (which must not block the read).
    ASSERT_EQ(mkdir("Folder.info", 0755), 0);
    EXPECT_EQ(GetDiskObject("Folder"), nullptr);
    ASSERT_EQ(mkfifo("Pipe.info", 0644), 0);
    EXPECT_EQ(GetDiskObject("Pipe"), nullptr);
}

TEST_F(IconStore, WritingItsOwnListBackChangesNoByte)
{
    IconSpec spec = Tool({"A=1", "", "B"});
    spec.hasDefaultTool = spec.hasToolWindow = spec.drawerData = spec.selectImage = spec.os35 = true;
    spec.defaultTool = "C:IconX";
    spec.toolWindow = "CON:0/0/640/200/Out";
    spec.newIconsLines = SampleNewIconsLines();
    Make("Full", spec);
    std::string before = Bytes("Full");

    DiskObject *icon = GetDiskObject("Full");
    ASSERT_NE(icon, nullptr);
    EXPECT_TRUE(PutDiskObject("Full", icon));
    FreeDiskObject(icon);
    EXPECT_EQ(Bytes("Full"), before);
}

TEST_F(IconStore, AnIconWithoutListGetsOneAndOneWithAListKeepsItsSectionWhenEmptied)
{
    Make("None", Tool({}));
    std::string before = Bytes("None");
    EXPECT_TRUE(WriteToolTypes("None", {}));
    EXPECT_EQ(Bytes("None"), before) << "an empty list adds no section";

    EXPECT_TRUE(WriteToolTypes("None", {"WINDOW", "MASTERVOLUME=40"}));
    std::string after = Bytes("None");
    EXPECT_EQ(ReadToolTypes("None"), (Texts{"WINDOW", "MASTERVOLUME=40"}));
    EXPECT_NE(std::memcmp(after.data() + kIconToolTypesOffset, "\0\0\0\0", 4), 0);
    // Only the pointer and the new section differ.
    IconLayout layout;
    ASSERT_TRUE(ParseIcon(reinterpret_cast<const std::uint8_t *>(after.data()), after.size(), layout));
    std::string outside = after.substr(0, layout.toolTypesStart) + after.substr(layout.toolTypesEnd);
    outside.replace(kIconToolTypesOffset, 4, 4, '\0');
    EXPECT_EQ(outside, before);

    Make("Some", Tool({"DONOTWAIT", "WINDOW"}));
    EXPECT_TRUE(WriteToolTypes("Some", {}));
    EXPECT_EQ(ReadToolTypes("Some"), Texts{});
    std::string emptied = Bytes("Some");
    IconSpec emptySection = Tool({});
    emptySection.toolTypeSection = true;
    EXPECT_EQ(emptied, MakeIcon(emptySection)) << "the section stays, with no entries";
}

TEST_F(IconStore, NewIconsImageStaysOutOfTheListAndFollowsTheNewOne)
{
    IconSpec spec = Tool({"FILETYPE=TEXT", "(Icon by someone)"});
    spec.newIconsLines = SampleNewIconsLines();
    Make("New", spec);

    EXPECT_EQ(ReadToolTypes("New"), (Texts{"FILETYPE=TEXT", "(Icon by someone)"}));
    EXPECT_TRUE(WriteToolTypes("New", {"WINDOW", "MASTERVOLUME=40"}));
    IconSpec expected = Tool({"WINDOW", "MASTERVOLUME=40"});
    expected.newIconsLines = SampleNewIconsLines();
    EXPECT_EQ(Bytes("New"), MakeIcon(expected));

    EXPECT_TRUE(WriteToolTypes("New", {}));
    expected.toolTypes.clear();
    EXPECT_EQ(Bytes("New"), MakeIcon(expected)) << "the block survives an empty list";
    EXPECT_EQ(ReadToolTypes("New"), Texts{});
}

TEST_F(IconStore, NewIconsMarkerWithoutTheSpaceBeforeIt)
{
    Texts lines = SampleNewIconsLines();
    Texts all = {"KEEP", "*** DON'T EDIT THE FOLLOWING LINES!! ***"};
    all.insert(all.end(), lines.begin(), lines.end());
    Make("Plain", Tool(all));
    EXPECT_EQ(ReadToolTypes("Plain"), Texts{"KEEP"});

    EXPECT_TRUE(WriteToolTypes("Plain", {"NEW", " "}));
    all.erase(all.begin());
    all.insert(all.begin(), {"NEW", " "});
    EXPECT_EQ(Bytes("Plain"), MakeIcon(Tool(all)));
    // The written " " now stands before the marker: it is read as part of the block.
    EXPECT_EQ(ReadToolTypes("Plain"), Texts{"NEW"});
}

TEST_F(IconStore, TrailersDrawerDataAndImagesAreKept)
{
    struct Case {
        const char *name;
        IconSpec spec;
    };
    std::vector<Case> cases;
    IconSpec os35 = Tool({"OLD"});
    os35.os35 = true;
    cases.push_back({"OS35", os35});
    IconSpec drawer = Tool({});
    drawer.type = ICON_DRAWER;
    drawer.drawerData = true;
    cases.push_back({"Drawer", drawer});
    IconSpec oldDrawer = drawer;
    oldDrawer.revision = 0; // no drawer data 2
    oldDrawer.toolTypes = {"OLD"};
    cases.push_back({"OldDrawer", oldDrawer});
    IconSpec selected = Tool({"OLD"});
    selected.selectImage = selected.hasToolWindow = true;
    selected.toolWindow = "CON:////Window";
    cases.push_back({"Selected", selected});

    for (Case &c : cases) {
        SCOPED_TRACE(c.name);
        Make(c.name, c.spec);
        EXPECT_TRUE(WriteToolTypes(c.name, {"WINDOW", ""}));
        IconSpec expected = c.spec;
        expected.toolTypes = {"WINDOW", ""};
        std::string wanted = MakeIcon(expected);
        if (c.spec.toolTypes.empty()) {
            wanted[kIconToolTypesOffset + 1] = wanted[kIconToolTypesOffset + 2] = 0;
            wanted[kIconToolTypesOffset] = 0;
            wanted[kIconToolTypesOffset + 3] = 1; // the pointer the store sets
        }
        EXPECT_EQ(Bytes(c.name), wanted);
        EXPECT_EQ(ReadToolTypes(c.name), (Texts{"WINDOW", ""}));
    }
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

    // A null list writes an empty one.
    icon = GetDiskObject("Icon");
    ASSERT_NE(icon, nullptr);
    own = icon->do_ToolTypes;
    icon->do_ToolTypes = nullptr;
    EXPECT_TRUE(PutDiskObject("Icon", icon));
    icon->do_ToolTypes = own;
    FreeDiskObject(icon);
    EXPECT_EQ(ReadToolTypes("Icon"), Texts{});
    EXPECT_FALSE(PutDiskObject("Icon", nullptr));
    EXPECT_FALSE(PutDiskObject(nullptr, nullptr));
}

TEST_F(IconStore, AnIconCanBeWrittenUnderAnotherNameAndMadeAnew)
{
    Make("Source", Tool({"A"}));
    DiskObject *icon = GetDiskObject("Source");
    ASSERT_NE(icon, nullptr);
    umask(022);
    EXPECT_TRUE(PutDiskObject("Copy", icon));
    FreeDiskObject(icon);
    EXPECT_EQ(Bytes("Copy"), Bytes("Source"));
    struct stat st;
    ASSERT_EQ(stat("Copy.info", &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
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
    DiskObject *icon = GetDiskObject("Starfield");
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(PutDiskObject("starfield", icon));
    FreeDiskObject(icon);
    EXPECT_NE(stat("starfield.info", &st), 0);
}

} // namespace
