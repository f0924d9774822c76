#include "office/excel/workbook_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "office/container/cfb_reader.h"

namespace vantile::office::excel {
namespace {

void fill(Workbook& book, int rows) {
    for (int r = 0; r < rows; ++r) {
        book.sheet(1).setCell(r, 0, CellValueFromText("text " + std::to_string(r)));
        book.sheet(1).setCell(r, 1, CellValueFromText(std::to_string(r)));
    }
    book.sheet(1).setColumnWidth(0, 20);
    book.renameSheet(book.sheet(1), "Données");
    book.select(book.sheet(1), true);
}

TEST(WorkbookWriter, EqualWorkbooksGiveEqualBytes) {
    Workbook a;
    Workbook b;
    fill(a, 50);
    fill(b, 50);
    EXPECT_EQ(WriteWorkbookFile(a), WriteWorkbookFile(b));
    b.sheet(1).setCell(3, 3, CellValueFromText("x"));
    EXPECT_NE(WriteWorkbookFile(a), WriteWorkbookFile(b));
}

TEST(WorkbookWriter, TheFileHoldsTheStreamPaddedToFourKilobytes) {
    for (int rows : {0, 5, 2000}) {
        Workbook book;
        fill(book, rows);
        const auto stream = WriteWorkbookStream(book);
        const auto file = WriteWorkbookFile(book);
        const container::CompoundFileReader reader(file);
        const auto stored = reader.readStream("Workbook");
        ASSERT_TRUE(stored.has_value());
        ASSERT_EQ(stored->size(), std::max<std::size_t>(stream.size(), 4096)) << rows;
        EXPECT_TRUE(std::equal(stream.begin(), stream.end(), stored->begin())) << rows;
        EXPECT_TRUE(std::all_of(stored->begin() + static_cast<std::ptrdiff_t>(stream.size()), stored->end(),
                                [](std::uint8_t byte) { return byte == 0; }));
    }
}

}  // namespace
}  // namespace vantile::office::excel
