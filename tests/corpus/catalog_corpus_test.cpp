// Real catalogs made by other people's tools: the reader gives every text of
// their translations, and the project's compiler makes catalogs that show the same.
// The project's own translations are complete and built, and name a drawer with one word.
#include <gtest/gtest.h>

#include <QString>
#include <filesystem>
#include <map>
#include <string>
#include <utility>

#include "platform/formats/catalog_compiler.h"
#include "platform/formats/catalog_file.h"
#include "platform/system/locale.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"

namespace fs = std::filesystem;

namespace {

using Sources = std::pair<CatalogDescription, CatalogTranslation>;

// The description and the translation read from their files.
Sources ReadSources(const fs::path &cd, const fs::path &ct)
{
    Sources sources;
    std::string error;
    EXPECT_TRUE(ParseCatalogDescription(ReadFileBytes(cd), &sources.first, &error)) << error;
    EXPECT_TRUE(ParseCatalogTranslation(ReadFileBytes(ct), &sources.second, &error)) << error;
    return sources;
}

// What the program shows for each label of the description from a catalog: its
// text, else the built-in one. Compilers differ on storing a translation equal
// to its original.
std::map<std::string, std::string> ShownTexts(const std::string &bytes, const CatalogDescription &description)
{
    CatalogFile catalog;
    EXPECT_EQ(ParseCatalog({reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size()}, &catalog),
              CatalogStatus::Ok);
    std::map<std::string, std::string> texts;
    for (const CatalogSourceEntry &entry : description.entries) {
        const CatalogText *text = FindCatalogText(catalog, entry.id);
        texts[entry.label] = text != nullptr ? text->text : entry.text;
    }
    return texts;
}

// What the translation asks for: its first text of each label, else the original.
std::map<std::string, std::string> TranslatedTexts(const CatalogDescription &description,
                                                   const CatalogTranslation &translation)
{
    std::map<std::string, std::string> texts;
    for (const CatalogSourceEntry &entry : description.entries) {
        texts[entry.label] = entry.text;
    }
    for (auto entry = translation.entries.rbegin(); entry != translation.entries.rend(); ++entry) {
        if (texts.count(entry->label) != 0) {
            texts[entry->label] = entry->text;
        }
    }
    return texts;
}

// A drawer's name in each language (its stem): every text whose English says drawer says it.
const std::map<std::string, QString> kDrawer = {
    {"dansk", "skuffe"},     {"deutsch", "schublade"}, {"español", "cajón"}, {"français", "tiroir"},
    {"italiano", "cassett"}, {"nederlands", "lade"},   {"norsk", "skuff"},   {"polski", "szuflad"},
    {"português", "gaveta"}, {"suomi", "laatik"},      {"svenska", "låd"},   {"čeština", "zásuv"},
    {"ελληνικά", "συρτάρ"},  {"русский", "ящик"}};

}  // namespace

// Each set: SET/NAME.cd and, for each language, SET/LANG/NAME.ct and SET/LANG/NAME.catalog.
// Read as stored: the texts in the catalog's set, as the translation holds them.
TEST(CatalogCorpus, CorpusCatalogsReadAndCompileAlike)
{
    const fs::path folder = fs::path(kSharedCorpusDir) / "catalogs";
    if (!fs::is_directory(folder)) {
        GTEST_SKIP() << "no catalog corpus in " << folder;
    }
    int catalogs = 0;
    for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it) {
        const fs::path ct = it->path();
        const fs::path catalogPath = fs::path(ct).replace_extension(".catalog");
        const fs::path cd = ct.parent_path().parent_path() / fs::path(ct.filename()).replace_extension(".cd");
        if (it.depth() != 2 || ct.extension() != ".ct" || !fs::exists(catalogPath) || !fs::exists(cd)) {
            continue;
        }
        SCOPED_TRACE(catalogPath.string());
        ++catalogs;
        const auto [description, translation] = ReadSources(cd, ct);
        const std::string compiled = BuildCatalog(description, translation, nullptr);
        EXPECT_EQ(ShownTexts(ReadFileBytes(catalogPath), description), TranslatedTexts(description, translation));
        EXPECT_EQ(ShownTexts(compiled, description), TranslatedTexts(description, translation));
    }
    EXPECT_GT(catalogs, 0);
}

// Every translation in catalogs/ has every label of its description, the build holds
// it compiled, readable in the translation's set, and it names a drawer by one word.
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
        const auto [description, translation] = ReadSources(ct.parent_path().parent_path() / (name + ".cd"), ct);
        std::map<std::string, int> labels;
        for (const CatalogSourceEntry &entry : translation.entries) {
            ++labels[entry.label];
        }
        for (const CatalogSourceEntry &entry : description.entries) {
            EXPECT_EQ(labels[entry.label], 1) << entry.label << " is not translated once";
        }

        const std::string language = ct.parent_path().filename().string();
        const std::string built = BUILD_DIR "/Catalogs/" + language +
                                  (name == "asl" || name == "muimaster" ? "/Sys/" : "/Vellumine/") + name + ".catalog";
        CatalogFile catalog;
        EXPECT_EQ(ReadCatalogFile(built, &catalog), CatalogStatus::Ok);
        EXPECT_EQ(catalog.codeset, translation.codeset);
        EXPECT_EQ(ReadFileBytes(built), BuildCatalog(description, translation, nullptr));
        for (const CatalogSourceEntry &entry : description.entries) {
            const CatalogText *text = FindCatalogText(catalog, entry.id);
            if (QString::fromStdString(entry.text).remove("--list-drawers").contains("drawer") && text != nullptr) {
                EXPECT_TRUE(QString::fromStdString(text->text).toLower().contains(kDrawer.at(language))) << entry.label;
            }
        }
    }
    EXPECT_GE(translations, 8);
}
