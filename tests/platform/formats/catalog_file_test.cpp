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

// UTF-8 and windows-1252 to ISO-8859-1, what it lacks as "?"; broken UTF-8 too.
TEST(CatalogFile, CharacterSetsAreConvertedToLatin1)
{
    CatalogFile catalog;
    ASSERT_EQ(Parse(MakeCatalogBytes({{1, "Gr\xC3\xB6\xC3\237e \xE2\x82\xAC"}, {2, std::string("K\0\xC3\xA4", 4)}},
                                     CATALOG_CODESET_UTF8),
                    &catalog),
              CatalogStatus::Ok);
    EXPECT_EQ(TextOf(catalog, 1), "Gr\xF6\337e ?");
    EXPECT_EQ(TextOf(catalog, 2), std::string("K\0\xE4", 3));
    ASSERT_EQ(Parse(MakeCatalogBytes({{1, "\x80 caf\xE9 \x93x\x9F"}}, CATALOG_CODESET_WINDOWS1252), &catalog),
              CatalogStatus::Ok);
    EXPECT_EQ(TextOf(catalog, 1), "? caf\xE9 ?x?");
    ASSERT_EQ(Parse(MakeCatalogBytes({{1, "\x80\xE9"}}, CATALOG_CODESET_LATIN1), &catalog), CatalogStatus::Ok);
    EXPECT_EQ(TextOf(catalog, 1), "\x80\xE9");
    EXPECT_EQ(Parse(MakeCatalogBytes({{1, "x"}}, 2251), &catalog), CatalogStatus::UnknownCodeset);
    EXPECT_TRUE(catalog.texts.empty());

    const std::pair<const char *, const char *> broken[] = {
        {"a\xC3", "a?"},    {"\xC3x", "?x"},           {"\xC0\x80", "?"}, {"\xED\xA0\x80", "?"},
        {"\x80\xFF", "??"}, {"\xF4\x90\x80\x80", "?"},  // cut short, overlong, a surrogate, stray bytes, beyond Unicode
    };
    for (const auto &[in, out] : broken) {
        EXPECT_EQ(Utf8ToLatin1(in), out) << in;
    }
}

}  // namespace
