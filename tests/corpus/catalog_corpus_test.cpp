// Real catalogs made by other people's tools: the reader gives every text of
// their translations, and the project's compiler makes the same catalogs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "catalog_compiler.h"
#include "platform/catalog_file.h"
#include "support/corpus_folders.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"

namespace fs = std::filesystem;

namespace {

struct SetResult {
    int catalogs = 0;
    int texts = 0;
};

std::string ConvertedLike(const CatalogFile &catalog, const std::string &text)
{
    switch (catalog.codeset) {
    case CATALOG_CODESET_UTF8:
        return Utf8ToLatin1(text);
    case CATALOG_CODESET_WINDOWS1252:
        return Windows1252ToLatin1(text);
    default:
        return text;
    }
}

std::map<std::int32_t, std::string> TextMap(const CatalogFile &catalog)
{
    std::map<std::int32_t, std::string> texts;
    for (const CatalogText &text : catalog.texts) {
        texts[text.id] = text.text;
    }
    return texts;
}

// One set: SET/NAME.cd, SET/LANG/NAME.ct, SET/LANG/NAME.catalog.
void CheckSet(const fs::path &set, SetResult *total)
{
    SetResult &result = *total;
    for (const auto &language : fs::directory_iterator(set)) {
        if (!language.is_directory()) {
            continue;
        }
        for (const auto &file : fs::directory_iterator(language.path())) {
            if (file.path().extension() != ".ct") {
                continue;
            }
            fs::path catalogPath = fs::path(file.path()).replace_extension(".catalog");
            fs::path descriptionPath = set / file.path().filename().replace_extension(".cd");
            if (!fs::exists(catalogPath) || !fs::exists(descriptionPath)) {
                continue;
            }
            SCOPED_TRACE(catalogPath.string());
            CatalogDescription description;
            CatalogTranslation translation;
            std::string error;
            ASSERT_TRUE(ParseCatalogDescription(ReadFileBytes(descriptionPath), &description, &error)) << error;
            ASSERT_TRUE(ParseCatalogTranslation(ReadFileBytes(file.path()), &translation, &error)) << error;
            CatalogFile real;
            ASSERT_EQ(ReadCatalogFile(catalogPath.string(), &real), CatalogStatus::Ok);
            ++result.catalogs;

            std::map<std::string, const CatalogSourceEntry *> originals;
            for (const CatalogSourceEntry &entry : description.entries) {
                originals[entry.label] = &entry;
            }
            for (const CatalogSourceEntry &entry : translation.entries) {
                auto original = originals.find(entry.label);
                if (original == originals.end()) {
                    continue;
                }
                SCOPED_TRACE(entry.label);
                const CatalogText *text = FindCatalogText(real, original->second->id);
                if (text == nullptr) {
                    // Left out of the catalog: only a translation identical to the original.
                    EXPECT_EQ(entry.text, original->second->text);
                } else {
                    EXPECT_EQ(text->text, ConvertedLike(real, entry.text));
                }
                ++result.texts;
            }

            CatalogFile compiled;
            std::string bytes = BuildCatalog(description, translation, nullptr);
            ASSERT_EQ(ParseCatalog(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size(), &compiled),
                      CatalogStatus::Ok);
            EXPECT_EQ(TextMap(compiled), TextMap(real));
            EXPECT_EQ(compiled.language, real.language);
            EXPECT_EQ(compiled.codeset, real.codeset);
        }
    }
}

bool HoldsDescriptions(const fs::path &folder)
{
    for (const auto &entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() == ".cd") {
            return true;
        }
    }
    return false;
}

// A folder of sets, or a set itself.
SetResult CheckFolder(const fs::path &folder)
{
    SetResult total;
    std::vector<fs::path> sets;
    if (HoldsDescriptions(folder)) {
        sets.push_back(folder);
    } else {
        for (const auto &entry : fs::directory_iterator(folder)) {
            if (entry.is_directory()) {
                sets.push_back(entry.path());
            }
        }
    }
    for (const fs::path &set : sets) {
        SCOPED_TRACE(set.string());
        CheckSet(set, &total);
    }
    return total;
}

TEST(CatalogCorpus, SharedCorpusCatalogsReadAndCompileAlike)
{
    fs::path folder = fs::path(kSharedCorpusDir) / "catalogs";
    if (!fs::is_directory(folder)) {
        GTEST_SKIP() << "no shared catalog corpus at " << folder;
    }
    SetResult result = CheckFolder(folder);
    EXPECT_GT(result.catalogs, 0);
    EXPECT_GT(result.texts, 0);
    std::printf("checked %d catalogs, %d texts\n", result.catalogs, result.texts);
}

TEST(CatalogCorpus, CatalogsNamedInTheEnvironmentReadAndCompileAlike)
{
    std::vector<std::string> folders = FoldersFromEnvironment("CATALOG_CORPUS");
    if (folders.empty()) {
        GTEST_SKIP() << "CATALOG_CORPUS is not set";
    }
    for (const std::string &folder : folders) {
        SCOPED_TRACE(folder);
        ASSERT_TRUE(fs::is_directory(folder)) << folder << " is not a folder";
        SetResult result = CheckFolder(folder);
        EXPECT_GT(result.catalogs, 0) << "no catalog set in " << folder;
        std::printf("%s: checked %d catalogs, %d texts\n", folder.c_str(), result.catalogs, result.texts);
    }
}

// The project's own translations compile and cover every id of the catalog description (Settings.cd).
TEST(CatalogCorpus, ShippedTranslationsCompileAndAreComplete)
{
    fs::path folder = fs::path(kSourceDir) / "catalogs";
    CatalogDescription description;
    std::string error;
    ASSERT_TRUE(ParseCatalogDescription(ReadFileBytes(folder / "Settings.cd"), &description, &error)) << error;
    ASSERT_EQ(description.entries.size(), 39u);
    for (std::size_t i = 0; i < description.entries.size(); ++i) {
        EXPECT_EQ(description.entries[i].id, static_cast<std::int32_t>(i));
    }
    int translations = 0;
    for (const auto &language : fs::directory_iterator(folder)) {
        fs::path source = language.path() / "Settings.ct";
        if (!fs::exists(source)) {
            continue;
        }
        SCOPED_TRACE(source.string());
        ++translations;
        CatalogTranslation translation;
        ASSERT_TRUE(ParseCatalogTranslation(ReadFileBytes(source), &translation, &error)) << error;
        EXPECT_EQ(translation.entries.size(), description.entries.size());
        std::vector<std::string> warnings;
        BuildCatalog(description, translation, &warnings);
        EXPECT_TRUE(warnings.empty()) << warnings.front();
    }
    EXPECT_GE(translations, 1);
}

}  // namespace
