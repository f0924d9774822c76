#pragma once
// The workbook model: ordered worksheets with names, the selection and the
// active sheet, cell values and column widths. It knows nothing of automation;
// the writer turns it into an .xls file.

#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "office/excel/cell_value.h"

namespace vantile::office::excel {

// A request the workbook cannot carry out; the message is for the user.
class WorkbookError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

inline constexpr std::uint32_t kMaxRows = 65536;
inline constexpr std::uint32_t kMaxColumns = 256;
inline constexpr double kMaxColumnWidth = 255;  // characters
inline constexpr std::size_t kMaxSheetNameUnits = 31;

struct Cell {
    std::uint32_t row = 0;  // zero-based
    std::uint16_t column = 0;
    CellValue value;
};

class Worksheet {
  public:
    explicit Worksheet(std::u16string name) : m_name(std::move(name)) {}

    const std::u16string& name() const { return m_name; }

    // Zero-based positions; raise WorkbookError outside the sheet. An Empty
    // value removes the cell.
    void setCell(std::uint32_t row, std::uint32_t column, CellValue value);
    const CellValue* cell(std::uint32_t row, std::uint32_t column) const;
    // Cells in row order, then column order.
    const std::vector<Cell>& cells() const { return m_cells; }

    // Width in characters of the default font's digits; values above the
    // format's 255 are cut to 255; negative or non-finite widths raise.
    void setColumnWidth(std::uint32_t column, double characters);
    // Columns with a width of their own; the others have the default width.
    const std::map<std::uint16_t, double>& columnWidths() const { return m_widths; }

  private:
    friend class Workbook;
    std::u16string m_name;
    bool m_selected = false;
    std::vector<Cell> m_cells;
    std::map<std::uint16_t, double> m_widths;
};

class Workbook {
  public:
    // A workbook with `sheets` sheets named "Sheet1", "Sheet2", ...; the first
    // one active and selected.
    explicit Workbook(std::size_t sheets = 3);
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    std::size_t sheetCount() const { return m_sheets.size(); }
    Worksheet& sheet(std::size_t index) { return *m_sheets.at(index); }
    const Worksheet& sheet(std::size_t index) const { return *m_sheets.at(index); }
    // Position of a sheet of this workbook.
    std::size_t indexOf(const Worksheet& sheet) const;
    // Position of the sheet with that name (case ignored), or sheetCount().
    std::size_t find(std::u16string_view name) const;

    // Inserts a new sheet at the position with the next free "SheetN" name.
    Worksheet& insertSheet(std::size_t position);

    // Raises WorkbookError unless the name follows the rules for sheet names:
    // 1 to 31 characters, none of : \ / ? * [ ], no apostrophe at either end,
    // not "History", no other sheet of that name (case ignored).
    void renameSheet(Worksheet& sheet, std::string_view utf8Name);

    // With replace, the sheet becomes the only selected one; without, it joins
    // the selection. Either way it becomes the active sheet.
    void select(Worksheet& sheet, bool replace);
    std::size_t activeSheet() const { return indexOf(*m_active); }
    bool isSelected(std::size_t index) const { return m_sheets.at(index)->m_selected; }
    std::size_t selectedCount() const;

  private:
    std::vector<std::unique_ptr<Worksheet>> m_sheets;
    Worksheet* m_active = nullptr;
    std::size_t m_nextSheetNumber = 1;
};

}  // namespace vantile::office::excel
