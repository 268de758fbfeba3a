// Every real icon of the shared corpus: merging the settings changes nothing but
// the tooltypes (an icon that does not read fails the merge too).
#include <gtest/gtest.h>

#include <strings.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/program_reset.h"
#include "platform/formats/icon_file.h"
#include "platform/icon_store.h"
#include "settings/app_settings.h"
#include "settings/settings_writer.h"
#include "support/icon_test_util.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"

namespace fs = std::filesystem;

namespace {

using Entries = std::vector<std::string>;

IconLayout Layout(const std::string &bytes)
{
    IconLayout layout;
    EXPECT_TRUE(ParseIcon(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size(), layout));
    return layout;
}

// The key of an entry without its leading spaces, in upper case.
std::string KeyOf(const std::string &entry)
{
    std::string key = entry.substr(std::min(entry.find_first_not_of(' '), entry.size()));
    key = key.substr(0, key.find('='));
    std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::toupper(c); });
    return key;
}

class IconCorpus : public testing::Test {
protected:
    void SetUp() override
    {
        const fs::path folder = fs::path(kSharedCorpusDir) / "icons";
        if (!fs::is_directory(folder)) {
            GTEST_SKIP() << "no icon corpus in " << folder;
        }
        for (const auto &item : fs::recursive_directory_iterator(folder)) {
            const std::string name = item.path().filename().string();
            if (item.is_regular_file() && name.size() > 5 && strcasecmp(name.c_str() + name.size() - 5, ".info") == 0) {
                icons_.push_back(item.path());
            }
        }
        ASSERT_FALSE(icons_.empty());
    }
    void TearDown() override { ResetProgramState(); }

    // Copies the icon into the current folder as "Icon.info"; returns its bytes.
    std::string Stage(const fs::path &icon)
    {
        const std::string bytes = ReadFileBytes(icon.string());
        WriteFileBytes(dir_.file("Icon.info"), bytes);
        return bytes;
    }

    std::vector<fs::path> icons_;
    TempDir dir_;
    ScopedChdir cd_{dir_.path()};
};

}  // namespace

// Merging displayMode 2, modeId 0x50031303, depth 24, limit 25 on, volume 40, sound
// off: the kept entries without their leading spaces, the settings, then the
// original's image block; the bytes around the section as they were (the tooltype
// pointer only tells whether there is a list).
TEST_F(IconCorpus, MergingTheSettingsChangesOnlyTheToolTypes)
{
    const Entries managed = {"MASTERVOLUME", "NOSOUND", "FPSLIMIT", "WINDOW", "FULLSCREEN", "MODEID", "DEPTH"};
    for (const fs::path &icon : icons_) {
        SCOPED_TRACE(icon.string());
        const std::string original = Stage(icon);
        const IconLayout before = Layout(original);
        Entries expected;
        for (std::size_t i = 0; i < before.imageBlockStart; ++i) {
            const std::string &entry = before.entries[i];
            if (std::find(managed.begin(), managed.end(), KeyOf(entry)) == managed.end()) {
                expected.push_back(entry.substr(std::min(entry.find_first_not_of(' '), entry.size())));
            }
        }
        expected.insert(expected.end(), {"MASTERVOLUME=40", "NOSOUND", "FPSLIMIT=25", "MODEID=1342378755",
                                         "DEPTH=24", "FULLSCREEN"});
        expected.insert(expected.end(), before.entries.begin() + static_cast<std::ptrdiff_t>(before.imageBlockStart),
                        before.entries.end());

        ResetProgramState();
        AppSettings = {2, 0x50031303, 24, 25, 1, 40, 0};
        EXPECT_EQ(WriteIconSettings("Icon"), 0);
        std::string merged = ReadFileBytes("Icon.info");
        const IconLayout after = Layout(merged);
        EXPECT_EQ(after.entries, expected);
        std::string head = original.substr(0, before.toolTypesStart);
        head.replace(kIconToolTypesOffset, 4, 4, '\0');
        merged.replace(kIconToolTypesOffset, 4, 4, '\0');
        EXPECT_TRUE(merged.substr(0, after.toolTypesStart) == head) << "bytes before the tooltypes changed";
        EXPECT_TRUE(merged.substr(after.toolTypesEnd) == original.substr(before.toolTypesEnd))
            << "bytes after the tooltypes changed";
    }
}
