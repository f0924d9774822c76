#pragma once
// How the "Word.Application" server addresses the cells of a table, for both
// document formats: Cell(i, j) is the cell that begins at grid column j of row
// i, so that sheet columns line up with table columns. Positions covered by a
// horizontally spanned cell, by the continuation of a vertical merge, or lying
// beyond a row's last cell have no cell.

#include <cstdint>
#include <vector>

#include "office/word/document.h"

namespace vantile::office::word {

class TableLayout {
  public:
    // A worksheet has 256 columns; grid columns beyond them are not addressed.
    static constexpr std::uint32_t kMaxColumns = 256;

    // Indexes the table; the text of vertical-merge continuation cells, which no
    // position addresses, is moved into the cell that starts the merge so that
    // nothing of the table is lost.
    explicit TableLayout(Table& table);

    std::uint32_t rowCount() const { return static_cast<std::uint32_t>(m_rowStart.size() - 1); }
    std::uint32_t columnCount() const { return m_columns; }
    // Zero-based row and grid column; null when no cell begins there.
    const TableCell* cellAt(std::uint32_t row, std::uint32_t column) const;

  private:
    const Table* m_table;
    std::uint32_t m_columns = 0;
    std::vector<std::uint32_t> m_rowStart;  // index of each row's first cell in m_cells, plus the end
    struct Slot {
        std::uint32_t column;  // first grid column of the cell
        bool covered;          // continues a vertical merge
    };
    std::vector<Slot> m_cells;
};

}  // namespace vantile::office::word
