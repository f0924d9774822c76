#pragma once
// The workbook globals substream: file settings, window, fonts, number
// formats, cell formats and the style, one BOUNDSHEET per sheet, the shared
// strings. The emitters of single records are exposed for tests.

#include <cstdint>
#include <string_view>
#include <vector>

#include "office/excel/record_stream.h"
#include "office/excel/sst_writer.h"
#include "office/excel/workbook.h"

namespace vantile::office::excel {

void WriteBof(RecordStream& out, std::uint16_t substreamType);
void WriteEof(RecordStream& out);
void WriteWindow1(RecordStream& out, std::uint16_t activeSheet, std::uint16_t selectedSheets);
void WriteFont(RecordStream& out, std::u16string_view name, std::uint16_t heightTwips);
void WriteFormat(RecordStream& out, std::uint16_t id, std::u16string_view code);
// A cell format on the default font and the General number format.
void WriteXf(RecordStream& out, bool style, bool wrap);
// Returns the stream position of the sheet-offset field, to be filled in once
// the sheet's BOF position is known.
std::size_t WriteBoundSheet(RecordStream& out, std::u16string_view name);

// Writes the globals; returns the positions of the sheets' offset fields in sheet order.
std::vector<std::size_t> WriteGlobals(RecordStream& out, const Workbook& book, const SharedStrings& strings);

}  // namespace vantile::office::excel
