#include "conversion/zrVANTILE.h"

#include <exception>
#include <stdexcept>

#include "automation/registry.h"

namespace vantile {

using automation::Variant;

namespace {

constexpr const char* kExcelProgId = "Excel.Application";

// Leading and trailing characters up to the space (blanks, line ends, the cell's end
// marks) are dropped; bytes of UTF-8 letters are above it and stay.
std::string trimControls(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ')
        --e;
    return s.substr(b, e - b);
}

}  // namespace

TzrConvertorClass TzrVANTILE::Class() {
    return [](TzrBatch* Batch, int Count, const TzrNodeEvent& OnTaskDone) -> std::shared_ptr<TzrConvertor> {
        return std::make_shared<TzrVANTILE>(Batch, Count, OnTaskDone);
    };
}

double TzrVANTILE::ColumnWidth(double Points) {
    return Points * 10000.0 / static_cast<double>(ColumnWidthDivisor);
}

void TzrVANTILE::ConvertTask(TzrBatch* Batch, TzrNode* Node) {
    const std::string target = MakeTarget(Batch, Node);
    if (target.empty())
        return;
    try {
        OpenDocument(Node->FileName);
        const Variant excel = CreateAutomationObject(kExcelProgId);
        const Variant book = excel.get("Workbooks").call("Add", {Variant::missing()});

        std::exception_ptr fillError;
        try {
            const Variant tables = FDoc.get("Tables");
            const Variant sheets = book.get("Worksheets");
            const std::int64_t sheetCount = sheets.get("Count").toInt();
            const std::int64_t tableCount = tables.get("Count").toInt();
            for (std::int64_t k = sheetCount; k < tableCount; ++k)
                sheets.call("Add", {Variant::missing()});
            // The last table first, so that the sheet of table 1 ends up selected.
            for (std::int64_t k = tables.get("Count").toInt(); k >= 1; --k) {
                const Variant table = tables.call("Item", {k});
                const Variant sheet = sheets.get("Item", {k});
                sheet.put("Name", k);
                sheet.call("Select", {Variant::missing()});
                const std::int64_t columns = table.get("Columns").get("Count").toInt();
                const std::int64_t rows = table.get("Rows").get("Count").toInt();
                for (std::int64_t i = 1; i <= rows; ++i) {
                    for (std::int64_t j = 1; j <= columns; ++j) {
                        try {
                            if (i == 1) {
                                try {
                                    const double points =
                                        table.get("Columns").call("Item", {j}).get("Width").toDouble();
                                    sheet.get("Columns", {j}).put("ColumnWidth", ColumnWidth(points));
                                } catch (const std::exception&) {
                                }
                            }
                            const std::string text =
                                trimControls(table.call("Cell", {i, j}).get("Range").get("Text").toString());
                            sheet.put("Cells", Variant(text), {i, j});
                        } catch (const std::exception&) {
                            // A cell that cannot be read or written (a merged area) stays empty.
                        }
                    }
                }
            }
        } catch (const std::exception&) {
            fillError = std::current_exception();
        }
        // The save replaces an existing target atomically, so a failed save keeps
        // the previous result.
        book.call("SaveAs", {target});
        book.call("Close", {Variant::missing()});
        excel.call("Quit");
        if (fillError)
            std::rethrow_exception(fillError);

        CloseDocument();
        FinishTask(Batch, Node, target);
        Node->ResultText = target;
        Node->Status.store(1);
        Batch->AddSuccess();
    } catch (const std::exception& e) {
        Node->ResultText = e.what();
        Node->Status.store(2);
        Batch->AddError(e.what());
    }
    CloseDocument();
}

}  // namespace vantile
