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
    (*bytes)[offset] = static_cast<char>(value >> 24);
    (*bytes)[offset + 1] = static_cast<char>(value >> 16);
    (*bytes)[offset + 2] = static_cast<char>(value >> 8);
    (*bytes)[offset + 3] = static_cast<char>(value);
}

TEST(CatalogFile, ReadsHeaderChunksAndTextsFromMemoryOrAFile)
{
    std::string bytes = MakeCatalogBytes({{3, "drei"}, {1, "eins"}, {20, ""}, {3, "second"}}, 0, "fran\xE7" "ais");
    CatalogFile catalog;
    ASSERT_EQ(Parse(bytes, &catalog), CatalogStatus::Ok);
    EXPECT_EQ(catalog.version, "$VER: Settings.catalog 1.0 (1.1.24)");
    EXPECT_EQ(catalog.language, "fran\xE7" "ais");
    EXPECT_EQ(TextOf(catalog, 3), "drei");  // the first of a repeated id counts
    EXPECT_EQ(TextOf(catalog, 1), "eins");
    EXPECT_EQ(TextOf(catalog, 20), "");
    EXPECT_EQ(TextOf(catalog, 2), "<absent>");
}

TEST(CatalogFile, LengthEndsTheTextWithOrWithoutACountedZero)
{
    const std::string menu = std::string("S\0Speichern", 11);
    for (bool countZero : {true, false}) {
        SCOPED_TRACE(countZero);
        CatalogFile catalog;
        ASSERT_EQ(Parse(MakeCatalogBytes({{1, menu}, {3, "abcd"}}, 0, "deutsch", countZero), &catalog),
                  CatalogStatus::Ok);
        EXPECT_EQ(TextOf(catalog, 1), menu);
        EXPECT_EQ(TextOf(catalog, 3), "abcd");
    }
}

TEST(CatalogFile, UnknownChunksMissingOptionalOnesAndMissingPaddingAreFine)
{
    // FORM CTLG with an AUTH chunk and STRS alone (no FVER, LANG or CSET).
    std::string strs = std::string("\0\0\0\x07\0\0\0\x03" "ab\0\0", 12);
    std::string body = std::string("CTLG") + "AUTH" + std::string("\0\0\0\x03", 4) + std::string("me\0\0", 4) +
                       "STRS" + std::string("\0\0\0\x0C", 4) + strs;
    std::string bytes = "FORM" + std::string(4, '\0') + body;
    SetU32(&bytes, 4, static_cast<std::uint32_t>(body.size()));
    CatalogFile catalog;
    ASSERT_EQ(Parse(bytes, &catalog), CatalogStatus::Ok);
    EXPECT_EQ(TextOf(catalog, 7), "ab");

    // The last text may lack its padding.
    bytes = MakeCatalogBytes({{1, "ab"}});  // "ab\0" padded to 4
    bytes.pop_back();
    SetU32(&bytes, bytes.find("STRS") + 4, 11);
    SetU32(&bytes, 4, static_cast<std::uint32_t>(bytes.size() - 8));
    ASSERT_EQ(Parse(bytes, &catalog), CatalogStatus::Ok);
    EXPECT_EQ(TextOf(catalog, 1), "ab");
}

TEST(CatalogFile, MalformedInputIsRejected)
{
    const std::string good = MakeCatalogBytes({{1, "eins"}, {2, "zwei"}});
    auto expectMalformed = [&](const std::string &bytes, const char *what) {
        CatalogFile parsed;
        parsed.language = "left over";
        EXPECT_EQ(Parse(bytes, &parsed), CatalogStatus::Malformed) << what;
        EXPECT_TRUE(parsed.texts.empty() && parsed.language.empty()) << what;
    };
    expectMalformed("", "empty");
    expectMalformed(good.substr(0, 11), "shorter than a header");
    expectMalformed("FORM" + good.substr(4, 4) + "ILBM" + good.substr(12), "not a catalog");
    expectMalformed("LIST" + good.substr(4), "not a FORM");
    for (std::size_t cut : {good.size() - 1, good.size() - 6, good.find("STRS") + 4}) {
        expectMalformed(good.substr(0, cut), "cut short");
    }

    const std::size_t strs = good.find("STRS"), cset = good.find("CSET");
    const struct {
        std::size_t offset;
        std::uint32_t value;
        const char *what;
    } corruptions[] = {
        {4, 2, "FORM size below 4"},
        {4, 0xFFFFFFF0u, "FORM size past the end"},
        {strs + 4, 0x7FFFFFFFu, "chunk past the FORM"},
        {strs + 12, 0xFFFFFFFFu, "text length past the chunk"},
        {strs + 12, 100, "text length past the chunk, small"},
        {cset + 4, 2, "CSET shorter than its code"},
    };
    for (const auto &c : corruptions) {
        std::string bytes = good;
        SetU32(&bytes, c.offset, c.value);
        expectMalformed(bytes, c.what);
    }

    // STRS holding a partial entry header at its end.
    std::string bytes = good;
    std::uint32_t strsSize = static_cast<std::uint32_t>(bytes.size() - strs - 8);
    bytes += std::string("\0\0\0\x09", 4);
    SetU32(&bytes, strs + 4, strsSize + 4);
    SetU32(&bytes, 4, static_cast<std::uint32_t>(bytes.size() - 8));
    expectMalformed(bytes, "partial entry");
}

TEST(CatalogFile, CharacterSetsAreConvertedToLatin1)
{
    CatalogFile catalog;
    ASSERT_EQ(Parse(MakeCatalogBytes({{1, "Gr\xC3\xB6\xC3\x9F" "e \xE2\x82\xAC"}, {2, std::string("K\0\xC3\xA4", 4)}},
                                     CATALOG_CODESET_UTF8),
                    &catalog),
              CatalogStatus::Ok);
    EXPECT_EQ(TextOf(catalog, 1), "Gr\xF6\xDF" "e ?");
    EXPECT_EQ(TextOf(catalog, 2), std::string("K\0\xE4", 3));

    ASSERT_EQ(Parse(MakeCatalogBytes({{1, "\x80 caf\xE9 \x93x\x94"}}, CATALOG_CODESET_WINDOWS1252), &catalog),
              CatalogStatus::Ok);
    EXPECT_EQ(TextOf(catalog, 1), "? caf\xE9 ?x?");

    ASSERT_EQ(Parse(MakeCatalogBytes({{1, "\x80\xE9"}}, CATALOG_CODESET_LATIN1), &catalog), CatalogStatus::Ok);
    EXPECT_EQ(TextOf(catalog, 1), "\x80\xE9");

    EXPECT_EQ(Parse(MakeCatalogBytes({{1, "x"}}, 2251), &catalog), CatalogStatus::UnknownCodeset);
    EXPECT_TRUE(catalog.texts.empty());
}

TEST(CatalogFile, BrokenUtf8BecomesQuestionMarks)
{
    const std::pair<const char *, const char *> cases[] = {
        {"a\xC3", "a?"},          // cut short at the end
        {"\xC3x", "?x"},          // cut short inside
        {"\xC0\x80", "?"},        // overlong zero
        {"\xED\xA0\x80", "?"},    // a surrogate
        {"\x80\xFF", "??"},       // stray bytes
        {"\xF4\x90\x80\x80", "?"}, // beyond Unicode
    };
    for (const auto &[in, out] : cases) {
        EXPECT_EQ(Utf8ToLatin1(in), out) << in;
    }
}

}  // namespace
