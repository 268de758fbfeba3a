// Malformed icons: cut short in any section or with a corrupt length or count, they
// are not icons: the store neither reads nor overwrites them.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/formats/icon_file.h"
#include "platform/formats/icon_maker.h"
#include "platform/icon_store.h"
#include "support/icon_test_util.h"
#include "support/temp_dir.h"

namespace {

bool Parses(const std::string &bytes, IconLayout *out = nullptr)
{
    IconLayout layout;
    return ParseIcon(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size(), out ? *out : layout);
}

void PutU32At(std::string &bytes, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) {
        bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (24 - 8 * i));
    }
}

// An icon with every section: drawer data, two images, default tool, tooltypes with
// a NewIcons block, tool window, drawer data 2 and an OS 3.5 FORM.
IconSpec EverySection()
{
    IconSpec spec;
    spec.type = ICON_DRAWER;
    spec.toolTypes = {"AB", "", "C"};
    spec.hasDefaultTool = spec.hasToolWindow = spec.drawerData = spec.selectImage = spec.os35 = true;
    spec.defaultTool = "TOOL";
    spec.toolWindow = "WIN";
    spec.newIconsLines = {"IM1=\xa0\xb0", "IM2=\xc0"};
    return spec;
}

TEST(IconFile, EveryTruncationIsRefused)
{
    IconSpec withForm = EverySection();
    IconSpec classic = EverySection();
    classic.os35 = false;
    IconSpec plain; // no list, no extras
    IconSpec oldDrawer = EverySection();
    oldDrawer.os35 = false;
    oldDrawer.revision = 0; // no drawer data 2
    std::string classicBytes = MakeIcon(classic);
    for (const IconSpec &spec : {withForm, classic, plain, oldDrawer}) {
        std::string bytes = MakeIcon(spec);
        ASSERT_TRUE(Parses(bytes));
        for (std::size_t n = 0; n < bytes.size(); ++n) {
            // An OS 3.5 icon cut exactly after its classic part is a whole classic icon.
            bool whole = spec.os35 && n == classicBytes.size();
            EXPECT_EQ(Parses(bytes.substr(0, n)), whole) << "cut at " << n << " of " << bytes.size();
        }
    }
}

TEST(IconFile, CorruptLengthsAndCountsAreRefused)
{
    std::string base = MakeIcon(EverySection());
    IconLayout layout;
    ASSERT_TRUE(Parses(base, &layout));
    EXPECT_EQ(layout.entries,
              (std::vector<std::string>{"AB", "", "C", " ", kNewIconsMarker, "IM1=\xa0\xb0", "IM2=\xc0"}));
    EXPECT_EQ(layout.imageBlockStart, 3u);
    const std::size_t count = layout.toolTypesStart; // the tooltype count word
    const std::size_t firstEntry = count + 4;
    const std::size_t defaultTool = layout.toolTypesStart - 9; // length word of "TOOL"
    const std::size_t toolWindow = layout.toolTypesEnd;
    const std::size_t form = layout.toolTypesEnd + 8 + 6; // after the tool window and drawer data 2
    const std::size_t firstImage = kIconHeaderSize + kIconDrawerDataSize;
    ASSERT_EQ(base.substr(form, 4), "FORM");

    struct Corruption {
        const char *what;
        std::function<void(std::string &)> apply;
    };
    std::vector<Corruption> corruptions = {
        {"magic", [](std::string &b) { b[1] = 0x11; }},
        {"count not a multiple of 4", [&](std::string &b) { PutU32At(b, count, 8 * 4 + 2); }},
        {"count zero", [&](std::string &b) { PutU32At(b, count, 0); }},
        {"count past the end", [&](std::string &b) { PutU32At(b, count, 20 * 4); }},
        {"entry length zero", [&](std::string &b) { PutU32At(b, firstEntry, 0); }},
        {"entry without its zero", [&](std::string &b) { b[firstEntry + 4 + 2] = 'X'; }},
        {"entry with a zero inside", [&](std::string &b) { b[firstEntry + 4 + 1] = 0; }},
        {"entry length one short", [&](std::string &b) { PutU32At(b, firstEntry, 2); }},
        {"default tool length huge", [&](std::string &b) { PutU32At(b, defaultTool, 0x7FFFFFFF); }},
        {"tool window length huge", [&](std::string &b) { PutU32At(b, toolWindow, 0xFFFFFFF0); }},
        {"image height huge", [&](std::string &b) { b[firstImage + 6] = char(0xFF); }},
        {"image depth huge", [&](std::string &b) { b[firstImage + 8] = char(0xFF); }},
        {"FORM size too small", [&](std::string &b) { PutU32At(b, form + 4, 2); }},
        {"FORM one byte longer than the file", [&](std::string &b) { PutU32At(b, form + 4, 4 + 8 + 6 + 1); }},
    };
    for (const Corruption &c : corruptions) {
        std::string bytes = base;
        c.apply(bytes);
        EXPECT_FALSE(Parses(bytes)) << c.what;
    }
    // Pointers that claim sections the file lacks.
    for (std::size_t pointer : {kIconDefaultToolOffset, kIconSecondImageOffset, kIconDrawerDataOffset}) {
        std::string bytes = MakeIcon(IconSpec{});
        PutU32At(bytes, pointer, 1);
        EXPECT_FALSE(Parses(bytes)) << "pointer at " << pointer;
    }
}

TEST(IconFile, TrailingBytesOfNoKnownKindAreKept)
{
    // As in real icons: six zero bytes after the classic part of an old drawer-data icon.
    IconSpec spec;
    spec.drawerData = true;
    spec.revision = 0;
    spec.toolTypes = {"DONOTWAIT"};
    std::string bytes = MakeIcon(spec) + std::string(6, '\0');
    IconLayout layout;
    ASSERT_TRUE(Parses(bytes, &layout));
    const char *list[] = {"X"};
    std::string out;
    ASSERT_TRUE(
        BuildIcon(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size(), layout, list, 1, out));
    spec.toolTypes = {"X"};
    EXPECT_EQ(out, MakeIcon(spec) + std::string(6, '\0'));
}

TEST(IconFile, TheStoreNeitherReadsNorOverwritesAMalformedIcon)
{
    TempDir dir;
    ScopedChdir here(dir.path());
    IconSpec good;
    good.toolTypes = {"GOOD"};
    WriteIcon("Good.info", good);
    DiskObject *icon = GetDiskObject("Good");
    ASSERT_NE(icon, nullptr);

    std::string full = MakeIcon(EverySection());
    for (const std::string &bytes : {std::string(), std::string("plain text, not an icon\n"), full.substr(0, 77),
                                     full.substr(0, full.size() - 1)}) {
        WriteFileBytes(dir.file("Bad.info"), bytes);
        EXPECT_EQ(GetDiskObject("Bad"), nullptr) << bytes.size() << " bytes";
        EXPECT_FALSE(PutDiskObject("Bad", icon));
        EXPECT_EQ(ReadFileBytes(dir.file("Bad.info")), bytes);
    }
    FreeDiskObject(icon);
}

} // namespace
