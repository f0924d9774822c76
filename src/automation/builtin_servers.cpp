#include "automation/registry.h"

#include "office/excel/excel_application.h"
#include "office/word/word_application.h"

namespace vantile::automation {

// The document and workbook engines register here as they become available;
// "WPS.Application" is never registered on this platform.
void RegisterBuiltinServers() {
    RegisterServer("Word.Application", [] { return office::word::CreateWordApplication(); });
    RegisterServer("Excel.Application", [] { return office::excel::CreateExcelApplication(); });
}

}  // namespace vantile::automation
