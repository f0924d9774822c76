#include "office/word/word_application.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "office/word/table_layout.h"
#include "support/docx_writer.h"
#include "support/test_support.h"

namespace vantile::office::word {
namespace {

using automation::AutomationError;
using automation::Variant;
using test::Cell;
using test::Para;
using test::Row;
using test::Tbl;

const Variant kMissing = Variant::missing();

std::string errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const AutomationError& e) {
        return e.what();
    }
    return "<no error>";
}

class WordApplication : public ::testing::Test {
  protected:
    Variant app = Variant(CreateWordApplication());
    test::TempDir dir;

    std::string writeDocx(const std::string& name, const std::string& body,
                          const test::DocxOptions& options = {}) {
        return dir.write(name, test::BuildDocx(body, options)).string();
    }
    Variant open(const std::string& path) {
        return app.get("Documents").call("Open", {path, kMissing, true});
    }
};

TEST_F(WordApplication, AnswersTheApplicationMembersTheConverterUses) {
    EXPECT_EQ(app.get("Version").toString(), "16.0");
    app.put("Visible", true);
    app.put("WindowState", 2);
    app.put("DisplayAlerts", 0);
    EXPECT_TRUE(app.get("visible").toBool());
    EXPECT_EQ(app.get("WindowState").toInt(), 2);
    EXPECT_EQ(app.get("DISPLAYALERTS").toInt(), 0);
    const Variant options = app.get("Options");
    options.put("UpdateFieldsAtPrint", false);
    options.put("UpdateLinksAtPrint", false);
    EXPECT_FALSE(options.get("UpdateFieldsAtPrint").toBool());
    const std::string path = app.get("Path").toString();
    EXPECT_FALSE(path.empty());
    EXPECT_NE(path.back(), '/');

    const Variant doc = app.get("Documents").call("Add", {kMissing});
    EXPECT_EQ(doc.get("Tables").get("Count").toInt(), 0);
    EXPECT_EQ(app.get("Documents").get("Count").toInt(), 1);
    app.call("Quit", {false});
    EXPECT_EQ(errorOf([&] { doc.get("Tables"); }), "Object has been deleted.");
    EXPECT_NE(errorOf([&] { app.get("Documents"); }), "<no error>");
}

TEST_F(WordApplication, ReadsTablesThroughTheObjectModel) {
    const std::string path =
        writeDocx("t.docx", Para("intro") +
                                Tbl({Row({Cell("  12 "), Cell(Para("two") + Para("lines"))})}, {2160, 1440}) +
                                Tbl({Row({Cell("second")})}));
    for (const bool fiveArguments : {false, true}) {
        const Variant documents = app.get("Documents");
        const Variant doc = fiveArguments ? documents.call("Open", {path, kMissing, false, kMissing, 12})
                                          : documents.call("Open", {path, kMissing, true});
        EXPECT_EQ(doc.get("ReadOnly").toBool(), !fiveArguments);
        EXPECT_FALSE(doc.get("HasVBProject").toBool());
        const Variant tables = doc.get("Tables");
        ASSERT_EQ(tables.get("Count").toInt(), 2);
        const Variant table = tables.call("Item", {1});
        EXPECT_EQ(table.get("Rows").get("Count").toInt(), 1);
        const Variant columns = table.get("Columns");
        EXPECT_EQ(columns.get("Count").toInt(), 2);
        EXPECT_DOUBLE_EQ(columns.call("Item", {1}).get("Width").toDouble(), 108.0);
        EXPECT_DOUBLE_EQ(columns.call("Item", {2}).get("Width").toDouble(), 72.0);
        EXPECT_EQ(table.call("Cell", {1, 1}).get("Range").get("Text").toString(), "  12 \r\a");
        EXPECT_EQ(table.call("Cell", {1, 2}).get("Range").get("Text").toString(), "two\rlines\r\a");
        EXPECT_EQ(tables.call("Item", {2}).call("Cell", {1, 1}).get("Range").get("Text").toString(),
                  "second\r\a");
        EXPECT_EQ(errorOf([&] { tables.call("Item", {3}); }),
                  "The requested member of the collection does not exist.");
        EXPECT_EQ(errorOf([&] { columns.call("Item", {0}); }),
                  "The requested member of the collection does not exist.");
        doc.call("Close", {false});
        EXPECT_EQ(errorOf([&] { table.call("Cell", {1, 1}); }), "Object has been deleted.");
        EXPECT_EQ(documents.get("Count").toInt(), 0);
    }
}

