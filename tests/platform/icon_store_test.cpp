// The icon store: reading icons and writing new lists that change nothing else;
// PNG icons, put together here with zlib's CRC, among them.
#include <gtest/gtest.h>

#include <zlib.h>

#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

#include "platform/formats/big_endian.h"
#include "platform/formats/icon_file.h"
#include "platform/formats/icon_maker.h"
#include "platform/formats/png_icon.h"
#include "platform/icons/icon_store.h"
#include "support/icon_test_util.h"
#include "support/temp_dir.h"

namespace {

using Texts = std::vector<std::string>;

class IconStore : public ::testing::Test {
protected:
    void Make(const std::string &name, const IconSpec &spec) { WriteIcon(name + ".info", spec); }
    std::string Bytes(const std::string &name) const { return ReadFileBytes(dir_.file(name + ".info")); }
    void Put(const std::string &name, const std::string &bytes) { WriteFileBytes(name + ".info", bytes); }

    TempDir dir_;
    ScopedChdir here_{dir_.path()};
};

// Type and list byte for byte; a folder, a named pipe (without blocking), a
// dangling link and nothing at all are no icons; mode bits refuse a write even
// to root.
TEST_F(IconStore, ReadsTypeAndListByteForByteAndRefusesWhatIsNoIcon)
{
    Texts texts = {"DONOTWAIT", "", "(WINDOWTITLE=Caf\xe9 \xbb\xff)", "  INDENTED", "\tTAB"};
    Make("Demo", {.type = ICON_PROJECT, .toolTypes = texts});
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
    IconSpec full{.toolTypes = {"A=1", "", "B"}};
    full.hasDefaultTool = full.hasToolWindow = full.drawerData = full.selectImage = full.os35 = true;
    full.defaultTool = "C:IconX";
    full.toolWindow = "CON:0/0/640/200/Out";
    full.newIconsLines = SampleNewIconsLines();
    IconSpec drawer{.type = ICON_DRAWER, .toolTypes = {"OLD"}, .drawerData = true};
    IconSpec oldDrawer = drawer;
    oldDrawer.revision = 0;  // no drawer data 2
    int n = 0;
    for (IconSpec spec : {full, drawer, oldDrawer, IconSpec{}}) {
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
    Make("Starfield", {.toolTypes = {"OLD"}});
    ASSERT_EQ(mkdir("Sub", 0755), 0);
    Make("Sub/Caf\xc9", {.toolTypes = {"CAFE"}});
    EXPECT_EQ(ReadToolTypes("Sub/caf\xe9"), Texts{"CAFE"});
    EXPECT_EQ(ReadToolTypes("SUB/Cafe"), Texts{"(no icon)"});
    EXPECT_TRUE(WriteToolTypes("starfield", {"NEW"}));
    EXPECT_EQ(ReadToolTypes("Starfield"), Texts{"NEW"});

    Make("STARFIELD", {.toolTypes = {"UPPER"}});
    EXPECT_EQ(ReadToolTypes("STARFIELD"), Texts{"UPPER"});
    EXPECT_EQ(ReadToolTypes("starfield"), Texts{"(no icon)"});
    EXPECT_FALSE(WriteToolTypes("starfield", {"X"}));
    EXPECT_NE(access("starfield.info", F_OK), 0) << "no third file made";
}

// PNG icons: what they give, where a new list goes, and malformed ones refused
// and left untouched.
using PngIcon = IconStore;

const std::string kSignature("\x89PNG\r\n\x1a\n", 8);

std::string U32(std::uint32_t v)
{
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

std::string Chunk(const std::string &type, const std::string &data)
{
    const std::string body = type + data;
    return U32(static_cast<std::uint32_t>(data.size())) + body +
           U32(static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef *>(body.data()), body.size())));
}

std::string Tag(std::uint32_t tag, std::uint32_t value)
{
    return U32(tag) + U32(value);
}
std::string Text(std::uint32_t tag, const std::string &text)
{
    return U32(tag) + text + '\0';
}

const std::string kIend = Chunk("IEND", "");

// An image of nothing but an icOn chunk with these tags.
std::string WithTags(const std::string &tags)
{
    return kSignature + Chunk("icOn", tags) + kIend;
}

// The i-th text takes the i-th tooltype tag's place, more follow the last one;
// every other tag, unknown ones too, keeps its place and bytes.
TEST_F(PngIcon, NewToolTypesTakeTheOldOnesPlacesAndEveryOtherTagStays)
{
    const std::string stack = Tag(ATTR_STACKSIZE, 4096), unknown = Tag(0x80001234, 7), after = "not an image";
    auto file = [&](const std::string &tags) { return WithTags(tags) + after; };
    auto tt = [](const char *text) { return Text(ATTR_TOOLTYPE, text); };
    Put("Icon", file(tt("A") + stack + tt("B") + unknown));
    const struct {
        Texts list;
        std::string tags;
    } cases[] = {
        {{"A", "B"}, tt("A") + stack + tt("B") + unknown},
        {{"1", "2", "3"}, tt("1") + stack + tt("2") + tt("3") + unknown},
        {{"1"}, tt("1") + stack + unknown},
        {{}, stack + unknown},
        {{"N", ""}, stack + unknown + tt("N") + tt("")},  // none left: after the other tags
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.list));
        EXPECT_TRUE(WriteToolTypes("Icon", c.list));
        EXPECT_EQ(Bytes("Icon"), file(c.tags));
    }

    // An icon without icOn has no tooltypes and gets one before its first IEND, only for a list.
    const std::string original = MakeIcon({.png = true, .iconChunk = false}),
                      first = original.substr(0, original.find("IEND") - 4);
    Put("Bare", original);
    EXPECT_EQ(ReadToolTypes("Bare"), Texts{});
    EXPECT_TRUE(WriteToolTypes("Bare", {}));
    EXPECT_EQ(Bytes("Bare"), original);
    EXPECT_TRUE(WriteToolTypes("Bare", {"WINDOW"}));
    EXPECT_EQ(Bytes("Bare"), first + Chunk("icOn", tt("WINDOW")) + original.substr(first.size()));
}

