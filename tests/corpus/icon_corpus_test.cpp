// Every real icon, classic or PNG, of the shared corpus: written back with its
// own list it keeps every byte, and merging the settings changes nothing but the
// tooltypes.
#include <gtest/gtest.h>

#include <strings.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/formats/big_endian.h"
#include "platform/formats/icon_file.h"
#include "platform/formats/png_icon.h"
#include "platform/icons/icon_store.h"
#include "settings/app_settings.h"
#include "settings/settings_writer.h"
#include "support/icon_test_util.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"
#include "window/program_reset.h"

namespace fs = std::filesystem;

namespace {

using Entries = std::vector<std::string>;

// An icon cut around its tooltypes: the bytes before and after them, what else lies
// between (a classic icon's NewIcons block, a PNG icon's other icOn tags), the list.
struct IconParts {
    std::string head, tail, between;
    Entries toolTypes;
    bool crcValid = true;
};

IconParts Split(const std::string &bytes)
{
    IconParts parts;
    PngIconLayout png;
    IconLayout icon;
    if (ParsePngIcon(BytesOf(bytes), png)) {
        const std::size_t start = png.hasIcOn ? png.icOnStart : png.firstIendStart;
        parts.head = bytes.substr(0, start);
        parts.tail = bytes.substr(png.hasIcOn ? png.icOnEnd : start);
        parts.crcValid = !png.hasIcOn || png.icOnCrcValid;
        for (const PngIconTagEntry &tag : png.tags) {
            if (tag.tag == ATTR_TOOLTYPE) {
                parts.toolTypes.push_back(tag.text);
            } else {
                parts.between += std::to_string(tag.tag) + ":" + std::to_string(tag.value) + ":" + tag.text + "\n";
            }
        }
    } else {
        EXPECT_TRUE(ParseIcon(BytesOf(bytes), icon)) << "not an icon";
        parts.head = bytes.substr(0, icon.toolTypesStart);
        parts.head.replace(kIconToolTypesOffset, 4, 4, '\0');  // only tells whether there is a list
        parts.tail = bytes.substr(icon.toolTypesEnd);
        const auto block = icon.entries.begin() + static_cast<std::ptrdiff_t>(icon.imageBlockStart);
        parts.toolTypes.assign(icon.entries.begin(), block);
        for (auto entry = block; entry != icon.entries.end(); ++entry) {
            parts.between += *entry + "\n";
        }
    }
    return parts;
}

class IconCorpus : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char *kind : {"icons", "png-icons"}) {
            const fs::path folder = fs::path(kSharedCorpusDir) / kind;
            if (!fs::is_directory(folder)) {
                GTEST_SKIP() << "no icon corpus in " << folder;
            }
            for (const auto &item : fs::recursive_directory_iterator(folder)) {
                const std::string name = item.path().filename().string();
                if (item.is_regular_file() && name.size() > 5 &&
                    strcasecmp(name.c_str() + name.size() - 5, ".info") == 0) {
                    icons_.push_back(item.path());
                }
            }
        }
    }
    void TearDown() override { ResetProgramState(); }

    // Copies the icon into the current folder as "Icon.info"; returns its bytes.
    static std::string Stage(const fs::path &icon)
    {
        const std::string bytes = ReadFileBytes(icon.string());
        WriteFileBytes("Icon.info", bytes);
        return bytes;
    }

    std::vector<fs::path> icons_;
    TempDir dir_;
    ScopedChdir cd_{dir_.path()};
};

}  // namespace

// Written back, an icon keeps every byte (a wrong CRC on a PNG icon's icOn is
// mended). Merged with settings, its list ends with them (which entries are kept:
// the settings writer's tests); nothing else changes.
TEST_F(IconCorpus, WritingBackKeepsEveryByteAndMergingChangesOnlyTheToolTypes)
{
    const Entries settings = {"MASTERVOLUME=40",   "NOSOUND",  "FPSLIMIT=25",
                              "MODEID=1342378755", "DEPTH=24", "FULLSCREEN"};
    for (const fs::path &path : icons_) {
        SCOPED_TRACE(path.string());
        const std::string original = Stage(path);
        const IconParts before = Split(original);
        DiskObject *object = GetDiskObject("Icon");
        ASSERT_NE(object, nullptr);
        EXPECT_TRUE(PutDiskObject("Icon", object));
        FreeDiskObject(object);
        const std::string written = ReadFileBytes("Icon.info");
        const IconParts again = Split(written);
        EXPECT_TRUE(again.crcValid);
        EXPECT_TRUE(before.crcValid ? written == original
                                    : again.head == before.head && again.tail == before.tail &&
                                          again.between == before.between && again.toolTypes == before.toolTypes);

        ResetProgramState();
        // clang-format off
        const Settings values = {.displayMode = 2, .modeId = 0x50031303, .depth = 24, .fpsLimit = 25,
                                 .fpsLimitEnabled = 1, .masterVolume = 40, .soundEnabled = 0};
        // clang-format on
        EXPECT_EQ(WriteIconSettings("Icon", values), 1);
        const IconParts merged = Split(ReadFileBytes("Icon.info"));
        EXPECT_TRUE(merged.head == before.head) << "bytes before the tooltypes changed";
        EXPECT_TRUE(merged.tail == before.tail) << "bytes after the tooltypes changed";
        EXPECT_EQ(merged.between, before.between);
        ASSERT_GE(merged.toolTypes.size(), settings.size());
        EXPECT_EQ(
            Entries(merged.toolTypes.end() - static_cast<std::ptrdiff_t>(settings.size()), merged.toolTypes.end()),
            settings);
        EXPECT_TRUE(merged.crcValid);
    }
}
