#include "office/excel/workbook.h"

#include <algorithm>
#include <cmath>

#include "office/excel/utf16.h"

namespace vantile::office::excel {

void Worksheet::setCell(std::uint32_t row, std::uint32_t column, CellValue value) {
    if (row >= kMaxRows || column >= kMaxColumns) {
        throw WorkbookError("The cell (" + std::to_string(std::uint64_t{row} + 1) + ", " +
                            std::to_string(std::uint64_t{column} + 1) +
                            ") lies outside the sheet's 65536 rows and 256 columns");
    }
    const auto col = static_cast<std::uint16_t>(column);
    auto before = [](const Cell& c, std::uint32_t r, std::uint16_t k) {
        return c.row < r || (c.row == r && c.column < k);
    };
    // Cells mostly arrive in order: appending is the common case.
    auto it = m_cells.end();
    if (!m_cells.empty() && !before(m_cells.back(), row, col)) {
        it = std::lower_bound(m_cells.begin(), m_cells.end(), 0,
                              [&](const Cell& c, int) { return before(c, row, col); });
    }
    const bool exists = it != m_cells.end() && it->row == row && it->column == col;
    if (value.kind == CellValue::Kind::Empty) {
        if (exists)
            m_cells.erase(it);
    } else if (exists) {
        it->value = std::move(value);
    } else {
        m_cells.insert(it, Cell{row, col, std::move(value)});
    }
}

const CellValue* Worksheet::cell(std::uint32_t row, std::uint32_t column) const {
    auto it = std::lower_bound(m_cells.begin(), m_cells.end(), 0, [&](const Cell& c, int) {
        return c.row < row || (c.row == row && c.column < column);
    });
    if (it == m_cells.end() || it->row != row || it->column != column)
        return nullptr;
    return &it->value;
}

void Worksheet::setColumnWidth(std::uint32_t column, double characters) {
    if (column >= kMaxColumns) {
        throw WorkbookError("The column " + std::to_string(std::uint64_t{column} + 1) +
                            " lies outside the sheet's 256 columns");
    }
    if (!std::isfinite(characters) || characters < 0) {
        throw WorkbookError("A column width must be a number from 0 to 255");
    }
    m_widths[static_cast<std::uint16_t>(column)] = std::min(characters, kMaxColumnWidth);
}

Workbook::Workbook(std::size_t sheets) {
    if (sheets == 0)
        throw WorkbookError("A workbook needs at least one sheet");
    for (std::size_t i = 0; i < sheets; ++i)
        insertSheet(i);
    if (!m_sheets.empty())
        select(*m_sheets.front(), true);
}

std::size_t Workbook::indexOf(const Worksheet& sheet) const {
    for (std::size_t i = 0; i < m_sheets.size(); ++i) {
        if (m_sheets[i].get() == &sheet)
            return i;
    }
    throw WorkbookError("The sheet does not belong to this workbook");
}

std::size_t Workbook::find(std::u16string_view name) const {
    for (std::size_t i = 0; i < m_sheets.size(); ++i) {
        if (SameTextIgnoringCase(m_sheets[i]->m_name, name))
            return i;
    }
    return m_sheets.size();
}

Worksheet& Workbook::insertSheet(std::size_t position) {
    std::u16string name;
    do {
        name = Utf8ToUtf16("Sheet" + std::to_string(m_nextSheetNumber++));
    } while (find(name) != m_sheets.size());
    position = std::min(position, m_sheets.size());
    auto it = m_sheets.insert(m_sheets.begin() + static_cast<std::ptrdiff_t>(position),
                              std::make_unique<Worksheet>(std::move(name)));
    return **it;
}

void Workbook::renameSheet(Worksheet& sheet, std::string_view utf8Name) {
    std::u16string name = Utf8ToUtf16(utf8Name);
    const std::string shown = "\"" + std::string(utf8Name) + "\"";
    if (name.empty() || name.size() > kMaxSheetNameUnits) {
        throw WorkbookError("The sheet name " + shown + " is not valid: a sheet name has 1 to 31 characters");
    }
    if (name.find_first_of(u":\\/?*[]") != std::u16string::npos) {
        throw WorkbookError("The sheet name " + shown +
                            " is not valid: a sheet name cannot contain any of : \\ / ? * [ ]");
    }
    if (name.front() == u'\'' || name.back() == u'\'') {
        throw WorkbookError("The sheet name " + shown +
                            " is not valid: a sheet name cannot begin or end with an apostrophe");
    }
    if (SameTextIgnoringCase(name, u"History")) {
        throw WorkbookError("The sheet name " + shown + " is reserved");
    }
    const std::size_t other = find(name);
    if (other != m_sheets.size() && m_sheets[other].get() != &sheet) {
        throw WorkbookError("The sheet name " + shown + " is already taken by another sheet");
    }
    sheet.m_name = std::move(name);
}

void Workbook::select(Worksheet& sheet, bool replace) {
    indexOf(sheet);
    if (replace) {
        for (auto& s : m_sheets)
            s->m_selected = false;
    }
    sheet.m_selected = true;
    m_active = &sheet;
}

std::size_t Workbook::selectedCount() const {
    return static_cast<std::size_t>(
        std::count_if(m_sheets.begin(), m_sheets.end(), [](const auto& s) { return s->m_selected; }));
}

}  // namespace vantile::office::excel