// Only the first icOn of the first image is the icon's, read and written with a
// wrong CRC mended; a second one stays as it is.
TEST_F(PngIcon, TheFirstIcOnIsTheIconsAndAWrongCrcOnItIsMended)
{
    const std::string first = Chunk("icOn", Text(ATTR_TOOLTYPE, "FIRST") + Tag(ATTR_ICONX, 5)),
                      second = Chunk("icOn", Text(ATTR_TOOLTYPE, "SECOND"));
    std::string bad = first;
    bad.back() ^= 0x40;
    Put("Icon", kSignature + bad + second + kIend);
    EXPECT_EQ(ReadToolTypes("Icon"), Texts{"FIRST"});
    EXPECT_TRUE(WriteToolTypes("Icon", {"FIRST"}));
    EXPECT_EQ(Bytes("Icon"), kSignature + first + second + kIend);
}

// As many tags as the limit are read and written; a write that would make one
// more is refused (reading one more is among the malformed icons).
TEST_F(PngIcon, TagsUpToTheLimit)
{
    std::string others;
    for (std::uint32_t i = 1; i < kPngIconMaxTags; ++i) {
        others += Tag(ATTR_ICONX, i);
    }
    const std::string full = WithTags(others + Text(ATTR_TOOLTYPE, "B"));
    Put("Icon", WithTags(others + Text(ATTR_TOOLTYPE, "A")));
    EXPECT_TRUE(WriteToolTypes("Icon", {"B"}));
    EXPECT_FALSE(WriteToolTypes("Icon", {"B", "C"}));
    EXPECT_EQ(Bytes("Icon"), full);
}

TEST_F(PngIcon, MalformedIconsAreNoIconsAndNeverWritten)
{
    const std::string good = MakeIcon({.type = ICON_PROJECT, .toolTypes = {"GOOD"}, .png = true});
    const std::size_t idat = good.find("IDAT") - 4;
    auto changed = [&](std::size_t at, const std::string &with) {
        return std::string(good).replace(at, with.size(), with);
    };
    const struct {
        const char *what;
        std::string bytes;
    } cases[] = {
        {"bad signature", changed(1, "Q")},
        {"chunk running past the end", changed(idat, U32(0x10000))},
        {"chunk type not letters", kSignature + Chunk("IDA1", "x") + kIend},
        {"wrong CRC on a chunk other than icOn", changed(idat + 8, "\x7f")},
        {"no IEND", kSignature + Chunk("icOn", Tag(ATTR_STACKSIZE, 4096))},
        {"tag cut short", WithTags(U32(ATTR_ICONX).substr(0, 3))},
        {"value cut short", WithTags(U32(ATTR_STACKSIZE) + std::string(2, '\x10'))},
        {"tooltype without its zero", WithTags(Text(ATTR_TOOLTYPE, "A") + U32(ATTR_TOOLTYPE) + "ABC")},
        {"default tool without its zero", WithTags(U32(ATTR_DEFAULTTOOL) + "C:X")},
        {"tool window without its zero", WithTags(U32(ATTR_TOOLWINDOW) + "CON:")},
        {"one tag more than the limit", WithTags(std::string(8 * (kPngIconMaxTags + 1), '\x01'))},
    };
    Put("Good", good);
    DiskObject *icon = GetDiskObject("Good");
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->do_Type, ICON_PROJECT);
    EXPECT_EQ(ToolTypesOf(icon->do_ToolTypes), Texts{"GOOD"});
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Put("Bad", c.bytes);
        EXPECT_EQ(GetDiskObject("Bad"), nullptr);
        EXPECT_FALSE(PutDiskObject("Bad", icon));
        EXPECT_EQ(Bytes("Bad"), c.bytes);
    }
    FreeDiskObject(icon);
}

}  // namespace
