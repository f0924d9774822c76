// The INDEX and DBCELL records of a sheet lead to its DEFCOLWIDTH, ROW and
// first cell records: readers that jump through them must land on the right records.

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <vector>

#include "office/excel/biff8_records.h"
#include "office/excel/workbook.h"
#include "office/excel/workbook_writer.h"

namespace vantile::office::excel {
namespace {

struct Record {
    std::uint16_t type;
    std::vector<std::uint8_t> data;
};

std::uint32_t u32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}
std::uint16_t u16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::map<std::size_t, Record> recordsByPosition(const std::vector<std::uint8_t>& stream) {
    std::map<std::size_t, Record> records;
    for (std::size_t i = 0; i + 4 <= stream.size();) {
        const std::uint16_t size = u16(stream, i + 2);
        records[i] = {u16(stream, i),
                      std::vector<std::uint8_t>(stream.begin() + i + 4, stream.begin() + i + 4 + size)};
        i += 4 + size;
    }
    return records;
}

bool isCell(std::uint16_t type) {
    return type == biff8::kLabelSst || type == biff8::kRk || type == biff8::kNumber;
}

TEST(SheetIndex, LeadsToEveryBlocksRowsAndFirstCells) {
    Workbook book(2);
    const std::vector<std::uint32_t> rows = {3, 4, 31, 32, 40, 63, 64, 100, 65535};
    for (std::uint32_t row : rows) {
        for (std::uint32_t column = row % 5; column < 8; column += 2) {
            book.sheet(0).setCell(row, column, CellValueFromText(column % 4 ? "text" : "1.25"));
        }
    }
    const auto stream = WriteWorkbookStream(book);
    const auto records = recordsByPosition(stream);

    std::vector<std::size_t> indexes;
    for (const auto& [position, record] : records) {
        if (record.type == biff8::kIndex)
            indexes.push_back(position);
    }
    ASSERT_EQ(indexes.size(), 2u);

    const Record& index = records.at(indexes[0]);
    EXPECT_EQ(u32(index.data, 4), 3u);
    EXPECT_EQ(u32(index.data, 8), 65536u);
    EXPECT_EQ(records.at(u32(index.data, 12)).type, biff8::kDefColWidth);
    // Blocks: rows 3-31, 32-63, 64-95, 96-127, 65504-65535.
    const std::vector<std::vector<std::uint32_t>> blocks = {{3, 4, 31}, {32, 40, 63}, {64}, {100}, {65535}};
    ASSERT_EQ(index.data.size(), 16 + 4 * blocks.size());
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        SCOPED_TRACE(b);
        const std::size_t dbCellAt = u32(index.data, 16 + 4 * b);
        const Record& dbCell = records.at(dbCellAt);
        ASSERT_EQ(dbCell.type, biff8::kDbCell);
        ASSERT_EQ(dbCell.data.size(), 4 + 2 * blocks[b].size());
        std::size_t rowAt = dbCellAt - u32(dbCell.data, 0);
        std::size_t cellAt = rowAt + 20;
        for (std::size_t k = 0; k < blocks[b].size(); ++k) {
            const Record& row = records.at(rowAt);
            ASSERT_EQ(row.type, biff8::kRow);
            EXPECT_EQ(u16(row.data, 0), static_cast<std::uint16_t>(blocks[b][k]));
            rowAt += 20;
            cellAt += u16(dbCell.data, 4 + 2 * k);
            const Record& cell = records.at(cellAt);
            ASSERT_TRUE(isCell(cell.type));
            EXPECT_EQ(u16(cell.data, 0), static_cast<std::uint16_t>(blocks[b][k]));
            EXPECT_EQ(u16(cell.data, 2), blocks[b][k] % 5) << "the row's first cell";
        }
    }

    // A sheet without cells has an INDEX without blocks.
    const Record& empty = records.at(indexes[1]);
    EXPECT_EQ(empty.data.size(), 16u);
    EXPECT_EQ(u32(empty.data, 4), 0u);
    EXPECT_EQ(u32(empty.data, 8), 0u);
    EXPECT_EQ(records.at(u32(empty.data, 12)).type, biff8::kDefColWidth);
}

}  // namespace
}  // namespace vantile::office::excel
