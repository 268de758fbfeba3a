// Catalogs: reading FORM CTLG files, and compiling them from .cd and .ct sources.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "platform/formats/big_endian.h"
#include "platform/formats/catalog_compiler.h"
#include "platform/formats/catalog_file.h"
#include "support/catalog_test_util.h"

namespace {

CatalogStatus Parse(const std::string &bytes, CatalogFile *out)
{
    return ParseCatalog({reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size()}, out);
}

std::string TextOf(const CatalogFile &catalog, std::int32_t id)
{
    const CatalogText *text = FindCatalogText(catalog, id);
    return text != nullptr ? text->text : "<absent>";
}

// The first text of a repeated id counts; a length ends the text with or
// without a counted zero; texts stay in the catalog's set, and a set without a
// name is refused. Unknown chunks, missing optional ones (only STRS here), and
// a last text without its padding are fine.
TEST(CatalogFile, ReadsTextsAsStoredAndSkipsWhatItDoesNotNeed)
{
    const std::string menu = std::string("S\0Speichern", 11);
    for (bool countZero : {true, false}) {
        const std::string bytes =
            MakeCatalogBytes({{3, "\xCF\xF0\xE8"}, {1, menu}, {20, ""}, {3, "second"}}, 2251, "deutsch", countZero);
        CatalogFile catalog;
        ASSERT_EQ(Parse(bytes, &catalog), CatalogStatus::Ok);
        EXPECT_EQ(catalog.codeset, 2251u);
        EXPECT_EQ(TextOf(catalog, 3), "\xCF\xF0\xE8");
        EXPECT_EQ(TextOf(catalog, 1), menu);
        EXPECT_EQ(TextOf(catalog, 20), "");
    }
    CatalogFile catalog;
    ASSERT_EQ(Parse(std::string("FORM\0\0\0\043CTLG"
                                "AUTH\0\0\0\x03me\0\0"
                                "STRS\0\0\0\x0B",
                                32) +
                        std::string("\0\0\0\x07\0\0\0\003ab\0", 11),
                    &catalog),
              CatalogStatus::Ok);
    EXPECT_EQ(TextOf(catalog, 7), "ab");
    EXPECT_EQ(Parse(MakeCatalogBytes({{1, "x"}}, 2105), &catalog), CatalogStatus::UnknownCodeset);
    EXPECT_TRUE(catalog.texts.empty());
}

TEST(CatalogFile, MalformedInputIsRejected)
{
    const std::string good = MakeCatalogBytes({{1, "eins"}, {2, "zwei"}});
    const std::size_t strs = good.find("STRS"), cset = good.find("CSET");
    const auto strsSize = static_cast<std::uint32_t>(good.size() - strs - 8);  // the last chunk
    std::vector<std::pair<std::string, const char *>> bad = {
        {"FORM" + good.substr(4, 4) + "ILBM" + good.substr(12), "not a catalog"},
        {"LIST" + good.substr(4), "not a FORM"},
    };
    for (std::size_t length = 0; length < good.size(); ++length) {
        bad.emplace_back(good.substr(0, length), "cut short");
    }
    const std::tuple<std::size_t, std::uint32_t, const char *> corruptions[] = {
        {4, 2, "FORM size below 4"},
        {strs + 4, 0x7FFFFFFFu, "chunk past the FORM"},
        {strs + 12, 0xFFFFFFFFu, "text length past the chunk"},
        {strs + 12, strsSize - 8 + 1, "text length one past the chunk"},
        {strs + 4, 20, "a partial entry header"},
        {cset + 4, 2, "CSET shorter than its code"},
    };
    for (const auto &[offset, value, what] : corruptions) {
        std::string field;
        PutBE32(field, value);
        bad.emplace_back(std::string(good).replace(offset, 4, field), what);
    }
    for (const auto &[bytes, what] : bad) {
        CatalogFile parsed;
        parsed.language = "left over";
        EXPECT_EQ(Parse(bytes, &parsed), CatalogStatus::Malformed) << what << " at " << bytes.size();
        EXPECT_TRUE(parsed.texts.empty() && parsed.language.empty()) << what;
    }
}

CatalogFile Compile(const std::string &cd, const std::string &ct, std::vector<std::string> *warnings)
{
    CatalogDescription description;
    CatalogTranslation translation;
    std::string error;
    EXPECT_TRUE(ParseCatalogDescription(cd, &description, &error)) << error;
    EXPECT_TRUE(ParseCatalogTranslation(ct, &translation, &error)) << error;
    CatalogFile catalog;
    Parse(BuildCatalog(description, translation, warnings), &catalog);
    return catalog;
}

// Escapes as other catalog compilers read them; a catalog holds the header
// and the texts that differ from the originals.
TEST(CatalogCompiler, EscapesAreResolvedAndChangedTextsKept)
{
    EXPECT_EQ(ResolveEscapes("a\\nb\\tc\\\\d\\\"e"), "a\nb\tc\\d\"e");
    EXPECT_EQ(ResolveEscapes("\\e[1m\\033\\c"), "\033[1m\033\x9B");
    EXPECT_EQ(ResolveEscapes("\\xE9\\x4g\\xg"), "\xE9\x04gxg");
    EXPECT_EQ(ResolveEscapes("\\0\\1234"), std::string("\0S4", 3));
    EXPECT_EQ(ResolveEscapes("end\\"), "end\\");
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
    warnings.clear();
    Compile("A (//)\na\n", "## codeset 2105\nA\nb\n", &warnings);
    EXPECT_EQ(warnings.size(), 1u);
}

}  // namespace
