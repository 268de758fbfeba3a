// Merging the settings into real icons made by other people's tools: only the
// tooltypes change, and the list read back is the kept entries and the settings.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "platform/icon_store.h"
#include "settings/app_settings.h"
#include "settings/settings_writer.h"
#include "settings/tool_config.h"
#include "support/corpus_folders.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"

namespace fs = std::filesystem;

namespace {

const char *const kNewIconsMarker = "*** DON'T EDIT THE FOLLOWING LINES!! ***";

// A reader of the classic icon layout of its own, kept apart from the store's: it
// finds where the tooltype section lies and the entries in it.
struct IconLayout {
    std::size_t toolTypesStart = 0;  // the section's first byte (its count word)
    std::size_t toolTypesEnd = 0;    // one past its last byte; equal to start when absent
    std::vector<std::string> entries;
};

std::uint32_t Be32(const std::string &b, std::size_t at)
{
    return (std::uint32_t(std::uint8_t(b[at])) << 24) | (std::uint32_t(std::uint8_t(b[at + 1])) << 16) |
           (std::uint32_t(std::uint8_t(b[at + 2])) << 8) | std::uint32_t(std::uint8_t(b[at + 3]));
}

std::uint32_t Be16(const std::string &b, std::size_t at)
{
    return (std::uint32_t(std::uint8_t(b[at])) << 8) | std::uint32_t(std::uint8_t(b[at + 1]));
}

std::optional<IconLayout> WalkIcon(const std::string &b)
{
    if (b.size() < 78 || Be16(b, 0) != 0xE310) {
        return std::nullopt;
    }
    std::size_t at = 78;
    auto need = [&](std::size_t n) { return at + n <= b.size(); };
    if (Be32(b, 66) != 0) {
        at += 56;
    }
    for (std::size_t pointer : {22u, 26u}) {
        if (Be32(b, pointer) == 0) {
            continue;
        }
        if (!need(20)) {
            return std::nullopt;
        }
        std::size_t width = Be16(b, at + 4), height = Be16(b, at + 6), depth = Be16(b, at + 8);
        at += 20 + ((width + 15) / 16) * 2 * height * depth;
    }
    auto skipText = [&]() {
        if (!need(4)) {
            return false;
        }
        std::size_t length = Be32(b, at);
        at += 4;
        if (!need(length)) {
            return false;
        }
        at += length;
        return true;
    };
    if (Be32(b, 50) != 0 && !skipText()) {
        return std::nullopt;
    }
    IconLayout layout;
    layout.toolTypesStart = at;
    if (Be32(b, 54) != 0) {
        if (!need(4)) {
            return std::nullopt;
        }
        std::size_t count = Be32(b, at) / 4;
        at += 4;
        for (std::size_t i = 0; i + 1 < count; ++i) {
            if (!need(4)) {
                return std::nullopt;
            }
            std::size_t length = Be32(b, at);
            at += 4;
            if (length == 0 || !need(length)) {
                return std::nullopt;
            }
            layout.entries.push_back(b.substr(at, length - 1));
            at += length;
        }
    }
    layout.toolTypesEnd = at;
    return layout;
}

bool IsManagedKey(std::string entry)
{
    entry = entry.substr(0, entry.find('='));
    for (char &c : entry) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    for (const char *keyword : {"MASTERVOLUME", "NOSOUND", "FPSLIMIT", "WINDOW", "FULLSCREEN", "MODEID", "DEPTH"}) {
        if (entry == keyword) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> StoreList(const char *name)
{
    std::vector<std::string> list;
    DiskObject *icon = GetDiskObject(name);
    if (icon == nullptr) {
        ADD_FAILURE() << "icon not readable after the merge";
        return list;
    }
    for (char **entry = icon->do_ToolTypes; *entry != nullptr; ++entry) {
        list.emplace_back(*entry);
    }
    FreeDiskObject(icon);
    return list;
}

struct CorpusFolder {
    fs::path path;
    bool allIcons;  // every file in it is a well-formed icon
};

std::vector<CorpusFolder> CorpusFolders()
{
    std::vector<CorpusFolder> folders;
    fs::path shared = fs::path(kSharedCorpusDir) / "icons";
    if (fs::is_directory(shared)) {
        folders.push_back({shared, true});
    }
    for (const std::string &folder : FoldersFromEnvironment("ICON_CORPUS")) {
        if (fs::is_directory(folder)) {
            folders.push_back({folder, false});
        }
    }
    return folders;
}

// What the merge appends for the settings of this test, in their fixed order.
const std::vector<std::string> kSettingsEntries = {"MASTERVOLUME=40", "NOSOUND",  "FPSLIMIT=25",
                                                   "MODEID=1342378755", "DEPTH=24", "FULLSCREEN"};

void UseCorpusSettings()
{
    ResetProgramState();
    AppSettings.displayMode = 2;
    AppSettings.modeId = 0x50031303;
    AppSettings.depth = 24;
    AppSettings.fpsLimit = 25;
    AppSettings.fpsLimitEnabled = 1;
    AppSettings.masterVolume = 40;
    AppSettings.soundEnabled = 0;
    ToolConfig.hideSound = 0;
}

// Merges one corpus icon; returns false when the store does not take the file as an icon.
bool MergeOne(const fs::path &source, const fs::path &relative, const TempDir &dir)
{
    SCOPED_TRACE(source.string());
    const std::string original = ReadFileBytes(source.string());
    WriteFileBytes(dir.file("Icon.info"), original);
    ScopedChdir cd(dir.path());

    DiskObject *probe = GetDiskObject("Icon");
    if (probe == nullptr) {
        return false;
    }
    FreeDiskObject(probe);

    std::optional<IconLayout> before = WalkIcon(original);
    EXPECT_TRUE(before.has_value()) << "the store reads a file the classic walk does not";
    if (!before) {
        return true;
    }

    UseCorpusSettings();
    EXPECT_EQ(WriteIconSettings("Icon"), 0);
    const std::string merged = ReadFileBytes(dir.file("Icon.info"));

    // A NewIcons image block runs from its marker (with the single-space entry that
    // usually goes before it) to the end; it is image data, not tooltypes.
    std::size_t blockStart = before->entries.size();
    for (std::size_t i = 0; i < before->entries.size(); ++i) {
        if (before->entries[i] == kNewIconsMarker) {
            blockStart = i > 0 && before->entries[i - 1] == " " ? i - 1 : i;
            break;
        }
    }
    const std::vector<std::string> imageBlock(before->entries.begin() + blockStart, before->entries.end());

    // Expected list: the kept entries without their leading spaces, then the settings.
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < blockStart; ++i) {
        const std::string &entry = before->entries[i];
        std::string kept = entry.substr(std::min(entry.find_first_not_of(' '), entry.size()));
        if (!IsManagedKey(kept)) {
            expected.push_back(kept);
        }
    }
    expected.insert(expected.end(), kSettingsEntries.begin(), kSettingsEntries.end());
    EXPECT_EQ(StoreList("Icon"), expected);

    // Nothing but the tooltypes changed: the bytes before and after the section are
    // the same (the tooltype pointer may become non-zero), and the image block follows
    // the new list unchanged.
    std::optional<IconLayout> after = WalkIcon(merged);
    EXPECT_TRUE(after.has_value());
    if (after) {
        EXPECT_EQ(after->toolTypesStart, before->toolTypesStart);
        std::string prefixBefore = original.substr(0, before->toolTypesStart);
        std::string prefixAfter = merged.substr(0, after->toolTypesStart);
        EXPECT_NE(Be32(merged, 54), 0u);
        prefixBefore.replace(54, 4, 4, '\0');
        prefixAfter.replace(54, 4, 4, '\0');
        EXPECT_TRUE(prefixBefore == prefixAfter) << "bytes before the tooltypes changed";
        EXPECT_TRUE(original.substr(before->toolTypesEnd) == merged.substr(after->toolTypesEnd))
            << "bytes after the tooltypes changed";
        std::vector<std::string> section = expected;
        section.insert(section.end(), imageBlock.begin(), imageBlock.end());
        EXPECT_EQ(after->entries, section);
    }

    if (const char *out = std::getenv("ICON_CORPUS_OUT"); out != nullptr && out[0] != '\0') {
        fs::path target = fs::path(out) / relative;
        fs::create_directories(target.parent_path());
        WriteFileBytes(target.string(), merged);
    }
    return true;
}

}  // namespace

TEST(SettingsCorpus, MergingChangesOnlyTheToolTypes)
{
    std::vector<CorpusFolder> folders = CorpusFolders();
    if (folders.empty()) {
        GTEST_SKIP() << "no icon corpus";
    }
    int merged = 0;
    for (const CorpusFolder &folder : folders) {
        for (const auto &item : fs::recursive_directory_iterator(folder.path)) {
            if (!item.is_regular_file() || item.path().extension() != ".info") {
                continue;
            }
            TempDir dir;
            if (MergeOne(item.path(), fs::relative(item.path(), folder.path), dir)) {
                ++merged;
            } else if (folder.allIcons) {
                ADD_FAILURE() << "corpus icon not read: " << item.path();
            }
        }
    }
    EXPECT_GT(merged, 0);
    ResetProgramState();
}
