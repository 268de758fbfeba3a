#include <gtest/gtest.h>

#include <string>

#include "platform/formats/catalog_file.h"
#include "support/catalog_test_util.h"

namespace {

CatalogStatus Parse(const std::string &bytes, CatalogFile *out)
{
    return ParseCatalog(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size(), out);
}

std::string TextOf(const CatalogFile &catalog, std::int32_t id)
{
    const CatalogText *text = FindCatalogText(catalog, id);
    return text != nullptr ? text->text : "<absent>";
}

void SetU32(std::string *bytes, std::size_t offset, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        (*bytes)[offset + i] = static_cast<char>(value >> (24 - 8 * i));
    }
}

// The first text of a repeated id counts; a length ends the text with or without
// a counted zero.
TEST(CatalogFile, ReadsHeaderChunksAndTexts)
{
    const std::string menu = std::string("S\0Speichern", 11);
    for (bool countZero : {true, false}) {
        CatalogFile catalog;
        ASSERT_EQ(
            Parse(MakeCatalogBytes({{3, "drei"}, {1, menu}, {20, ""}, {3, "second"}}, 0, "fran\347ais", countZero),
                  &catalog),
            CatalogStatus::Ok);
        EXPECT_EQ(catalog.version, "$VER: Settings.catalog 1.0 (1.1.24)");
        EXPECT_EQ(catalog.language, "fran\347ais");
        EXPECT_EQ(TextOf(catalog, 3), "drei");
        EXPECT_EQ(TextOf(catalog, 1), menu);
        EXPECT_EQ(TextOf(catalog, 20), "");
        EXPECT_EQ(TextOf(catalog, 2), "<absent>");
    }
}

// Unknown chunks, missing optional ones (only STRS here), and a last text
// without its padding are fine.
TEST(CatalogFile, UnknownChunksMissingOptionalOnesAndMissingPaddingAreFine)
{
    std::string bytes = std::string("FORM\0\0\0\043CTLG"
                                    "AUTH\0\0\0\x03me\0\0"
                                    "STRS\0\0\0\x0B",
                                    32) +
                        std::string("\0\0\0\x07\0\0\0\003ab\0", 11);
    CatalogFile catalog;
    ASSERT_EQ(Parse(bytes, &catalog), CatalogStatus::Ok);
    EXPECT_EQ(TextOf(catalog, 7), "ab");
}

TEST(CatalogFile, MalformedInputIsRejected)
{
    const std::string good = MakeCatalogBytes({{1, "eins"}, {2, "zwei"}});
    const std::size_t strs = good.find("STRS"), cset = good.find("CSET");
    const auto strsSize = static_cast<std::uint32_t>(static_cast<unsigned char>(good[strs + 6]) << 8 |
                                                     static_cast<unsigned char>(good[strs + 7]));
    std::vector<std::pair<std::string, const char *>> bad = {
        {"", "empty"},
        {good.substr(0, 11), "shorter than a header"},
        {"FORM" + good.substr(4, 4) + "ILBM" + good.substr(12), "not a catalog"},
        {"LIST" + good.substr(4), "not a FORM"},
        {good.substr(0, good.size() - 1), "cut short"},
        {good.substr(0, strs + 4), "cut short in a chunk header"},
    };
    const struct {
        std::size_t offset;
        std::uint32_t value;
        const char *what;
    } corruptions[] = {
        {4, 2, "FORM size below 4"},
        {4, 0xFFFFFFF0u, "FORM size past the end"},
        {strs + 4, 0x7FFFFFFFu, "chunk past the FORM"},
        {strs + 12, 0xFFFFFFFFu, "text length past the chunk"},
        {strs + 12, strsSize - 8 + 1, "text length one past the chunk"},
        {strs + 4, 20, "a partial entry header"},
        {cset + 4, 2, "CSET shorter than its code"},
    };
    for (const auto &c : corruptions) {
        bad.emplace_back(good, c.what);
        SetU32(&bad.back().first, c.offset, c.value);
    }
    for (const auto &[bytes, what] : bad) {
        CatalogFile parsed;
        parsed.language = "left over";
        EXPECT_EQ(Parse(bytes, &parsed), CatalogStatus::Malformed) << what;
        EXPECT_TRUE(parsed.texts.empty() && parsed.language.empty()) << what;
    }
}

// Texts are kept in the catalog's set; a set without a name is refused.
TEST(CatalogFile, TextsStayInTheirSetAndAnUnnamedSetIsRefused)
{
    CatalogFile catalog;
    ASSERT_EQ(Parse(MakeCatalogBytes({{1, "\xCF\xF0\xE8"}}, 2251), &catalog), CatalogStatus::Ok);
    EXPECT_EQ(catalog.codeset, 2251u);
    EXPECT_EQ(TextOf(catalog, 1), "\xCF\xF0\xE8");
    EXPECT_EQ(Parse(MakeCatalogBytes({{1, "x"}}, 2105), &catalog), CatalogStatus::UnknownCodeset);
    EXPECT_TRUE(catalog.texts.empty());
}

}  // namespace
