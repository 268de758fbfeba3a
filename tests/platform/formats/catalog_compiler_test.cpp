#include <gtest/gtest.h>

#include <string>

#include "platform/formats/catalog_compiler.h"
#include "platform/formats/catalog_file.h"

namespace {

CatalogFile Compile(const std::string &cd, const std::string &ct, std::vector<std::string> *warnings = nullptr)
{
    CatalogDescription description;
    CatalogTranslation translation;
    std::string error;
    EXPECT_TRUE(ParseCatalogDescription(cd, &description, &error)) << error;
    EXPECT_TRUE(ParseCatalogTranslation(ct, &translation, &error)) << error;
    std::string bytes = BuildCatalog(description, translation, warnings);
    CatalogFile catalog;
    EXPECT_EQ(ParseCatalog(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size(), &catalog),
              CatalogStatus::Ok);
    return catalog;
}

std::string TextOf(const CatalogFile &catalog, std::int32_t id)
{
    const CatalogText *text = FindCatalogText(catalog, id);
    return text != nullptr ? text->text : "<absent>";
}

TEST(CatalogCompiler, EscapesAreResolved)
{
    EXPECT_EQ(ResolveEscapes("S\\000Save"), std::string("S\0Save", 6));
    EXPECT_EQ(ResolveEscapes("a\\nb\\tc\\\\d\\\"e"), "a\nb\tc\\d\"e");
    EXPECT_EQ(ResolveEscapes("\\e[1m\\033\\c"), "\033[1m\033\x9B");
    EXPECT_EQ(ResolveEscapes("\\xE9\\x4g\\xg"), "\xE9\x04gxg");
    EXPECT_EQ(ResolveEscapes("\\0\\1234"), std::string("\0S4", 3));
    EXPECT_EQ(ResolveEscapes("end\\"), "end\\");
}

TEST(CatalogCompiler, CatalogHoldsTheHeaderAndTheChangedTexts)
{
    const std::string cd =
        "MSG_A (//)\nProject\nMSG_B (//)\nS\\000Save\nMSG_C (//)\nSame\nMSG_D (//)\nEmpty\nMSG_E (//)\nUntranslated\n";
    const std::string ct = "## version $VER: Test.catalog 1.2 (1.2.2024)\n"
                           "## language fran\347ais\n"
                           "## codeset 0\n"
                           "## chunk AUTH Someone\n"
                           "## rcsid whatever\n"
                           ";\n"
                           "MSG_A\nProjet\n; Project\n"
                           "MSG_B (//)\nE\\000Enregistrer\n"
                           "MSG_C\nSame\n"
                           "MSG_D\n\n"
                           "MSG_UNKNOWN\nnobody\n";
    std::vector<std::string> warnings;
    CatalogFile catalog = Compile(cd, ct, &warnings);
    EXPECT_EQ(catalog.version, "$VER: Test.catalog 1.2 (1.2.2024)");
    EXPECT_EQ(catalog.language, "fran\347ais");
    EXPECT_EQ(catalog.codeset, 0u);
    EXPECT_EQ(TextOf(catalog, 0), "Projet");
    EXPECT_EQ(TextOf(catalog, 1), std::string("E\0Enregistrer", 13));
    EXPECT_EQ(TextOf(catalog, 2), "<absent>");  // identical to the original
    EXPECT_EQ(TextOf(catalog, 3), "");          // empty: kept, as other compilers do
    EXPECT_EQ(TextOf(catalog, 4), "<absent>");
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("MSG_UNKNOWN"), std::string::npos);

    // Texts outside a description's length bounds, or not in the set the
    // translation names, and a set the reader lacks are kept, with a warning.
    warnings.clear();
    catalog = Compile("A (/3/5)\nabcd\nB (/3/5)\nabcd\n", "## codeset 106\nA\nab\nB\nabcd\xE9\n", &warnings);
    EXPECT_EQ(TextOf(catalog, 0), "ab");
    EXPECT_EQ(warnings.size(), 2u);
    CatalogDescription description;
    CatalogTranslation translation;
    std::string error;
    ASSERT_TRUE(ParseCatalogDescription("A (//)\na\n", &description, &error));
    ASSERT_TRUE(ParseCatalogTranslation("## codeset 2105\nA\nb\n", &translation, &error));
    warnings.clear();
    BuildCatalog(description, translation, &warnings);
    EXPECT_EQ(warnings.size(), 1u);
}

}  // namespace
