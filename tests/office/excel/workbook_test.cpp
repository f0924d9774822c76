#include "office/excel/workbook.h"

#include <gtest/gtest.h>

#include <string>

namespace vantile::office::excel {
namespace {

TEST(Workbook, NewWorkbookHasThreeSheetsTheFirstActive) {
    Workbook book;
    ASSERT_EQ(book.sheetCount(), 3u);
    EXPECT_EQ(book.sheet(0).name(), u"Sheet1");
    EXPECT_EQ(book.sheet(2).name(), u"Sheet3");
    EXPECT_EQ(book.activeSheet(), 0u);
    EXPECT_EQ(book.selectedCount(), 1u);
}

TEST(Workbook, InsertedSheetsTakeTheNextFreeNumber) {
    Workbook book;
    book.renameSheet(book.sheet(0), "sheet4");
    Worksheet& added = book.insertSheet(0);
    EXPECT_EQ(added.name(), u"Sheet5");
    EXPECT_EQ(book.indexOf(added), 0u);
    EXPECT_EQ(book.sheet(1).name(), u"sheet4");
}

TEST(Workbook, SheetNamesFollowTheApplicationsRules) {
    const char* bad[] = {"",      "1234567890123456789012345678901234567890",
                         "a:b",   "a\\b",
                         "a/b",   "a?b",
                         "a*b",   "a[b",
                         "a]b",   "'ab",
                         "ab'",   "history",
                         "SHEET2"};
    for (const char* name : bad) {
        Workbook book;
        EXPECT_THROW(book.renameSheet(book.sheet(0), name), WorkbookError) << name;
        EXPECT_EQ(book.sheet(0).name(), u"Sheet1") << name;
    }
    const char* good[] = {
        "1", "Sheet1", "sHeEt1", "a'b", "Übersicht – 2024", "1234567890123456789012345678901", "Ωμέγα"};
    for (const char* name : good) {
        Workbook book;
        EXPECT_NO_THROW(book.renameSheet(book.sheet(0), name)) << name;
    }
}

TEST(Workbook, DuplicateNamesIgnoreCaseBeyondAscii) {
    Workbook book;
    book.renameSheet(book.sheet(0), "Straße Ä");
    EXPECT_THROW(book.renameSheet(book.sheet(1), "STRAßE ä"), WorkbookError);
    book.renameSheet(book.sheet(1), "Ωμέγα");
    EXPECT_THROW(book.renameSheet(book.sheet(2), "ΩΜΈΓΑ"), WorkbookError);
}

TEST(Workbook, SelectionAndActiveSheet) {
    Workbook book;
    book.select(book.sheet(2), true);
    EXPECT_EQ(book.activeSheet(), 2u);
    EXPECT_FALSE(book.isSelected(0));
    book.select(book.sheet(1), false);
    EXPECT_EQ(book.activeSheet(), 1u);
    EXPECT_EQ(book.selectedCount(), 2u);
}

TEST(Worksheet, CellsStayOrderedAndCanBeReplacedOrRemoved) {
    Worksheet sheet(u"s");
    sheet.setCell(5, 1, CellValueFromText("b"));
    sheet.setCell(0, 3, CellValueFromText("a"));
    sheet.setCell(5, 0, CellValueFromText("1"));
    sheet.setCell(5, 1, CellValueFromText("c"));
    sheet.setCell(0, 3, CellValueFromText(""));
    ASSERT_EQ(sheet.cells().size(), 2u);
    EXPECT_EQ(sheet.cells()[0].column, 0);
    EXPECT_EQ(sheet.cells()[1].value.text, u"c");
    EXPECT_EQ(sheet.cell(0, 3), nullptr);
    EXPECT_THROW(sheet.setCell(kMaxRows, 0, CellValueFromText("x")), WorkbookError);
    EXPECT_THROW(sheet.setCell(0, kMaxColumns, CellValueFromText("x")), WorkbookError);
    EXPECT_NO_THROW(sheet.setCell(kMaxRows - 1, kMaxColumns - 1, CellValueFromText("x")));
}

TEST(Worksheet, ColumnWidthsAreCutToTheFormatsRange) {
    Worksheet sheet(u"s");
    sheet.setColumnWidth(0, 300);
    EXPECT_EQ(sheet.columnWidths().at(0), 255);
    EXPECT_THROW(sheet.setColumnWidth(1, -1), WorkbookError);
    EXPECT_THROW(sheet.setColumnWidth(kMaxColumns, 10), WorkbookError);
}

}  // namespace
}  // namespace vantile::office::excel
