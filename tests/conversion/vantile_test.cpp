#include <gtest/gtest.h>
#include <algorithm>
#include <filesystem>

#include "conversion/conversion_fixture.h"
#include "conversion/fake_office.h"

namespace vantile {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

class VantileTest : public test::ConversionTest {
  protected:
    void SetUp() override {
        ConversionTest::SetUp();
        m_batch = preparedBatch();
        m_conv = std::make_shared<TzrVANTILE>(m_batch.get(), 1, TzrNodeEvent{});
    }
    void TearDown() override {
        m_conv->QuitServer();
        ConversionTest::TearDown();
    }
    // Converts one source written below the source folder, on this thread.
    TzrNode& convert(const std::string& name = "doc.docx") {
        m_src.write(name, "document");
        m_nodes.push_back(std::make_unique<TzrNode>(m_src.str() + name, static_cast<int>(m_nodes.size())));
        m_conv->ConvertTask(m_batch.get(), m_nodes.back().get());
        return *m_nodes.back();
    }
    std::string saved(const std::string& name = "doc.xls") { return test::readFile(m_out.path() / name); }
    int count(const std::string& line) {
        const auto log = m_office->log();
        return static_cast<int>(std::count(log.begin(), log.end(), line));
    }
    // The workbook text the fake writes: sheets in position order with their cells.
    static std::string sheet(const std::string& name, const Lines& lines = {}) {
        std::string out = "[" + name + "]\n";
        for (const auto& l : lines)
            out += l + "\n";
        return out;
    }
    static Lines filled(int rows, int cols, const std::string& prefix, double width = 10) {
        Lines out;
        for (int j = 1; j <= cols; ++j)
            out.push_back("width " + std::to_string(j) + "=" + test::describe(automation::Variant(width)));
        for (int i = 1; i <= rows; ++i)
            for (int j = 1; j <= cols; ++j)
                out.push_back(std::to_string(i) + "," + std::to_string(j) + "=" + prefix + "r" +
                              std::to_string(i) + "c" + std::to_string(j));
        return out;
    }

