#include "office/excel/globals_writer.h"

#include "office/excel/biff8_records.h"

namespace vantile::office::excel {
namespace {

// The currency and accounting formats every Excel 97-2003 file lists.
struct BuiltInFormat {
    std::uint16_t id;
    std::u16string_view code;
};
constexpr BuiltInFormat kBuiltInFormats[] = {
    {5, u"\"$\"#,##0_);\\(\"$\"#,##0\\)"},
    {6, u"\"$\"#,##0_);[Red]\\(\"$\"#,##0\\)"},
    {7, u"\"$\"#,##0.00_);\\(\"$\"#,##0.00\\)"},
    {8, u"\"$\"#,##0.00_);[Red]\\(\"$\"#,##0.00\\)"},
    {42, u"_(\"$\"* #,##0_);_(\"$\"* \\(#,##0\\);_(\"$\"* \"-\"_);_(@_)"},
    {41, u"_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)"},
    {44, u"_(\"$\"* #,##0.00_);_(\"$\"* \\(#,##0.00\\);_(\"$\"* \"-\"??_);_(@_)"},
    {43, u"_(* #,##0.00_);_(* \\(#,##0.00\\);_(* \"-\"??_);_(@_)"},
};

// Fonts 0 to 3 and 5 (the fifth FONT record is referenced as 5: index 4 does not exist).
constexpr int kFontCount = 5;
// Style formats 0 (Normal) to 14 (outline levels), then the cell formats.
constexpr int kStyleXfCount = 15;

}  // namespace

void WriteBof(RecordStream& out, std::uint16_t substreamType) {
    out.begin(biff8::kBof);
    out.u16(biff8::kBiffVersion);
    out.u16(substreamType);
    out.u16(0x0DBB);      // build
    out.u16(0x07CC);      // year
    out.u32(0);           // file history
    out.u32(0x00000006);  // lowest BIFF version that can read all records
    out.end();
}

void WriteEof(RecordStream& out) {
    out.record(biff8::kEof);
}

void WriteWindow1(RecordStream& out, std::uint16_t activeSheet, std::uint16_t selectedSheets) {
    out.begin(biff8::kWindow1);
    out.u16(0x01E0);  // position and size in twips
    out.u16(0x005A);
    out.u16(0x3FCF);
    out.u16(0x2A4E);
    out.u16(0x0038);  // horizontal and vertical scroll bars, sheet tabs
    out.u16(activeSheet);
    out.u16(0);  // first visible tab
    out.u16(selectedSheets);
    out.u16(0x0258);  // tab bar takes 60 % of the width
    out.end();
}

void WriteFont(RecordStream& out, std::u16string_view name, std::uint16_t heightTwips) {
    out.begin(biff8::kFont);
    out.u16(heightTwips);
    out.u16(0);       // not italic, not struck out
    out.u16(0x7FFF);  // automatic colour
    out.u16(400);     // normal weight
    out.u16(0);       // no super- or subscript
    out.u8(0);        // no underline
    out.u8(0);        // family
    out.u8(0);        // character set
    out.u8(0);
    out.shortUnicodeString(name);
    out.end();
}

void WriteFormat(RecordStream& out, std::uint16_t id, std::u16string_view code) {
    out.begin(biff8::kFormat);
    out.u16(id);
    out.unicodeString(code);
    out.end();
}

void WriteXf(RecordStream& out, bool style, bool wrap) {
    out.begin(biff8::kXf);
    out.u16(0);                             // font
    out.u16(0);                             // number format General
    out.u16(style ? 0xFFF5 : 0x0001);       // locked; a style has no parent, a cell format has Normal
    out.u8(wrap ? 0x28 : 0x20);             // bottom aligned, wrapped or not
    out.u8(0);                              // no rotation
    out.u8(0);                              // no indent
    out.u8(style ? 0 : (wrap ? 0x10 : 0));  // a cell format that changes the alignment says so
    out.u32(0);                             // no borders
    out.u32(0);
    out.u16(0x20C0);  // pattern colours: system foreground and background
    out.end();
}

std::size_t WriteBoundSheet(RecordStream& out, std::u16string_view name) {
    out.begin(biff8::kBoundSheet);
    const std::size_t offsetField = out.size();
    out.u32(0);
    out.u8(0);  // visible
    out.u8(0);  // worksheet
    out.shortUnicodeString(name);
    out.end();
    return offsetField;
}

std::vector<std::size_t> WriteGlobals(RecordStream& out, const Workbook& book, const SharedStrings& strings) {
    const auto sheets = static_cast<std::uint16_t>(book.sheetCount());
    WriteBof(out, biff8::kBofGlobals);
    out.record16(biff8::kInterfaceHdr, biff8::kCodePageUnicode);
    out.record16(biff8::kMms, 0);
    out.record(biff8::kInterfaceEnd);
    out.begin(biff8::kWriteAccess);
    out.unicodeString(u"");
    while (out.recordDataSize() < 112)
        out.u8(' ');
    out.end();
    out.record16(biff8::kCodePage, biff8::kCodePageUnicode);
    out.record16(biff8::kDsf, 0);
    out.begin(biff8::kTabId);
    for (std::uint16_t i = 1; i <= sheets; ++i)
        out.u16(i);
    out.end();
    out.record16(biff8::kFnGroupCount, 0x000E);
    out.record16(biff8::kWindowProtect, 0);
    out.record16(biff8::kProtect, 0);
    out.record16(biff8::kPassword, 0);
    out.record16(biff8::kProt4Rev, 0);
    out.record16(biff8::kProt4RevPass, 0);
    WriteWindow1(out, static_cast<std::uint16_t>(book.activeSheet()),
                 static_cast<std::uint16_t>(book.selectedCount()));
    out.record16(biff8::kBackup, 0);
    out.record16(biff8::kHideObj, 0);
    out.record16(biff8::kDate1904, 0);
    out.record16(biff8::kPrecision, 1);
    out.record16(biff8::kRefreshAll, 0);
    out.record16(biff8::kBookBool, 0);
    for (int i = 0; i < kFontCount; ++i)
        WriteFont(out, u"Arial", 200);
    for (const auto& format : kBuiltInFormats)
        WriteFormat(out, format.id, format.code);
    for (int i = 0; i < kStyleXfCount; ++i)
        WriteXf(out, true, false);
    WriteXf(out, false, false);  // 15: the default cell format
    WriteXf(out, false, true);   // 16: wrapped text
    out.begin(biff8::kStyle);
    out.u16(0x8000);  // built-in style on XF 0
    out.u8(0);        // Normal
    out.u8(0xFF);
    out.end();
    out.record16(biff8::kUsesElfs, 0);
    std::vector<std::size_t> offsetFields;
    offsetFields.reserve(sheets);
    for (std::size_t i = 0; i < book.sheetCount(); ++i)
        offsetFields.push_back(WriteBoundSheet(out, book.sheet(i).name()));
    out.begin(biff8::kCountry);
    out.u16(1);
    out.u16(1);
    out.end();
    strings.write(out);
    WriteEof(out);
    return offsetFields;
}

}  // namespace vantile::office::excel
