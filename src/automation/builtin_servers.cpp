#include "automation/registry.h"

#include "office/excel/excel_application.h"

namespace vantile::automation {

// The document and workbook engines register here as they become available;
// "WPS.Application" is never registered on this platform.
void RegisterBuiltinServers() {
    RegisterServer("Excel.Application", [] { return office::excel::CreateExcelApplication(); });
}

}  // namespace vantile::automation