    std::shared_ptr<test::FakeOffice> m_office = std::make_shared<test::FakeOffice>();
    test::FakeServers m_servers{m_office};
    std::unique_ptr<TzrBatch> m_batch;
    std::shared_ptr<TzrVANTILE> m_conv;
    std::vector<std::unique_ptr<TzrNode>> m_nodes;
};

TEST_F(VantileTest, CallsTheMembersInOrderWithTheirArguments) {
    test::FakeTable t = test::simpleTable(2, 2);
    t.widths = {108, 54};
    t.cells[{1, 2}] = "  12\r\a";
    m_office->tables = {t};
    TzrNode& node = convert();
    const std::string src = m_src.str() + "doc.docx", target = m_out.str() + "doc.xls";
    Lines expected = {"Word.Version",
                      "Word.DisplayAlerts=0",
                      "Word.Documents",
                      "Documents.Open(\"" + src + "\",missing,False)",
                      "Word.Options",
                      "Options.UpdateFieldsAtPrint=False",
                      "Options.UpdateLinksAtPrint=False",
                      "Excel.Workbooks",
                      "Workbooks.Add(missing)",
                      "Document.Tables",
                      "Workbook.Worksheets",
                      "Worksheets.Count",
                      "Tables.Count",
                      "Tables.Count",
                      "Tables.Item(1)",
                      "Worksheets.Item[1]",
                      "Sheet.Name=1",
                      "Sheet.Select(missing)",
                      "Table1.Columns",
                      "Table1.Columns.Count",
                      "Table1.Rows",
                      "Table1.Rows.Count",
                      "Table1.Columns",
                      "Table1.Columns.Item(1)",
                      "Column.Width",
                      "Sheet.Columns[1]",
                      "Column.ColumnWidth=20",
                      "Table1.Cell(1,1)",
                      "Cell.Range",
                      "Range.Text",
                      "Sheet.Cells[1,1]=\"r1c1\"",
                      "Table1.Columns",
                      "Table1.Columns.Item(2)",
                      "Column.Width",
                      "Sheet.Columns[2]",
                      "Column.ColumnWidth=10",
                      "Table1.Cell(1,2)",
                      "Cell.Range",
                      "Range.Text",
                      "Sheet.Cells[1,2]=\"12\"",
                      "Table1.Cell(2,1)",
                      "Cell.Range",
                      "Range.Text",
                      "Sheet.Cells[2,1]=\"r2c1\"",
                      "Table1.Cell(2,2)",
                      "Cell.Range",
                      "Range.Text",
                      "Sheet.Cells[2,2]=\"r2c2\"",
                      "Workbook.SaveAs(\"" + target + "\")",
                      "Workbook.Close(missing)",
                      "Excel.Quit()",
                      "Document.Close(False)"};
    EXPECT_EQ(m_office->log(), expected);
    EXPECT_EQ(node.Status, 1);
    EXPECT_EQ(node.ResultText, target);
    EXPECT_EQ(m_batch->SuccessCount(), 1);
    EXPECT_EQ(TzrVANTILE::ColumnWidth(108), 20.0);
}

TEST_F(VantileTest, TablesAgainstTheNewWorkbooksSheets) {
    struct Case {
        int tables;
        int adds;
        std::string text;
    };
    auto tablesOf = [](int n) {
        std::vector<test::FakeTable> out;
        for (int k = 1; k <= n; ++k)
            out.push_back(test::simpleTable(1, 2, "t" + std::to_string(k)));
        return out;
    };
    auto filledSheet = [&](int k) { return sheet(std::to_string(k), filled(1, 2, "t" + std::to_string(k))); };
    const Case cases[] = {
        {0, 0, sheet("Sheet1") + sheet("Sheet2") + sheet("Sheet3")},
        {1, 0, filledSheet(1) + sheet("Sheet2") + sheet("Sheet3")},
        {3, 0, filledSheet(1) + filledSheet(2) + filledSheet(3)},
        {5, 2, filledSheet(1) + filledSheet(2) + filledSheet(3) + filledSheet(4) + filledSheet(5)},
    };
    for (const auto& c : cases) {
        m_office->tables = tablesOf(c.tables);
        const int addsBefore = count("Worksheets.Add(missing)");
        TzrNode& node = convert("t" + std::to_string(c.tables) + ".doc");
        EXPECT_EQ(node.Status, 1) << node.ResultText;
        EXPECT_EQ(count("Worksheets.Add(missing)") - addsBefore, c.adds) << c.tables;
        EXPECT_EQ(saved("t" + std::to_string(c.tables) + ".xls"), c.text) << c.tables;
    }
}

TEST_F(VantileTest, LastTableIsVisitedFirstSoTheFirstIsSelectedLast) {
    m_office->tables = {test::simpleTable(1, 1), test::simpleTable(1, 1), test::simpleTable(1, 1)};
    convert();
    Lines names;
    for (const auto& l : m_office->excelLog())
        if (l.rfind("Sheet.Name=", 0) == 0 || l.rfind("Worksheets.Item", 0) == 0)
            names.push_back(l);
    EXPECT_EQ(names, (Lines{"Worksheets.Item[3]", "Sheet.Name=3", "Worksheets.Item[2]", "Sheet.Name=2",
                            "Worksheets.Item[1]", "Sheet.Name=1"}));
}

TEST_F(VantileTest, SizeErrorStillSavesWhatWasFilledAndFails) {
    m_office->tables = {test::simpleTable(1, 1, "a"), test::simpleTable(1, 1, "b"),
                        test::simpleTable(1, 1, "c")};
    m_office->tables[2].failSize = true;
    TzrNode& node = convert();
    EXPECT_EQ(node.Status, 2);
    EXPECT_EQ(node.ResultText, "The table's size cannot be read");
    EXPECT_EQ(m_batch->ErrorTexts(), (Lines{"The table's size cannot be read"}));
    EXPECT_EQ(saved(), sheet("Sheet1") + sheet("Sheet2") + sheet("3"));
    EXPECT_EQ(count("Excel.Quit()"), 1);
    EXPECT_EQ(count("Document.Close(False)"), 1);
}

TEST_F(VantileTest, CellsThatRaiseStayEmptyAndTheTaskSucceeds) {
    test::FakeTable t = test::simpleTable(2, 2);
    t.cells.erase({1, 2});  // a merged area
    t.widths = {54};        // the second column's width cannot be read
    t.cells[{2, 1}] = " Ä b \r\a";
    m_office->tables = {t};
    TzrNode& node = convert();
    EXPECT_EQ(node.Status, 1);
    EXPECT_EQ(saved(), sheet("1", {"width 1=10", "1,1=r1c1", "2,1=Ä b", "2,2=r2c2"}) + sheet("Sheet2") +
                           sheet("Sheet3"));
}

TEST_F(VantileTest, ExistingTargetIsReplacedOnlyBySuccessfulSave) {
    m_office->tables = {test::simpleTable(1, 1)};
    m_out.write("doc.xls", "previous result");
    m_office->saveError = "Disk full";
    TzrNode& failed = convert();
    EXPECT_EQ(failed.Status, 2);
    EXPECT_EQ(failed.ResultText, "Disk full");
    EXPECT_EQ(saved(), "previous result");
    EXPECT_EQ(m_office->excelLog().back(), "Workbook.SaveAs(\"" + m_out.str() + "doc.xls\")");
    EXPECT_EQ(count("Document.Close(False)"), 1);

    m_office->saveError.reset();
    EXPECT_EQ(convert().Status, 1);
    EXPECT_EQ(m_office->targetExistedAtSave, (std::vector<bool>{true, true}));
    EXPECT_EQ(saved(), sheet("1", filled(1, 1, "")) + sheet("Sheet2") + sheet("Sheet3"));
}

TEST_F(VantileTest, SkippedTaskTouchesNoServer) {
    set("IsOverwrite", "skip");
    m_out.write("doc.xls", "previous result");
    TzrNode& node = convert();
    EXPECT_EQ(node.Status, 1);
    EXPECT_EQ(node.ResultText, "");
    EXPECT_TRUE(m_office->log().empty());
    EXPECT_EQ(m_batch->SuccessCount() + m_batch->ErrorCount(), 0);
}

TEST_F(VantileTest, FailuresBeforeTheWorkbookExists) {
    // The document cannot be opened: no spreadsheet is started.
    m_office->openError = "The document is password-protected";
    TzrNode& locked = convert("locked.doc");
    EXPECT_EQ(locked.Status, 2);
    EXPECT_EQ(locked.ResultText, "The document is password-protected");
    EXPECT_EQ(m_office->excelInstances, 0);
    m_office->openError.reset();

    // The workbook cannot be added: the spreadsheet is released without Quit.
    m_office->addBookError = "Out of memory";
    EXPECT_EQ(convert("nobook.doc").ResultText, "Out of memory");
    EXPECT_EQ(m_office->excelQuits, 0);
    m_office->addBookError.reset();

    // The source vanished after the search.
    m_nodes.push_back(std::make_unique<TzrNode>(m_src.str() + "vanished.doc", 9));
    m_conv->ConvertTask(m_batch.get(), m_nodes.back().get());
    EXPECT_EQ(m_nodes.back()->Status, 2);
    EXPECT_NE(m_nodes.back()->ResultText.find(m_src.str() + "vanished.doc"), std::string::npos);
    EXPECT_FALSE(fs::exists(m_out.path() / "vanished.xls"));
    EXPECT_EQ(m_batch->ErrorCount(), 3);
    EXPECT_EQ(m_batch->SuccessCount(), 0);
}

TEST_F(VantileTest, NoSpreadsheetFailsWithTheCreationError) {
    automation::UnregisterServer("Excel.Application");
    TzrNode& node = convert();
    EXPECT_EQ(node.ResultText, "Class not registered, ProgID: \"Excel.Application\"");
    EXPECT_EQ(node.Status, 2);
}

TEST_F(VantileTest, SourceIsTreatedOnlyAfterSuccess) {
    set("RenameSource", ".done");
    m_office->saveError = "Disk full";
    convert("a.doc");
    EXPECT_TRUE(fs::exists(m_src.path() / "a.doc"));
    m_office->saveError.reset();
    convert("a.doc");
    EXPECT_FALSE(fs::exists(m_src.path() / "a.doc"));
    EXPECT_TRUE(fs::exists(m_src.path() / "a.doc.done"));
}

TEST_F(VantileTest, ChainOfWorkersConvertsAFolder) {
    set("ThreadsCount", "3");
    set("Subdir", "1");
    m_office->tables = {test::simpleTable(1, 1)};
    for (int i = 0; i < 8; ++i)
        m_src.write("sub " + std::to_string(i % 2) + "/d" + std::to_string(i) + ".docx", "document");
    TzrBatch batch;
    std::atomic<int> reports{0};
    batch.Prepare(m_src.str() + "*.doc?", m_out.str(), true);
    auto head = TzrConvertor::CreateConvertors(&batch, m_out.str(), [&](TzrBatch*, TzrNode*) { ++reports; });
    ConvertorsAlive = head->FCount;
    head->ResumeAll();
    head.reset();
    WaitForWorkerThreads();
    EXPECT_EQ(ConvertorsAlive.load(), 0);
    EXPECT_EQ(reports.load(), 8);
    EXPECT_EQ(batch.SuccessCount(), 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(
            fs::exists(m_out.path() / ("sub " + std::to_string(i % 2)) / ("d" + std::to_string(i) + ".xls")));
    EXPECT_LE(m_office->wordInstances, 3);
    EXPECT_EQ(m_office->wordQuits, m_office->wordInstances);
    EXPECT_EQ(m_office->excelInstances, 8);
    EXPECT_EQ(m_office->excelQuits, 8);
}

}  // namespace
}  // namespace vantile