TEST_F(WordApplication, AddressesCellsByGridColumn) {
    // Row 1: [A spans 2][B restarts a merge][C]; row 2: [D][E][B continues][F];
    // row 3: one grid column skipped, [G][B continues, with text]; row 4: [H][I marked as
    // continuing, but under G, which is in no merge].
    const std::string path =
        writeDocx("m.docx", Tbl({Row({Cell("A", "<w:gridSpan w:val=\"2\"/>"),
                                      Cell("B", "<w:vMerge w:val=\"restart\"/>"), Cell("C")}),
                                 Row({Cell("D"), Cell("E"), Cell("", "<w:vMerge/>"), Cell("F")}),
                                 Row({Cell("G"), Cell("more", "<w:vMerge/>")}, "<w:gridBefore w:val=\"1\"/>"),
                                 Row({Cell("H"), Cell("I", "<w:gridSpan w:val=\"3\"/><w:vMerge/>")})},
                                {100, 200, 300}));
    const Variant table = open(path).get("Tables").call("Item", {1});
    EXPECT_EQ(table.get("Columns").get("Count").toInt(), 4);
    // The grid gives three widths: the fourth column has none.
    EXPECT_NE(errorOf([&] { table.get("Columns").call("Item", {4}).get("Width"); }), "<no error>");
    const std::vector<std::vector<std::string>> expected = {
        {"A", "-", "B\rmore", "C"},
        {"D", "E", "-", "F"},
        {"-", "G", "-", "-"},
        {"H", "I", "-", "-"},
    };
    for (int i = 1; i <= 4; ++i) {
        for (int j = 1; j <= 4; ++j) {
            std::string got;
            try {
                got = table.call("Cell", {i, j}).get("Range").get("Text").toString();
                ASSERT_GE(got.size(), 2u);
                got.resize(got.size() - 2);
            } catch (const AutomationError& e) {
                EXPECT_STREQ(e.what(), "The requested member of the collection does not exist.");
                got = "-";
            }
            EXPECT_EQ(got, expected[i - 1][j - 1]) << "cell " << i << "," << j;
        }
    }
    EXPECT_NE(errorOf([&] { table.call("Cell", {5, 1}); }), "<no error>");
    EXPECT_NE(errorOf([&] { table.call("Cell", {0, 1}); }), "<no error>");
}

TEST(TableLayout, AppliesTheSameRulesToAnyModel) {
    // Built by hand, as the binary reader builds it: a continuation in the first row is an ordinary cell.
    Table table;
    table.rows.resize(2);
    table.rows[0].cells = {{"top", 1, VerticalMerge::Continue}, {"r", 1, VerticalMerge::Restart}};
    table.rows[1].cells = {{"x", 1, VerticalMerge::None}, {"", 1, VerticalMerge::Continue}};
    const TableLayout layout(table);
    EXPECT_EQ(layout.rowCount(), 2u);
    EXPECT_EQ(layout.columnCount(), 2u);
    ASSERT_NE(layout.cellAt(0, 0), nullptr);
    EXPECT_EQ(layout.cellAt(0, 0)->text, "top");
    EXPECT_EQ(layout.cellAt(1, 1), nullptr);
    EXPECT_EQ(layout.cellAt(1, 2), nullptr);
    EXPECT_EQ(layout.cellAt(2, 0), nullptr);
}

TEST_F(WordApplication, ReportsMacrosAndOpenFailures) {
    test::DocxOptions macros;
    macros.macros = true;
    EXPECT_TRUE(open(writeDocx("macro.docm", "", macros)).get("HasVBProject").toBool());

    const std::string missing = dir.str() + "missing.docx";
    EXPECT_EQ(errorOf([&] { open(missing); }), "The file could not be found: " + missing);
    const std::string text = dir.write("notes.docx", "just some text").string();
    EXPECT_EQ(errorOf([&] { open(text); }), "Not a Word document: " + text);
    const std::string zip = dir.write("archive.doc", test::BuildZip({{"a.txt", "zip"}})).string();
    EXPECT_EQ(errorOf([&] { open(zip); }), "Not a Word document: " + zip);
    const std::string good = test::BuildDocx(Tbl({Row({Cell("x")})}));
    const std::string damaged = dir.write("damaged.docx", good.substr(0, good.size() / 2)).string();
    EXPECT_NE(errorOf([&] { open(damaged); }).find("damaged"), std::string::npos);
    EXPECT_EQ(errorOf([&] { app.get("Documents").call("Open", {kMissing}); }), "Argument not optional.");
    // Failed opens leave no document behind.
    EXPECT_EQ(app.get("Documents").get("Count").toInt(), 1);
}

}  // namespace
}  // namespace vantile::office::word
