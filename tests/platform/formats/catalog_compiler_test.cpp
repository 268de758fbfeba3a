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

TEST(CatalogCompiler, DescriptionIdsCommentsAndContinuations)
{
    const std::string cd =
        "#language english\r\n#version 1\n; a comment\n"
        "FIRST (//)\none\n"
        "SECOND (/2/10)\ntwo \\\nlines\n\n"
        "JUMP (100//)\nhundred\n"
        "NEXT (//)\nhundred and one\\\\\n"  // an escaped backslash does not continue
        "STEP(+4//)\n; not a comment: the text line\n";
    CatalogDescription description;
    std::string error;
    ASSERT_TRUE(ParseCatalogDescription(cd, &description, &error)) << error;
    std::vector<std::pair<std::int32_t, std::string>> entries;
    for (const CatalogSourceEntry &entry : description.entries) {
        entries.emplace_back(entry.id, entry.text);
    }
    EXPECT_EQ(entries, (std::vector<std::pair<std::int32_t, std::string>>{
                           {0, "one"}, {1, "two lines"}, {100, "hundred"}, {101, "hundred and one\\"},
                           {105, "; not a comment: the text line"}}));
    ASSERT_EQ(description.entries.size(), 5u);
    EXPECT_EQ(description.entries[1].minLength, 2);
    EXPECT_EQ(description.entries[1].maxLength, 10);
}

TEST(CatalogCompiler, MalformedSourcesAreRefusedWithTheLine)
{
    CatalogDescription description;
    std::string error;
    EXPECT_FALSE(ParseCatalogDescription("A (//)\none\nB (x//)\ntwo\n", &description, &error));
    EXPECT_NE(error.find("line 3"), std::string::npos) << error;
    for (const char *cd : {"A (//)\none\nA (//)\nagain\n", "A (//)", "A one\n", "A (1)\none\n",
                           "A (99999999999//)\none\n", "A (-5//)\none\n"}) {
        EXPECT_FALSE(ParseCatalogDescription(cd, &description, &error)) << cd;
    }
    CatalogTranslation translation;
    for (const char *ct : {"A B\ntext\n", "## codeset x\n", "## chunk TOOLONG x\n"}) {
        EXPECT_FALSE(ParseCatalogTranslation(ct, &translation, &error)) << ct;
    }
}

TEST(CatalogCompiler, CatalogHoldsTheHeaderAndTheChangedTexts)
{
    const std::string cd =
        "MSG_A (//)\nProject\nMSG_B (//)\nS\\000Save\nMSG_C (//)\nSame\nMSG_D (//)\nEmpty\nMSG_E (//)\nUntranslated\n";
    const std::string ct =
        "## version $VER: Test.catalog 1.2 (1.2.2024)\n"
        "## language fran\xE7" "ais\n"
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
    EXPECT_EQ(catalog.language, "fran\xE7" "ais");
    EXPECT_EQ(catalog.codeset, 0u);
    EXPECT_EQ(TextOf(catalog, 0), "Projet");
    EXPECT_EQ(TextOf(catalog, 1), std::string("E\0Enregistrer", 13));
    EXPECT_EQ(TextOf(catalog, 2), "<absent>");  // identical to the original
    EXPECT_EQ(TextOf(catalog, 3), "");          // empty: kept, as other compilers do
    EXPECT_EQ(TextOf(catalog, 4), "<absent>");
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("MSG_UNKNOWN"), std::string::npos);

    // Texts outside a description's length bounds are kept, with a warning.
    warnings.clear();
    catalog = Compile("A (/3/5)\nabcd\nB (/3/5)\nabcd\n", "A\nab\nB\nabcdef\n", &warnings);
    EXPECT_EQ(TextOf(catalog, 0), "ab");
    EXPECT_EQ(warnings.size(), 2u);
}

}  // namespace
