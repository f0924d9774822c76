#include "office/word/doc_reader.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "office/word/doc_test_file.h"

namespace vantile::office::word {
namespace {

using testdoc::Bytes;
using testdoc::Paragraph;

Document read(const testdoc::DocStreams& s) {
    return ReadDoc(testdoc::pack(s));
}

std::vector<std::string> texts(const TableRow& row) {
    std::vector<std::string> out;
    for (const TableCell& c : row.cells)
        out.push_back(c.text);
    return out;
}

Paragraph cell(std::u16string text, bool compressed = false) {
    return {text + u'\a', compressed, testdoc::inTable()};
}
Paragraph para(std::u16string text) {
    return {text + u'\r', false, {}};
}
Paragraph ttp(const std::vector<std::int16_t>& edges, const std::vector<std::uint16_t>& flags = {}) {
    return {u"\a", true, testdoc::rowEnd(edges, flags)};
}

TEST(DocReader, DecodesBothPieceKinds) {
    // Windows-1252 bytes: u umlaut, sharp s, euro sign, curly quotes; then UTF-16 with a surrogate pair.
    const auto doc = read(
        testdoc::buildDoc({para(u"before"),
                           cell(u"Gr\xFC\xDF"
                                u"e \x80 \x93q\x94",
                                true),
                           cell(u"\u0395\u03BB \U0001F600 \u65E5"), ttp({0, 1440, 2880}), para(u"after")}));
    ASSERT_EQ(doc.tables.size(), 1u);
    ASSERT_EQ(doc.tables[0].rows.size(), 1u);
    EXPECT_EQ(texts(doc.tables[0].rows[0]), (std::vector<std::string>{"Grüße € “q”", "Ελ 😀 日"}));
    EXPECT_FALSE(doc.hasVBProject);
}

TEST(DocReader, TextKeepsFieldResultsAndMapsSpecialCharacters) {
    const auto doc = read(testdoc::buildDoc({
        cell(u"x\x13 PAGE \x14"
             u"12\x15y"),                                               // field result kept, code dropped
        cell(u"\x13 IF \x13 A \x14z\x15 \x14outer\x15|\x13 TOC \x15"),  // nested fields; no result
        cell(u"a\tb\vc\x1E"
             u"d\x1F"
             u"e\x01\x08\x02\x05"
             u"f\x07g\x0Ch\x0E"),  // stray 0x07; page and column breaks
        ttp({0, 100, 200, 300}),
        {u"p1\r", false, testdoc::inTable()},
        cell(u"p2"),
        ttp({0, 300}),
    }));
    ASSERT_EQ(doc.tables.size(), 1u);
    ASSERT_EQ(doc.tables[0].rows.size(), 2u);
    EXPECT_EQ(texts(doc.tables[0].rows[0]),
              (std::vector<std::string>{"x12y", "outer|", "a\tb\vc-defg\fh\x0E"}));
    EXPECT_EQ(texts(doc.tables[0].rows[1]), (std::vector<std::string>{"p1\rp2"}));
}

TEST(DocReader, BuildsTheGridFromRowBoundariesWithMerges) {
    // TC80 flags: 0x0001 first of a legacy horizontal merge, 0x0002 merged into the previous
    // cell, 0x0060 restarts a vertical merge, 0x0020 continues it.
    const auto doc = read(testdoc::buildDoc({
        cell(u"a"),
        cell(u"b"),
        cell(u""),
        ttp({0, 1000, 2000, 3000}, {0x0060, 0x0001, 0x0002}),
        cell(u""),
        cell(u"c"),
        ttp({0, 1000, 3000}, {0x0020, 0}),
        cell(u"d"),
        ttp({1000, 2500}),
        para(u"gap"),
        cell(u"second"),
        ttp({0, 500}),
    }));
    ASSERT_EQ(doc.tables.size(), 2u);
    const Table& t = doc.tables[0];
    ASSERT_EQ(t.gridTwips.size(), 4u);
    EXPECT_EQ(t.gridTwips[0], 1000u);
    EXPECT_EQ(t.gridTwips[1], 1000u);
    EXPECT_EQ(t.gridTwips[2], 500u);
    EXPECT_EQ(t.gridTwips[3], 500u);
    ASSERT_EQ(t.rows.size(), 3u);
    ASSERT_EQ(t.rows[0].cells.size(), 2u);
    EXPECT_EQ(t.rows[0].cells[0].vMerge, VerticalMerge::Restart);
    EXPECT_EQ(t.rows[0].cells[1].text, "b");
    EXPECT_EQ(t.rows[0].cells[1].gridSpan, 3u);
    ASSERT_EQ(t.rows[1].cells.size(), 2u);
    EXPECT_EQ(t.rows[1].cells[0].vMerge, VerticalMerge::Continue);
    EXPECT_EQ(t.rows[1].cells[1].gridSpan, 3u);
    EXPECT_EQ(t.rows[2].gridBefore, 1u);
    EXPECT_EQ(t.rows[2].cells[0].gridSpan, 2u);
    EXPECT_EQ(doc.tables[1].rows[0].cells[0].text, "second");
}

TEST(DocReader, NestedTablesStayInTheTextOfTheirCell) {
    Bytes depth2;
    testdoc::sprm8(depth2, 0x2416, 1);
    testdoc::sprm32(depth2, 0x6649, 2);
    Bytes innerCell = depth2;
    testdoc::sprm8(innerCell, 0x244B, 1);
    Bytes innerRow = depth2;
    testdoc::sprm8(innerRow, 0x244C, 1);
    const auto doc = read(testdoc::buildDoc({
        {u"intro\r", false, testdoc::inTable()},
        {u"n1\r", false, innerCell},
        {u"n2\r", false, innerCell},
        {u"\r", false, innerRow},
        cell(u"tail"),
        cell(u"right"),
        ttp({0, 2000, 4000}),
    }));
    ASSERT_EQ(doc.tables.size(), 1u);
    EXPECT_EQ(texts(doc.tables[0].rows[0]),
              (std::vector<std::string>{"intro\rn1\r\an2\r\a\r\atail", "right"}));
}

TEST(DocReader, PieceModifiersMarkTableParagraphs) {
    // Fast-saved documents may mark a paragraph through its piece: a single sprm (in table,
    // row end) or an index into the property lists before the piece table.
    Bytes rowProps;
    testdoc::sprm8(rowProps, 0x2417, 1);
    testdoc::tableDefinition(rowProps, {0, 720, 1440});
    const std::uint16_t inTableByPrm0 = (0x18 << 1) | (1 << 8);
    const auto doc = read(testdoc::buildDoc({{u"a\a", false, {}, inTableByPrm0},
                                             {u"b\a", false, {}, inTableByPrm0},
                                             {u"\a", false, testdoc::inTable(), (0 << 1) | 1}},
                                            {rowProps}));
    ASSERT_EQ(doc.tables.size(), 1u);
    EXPECT_EQ(texts(doc.tables[0].rows[0]), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(doc.tables[0].gridTwips.size(), 2u);
}

TEST(DocReader, ReadsRowPropertiesFromTheDataStream) {
    // Properties too large for a page sit in the Data stream behind sprmPHugePapx.
    Bytes big = testdoc::rowEnd({0, 100, 200, 300});
    Bytes pointer;
    testdoc::sprm32(pointer, 0x6646, 16);
    auto s = testdoc::buildDoc({cell(u"x"), cell(u"y"), cell(u"z"), {u"\a", false, pointer}});
    s.data.assign(16, 0);
    testdoc::add16(s.data, static_cast<std::uint16_t>(big.size()));
    s.data.insert(s.data.end(), big.begin(), big.end());
    const auto doc = read(s);
    ASSERT_EQ(doc.tables.size(), 1u);
    EXPECT_EQ(doc.tables[0].gridTwips.size(), 3u);
    EXPECT_EQ(doc.tables[0].rows[0].cells.size(), 3u);

    Bytes outside;
    testdoc::sprm32(outside, 0x6646, 9999);
    auto broken = testdoc::buildDoc({cell(u"x"), {u"\a", false, outside}});
    broken.data = s.data;
    EXPECT_THROW(read(broken), DocumentError);
}

TEST(DocReader, AppliesCellEditsAfterTheRowDefinition) {
    Bytes row = testdoc::rowEnd({0, 100, 200, 300});
    const Bytes edits{
        0x23, 0x76, 1, 2, 0xF4, 0x01,  // cell 1 becomes 500 wide
        0x21, 0x76, 0, 1, 50,   0,     // a 50-wide cell inserted before cell 0
        0x22, 0x56, 3, 4,              // the last cell deleted
    };
    row.insert(row.end(), edits.begin(), edits.end());
    const auto doc = read(testdoc::buildDoc({cell(u"a"), cell(u"b"), cell(u"c"), {u"\a", false, row}}));
    ASSERT_EQ(doc.tables.size(), 1u);
    const auto& grid = doc.tables[0].gridTwips;
    ASSERT_EQ(grid.size(), 3u);
    EXPECT_EQ(grid[0], 50u);
    EXPECT_EQ(grid[1], 100u);
    EXPECT_EQ(grid[2], 500u);
}

TEST(DocReader, MacroStorageMeansAVbProject) {
    const auto s = testdoc::buildDoc({para(u"text")});
    EXPECT_TRUE(ReadDoc(testdoc::pack(s, true)).hasVBProject);
    EXPECT_FALSE(ReadDoc(testdoc::pack(s, false)).hasVBProject);
}

TEST(DocReader, TruncatedRowDefinitionKeepsTheCells) {
    Bytes broken = testdoc::rowEnd({0, 100, 200});
    broken.resize(broken.size() - 3);
    const auto doc = read(testdoc::buildDoc({cell(u"x"), cell(u"y"), {u"\a", false, broken}}));
    ASSERT_EQ(doc.tables.size(), 1u);
    EXPECT_EQ(texts(doc.tables[0].rows[0]), (std::vector<std::string>{"x", "y"}));
    EXPECT_TRUE(doc.tables[0].gridTwips.empty());
}

struct Refusal {
    const char* name;
    std::function<void(testdoc::DocStreams&)> damage;
    const char* message;
};

class DocReaderRefuses : public testing::TestWithParam<Refusal> {};

TEST_P(DocReaderRefuses, WithAClearMessage) {
    auto s = testdoc::buildDoc({cell(u"x"), ttp({0, 100}), para(u"end")});
    GetParam().damage(s);
    try {
        read(s);
        FAIL() << "read a damaged document";
    } catch (const DocumentError& e) {
        EXPECT_NE(std::string(e.what()).find(GetParam().message), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, DocReaderRefuses,
    testing::Values(
        Refusal{"Word6", [](auto& s) { testdoc::put16(s.wordDocument, 2, 101); },
                "Word 6.0/95 documents are not supported (this one is Word 6.0)"},
        Refusal{"Word95", [](auto& s) { testdoc::put16(s.wordDocument, 2, 104); },
                "Word 6.0/95 documents are not supported (this one is Word 95)"},
        Refusal{"Older", [](auto& s) { testdoc::put16(s.wordDocument, 2, 45); }, "older than Word 6.0"},
        Refusal{"Encrypted", [](auto& s) { testdoc::put16(s.wordDocument, 0x0A, 0x0300); },
                "The document is password-protected"},
        Refusal{"Obfuscated", [](auto& s) { testdoc::put16(s.wordDocument, 0x0A, 0x8300); },
                "The document is password-protected"},
        Refusal{"Ident", [](auto& s) { testdoc::put16(s.wordDocument, 0, 0x1234); }, "Not a Word document"},
        Refusal{"NoTableStream", [](auto& s) { testdoc::put16(s.wordDocument, 0x0A, 0); },
                "table stream is missing"},
        Refusal{"FibTruncated", [](auto& s) { s.wordDocument.resize(0x90); }, "damaged"},
        Refusal{"ClxOutside", [](auto& s) { testdoc::put32(s.wordDocument, 0x9A + 8 * 33 + 4, 1 << 20); },
                "damaged"},
        Refusal{"ClxGarbage", [](auto& s) { s.table[0] = 0x07; }, "damaged"},
        Refusal{"PieceOutside", [](auto& s) { testdoc::put32(s.table, 5 + 4 * 4 + 2, 0x00FFFFF0); },
                "damaged"},
        Refusal{"PiecesOutOfOrder", [](auto& s) { testdoc::put32(s.table, 5 + 4, 0x7FFFFFFF); }, "damaged"},
        Refusal{"PageIndexOutside", [](auto& s) { testdoc::put32(s.wordDocument, 0x9A + 8 * 13, 1 << 24); },
                "damaged"}),
    [](const testing::TestParamInfo<Refusal>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace vantile::office::word
