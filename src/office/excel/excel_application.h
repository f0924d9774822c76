#pragma once
// "Excel.Application": the workbook engine behind the spreadsheet automation
// members the converter uses. Each instance is independent and meant for one
// thread.
//
//   application: Workbooks, Quit
//   workbooks:   Count, Add([template]), Item(k)
//   workbook:    Worksheets (also Sheets), ActiveSheet, SaveAs(file name), Close
//   worksheets:  Count, Add([before], [after], [count]), Item(k or name)
//   worksheet:   Name, Index, Select([replace]), Activate, Columns[j], Cells[i, j]
//   column:      ColumnWidth          cell: Value

#include "automation/core/object.h"

namespace vantile::office::excel {

automation::ObjectPtr CreateExcelApplication();

}  // namespace vantile::office::excel
