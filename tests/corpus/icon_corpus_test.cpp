// Every real icon of the shared corpus and of the folders in ICON_CORPUS: it reads,
// writing it back with its own list gives the same bytes, and writing another list
// changes nothing but the tooltype section.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/icon_file.h"
#include "platform/icon_store.h"
#include "support/corpus_folders.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> CorpusFolders()
{
    std::vector<std::string> folders;
    fs::path shared = fs::path(kSharedCorpusDir) / "icons";
    if (fs::is_directory(shared)) {
        folders.push_back(shared.string());
    }
    for (const std::string &folder : FoldersFromEnvironment("ICON_CORPUS")) {
        folders.push_back(folder);
    }
    return folders;
}

std::vector<std::string> CorpusIcons()
{
    std::vector<std::string> icons;
    for (const std::string &folder : CorpusFolders()) {
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(folder, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            std::string name = it->path().filename().string();
            if (it->is_regular_file() && name.size() > 5 &&
                strcasecmp(name.c_str() + name.size() - 5, ".info") == 0) {
                icons.push_back(it->path().string());
            }
        }
    }
    return icons;
}

std::vector<std::string> ListOf(char **toolTypes)
{
    std::vector<std::string> list;
    for (char **e = toolTypes; *e != nullptr; ++e) {
        list.emplace_back(*e);
    }
    return list;
}

// The bytes outside the tooltype section, with the tooltype pointer left out.
std::string OutsideToolTypes(const std::string &bytes, std::vector<std::string> *imageBlock)
{
    IconLayout layout;
    const auto *data = reinterpret_cast<const std::uint8_t *>(bytes.data());
    if (!ParseIcon(data, bytes.size(), layout)) {
        return "(not an icon)";
    }
    if (imageBlock != nullptr) {
        imageBlock->assign(layout.entries.begin() + static_cast<std::ptrdiff_t>(layout.imageBlockStart),
                           layout.entries.end());
    }
    std::string outside = bytes.substr(0, layout.toolTypesStart) + bytes.substr(layout.toolTypesEnd);
    outside.replace(kIconToolTypesOffset, 4, 4, '\0');
    return outside;
}

class IconCorpus : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        icons_ = CorpusIcons();
        if (icons_.empty()) {
            GTEST_SKIP() << "no icon corpus: neither " << kSharedCorpusDir << "/icons nor ICON_CORPUS";
        }
    }
    std::vector<std::string> icons_;
};

TEST_F(IconCorpus, EveryIconReadsAndWritesBackUnchanged)
{
    for (const std::string &path : icons_) {
        SCOPED_TRACE(path);
        TempDir dir;
        std::string original = ReadFileBytes(path);
        WriteFileBytes(dir.file("Icon.info"), original);
        ScopedChdir here(dir.path());

        DiskObject *icon = GetDiskObject("Icon");
        ASSERT_NE(icon, nullptr);
        ASSERT_NE(icon->do_ToolTypes, nullptr);
        EXPECT_EQ(icon->do_Type, static_cast<std::uint8_t>(original[kIconTypeOffset]));
        EXPECT_TRUE(PutDiskObject("Icon", icon));
        FreeDiskObject(icon);
        EXPECT_EQ(ReadFileBytes("Icon.info"), original);
    }
}

TEST_F(IconCorpus, AnotherListChangesOnlyTheToolTypes)
{
    std::vector<std::vector<std::string>> lists = {
        {},
        {"WINDOW"},
        {"DONOTWAIT", "", "MASTERVOLUME=40", "NOSOUND", "(WINDOWTITLE=Caf\xe9)", "FULLSCREEN"},
    };
    for (const std::string &path : icons_) {
        for (const std::vector<std::string> &wanted : lists) {
            SCOPED_TRACE(path + " with " + std::to_string(wanted.size()) + " tooltypes");
            TempDir dir;
            std::string original = ReadFileBytes(path);
            WriteFileBytes(dir.file("Icon.info"), original);
            ScopedChdir here(dir.path());

            std::vector<std::string> originalBlock;
            std::string originalOutside = OutsideToolTypes(original, &originalBlock);

            DiskObject *icon = GetDiskObject("Icon");
            ASSERT_NE(icon, nullptr);
            std::vector<char *> list;
            std::vector<std::string> texts = wanted;
            for (std::string &t : texts) {
                list.push_back(t.data());
            }
            list.push_back(nullptr);
            char **own = icon->do_ToolTypes;
            icon->do_ToolTypes = list.data();
            EXPECT_TRUE(PutDiskObject("Icon", icon));
            icon->do_ToolTypes = own;
            FreeDiskObject(icon);

            std::string written = ReadFileBytes("Icon.info");
            std::vector<std::string> writtenBlock;
            EXPECT_EQ(OutsideToolTypes(written, &writtenBlock), originalOutside);
            EXPECT_EQ(writtenBlock, originalBlock);
            bool hadPointer = std::memcmp(original.data() + kIconToolTypesOffset, "\0\0\0\0", 4) != 0;
            bool hasPointer = std::memcmp(written.data() + kIconToolTypesOffset, "\0\0\0\0", 4) != 0;
            EXPECT_EQ(hasPointer, hadPointer || !wanted.empty());
            if (hadPointer) {
                EXPECT_EQ(written.substr(kIconToolTypesOffset, 4), original.substr(kIconToolTypesOffset, 4));
            }

            DiskObject *again = GetDiskObject("Icon");
            ASSERT_NE(again, nullptr);
            EXPECT_EQ(ListOf(again->do_ToolTypes), wanted);
            FreeDiskObject(again);
        }
    }
}

} // namespace
