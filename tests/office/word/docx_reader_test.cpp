#include "office/word/docx_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "office/word/docx_tables.h"
#include "support/docx_writer.h"

namespace vantile::office::word {
namespace {

using test::BuildDocx;
using test::Bytes;
using test::Cell;
using test::DocxOptions;
using test::Para;
using test::Row;
using test::Tbl;

Document read(const std::string& package) {
    const auto bytes = Bytes(package);
    return ReadDocx(bytes);
}

Document readBody(const std::string& body, const DocxOptions& options = {}) {
    return read(BuildDocx(body, options));
}

// The text of the single cell of a one-table, one-cell document.
std::string cellText(const std::string& cellContent) {
    const Document doc = readBody(Tbl({Row({Cell(cellContent)})}));
    EXPECT_EQ(doc.tables.size(), 1u);
    if (doc.tables.empty() || doc.tables[0].rows.empty() || doc.tables[0].rows[0].cells.empty())
        return "<none>";
    return doc.tables[0].rows[0].cells[0].text;
}

std::string run(const std::string& inner) {
    return "<w:r>" + inner + "</w:r>";
}
std::string t(const std::string& text) {
    return "<w:t xml:space=\"preserve\">" + text + "</w:t>";
}
std::string p(const std::string& inner) {
    return "<w:p>" + inner + "</w:p>";
}

TEST(DocxReader, ReadsTopLevelTablesInOrderWithGridAndText) {
    const std::string body = Para("before") +
                             Tbl({Row({Cell("a1"), Cell("b1")}), Row({Cell("a2"), Cell("")})}, {1440, 2880}) +
                             Para("between") + Tbl({Row({Cell("only")})}) + Para("after");
    for (const bool strict : {false, true}) {
        DocxOptions options;
        options.strict = strict;
        const Document doc = readBody(body, options);
        ASSERT_EQ(doc.tables.size(), 2u) << strict;
        const Table& first = doc.tables[0];
        ASSERT_EQ(first.rows.size(), 2u);
        EXPECT_EQ(first.rows[0].cells[0].text, "a1");
        EXPECT_EQ(first.rows[0].cells[1].text, "b1");
        EXPECT_EQ(first.rows[1].cells[1].text, "");
        ASSERT_EQ(first.gridTwips.size(), 2u);
        EXPECT_EQ(first.gridTwips[1], 2880u);
        EXPECT_EQ(first.columnCount(), 2u);
        EXPECT_EQ(doc.tables[1].rows[0].cells[0].text, "only");
        EXPECT_TRUE(doc.tables[1].gridTwips.empty());
        EXPECT_FALSE(doc.hasVBProject);
    }
}

TEST(DocxReader, KeepsSpansMergesAndGridBefore) {
    const Document doc = readBody(
        Tbl({Row({Cell("wide", "<w:gridSpan w:val=\"2\"/>"), Cell("top", "<w:vMerge w:val=\"restart\"/>")}),
             Row({Cell("x"), Cell("y"), Cell("", "<w:vMerge/>")}),
             Row({Cell("late"), Cell("", "<w:vMerge w:val=\"continue\"/>")}, "<w:gridBefore w:val=\"1\"/>")},
            {100, 200, 300}));
    const Table& table = doc.tables.at(0);
    EXPECT_EQ(table.rows[0].cells[0].gridSpan, 2u);
    EXPECT_EQ(table.rows[0].cells[1].vMerge, VerticalMerge::Restart);
    EXPECT_EQ(table.rows[1].cells[2].vMerge, VerticalMerge::Continue);
    EXPECT_EQ(table.rows[2].gridBefore, 1u);
    EXPECT_EQ(table.rows[2].cells[1].vMerge, VerticalMerge::Continue);
    EXPECT_EQ(table.columnCount(), 3u);
}

TEST(DocxReader, CellTextFollowsTheWordProcessor) {
    struct Case {
        const char* what;
        std::string content;
        std::string expected;
    };
    const std::string fieldBegin = run("<w:fldChar w:fldCharType=\"begin\"/>");
    const std::string fieldSeparate = run("<w:fldChar w:fldCharType=\"separate\"/>");
    const std::string fieldEnd = run("<w:fldChar w:fldCharType=\"end\"/>");
    const std::vector<Case> cases = {
        {"paragraphs", Para("one") + Para("two") + "<w:p/>", "one\rtwo\r"},
        {"tab and breaks", p(run(t("a") + "<w:tab/>" + t("b") + "<w:br/>" + t("c") + "<w:cr/>" + t("d"))),
         "a\tb\vc\vd"},
        {"page and column breaks",
         p(run(t("a") + "<w:br w:type=\"page\"/>" + t("b") + "<w:br w:type=\"column\"/>")), "a\fb\x0E"},
        {"tab stops are no text",
         "<w:p><w:pPr><w:tabs><w:tab w:val=\"left\" w:pos=\"720\"/></w:tabs></w:pPr>" + run(t("x")) +
             "</w:p>",
         "x"},
        {"blanks kept", Para("  two  spaces "), "  two  spaces "},
        {"hyphens and symbols",
         p(run(t("co") + "<w:noBreakHyphen/>" + t("op") + "<w:softHyphen/>" + t("er") +
               "<w:sym w:font=\"Wingdings\" w:char=\"F0FC\"/>")),
         "co-oper\xEF\x83\xBC"},
        {"non-ASCII",
         Para("Gr\xC3\xBC\xC3\x9F"
              "e \xE6\x97\xA5\xE6\x9C\xAC \xD8\xB9\xD8\xB1\xD8\xA8\xD9\x8A"),
         "Gr\xC3\xBC\xC3\x9F"
         "e \xE6\x97\xA5\xE6\x9C\xAC \xD8\xB9\xD8\xB1\xD8\xA8\xD9\x8A"},
        {"entities", Para("a < b & c > \"d\""), "a < b & c > \"d\""},
        {"complex field: result only",
         p(fieldBegin + run("<w:instrText> PAGE </w:instrText>") + fieldSeparate + run(t("7")) + fieldEnd +
           run(t("!"))),
         "7!"},
        {"nested field in the code",
         p(fieldBegin + run("<w:instrText>IF </w:instrText>") + fieldBegin +
           run("<w:instrText>MERGEFIELD x</w:instrText>") + fieldSeparate + run(t("inner")) + fieldEnd +
           fieldSeparate + run(t("outer")) + fieldEnd),
         "outer"},
        {"field without result",
         p(fieldBegin + run("<w:instrText>TC x</w:instrText>") + fieldEnd + run(t("k"))), "k"},
        {"simple field", "<w:p><w:fldSimple w:instr=\"DATE\">" + run(t("2024")) + "</w:fldSimple></w:p>",
         "2024"},
        {"revisions",
         p("<w:ins w:id=\"1\">" + run(t("new")) + "</w:ins><w:del w:id=\"2\">" +
           run("<w:delText>old</w:delText>") + "</w:del><w:moveFrom w:id=\"3\">" + run(t("gone")) +
           "</w:moveFrom><w:moveTo w:id=\"4\">" + run(t("+moved")) + "</w:moveTo>"),
         "new+moved"},
        {"deleted paragraph mark joins paragraphs",
         "<w:p><w:pPr><w:rPr><w:del w:id=\"5\"/></w:rPr></w:pPr>" + run(t("first")) + "</w:p>" +
             Para("second"),
         "firstsecond"},
        {"hidden text",
         p(run("<w:rPr><w:vanish/></w:rPr>" + t("secret")) +
           run("<w:rPr><w:vanish w:val=\"0\"/></w:rPr>" + t("shown"))),
         "shown"},
        {"run wrappers",
         p("<w:hyperlink r:id=\"x\">" + run(t("link")) + "</w:hyperlink><w:smartTag>" + run(t("+tag")) +
           "</w:smartTag><w:sdt><w:sdtPr><w:placeholder><w:docPart w:val=\"x\"/></w:placeholder>"
           "<w:alias w:val=\"hidden\"/></w:sdtPr><w:sdtContent>" +
           run(t("+control")) + "</w:sdtContent></w:sdt>"),
         "link+tag+control"},
        {"drawings and text boxes are other stories",
         p(run(t("anchor")) +
           run("<mc:AlternateContent><mc:Choice Requires=\"wps\"><w:drawing><wps:txbx><w:txbxContent>" +
               Para("box") + "</w:txbxContent></wps:txbx></w:drawing></mc:Choice><mc:Fallback><w:pict>" +
               "<w:txbxContent>" + Para("box") +
               "</w:txbxContent></w:pict></mc:Fallback></mc:AlternateContent>")),
         "anchor"},
        {"first understood branch of alternate content",
         p("<mc:AlternateContent><mc:Choice Requires=\"w14\">" + run(t("new-style")) +
           "</mc:Choice><mc:Fallback>" + run(t("fallback")) +
           "</mc:Fallback></mc:AlternateContent><mc:AlternateContent><mc:Choice Requires=\"m\">" +
           run(t("+choice")) + "</mc:Choice><mc:Fallback>" + run(t("+other")) +
           "</mc:Fallback></mc:AlternateContent>"),
         "fallback+choice"},
        {"math text", "<w:p><m:oMath><m:r><m:t>x=1</m:t></m:r></m:oMath></w:p>", "x=1"},
        {"ruby keeps the base",
         p("<w:r><w:ruby><w:rt>" + run(t("furi")) + "</w:rt><w:rubyBase>" + run(t("base")) +
           "</w:rubyBase></w:ruby></w:r>"),
         "base"},
        {"unknown elements are looked through", p("<w:foo><w:bar>" + run(t("deep")) + "</w:bar></w:foo>"),
         "deep"},
        {"empty cell without paragraph", "<w:tcPr/>", ""},
        {"nested table inline with its marks",
         Para("A") + Tbl({Row({Cell("x"), Cell("y")}), Row({Cell(Para("p") + Para("q")), Cell("")})}) +
             "<w:p/>",
         "A\rx\r\ay\r\a\r\ap\rq\r\a\r\a\r\a"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cellText(c.content), c.expected) << c.what;
}

TEST(DocxReader, FindsTablesInContentControlsAndCustomXmlButNotNestedOrInTextBoxes) {
    const std::string sdt = "<w:sdt><w:sdtPr><w:id w:val=\"1\"/></w:sdtPr><w:sdtContent>";
    const std::string sdtEnd = "</w:sdtContent></w:sdt>";
    const std::string body =
        sdt + Tbl({Row({Cell("in control")})}) + sdtEnd + "<w:customXml w:element=\"x\">" +
        Tbl({Row({Cell("in custom xml")})}) + "</w:customXml>" +
        // Row-level and cell-level controls.
        "<w:tbl><w:tblGrid><w:gridCol w:w=\"10\"/><w:gridCol w:w=\"20\"/></w:tblGrid>" + sdt +
        Row({Cell("r1")}) + sdtEnd + "<w:tr>" + sdt + Cell("c1") + sdtEnd + Cell("c2") + "</w:tr></w:tbl>" +
        Tbl({Row({Cell(Tbl({Row({Cell("nested")})}) + "<w:p/>")})}) +
        p(run("<w:pict><w:txbxContent>" + Tbl({Row({Cell("in a text box")})}) + "</w:txbxContent></w:pict>"));
    const Document doc = readBody(body);
    ASSERT_EQ(doc.tables.size(), 4u);
    EXPECT_EQ(doc.tables[0].rows[0].cells[0].text, "in control");
    EXPECT_EQ(doc.tables[1].rows[0].cells[0].text, "in custom xml");
    ASSERT_EQ(doc.tables[2].rows.size(), 2u);
    EXPECT_EQ(doc.tables[2].rows[0].cells[0].text, "r1");
    ASSERT_EQ(doc.tables[2].rows[1].cells.size(), 2u);
    EXPECT_EQ(doc.tables[2].rows[1].cells[1].text, "c2");
    EXPECT_EQ(doc.tables[3].rows[0].cells[0].text, "nested\r\a\r\a");
}

TEST(DocxReader, TrackedChangesOfTheTableShape) {
    const Document doc = readBody(
        "<w:tbl><w:tblGrid><w:gridCol w:w=\"100\"/></w:tblGrid>"
        "<w:tblGridChange w:id=\"9\"><w:tblGrid><w:gridCol w:w=\"5\"/><w:gridCol "
        "w:w=\"5\"/></w:tblGrid></w:tblGridChange>" +
        Row({Cell("kept")}) +
        Row({Cell("<w:p><w:del w:id=\"1\"><w:r><w:delText>x</w:delText></w:r></w:del></w:p>")},
            "<w:del w:id=\"2\"/>") +
        Row({Cell("inserted")}, "<w:ins w:id=\"3\"/>") + "</w:tbl>" +
        // A table whose rows are all tracked deletions is still there until the deletion is accepted.
        Tbl({Row({Cell("")}, "<w:del w:id=\"4\"/>")}));
    ASSERT_EQ(doc.tables.size(), 2u);
    const Table& table = doc.tables[0];
    ASSERT_EQ(table.gridTwips.size(), 1u);
    EXPECT_EQ(table.gridTwips[0], 100u);
    ASSERT_EQ(table.rows.size(), 3u);
    EXPECT_EQ(table.rows[1].cells[0].text, "");
    EXPECT_EQ(table.rows[2].cells[0].text, "inserted");
}

TEST(DocxReader, GridWidthsFallBackToCellWidthsAndUnits) {
    const Document doc = readBody(Tbl({Row({Cell("a", "<w:tcW w:w=\"1000\" w:type=\"dxa\"/>"),
                                            Cell("b", "<w:tcW w:w=\"50\" w:type=\"pct\"/>"),
                                            Cell("c", "<w:tcW w:w=\"1in\" w:type=\"dxa\"/>")})}) +
                                  Tbl({Row({Cell("zero", "<w:tcW w:w=\"720\"/>")})}, {0}));
    ASSERT_EQ(doc.tables.size(), 2u);
    const auto& grid = doc.tables[0].gridTwips;
    ASSERT_EQ(grid.size(), 3u);
    EXPECT_EQ(grid[0], 1000u);
    EXPECT_FALSE(grid[1].has_value());
    EXPECT_EQ(grid[2], 1440u);
    EXPECT_EQ(doc.tables[1].gridTwips.at(0), 720u);

    EXPECT_EQ(docx::ParseTwips("2.54cm"), 1440u);
    EXPECT_EQ(docx::ParseTwips("72pt"), 1440u);
    EXPECT_EQ(docx::ParseTwips("1234.4"), 1234u);
    EXPECT_FALSE(docx::ParseTwips("-5").has_value());
    EXPECT_FALSE(docx::ParseTwips("12furlongs").has_value());
    EXPECT_FALSE(docx::ParseTwips("nan").has_value());
}

TEST(DocxReader, LegacyHorizontalMergeAndColumnLimit) {
    std::string wide = "<w:tr>";
    for (int i = 0; i < 300; ++i)
        wide += Cell(std::to_string(i));
    wide += "</w:tr>";
    const Document doc = readBody(
        Tbl({Row({Cell("left", "<w:hMerge w:val=\"restart\"/>"), Cell("", "<w:hMerge/>"), Cell("right")})}) +
        Tbl({wide, Row({Cell("huge", "<w:gridSpan w:val=\"4000000000\"/>")})}, {}));
    const auto& merged = doc.tables.at(0).rows[0].cells;
    ASSERT_EQ(merged.size(), 2u);
    EXPECT_EQ(merged[0].gridSpan, 2u);
    EXPECT_EQ(merged[1].text, "right");
    const Table& capped = doc.tables.at(1);
    EXPECT_EQ(capped.rows[0].cells.size(), docx::kMaxColumns);
    EXPECT_EQ(capped.rows[1].cells[0].gridSpan, docx::kMaxColumns);
    EXPECT_EQ(capped.columnCount(), docx::kMaxColumns);
}

TEST(DocxReader, MatchesElementsAndAttributesByNamespaceNotPrefix) {
    const std::string w = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
    auto items = test::DocxItems("");
    items[2].data = "<document xmlns=\"" + w +
                    "\"><body>"
                    "<x:tbl xmlns:x=\"" +
                    w +
                    "\"><tr><tc><tcPr><x:gridSpan x:val=\"2\"/></tcPr>"
                    "<p><r><t>a</t></r></p></tc></tr></x:tbl>"
                    "<w:tbl xmlns:w=\"urn:not-word\"><w:tr><w:tc><w:p/></w:tc></w:tr></w:tbl>"
                    "</body></document>";
    const Document doc = read(test::BuildZip(items));
    ASSERT_EQ(doc.tables.size(), 1u);
    EXPECT_EQ(doc.tables[0].rows[0].cells[0].text, "a");
    EXPECT_EQ(doc.tables[0].rows[0].cells[0].gridSpan, 2u);

    items[2].data = "<w:document xmlns:w=\"" + w + "\"><w:body><q:tbl/></w:body></w:document>";
    try {
        read(test::BuildZip(items));
        ADD_FAILURE() << "an undeclared prefix was accepted";
    } catch (const DocumentError& e) {
        EXPECT_NE(std::string(e.what()).find("undeclared prefix"), std::string::npos) << e.what();
    }
}

TEST(DocxReader, ReadsPartsInUtf16) {
    auto items =
        test::DocxItems(Tbl({Row({Cell("Gr\xC3\xBC\xC3\x9F"
                                       "e")})}));
    // The same main part as UTF-16LE with a byte-order mark (ASCII and Latin-1 characters only here).
    std::string utf16 = "\xFF\xFE";
    std::string utf8 = items[2].data;
    utf8.replace(utf8.find("UTF-8"), 5, "UTF-16");
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        unsigned cp = static_cast<unsigned char>(utf8[i]);
        if (cp >= 0xC0)
            cp = ((cp & 0x1F) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F);
        utf16.push_back(static_cast<char>(cp & 0xFF));
        utf16.push_back(static_cast<char>(cp >> 8));
    }
    items[2].data = utf16;
    const Document doc = read(test::BuildZip(items));
    ASSERT_EQ(doc.tables.size(), 1u);
    EXPECT_EQ(doc.tables[0].rows[0].cells[0].text,
              "Gr\xC3\xBC\xC3\x9F"
              "e");
}

TEST(DocxReader, FindsTheMainPartThroughRelationshipsAndSeesMacros) {
    DocxOptions options;
    options.mainPart = "content/Main%20Doc.xml";
    options.macros = true;
    const Document doc = readBody(Tbl({Row({Cell("x")})}), options);
    ASSERT_EQ(doc.tables.size(), 1u);
    EXPECT_TRUE(doc.hasVBProject);
}

TEST(DocxReader, RejectsPackagesThatAreNoWordDocument) {
    using test::ZipItem;
    auto items = test::DocxItems("");
    // A workbook's content type for the main part.
    items[0].data =
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"><Override "
        "PartName=\"/word/document.xml\" ContentType=\"application/"
        "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/></Types>";
    EXPECT_THROW(read(test::BuildZip(items)), NotWordPackageError);
    EXPECT_THROW(read(test::BuildZip({{"readme.txt", "plain zip"}})), NotWordPackageError);
    EXPECT_THROW(
        read(test::BuildZip(
            {{"_rels/.rels",
              "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"/>"}})),
        NotWordPackageError);
    auto other = test::DocxItems("");
    other[2].data = "<x:workbook xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"/>";
    EXPECT_THROW(read(test::BuildZip(other)), NotWordPackageError);
}

TEST(DocxReader, DamagedAndHostilePackagesFailClearly) {
    struct Case {
        const char* what;
        std::string package;
        const char* message;
    };
    auto withMain = [](const std::string& xml) {
        auto items = test::DocxItems("");
        items[2].data = xml;
        return test::BuildZip(items);
    };
    std::string deep =
        "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>";
    for (int i = 0; i < 5000; ++i)
        deep += "<w:sdt><w:sdtContent>";
    const std::string laughs =
        "<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
        "\"&a;&a;&a;&a;&a;&a;&a;&a;\">]>"
        "<w:document "
        "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>&b;</w:body></"
        "w:document>";
    std::string bigToken =
        "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" a=\"";
    // Incompressible enough not to pass for a decompression bomb.
    std::uint32_t seed = 1;
    for (int i = 0; i < (9 << 20); ++i) {
        seed = seed * 1103515245u + 12345u;
        bigToken.push_back(static_cast<char>('a' + (seed >> 16) % 26));
    }
    auto noMain = test::DocxItems("");
    noMain.pop_back();
    const std::string good = BuildDocx(Tbl({Row({Cell("x")})}));
    const std::vector<Case> cases = {
        {"malformed XML",
         withMain(
             "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>"),
         "not well-formed"},
        {"document type declaration", withMain(laughs), "document type declaration"},
        {"deep nesting", withMain(deep), "nested too deeply"},
        {"endless token", withMain(bigToken), "excessive size"},
        {"empty main part", withMain(""), "damaged"},
        {"main part missing", test::BuildZip(noMain), "is missing"},
        {"truncated", good.substr(0, good.size() - 30), "damaged"},
    };
    for (const auto& c : cases) {
        try {
            read(c.package);
            ADD_FAILURE() << c.what << ": no error";
        } catch (const NotWordPackageError& e) {
            ADD_FAILURE() << c.what << ": taken for another kind of package: " << e.what();
        } catch (const DocumentError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << c.what << ": " << e.what();
        }
    }
}

}  // namespace
}  // namespace vantile::office::word
