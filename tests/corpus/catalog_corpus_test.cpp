// Real catalogs made by other people's tools: the reader gives every text of
// their translations, and the project's compiler makes catalogs that show the same.
// The project's own translations are complete and built.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/formats/catalog_compiler.h"
#include "platform/formats/catalog_file.h"
#include "platform/locale.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"

namespace fs = std::filesystem;

namespace {

// What the program shows for each id of the description: the catalog's text, else
// the built-in one. Compilers differ on storing a translation equal to its original.
std::map<std::int32_t, std::string> ShownTexts(const CatalogFile &catalog, const CatalogDescription &description)
{
    std::map<std::int32_t, std::string> texts;
    for (const CatalogSourceEntry &entry : description.entries) {
        const CatalogText *text = FindCatalogText(catalog, entry.id);
        texts[entry.id] = text != nullptr ? text->text : entry.text;
    }
    return texts;
}

// One set: SET/NAME.cd and, for each language, SET/LANG/NAME.ct and SET/LANG/NAME.catalog.
void CheckSet(const fs::path &set, int *catalogs)
{
    for (auto it = fs::recursive_directory_iterator(set); it != fs::recursive_directory_iterator(); ++it) {
        const fs::path ct = it->path();
        const fs::path catalogPath = fs::path(ct).replace_extension(".catalog");
        const fs::path cd = set / fs::path(ct.filename()).replace_extension(".cd");
        if (it.depth() != 1 || ct.extension() != ".ct" || !fs::exists(catalogPath) || !fs::exists(cd)) {
            continue;
        }
        SCOPED_TRACE(catalogPath.string());
        CatalogDescription description;
        CatalogTranslation translation;
        std::string error;
        ASSERT_TRUE(ParseCatalogDescription(ReadFileBytes(cd), &description, &error)) << error;
        ASSERT_TRUE(ParseCatalogTranslation(ReadFileBytes(ct), &translation, &error)) << error;
        // Read as stored: the texts in the catalog's set, as the translation holds them.
        const std::string realBytes = ReadFileBytes(catalogPath);
        CatalogFile real;
        ASSERT_EQ(ParseCatalog(reinterpret_cast<const unsigned char *>(realBytes.data()), realBytes.size(), &real),
                  CatalogStatus::Ok);
        ++*catalogs;

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
                EXPECT_EQ(text->text, entry.text);
            }
        }

        CatalogFile compiled;
        const std::string bytes = BuildCatalog(description, translation, nullptr);
        ASSERT_EQ(ParseCatalog(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size(), &compiled),
                  CatalogStatus::Ok);
        EXPECT_EQ(ShownTexts(compiled, description), ShownTexts(real, description));
        EXPECT_EQ(compiled.language, real.language);
        EXPECT_EQ(compiled.codeset, real.codeset);
    }
}

}  // namespace

TEST(CatalogCorpus, CorpusCatalogsReadAndCompileAlike)
{
    const fs::path folder = fs::path(kSharedCorpusDir) / "catalogs";
    if (!fs::is_directory(folder)) {
        GTEST_SKIP() << "no catalog corpus in " << folder;
    }
    int catalogs = 0;
    for (const auto &set : fs::directory_iterator(folder)) {
        if (set.is_directory()) {
            CheckSet(set.path(), &catalogs);
        }
    }
    EXPECT_GT(catalogs, 0);
}

// Every translation in catalogs/ has every label of its description, and the
// build holds it compiled: a catalog in the translation's set with its texts.
TEST(CatalogCorpus, ShippedTranslationsAreCompleteAndBuilt)
{
    int translations = 0;
    for (const auto &file : fs::recursive_directory_iterator(fs::path(SOURCE_DIR) / "catalogs")) {
        const fs::path ct = file.path();
        if (ct.extension() != ".ct") {
            continue;
        }
        SCOPED_TRACE(ct.string());
        ++translations;
        const std::string name = ct.stem().string();
        CatalogDescription description;
        CatalogTranslation translation;
        std::string error;
        ASSERT_TRUE(ParseCatalogDescription(ReadFileBytes(ct.parent_path().parent_path() / (name + ".cd")),
                                            &description, &error))
            << error;
        ASSERT_TRUE(ParseCatalogTranslation(ReadFileBytes(ct), &translation, &error)) << error;
        std::set<std::string> labels;
        for (const CatalogSourceEntry &entry : translation.entries) {
            labels.insert(entry.label);
        }
        for (const CatalogSourceEntry &entry : description.entries) {
            EXPECT_EQ(labels.count(entry.label), 1u) << entry.label << " is not translated";
        }

        const std::string folder = name == "asl" || name == "muimaster" ? "/Sys/" : "/Vellumine/";
        CatalogFile built, fresh;
        ASSERT_EQ(
            ReadCatalogFile(BUILD_DIR "/Catalogs/" + ct.parent_path().filename().string() + folder + name + ".catalog",
                            &built),
            CatalogStatus::Ok);
        const std::string bytes = BuildCatalog(description, translation, nullptr);
        ASSERT_EQ(ParseCatalog(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size(), &fresh),
                  CatalogStatus::Ok);
        ASSERT_TRUE(ConvertCatalogTexts(&fresh));
        EXPECT_EQ(built.codeset, translation.codeset);
        ASSERT_EQ(built.texts.size(), fresh.texts.size());
        for (std::size_t i = 0; i < fresh.texts.size(); ++i) {
            EXPECT_EQ(built.texts[i].id, fresh.texts[i].id);
            EXPECT_EQ(built.texts[i].text, fresh.texts[i].text);
        }
    }
    EXPECT_GE(translations, 8);
}
