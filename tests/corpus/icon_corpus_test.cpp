// Every real icon, classic or PNG, of the shared corpus and of the folders in
// ICON_CORPUS: it reads, writing it back with its own list gives the same bytes, and
// writing another list or merging the settings changes nothing but the tooltypes.
#include <gtest/gtest.h>

#include <strings.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/program_reset.h"
#include "e2e/icon_walk.h"
#include "platform/icon_store.h"
#include "settings/app_settings.h"
#include "settings/settings_writer.h"
#include "support/corpus_folders.h"
#include "support/icon_test_util.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"

namespace fs = std::filesystem;

namespace {

using Entries = std::vector<std::string>;

// The written icon differs from the original only in its tooltypes: list, then the
// original's image block. The tooltype pointer only tells whether there is a list.
void ExpectOnlyToolTypesChanged(const std::string &original, const std::string &written, const Entries &list)
{
    std::optional<IconSections> before = WalkIcon(original), after = WalkIcon(written);
    ASSERT_TRUE(before.has_value() && after.has_value()) << "not an icon to the independent walk";
    const std::uint32_t was = BigEndian(original, 54, 4), is = BigEndian(written, 54, 4);
    EXPECT_TRUE(was != 0 ? is == was : (is != 0) == !list.empty()) << "tooltype pointer " << was << " -> " << is;
    std::string head = original.substr(0, before->start), newHead = written.substr(0, after->start);
    head.replace(54, 4, 4, '\0');
    newHead.replace(54, 4, 4, '\0');
    EXPECT_TRUE(head == newHead) << "bytes before the tooltypes changed";
    EXPECT_TRUE(original.substr(before->end) == written.substr(after->end)) << "bytes after the tooltypes changed";
    Entries section = list;
    section.insert(section.end(), before->entries.begin() + static_cast<std::ptrdiff_t>(before->imageBlock),
                   before->entries.end());
    EXPECT_EQ(after->entries, section);
    EXPECT_EQ(ReadToolTypes("Icon"), list);
}

// The same for a PNG icon: outside the first icOn's tooltype tags nothing changed
// (an icOn is added only for a list), and that chunk's CRC is right.
void ExpectOnlyPngToolTypesChanged(const std::string &original, const std::string &written, const Entries &list)
{
    std::optional<PngSections> before = WalkPngIcon(original), after = WalkPngIcon(written);
    ASSERT_TRUE(before.has_value() && after.has_value()) << "not a PNG icon to the independent walk";
    EXPECT_TRUE(after->chunks == before->chunks) << "chunks outside the first icOn changed";
    EXPECT_EQ(after->icOnAt, before->icOnAt);
    EXPECT_TRUE(after->tags == before->tags) << "the first icOn's other tags changed";
    EXPECT_EQ(after->hasIcOn, before->hasIcOn || !list.empty());
    EXPECT_TRUE(after->crcOk);
    EXPECT_EQ(after->toolTypes, list);
    EXPECT_EQ(ReadToolTypes("Icon"), list);
}

// The tooltypes a merge keeps (all of a PNG icon's; a classic icon's before its image block).
Entries OwnToolTypes(const std::string &bytes)
{
    if (std::optional<PngSections> png = WalkPngIcon(bytes)) {
        return png->toolTypes;
    }
    std::optional<IconSections> s = WalkIcon(bytes);
    return s ? Entries(s->entries.begin(), s->entries.begin() + static_cast<std::ptrdiff_t>(s->imageBlock))
             : Entries{"(not an icon)"};
}

struct CorpusIcon {
    fs::path path, relative;  // relative to its corpus folder
};

class IconCorpus : public testing::Test {
protected:
    void SetUp() override
    {
        std::vector<std::string> folders = FoldersFromEnvironment("ICON_CORPUS");
        for (const char *kind : {"png-icons", "icons"}) {
            if (fs::path shared = fs::path(kSharedCorpusDir) / kind; fs::is_directory(shared)) {
                folders.insert(folders.begin(), shared.string());
            }
        }
        for (const std::string &folder : folders) {
            ASSERT_TRUE(fs::is_directory(folder)) << folder << " is not a folder";
            for (const auto &item : fs::recursive_directory_iterator(folder)) {
                const std::string name = item.path().filename().string();
                if (item.is_regular_file() && name.size() > 5 && strcasecmp(name.c_str() + name.size() - 5, ".info") == 0) {
                    icons_.push_back({item.path(), fs::relative(item.path(), folder)});
                }
            }
        }
        if (icons_.empty()) {
            GTEST_SKIP() << "no icon corpus: neither " << kSharedCorpusDir << "/icons nor ICON_CORPUS";
        }
    }
    void TearDown() override { ResetProgramState(); }

