#pragma once
// One worksheet substream: calculation and print settings, column widths,
// dimensions, rows with their cells, the window. The emitters of single
// records are exposed for tests.

#include <cstdint>
#include <optional>
#include <span>

#include "office/excel/record_stream.h"
#include "office/excel/workbook.h"

namespace vantile::office::excel {

// A width in characters as COLINFO stores it: 1/256 of the digit width,
// including the cell padding of 5 pixels, after rounding to whole pixels as
// the application does.
std::uint16_t ColumnWidthUnits(double characters);
// The RK form of a number when it has one (integers of 30 bits, those divided
// by 100, and doubles whose low 34 bits are zero, also divided by 100).
std::optional<std::uint32_t> EncodeRk(double value);

void WriteColInfo(RecordStream& out, std::uint16_t first, std::uint16_t last, std::uint16_t units);
void WriteDimensions(RecordStream& out, std::uint32_t firstRow, std::uint32_t endRow,
                     std::uint16_t firstColumn, std::uint16_t endColumn);
void WriteRow(RecordStream& out, std::uint32_t row, std::uint16_t firstColumn, std::uint16_t endColumn,
              std::uint16_t heightTwips);
void WriteLabelSst(RecordStream& out, std::uint32_t row, std::uint16_t column, std::uint16_t xf,
                   std::uint32_t stringIndex);
// RK when the number has that form, else NUMBER.
void WriteNumberCell(RecordStream& out, std::uint32_t row, std::uint16_t column, double value);
void WriteWindow2(RecordStream& out, bool selected, bool active);

// stringIndexes holds the shared-string index of each text cell, in cell order.
void WriteSheet(RecordStream& out, const Worksheet& sheet, bool selected, bool active,
                std::span<const std::uint32_t> stringIndexes);

}  // namespace vantile::office::excel
