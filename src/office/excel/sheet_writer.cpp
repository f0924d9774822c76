#include "office/excel/sheet_writer.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <vector>

#include "office/excel/biff8_records.h"
#include "office/excel/globals_writer.h"

namespace vantile::office::excel {
namespace {

constexpr std::uint32_t kRowBlock = 32;

std::uint16_t lineCount(const std::u16string& text) {
    const auto breaks = std::count(text.begin(), text.end(), u'\n');
    return static_cast<std::uint16_t>(std::min<std::ptrdiff_t>(breaks + 1, 0xFFFF));
}

// Returns the stream position of the DEFCOLWIDTH record.
std::size_t writeSettings(RecordStream& out) {
    out.record16(biff8::kCalcMode, 1);  // automatic
    out.record16(biff8::kCalcCount, 100);
    out.record16(biff8::kRefMode, 1);  // A1
    out.record16(biff8::kIteration, 0);
    out.begin(biff8::kDelta);
    out.f64(0.001);
    out.end();
    out.record16(biff8::kSaveRecalc, 1);
    out.record16(biff8::kPrintHeaders, 0);
    out.record16(biff8::kPrintGridlines, 0);
    out.record16(biff8::kGridSet, 1);
    out.record(biff8::kGuts, {0, 0, 0, 0, 0, 0, 0, 0});
    out.begin(biff8::kDefaultRowHeight);
    out.u16(0);
    out.u16(biff8::kDefaultRowHeightTwips);
    out.end();
    out.record16(biff8::kWsBool, 0x04C1);
    out.record(biff8::kHeader);
    out.record(biff8::kFooter);
    out.record16(biff8::kHCenter, 0);
    out.record16(biff8::kVCenter, 0);
    out.begin(biff8::kSetup);
    out.u16(0);       // paper size
    out.u16(100);     // scale
    out.u16(1);       // first page number
    out.u16(1);       // fit to one page wide
    out.u16(1);       // and high
    out.u16(0x0006);  // portrait, no printer settings
    out.u16(0);       // resolutions
    out.u16(0);
    out.f64(0.5);  // header and footer margins in inches
    out.f64(0.5);
    out.u16(1);  // copies
    out.end();
    const std::size_t defColWidth = out.size();
    out.record16(biff8::kDefColWidth, 8);
    return defColWidth;
}

}  // namespace

std::uint16_t ColumnWidthUnits(double characters) {
    if (!(characters > 0))
        return 0;
    characters = std::min(characters, kMaxColumnWidth);
    const double pixels = characters < 1 ? std::floor(characters * (biff8::kDigitWidthPixels + 5) + 0.5)
                                         : std::floor(characters * biff8::kDigitWidthPixels + 0.5) + 5;
    return static_cast<std::uint16_t>(std::floor(pixels * 256 / biff8::kDigitWidthPixels));
}

std::optional<std::uint32_t> EncodeRk(double value) {
    constexpr double kLimit = 536870912.0;  // 2^29
    auto integer = [&](double v) -> std::optional<std::uint32_t> {
        if (v != std::trunc(v) || v < -kLimit || v >= kLimit)
            return std::nullopt;
        return static_cast<std::uint32_t>(static_cast<std::int32_t>(v)) << 2;
    };
    auto shortDouble = [](double v) -> std::optional<std::uint32_t> {
        const auto bits = std::bit_cast<std::uint64_t>(v);
        if (bits & 0x3FFFFFFFFull)
            return std::nullopt;
        return static_cast<std::uint32_t>(bits >> 32);
    };
    if (auto rk = integer(value))
        return *rk | 2;
    if (auto rk = shortDouble(value))
        return *rk;
    // Hundredths: the reader divides by 100, so the quotient must give the value back exactly.
    const double hundredths = std::round(value * 100);
    if (auto rk = integer(hundredths); rk && hundredths / 100 == value)
        return *rk | 3;
    if (auto rk = shortDouble(hundredths); rk && hundredths / 100 == value)
        return *rk | 1;
    return std::nullopt;
}

void WriteColInfo(RecordStream& out, std::uint16_t first, std::uint16_t last, std::uint16_t units) {
    out.begin(biff8::kColInfo);
    out.u16(first);
    out.u16(last);
    out.u16(units);
    out.u16(biff8::kXfDefaultCell);
    out.u16(units == 0 ? 0x0003 : 0x0002);  // width set by the user; hidden at zero width
    out.u16(0);
    out.end();
}

void WriteDimensions(RecordStream& out, std::uint32_t firstRow, std::uint32_t endRow,
                     std::uint16_t firstColumn, std::uint16_t endColumn) {
    out.begin(biff8::kDimensions);
    out.u32(firstRow);
    out.u32(endRow);
    out.u16(firstColumn);
    out.u16(endColumn);
    out.u16(0);
    out.end();
}

void WriteRow(RecordStream& out, std::uint32_t row, std::uint16_t firstColumn, std::uint16_t endColumn,
              std::uint16_t heightTwips) {
    out.begin(biff8::kRow);
    out.u16(static_cast<std::uint16_t>(row));
    out.u16(firstColumn);
    out.u16(endColumn);
    out.u16(heightTwips);
    out.u16(0);
    out.u16(0);
    out.u16(0x0100);
    out.u16(biff8::kXfDefaultCell);
    out.end();
}

void WriteLabelSst(RecordStream& out, std::uint32_t row, std::uint16_t column, std::uint16_t xf,
                   std::uint32_t stringIndex) {
    out.begin(biff8::kLabelSst);
    out.u16(static_cast<std::uint16_t>(row));
    out.u16(column);
    out.u16(xf);
    out.u32(stringIndex);
    out.end();
}

void WriteNumberCell(RecordStream& out, std::uint32_t row, std::uint16_t column, double value) {
    const auto rk = EncodeRk(value);
    out.begin(rk ? biff8::kRk : biff8::kNumber);
    out.u16(static_cast<std::uint16_t>(row));
    out.u16(column);
    out.u16(biff8::kXfDefaultCell);
    if (rk) {
        out.u32(*rk);
    } else {
        out.f64(value);
    }
    out.end();
}

void WriteWindow2(RecordStream& out, bool selected, bool active) {
    out.begin(biff8::kWindow2);
    // Gridlines, headings, zero values, automatic grid colour, outline symbols.
    std::uint16_t flags = 0x00B6;
    if (selected)
        flags |= 0x0200;
    if (active)
        flags |= 0x0400;
    out.u16(flags);
    out.u16(0);   // top row
    out.u16(0);   // left column
    out.u16(64);  // grid colour: automatic
    out.u16(0);
    out.u16(0);  // zoom in page break preview: default
    out.u16(0);  // zoom in normal view: default
    out.u32(0);
    out.end();
}

void WriteSheet(RecordStream& out, const Worksheet& sheet, bool selected, bool active,
                std::span<const std::uint32_t> stringIndexes) {
    const auto& cells = sheet.cells();
    std::size_t blocks = 0;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i == 0 || cells[i].row / kRowBlock != cells[i - 1].row / kRowBlock)
            ++blocks;
    }

    WriteBof(out, biff8::kBofWorksheet);
    // INDEX: the rows in use and where each block's DBCELL is, filled in as they are written.
    out.begin(biff8::kIndex);
    out.u32(0);
    out.u32(cells.empty() ? 0 : cells.front().row);
    out.u32(cells.empty() ? 0 : cells.back().row + 1);
    const std::size_t defColWidthField = out.size();
    out.u32(0);
    const std::size_t dbCellFields = out.size();
    out.zeros(4 * blocks);
    out.end();
    out.patch32(defColWidthField, static_cast<std::uint32_t>(writeSettings(out)));

    const auto& widths = sheet.columnWidths();
    for (auto it = widths.begin(); it != widths.end();) {
        const std::uint16_t first = it->first;
        const std::uint16_t units = ColumnWidthUnits(it->second);
        std::uint16_t last = first;
        for (++it; it != widths.end() && it->first == last + 1 && ColumnWidthUnits(it->second) == units;
             ++it) {
            last = it->first;
        }
        WriteColInfo(out, first, last, units);
    }

    if (cells.empty()) {
        WriteDimensions(out, 0, 0, 0, 0);
    } else {
        std::uint16_t firstColumn = 0xFFFF;
        std::uint16_t lastColumn = 0;
        for (const Cell& c : cells) {
            firstColumn = std::min(firstColumn, c.column);
            lastColumn = std::max(lastColumn, c.column);
        }
        WriteDimensions(out, cells.front().row, cells.back().row + 1, firstColumn,
                        static_cast<std::uint16_t>(lastColumn + 1));
    }

    // Blocks of 32 rows: the ROW records of the block, its cells, then a DBCELL
    // that leads from the block's rows to the first cell of each.
    constexpr std::size_t kRowRecordSize = 20;
    std::size_t next = 0;
    std::size_t nextText = 0;
    std::size_t block = 0;
    std::vector<std::size_t> firstCells;
    firstCells.reserve(kRowBlock);
    while (next < cells.size()) {
        const std::uint32_t blockEnd = (cells[next].row / kRowBlock + 1) * kRowBlock;
        std::size_t end = next;
        while (end < cells.size() && cells[end].row < blockEnd)
            ++end;
        const std::size_t firstRow = out.size();
        for (std::size_t i = next; i < end;) {
            const std::uint32_t row = cells[i].row;
            std::uint16_t lines = 1;
            std::size_t j = i;
            for (; j < end && cells[j].row == row; ++j) {
                if (cells[j].value.wrap)
                    lines = std::max(lines, lineCount(cells[j].value.text));
            }
            const auto height = static_cast<std::uint16_t>(std::min<std::uint32_t>(
                std::uint32_t{lines} * biff8::kDefaultRowHeightTwips, biff8::kMaxRowHeightTwips));
            WriteRow(out, row, cells[i].column, static_cast<std::uint16_t>(cells[j - 1].column + 1), height);
            i = j;
        }
        firstCells.clear();
        for (std::size_t i = next; i < end; ++i) {
            const Cell& c = cells[i];
            if (i == next || c.row != cells[i - 1].row)
                firstCells.push_back(out.size());
            if (c.value.kind == CellValue::Kind::Number) {
                WriteNumberCell(out, c.row, c.column, c.value.number);
            } else {
                WriteLabelSst(out, c.row, c.column,
                              c.value.wrap ? biff8::kXfWrappedText : biff8::kXfDefaultCell,
                              stringIndexes[nextText++]);
            }
        }
        const std::size_t dbCell = out.size();
        out.patch32(dbCellFields + 4 * block++, static_cast<std::uint32_t>(dbCell));
        out.begin(biff8::kDbCell);
        out.u32(static_cast<std::uint32_t>(dbCell - firstRow));
        // The first offset counts from the end of the first ROW record, the
        // others from the previous row's first cell. A block's cells of 32
        // rows of 256 columns always lie within 16 bits of each other.
        std::size_t from = firstRow + kRowRecordSize;
        for (std::size_t position : firstCells) {
            out.u16(static_cast<std::uint16_t>(position - from));
            from = position;
        }
        out.end();
        next = end;
    }

    WriteWindow2(out, selected, active);
    WriteEof(out);
}

}  // namespace vantile::office::excel