    // Copies the icon into a fresh current folder as "Icon.info"; returns its bytes.
    std::string Stage(const CorpusIcon &icon)
    {
        cd_.reset();
        dir_.emplace();
        const std::string bytes = ReadFileBytes(icon.path.string());
        WriteFileBytes(dir_->file("Icon.info"), bytes);
        cd_.emplace(dir_->path());
        return bytes;
    }

    std::vector<CorpusIcon> icons_;
    std::optional<TempDir> dir_;
    std::optional<ScopedChdir> cd_;
};

}  // namespace

TEST_F(IconCorpus, EveryIconReadsAndWritesBackUnchanged)
{
    for (const CorpusIcon &icon : icons_) {
        SCOPED_TRACE(icon.path.string());
        const std::string original = Stage(icon);
        DiskObject *object = GetDiskObject("Icon");
        ASSERT_NE(object, nullptr);
        ASSERT_NE(object->do_ToolTypes, nullptr);
        std::optional<PngSections> png = WalkPngIcon(original);
        EXPECT_EQ(object->do_Type, png ? png->type : static_cast<std::uint8_t>(original[48]));
        EXPECT_TRUE(PutDiskObject("Icon", object));
        FreeDiskObject(object);
        // A wrong CRC on a PNG icon's icOn is mended; nothing else changes.
        std::string expected = original, written = ReadFileBytes("Icon.info");
        if (png && png->hasIcOn && written.size() == original.size()) {
            expected.replace(png->crcAt, 4, written, png->crcAt, 4);
            std::optional<PngSections> again = WalkPngIcon(written);
            EXPECT_TRUE(again && again->crcOk);
        }
        EXPECT_EQ(written, expected);
    }
}

TEST_F(IconCorpus, AnotherListChangesOnlyTheToolTypes)
{
    const Entries lists[] = {
        {}, {"WINDOW"}, {"DONOTWAIT", "", "MASTERVOLUME=40", "NOSOUND", "(WINDOWTITLE=Caf\xe9)", "FULLSCREEN"}};
    for (const CorpusIcon &icon : icons_) {
        for (const Entries &list : lists) {
            SCOPED_TRACE(icon.path.string() + " with " + std::to_string(list.size()) + " tooltypes");
            const std::string original = Stage(icon);
            EXPECT_TRUE(WriteToolTypes("Icon", list));
            (WalkPngIcon(original) ? ExpectOnlyPngToolTypesChanged
                                   : ExpectOnlyToolTypesChanged)(original, ReadFileBytes("Icon.info"), list);
        }
    }
}

// Merging displayMode 2, modeId 0x50031303, depth 24, limit 25 on, volume 40, sound
// off: the kept entries without their leading spaces, then the settings. Each
// merged icon is also written under ICON_CORPUS_OUT when it names a folder.
TEST_F(IconCorpus, MergingTheSettingsChangesOnlyTheToolTypes)
{
    const Entries settings = {"MASTERVOLUME=40", "NOSOUND", "FPSLIMIT=25", "MODEID=1342378755", "DEPTH=24",
                              "FULLSCREEN"};
    const char *out = std::getenv("ICON_CORPUS_OUT");
    for (const CorpusIcon &icon : icons_) {
        SCOPED_TRACE(icon.path.string());
        const std::string original = Stage(icon);
        Entries expected;
        for (const std::string &entry : OwnToolTypes(original)) {
            std::string kept = entry.substr(std::min(entry.find_first_not_of(' '), entry.size()));
            std::string key = kept.substr(0, kept.find('='));
            for (char &c : key) {
                c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
            }
            if (key != "MASTERVOLUME" && key != "NOSOUND" && key != "FPSLIMIT" && key != "WINDOW" &&
                key != "FULLSCREEN" && key != "MODEID" && key != "DEPTH") {
                expected.push_back(kept);
            }
        }
        expected.insert(expected.end(), settings.begin(), settings.end());

        ResetProgramState();
        AppSettings = {2, 0x50031303, 24, 25, 1, 40, 0};
        EXPECT_EQ(WriteIconSettings("Icon"), 1);
        const std::string merged = ReadFileBytes("Icon.info");
        (WalkPngIcon(original) ? ExpectOnlyPngToolTypesChanged : ExpectOnlyToolTypesChanged)(original, merged,
                                                                                                expected);
        if (out != nullptr && out[0] != '\0') {
            const fs::path target = fs::path(out) / icon.relative;
            fs::create_directories(target.parent_path());
            WriteFileBytes(target.string(), merged);
        }
    }
}
