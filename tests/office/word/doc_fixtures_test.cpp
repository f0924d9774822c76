// The .doc fixtures were written by LibreOffice from the documents that
// fixtures/doc/make_fixtures.py describes; the expectations restate those descriptions.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "office/word/doc_reader.h"
#include "support/test_support.h"

namespace vantile::office::word {
namespace {

std::vector<std::uint8_t> fixture(const std::string& name) {
    const std::string text = test::readFile(std::filesystem::path(VANTILE_SOURCE_DIR) /
                                            "tests/office/word/fixtures/doc" / (name + ".doc"));
    return {text.begin(), text.end()};
}

std::vector<std::string> texts(const TableRow& row) {
    std::vector<std::string> out;
    for (const TableCell& c : row.cells)
        out.push_back(c.text);
    return out;
}

using Texts = std::vector<std::string>;

TEST(DocFixtures, MergedCellsAndColumnWidths) {
    const Document doc = ReadDoc(fixture("merged"));
    ASSERT_EQ(doc.tables.size(), 1u);
    const Table& t = doc.tables[0];
    ASSERT_EQ(t.gridTwips.size(), 3u);
    EXPECT_EQ(t.gridTwips[0], 1440u);  // 1 inch
    EXPECT_EQ(t.gridTwips[1], 2160u);
    EXPECT_EQ(t.gridTwips[2], 2880u);
    ASSERT_EQ(t.rows.size(), 3u);
    EXPECT_EQ(texts(t.rows[0]), (Texts{"wide", "c"}));
    EXPECT_EQ(t.rows[0].cells[0].gridSpan, 2u);
    EXPECT_EQ(texts(t.rows[1]), (Texts{"tall", "b1", "c1"}));
    EXPECT_EQ(t.rows[1].cells[0].vMerge, VerticalMerge::Restart);
    EXPECT_EQ(texts(t.rows[2]), (Texts{"", "b2", "c2"}));
    EXPECT_EQ(t.rows[2].cells[0].vMerge, VerticalMerge::Continue);
}

TEST(DocFixtures, NestedTableTextStaysInItsCell) {
    const Document doc = ReadDoc(fixture("nested"));
    ASSERT_EQ(doc.tables.size(), 2u);
    ASSERT_EQ(doc.tables[0].rows.size(), 2u);
    EXPECT_EQ(texts(doc.tables[0].rows[0]),
              (Texts{"outer a", "before\rn1\r\an2\r\a\r\an3\r\an4\r\a\r\aafter"}));
    EXPECT_EQ(texts(doc.tables[0].rows[1]), (Texts{"outer c", "outer d"}));
    EXPECT_EQ(texts(doc.tables[1].rows[0]), (Texts{"second"}));
}

TEST(DocFixtures, NonAsciiText) {
    const Document doc = ReadDoc(fixture("unicode"));
    ASSERT_EQ(doc.tables.size(), 1u);
    EXPECT_EQ(texts(doc.tables[0].rows[0]), (Texts{"Grüße € – “quoted”", "naïve café"}));
    EXPECT_EQ(texts(doc.tables[0].rows[1]), (Texts{"Ελληνικά Кириллица", "日本語 😀"}));
}

TEST(DocFixtures, FieldsHiddenTextAndSpecialCharacters) {
    const Document doc = ReadDoc(fixture("fields"));
    ASSERT_EQ(doc.tables.size(), 1u);
    const Table& t = doc.tables[0];
    ASSERT_EQ(t.rows.size(), 3u);
    EXPECT_EQ(texts(t.rows[0]), (Texts{"Page 1 end", "link text"}));
    EXPECT_EQ(texts(t.rows[1]), (Texts{"a\tb\vc", "xy"}));
    EXPECT_EQ(texts(t.rows[2]), (Texts{"non-breaking softhyphen", "first\rsecond"}));
}

TEST(DocFixtures, EmptyDocument) {
    const Document doc = ReadDoc(fixture("empty"));
    EXPECT_TRUE(doc.tables.empty());
    EXPECT_FALSE(doc.hasVBProject);
}

TEST(DocFixtures, ManyTablesInDocumentOrder) {
    const Document doc = ReadDoc(fixture("many"));
    ASSERT_EQ(doc.tables.size(), 40u);
    for (std::size_t i = 0; i < doc.tables.size(); ++i) {
        ASSERT_EQ(doc.tables[i].rows.size(), 2u);
        const std::string p = "t" + std::to_string(i) + "r";
        EXPECT_EQ(texts(doc.tables[i].rows[1]), (Texts{p + "1c0", p + "1c1"}));
    }
}

TEST(DocFixtures, WideTable) {
    // 40 columns: the row definition no longer fits a property page and sits in the Data stream.
    const Document doc = ReadDoc(fixture("wide"));
    ASSERT_EQ(doc.tables.size(), 1u);
    const Table& t = doc.tables[0];
    ASSERT_EQ(t.gridTwips.size(), 40u);
    EXPECT_EQ(t.gridTwips[39], 216u);
    ASSERT_EQ(t.rows.size(), 3u);
    ASSERT_EQ(t.rows[2].cells.size(), 40u);
    EXPECT_EQ(t.rows[2].cells[39].text, "r2c39");
}

TEST(DocFixtures, DamagedCopiesFailOnlyWithDocumentError) {
    // Deterministic damage (overwritten bytes, truncation) to every fixture: each read
    // returns a document or raises DocumentError; any other outcome fails the test.
    std::uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    for (const char* name : {"merged", "nested", "unicode", "fields", "empty", "many", "wide"}) {
        const auto original = fixture(name);
        for (int round = 0; round < 150; ++round) {
            auto bytes = original;
            if (round % 10 == 9) {
                bytes.resize(next() % bytes.size());
            } else {
                for (int k = 0; k < 1 + round % 4; ++k)
                    bytes[next() % bytes.size()] = static_cast<std::uint8_t>(next());
            }
            try {
                (void)ReadDoc(bytes);
            } catch (const DocumentError&) {
            }
        }
    }
}

}  // namespace
}  // namespace vantile::office::word
