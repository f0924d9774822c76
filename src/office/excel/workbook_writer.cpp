#include "office/excel/workbook_writer.h"

#include "office/container/cfb_constants.h"
#include "office/container/cfb_writer.h"
#include "office/excel/globals_writer.h"
#include "office/excel/sheet_writer.h"
#include "office/excel/sst_writer.h"

namespace vantile::office::excel {
namespace {

constexpr std::size_t kMaxStream = 0xFFFFFFFFu;

}  // namespace

namespace {

// Writes the stream into a buffer that starts with `prefix` bytes of room.
std::vector<std::uint8_t> writeStream(const Workbook& book, std::size_t prefix) {
    SharedStrings strings;
    std::vector<std::vector<std::uint32_t>> stringIndexes(book.sheetCount());
    std::size_t cellCount = 0;
    for (std::size_t s = 0; s < book.sheetCount(); ++s) {
        for (const Cell& c : book.sheet(s).cells()) {
            if (c.value.kind == CellValue::Kind::Text)
                stringIndexes[s].push_back(strings.add(c.value.text));
        }
        cellCount += book.sheet(s).cells().size();
    }

    RecordStream out(prefix);
    out.reserve(4096 + 16 * cellCount);
    const std::vector<std::size_t> offsetFields = WriteGlobals(out, book, strings);
    const std::size_t active = book.activeSheet();
    for (std::size_t s = 0; s < book.sheetCount(); ++s) {
        out.patch32(offsetFields[s], static_cast<std::uint32_t>(out.size()));
        WriteSheet(out, book.sheet(s), book.isSelected(s), s == active, stringIndexes[s]);
        // Sheet offsets and string positions are 32-bit; the compound file caps the stream below 4 GiB.
        if (out.size() >= kMaxStream)
            throw WorkbookError("The workbook is too large for an Excel 97-2003 file");
    }
    return out.take();
}

}  // namespace

std::vector<std::uint8_t> WriteWorkbookStream(const Workbook& book) {
    return writeStream(book, 0);
}

std::vector<std::uint8_t> WriteWorkbookFile(const Workbook& book) {
    // The stream is written where the file will hold it, after the header.
    std::vector<std::uint8_t> file = writeStream(book, container::cfb::kHeaderSize);
    // Like the application's own files, the stream never goes to the mini
    // stream: readers locate sheets by offset and ignore the padding.
    const std::size_t minimum = container::cfb::kHeaderSize + container::cfb::kMiniStreamCutoff;
    if (file.size() < minimum)
        file.resize(minimum, 0);
    container::WriteSingleStreamCompoundFile(file, u"Workbook");
    return file;
}

}  // namespace vantile::office::excel
