#include "office/word/table_layout.h"

#include <algorithm>

namespace vantile::office::word {

TableLayout::TableLayout(Table& table) : m_table(&table) {
    m_columns = std::min(table.columnCount(), kMaxColumns);
    std::size_t total = 0;
    for (const auto& row : table.rows)
        total += row.cells.size();
    m_cells.reserve(total);
    m_rowStart.reserve(table.rows.size() + 1);

    // For each grid column, the cell (row, index in row) that starts the vertical merge running there.
    struct Origin {
        std::uint32_t row = UINT32_MAX;
        std::uint32_t cell = 0;
    };
    std::vector<Origin> origin(m_columns);
    std::vector<Origin> previousRow(m_columns);  // cell starting at each column in the row above
    std::vector<Origin> thisRow(m_columns);

    for (std::uint32_t r = 0; r < table.rows.size(); ++r) {
        m_rowStart.push_back(static_cast<std::uint32_t>(m_cells.size()));
        auto& row = table.rows[r];
        std::fill(thisRow.begin(), thisRow.end(), Origin{});
        std::uint64_t column = row.gridBefore;
        for (std::uint32_t c = 0; c < row.cells.size(); ++c) {
            TableCell& cell = row.cells[c];
            const std::uint64_t start = column;
            column += std::max<std::uint32_t>(cell.gridSpan, 1);
            if (start >= m_columns) {
                m_cells.push_back({UINT32_MAX, true});
                continue;
            }
            const auto at = static_cast<std::uint32_t>(start);
            // A continuation counts only below a cell of a merge that starts at the same
            // column; otherwise it is an ordinary cell, as if it began the merge.
            const Origin above = previousRow[at];
            const bool covered = cell.vMerge == VerticalMerge::Continue && above.row != UINT32_MAX &&
                                 table.rows[above.row].cells[above.cell].vMerge != VerticalMerge::None;
            m_cells.push_back({at, covered});
            thisRow[at] = {r, c};
            if (covered) {
                if (!cell.text.empty()) {
                    TableCell& first = table.rows[origin[at].row].cells[origin[at].cell];
                    if (!first.text.empty())
                        first.text.push_back('\r');
                    first.text += cell.text;
                    cell.text.clear();
                }
            } else {
                origin[at] = {r, c};
            }
        }
        std::swap(previousRow, thisRow);
    }
    m_rowStart.push_back(static_cast<std::uint32_t>(m_cells.size()));
}

const TableCell* TableLayout::cellAt(std::uint32_t row, std::uint32_t column) const {
    if (row >= rowCount() || column >= m_columns)
        return nullptr;
    const auto first = m_cells.begin() + m_rowStart[row];
    const auto last = m_cells.begin() + m_rowStart[row + 1];
    const auto it = std::lower_bound(first, last, column,
                                     [](const Slot& slot, std::uint32_t col) { return slot.column < col; });
    if (it == last || it->column != column || it->covered)
        return nullptr;
    return &m_table->rows[row].cells[static_cast<std::size_t>(it - first)];
}

}  // namespace vantile::office::word
