#pragma once
// Assembles an Excel 97-2003 file from a workbook model:
//
//   compound file
//   └── "Workbook" stream
//       ├── globals: settings, fonts, formats, XFs, style, BOUNDSHEET per sheet, SST, EXTSST
//       └── one substream per sheet, at the offset its BOUNDSHEET gives
//
// Writing is a pure function of the model: equal workbooks give equal bytes.

#include <cstdint>
#include <vector>

#include "office/excel/workbook.h"

namespace vantile::office::excel {

// The BIFF8 records of the "Workbook" stream.
std::vector<std::uint8_t> WriteWorkbookStream(const Workbook& book);

// The whole .xls file.
std::vector<std::uint8_t> WriteWorkbookFile(const Workbook& book);

}  // namespace vantile::office::excel
